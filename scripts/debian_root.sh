#!/usr/bin/env bash
# Makes, once, a cached clean Debian 12 root (debootstrap minbase, apt lists fresh) and prints its path.
#
# It stands for a new user's minimal system on which the Debian package is installed with apt. The
# root lives in $QUASARINE_DEBIAN_ROOT_CACHE (default /var/cache/quasarine-debroot) as root-<stamp>,
# the stamp being a hash of this script's recipe: a changed recipe builds a new root, an unchanged
# one is reused at once. It is built in a temporary folder and renamed when complete, so a root that
# exists is always whole. Never install into it: copy it (tests/system/debian_package.py does).
# Progress goes to stderr, the root's path alone to stdout. Needs root (debootstrap, chroot).
set -euo pipefail

script=$(readlink -f "${BASH_SOURCE[0]}")
cache=${QUASARINE_DEBIAN_ROOT_CACHE:-/var/cache/quasarine-debroot}
# The recipe is this script less its comments and blank lines: a reworded comment rebuilds nothing.
stamp=$(grep -vE '^[[:space:]]*(#|$)' "$script" | sha256sum | cut -c1-16)
root="$cache/root-$stamp"
suite=bookworm

if [ -d "$root" ]; then
  echo "$root"
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  echo "debian_root.sh: making the Debian root needs root (debootstrap, chroot)" >&2
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
security=$(grep -rhoE 'https?://[^ ]*debian-security/?( |$)' /etc/apt/sources.list \
  /etc/apt/sources.list.d/ 2>/dev/null | head -n1 | tr -d ' ' || true)
security=${security:-http://deb.debian.org/debian-security}

work=$(mktemp -d "$cache/work-$stamp.XXXXXX")
log="$work.log"
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
started=$SECONDS
echo "== making the clean Debian root $root (Debian $suite minbase from $mirror, a few minutes)" >&2

# step NAME COMMAND...: runs one step with its output in the log; on failure shows the log's end.
step() {
  local name=$1 began=$SECONDS; shift
  if ! "$@" >>"$log" 2>&1; then
    echo "debian_root.sh: $name failed; the end of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  echo "   $name: $((SECONDS - began)) s" >&2
}

# Whatever debootstrap or apt mounts inside the new root goes away with a mount namespace of its
# own, even when a step fails, so nothing stays mounted on the host.
in_namespace() { unshare --mount --propagation private -- "$@"; }

# The sources of a freshly installed system: the release, its updates and its security updates.
write_sources() {
  cat >"$work/root/etc/apt/sources.list" <<EOF
deb $mirror $suite main
deb $mirror $suite-updates main
deb $security $suite-security main
EOF
}

update_lists() {
  # The inner script expands its own arguments.
  # shellcheck disable=SC2016
  in_namespace bash -c '
    set -e
    mount -t proc proc "$1/proc"
    cp /etc/resolv.conf "$1/etc/resolv.conf"
    chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 apt-get update -q
    chroot "$1" apt-get clean
  ' update_lists "$work/root"
}

step debootstrap in_namespace debootstrap --variant=minbase "$suite" "$work/root" "$mirror"
step "writing the apt sources" write_sources
step "reading the package lists" update_lists
mv "$work/root" "$root"
# Roots of other recipes, and work folders of failed attempts, are stale now; the shared archive
# of downloaded packages stays.
find "$cache" -mindepth 1 -maxdepth 1 ! -name "root-$stamp" ! -name lock ! -name archives \
  -exec rm -rf {} +
echo "   $(du -sh "$root" | cut -f1), $(chroot "$root" dpkg-query -W | wc -l) packages," \
  "in $((SECONDS - started)) s" >&2
echo "$root"
