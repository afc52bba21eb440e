#!/usr/bin/env bash
# The report through the real WMI service of Wine, whose Win32_PhysicalMemory
# is one synthetic module: locator "DIMM 0", capacity = the machine's RAM.
# Usage: report_wmi.sh RUNNER PREFIX EXE
set -uo pipefail
unset DIMMSCOPE_INVENTORY
out=$("$@" --format csv | tr -d '\r') || { echo "FAIL the report exited with $?"; exit 1; }
echo "$out"
capacity=$(sed -n 's/^Capacity;\([0-9]*\) GB$/\1/p' <<<"$out")
current=$(sed -n 's/^Current memory : \([0-9]*\) GB$/\1/p' <<<"$out")
[ "$(grep -c '^\[BANK ' <<<"$out")" = 1 ] && grep -qx 'Slot Name;DIMM 0' <<<"$out" && [ "${capacity:-0}" -gt 0 ] &&
  [ "$current" = "$capacity" ] || { echo "FAIL expected one module, DIMM 0, of all the machine's memory"; exit 1; }
