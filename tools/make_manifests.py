#!/usr/bin/env python3
"""Writes the package managers' manifests for the release in DIST_DIR: Scoop's
dimmscope.json, and winget's version, defaultLocale and installer manifests
under winget/. Each holds the zip's address and SHA-256.

Usage: tools/make_manifests.py DIST_DIR

DIST_DIR holds one dimmscope-<version>-win32.zip (tools/make_release_zip.py's);
the version is taken from its name. The download address is the folder the
zip is published in followed by its name: DIMMSCOPE_DOWNLOAD_URL when set,
else the program's page on the maker's web site (update/maker_urls.h, the one
the update check uses). The lowest Windows version is read from the PE
headers of the exes in the zip, so it follows the link flags. The output
depends on nothing else: the same zip gives the same bytes.
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

import yaml

PACKAGE_ID = "OrvelStudio.Dimmscope"
PUBLISHER = "Orvel Studio"
DESCRIPTION = "Shows the memory modules of a computer: its slots, and for each module its capacity, maker, model, DDR generation and serial number."
LICENSE = "MIT"
EXES = ("dimmscope.exe", "dimmscope-report.exe")
WINGET_VERSION = "1.10.0"
HERE = os.path.dirname(os.path.abspath(__file__))


def maker_urls():
    """The maker's server and this program's page path, from the header the program is built with."""
    with open(os.path.join(HERE, "..", "update", "maker_urls.h"), encoding="utf-8") as f:
        text = f.read()
    values = dict(re.findall(r'inline constexpr char (k\w+)\[\] = "([^"]*)";', text))
    return values["kMakerServer"], values["kProductPagePath"]


def windows_version(exe):
    """The Windows version the loader requires: the PE header's subsystem version,
    or its OS version when that is higher."""
    if exe[:2] != b"MZ" or len(exe) < 0x40:
        sys.exit("make_manifests: an exe in the zip is not a PE file")
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe:pe + 4] != b"PE\0\0":
        sys.exit("make_manifests: an exe in the zip has no PE header")
    optional = pe + 24
    os_version = struct.unpack_from("<HH", exe, optional + 40)
    subsystem = struct.unpack_from("<HH", exe, optional + 48)
    return max(os_version, subsystem)


def import_versions(exe):
    """The Windows version of each function the exe imports that is newer than
    XP: the loader refuses to start it on an older system, whatever its header
    says (the header keeps the linker's 4.0, which keeps the window frames of
    the classic layout)."""
    with open(os.path.join(HERE, "windows_api_versions.txt"), encoding="utf-8") as f:
        needs = dict((row[0].strip(), tuple(map(int, row[1].strip().split("."))))
                     for row in (line.split("|") for line in f if line.strip() and not line.startswith("#")))
    objdump = next((p + "objdump" for p in ("i686-w64-mingw32-", "x86_64-w64-mingw32-", "")
                    if not subprocess.run(["sh", "-c", f"command -v {p}objdump"], capture_output=True).returncode), None)
    if objdump is None:
        sys.exit("make_manifests: objdump is missing")
    with tempfile.NamedTemporaryFile(suffix=".exe") as f:
        f.write(exe)
        f.flush()
        dump = subprocess.run([objdump, "-p", f.name], capture_output=True, text=True, check=True).stdout
    imported = set(re.findall(r"^\t[0-9a-f]+\t +\d+ +(\w+)$", dump, re.M))
    return [needs[name] for name in imported if name in needs]


def dump_yaml(path, schema, manifest):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{schema}.{WINGET_VERSION}.schema.json\n\n")
        yaml.safe_dump(manifest, f, sort_keys=False, allow_unicode=True, width=1000)


def release_zip(dist, tool):
    """The name of the one release zip in DIST and the version it names."""
    zips = [n for n in sorted(os.listdir(dist)) if re.fullmatch(r"dimmscope-.+-win32\.zip", n)]
    if len(zips) != 1:
        sys.exit(f"{tool}: want one dimmscope-<version>-win32.zip in {dist}, found {zips}")
    return zips[0], zips[0][len("dimmscope-"):-len("-win32.zip")]


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__.split("\n\n")[1])
    dist = argv[1]
    zip_name, version = release_zip(dist, "make_manifests")
    zip_path = os.path.join(dist, zip_name)
    with open(zip_path, "rb") as f:
        sha256 = hashlib.sha256(f.read()).hexdigest()
    with zipfile.ZipFile(zip_path) as archive:
        missing = [n for n in EXES if n not in archive.namelist()]
        if missing:
            sys.exit(f"make_manifests: {zip_name} lacks {', '.join(missing)}")
        lowest = max(max([windows_version(archive.read(n))] + import_versions(archive.read(n))) for n in EXES)
    minimum_os = "%d.%d.0.0" % lowest

    server, product_path = maker_urls()
    homepage = server + product_path
    folder = os.environ.get("DIMMSCOPE_DOWNLOAD_URL", "").rstrip("/") or homepage
    if not re.match(r"https?://[^/\s]+", folder):
        sys.exit(f"make_manifests: DIMMSCOPE_DOWNLOAD_URL '{folder}' is not an http(s) address")
    url = f"{folder}/{zip_name}"

    # A bucket follows new releases: the page that links the zip names the new
    # version, and SHA256SUMS beside the zip holds its hash.
    scoop = {
        "version": version,
        "description": DESCRIPTION,
        "homepage": homepage,
        "license": LICENSE,
        "url": url,
        "hash": sha256,
        "bin": "dimmscope-report.exe",
        "shortcuts": [["dimmscope.exe", "Dimmscope"]],
        "checkver": {"url": homepage, "regex": r"dimmscope-([\d.]+)-win32\.zip"},
        "autoupdate": {"url": url.replace(version, "$version"), "hash": {"url": "$baseurl/SHA256SUMS"}},
    }
    with open(os.path.join(dist, "dimmscope.json"), "w", encoding="utf-8", newline="\n") as f:
        json.dump(scoop, f, indent=4)
        f.write("\n")

    head = {"PackageIdentifier": PACKAGE_ID, "PackageVersion": version}
    tail = {"ManifestVersion": WINGET_VERSION}
    winget = os.path.join(dist, "winget")
    os.makedirs(winget, exist_ok=True)
    dump_yaml(os.path.join(winget, f"{PACKAGE_ID}.yaml"), "version",
              {**head, "DefaultLocale": "en-US", "ManifestType": "version", **tail})
    dump_yaml(os.path.join(winget, f"{PACKAGE_ID}.locale.en-US.yaml"), "defaultLocale", {
        **head, "PackageLocale": "en-US", "Publisher": PUBLISHER, "PublisherUrl": server + "/",
        "PackageName": "Dimmscope", "PackageUrl": homepage, "License": LICENSE,
        "ShortDescription": DESCRIPTION, "Moniker": "dimmscope",
        "ManifestType": "defaultLocale", **tail})
    # The zip is unpacked and both exes are put on the path under their own names.
    dump_yaml(os.path.join(winget, f"{PACKAGE_ID}.installer.yaml"), "installer", {
        **head, "InstallerType": "zip", "NestedInstallerType": "portable",
        "NestedInstallerFiles": [{"RelativeFilePath": n, "PortableCommandAlias": n[:-4]} for n in EXES],
        "MinimumOSVersion": minimum_os,
        "Installers": [{"Architecture": "x86", "InstallerUrl": url, "InstallerSha256": sha256.upper()}],
        "ManifestType": "installer", **tail})
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
