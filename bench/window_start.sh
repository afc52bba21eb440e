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
# of the ones built, e.g. copies kept from before a change)
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
. tests/wine/env.sh "$prefix"
if [ -z "${DISPLAY:-}" ]; then
  exec 5< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  read -r -t 60 number <&5 || { echo "window_start: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$number
fi
tests/wine/make_prefix.sh "$prefix"
DIMMSCOPE_INVENTORY=$(winpath tests/fixtures/scan/four_modules.ini)
export DIMMSCOPE_INVENTORY
export DIMMSCOPE_SERVER=http://127.0.0.1:9  # nothing listens: no network wait
driver=$build/win64/tests/dimmscope_window_driver.exe
exes=${BENCH_EXES:-}
app_exe=${exes:-$build/win64}/dimmscope.exe
floor_exe=${exes:-$build/win64/bench}/dimmscope_floor.exe

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

"$loader" "$build/win64/bench/minimal_window.exe"  # warms the prefix and the page cache
"$loader" "$floor_exe" &  # and the window's fonts and controls
floor_warm=$!
"$loader" "$driver" waitscan 30 >/dev/null && "$loader" "$driver" close >/dev/null
wait "$floor_warm"
dimmscope=() minimal=() floor=() live=()
for i in $(seq "$runs"); do
  minimal+=("$(time_one "$build/win64/bench/minimal_window.exe" waitclass MinimalWindow 30)")
  floor+=("$(time_one "$floor_exe" waitscan 30)")
  dimmscope+=("$(time_one "$app_exe" waitscan 30)")
  live+=("$(unset DIMMSCOPE_INVENTORY; time_one "$app_exe" waitscan 30)")
  echo "run $i: minimal window ${minimal[-1]} ms, floor ${floor[-1]} ms, dimmscope.exe to scan shown ${dimmscope[-1]} ms," \
    "the same on Wine's own WMI ${live[-1]} ms"
done
m=$(printf '%s\n' "${minimal[@]}" | median)
f=$(printf '%s\n' "${floor[@]}" | median)
d=$(printf '%s\n' "${dimmscope[@]}" | median)
w=$(printf '%s\n' "${live[@]}" | median)
echo "median over $runs runs: minimal window $m ms, floor $f ms, dimmscope.exe $d ms (on Wine's own WMI $w ms)"
echo "ratios: dimmscope.exe / minimal window $(awk "BEGIN {printf \"%.2f\", $d / $m}")," \
  "dimmscope.exe / floor $(awk "BEGIN {printf \"%.3f\", $d / $f}")"
echo "size: dimmscope.exe i686 release $(stat -c %s "$build/win32/dimmscope.exe") bytes," \
  "x86_64 release $(stat -c %s "$build/win64/dimmscope.exe") bytes"
