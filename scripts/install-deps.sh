#!/usr/bin/env bash
# Installs the Debian packages the build, the player and the tests need; quiet when all are there.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev libsdl2-mixer-dev libx11-dev libxrandr-dev
  libgl1-mesa-dev libgl1-mesa-dri libglu1-mesa-dev
  zlib1g-dev libjpeg-dev libvorbis-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-3-dev
  xvfb xauth xdotool x11-apps
  libfreetype-dev fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
