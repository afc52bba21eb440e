#!/usr/bin/env bash
# Runs the network end-to-end tests against tests/http_server.py: starts the
# server on a free loopback port, points the program's maker addresses at it
# through DIMMSCOPE_SERVER (and names a port that refuses connections in
# DIMMSCOPE_REFUSED_SERVER), runs the test command, and stops the server.
# Usage: http_e2e.sh COMMAND [ARGS...]  (the test exe, or scripts/wine/run.sh PREFIX EXE)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
output=$(mktemp)
python3 "$here/http_server.py" 600 >"$output" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$output"' EXIT
for _ in $(seq 300); do  # up to 30 s on a busy machine
  grep -q '^PORT ' "$output" && break
  sleep 0.1
done
read -r _ port _ refused <"$output" || true
[ -n "${port:-}" ] || { echo "FAIL the test server did not start"; exit 1; }
export DIMMSCOPE_SERVER="http://127.0.0.1:$port" DIMMSCOPE_REFUSED_SERVER="http://127.0.0.1:$refused"
"$@"
