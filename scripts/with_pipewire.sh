#!/usr/bin/env bash
# Runs a command in a private PipeWire session whose null sink's monitor is the default recording source.
#
# The session is PipeWire, WirePlumber and pipewire-pulse with a D-Bus session bus of their own, all
# stopped afterwards. The null sink quasarine_sink (QuasarineSink, 44100 Hz stereo) is the default sink.
#
# Usage: scripts/with_pipewire.sh [--alsa=pulse|pipewire] command args...
#   --alsa=pulse     ALSA's default device is the PulseAudio plugin, talking to pipewire-pulse (the
#                    machine's own ALSA configuration, as with the pulseaudio package installed).
#   --alsa=pipewire  ALSA's default device is PipeWire's own plugin, as on a Debian 12 GNOME desktop:
#                    a private ALSA configuration loads pipewire-alsa from the cache scripts/setup.sh
#                    fills, and leaves out the pulseaudio package's hook that makes pulse the default.
#
# Inside the session QUASARINE_PIPEWIRE_ALSA names the layout, and tests stop and start the servers
# through the path in QUASARINE_PIPEWIRE_CONTROL:
#   "$QUASARINE_PIPEWIRE_CONTROL" --stop=pulse|all
#   "$QUASARINE_PIPEWIRE_CONTROL" --start=pulse|all
# "pulse" is pipewire-pulse alone; "all" is PipeWire, WirePlumber and pipewire-pulse. --start waits
# until pactl answers again and the null sink and the defaults are back.
# Works from inside scripts/with_services.sh: every PulseAudio variable is replaced, DISPLAY is kept.
set -uo pipefail

script=$(readlink -f "${BASH_SOURCE[0]}")
sink=quasarine_sink
alsa_cache=${QUASARINE_PIPEWIRE_ALSA_CACHE:-/var/cache/quasarine-pipewire-alsa}

# The session's folder is named by QUASARINE_PIPEWIRE_SESSION; the servers run with these variables.
session_environment() {
  local s=$QUASARINE_PIPEWIRE_SESSION
  export XDG_RUNTIME_DIR="$s/runtime"
  export XDG_CONFIG_HOME="$s/config"
  export XDG_STATE_HOME="$s/state"
  export PULSE_RUNTIME_PATH="$s/runtime/pulse"
  export PULSE_STATE_PATH="$s/state/pulse"
  export PULSE_SERVER="unix:$s/runtime/pulse/native"
  # Nothing in the session may start a PulseAudio server of its own when pipewire-pulse is away.
  export PULSE_CLIENTCONFIG="$s/pulse-client.conf"
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$s/runtime/bus"
  unset PIPEWIRE_RUNTIME_DIR PIPEWIRE_REMOTE PULSE_SINK PULSE_SOURCE QUASARINE_PULSE_CONFIG
}

# launch NAME COMMAND...: starts one server in the background, its pid kept for --stop and the end.
launch() {
  local name=$1; shift
  HOME="$QUASARINE_PIPEWIRE_SESSION/home" "$@" >>"$QUASARINE_PIPEWIRE_SESSION/$name.log" 2>&1 &
  echo $! >"$QUASARINE_PIPEWIRE_SESSION/pids/$name"
}

