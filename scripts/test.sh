#!/usr/bin/env bash
# Sets everything up, builds the normal, the AddressSanitizer/UndefinedBehaviorSanitizer and the
# ThreadSanitizer trees and the Windows package, and runs the whole suite under a private X display
# and audio server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

# configure_and_build DIR "CMAKE OPTIONS" [TARGETS...]
configure_and_build() {
  local dir=$1 options=$2; shift 2
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  echo "== building $dir"
  # shellcheck disable=SC2086
  cmake -S . -B "$dir" $options >/dev/null
  cmake --build "$dir" -j"$jobs" "${targets[@]}" >"$dir.build.log" 2>&1 ||
    { tail -n 60 "$dir.build.log"; exit 1; }
}

configure_and_build build "-DCMAKE_BUILD_TYPE=RelWithDebInfo"
configure_and_build build-asan \
  "-DCMAKE_BUILD_TYPE=Debug -DQUASARINE_SANITIZE=address,undefined -DQUASARINE_BUILD_BENCHMARKS=OFF"
# Only the tests of the audio thread, the encoder thread and the screenshot threads run under
# ThreadSanitizer.
configure_and_build build-tsan \
  "-DCMAKE_BUILD_TYPE=Debug -DQUASARINE_SANITIZE=thread -DQUASARINE_BUILD_BENCHMARKS=OFF" \
  test_audio_threads session_live_sources_test test_video_encoder test_screenshots

# The Windows package, which the Windows tests of the normal tree run under Wine.
echo "== building the Windows package"
bash scripts/windows/build.sh

# Tests share one display and one audio server, so they run one at a time.
scripts/with_services.sh bash -c '
  set -e
  echo "== tests: normal build"
  ctest --test-dir build --output-on-failure
  echo "== tests: AddressSanitizer and UndefinedBehaviorSanitizer"
  ctest --test-dir build-asan --output-on-failure -L "unit|display|audio" -LE system
  echo "== tests: ThreadSanitizer"
  TSAN_OPTIONS="suppressions=$PWD/tests/tsan_audio_server.supp" \
    ctest --test-dir build-tsan --output-on-failure -L thread
'
