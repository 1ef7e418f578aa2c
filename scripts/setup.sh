#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; quiet when all are present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libglew-dev portaudio19-dev libasound2-dev libjack-jackd2-dev libkissfft-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev ffmpeg
  libfreetype-dev fonts-dejavu-core
  libgl1-mesa-dri libegl-mesa0 libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils xfonts-base xdotool x11-utils imagemagick pulseaudio pulseaudio-utils libpulse-dev libasound2-plugins python3
  pipewire pipewire-bin pipewire-pulse wireplumber dbus-daemon procps
  g++-mingw-w64-x86-64-posix nasm wine64 dpkg-dev patch zip icoutils desktop-file-utils debootstrap
  nsis
  lintian man-db
  gdb time
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

# pipewire-alsa conflicts with the pulseaudio package, so it is never installed: scripts/with_pipewire.sh
# loads its ALSA plugin from here, unpacked for the PipeWire version installed.
alsa_cache=${QUASARINE_PIPEWIRE_ALSA_CACHE:-/var/cache/quasarine-pipewire-alsa}
pipewire_version=$(dpkg-query -W -f='${Version}' pipewire)
if [ ! -f "$alsa_cache/$pipewire_version/usr/share/alsa/alsa.conf.d/50-pipewire.conf" ]; then
  echo "Unpacking pipewire-alsa $pipewire_version into $alsa_cache"
  mkdir -p "$alsa_cache"
  work=$(mktemp -d "$alsa_cache/work.XXXXXX")
  (cd "$work" && apt-get download -qq "pipewire-alsa=$pipewire_version" >download.log 2>&1) ||
    { apt-get update -qq && (cd "$work" && apt-get download -qq "pipewire-alsa=$pipewire_version" \
        >download.log 2>&1); } ||
    { cat "$work/download.log"; rm -rf "$work"; exit 1; }
  dpkg-deb -x "$work"/pipewire-alsa_*.deb "$work/tree"
  # Other versions' trees are stale now; the new one appears whole, by a rename.
  find "$alsa_cache" -mindepth 1 -maxdepth 1 ! -name "work.*" -exec rm -rf {} +
  mv "$work/tree" "$alsa_cache/$pipewire_version"
  rm -rf "$work"
fi
