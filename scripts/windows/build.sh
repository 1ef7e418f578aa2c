#!/usr/bin/env bash
# Builds the Windows x64 package on Debian 12: the cross-built libraries (cached), the program cross
# built with generators from a native build, then build-windows/dist, the zip and the installer beside
# it, and the archive of the package's corresponding source.
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
  make_licenses
}

# The packages whose copyright files cover the MinGW-w64 runtime and GCC's runtime libraries (libgcc,
# libstdc++, with their runtime exception), which the program and FFmpeg link statically: NAME:PACKAGE.
toolchain_copyrights=(mingw-w64:mingw-w64-x86-64-dev gcc-mingw-w64:g++-mingw-w64-x86-64-posix)

# The project's licence as LICENSE.txt, and in licenses/ the copyright file of each Debian source
# package whose code the package holds, verbatim, with every licence text those files name under
# /usr/share/common-licenses.
make_licenses() {
  local folder="$windows_dist/licenses" entry text
  mkdir -p "$folder"
  cp LICENSE "$windows_dist/LICENSE.txt"
  cp "$dependency_prefix"/licenses/*.txt "$folder/"
  for entry in "${toolchain_copyrights[@]}"; do
    cp "/usr/share/doc/${entry#*:}/copyright" "$folder/${entry%%:*}.txt"
  done
  for text in $(grep -ohE '/usr/share/common-licenses/[A-Za-z0-9][A-Za-z0-9.+-]*[A-Za-z0-9+]' \
                  "$folder"/*.txt | sort -u); do
    cp "$text" "$folder/$(basename "$text").txt"
  done
  sed 's/$/\r/' >"$folder/README.txt" <<EOF
Quasarine is free software: GNU General Public License, version 3 or later (LICENSE.txt beside the
program). It includes libraries built from Debian's source packages, and runtime parts of the
MinGW-w64 compilers. Each NAME.txt here is the copyright file of the Debian source package NAME:
libsdl2 (SDL2.dll), glew (glew32.dll), portaudio19 (libportaudio.dll), kissfft
(libkissfft-float.dll), ffmpeg (avcodec, avformat, avutil, swresample, swscale), x264 and zlib
(inside avcodec), mingw-w64 (the MinGW-w64 runtime, winpthreads) and gcc-mingw-w64 (libgcc,
libstdc++). Where one refers to /usr/share/common-licenses/LICENCE, that text is LICENCE.txt here.
The source code of all of these, with the scripts and patches that built them, is in
quasarine-1.0-windows-x64-source.tar.xz, published beside this package.
EOF
}

# The zip holds one folder: the program, its libraries and a short text for the user.
make_zip() {
  local staging="$windows_build/zip" folder=quasarine-1.0-windows-x64
  rm -rf "$staging" "$windows_zip"
  mkdir -p "$staging/$folder"
  cp -r "$windows_dist"/. "$staging/$folder/"
  python3 packaging/windows/readme_text.py README.md "$staging/$folder/README.txt"
  (cd "$staging" && zip -q -r -9 "$windows_zip" "$folder")
  rm -rf "$staging"
}

# The installer's file list, written from dist: the uninstaller removes exactly what was installed.
write_program_files() {
  local folder file
  echo '!macro INSTALL_PROGRAM_FILES'
  while IFS= read -r folder; do
    echo "  SetOutPath \"\$INSTDIR${folder//\//\\}\""
    for file in "$windows_dist$folder"/*; do
      [ ! -f "$file" ] || echo "  File \"$file\""
    done
  done < <(cd "$windows_dist" && find . -type d | sort | sed 's|^\.||')
  echo "  SetOutPath \"\$INSTDIR\""
  echo '!macroend'
  echo '!macro REMOVE_PROGRAM_FILES'
  for file in $(cd "$windows_dist" && find . -type f | sort | sed 's|^\./||'); do
    echo "  Delete \"\$INSTDIR\\${file//\//\\}\""
  done
  for folder in $(cd "$windows_dist" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||'); do
    echo "  RMDir \"\$INSTDIR\\${folder//\//\\}\""
  done
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
         -DLICENSE="$repository_root/LICENSE" \
         -DPROGRAM_FILES="$work/program_files.nsh" -DOUTFILE="$windows_setup" \
         packaging/windows/quasarine.nsi >"$work/makensis.log" 2>&1; then
    cat "$work/makensis.log"
    exit 1
  fi
}

# The project's files, NUL-separated: in a clone, the tracked and new ones that git does not ignore
# (a deleted one is skipped later); in a tree unpacked from the source archive, all but the builds.
project_files() {
  if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$repository_root" ]; then
    git ls-files -z --cached --others --exclude-standard
  else
    find . -path './build*' -prune -o -type f -printf '%P\0'
  fi
}

# The package's corresponding source: the Debian source packages its libraries were built from, as
# downloaded, and this project's tree as built (the program, and the scripts and patches that build
# those libraries). Its README says how to build the package from it alone.
make_source_archive() {
  local staging="$windows_build/source" folder=quasarine-1.0-windows-x64-source
  local tree="$staging/$folder/quasarine-1.0" file
  rm -rf "$staging" "$windows_source"
  mkdir -p "$staging/$folder/debian-sources" "$tree"
  cp "$dependency_prefix"/sources/* "$staging/$folder/debian-sources/"
  project_files | while IFS= read -r -d '' file; do
    [ ! -f "$file" ] || printf '%s\0' "$file"
  done | tar --null -T - -cf - | tar -xf - -C "$tree"
  sed 's/$/\r/' >"$staging/$folder/README.txt" <<'EOF'
The corresponding source of the Windows package of Quasarine 1.0 (quasarine-1.0-windows-x64.zip
and quasarine-1.0-windows-x64-setup.exe).

quasarine-1.0/     the program's source, with the scripts that build the package:
                   scripts/windows/dependencies.sh builds the libraries (with the patch beside it),
                   scripts/windows/build.sh the program, the zip and the installer.
debian-sources/    the Debian 12 (bookworm) source packages the libraries were built from, as
                   downloaded: SDL2, GLEW, PortAudio, KISS FFT, FFmpeg, x264 and zlib.

To build the package from these files alone, on Debian 12 as root:

    cd quasarine-1.0
    QUASARINE_WINDOWS_SOURCES=$PWD/../debian-sources bash scripts/windows/build.sh
EOF
  tar --sort=name --owner=0 --group=0 --numeric-owner -cf - -C "$staging" "$folder" |
    xz -T0 -6 >"$windows_source"
  rm -rf "$staging"
}

windows_setup="${windows_zip%.zip}-setup.exe"
windows_source="${windows_zip%.zip}-source.tar.xz"
make_dist
make_zip
make_installer
make_source_archive
echo "== $windows_zip: $(du -h "$windows_zip" | cut -f1)"
echo "== $windows_setup: $(du -h "$windows_setup" | cut -f1)"
echo "== $windows_source: $(du -h "$windows_source" | cut -f1)"
