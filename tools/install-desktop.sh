#!/usr/bin/env bash
# Installs Tessaro for the current user as one folder (executable, language
# files, icon) and adds it to the desktop's application menu.
#   tools/install-desktop.sh [FOLDER]   (~/.local/share/tessaro when not given)
# The folder holds the program's own files too (preferences, playlist), so it
# must be writable by the user. Run it as the user who will use Tessaro.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-"$HOME/.local/share/tessaro"}
if [ "$(id -u)" -eq 0 ] && [ -z "${1:-}" ]; then
  echo "install-desktop: running as root installs for root; give a folder or run as the user" >&2
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target tessaro
cmake --install build --prefix "$folder"

applications="${XDG_DATA_HOME:-$HOME/.local/share}/applications"
mkdir -p "$applications"
cat > "$applications/tessaro.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Tessaro
GenericName=Media Player
Comment=Play audio, video and Flash movies from a compact control panel
Exec="$folder/tessaro" %F
Icon=$folder/tessaro.png
Terminal=false
Categories=AudioVideo;Player;Audio;Video;
MimeType=audio/mpeg;audio/x-wav;audio/midi;video/x-msvideo;video/mpeg;video/x-ms-asf;video/x-ms-wmv;audio/x-ms-wma;application/x-shockwave-flash;
DESKTOP
command -v update-desktop-database >/dev/null && update-desktop-database "$applications" >/dev/null 2>&1 || true
echo "Tessaro installed in $folder; menu entry $applications/tessaro.desktop"
