#!/usr/bin/env bash
# Checks that the program's module folders depend on one another in one
# direction only. Each folder may include its own headers and those of the
# folders before it in ORDER, never those after it, and its CMakeLists.txt may
# link only the libraries of those folders (tessaro_<folder>). The order is
# total, so nothing upward also means no circle between modules.
#
#   tools/check-modules.sh [SOURCE_DIR]
#
# Prints every upward include or link as FILE:LINE: and exits 1 when there is one.
set -u

ORDER=(platform swf resources skin dialog player list main app)

root=${1:-$(dirname "$0")/..}
declare -A rank
for i in "${!ORDER[@]}"; do
    rank[${ORDER[$i]}]=$i
done

status=0
for module in "${ORDER[@]}"; do
    [ -d "$root/$module" ] || continue
    while IFS=: read -r file line text; do
        target=${text#*\"}
        target=${target%%/*}
        [ -n "${rank[$target]+set}" ] || continue
        if [ "${rank[$target]}" -gt "${rank[$module]}" ]; then
            echo "${file#"$root"/}:$line: $module includes the higher module $target: $text" >&2
            status=1
        fi
    done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$root/$module")
    [ -f "$root/$module/CMakeLists.txt" ] || continue
    while IFS=: read -r line library; do
        target=${library#tessaro_}
        [ -n "${rank[$target]+set}" ] || continue
        if [ "${rank[$target]}" -gt "${rank[$module]}" ]; then
            echo "$module/CMakeLists.txt:$line: $module links the higher module $target" >&2
            status=1
        fi
    done < <(grep -noE 'tessaro_[a-z]+' "$root/$module/CMakeLists.txt")
done
exit $status
