#!/usr/bin/env bash
# Sets everything up, builds the benchmarks and runs every one of them. The fractal frame benchmark
# compares the program's fragment shader with the one in the file QUASARINE_BEFORE_SHADER, if given
# (for example `git show COMMIT:render/fractal.frag > before.frag`).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
before=()
[ -n "${QUASARINE_BEFORE_SHADER:-}" ] && before=(--before="$QUASARINE_BEFORE_SHADER")
for bench in build/bench/bench_*; do
  [ -x "$bench" ] || continue
  if [ "$(basename "$bench")" = bench_render ]; then
    for size in 320x180 960x540; do
      echo "== bench_render at $size"
      scripts/with_services.sh --no-audio "$bench" --size="$size" "${before[@]}"
    done
    continue
  fi
  echo "== $(basename "$bench")"
  "$bench" --benchmark_counters_tabular=true
done
echo "== whole program"
QUASARINE_BINARY=build/app/quasarine QUASARINE_BUILD_DIR=build \
  scripts/with_services.sh python3 scripts/measure_program.py
for size in 320x180 960x540; do
  echo "== frame times of a demo-mode run at $size (QUASARINE_FRAMES_SECONDS, default 180)"
  QUASARINE_BINARY=build/app/quasarine QUASARINE_BUILD_DIR=build \
    scripts/with_services.sh python3 scripts/measure_frames.py "$size"
done
echo "== Speakers source against the default recording device: latency and CPU (scripts/measure_speakers.sh)"
QUASARINE_BUILD_DIR=build scripts/measure_speakers.sh
echo "== rendering a song into a video: render against draw-only, sizes, memory, package size (scripts/measure_render.sh)"
QUASARINE_BINARY=build/app/quasarine QUASARINE_BUILD_DIR=build scripts/measure_render.sh
