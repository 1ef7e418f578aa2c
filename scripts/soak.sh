#!/usr/bin/env bash
# Sets everything up, builds, and runs the soak and fault tests through the program; the soak lasts
# QUASARINE_SOAK_SECONDS (default 600).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
export QUASARINE_SOAK_SECONDS=${QUASARINE_SOAK_SECONDS:-600}
QUASARINE_BINARY=build/app/quasarine QUASARINE_BUILD_DIR=build \
  scripts/with_services.sh python3 tests/system/soak_test.py -v
