#!/usr/bin/env bash
# Runs the network end-to-end tests against tests/http_server.py: starts the
# server on a free loopback port, points the program's maker addresses at it
# through DIMMSCOPE_SERVER, runs the test command, and stops the server.
# Usage: http_e2e.sh COMMAND [ARGS...]  (the test exe, or tests/wine/run.sh PREFIX EXE)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
output=$(mktemp)
python3 "$here/http_server.py" --lifetime 600 >"$output" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$output"' EXIT
for _ in $(seq 100); do
  grep -q '^PORT ' "$output" && break
  sleep 0.1
done
read -r _ port _ refused <"$output" || true
if [ -z "${port:-}" ]; then
  echo "FAIL the test server did not start"
  exit 1
fi
export DIMMSCOPE_SERVER="http://127.0.0.1:$port" DIMMSCOPE_REFUSED_PORT="$refused"
"$@"
