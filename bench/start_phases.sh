#!/usr/bin/env bash
# Where dimmscope.exe's start-up time goes under wine64, from Wine's own time
# stamps (no stamped build): its main thread's DLL loads, file opens and
# registry keys, with +timestamp. Phases, in milliseconds: process start (the
# exe mapped) to the common controls loaded (the window is being built); to the
# maker's registry key opened (the window built and shown, the start-up begun);
# to the inventory opened by the scan (caption, log and its header, the update
# check's set-up); to winhttp loaded (the scan, and the first request started;
# negative when the requests start first). Also the log's writes before the scan.
# Medians of RUNS starts of each EXE (e.g. an earlier build's copy and the
# current one), on the four-module inventory, with bench/window_start.sh's build.
# Usage: scripts/wine/with_xvfb.sh PREFIX bench/start_phases.sh RUNS EXE...
# (PREFIX and the build are window_start.sh's: BENCH_BUILD as there, run it first)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=$1
shift
build=${BENCH_BUILD:-build/bench-window}
prefix=$PWD/$build/wineprefix
. scripts/wine/env.sh "$prefix"
driver=$build/win64/tests/dimmscope_window_driver.exe
DIMMSCOPE_INVENTORY=$(winpath tests/fixtures/scan/four_modules.ini)
export DIMMSCOPE_INVENTORY DIMMSCOPE_SERVER=http://127.0.0.1:9
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
phases() {  # the phases of one traced start, from its trace
  awk '!main && /loaddll:build_module Loaded L".*dimmscope\.exe"/ { split($1, f, ":"); main = f[2]; t0 = f[1] }
       { split($1, f, ":") } f[2] != main { next }
       /Loaded L".*comctl32/ && !cc { cc = f[1] }
       /NtCreateKey .*Orvel Studio/ && !reg { reg = f[1] }
       /NtCreateFile .*Dimmscope\.log"/ && !inv { writes++ }
       /NtCreateFile .*four_modules\.ini"/ && !inv { inv = f[1] }
       /Loaded L".*winhttp\.dll"/ && !http { http = f[1] }
       END { printf "%d %d %d %d %d\n", (cc - t0) * 1000, (reg - cc) * 1000, (inv - reg) * 1000, (http - inv) * 1000, writes }' "$1"
}
for exe in "$@"; do
  results=()
  for _ in $(seq "$runs"); do
    WINEDEBUG=-all,+timestamp,+loaddll,+file,+reg "$loader" "$exe" 2>"$trace" &
    app=$!
    "$loader" "$driver" waitscan 30 >/dev/null
    sleep 1
    "$loader" "$driver" close >/dev/null
    wait "$app" || true
    results+=("$(phases "$trace")")
  done
  echo "$exe"
  echo "  start to controls | to start-up | to scan start | scan to request | log writes before scan"
  line="  "
  for column in 1 2 3 4 5; do
    line+="$(printf '%s\n' "${results[@]}" | cut -d' ' -f$column | sort -n |
      awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') | "
  done
  echo "${line% | }"
done
