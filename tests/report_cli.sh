#!/usr/bin/env bash
# The report's command line: help, option errors and unreadable inventories.
# Usage: report_cli.sh COMMAND...
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
failures=0
check() {  # description, expected exit status, expected stderr pattern (or ""), args...
  local what=$1 status=$2 pattern=$3
  shift 3
  local err actual
  err=$("$@" 2>&1 >/dev/null)
  actual=$?
  if [ "$actual" != "$status" ]; then
    echo "FAIL $what: exit status $actual, expected $status"
    failures=$((failures + 1))
  elif [ -n "$pattern" ] && ! grep -qE "$pattern" <<<"$err"; then
    echo "FAIL $what: stderr '$err' does not match '$pattern'"
    failures=$((failures + 1))
  elif [ -n "$pattern" ] && [ "$(wc -l <<<"$err")" -ne 1 ]; then
    echo "FAIL $what: stderr is not one line: '$err'"
    failures=$((failures + 1))
  fi
}
export DIMMSCOPE_INVENTORY="$here/fixtures/scan/one_module_two_slots.ini"
check "help" 0 "" "$@" --help
help=$("$@" --help)
grep -q -- "--format text|csv" <<<"$help" || { echo "FAIL help text lacks the format option"; failures=$((failures + 1)); }
check "unknown option" 2 "unknown option '--frobnicate'" "$@" --frobnicate
check "unknown format" 2 "unknown format 'xml'" "$@" --format xml
check "missing format value" 2 "unknown option '--format'" "$@" --format
bad=$(mktemp)
printf '[Win32_PhysicalMemory]\nCapacity = 8 GB\n' >"$bad"
DIMMSCOPE_INVENTORY="$bad" check "malformed inventory" 1 "$(basename "$bad"):2: expected a number" "$@"
DIMMSCOPE_INVENTORY="$here/fixtures/missing.ini" check "missing inventory" 1 "missing.ini: cannot open" "$@"
rm -f "$bad"
# --jedec: the JEP106 maker after each Manufacturer value read from a code.
jedec=$(DIMMSCOPE_INVENTORY="$here/fixtures/scan/four_modules.ini" "$@" --jedec | tr -d '\r' | grep '^Manufacturer')
expected=$(printf 'Manufacturer\t%s\n' '029E (Corsair)' 'Samsung (Samsung)' '04CD (G Skill Intl)' \
  '859B0000802C (Crucial Technology)')
[ "$jedec" = "$expected" ] || { echo "FAIL --jedec gave: $jedec"; failures=$((failures + 1)); }
echo "$failures failed"
[ "$failures" -eq 0 ]
