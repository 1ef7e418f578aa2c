#!/usr/bin/env bash
# Runs a command, or the Windows program, under Debian trixie's Wine 10 inside the cached root of
# scripts/windows/wine10_root.sh, with the host's X display and PulseAudio server reachable.
#
# Usage: scripts/windows/run_wine10.sh [--prefix DIR] [--program DIR] [--] [COMMAND ARGS... | OPTIONS...]
#   --prefix DIR   the Wine prefix (a host folder; default build-windows/wine10), made on first use
#   --program DIR  the program folder (default build-windows/dist, from scripts/windows/build.sh)
# Inside the root the program folder is /opt/quasarine, the prefix /opt/wine-prefix (WINEPREFIX),
# and /usr/lib/wine is on PATH, so `run_wine10.sh wine64 --version` or `run_wine10.sh wineserver -k`
# work as written. Without a command, or when the first word is an option such as -v, it starts
# /opt/quasarine/quasarine.exe with those options. The exit status is the command's.
#
# Why bind mounts in a mount namespace: the X socket (/tmp/.X11-unix), the PulseAudio socket's
# folder, /proc, /dev, /sys, the program folder and the prefix are bound into the root inside a
# namespace of this command's own (unshare runs in place, so the command keeps this script's
# process id and a kill reaches Wine itself). Everything mounted there disappears with the last
# process of the namespace: nothing is ever left mounted on the host, and nothing has to be
# unmounted after a crash. No TCP listener is needed in Xvfb or PulseAudio. Needs root.
#
# The root's own /tmp is shared by all calls, so a later call (wineserver -k, wine64 reg ...)
# reaches the wineserver that an earlier call started for the same prefix.
set -euo pipefail

windows_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repository_root=$(cd "$windows_scripts/../.." && pwd)
prefix="$repository_root/build-windows/wine10"
program="$repository_root/build-windows/dist"
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ] || [ "${1:0:1}" = "-" ]; then
  set -- wine64 /opt/quasarine/quasarine.exe "$@"
fi

if [ "$(id -u)" != 0 ]; then
  echo "run_wine10.sh: chroot and bind mounts need root" >&2
  exit 1
fi
[ -d "$program" ] || { echo "run_wine10.sh: no program folder $program (bash scripts/windows/build.sh)" >&2; exit 1; }
root=$(bash "$windows_scripts/wine10_root.sh")
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
program=$(cd "$program" && pwd)

# The environment inside: a clean one, plus what tunes Wine, SDL, Mesa or the PulseAudio client
# (not the host's PulseAudio paths, which do not exist inside).
inside_env=(PATH=/usr/lib/wine:/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/root USER=root
  LANG=C.UTF-8 WINEPREFIX=/opt/wine-prefix)
for name in $(compgen -e); do
  case "$name" in
    WINEPREFIX) ;;
    DISPLAY | TZ | WINE* | SDL_* | MESA_* | LIBGL_* | GALLIUM_* | LP_* | PULSE_SINK | PULSE_SOURCE | \
      PULSE_PROP* | PULSE_LATENCY_MSEC)
      inside_env+=("$name=${!name}") ;;
  esac
done
[ -n "${WINEDEBUG+x}" ] || inside_env+=(WINEDEBUG=-all)
# No Mono or Gecko installer prompts on a fresh prefix.
[ -n "${WINEDLLOVERRIDES+x}" ] || inside_env+=("WINEDLLOVERRIDES=mscoree,mshtml=")

# PulseAudio: a local socket (named, or the session's default) is reached through its folder bound
# at /run/quasarine-pulse; a TCP server, or a socket that does not exist, is passed on unchanged.
pulse_folder=""
pulse_server=${PULSE_SERVER:-unix:${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/pulse/native}
pulse_socket=${pulse_server#unix:}
if [ "${pulse_socket:0:1}" = "/" ] && [ -S "$pulse_socket" ]; then
  pulse_folder=$(dirname "$pulse_socket")
  inside_env+=("PULSE_SERVER=unix:/run/quasarine-pulse/$(basename "$pulse_socket")")
elif [ -n "${PULSE_SERVER+x}" ]; then
  inside_env+=("PULSE_SERVER=$PULSE_SERVER")
fi
# An X server with authentication: its authority file is bound at /run/quasarine-xauthority.
xauthority=${XAUTHORITY:-$HOME/.Xauthority}
[ -f "$xauthority" ] && inside_env+=(XAUTHORITY=/run/quasarine-xauthority) || xauthority=""

# namespace_run COMMAND...: the command inside the root, in a mount namespace of its own.
namespace_run() {
  exec unshare --mount --propagation private -- bash -c '
    set -e
    root=$1 program=$2 prefix=$3 pulse_folder=$4 xauthority=$5; shift 5
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    mkdir -p "$root/tmp/.X11-unix"
    [ -d /tmp/.X11-unix ] && mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    mount --bind "$program" "$root/opt/quasarine"
    mount --bind "$prefix" "$root/opt/wine-prefix"
    [ -z "$pulse_folder" ] || mount --bind "$pulse_folder" "$root/run/quasarine-pulse"
    [ -z "$xauthority" ] || mount --bind "$xauthority" "$root/run/quasarine-xauthority"
    exec chroot "$root" /usr/bin/env -i "$@"
  ' namespace_run "$root" "$program" "$prefix" "$pulse_folder" "$xauthority" "${inside_env[@]}" "$@"
}

# A new prefix, made as scripts/windows/common.sh makes the Wine 8 one: without a display, so
# Wine's first start opens no window, and with the graphics-driver key that the program's
# driver-timeout guard adjusts.
if [ ! -f "$prefix/.quasarine-wine10-ready" ]; then
  echo "== making the Wine 10 prefix $prefix" >&2
  (namespace_run sh -c 'DISPLAY= wine64 wineboot --init &&
    DISPLAY= wine64 reg add "HKLM\SYSTEM\CurrentControlSet\Control\GraphicsDrivers" /f &&
    wineserver -w' >/dev/null 2>&1) ||
    { echo "run_wine10.sh: wineboot failed in $prefix" >&2; exit 1; }
  touch "$prefix/.quasarine-wine10-ready"
fi

namespace_run "$@"
