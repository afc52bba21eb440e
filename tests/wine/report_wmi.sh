#!/usr/bin/env bash
# The report through the real WMI service of Wine, whose Win32_PhysicalMemory
# is one synthetic module: locator "DIMM 0", capacity = the machine's RAM.
# Usage: report_wmi.sh RUNNER PREFIX EXE
set -uo pipefail
unset DIMMSCOPE_INVENTORY
out=$("$@" --format csv | tr -d '\r')
status=$?
echo "$out"
failures=0
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
[ "$status" -eq 0 ] || fail "the report exited with $status"
[ "$(grep -c '^\[BANK ' <<<"$out")" -eq 1 ] || fail "expected exactly one module"
grep -qx 'Slot Name;DIMM 0' <<<"$out" || fail "expected the locator DIMM 0"
capacity=$(sed -n 's/^Capacity;\([0-9]*\) GB$/\1/p' <<<"$out")
[ -n "$capacity" ] && [ "$capacity" -gt 0 ] || fail "expected a non-zero capacity, got '$capacity'"
current=$(sed -n 's/^Current memory : \([0-9]*\) GB$/\1/p' <<<"$out")
[ "$current" = "$capacity" ] || fail "current memory '$current' differs from the module's '$capacity'"
[ "$failures" -eq 0 ]
