#!/usr/bin/env bash
# Sets everything up, builds the benchmarks and runs every one of them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
for bench in build/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" --benchmark_counters_tabular=true
done
echo "== whole program"
QUASARINE_BINARY=build/app/quasarine QUASARINE_BUILD_DIR=build \
  scripts/with_services.sh python3 scripts/measure_program.py
echo "== frame times of a demo-mode run at 320x180 (QUASARINE_FRAMES_SECONDS, default 180)"
QUASARINE_BINARY=build/app/quasarine QUASARINE_BUILD_DIR=build \
  scripts/with_services.sh python3 scripts/measure_frames.py
echo "== Speakers source against the default recording device: latency and CPU (scripts/measure_speakers.sh)"
QUASARINE_BUILD_DIR=build scripts/measure_speakers.sh
