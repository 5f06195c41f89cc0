#!/usr/bin/env bash
# Installs the Debian packages the build, the player and the tests need; quiet when all are there.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  libsdl2-dev libsdl2-mixer-dev libx11-dev libxrandr-dev
  libgl1-mesa-dev libgl1-mesa-dri libglu1-mesa-dev
  zlib1g-dev libjpeg-dev libvorbis-dev libvorbisfile3 ffmpeg
  libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-3-dev
  xvfb xauth xdotool x11-apps parallel
  libfreetype-dev fonts-dejavu-core
  locales
  help2man dpkg-dev file lintian
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

# A locale with a decimal comma (from the locales package above), so that the tests of C-locale
# number handling run everywhere.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  if [ -f /etc/locale.gen ]; then
    $SUDO sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  else
    $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
  fi
fi
