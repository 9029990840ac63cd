#!/usr/bin/env bash
# Starts the built program under Xvfb in a scratch folder with the demo
# playlist and saves screenshots of its windows into docs/. Needs a build in
# build/ (with the make_demo tool) and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$scratch"' EXIT

cp -r build/bin/. "$scratch/"
rm -f "$scratch/default.pls" "$scratch/preferences.ini"
build/tools/make_demo "$scratch/demo" "$scratch/default.pls"
printf '[Window]\r\nList.Left=150\r\nList.Top=212\r\nList.Width=268\r\nList.Height=200\r\nPlayer.Left=440\r\nPlayer.Top=94\r\n[Show]\r\nList=1\r\nPlayer=1\r\n' \
  > "$scratch/preferences.ini"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display
"$scratch/tessaro" >/dev/null 2>&1 &
app=$!
sleep 2
mkdir -p docs
shot() { import -window root "$scratch/screen.png"; convert "$scratch/screen.png" -crop "$2" +repage "docs/$1"; }

shot panel.png 268x118+150+94
shot playlist.png 268x318+150+94
# The panel's next button (at 103, 85 on the panel) steps to the video, then the movie.
next() { xdotool mousemove $((150 + 115)) $((94 + 97)) click 1; }
next
sleep 2.5
shot player-video.png 618x318+150+94
next
sleep 2.5
shot player-movie.png 618x318+150+94
echo "wrote docs/panel.png docs/playlist.png docs/player-video.png docs/player-movie.png"
