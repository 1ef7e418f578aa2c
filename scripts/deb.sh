#!/usr/bin/env bash
# Builds the Debian package in build-deb/ the way Debian builds its own, and prints its path.
#
# The compiler and linker flags are dpkg-buildflags' with every hardening feature (fortified
# functions, stack protector, read-only relocations bound at start, position-independent
# executable); the package's executable is stripped, build-deb/app/quasarine keeps the debug
# information. Progress goes to stderr, the .deb's path alone to stdout.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
dir=build-deb

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
# Libraries named by pkg-config but not used by the program itself stay out of its NEEDED list.
ldflags="$(flags LDFLAGS) -Wl,--as-needed"

echo "== building $dir" >&2
mkdir -p "$dir"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_C_FLAGS="$(flags CFLAGS) $(flags CPPFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_STRIP="$PWD/packaging/debian/strip.sh" \
  -DQUASARINE_BUILD_TESTS=OFF -DQUASARINE_BUILD_BENCHMARKS=OFF >"$dir/configure.log" 2>&1 ||
  { tail -n 30 "$dir/configure.log" >&2; exit 1; }
cmake --build "$dir" -j"$(nproc)" >"$dir/build.log" 2>&1 || { tail -n 60 "$dir/build.log" >&2; exit 1; }

echo "== packaging" >&2
rm -f "$dir"/quasarine_*.deb
(cd "$dir" && cpack -G DEB) >"$dir/cpack.log" 2>&1 || { tail -n 30 "$dir/cpack.log" >&2; exit 1; }
ls "$PWD/$dir"/quasarine_*.deb
