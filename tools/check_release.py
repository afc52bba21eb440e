#!/usr/bin/env python3
"""Checks a release folder before it is published; scripts/package and
scripts/sign run it on what they wrote, the tests on the i686 build's.

Usage: tools/check_release.py DIST_DIR [UNSIGNED_DIST_DIR]

- the zip holds exactly the exes, the read-me and the licence, exes the same
  as the loose ones, which pass tools/check_imports.sh, and SHA256SUMS is right;
- the zip's version is each exe's file version (both come from
  DIMMSCOPE_VERSION: a second source of either would split them);
- the Scoop and winget manifests meet their schemas (tools/schemas/), hold
  the zip's hash, address and version, and name files the zip holds;
- the manifests' MinimumOSVersion is what the exes need (read by objdump):
  their PE headers' version, or the newest Windows function they import
  (tools/windows_api_versions.txt) when that is newer;
- with UNSIGNED_DIST_DIR (the same release before scripts/sign): the zip has
  the same entries and dates, and removing each exe's signature
  (osslsigncode) gives back the unsigned exe; where it cannot, the bytes that
  differ are named and must be the ones signing changes for its own reasons.
"""
import hashlib
import json
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from make_manifests import release_zip  # noqa: E402  the same zip the manifests were made from
ENTRIES = ["dimmscope.exe", "dimmscope-report.exe", "README.txt", "LICENSE.txt"]
EXES = ENTRIES[:2]
PACKAGE_ID = "OrvelStudio.Dimmscope"
failures = []


def check(ok, message):
    if not ok:
        failures.append(message)
    return ok


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


def tool(name):
    for prefix in ("i686-w64-mingw32-", ""):
        if not subprocess.run(["sh", "-c", f"command -v {prefix}{name}"], capture_output=True).returncode:
            return prefix + name
    sys.exit(f"check_release: {name} is missing")


def as_tuple(version):
    return tuple(int(n) for n in version.split("."))


def check_exes(dist, zip_name, version, zipped):
    with open(os.path.join(dist, "SHA256SUMS"), encoding="utf-8") as f:
        sums = [line.split("  ", 1) for line in f.read().splitlines()]
    check([name for _, name in sums] == [zip_name] + EXES, f"SHA256SUMS lists {[n for _, n in sums]}")
    for digest, name in sums:
        path = os.path.join(dist, name)
        check(os.path.isfile(path) and sha256(open(path, "rb").read()) == digest, f"SHA256SUMS: {name} differs")
    # FILEVERSION has four numbers; a shorter version is padded with zeros.
    numbers = ", ".join((version.split(".") + ["0"] * 4)[:4])
    for name in EXES:
        path = os.path.join(dist, name)
        check(open(path, "rb").read() == zipped[name], f"the zip's {name} is not the one beside it")
        rc = run(tool("windres"), "-J", "coff", "-O", "rc", "-i", path)
        check(f" FILEVERSION {numbers}\n" in rc and f'VALUE "FileVersion", "{version}"' in rc,
              f"{name}: its file version is not the zip's {version}")
    imports = subprocess.run([os.path.join(HERE, "check_imports.sh")] +
                             [os.path.join(dist, n) for n in EXES], capture_output=True, text=True)
    check(imports.returncode == 0, imports.stdout.strip())


def lowest_windows(dist):
    """The Windows version the exes' headers require, and the functions they import."""
    versions, imported = [], set()
    for name in EXES:
        dump = run(tool("objdump"), "-p", os.path.join(dist, name))
        field = lambda f: int(re.search(rf"^{f}\s+(\d+)$", dump, re.M).group(1))
        # The loader refuses an exe whose subsystem (or OS) version is above the system's.
        versions += [(field(f"Major{k}Version"), field(f"Minor{k}Version")) for k in ("OSystem", "Subsystem")]
        imported |= set(re.findall(r"^\t[0-9a-f]+\t +\d+ +(\w+)$", dump, re.M))
    return "%d.%d.0.0" % max(versions), imported


