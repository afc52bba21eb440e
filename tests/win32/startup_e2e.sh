#!/usr/bin/env bash
# dimmscope.exe's start-up under wine64, on a display from with_xvfb.sh. Started
# in the background and activated by a message sent from another thread, it
# runs its start-up from its own posted message, outside that sent message.
# One start writes the log file a handful of times, not once per line: the
# file's opens are counted in Wine's trace, until the window is closed.
# Usage: startup_e2e.sh PREFIX DIMMSCOPE_EXE DRIVER_EXE
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/wine/env.sh" "$1"
trace=$(mktemp)
trap 'rm -f "$trace" "$trace.out"' EXIT
DIMMSCOPE_INVENTORY=$(winpath "$here/tests/fixtures/scan/four_modules.ini")
export DIMMSCOPE_INVENTORY DIMMSCOPE_SERVER=http://127.0.0.1:9  # nothing listens: both requests fail
log=$prefix/drive_c/users/$(id -un)/AppData/Roaming/Orvel\ Studio/Dimmscope/Dimmscope.log
rm -f "$log"
failures=0
# The program inherits the driver's output: a file, which it cannot hold open on a pipe.
WINEDEBUG=-all,+file "$loader" "$3" sendactivate "$(winpath "$2")" 30 >"$trace.out" 2>"$trace" ||
  failures=$((failures + 1))
tr -d '\r' <"$trace.out"
"$loader" "$3" waitscan 30 || failures=$((failures + 1))
for line in 'Update self check : Server error' 'File downloaded : Server error'; do
  for _ in $(seq 100); do grep -q "$line" "$log" 2>/dev/null && break; sleep 0.2; done
done
"$loader" "$3" close >/dev/null
for _ in $(seq 100); do "$loader" "$3" dump >/dev/null || break; sleep 0.2; done
writes=$(grep -c 'trace:file:NtCreateFile .*Dimmscope\.log"' "$trace")
echo "log lines $(grep -c . "$log"), log file writes $writes"
[ "$writes" -ge 1 ] && [ "$writes" -le 5 ] || { echo "FAIL expected 1 to 5 writes of the log file"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "PASS start-up"
