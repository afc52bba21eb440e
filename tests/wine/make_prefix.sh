#!/usr/bin/env bash
# Creates the private Wine prefix the Windows tests share (once per build).
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINELOADER=$loader
if [ ! -f "$prefix/system.reg" ]; then
  rm -rf "$prefix"
  "$loader" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
test -f "$prefix/system.reg"
