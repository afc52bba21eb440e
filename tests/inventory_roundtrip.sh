#!/usr/bin/env bash
# Capture and replay: for every fixture inventory, the report saves what it
# read (--save-inventory), and replaying the saved file must give the same
# report byte for byte, in both formats; saving the replay again must give
# the same inventory. Usage: inventory_roundtrip.sh COMMAND... (the report,
# or a Wine runner followed by the report exe).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
count=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
unset DIMMSCOPE_SMBIOS
for inventory in "$here"/fixtures/samples/*.ini "$here"/fixtures/scan/*.ini; do
  name=$(basename "$inventory" .ini)
  saved="$work/$name.saved.ini"
  again="$work/$name.again.ini"
  for format in text csv; do
    if ! DIMMSCOPE_INVENTORY="$inventory" "$@" --format "$format" --save-inventory "$saved" >"$work/first" \
         2>"$work/err"; then
      fail "$name ($format): saving failed: $(cat "$work/err")"
      continue
    fi
    if ! DIMMSCOPE_INVENTORY="$saved" "$@" --format "$format" --save-inventory "$again" >"$work/second" \
         2>"$work/err"; then
      fail "$name ($format): replaying the saved inventory failed: $(cat "$work/err")"
      continue
    fi
    count=$((count + 1))
    if ! cmp -s "$work/first" "$work/second"; then
      fail "$name ($format): the saved inventory reports differently"
      diff <(cat -A "$work/first") <(cat -A "$work/second") | head -10
    fi
    # The first comment line names the source, which differs.
    if ! cmp -s <(grep -v '^#' "$saved") <(grep -v '^#' "$again"); then
      fail "$name ($format): saving the replayed inventory changes it"
      diff "$saved" "$again" | head -10
    fi
  done
done
# The system's own inventory (WMI on Windows and Wine, the SMBIOS tables on
# Linux as root), where there is one to read.
saved="$work/own.saved.ini"
if env -u DIMMSCOPE_INVENTORY "$@" --save-inventory "$saved" >"$work/first" 2>"$work/err"; then
  count=$((count + 1))
  if ! DIMMSCOPE_INVENTORY="$saved" "$@" >"$work/second" 2>"$work/err" || ! cmp -s "$work/first" "$work/second"; then
    fail "own inventory: the saved inventory reports differently"
  fi
else
  echo "skipped: this system's own inventory cannot be read here: $(head -1 "$work/err")"
fi
echo "$count round trips, $failures failed"
[ "$failures" -eq 0 ] && [ "$count" -gt 0 ]
