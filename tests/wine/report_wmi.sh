#!/usr/bin/env bash
# The report through the real WMI service of Wine, whose Win32_PhysicalMemory
# is one synthetic module: locator "DIMM 0", capacity = the machine's RAM, and
# which lacks Win32_PhysicalMemoryArray; WMI is asked once: one connection, one
# query per class (counted in Wine's trace of its WMI calls). Then without WMI,
# through Wine's own firmware table.
# Usage: report_wmi.sh RUNNER PREFIX EXE
set -uo pipefail
unset DIMMSCOPE_INVENTORY
errors=$(mktemp) saved=$(mktemp) first=$(mktemp)
trap 'rm -f "$errors" "$saved" "$first"' EXIT
# Wine 8's WMI has no Win32_PhysicalMemoryArray class: the report prints the
# modules it read, says what failed and exits with 3 (partial); the inventory
# it saved on the way replays to the same report.
DIMMSCOPE_WINE_TRACE=+wbemprox "$@" --format csv --save-inventory "$saved" >"$first" 2>"$errors"
[ $? = 3 ] && grep -q 'the memory scan failed in part: Cannot read Win32_PhysicalMemoryArray: ' "$errors" ||
  { echo "FAIL Wine's missing array class was not reported as partial: $(grep -v trace: "$errors")"; exit 1; }
out=$(DIMMSCOPE_INVENTORY="$saved" "$@" --format csv | tr -d '\r') || { echo "FAIL the report exited with $?"; exit 1; }
echo "$out"
[ "$out" = "$(tr -d '\r' <"$first")" ] || { echo "FAIL the partial report differs: $(cat "$first")"; exit 1; }
calls() { grep -c "trace:wbemprox:$1" "$errors"; }
connects=$(calls 'wbem_locator_ConnectServer ')
modules=$(calls 'wbem_services_ExecQuery .*"SELECT \* FROM Win32_PhysicalMemory"')
arrays=$(calls 'wbem_services_ExecQuery .*"SELECT \* FROM Win32_PhysicalMemoryArray"')
echo "WMI: $connects connection(s), $modules query(ies) of Win32_PhysicalMemory, $arrays of Win32_PhysicalMemoryArray"
[ "$connects/$modules/$arrays" = 1/1/1 ] || { echo "FAIL expected one connection and one query per class"; exit 1; }
capacity=$(sed -n 's/^Capacity;\([0-9]*\) GB$/\1/p' <<<"$out")
current=$(sed -n 's/^Current memory : \([0-9]*\) GB$/\1/p' <<<"$out")
[ "$(grep -c '^\[BANK ' <<<"$out")" = 1 ] && grep -qx 'Slot Name;DIMM 0' <<<"$out" && [ "${capacity:-0}" -gt 0 ] &&
  [ "$current" = "$capacity" ] || { echo "FAIL expected one module, DIMM 0, of all the machine's memory"; exit 1; }

# With WMI's scripting objects disabled the report falls back on Wine's own
# firmware table, which holds no memory structure (BIOS, system, chassis,
# board and boot structures only): an empty machine, and the line saying why.
out=$(WINEDLLOVERRIDES=wbemdisp= "$@" 2>"$errors" | tr -d '\r')
grep -qx 'Memory read from the firmware tables: connecting to WMI failed (.*)' <(tr -d '\r' <"$errors") &&
  [ "$out" = $'Number of slots : 0\nCurrent memory : 0 GB\nMaximum memory : 0 GB' ] ||
  { echo "FAIL without WMI: expected an empty machine and the firmware line, got '$out' / $(cat "$errors")"; exit 1; }
