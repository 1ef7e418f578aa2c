#!/usr/bin/env bash
# Runs the cross-compiled registry test under Wine, in a Wine prefix of its own that is removed after.
set -euo pipefail
exe=$1
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
prefix=$(mktemp -d /tmp/quasarine-wine.XXXXXX)
trap 'WINEPREFIX="$prefix" "$server" -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No display: Wine's first-start configuration then opens no windows.
DISPLAY= "$wine" wineboot --init >/dev/null 2>&1 || true
DISPLAY= "$wine" "$exe"
