#!/usr/bin/env bash
# Makes, once, a cached Debian trixie root holding Debian's Wine 10 and prints its path.
#
# Bookworm's Wine 8 cannot record the loopback of an output device; Wine 9.12 and later can (their
# winepulse records the PulseAudio sink's monitor), and trixie ships Wine 10. The root lives in
# $QUASARINE_WINE10_CACHE (default /var/cache/quasarine-wine10); see scripts/cached_root.sh for how
# it is kept. scripts/windows/run_wine10.sh runs commands inside it.
set -euo pipefail

cache=${QUASARINE_WINE10_CACHE:-/var/cache/quasarine-wine10}
name=wine10_root.sh
suite=trixie
# What Wine needs at run time and nothing else: the loader and its libraries; Mesa's software
# OpenGL (Wine's opengl32 loads libGL and llvmpipe); libpulse for winepulse, the one backend with
# loopback; the X client libraries that winex11 loads (it opens them itself, so no package depends
# on them). No fonts: the program draws its text from its own images.
packages=(wine64 libgl1 libgl1-mesa-dri libpulse0 libx11-6 libx11-xcb1 libxext6 libxrender1
  libxrandr2 libxi6 libxinerama1 libxcursor1 libxcomposite1 libxfixes3 libxxf86vm1 libxkbcommon0
  libfreetype6)
# Mount points for scripts/windows/run_wine10.sh: the program folder, the Wine prefix and the folder
# of the PulseAudio socket; a file for the X authority.
mount_points=(opt/quasarine opt/wine-prefix run/quasarine-pulse)
file_mount_points=(run/quasarine-xauthority)

# shellcheck source=scripts/cached_root.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../cached_root.sh"
open_cached_root
echo "== making the Wine 10 root $root (Debian $suite from $mirror, a few minutes)" >&2

# Packages are configured inside the root with /proc, /dev and /sys of the host.
chroot_run() {
  # The inner script expands its own arguments.
  # shellcheck disable=SC2016
  in_namespace bash -c '
    set -e
    root=$1; shift
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
      DEBIAN_FRONTEND=noninteractive "$@"
  ' chroot_run "$work/root" "$@"
}

install_wine() {
  # No service may start inside the root while packages are configured.
  printf '#!/bin/sh\nexit 101\n' >"$work/root/usr/sbin/policy-rc.d"
  chmod 755 "$work/root/usr/sbin/policy-rc.d"
  chroot_run apt-get update -q
  chroot_run apt-get install -y -q --no-install-recommends "${packages[@]}"
  chroot_run apt-get clean
  rm -rf "$work/root/var/lib/apt/lists"/*_dists_* "$work/root/usr/sbin/policy-rc.d"
  local point
  for point in "${mount_points[@]}"; do mkdir -p "$work/root/$point"; done
  for point in "${file_mount_points[@]}"; do touch "$work/root/$point"; done
}

check_wine() {
  local version
  version=$(chroot_run /usr/lib/wine/wine64 --version)
  echo "$version"
  case "$version" in
    wine-9.1[2-9]* | wine-9.[2-9]* | wine-[1-9][0-9].*) ;;
    *) echo "wine10_root.sh: $version has no loopback capture (9.12 or later needed)"; return 1 ;;
  esac
}

step debootstrap in_namespace debootstrap --variant=minbase "$suite" "$work/root" "$mirror"
step "installing Wine" install_wine
step "checking Wine" check_wine
# shellcheck disable=SC2119
publish_cached_root
