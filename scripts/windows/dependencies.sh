#!/usr/bin/env bash
# Cross-builds SDL2, GLEW, PortAudio and KISS FFT for 64-bit Windows from Debian bookworm's source
# packages into the cached dependency prefix; does nothing when the prefix for this recipe exists.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# The exact Debian source versions; changing one changes the stamp and so rebuilds the prefix.
source_packages=(libsdl2=2.26.5+dfsg-1 glew=2.2.0-4 portaudio19=19.6.0-1.2 kissfft=131.1.0-4.1~deb12u1)
jobs=$(nproc)

[ -f "$dependency_prefix/.complete" ] && exit 0
echo "== cross-building the Windows libraries into $dependency_prefix"
work="$dependency_cache/work-$dependency_stamp"
rm -rf "$work" "$dependency_prefix"
mkdir -p "$work/lists/partial" "$work/sources" "$dependency_prefix"

# Debian's own sources through a private sources list; the system's apt configuration is untouched.
fetch_sources() {
  local mirror
  mirror=$(grep -rhoE 'https?://[^ ]*debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ \
    2>/dev/null | grep -v security | head -n1 | tr -d ' ' || true)
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${mirror:-http://deb.debian.org/debian} bookworm main" \
    >"$work/sources.list"
  local apt_options=(-q -o Dir::Etc::sourcelist="$work/sources.list" -o Dir::Etc::sourceparts=-
    -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
  apt-get "${apt_options[@]}" update >"$work/sources.log" 2>&1
  (cd "$work/sources" && apt-get "${apt_options[@]}" source --download-only "${source_packages[@]}") \
    >>"$work/sources.log" 2>&1
  local dsc
  for dsc in "$work"/sources/*.dsc; do
    # The .dsc hashes are covered by the signed release file that apt has checked.
    (cd "$work/sources" && dpkg-source -q -x --no-check "$dsc") >>"$work/sources.log" 2>&1
  done
}

source_dir() {
  find "$work/sources" -maxdepth 1 -type d -name "$1-*" | head -n1
}

cmake_cross() {
  local source=$1 build=$2; shift 2
  cmake -S "$source" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$windows_scripts/toolchain.cmake" \
    -DQUASARINE_WINDOWS_PREFIX="$dependency_prefix" -DCMAKE_INSTALL_PREFIX="$dependency_prefix" \
    -DCMAKE_BUILD_TYPE=Release "$@" >"$build.log" 2>&1
  cmake --build "$build" -j"$jobs" >>"$build.log" 2>&1
  cmake --install "$build" >>"$build.log" 2>&1
}

# Only what the program uses: video with the OpenGL render driver, events, message boxes, timers.
build_sdl() {
  cmake_cross "$(source_dir libsdl2)" "$work/sdl" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF \
    -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_POWER=OFF \
    -DSDL_SENSOR=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_FILESYSTEM=OFF \
    -DSDL_DIRECTX=OFF -DSDL_RENDER_D3D=OFF -DSDL_XINPUT=OFF -DSDL_WASAPI=OFF -DSDL_OPENGLES=OFF \
    -DSDL_VULKAN=OFF -DSDL_OFFSCREEN=OFF -DSDL_DUMMYVIDEO=OFF -DSDL_DISKAUDIO=OFF \
    -DSDL_DUMMYAUDIO=OFF -DSDL_CCACHE=OFF
}

# GLEW's own Makefile skips the import library on install for this system, so install by hand.
build_glew() {
  local source
  source=$(source_dir glew)
  make -C "$source" -j"$jobs" SYSTEM=linux-mingw64 GLEW_NO_GLU=-DGLEW_NO_GLU \
    GLEW_PREFIX="$dependency_prefix" GLEW_DEST="$dependency_prefix" LIBDIR="$dependency_prefix/lib" \
    glew.lib.shared glew.pc >"$work/glew.log" 2>&1
  mkdir -p "$dependency_prefix/bin" "$dependency_prefix/lib/pkgconfig" "$dependency_prefix/include/GL"
  install -m 0755 "$source/lib/glew32.dll" "$dependency_prefix/bin/"
  install -m 0644 "$source/lib/libglew32.dll.a" "$dependency_prefix/lib/"
  install -m 0644 "$source"/include/GL/*.h "$dependency_prefix/include/GL/"
  install -m 0644 "$source/glew.pc" "$dependency_prefix/lib/pkgconfig/"
}

# WMME, DirectSound and WASAPI; WASAPI needs our patch for MinGW-w64's own headers.
build_portaudio() {
  local source
  source=$(source_dir portaudio19)
  patch -s -d "$source" -p1 <"$windows_scripts/portaudio-mingw-wasapi.patch"
  cmake_cross "$source" "$work/portaudio" -DPA_USE_WMME=ON -DPA_USE_DS=ON -DPA_USE_WASAPI=ON \
    -DPA_USE_WDMKS=OFF -DPA_USE_DIRECTSOUNDFULLDUPLEXCREATE=OFF \
    -DDXSDK_INCLUDE_DIR="$mingw_sysroot/include" -DDXSDK_ROOT_DIR="$mingw_sysroot" \
    -DDXSDK_DSOUND_LIBRARY="$mingw_sysroot/lib/libdsound.a"
  mkdir -p "$dependency_prefix/bin"
  mv "$dependency_prefix"/lib/libportaudio*.dll "$dependency_prefix/bin/"
}

build_kissfft() {
  cmake_cross "$(source_dir kissfft)" "$work/kissfft" -DKISSFFT_DATATYPE=float -DKISSFFT_STATIC=OFF \
    -DKISSFFT_TEST=OFF -DKISSFFT_TOOLS=OFF -DKISSFFT_OPENMP=OFF -DCMAKE_INSTALL_BINDIR=bin \
    -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_INSTALL_INCLUDEDIR=include
}

# A failing step shows the end of its log. Each step runs in a subshell of its own, outside any
# condition, so that errexit stops it at its first failing command.
run_step() {
  local name=$1; shift
  local started=$SECONDS status
  set +e
  (set -e; "$@")
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    echo "building $name failed:"
    tail -n 40 "$(ls -t "$work"/*.log 2>/dev/null | head -n1)" 2>/dev/null || true
    exit 1
  fi
  echo "   $name: $((SECONDS - started)) s"
}

run_step sources fetch_sources
run_step "KISS FFT" build_kissfft
run_step GLEW build_glew
run_step PortAudio build_portaudio
run_step SDL2 build_sdl
# Other recipes' prefixes are stale once this one is complete.
find "$dependency_cache" -mindepth 1 -maxdepth 1 ! -name "prefix-$dependency_stamp" -exec rm -rf {} +
touch "$dependency_prefix/.complete"
