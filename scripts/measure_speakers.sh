#!/usr/bin/env bash
# Measures the Speakers source against the default recording device on the private PulseAudio server: click-to-analysis latency and CPU time per second of audio, as markdown tables.
# Usage: scripts/measure_speakers.sh   (starts its own services through scripts/with_services.sh)
# Knobs: QUASARINE_BUILD_DIR (build), QUASARINE_SPEAKERS_ROUNDS (5) x QUASARINE_SPEAKERS_CLICKS (10)
# clicks per source, QUASARINE_SPEAKERS_SECONDS (30) x QUASARINE_SPEAKERS_REPEATS (3) per CPU window.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUASARINE_BUILD_DIR:-build}

# The measurements need the private server, whose null sink's monitor is the default source.
if [ -z "${QUASARINE_PULSE_CONFIG:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target speakers_measure -j"$(nproc)" >/dev/null
  exec scripts/with_services.sh "$0" "$@"
fi

program="$build/bench/speakers_measure"
log=$(mktemp /tmp/quasarine-speakers.XXXXXX)
player=""
finish() {
  if [ -n "$player" ]; then kill "$player" 2>/dev/null; wait "$player" 2>/dev/null || true; fi
  rm -f "$log"
}
trap finish EXIT

# PortAudio's ALSA probe fills stderr; it is shown only when a measurement fails.
run() {
  "$program" "$@" 2>"$log" || { cat "$log" >&2; exit 1; }
  grep '^missed' "$log" || true
}

# Quiet means nothing else worth counting runs: no stress-ng and a load average below one.
load=$(cut -d' ' -f1 /proc/loadavg)
if pgrep -x stress-ng >/dev/null; then state="loaded (stress-ng running)"
elif awk -v l="$load" 'BEGIN { exit !(l >= 1.0) }'; then state="loaded (no stress-ng, other work running)"
else state="quiet"; fi
echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //');"
echo "machine state: $state, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
echo
echo "### Sound-to-analysis latency"
echo
run latency "${QUASARINE_SPEAKERS_ROUNDS:-5}" "${QUASARINE_SPEAKERS_CLICKS:-10}"
echo
echo "### CPU time per second of audio (noise playing into the sink)"
echo
# Noise from a separate process, so that only the capture, conversion and analysis land in the
# measured process; the server's own time is reported beside it.
paplay --raw /dev/urandom &
player=$!
QUASARINE_SERVER_PID=$(pgrep -f -- "$QUASARINE_PULSE_CONFIG" | head -n1) \
  run cpu "${QUASARINE_SPEAKERS_SECONDS:-30}" "${QUASARINE_SPEAKERS_REPEATS:-3}"
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
