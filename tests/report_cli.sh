#!/usr/bin/env bash
# The report's command line and sources: help, option errors, unreadable
# inventories, dumps and SMBIOS table folders, each failure in one line.
# Usage: report_cli.sh REPORT
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
report=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # description, exit status, pattern of the one line on stderr ("": anything), command...
  local what=$1 status=$2 pattern=$3 err actual
  shift 3
  err=$("$@" 2>&1 >/dev/null)
  actual=$?
  [ "$actual" = "$status" ] && { [ -z "$pattern" ] || { grep -qE "$pattern" <<<"$err" && [ "$(wc -l <<<"$err")" = 1 ]; }; } &&
    return
  echo "FAIL $what: exit status $actual, stderr '$err'; expected $status and one line matching '$pattern'"
  failures=$((failures + 1))
}
unset DIMMSCOPE_SMBIOS DIMMSCOPE_DMI_TABLES
export DIMMSCOPE_INVENTORY="$here/fixtures/scan/one_module_two_slots.ini"
check "help" 0 "" "$report" --help
check "unknown option" 2 "unknown option '--frobnicate'" "$report" --frobnicate
check "unknown format" 2 "unknown format 'xml'" "$report" --format xml
check "missing format value" 2 "unknown option '--format'" "$report" --format
check "no dump name" 2 "option '--smbios' needs a file name" "$report" --smbios
printf '[Win32_PhysicalMemory]\nCapacity = 8 GB\n' >"$work/bad.ini"
DIMMSCOPE_INVENTORY="$work/bad.ini" check "malformed inventory" 1 "bad\.ini:2: expected a number" "$report"
DIMMSCOPE_INVENTORY="$work/missing.ini" check "missing inventory" 1 "missing\.ini: cannot open" "$report"
# A class that cannot be loaded shows as no instance, but is no success.
printf '[Win32_PhysicalMemory]\nInstallDate = "2024-01-01 00:00:00"\n[Win32_PhysicalMemory]\n' >"$work/date.ini"
DIMMSCOPE_INVENTORY="$work/date.ini" check "unreadable first module" 1 "Cannot read Win32_PhysicalMemory: .*not a valid integer" "$report"
printf '[Win32_PhysicalMemory]\nCapacity = "-1"\nDeviceLocator = "DIMM A"\n' >"$work/negative.ini"
DIMMSCOPE_INVENTORY="$work/negative.ini" check "impossible capacity" 0 "DIMM A.*-1 bytes" "$report"
# --jedec: the JEP106 maker after each Manufacturer value read from a code.
jedec=$(DIMMSCOPE_INVENTORY="$here/fixtures/scan/four_modules.ini" "$report" --jedec | tr -d '\r' | grep '^Manufacturer')
expected=$(printf 'Manufacturer\t%s\n' '029E (Corsair)' 'Samsung (Samsung)' '04CD (G Skill Intl)' \
  '859B0000802C (Crucial Technology)')
[ "$jedec" = "$expected" ] || { echo "FAIL --jedec gave: $jedec"; failures=$((failures + 1)); }
unset DIMMSCOPE_INVENTORY
check "missing dump" 1 "missing\.bin: cannot open the SMBIOS dump" "$report" --smbios "$work/missing.bin"
printf 'not a dump at all' >"$work/garbage.bin"
DIMMSCOPE_SMBIOS="$work/garbage.bin" check "garbage dump" 1 \
  "garbage\.bin: not a usable SMBIOS dump: no _SM_ or _SM3_ entry point" "$report"
DIMMSCOPE_DMI_TABLES="$work/none" check "no tables" 1 "publishes no SMBIOS tables" "$report"

# As the kernel publishes them, the tables are readable by root only. The
# report runs as nobody from a copy of its own, since the build may lie where
# nobody cannot reach (a home folder, a private temporary folder); a coverage
# build's copy writes its counts to a folder of its own.
nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
chmod 755 "$work" && mkdir -m 755 "$work/tables" && mkdir -m 1777 "$work/gcov"
touch "$work/tables/smbios_entry_point" "$work/tables/DMI" && chmod 400 "$work/tables"/*
cp "$report" "$work/report" && chmod 755 "$work/report"
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
  echo "skipped: the unreadable-tables check needs root and setpriv to set it up"
elif ! "${nobody[@]}" test -x "$work/report"; then
  echo "skipped: the unreadable-tables check: nobody cannot run $work/report"
else
  GCOV_PREFIX="$work/gcov" DIMMSCOPE_DMI_TABLES="$work/tables" check "tables need root" 1 \
    "^Reading memory modules needs root: run it with sudo$" "${nobody[@]}" "$work/report"
fi
echo "$failures failed"
[ "$failures" -eq 0 ]
