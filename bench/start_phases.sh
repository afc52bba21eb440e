#!/usr/bin/env bash
# Where dimmscope.exe's start-up time goes under wine64, from Wine's own time
# stamps (no stamped build): its main thread's DLL loads and file opens, with
# +timestamp. Phases, in milliseconds: process start (the exe mapped) to the
# common controls loaded (the window is being built); to the first write of the
# log (the window is built and the start-up runs); to the inventory opened by
# the scan (the log header, the update check's set-up); to winhttp loaded (the
# scan, and the first request started). Also the log's writes before the scan.
# Medians of RUNS starts of each EXE (e.g. an earlier build's copy and the
# current one), on the four-module inventory, with bench/window_start.sh's build.
# Usage: bench/start_phases.sh RUNS EXE...   (BENCH_BUILD as for window_start.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=$1
shift
build=${BENCH_BUILD:-build/bench-window}
prefix=$PWD/$build/wineprefix
. tests/wine/env.sh "$prefix"
driver=$build/win64/tests/dimmscope_window_driver.exe
DIMMSCOPE_INVENTORY=$(winpath tests/fixtures/scan/four_modules.ini)
export DIMMSCOPE_INVENTORY DIMMSCOPE_SERVER=http://127.0.0.1:9
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
phases() {  # the phases of one traced start, from its trace
  awk '!main && /loaddll:build_module Loaded L".*dimmscope\.exe"/ { split($1, f, ":"); main = f[2]; t0 = f[1] }
       { split($1, f, ":") } f[2] != main { next }
       /Loaded L".*comctl32/ && !cc { cc = f[1] }
       /NtCreateFile .*Dimmscope\.log"/ { if (!log1) log1 = f[1]; if (!inv) writes++ }
       /NtCreateFile .*four_modules\.ini"/ && !inv { inv = f[1] }
       /Loaded L".*winhttp\.dll"/ && !http { http = f[1] }
       END { printf "%d %d %d %d %d\n", (cc - t0) * 1000, (log1 - cc) * 1000, (inv - log1) * 1000, (http - inv) * 1000, writes }' "$1"
}
for exe in "$@"; do
  results=()
  for _ in $(seq "$runs"); do
    WINEDEBUG=-all,+timestamp,+loaddll,+file "$loader" "$exe" 2>"$trace" &
    app=$!
    "$loader" "$driver" waitscan 30 >/dev/null
    sleep 1
    "$loader" "$driver" close >/dev/null
    wait "$app" || true
    results+=("$(phases "$trace")")
  done
  printf '%s\n' "${results[@]}" | awk -v exe="$exe" '{ for (i = 1; i <= NF; i++) v[i][NR] = $i }
    END { printf "%s\n  start to controls | to first log write | to scan start | scan to request | log writes before scan\n  ", exe
          for (i = 1; i <= 5; i++) { n = asort(v[i], s); printf "%s%s", (i > 1 ? " | " : ""), s[int((n + 1) / 2)] }
          print "" }'
done
