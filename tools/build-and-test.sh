#!/usr/bin/env bash
# Installs what Tessaro needs, builds it and runs every test headless.
#   --sanitize   build in build-asan with AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-debian.sh

build=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  options=(-DCMAKE_BUILD_TYPE=Debug -DTESSARO_SANITIZE=ON)
  # Leaks in the system's font and GL libraries are not ours to chase.
  export ASAN_OPTIONS=detect_leaks=0
  export UBSAN_OPTIONS=print_stacktrace=1
fi

cmake -S . -B "$build" "${options[@]}"
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
