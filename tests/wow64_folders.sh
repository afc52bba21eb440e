#!/usr/bin/env bash
# scripts/wow64 setup on the folders of tests/cases/wow64_folders.txt, with a
# bootstrap that fails at once: it deletes only what it made, and refuses any
# other folder before changing anything. As root, or a user sudo lets run anything.
set -uo pipefail
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd) work=$(mktemp -d) failures=0 cases=0
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" && printf '#!/bin/sh\nexit 1\n' >"$work/bin/debootstrap" && chmod +x "$work/bin/debootstrap"
as_root=(); [ "$(id -u)" = 0 ] || as_root=(sudo)
listing() { (cd "$1" && find . -mindepth 1 -maxdepth "$2" -printf '%P\n' | sort | paste -sd' '); }
while IFS='|' read -r folder holds after pattern; do
  case=$work/case$((cases += 1)) top=$(listing / 1)
  for entry in ./ ${holds/#-/}; do  # ./ (the folder itself), NAME->TARGET, NAME/, NAME
    mkdir -p "$(dirname "$case/${entry%%->*}")"
    case $entry in *-\>*) ln -s "${entry#*->}" "$case/${entry%%->*}" ;; */) mkdir -p "$case/$entry" ;; *) echo x >"$case/$entry" ;; esac
  done
  [ "$after" = unchanged ] && after=$(listing "$case" 9)
  out=$(cd "$case" && "${as_root[@]}" env PATH="$work/bin:$PATH" DIMMSCOPE_WOW64_DIR="${folder/#@case/$case}" \
    "$here/../scripts/wow64" setup 2>&1)
  status=$? now=$(listing "$case" 9) now_top=$(listing / 1)
  [ "$status" != 0 ] && grep -qE -- "$pattern" <<<"$out" && [ "$now" = "$after" ] && [ "$now_top" = "$top" ] && continue
  printf 'FAIL %s holding %s: status %s, now %s (/ %s); expected %s and "%s" in:\n%s\n' "$folder" "$holds" "$status" \
    "'$now'" "$([ "$now_top" = "$top" ] && echo unchanged || echo CHANGED)" "'$after'" "$pattern" "$out"
  failures=$((failures + 1))
done < <(grep -v '^#' "$here/cases/wow64_folders.txt" | sed -E 's/ *[|] */|/g; s/ +$//')
echo "$cases folders, $failures failed" && [ "$cases" -gt 0 ] && [ "$failures" = 0 ]
