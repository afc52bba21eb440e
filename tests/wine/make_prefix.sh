#!/usr/bin/env bash
# Creates the private Wine prefix the Windows tests share (once per build).
set -euo pipefail
. "$(dirname "$0")/env.sh" "$1"
if [ ! -f "$prefix/system.reg" ]; then
  rm -rf "$prefix"
  "$loader" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
test -f "$prefix/system.reg"
