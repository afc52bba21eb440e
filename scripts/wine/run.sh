#!/usr/bin/env bash
# Runs a Windows program under wine64 in the given prefix: run.sh PREFIX EXE [ARGS...]
set -euo pipefail
. "$(dirname "$0")/env.sh" "$1"
shift
exec "$loader" "$@"
