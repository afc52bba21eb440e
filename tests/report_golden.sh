#!/usr/bin/env bash
# Runs the report on every fixture inventory in each format, with --details
# and with --advice: the output must equal tests/golden byte for byte (an inventory
# named failed_* reads in part: exit status 3), and the inventory it saves
# (--save-inventory) must report the same and save the same again when
# replayed. The JSON of every golden file (the SMBIOS dumps' too) and of every
# inventory under tests/fixtures (the fuzz seeds included) must meet
# docs/report.schema.json, or the report fail cleanly. Then the
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
  DIMMSCOPE_INVENTORY="$work/saved.ini" "${command[@]}" $2 --save-inventory "$work/again.ini" >"$work/second" 2>/dev/null
  cmp -s "$work/first" "$work/second" || fail "$1: the saved inventory reports differently"
  # The first comment names the source, which differs.
  cmp -s <(grep -v '^#' "$work/saved.ini") <(grep -v '^#' "$work/again.ini") || fail "$1: saving the replay changes it"
}
command=("$@")
for inventory in "$here"/fixtures/samples/*.ini "$here"/fixtures/scan/*.ini; do
  name=$(basename "$inventory" .ini)
  for format in text csv details advice json; do
    golden="$here/golden/$name.$format" options="--format $format"
    [ $format = details ] || [ $format = advice ] && options=--$format
    DIMMSCOPE_INVENTORY="$inventory" "$@" $options --save-inventory "$work/saved.ini" >"$work/first" 2>/dev/null
    status=$? expected=0
    [[ $name = failed_* ]] && expected=3
    [ $status = $expected ] || { fail "$name ($format): the report exited with $status, not $expected"; continue; }
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
[ $# -gt 1 ] || python3 - "$here" "$1" <<'PY' || fail "schema"
import glob, json, os, random, re, subprocess, sys, tempfile, jsonschema
here, report = sys.argv[1:]
validator = jsonschema.Draft202012Validator(json.load(open(f"{here}/../docs/report.schema.json")))
outputs = [(path, open(path, "rb").read(), None) for path in glob.glob(f"{here}/golden/**/*.json", recursive=True)]
inventories = glob.glob(f"{here}/fixtures/**/*.ini", recursive=True)
# Each inventory mutated as the fuzz test does it (lines cut, repeated or
# garbled, numbers at their extremes, most often), five times, the same way
# every run.
rng, scratch = random.Random(1), tempfile.mkdtemp()
extremes = [b"-1", b"0", b"65536", b"4294967296", b"-9223372036854775808", b"18446744073709551616", b"1e400"]
for n, path in enumerate(sorted(inventories) * 5):
    lines = open(path, "rb").read().split(b"\n")
    for i in (rng.randrange(len(lines)) for _ in range(3)):
        lines[i] = [lines[i][:rng.randrange(len(lines[i]) + 1)], lines[rng.randrange(len(lines))], bytes(rng.randrange(256) for _ in range(9)),
                    re.sub(rb"\d+", lambda _: rng.choice(extremes), lines[i])][min(rng.randrange(6), 3)]
    inventories.append(f"{scratch}/{n}-{os.path.basename(path)}")
    open(inventories[-1], "wb").write(b"\n".join(lines))
for path in inventories:
    run = subprocess.run([report, "--format", "json"], env=dict(os.environ, DIMMSCOPE_INVENTORY=path), capture_output=True)
    if run.returncode in (0, 3):
        outputs.append((path, run.stdout, run.returncode))
    elif run.returncode != 1 or run.stdout or not all(l.startswith(b"dimmscope-report: ") for l in run.stderr.splitlines()):
        sys.exit(f"FAIL {path}: no clean failure: exit status {run.returncode}, stderr {run.stderr[-400:]!r}")
for path, text, status in outputs:
    for error in validator.iter_errors(json.loads(text)):
        sys.exit(f"FAIL {path}: {'/'.join(map(str, error.path))}: {error.message}")
    if status is not None and (status == 3) != bool(json.loads(text)["errors"]):
        sys.exit(f"FAIL {path}: exit status {status} with the errors {json.loads(text)['errors']}")
print(f"{len(outputs)} JSON outputs meet the schema")
PY
echo "$count reports compared and replayed, $failures failed"
[ "$failures" -eq 0 ] && [ "$count" -gt 0 ]
