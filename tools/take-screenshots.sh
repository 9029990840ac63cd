#!/usr/bin/env bash
# Starts the built program under Xvfb in a scratch folder and saves screenshots
# of its windows into docs/. Needs a build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
scratch=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$scratch"' EXIT

cp -r build/bin/. "$scratch/"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=$display "$scratch/tessaro" >/dev/null 2>&1 &
app=$!
sleep 2
mkdir -p docs
DISPLAY=$display import -window root "$scratch/screen.png"
# The panel opens at 150, 94 on a first run.
convert "$scratch/screen.png" -crop 268x118+150+94 +repage docs/panel.png
echo "wrote docs/panel.png"
