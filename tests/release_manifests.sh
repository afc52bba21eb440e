#!/usr/bin/env bash
# The package managers' manifests beside a release zip: each meets its schema
# (copies in fixtures/schemas), holds the zip's SHA-256 and the
# version in its name, names files the zip holds, and asks for the Windows
# version the exes' PE headers require (as objdump reads them).
# Usage: release_manifests.sh DIST_DIR [--generate]   (--generate: check those
# tools/make_manifests.py writes afresh for the zip, in a copy of DIST_DIR)
set -euo pipefail
here=$(dirname "$0")
schemas=$here/fixtures/schemas
objdump=$(command -v i686-w64-mingw32-objdump || command -v objdump)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dist=$1
if [ "${2:-}" = --generate ]; then
  dist=$tmp/dist && mkdir "$dist" && cp "$1"/dimmscope-*-win32.zip "$dist"
  python3 "$here/../tools/make_manifests.py" "$dist"
fi
zip=$(ls "$dist"/dimmscope-*-win32.zip)
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$tmp/zip"
# The loader refuses an exe whose subsystem (or OS) version is above the system's.
for exe in "$tmp"/zip/*.exe; do
  "$objdump" -p "$exe" | sed -n 's/^Major\(OSystem\|Subsystem\)Version\s*\([0-9]*\)/\2/p; s/^Minor\(OSystem\|Subsystem\)Version\s*\([0-9]*\)/\2/p' |
    paste -d. - - | sed 's/$/.0.0/'
  "$objdump" -p "$exe" | grep -P '^\t[0-9a-f]+\t +[0-9]+ +\w' | awk '{print $3}' >>"$tmp/imports"
done | sort -V | tail -1 >"$tmp/lowest"
python3 - "$schemas" "$dist" "$zip" "$(sha256sum <"$zip" | cut -c1-64)" "$(cat "$tmp/lowest")" "$tmp/zip" \
  "$tmp/imports" "$here/cases/windows_api_versions.txt" <<'PY'
import json, os, sys, yaml, jsonschema
schemas, dist, zip_path, sha, lowest, unpacked, imports, table = sys.argv[1:]
version = os.path.basename(zip_path)[len("dimmscope-"):-len("-win32.zip")]
failures = []
def check(what, ok):
    if not ok: failures.append(what)
def validate(schema, doc, name):
    validator = jsonschema.Draft7Validator(json.load(open(os.path.join(schemas, schema))),
                                           format_checker=jsonschema.Draft7Validator.FORMAT_CHECKER)
    for e in validator.iter_errors(doc):
        failures.append(f"{name}: {'/'.join(map(str, e.path))}: {e.message}")
scoop = json.load(open(os.path.join(dist, "dimmscope.json")))
validate("scoop/schema.json", scoop, "dimmscope.json")
check("scoop: hash is not the zip's", scoop["hash"] == sha)
check("scoop: version", scoop["version"] == version)
check("scoop: url does not end in the zip's name", scoop["url"].endswith("/" + os.path.basename(zip_path)))
check("scoop: autoupdate url", scoop["autoupdate"]["url"] == scoop["url"].replace(version, "$version"))
check("scoop: bin or shortcut names no exe of the zip",
      os.path.isfile(os.path.join(unpacked, scoop["bin"])) and os.path.isfile(os.path.join(unpacked, scoop["shortcuts"][0][0])))
docs = {}
for kind in ("version", "defaultLocale", "installer"):
    name = {"version": "", "defaultLocale": ".locale.en-US", "installer": ".installer"}[kind]
    path = os.path.join(dist, "winget", f"OrvelStudio.Dimmscope{name}.yaml")
    docs[kind] = doc = yaml.safe_load(open(path, encoding="utf-8"))
    validate(f"winget-1.10.0/manifest.{kind}.1.10.0.json", doc, os.path.basename(path))
    check(f"winget {kind}: version", doc["PackageVersion"] == version and doc["ManifestType"] == kind)
installer = docs["installer"]
check("winget: hash is not the zip's", [i["InstallerSha256"].lower() for i in installer["Installers"]] == [sha])
check("winget: url is not Scoop's", [i["InstallerUrl"] for i in installer["Installers"]] == [scoop["url"]])
check("winget: nested files are not the zip's exes",
      sorted(f["RelativeFilePath"] for f in installer["NestedInstallerFiles"]) == sorted(
          n for n in os.listdir(unpacked) if n.endswith(".exe")))
check(f"winget: MinimumOSVersion {installer['MinimumOSVersion']}, the exes require {lowest}",
      installer["MinimumOSVersion"] == lowest)
as_tuple = lambda text: tuple(int(n) for n in text.split("."))
imported = set(open(imports).read().split())
for row in (l.split("|") for l in open(table) if l.strip() and not l.startswith("#")):
    check(f"the exes import {row[0].strip()} of Windows {row[1].strip()}, their header says {lowest}",
          row[0].strip() not in imported or as_tuple(row[1].strip()) <= as_tuple(lowest))
for f in failures: print("FAIL", f)
sys.exit(bool(failures))
PY
echo "manifests of ${zip##*/}: valid, sha256 $(sha256sum <"$zip" | cut -c1-16)..., Windows $(cat "$tmp/lowest") and later"
