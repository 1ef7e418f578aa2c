#!/usr/bin/env bash
# Measures the audio path's CPU time while a FLAC song plays (`quasarine song.flac`: decoding thread,
# ring, playback callback) against while the built-in demo track plays (Space on the title screen),
# per thread from /proc, in the window under a private display and sound server; markdown tables.
# Usage: scripts/measure_songs.sh   (starts its own services through scripts/with_services.sh)
# Knobs: see scripts/measure_songs.py (QUASARINE_SONGS_SECONDS, 20, the measured window;
# QUASARINE_SONGS_REPEATS, 3; QUASARINE_SONGS_SETTLE, 5). Exit status 3: the goal is not met.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUASARINE_BUILD_DIR:-build}

# The program plays into the private server's null sink and draws on the private display.
if [ -z "${QUASARINE_PULSE_CONFIG:-}" ]; then
  if [ -z "${QUASARINE_BINARY:-}" ]; then
    [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target quasarine -j"$(nproc)" >/dev/null
  fi
  exec scripts/with_services.sh "$0" "$@"
fi
QUASARINE_BUILD_DIR=$build exec python3 -u scripts/measure_songs.py "$@"
