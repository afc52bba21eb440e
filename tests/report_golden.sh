#!/usr/bin/env bash
# Runs the report on every fixture inventory in both formats and compares the
# output byte for byte with tests/golden. Usage: report_golden.sh COMMAND...
# (the report, or a Wine runner followed by the report exe).
# UPDATE_GOLDEN=1 rewrites the golden files instead.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
failures=0
count=0
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for inventory in "$here"/fixtures/samples/*.ini "$here"/fixtures/scan/*.ini; do
  name=$(basename "$inventory" .ini)
  for format in text csv; do
    golden="$here/golden/$name.$format"
    if ! DIMMSCOPE_INVENTORY="$inventory" "$@" --format "$format" >"$out"; then
      echo "FAIL $name ($format): the report exited non-zero"
      failures=$((failures + 1))
      continue
    fi
    count=$((count + 1))
    if [ "${UPDATE_GOLDEN:-0}" = 1 ]; then
      cp "$out" "$golden"
    elif ! cmp -s "$out" "$golden"; then
      echo "FAIL $name ($format): output differs from golden/$name.$format"
      diff <(cat -A "$golden") <(cat -A "$out") | head -20
      failures=$((failures + 1))
    fi
  done
done
echo "$count reports compared, $failures failed"
[ "$failures" -eq 0 ] && [ "$count" -gt 0 ]
