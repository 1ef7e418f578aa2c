#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; quiet when all are present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libglew-dev portaudio19-dev libasound2-dev libjack-jackd2-dev libkissfft-dev
  libfreetype-dev fonts-dejavu-core
  libgl1-mesa-dri libegl-mesa0 libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xfonts-base xdotool x11-utils imagemagick pulseaudio pulseaudio-utils libpulse-dev libasound2-plugins python3
  g++-mingw-w64-x86-64-posix wine64 dpkg-dev patch zip icoutils desktop-file-utils debootstrap
  nsis
  lintian man-db
  gdb
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
