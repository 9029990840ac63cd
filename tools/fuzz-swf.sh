#!/usr/bin/env bash
# Fuzzes the movie engine with libFuzzer under AddressSanitizer and UBSan.
#   tools/fuzz-swf.sh [SECONDS]   (600 when not given)
# Builds in build-fuzz with clang; seeds from the demo cartoon (streaming MP3
# and ADPCM sound), the render tests' movies (filters, blend modes, text
# fields, the drawing API) and, when present, the reference corpus beside
# the project. Crashes land in build-fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
bash tools/setup-debian.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_FUZZ=ON
cmake --build build-fuzz -j"$(nproc)" --target fuzz_swf tessaro-swf-render make_demo tst_swf_render
cmake --build build-fuzz -j"$(nproc)" --target tst_swf_video
seeds=build-fuzz/seeds
mkdir -p "$seeds" build-fuzz/crashes build-fuzz/corpus
ASAN_OPTIONS=detect_leaks=0 build-fuzz/tools/make_demo build-fuzz/demo build-fuzz/demo/list.m3u
cp build-fuzz/demo/*.swf "$seeds/"
ASAN_OPTIONS=detect_leaks=0 TESSARO_SEED_DIR="$seeds" QT_QPA_PLATFORM=offscreen build-fuzz/tests/tst_swf_render >/dev/null
ASAN_OPTIONS=detect_leaks=0 TESSARO_SEED_DIR="$seeds" QT_QPA_PLATFORM=offscreen build-fuzz/tests/tst_swf_video >/dev/null
for folder in ../shared/swf-corpus/reference-images ../shared/swf-corpus/traces; do
  [ -d "$folder" ] && find "$folder" -name '*.swf' -size -64k -exec cp -n {} "$seeds/" \; 2>/dev/null || true
done
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=tools/fuzz-lsan.supp build-fuzz/tests/fuzz_swf -max_total_time="$seconds" -rss_limit_mb=4096 \
  -timeout=10 -artifact_prefix=build-fuzz/crashes/ build-fuzz/corpus "$seeds"
