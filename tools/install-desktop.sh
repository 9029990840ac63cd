#!/usr/bin/env bash
# Installs Tessaro for the current user as one folder (executable, language
# files, icon), adds it to the desktop's application menu as a player of its
# media and playlist types, and its icon to the user's hicolor theme.
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

data="${XDG_DATA_HOME:-$HOME/.local/share}"
applications="$data/applications"
mkdir -p "$applications"
# The entry opens the files a file manager hands it (%F) and names every
# media and playlist type the program reads.
sed -e "s|^Exec=tessaro %F|Exec=\"$folder/tessaro\" %F|" -e "s|^TryExec=tessaro|TryExec=$folder/tessaro|" \
  resources/tessaro.desktop > "$applications/tessaro.desktop"
icons="$data/icons/hicolor"
mkdir -p "$icons/64x64/apps" "$icons/128x128/apps"
cp resources/tessaro.png "$icons/64x64/apps/tessaro.png"
cp resources/tessaro@2x.png "$icons/128x128/apps/tessaro.png"
command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t "$icons" 2>/dev/null || true
command -v update-desktop-database >/dev/null && update-desktop-database "$applications" >/dev/null 2>&1 || true
echo "Tessaro installed in $folder; menu entry $applications/tessaro.desktop"
