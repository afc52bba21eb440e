#!/usr/bin/env bash
# Start-up time of dimmscope.exe under wine64: from the process start to the
# slot scan shown in the window (four modules), next to two yardsticks in the
# same run under the same Wine, the three started in turn: a minimal Win32
# program that only opens a window, and the floor (bench/floor_window.cpp):
# the same main window with its lists filled before it is shown, and nothing
# of the start-up. Then dimmscope.exe once more, on Wine's own WMI instead of
# the inventory file. Prints every run, the medians, both ratios and the exe
# sizes.
# Usage: bench/window_start.sh [RUNS]   (default 9; BENCH_BUILD names a folder
# holding the win64 and win32 builds, build/bench-window by default; BENCH_EXES
# names a folder whose dimmscope.exe and dimmscope_floor.exe are timed instead
# of the ones built; BENCH_BEFORE one whose pair is timed too, in the same
# rounds, e.g. copies kept from before a change)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-9}
build=${BENCH_BUILD:-build/bench-window}
cmake -S . -B "$build/win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DDIMMSCOPE_BENCH=ON >/dev/null
cmake --build "$build/win64" --target dimmscope dimmscope_window_driver minimal_window dimmscope_floor >/dev/null
cmake -S . -B "$build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DDIMMSCOPE_TESTS=OFF >/dev/null
cmake --build "$build/win32" --target dimmscope >/dev/null

prefix=$PWD/$build/wineprefix
. scripts/wine/env.sh "$prefix"
if [ -z "${DISPLAY:-}" ]; then
  exec 5< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  read -r -t 60 number <&5 || { echo "window_start: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$number
fi
scripts/wine/make_prefix.sh "$prefix"
DIMMSCOPE_INVENTORY=$(winpath tests/fixtures/scan/four_modules.ini)
export DIMMSCOPE_INVENTORY
export DIMMSCOPE_SERVER=http://127.0.0.1:9  # nothing listens: no network wait
driver=$build/win64/tests/dimmscope_window_driver.exe
minimal_exe=$build/win64/bench/minimal_window.exe
# Each series: a name, the folder of its dimmscope.exe and dimmscope_floor.exe.
sets=("now|${BENCH_EXES:-}")
[ -n "${BENCH_BEFORE:-}" ] && sets+=("before|$BENCH_BEFORE")
app_of() { echo "${1:-$build/win64}/dimmscope.exe"; }
floor_of() { echo "${1:-$build/win64/bench}/dimmscope_floor.exe"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Milliseconds from starting EXE to the driver seeing WAIT_ARGS satisfied. The
# driver is started first and polls every 5 ms, so its own start is not timed.
time_one() {  # EXE WAIT_ARGS...
  local exe=$1
  shift
  "$loader" "$driver" "$@" >/dev/null &
  local waiter=$!
  sleep 1.5
  local start
  start=$(now_ms)
  "$loader" "$exe" &
  local app=$!
  wait "$waiter"
  local end
  end=$(now_ms)
  "$loader" "$driver" close >/dev/null 2>&1 || true
  wait "$app" 2>/dev/null || true
  echo $((end - start))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

"$loader" "$minimal_exe"  # warms the prefix and the page cache
"$loader" "$(floor_of "${BENCH_EXES:-}")" &  # and the window's fonts and controls
floor_warm=$!
"$loader" "$driver" waitscan 30 >/dev/null && "$loader" "$driver" close >/dev/null
wait "$floor_warm"
declare -A times
for i in $(seq "$runs"); do
  m=$(time_one "$minimal_exe" waitclass MinimalWindow 30)
  times[minimal]+=" $m" line="run $i: minimal window $m ms"
  for set in "${sets[@]}"; do
    name=${set%%|*} dir=${set#*|}
    f=$(time_one "$(floor_of "$dir")" waitscan 30)
    d=$(time_one "$(app_of "$dir")" waitscan 30)
    w=$(unset DIMMSCOPE_INVENTORY; time_one "$(app_of "$dir")" waitscan 30)
    times[$name.floor]+=" $f" times[$name.app]+=" $d" times[$name.wmi]+=" $w"
    times[$name.ratio]+=" $(awk "BEGIN {printf \"%.4f\", $d / $f}")"
    line+="; $name: floor $f ms, dimmscope.exe $d ms, on Wine's own WMI $w ms"
  done
  echo "$line"
done
med() { tr ' ' '\n' <<<"${times[$1]}" | grep . | median; }
m=$(med minimal)
echo "medians over $runs runs: minimal window $m ms"
for set in "${sets[@]}"; do
  name=${set%%|*}
  f=$(med "$name.floor") d=$(med "$name.app") w=$(med "$name.wmi")
  echo "$name: floor $f ms, dimmscope.exe $d ms (on Wine's own WMI $w ms);" \
    "dimmscope.exe / minimal window $(awk "BEGIN {printf \"%.2f\", $d / $m}")," \
    "dimmscope.exe / floor $(awk "BEGIN {printf \"%.3f\", $d / $f}")" \
    "(median of the rounds' own ratios $(med "$name.ratio"), steadier on a busy machine)"
done
echo "size: dimmscope.exe i686 release $(stat -c %s "$build/win32/dimmscope.exe") bytes," \
  "x86_64 release $(stat -c %s "$build/win64/dimmscope.exe") bytes"
