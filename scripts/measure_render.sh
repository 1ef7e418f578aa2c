#!/usr/bin/env bash
# Measures rendering a song into a video, headless: render against draw-only time and CPU use at
# 1280x720, frames a second by size with each stage's time, peak memory of a short against a long
# song, and the space the Debian package adds to a clean Debian 12 root; markdown tables on stdout.
# Usage: scripts/measure_render.sh [ratio] [sizes] [memory] [package]   (default: all four)
# Knobs: see scripts/measure_render.py (QUASARINE_RENDER_PACKAGE=0 leaves out the package figure,
# which builds the .deb and copies the cached clean root).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUASARINE_BUILD_DIR:-build}
if [ ! -x /usr/bin/time ]; then
  echo "/usr/bin/time is missing: run scripts/setup.sh" >&2
  exit 1
fi
if [ -z "${QUASARINE_BINARY:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target quasarine -j"$(nproc)" >/dev/null
fi
QUASARINE_BUILD_DIR=$build exec python3 -u scripts/measure_render.py "$@"
