#!/usr/bin/env bash
# Starts the packaged Windows program under Wine (building it first when there is none), in a
# private Wine prefix made once under build-windows/wine/. Options are passed on to the program.
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ ! -f "$windows_dist/quasarine.exe" ]; then
  bash "$windows_scripts/build.sh"
else
  bash "$repository_root/scripts/setup.sh"
fi
prefix="$windows_build/wine"
if [ ! -f "$prefix/.quasarine-ready" ]; then
  echo "== making the Wine prefix $prefix"
  rm -rf "$prefix"
  make_wine_prefix "$prefix"
  touch "$prefix/.quasarine-ready"
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec "$wine_loader" "$windows_dist/quasarine.exe" "$@"