def check_manifests(dist, zip_name, version, digest):
    import jsonschema
    import yaml

    def valid(schema, doc, name):
        with open(os.path.join(HERE, "schemas", schema), encoding="utf-8") as f:
            validator = jsonschema.Draft7Validator(json.load(f), format_checker=jsonschema.Draft7Validator.FORMAT_CHECKER)
        for e in validator.iter_errors(doc):
            failures.append(f"{name}: {'/'.join(map(str, e.path))}: {e.message}")

    with open(os.path.join(dist, "dimmscope.json"), encoding="utf-8") as f:
        scoop = json.load(f)
    valid("scoop/schema.json", scoop, "dimmscope.json")
    check(scoop["version"] == version and scoop["hash"] == digest, "dimmscope.json: not the zip's version and hash")
    check(scoop["url"].endswith("/" + zip_name), f"dimmscope.json: {scoop['url']} is not the zip's address")
    check(scoop["autoupdate"]["url"] == scoop["url"].replace(version, "$version"), "dimmscope.json: autoupdate url")
    check(scoop["bin"] in EXES and scoop["shortcuts"][0][0] in EXES, "dimmscope.json: bin or shortcut names no exe")
    docs = {}
    for kind, suffix in (("version", ""), ("defaultLocale", ".locale.en-US"), ("installer", ".installer")):
        name = f"{PACKAGE_ID}{suffix}.yaml"
        with open(os.path.join(dist, "winget", name), encoding="utf-8") as f:
            docs[kind] = yaml.safe_load(f)
        valid(f"winget-1.10.0/manifest.{kind}.1.10.0.json", docs[kind], name)
        check(docs[kind]["PackageVersion"] == version and docs[kind]["ManifestType"] == kind, f"{name}: version or type")
    installer = docs["installer"]
    check([(i["InstallerUrl"], i["InstallerSha256"].lower()) for i in installer["Installers"]] == [(scoop["url"], digest)],
          "the winget installer is not the zip at Scoop's address, or not its hash")
    check(sorted(f["RelativeFilePath"] for f in installer["NestedInstallerFiles"]) == sorted(EXES),
          "the winget installer's nested files are not both exes")
    lowest, imported = lowest_windows(dist)
    with open(os.path.join(HERE, "windows_api_versions.txt"), encoding="utf-8") as f:
        for row in (line.split("|") for line in f if line.strip() and not line.startswith("#")):
            function, needs = row[0].strip(), row[1].strip() + ".0.0"
            if function in imported and as_tuple(needs) > as_tuple(lowest):
                lowest = needs
    check(installer["MinimumOSVersion"] == lowest,
          f"winget MinimumOSVersion {installer['MinimumOSVersion']}, the exes' headers and imports need {lowest}")
    return lowest


def check_unsigned(dist, unsigned, zip_name):
    with zipfile.ZipFile(os.path.join(dist, zip_name)) as a, zipfile.ZipFile(os.path.join(unsigned, zip_name)) as b:
        entries = [[(e.filename, e.date_time, e.external_attr) for e in z.infolist()] for z in (a, b)]
        check(entries[0] == entries[1], "the signed zip's entries, dates or modes are not the release's")
        check(all(a.read(n) == b.read(n) for n in ENTRIES[2:]), "the signed zip's texts are not the release's")
    for name in EXES:
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, name)
            run("osslsigncode", "remove-signature", "-in", os.path.join(dist, name), "-out", out)
            removed, original = open(out, "rb").read(), open(os.path.join(unsigned, name), "rb").read()
        # Signing pads the exe to 8 bytes before the certificate table and sets the
        # PE checksum, which counts the file's length; removing the signature clears
        # the table's directory entry and drops the table, but keeps the padding
        # and recomputes the checksum. Exes whose size is a multiple of 8 (the
        # release's: 512-byte file alignment) come back byte for byte.
        at = struct.unpack_from("<I", original, 0x3C)[0] + 24 + 64
        differ = [i for i in range(len(removed)) if i >= len(original) or removed[i] != original[i]]
        padding = removed[len(original):]
        print(f"{name}: {len(differ)} bytes differ after remove-signature", *(
            [f"(the PE checksum at {at:#x}, {original[at:at + 4].hex()} -> {removed[at:at + 4].hex()};"
             f" {len(padding)} padding bytes {padding.hex()} after its {len(original)})"] if differ else []))
        check(len(removed) >= len(original) and set(differ) <= set(range(at, at + 4)) | set(range(len(original), len(removed)))
              and not any(padding) and len(padding) < 8, f"{name}: removing the signature leaves other bytes changed")


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__.split("\n\n")[1])
    dist = argv[1]
    zip_name, version = release_zip(dist, "check_release")
    with zipfile.ZipFile(os.path.join(dist, zip_name)) as archive:
        if not check(archive.namelist() == ENTRIES, f"the zip holds {archive.namelist()}, want {ENTRIES}"):
            sys.exit(f"FAIL {failures[0]}")
        zipped = {n: archive.read(n) for n in EXES}
    digest = sha256(open(os.path.join(dist, zip_name), "rb").read())
    check_exes(dist, zip_name, version, zipped)
    lowest = check_manifests(dist, zip_name, version, digest)
    if len(argv) == 3:
        check_unsigned(dist, argv[2], zip_name)
    for failure in failures:
        print("FAIL", failure)
    if not failures:
        print(f"{zip_name}: four files, version {version} in both exes, sha256 {digest[:16]}..., "
              f"manifests valid, Windows {lowest} and later")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
