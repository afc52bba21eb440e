#!/usr/bin/env bash
# The release zip an i686 build wrote: exactly the four files, exes that pass
# the import check, and a name whose version is the exes' file version (both
# come from DIMMSCOPE_VERSION; a second source of either would split them).
# Usage: release_zip.sh I686_BUILD_DIR
set -euo pipefail
here=$(dirname "$0")
zips=("$1"/dist/dimmscope-*-win32.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || { echo "FAIL want one release zip, found: ${zips[*]}"; exit 1; }
version=$(basename "${zips[0]}" | sed 's/^dimmscope-\(.*\)-win32\.zip$/\1/')
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
names=$(python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1]); z.extractall(sys.argv[2]); print(*z.namelist())' "${zips[0]}" "$tmp")
want="dimmscope.exe dimmscope-report.exe README.txt LICENSE.txt"
[ "$names" = "$want" ] || { echo "FAIL the zip holds '$names', want '$want'"; exit 1; }
"$here/check_imports.sh" "$tmp/dimmscope.exe" "$tmp/dimmscope-report.exe"
# The exes the WoW64 tests run from the build are the very ones shipped.
for exe in dimmscope.exe dimmscope-report.exe; do cmp -s "$tmp/$exe" "$1/$exe" || { echo "FAIL $exe differs"; exit 1; }; done
# FILEVERSION has four numbers; a shorter version is padded with zeros.
IFS=. read -r a b c d <<<"$version"
numbers="${a:-0}, ${b:-0}, ${c:-0}, ${d:-0}"
for exe in dimmscope.exe dimmscope-report.exe; do
  rc=$(i686-w64-mingw32-windres -J coff -O rc -i "$tmp/$exe")
  grep -qx " FILEVERSION $numbers" <<<"$rc" || { echo "FAIL $exe: $(grep FILEVERSION <<<"$rc"), zip $version"; exit 1; }
  grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$rc" || { echo "FAIL $exe: FileVersion string is not $version"; exit 1; }
done
# FILE=NAME splits at the last '=', so a build folder may hold one.
mkdir "$tmp/a=b" && echo x >"$tmp/a=b/f.exe"
SOURCE_DATE_EPOCH=0 python3 "$here/../tools/make_release_zip.py" "$tmp/out" t.zip . "$tmp/a=b/f.exe=g.exe" 2>/dev/null &&
  python3 -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).namelist() != ["g.exe"])' "$tmp/out/t.zip" &&
  cmp -s "$tmp/a=b/f.exe" "$tmp/out/g.exe" || { echo "FAIL a FILE=NAME whose FILE holds '=' is not packed as NAME"; exit 1; }
echo "${zips[0]##*/}: four files, version $version in both exes"
