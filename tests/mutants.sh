#!/usr/bin/env bash
# Applies deliberate one-line faults one at a time and checks that the tests
# catch each: for every row of the tables, replace the text in the source,
# rebuild, run the named tests, put the source back.
# Usage: tests/mutants.sh TABLE...   (from the checkout's root, after
# scripts/test has built build/native, build/win64 and build/win32)
# A row: file | text | replacement | tests (a ctest -R pattern); fields are
# separated by " | ", "#" starts a comment. MUTANT_GTEST_FILTER narrows the
# core tests (to leave out a known-flaky one, say).
set -uo pipefail
missed=0 total=0
scratch=$(mktemp -d)
orig=$scratch/orig log=$scratch/test.log build_log=$scratch/build.log
restore() { [ -n "${file:-}" ] && [ -f "$orig" ] && cp "$orig" "$file"; rm -rf "$scratch"; }
trap restore EXIT
# The core tests run as one process (much faster than one ctest entry per
# test); the rest of the pattern goes to ctest.
run_tests() {
  local rest
  if [[ "$1" == *'^core\.'* ]]; then
    build/native/tests/dimmscope_core_tests --gtest_brief=1 --gtest_filter="${MUTANT_GTEST_FILTER:-*}" \
      >"$log" 2>&1 || return 1
  fi
  rest=$(tr '|' '\n' <<<"$1" | grep -vxF '^core\.' | paste -sd'|')
  [ -z "$rest" ] && return 0
  ctest --test-dir build/native -R "$rest" --stop-on-failure -j2 --timeout 300 >"$log" 2>&1
}
for table in "$@"; do
  while IFS= read -r -u 3 line; do
    [[ -z "${line// }" || "$line" == \#* ]] && continue
    # Fields are separated by " | " (so that "||" in code stays whole).
    IFS=$'\x1f' read -r file from to tests <<<"${line// | /$'\x1f'}"
    file=$(xargs <<<"$file"); tests=$(xargs <<<"$tests")
    total=$((total + 1))
    cp "$file" "$orig"
    if ! python3 - "$file" "$from" "$to" <<'PY'
import sys
path, old, new = sys.argv[1:]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(f"{path}: '{old}' found {text.count(old)} times")
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
    then echo "BROKEN ROW  $file: $from"; missed=$((missed + 1)); continue; fi
    builds=(build/native)
    [[ "$tests" == *wine64* || "$file" == platform/win32/* ]] && builds+=(build/win64)
    [[ "$tests" == *wow64* || "$tests" == *'^win32.'* ]] && builds+=(build/win32)
    ok=1
    for b in "${builds[@]}"; do cmake --build "$b" >"$build_log" 2>&1 || ok=0; done
    if [ $ok = 0 ]; then
      result="NO BUILD"; missed=$((missed + 1))
    elif run_tests "$tests"; then
      result="MISSED"; missed=$((missed + 1))
    else
      result="caught ($(grep -oE '[0-9]+ - [^ ]+ \((Failed|Timeout)|\[  FAILED  \] [^ ,]+\.[^ ,]+' "$log" |
        sed -E 's/.* - //; s/.*FAILED  \] //; s/ \(.*//' | sort -u | head -3 | paste -sd' '))"
    fi
    cp "$orig" "$file" && rm -f "$orig"
    printf "%-10s %s: %s -> %s\n" "${result%% (*}" "$file" "$from" "$to"
    [ "${result%% *}" = caught ] && echo "           ${result#caught }"
  done 3<"$table"
done
for b in build/native build/win64 build/win32; do [ -d "$b" ] && cmake --build "$b" >/dev/null 2>&1; done
echo "$((total - missed)) of $total faults caught"
[ $missed = 0 ]
