#!/usr/bin/env bash
# Runs a command with an X display for Wine's windows: the one DISPLAY names if
# it answers, else an Xvfb of its own, which picks a free number and tells it
# once it accepts connections. Wine's desktop keeps its display while the
# prefix's wineserver runs: the prefix is left idle before and after.
# Usage: with_xvfb.sh PREFIX COMMAND [ARGS...]
set -uo pipefail
export WINEPREFIX=$1
wineserver -w 2>/dev/null
if [ -z "${DISPLAY:-}" ] || ! xdotool getmouselocation >/dev/null 2>&1; then
  exec 5< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  xvfb=$!
  trap 'kill $xvfb' EXIT
  read -r -t 60 number <&5 || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$number
fi
"${@:2}"
status=$?
wineserver -w 2>/dev/null
exit "$status"
