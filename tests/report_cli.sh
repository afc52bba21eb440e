#!/usr/bin/env bash
# The report's command line and sources: help, option errors, unreadable
# inventories, dumps and SMBIOS table folders, partial scans, full disks
# (tests/cases/report_cli.txt), each failure in one line.
# Usage: report_cli.sh REPORT
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
report=$(realpath "$1")
cd "$here" || exit 1  # the case table's fixtures are relative to tests/, whatever blanks the checkout's path holds
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 cases=0
check() {  # description, exit status, pattern of the one line on stderr ("": anything), command...
  local what=$1 status=$2 pattern=$3 err actual
  shift 3
  err=$("$@" 2>&1 >"${output:-/dev/null}")
  actual=$?
  [ "$actual" = "$status" ] && { [ -z "$pattern" ] || { grep -qE "$pattern" <<<"$err" && [ "$(wc -l <<<"$err")" = 1 ]; }; } &&
    return
  echo "FAIL $what: exit status $actual, stderr '$err'; expected $status and one line matching '$pattern'"
  failures=$((failures + 1))
}
unset DIMMSCOPE_SMBIOS DIMMSCOPE_DMI_TABLES
export DIMMSCOPE_INVENTORY="$here/fixtures/scan/one_module_two_slots.ini"
while IFS='|' read -r what status pattern environment arguments output; do
  check "$what" "$status" "$pattern" env $environment "$report" $arguments
  cases=$((cases + 1))
done < <(grep -v '^#' "$here/cases/report_cli.txt" | sed -E "s/ *[|] */|/g; s#@work#$work#g; s#@fixtures#fixtures#g")
# --jedec: the JEP106 maker after each Manufacturer value read from a code.
jedec=$(DIMMSCOPE_INVENTORY="$here/fixtures/scan/four_modules.ini" "$report" --jedec | tr -d '\r' | grep '^Manufacturer')
expected=$(printf 'Manufacturer\t%s\n' '029E (Corsair)' 'Samsung (Samsung)' '04CD (G Skill Intl)' \
  '859B0000802C (Crucial Technology)')
[ "$jedec" = "$expected" ] || { echo "FAIL --jedec gave: $jedec"; failures=$((failures + 1)); }
unset DIMMSCOPE_INVENTORY

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
echo "$cases cases, $failures failed"
[ "$failures" -eq 0 ] && [ "$cases" -gt 0 ]
