#!/usr/bin/env bash
# The release an i686 build wrote passes tools/check_release.py (the four
# files, imports, version, SHA256SUMS and manifests), and make_release_zip.py
# splits FILE=NAME at the last '=', so a build folder may hold one.
# Usage: release_zip.sh I686_BUILD_DIR
set -euo pipefail
here=$(dirname "$0")
python3 "$here/../tools/check_release.py" "$1/dist"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/a=b" && echo x >"$tmp/a=b/f.exe"
SOURCE_DATE_EPOCH=0 python3 "$here/../tools/make_release_zip.py" "$tmp/out" t.zip . "$tmp/a=b/f.exe=g.exe" 2>/dev/null &&
  python3 -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).namelist() != ["g.exe"])' "$tmp/out/t.zip" &&
  cmp -s "$tmp/a=b/f.exe" "$tmp/out/g.exe" || { echo "FAIL a FILE=NAME whose FILE holds '=' is not packed as NAME"; exit 1; }
