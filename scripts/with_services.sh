#!/usr/bin/env bash
# Runs a command with a private virtual X display (1920x1080) and a private PulseAudio server whose
# null sink's monitor is the default recording source; stops both afterwards.
# Usage: scripts/with_services.sh [--no-audio] command args...
set -uo pipefail

want_audio=1
if [ "${1:-}" = "--no-audio" ]; then want_audio=0; shift; fi

scratch=$(mktemp -d /tmp/quasarine-services.XXXXXX)
xvfb_pid=""

# Every server on this configuration goes, the first and any a test started again after killing it,
# asked to end first and killed only if it has not within five seconds.
stop_pulse() {
  pkill -TERM -f "$QUASARINE_PULSE_CONFIG" 2>/dev/null
  for _ in $(seq 50); do pgrep -f "$QUASARINE_PULSE_CONFIG" >/dev/null || return 0; sleep 0.1; done
  pkill -KILL -f "$QUASARINE_PULSE_CONFIG" 2>/dev/null
}

stop_services() {
  [ -n "${QUASARINE_PULSE_CONFIG:-}" ] && stop_pulse
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap stop_services EXIT

# The program keeps its chosen sound source in the user's configuration folder: a private one, so
# that tests never touch the user's own settings.
export XDG_CONFIG_HOME="$scratch/config"

# Xvfb picks a free display number itself and writes it to the descriptor we give it.
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp +extension GLX >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
exec 3>&-
export DISPLAY=":$(head -n1 "$scratch/display")"

if [ "$want_audio" = 1 ]; then
  mkdir -p "$scratch/home" "$scratch/runtime"
  chmod 700 "$scratch/runtime"
  export HOME_BEFORE_SERVICES="$HOME"
  export XDG_RUNTIME_DIR="$scratch/runtime"
  export PULSE_RUNTIME_PATH="$scratch/runtime/pulse"
  export PULSE_STATE_PATH="$scratch/state"
  export PULSE_SERVER="unix:$scratch/runtime/pulse/native"
  export QUASARINE_PULSE_CONFIG="$scratch/pulse.pa"
  cat >"$QUASARINE_PULSE_CONFIG" <<PA
load-module module-native-protocol-unix socket=$scratch/runtime/pulse/native
load-module module-null-sink sink_name=quasarine_sink rate=44100 channels=2 sink_properties=device.description=QuasarineSink
set-default-sink quasarine_sink
set-default-source quasarine_sink.monitor
PA
  HOME="$scratch/home" pulseaudio -n -F "$QUASARINE_PULSE_CONFIG" --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --log-target=file:"$scratch/pulse.log" >/dev/null 2>&1 &
  # No job of this shell any more: tests kill the server on purpose to see the program recover, and
  # the shell would report that kill at its end as if something had failed.
  disown $!
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start"; cat "$scratch/pulse.log"; exit 1; }
fi

"$@"
