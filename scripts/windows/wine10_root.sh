#!/usr/bin/env bash
# Makes, once, a cached Debian trixie root holding Debian's Wine 10 and prints its path.
#
# Bookworm's Wine 8 cannot record the loopback of an output device; Wine 9.12 and later can (their
# winepulse records the PulseAudio sink's monitor), and trixie ships Wine 10. The root lives in
# $QUASARINE_WINE10_CACHE (default /var/cache/quasarine-wine10) as root-<stamp>, the stamp being a
# hash of this script's recipe: a changed recipe builds a new root, an unchanged one is reused at
# once. It is built in a temporary folder and renamed when complete, so a root that exists is
# always whole.
# Progress goes to stderr, the root's path alone to stdout. Needs root (debootstrap, chroot).
# scripts/windows/run_wine10.sh runs commands inside it.
set -euo pipefail

script=$(readlink -f "${BASH_SOURCE[0]}")
cache=${QUASARINE_WINE10_CACHE:-/var/cache/quasarine-wine10}
# The recipe is this script less its comments and blank lines: a reworded comment rebuilds nothing.
stamp=$(grep -vE '^[[:space:]]*(#|$)' "$script" | sha256sum | cut -c1-16)
root="$cache/root-$stamp"
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

if [ -d "$root" ]; then
  echo "$root"
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  echo "wine10_root.sh: making the Wine 10 root needs root (debootstrap, chroot)" >&2
  exit 1
fi
mkdir -p "$cache"
# One builder at a time; a second waits and then finds the finished root.
exec 9>"$cache/lock"
flock 9
if [ -d "$root" ]; then
  echo "$root"
  exit 0
fi

if ! command -v debootstrap >/dev/null; then
  echo "== installing debootstrap" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap \
    >/dev/null 2>&1 ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends debootstrap >/dev/null; }
fi

# The Debian mirror this machine already uses (one-line or deb822 sources), never a security one.
mirror=$(grep -rhoE 'https?://[^ ]*debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ \
  2>/dev/null | grep -v security | head -n1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}

work=$(mktemp -d "$cache/work-$stamp.XXXXXX")
log="$work.log"
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
started=$SECONDS
echo "== making the Wine 10 root $root (Debian $suite from $mirror, a few minutes)" >&2

# step NAME COMMAND...: runs one step with its output in the log; on failure shows the log's end.
step() {
  local name=$1 began=$SECONDS; shift
  if ! "$@" >>"$log" 2>&1; then
    echo "wine10_root.sh: $name failed; the end of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  echo "   $name: $((SECONDS - began)) s" >&2
}

# Everything that mounts runs in a mount namespace of its own: whatever debootstrap or a package
# script mounts inside the new root goes away with the namespace, even when a step fails, so
# nothing stays mounted on the host and removing a failed attempt never reaches through a mount.
in_namespace() { unshare --mount --propagation private -- "$@"; }

# Packages are configured inside the root with /proc, /dev and /sys of the host.
chroot_run() {
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
mv "$work/root" "$root"
# Roots of other recipes, and work folders of failed attempts, are stale now.
find "$cache" -mindepth 1 -maxdepth 1 ! -name "root-$stamp" ! -name lock -exec rm -rf {} +
echo "   $(du -sh "$root" | cut -f1) in $((SECONDS - started)) s" >&2
echo "$root"
