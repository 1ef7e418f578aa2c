#!/usr/bin/env bash
# Sets everything up, builds the visualizer and starts it; options are passed on (-f, -v).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quasarine >/dev/null
exec build/app/quasarine "$@"
