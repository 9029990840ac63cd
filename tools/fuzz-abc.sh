#!/usr/bin/env bash
# Fuzzes the ActionScript 3 engine (ABC reader and interpreter) with libFuzzer
# under AddressSanitizer and UBSan: each input is one ABC block, loaded and
# run with a small instruction budget.
#   tools/fuzz-abc.sh [SECONDS]   (600 when not given)
# Builds in build-fuzz with clang; seeds from the blocks the ABC writer's test
# runs, the demo's ActionScript 3 cartoon and, when present, the blocks of the
# smaller movies of the ActionScript 3 corpus beside the project. Crashes land
# in build-fuzz/abc-crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
jobs=${FUZZ_JOBS:-$(nproc)}
bash tools/setup-debian.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_FUZZ=ON
cmake --build build-fuzz -j"$jobs" --target fuzz_abc tessaro-abc-dump make_demo tst_avm2_writer
seeds=build-fuzz/abc-seeds
mkdir -p "$seeds" build-fuzz/abc-crashes build-fuzz/abc-corpus
export ASAN_OPTIONS=detect_leaks=0
TESSARO_SEED_DIR="$seeds" QT_QPA_PLATFORM=offscreen build-fuzz/tests/tst_avm2_writer >/dev/null
build-fuzz/tools/make_demo build-fuzz/demo build-fuzz/demo/list.m3u
build-fuzz/bin/tessaro-abc-dump --save "$seeds/demo" "build-fuzz/demo/Bouncing Script.swf"
corpus=../shared/avm2-corpus
if [ -d "$corpus" ]; then
  n=0
  while IFS= read -r movie; do
    build-fuzz/bin/tessaro-abc-dump --save "$seeds/corpus-$((n++))" "$movie" >/dev/null 2>&1 || true
  done < <(find "$corpus" -name test.swf -size -6k | sort | awk 'NR % 8 == 1')
fi
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=tools/fuzz-lsan.supp build-fuzz/tests/fuzz_abc \
  -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=10 -artifact_prefix=build-fuzz/abc-crashes/ \
  build-fuzz/abc-corpus "$seeds"
