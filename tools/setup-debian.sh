#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Tessaro need.
# Idempotent: packages already present are left alone. Run as root (or with sudo).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-x
  gstreamer1.0-pulseaudio gstreamer1.0-alsa gstreamer1.0-tools
  gstreamer1.0-plugins-base-apps
  fluid-soundfont-gm timgm6mb-soundfont
  zlib1g-dev liblzma-dev libmpg123-dev
  libxcb1-dev
  xvfb xauth imagemagick xdotool x11-utils openbox tint2
  fonts-dejavu-core
  desktop-file-utils shared-mime-info
  dbus-daemon dbus-bin dbus-session-bus-common
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
