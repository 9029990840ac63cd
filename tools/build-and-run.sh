#!/usr/bin/env bash
# Installs what Tessaro needs, builds it and starts the player. On the first
# run the application folder gets a demo playlist (made here: a tune, a video,
# a Flash cartoon and a MIDI piece) and the playlist window docked under the
# panel; an existing playlist or preferences file is never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target tessaro make_demo
app=build/bin
if [ ! -e "$app/default.pls" ]; then
  build/tools/make_demo "$app/demo" "$app/default.pls"
fi
if [ ! -e "$app/preferences.ini" ]; then
  printf '[Window]\r\nList.Left=150\r\nList.Top=212\r\nList.Width=268\r\nList.Height=200\r\n[Show]\r\nList=1\r\n' > "$app/preferences.ini"
fi
exec "$app/tessaro"
