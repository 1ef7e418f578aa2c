#!/usr/bin/env bash
# Cross-builds SDL2, GLEW, PortAudio, KISS FFT, and FFmpeg with x264 and zlib inside, for 64-bit
# Windows from Debian bookworm's source packages into the cached dependency prefix; does nothing when
# the prefix for this recipe exists. The prefix keeps those source packages (sources/) and each one's
# debian/copyright (licenses/), which the Windows package ships with its libraries.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# The exact Debian source versions; changing one changes the stamp and so rebuilds the prefix.
# FFmpeg comes from bookworm-security; a newer security release there replaces this one, which then
# has to be named here.
source_packages=(libsdl2=2.26.5+dfsg-1 glew=2.2.0-4 portaudio19=19.6.0-1.2 kissfft=131.1.0-4.1~deb12u1
  ffmpeg=7:5.1.9-0+deb12u1 x264=2:0.164.3095+gitbaee400-3 zlib=1:1.2.13.dfsg-1)
jobs=$(nproc)

[ -f "$dependency_prefix/.complete" ] && exit 0
echo "== cross-building the Windows libraries into $dependency_prefix"
work="$dependency_cache/work-$dependency_stamp"
rm -rf "$work" "$dependency_prefix"
mkdir -p "$work/lists/partial" "$work/download" "$work/sources" "$dependency_prefix"

# Debian's own sources through a private sources list; the system's apt configuration is untouched.
# Each package is unpacked into sources/NAME; its files are kept in the prefix, with its copyright file.
fetch_sources() {
  local mirror security
  mirror=$(grep -rhoE 'https?://[^ ]*debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ \
    2>/dev/null | grep -v security | head -n1 | tr -d ' ' || true)
  security=$(grep -rhoE 'https?://[^ ]*debian-security/?( |$)' /etc/apt/sources.list \
    /etc/apt/sources.list.d/ 2>/dev/null | head -n1 | tr -d ' ' || true)
  local signed="[signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]"
  {
    echo "deb-src $signed ${mirror:-http://deb.debian.org/debian} bookworm main"
    echo "deb-src $signed ${mirror:-http://deb.debian.org/debian} bookworm-updates main"
    echo "deb-src $signed ${security:-http://deb.debian.org/debian-security} bookworm-security main"
  } >"$work/sources.list"
  local apt_options=(-q -o Dir::Etc::sourcelist="$work/sources.list" -o Dir::Etc::sourceparts=-
    -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
  if [ -n "${QUASARINE_WINDOWS_SOURCES:-}" ]; then
    # The source packages at hand (those of the package's source archive) instead of downloaded.
    cp "$QUASARINE_WINDOWS_SOURCES"/* "$work/download/"
  else
    apt-get "${apt_options[@]}" update >"$work/sources.log" 2>&1
    (cd "$work/download" && apt-get "${apt_options[@]}" source --download-only "${source_packages[@]}") \
      >>"$work/sources.log" 2>&1
  fi
  mkdir -p "$dependency_prefix/sources" "$dependency_prefix/licenses"
  cp "$work"/download/* "$dependency_prefix/sources/"
  local dsc name
  for dsc in "$work"/download/*.dsc; do
    name=$(basename "$dsc")
    name=${name%%_*}
    # The .dsc hashes are covered by the signed release file that apt has checked.
    dpkg-source -q -x --no-check "$dsc" "$work/sources/$name" >>"$work/sources.log" 2>&1
    cp "$work/sources/$name/debian/copyright" "$dependency_prefix/licenses/$name.txt"
  done
}

source_dir() {
  echo "$work/sources/$1"
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

# zlib for FFmpeg's PNG encoder, static, so that no zlib DLL ships.
build_zlib() {
  (cd "$(source_dir zlib)" && CHOST="$mingw_host" CC="$mingw_host-gcc-posix" ./configure --static \
     --prefix="$dependency_prefix" && make -j"$jobs" libz.a && make install) >"$work/zlib.log" 2>&1
}

# x264, static, into FFmpeg's codec library: 8-bit 4:2:0 only, which is what the program encodes.
build_x264() {
  (cd "$(source_dir x264)" && CC="$mingw_host-gcc-posix" ./configure --host="$mingw_host" \
     --cross-prefix="$mingw_host-" --prefix="$dependency_prefix" --enable-static --enable-pic \
     --disable-cli --disable-lavf --disable-swscale --disable-opencl --bit-depth=8 \
     --chroma-format=420 && make -j"$jobs" && make install) >"$work/x264.log" 2>&1
}

# FFmpeg's DLLs with only what reading songs and writing an MP4 (H.264, AAC) need. The POSIX-threads
# compiler links every program with -lpthread, which would make avutil import libwinpthread-1.dll:
# the static library avoids that. The host's pkg-config reads the prefix's x264.pc.
build_ffmpeg() {
  mkdir -p "$work/ffmpeg"
  (cd "$work/ffmpeg" && PKG_CONFIG_LIBDIR="$dependency_prefix/lib/pkgconfig" PKG_CONFIG_PATH="" \
     "$(source_dir ffmpeg)/configure" --enable-cross-compile --target-os=mingw32 --arch=x86_64 \
     --cross-prefix="$mingw_host-" --cc="$mingw_host-gcc-posix" --pkg-config=pkg-config \
     --prefix="$dependency_prefix" --extra-cflags="-I$dependency_prefix/include" \
     --extra-ldflags="-L$dependency_prefix/lib" --extra-libs=-l:libwinpthread.a \
     --enable-shared --disable-static --disable-programs --disable-doc --disable-network \
     --disable-autodetect --enable-zlib --disable-everything --disable-avdevice --disable-avfilter \
     --disable-postproc --enable-w32threads --enable-protocol=file \
     --enable-demuxer=mov,mp3,flac,ogg,wav,aac,matroska,aiff \
     --enable-parser=aac,mpegaudio,flac,vorbis,opus \
     --enable-decoder=aac,mp3float,mp3,flac,vorbis,opus,alac,pcm_s16le,pcm_s24le,pcm_s32le,pcm_f32le,pcm_s16be,pcm_s24be \
     --enable-encoder=aac,libx264,png --enable-muxer=mp4 --enable-gpl --enable-libx264 \
     --enable-swscale --enable-swresample &&
   make -j"$jobs" && make install) >"$work/ffmpeg.log" 2>&1
  # A PNG encoder without zlib drops out with no more than a warning.
  grep -q '^#define CONFIG_PNG_ENCODER 1$' "$work/ffmpeg/config_components.h"
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
run_step zlib build_zlib
run_step x264 build_x264
run_step FFmpeg build_ffmpeg
run_step "KISS FFT" build_kissfft
run_step GLEW build_glew
run_step PortAudio build_portaudio
run_step SDL2 build_sdl
# Other recipes' prefixes are stale once this one is complete.
find "$dependency_cache" -mindepth 1 -maxdepth 1 ! -name "prefix-$dependency_stamp" -exec rm -rf {} +
touch "$dependency_prefix/.complete"
