#!/usr/bin/env bash
# Builds the visualizer and regenerates docs/screenshots/ from it under a private display and
# audio server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quasarine >/dev/null
QUASARINE_BINARY=build/app/quasarine QUASARINE_BUILD_DIR=build \
  scripts/with_services.sh python3 scripts/screenshots.py
