#!/usr/bin/env bash
# The report through the real WMI service of Wine, whose Win32_PhysicalMemory
# is one synthetic module: locator "DIMM 0", capacity = the machine's RAM;
# then without WMI, through Wine's own firmware table.
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

# With WMI's scripting objects disabled the report falls back on Wine's own
# firmware table, which holds no memory structure (BIOS, system, chassis,
# board and boot structures only): an empty machine, and the line saying why.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
out=$(WINEDLLOVERRIDES=wbemdisp= "$@" 2>"$errors" | tr -d '\r')
tr -d '\r' <"$errors"
grep -qx 'Memory read from the firmware tables: connecting to WMI failed (.*)' <(tr -d '\r' <"$errors") ||
  fail "expected the line naming the firmware tables"
[ "$out" = $'Number of slots : 0\nCurrent memory : 0 GB\nMaximum memory : 0 GB' ] || fail "expected an empty machine"
[ "$failures" -eq 0 ]
