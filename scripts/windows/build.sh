#!/usr/bin/env bash
# Builds the Windows x64 package on Debian 12: the cross-built libraries (cached), the program cross
# built with generators from a native build, then build-windows/dist, the zip and the installer beside it.
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

# The installer's file list, written from dist: the uninstaller removes exactly what was installed.
write_program_files() {
  local file
  echo '!macro INSTALL_PROGRAM_FILES'
  for file in "$windows_dist"/*; do echo "  File \"$file\""; done
  echo '!macroend'
  echo '!macro REMOVE_PROGRAM_FILES'
  for file in "$windows_dist"/*; do echo "  Delete \"\$INSTDIR\\$(basename "$file")\""; done
  echo '!macroend'
}

# The installer holds the files of the zip; warnings fail the build, as they are mistakes in the script.
make_installer() {
  local work="$windows_build/installer"
  local version
  version=$(sed -n 's/^project(quasarine VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  rm -rf "$work" "$windows_setup"
  mkdir -p "$work"
  write_program_files >"$work/program_files.nsh"
  if ! makensis -WX -V2 -DVERSION="$version" -DICON="$windows_build/cross/packaging/windows/quasarine.ico" \
         -DPROGRAM_FILES="$work/program_files.nsh" -DOUTFILE="$windows_setup" \
         packaging/windows/quasarine.nsi >"$work/makensis.log" 2>&1; then
    cat "$work/makensis.log"
    exit 1
  fi
}

windows_setup="${windows_zip%.zip}-setup.exe"
make_dist
make_zip
make_installer
echo "== $windows_zip: $(du -h "$windows_zip" | cut -f1)"
echo "== $windows_setup: $(du -h "$windows_setup" | cut -f1)"
