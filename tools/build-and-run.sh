#!/usr/bin/env bash
# Installs what Tessaro needs, builds it and starts the player.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target tessaro
exec build/bin/tessaro
