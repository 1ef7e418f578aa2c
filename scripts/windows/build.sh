#!/usr/bin/env bash
# Builds the Windows x64 package on Debian 12: the cross-built libraries (cached), the program cross
# built with generators from a native build, then build-windows/dist and the zip beside it.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repository_root"
jobs=$(nproc)

bash scripts/setup.sh
bash "$windows_scripts/dependencies.sh"

# build_tree NAME "CMAKE OPTIONS" TARGETS...: configures and builds one tree under build-windows/.
build_tree() {
  local tree="$windows_build/$1" options=$2; shift 2
  echo "== building $tree"
  mkdir -p "$windows_build"
  # shellcheck disable=SC2086
  if ! { cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=Release -DQUASARINE_BUILD_TESTS=OFF \
           -DQUASARINE_BUILD_BENCHMARKS=OFF $options >"$tree.log" 2>&1 &&
         cmake --build "$tree" -j"$jobs" --target "$@" >>"$tree.log" 2>&1; }; then
    tail -n 60 "$tree.log"
    exit 1
  fi
}

# The generators run here, so the Windows program embeds the very images and track of Linux.
build_tree host "" demo_track_generator quasarine_image_generator quasarine_icon_ico
build_tree cross "-DCMAKE_TOOLCHAIN_FILE=$windows_scripts/toolchain.cmake \
  -DQUASARINE_WINDOWS_PREFIX=$dependency_prefix \
  -DQUASARINE_HOST_TOOLS=$windows_build/host/quasarine_host_tools.cmake" quasarine

# The DLLs a PE file imports that are not part of Windows: those found in the prefix or the toolchain.
private_imports() {
  local dll
  for dll in $(x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ {print $3}'); do
    find "$dependency_prefix/bin" "$mingw_sysroot/lib" -maxdepth 1 -iname "$dll" | head -n1
  done
}

# Copies the program and, following imports, every library it needs; strips them all.
make_dist() {
  rm -rf "$windows_dist"
  mkdir -p "$windows_dist"
  cp "$windows_build/cross/app/quasarine.exe" "$windows_dist/"
  local pending=("$windows_dist/quasarine.exe") file library
  while [ ${#pending[@]} -gt 0 ]; do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    for library in $(private_imports "$file"); do
      [ -e "$windows_dist/$(basename "$library")" ] && continue
      cp "$library" "$windows_dist/"
      pending+=("$windows_dist/$(basename "$library")")
    done
  done
  x86_64-w64-mingw32-strip --strip-unneeded "$windows_dist"/*.exe "$windows_dist"/*.dll
}

# The zip holds one folder: the program, its libraries and a short text for the user.
make_zip() {
  local staging="$windows_build/zip" folder=quasarine-1.0-windows-x64
  rm -rf "$staging" "$windows_zip"
  mkdir -p "$staging/$folder"
  cp "$windows_dist"/* "$staging/$folder/"
  python3 packaging/windows/readme_text.py README.md "$staging/$folder/README.txt"
  (cd "$staging" && zip -q -r -9 "$windows_zip" "$folder")
  rm -rf "$staging"
}

make_dist
make_zip
echo "== $windows_zip: $(du -h "$windows_zip" | cut -f1)"
