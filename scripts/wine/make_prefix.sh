#!/usr/bin/env bash
# Creates the private Wine prefix the Windows tests and scripts/run share
# (once per build), with the window font's substitute; given a second folder,
# leaves a copy of the idle prefix there (refreshed on each call), so that a
# test with its own display and file associations can run beside the others.
# Usage: make_prefix.sh PREFIX [COPY]
set -euo pipefail
. "$(dirname "$0")/env.sh" "$1"
if [ ! -f "$prefix/system.reg" ]; then
  rm -rf "$prefix"
  "$loader" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
test -f "$prefix/system.reg"
# Wine has no "MS Sans Serif", the window's font, and falls back to a much
# wider one that cuts labels off; Liberation Sans (fonts-liberation) draws
# them as wide as Windows does. Added once, also to an older prefix.
if ! grep -q '^"MS Sans Serif"="Liberation Sans"' "$prefix/system.reg"; then
  "$loader" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v "MS Sans Serif" /d "Liberation Sans" /f >/dev/null 2>&1
  wineserver -w
fi
if [ $# -gt 1 ]; then
  rm -rf "$2"
  cp -a "$prefix" "$2"
fi
