# Shared settings of the Windows scripts: the cross toolchain, the cached dependency prefix, Wine.
# Sourced, not run.

windows_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repository_root=$(cd "$windows_scripts/../.." && pwd)
windows_build="$repository_root/build-windows"
windows_dist="$windows_build/dist"
windows_zip="$windows_build/quasarine-1.0-windows-x64.zip"
mingw_host=x86_64-w64-mingw32
mingw_sysroot=/usr/$mingw_host

# The dependency prefix lives outside the clone, keyed by a stamp of everything that shapes it.
dependency_cache=${QUASARINE_WINDOWS_CACHE:-/var/cache/quasarine-windows}
dependency_stamp=$(cat "$windows_scripts/dependencies.sh" "$windows_scripts/toolchain.cmake" \
  "$windows_scripts"/*.patch | sha256sum | cut -c1-16)
dependency_prefix="$dependency_cache/prefix-$dependency_stamp"

wine_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
wine_server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
graphics_drivers_key='HKLM\SYSTEM\CurrentControlSet\Control\GraphicsDrivers'

# make_wine_prefix DIR: a fresh 64-bit Wine prefix without Mono or Gecko prompts, holding the
# graphics-driver key that the program's driver-timeout guard adjusts.
make_wine_prefix() {
  mkdir -p "$1"
  WINEPREFIX="$1" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all DISPLAY= \
    "$wine_loader" wineboot --init >/dev/null 2>&1
  WINEPREFIX="$1" WINEDEBUG=-all DISPLAY= \
    "$wine_loader" reg add "$graphics_drivers_key" /f >/dev/null 2>&1
  WINEPREFIX="$1" "$wine_server" -w
}
