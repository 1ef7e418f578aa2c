# Shared steps of the scripts that make a cached Debian root once and print its path
# (scripts/debian_root.sh, scripts/windows/wine10_root.sh); sourced, not run.
#
# The caller sets `cache` (the folder of roots) and `name` (its own name, for messages), then calls
# open_cached_root, runs its steps on "$work/root" with `step`, and ends with publish_cached_root.
# The root is root-<stamp> in the cache, the stamp being a hash of the caller's recipe and this
# file's (both less comments and blank lines): a changed recipe builds a new root, an unchanged one
# is reused at once, and a reworded comment rebuilds nothing. It is built in a temporary folder and
# renamed when complete, so a root that exists is always whole. Progress goes to stderr, the root's
# path alone to stdout. Making one needs root (debootstrap, chroot).
# shellcheck shell=bash
# The caller assigns cache and name.
# shellcheck disable=SC2154

# Prints the root and exits when it exists; otherwise takes the cache's lock, makes sure debootstrap
# is there, and sets `root`, `mirror`, `security`, `work`, `log` and `started`.
open_cached_root() {
  local recipe
  recipe=$(cat "$(readlink -f "${BASH_SOURCE[1]}")" "$(readlink -f "${BASH_SOURCE[0]}")")
  stamp=$(grep -vE '^[[:space:]]*(#|$)' <<<"$recipe" | sha256sum | cut -c1-16)
  root="$cache/root-$stamp"
  print_existing_root
  if [ "$(id -u)" != 0 ]; then
    echo "$name: making the root needs root (debootstrap, chroot)" >&2
    exit 1
  fi
  mkdir -p "$cache"
  # One builder at a time; a second waits and then finds the finished root.
  exec 9>"$cache/lock"
  flock 9
  print_existing_root
  install_debootstrap
  find_mirrors
  work=$(mktemp -d "$cache/work-$stamp.XXXXXX")
  log="$work.log"
  trap 'rm -rf "$work"' EXIT
  started=$SECONDS
}

print_existing_root() {
  if [ -d "$root" ]; then
    echo "$root"
    exit 0
  fi
}

install_debootstrap() {
  command -v debootstrap >/dev/null && return
  echo "== installing debootstrap" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap \
    >/dev/null 2>&1 ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends debootstrap >/dev/null; }
}

# The Debian mirror this machine already uses (one-line or deb822 sources), and its security mirror.
find_mirrors() {
  mirror=$(grep -rhoE 'https?://[^ ]*debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ \
    2>/dev/null | grep -v security | head -n1 | tr -d ' ' || true)
  mirror=${mirror:-http://deb.debian.org/debian}
  security=$(grep -rhoE 'https?://[^ ]*debian-security/?( |$)' /etc/apt/sources.list \
    /etc/apt/sources.list.d/ 2>/dev/null | head -n1 | tr -d ' ' || true)
  security=${security:-http://deb.debian.org/debian-security}
}

# step NAME COMMAND...: runs one step with its output in the log; on failure shows the log's end.
step() {
  local step_name=$1 began=$SECONDS; shift
  if ! "$@" >>"$log" 2>&1; then
    echo "$name: $step_name failed; the end of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  echo "   $step_name: $((SECONDS - began)) s" >&2
}

# Everything that mounts runs in a mount namespace of its own: whatever debootstrap or a package
# script mounts inside the new root goes away with the namespace, even when a step fails, so
# nothing stays mounted on the host and removing a failed attempt never reaches through a mount.
in_namespace() { unshare --mount --propagation private -- "$@"; }

# publish_cached_root [KEPT...]: renames the finished root into place and removes the roots of other
# recipes and the work folders of failed attempts, which are stale now, but not the entries named.
publish_cached_root() {
  mv "$work/root" "$root"
  local kept=(! -name "root-$stamp" ! -name lock) entry
  for entry in "$@"; do kept+=(! -name "$entry"); done
  find "$cache" -mindepth 1 -maxdepth 1 "${kept[@]}" -exec rm -rf {} +
  echo "   $(du -sh "$root" | cut -f1) in $((SECONDS - started)) s" >&2
  echo "$root"
}