# A server started by an earlier --start has no parent left to reap it: a zombie counts as gone.
running() { [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* (.*) Z ' "/proc/$1/stat" 2>/dev/null; }

# halt NAME: stops one server and waits until its process is gone.
halt() {
  local file="$QUASARINE_PIPEWIRE_SESSION/pids/$1" pid
  [ -f "$file" ] || return 0
  pid=$(cat "$file")
  rm -f "$file"
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 100); do running "$pid" || return 0; sleep 0.05; done
  kill -KILL "$pid" 2>/dev/null
  for _ in $(seq 100); do running "$pid" || return 0; sleep 0.05; done
}

# wait_for DESCRIPTION COMMAND...: up to 30 s for the command to succeed; the logs when it never does.
wait_for() {
  local what=$1; shift
  for _ in $(seq 300); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "with_pipewire.sh: $what" >&2
  tail -n 20 "$QUASARINE_PIPEWIRE_SESSION"/*.log >&2
  return 1
}

pulse_on_pipewire() { pactl info 2>/dev/null | grep -q '^Server Name: PulseAudio (on PipeWire '; }
sink_listed() { pactl list short sinks 2>/dev/null | grep -q "^[0-9]*[[:space:]]${sink}[[:space:]]"; }
defaults_set() {
  local info
  info=$(pactl info 2>/dev/null) || return 1
  grep -q "^Default Sink: $sink\$" <<<"$info" && grep -q "^Default Source: $sink.monitor\$" <<<"$info"
}
set_defaults() {
  pactl set-default-sink "$sink" && pactl set-default-source "$sink.monitor" && defaults_set
}

start_pipewire() {
  launch pipewire pipewire
  wait_for "PipeWire did not start" test -S "$XDG_RUNTIME_DIR/pipewire-0" || return 1
  launch wireplumber wireplumber
}

start_pulse() {
  launch pipewire-pulse pipewire-pulse
  wait_for "pipewire-pulse did not answer as PulseAudio on PipeWire" pulse_on_pipewire || return 1
  # WirePlumber keeps the defaults, but it may still be finding the sink after a start.
  wait_for "the null sink $sink did not appear" sink_listed || return 1
  wait_for "the defaults could not be set to $sink and its monitor" set_defaults
}

control() {
  [ -n "${QUASARINE_PIPEWIRE_SESSION:-}" ] || { echo "with_pipewire.sh: no session to control" >&2; exit 2; }
  session_environment
  case "$1" in
    --stop=pulse) halt pipewire-pulse ;;
    --stop=all) halt pipewire-pulse; halt wireplumber; halt pipewire ;;
    --start=pulse) start_pulse ;;
    --start=all) start_pipewire && start_pulse ;;
    *) echo "with_pipewire.sh: unknown control $1" >&2; exit 2 ;;
  esac
}

case "${1:-}" in
  --stop=* | --start=*) control "$1"; exit $? ;;
esac

layout=pulse
case "${1:-}" in
  --alsa=pulse) shift ;;
  --alsa=pipewire) layout=pipewire; shift ;;
  --alsa=*) echo "with_pipewire.sh: --alsa takes pulse or pipewire" >&2; exit 2 ;;
esac
[ $# -gt 0 ] || { echo "usage: scripts/with_pipewire.sh [--alsa=pulse|pipewire] command args..." >&2; exit 2; }

scratch=$(mktemp -d /tmp/quasarine-pipewire.XXXXXX)
export QUASARINE_PIPEWIRE_SESSION=$scratch
export QUASARINE_PIPEWIRE_CONTROL=$script
export QUASARINE_PIPEWIRE_ALSA=$layout
dbus_pid=""

stop_session() {
  halt pipewire-pulse; halt wireplumber; halt pipewire
  # A test may have started servers some other way; whatever server runs on this session goes.
  local pid
  for pid in $(pgrep -x pipewire; pgrep -x pipewire-pulse; pgrep -x wireplumber); do
    if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$scratch/runtime"; then
      kill -KILL "$pid" 2>/dev/null
    fi
  done
  [ -n "$dbus_pid" ] && kill "$dbus_pid" 2>/dev/null && wait "$dbus_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap stop_session EXIT
# A test run that is cut short still stops the session.
trap 'exit 130' INT
trap 'exit 143' TERM

mkdir -p "$scratch"/{runtime,home,config/pipewire/pipewire.conf.d,state,pids}
chmod 700 "$scratch/runtime"
session_environment
echo "autospawn = no" >"$PULSE_CLIENTCONFIG"

# The null sink is one of PipeWire's own nodes, so it outlives a restart of pipewire-pulse; the
# graph runs at the sink's rate so that nothing is resampled on the way to its monitor.
cat >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/quasarine-sink.conf" <<CONF
context.properties = {
    default.clock.rate = 44100
}
context.objects = [
    {   factory = adapter
        args = {
            factory.name = support.null-audio-sink
            node.name = $sink
            node.description = QuasarineSink
            media.class = Audio/Sink
            audio.rate = 44100
            audio.channels = 2
            audio.position = [ FL FR ]
            object.linger = true
            monitor.channel-volumes = true
        }
    }
]
CONF

if [ "$layout" = pipewire ]; then
  version=$(dpkg-query -W -f='${Version}' pipewire 2>/dev/null)
  pcm_plugin=$(find "$alsa_cache/$version" -name libasound_module_pcm_pipewire.so 2>/dev/null | head -n1)
  [ -n "$pcm_plugin" ] ||
    { echo "with_pipewire.sh: no pipewire-alsa $version in $alsa_cache; run scripts/setup.sh" >&2; exit 1; }
  plugins=$(dirname "$pcm_plugin")
  alsa="$scratch/alsa"
  mkdir -p "$alsa/conf.d"
  # The system's alsa.conf, loading this folder instead of the machine's configuration folders.
  sed -e "s|\"/etc/alsa/conf.d\"|\"$alsa/conf.d\"|" -e '\|"/var/lib/alsa/conf.d"|d' \
    -e '\|"/usr/etc/alsa/conf.d"|d' /usr/share/alsa/alsa.conf >"$alsa/alsa.conf"
  for f in /etc/alsa/conf.d/*.conf; do
    [ "$(basename "$f")" = 99-pulse.conf ] || ln -s "$f" "$alsa/conf.d/"
  done
  ln -s "$alsa_cache/$version/usr/share/alsa/alsa.conf.d/50-pipewire.conf" "$alsa/conf.d/"
  ln -s "$alsa_cache/$version/usr/share/alsa/alsa.conf.d/99-pipewire-default.conf" "$alsa/conf.d/"
  # The plugins are not in ALSA's plugin folder, so their types name them by path.
  cat >"$alsa/conf.d/49-pipewire-plugins.conf" <<CONF
pcm_type.pipewire { lib "$plugins/libasound_module_pcm_pipewire.so" }
ctl_type.pipewire { lib "$plugins/libasound_module_ctl_pipewire.so" }
CONF
  export ALSA_CONFIG_PATH="$alsa/alsa.conf"
else
  unset ALSA_CONFIG_PATH
fi

dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS" \
  >"$scratch/dbus.log" 2>&1 &
dbus_pid=$!
wait_for "the D-Bus session bus did not start" test -S "$XDG_RUNTIME_DIR/bus" || exit 1
start_pipewire && start_pulse || exit 1

"$@"
