#!/usr/bin/env bash
# Runs the report on every fixture inventory in each format, with
# --details and with --advice: the output must equal tests/golden byte for byte, every golden
# JSON output (the SMBIOS dumps' too) must meet docs/report.schema.json, and the inventory it saves (--save-inventory)
# must report the same and save the same again when replayed. Then the
# system's own inventory (WMI on Windows and Wine, the SMBIOS tables on Linux
# as root), where there is one, is saved and replayed alike.
# Usage: report_golden.sh COMMAND... (the report, or a Wine runner followed by
# the report exe). UPDATE_GOLDEN=1 rewrites the golden files instead.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 count=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
unset DIMMSCOPE_SMBIOS
# Replays $work/saved.ini with options $2 and compares with $work/first; $1 names the case.
replay() {
  DIMMSCOPE_INVENTORY="$work/saved.ini" "${command[@]}" $2 --save-inventory "$work/again.ini" \
    >"$work/second" 2>/dev/null && cmp -s "$work/first" "$work/second" || fail "$1: the saved inventory reports differently"
  # The first comment names the source, which differs.
  cmp -s <(grep -v '^#' "$work/saved.ini") <(grep -v '^#' "$work/again.ini") || fail "$1: saving the replay changes it"
}
command=("$@")
for inventory in "$here"/fixtures/samples/*.ini "$here"/fixtures/scan/*.ini; do
  name=$(basename "$inventory" .ini)
  for format in text csv details advice json; do
    golden="$here/golden/$name.$format" options="--format $format"
    [ $format = details ] || [ $format = advice ] && options=--$format
    DIMMSCOPE_INVENTORY="$inventory" "$@" $options --save-inventory "$work/saved.ini" >"$work/first" ||
      { fail "$name ($format): the report exited non-zero"; continue; }
    count=$((count + 1))
    [ "${UPDATE_GOLDEN:-0}" = 1 ] && cp "$work/first" "$golden"
    cmp -s "$work/first" "$golden" || {
      fail "$name ($format): output differs from golden/$name.$format"
      diff <(cat -A "$golden") <(cat -A "$work/first") | head -20
    }
    replay "$name ($format)" "$options"
  done
done
if env -u DIMMSCOPE_INVENTORY "$@" --format text --save-inventory "$work/saved.ini" >"$work/first" 2>"$work/err"; then
  replay "own inventory" "--format text"
else
  echo "skipped: this system's own inventory cannot be read here: $(head -1 "$work/err")"
fi
# The golden files are the same for every build: the native run checks them.
[ $# -gt 1 ] || python3 - "$here/../docs/report.schema.json" "$here"/golden/*.json "$here"/golden/smbios/*.json <<'PY' || fail "schema"
import json, sys, jsonschema
schema = json.load(open(sys.argv[1]))
for path in sys.argv[2:]:
    for error in jsonschema.Draft202012Validator(schema).iter_errors(json.load(open(path, encoding="utf-8"))):
        print(f"FAIL {path}: {'/'.join(map(str, error.path))}: {error.message}")
        sys.exit(1)
PY
echo "$count reports compared and replayed, $failures failed"
[ "$failures" -eq 0 ] && [ "$count" -gt 0 ]
