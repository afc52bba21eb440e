#!/usr/bin/env bash
# Runs a Windows program under wine64 in the given prefix: run.sh PREFIX EXE [ARGS...]
set -euo pipefail
prefix=$1
shift
loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
# Overrides the caller sets (a DLL disabled for one run) are kept.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}" WINELOADER=$loader
exec "$loader" "$@"
