#!/usr/bin/env bash
# Makes, once, a cached clean Debian 12 root (debootstrap minbase, apt lists fresh) and prints its path.
#
# It stands for a new user's minimal system on which the Debian package is installed with apt. The
# root lives in $QUASARINE_DEBIAN_ROOT_CACHE (default /var/cache/quasarine-debroot); see
# scripts/cached_root.sh for how it is kept. Never install into it: copy it
# (tests/system/debian_package.py does).
set -euo pipefail

cache=${QUASARINE_DEBIAN_ROOT_CACHE:-/var/cache/quasarine-debroot}
name=debian_root.sh
suite=bookworm
# shellcheck source=scripts/cached_root.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/cached_root.sh"
open_cached_root
echo "== making the clean Debian root $root (Debian $suite minbase from $mirror, a few minutes)" >&2

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
# The shared archive of downloaded packages stays.
publish_cached_root archives
