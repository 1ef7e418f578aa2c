#!/usr/bin/env bash
# Strips an executable as Debian's dh_strip does: all symbols, and the compiler's .comment and .note
# sections, which only say how it was built. scripts/deb.sh makes it CMake's strip tool.
set -euo pipefail
exec strip --remove-section=.comment --remove-section=.note "$@"
