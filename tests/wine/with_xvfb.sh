#!/usr/bin/env bash
# Runs a Wine command with an X display for its windows: the display named by
# DISPLAY (ctest sets it, e.g. :77) is used if an X server already answers
# there, otherwise a virtual one is started for the command and stopped after.
# Wine's desktop process keeps the display it started with for as long as the
# prefix's wineserver runs, so the prefix must be idle before and after.
# Usage: DISPLAY=:N with_xvfb.sh PREFIX COMMAND [ARGS...]
set -uo pipefail
: "${DISPLAY:?set DISPLAY to the display to use, e.g. :77}"
prefix=$1
shift
idle() { WINEPREFIX=$prefix wineserver -w 2>/dev/null; }
answers() { xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; }

idle
xvfb=
if ! answers; then
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do
    answers && break
    kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb $DISPLAY did not start" >&2; exit 1; }
    sleep 0.1
  done
  answers || { echo "Xvfb $DISPLAY does not answer" >&2; kill "$xvfb"; exit 1; }
fi

"$@"
status=$?
idle
if [ -n "$xvfb" ]; then
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
fi
exit "$status"
