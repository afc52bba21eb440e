#!/usr/bin/env python3
"""Writes Dimmscope's release: the zip, a copy of each exe beside it, and
SHA256SUMS over the zip and the exes, all in one folder.

Usage: tools/make_release_zip.py OUT_DIR ZIP_NAME SOURCE_DIR FILE[=NAME]...

Each FILE goes into the zip under NAME (its own base name by default), in the
order given. FILE=NAME splits at the last '=', so a FILE whose path holds one
(in a build folder named so) is given with its NAME. Every entry is dated
SOURCE_DATE_EPOCH when it is set, else the time of SOURCE_DIR's last commit,
so two builds of one commit give the same bytes.

Why not CPack's ZIP generator (CMake 3.25, Debian 12's): it reads the entry
list from its staging folder in directory order, unsorted, so the order
follows the file system (hash order on ext4, newest first on tmpfs: the same
project packed in a build folder on each gave two different zips), and it
stores the building user's uid and gid in each entry. Neither can be set from
the project. Here the order, the dates, the file modes and the extra fields
are fixed, and the compression is zlib's at level 9.
"""
import hashlib
import os
import shutil
import subprocess
import sys
import time
import zipfile

# The oldest time a zip entry can hold (MS-DOS dates start in 1980).
ZIP_EPOCH = 315532800


def release_time(source_dir):
    value = os.environ.get("SOURCE_DATE_EPOCH", "")
    if value:
        if not value.isdigit():
            sys.exit(f"make_release_zip: SOURCE_DATE_EPOCH '{value}' is not a number of seconds")
        return int(value)
    try:
        out = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        # A source tree without its history: still reproducible, plainly undated.
        print("make_release_zip: warning: no SOURCE_DATE_EPOCH and no git history; "
              "the entries are dated 1980-01-01", file=sys.stderr)
        return ZIP_EPOCH


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest()


def main(argv):
    if len(argv) < 5:
        sys.exit(__doc__.split("\n\n")[1])
    out_dir, zip_name, source_dir, files = argv[1], argv[2], argv[3], argv[4:]
    # Zip times are local times without a zone; the UTC calendar time keeps
    # them independent of the building machine's zone.
    stamp = time.gmtime(max(release_time(source_dir), ZIP_EPOCH))[:6]

    os.makedirs(out_dir, exist_ok=True)
    zip_path = os.path.join(out_dir, zip_name)
    exes = []
    with zipfile.ZipFile(zip_path, "w") as archive:
        for item in files:
            path, name = item.rsplit("=", 1) if "=" in item else (item, "")
            name = name or os.path.basename(path)
            with open(path, "rb") as f:
                data = f.read()
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.create_system = 3  # Unix, so the mode below is read back
            executable = name.lower().endswith(".exe")
            entry.external_attr = (0o100755 if executable else 0o100644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data, compresslevel=9)
            if executable:
                exes.append((path, name))

    sums = [(sha256(zip_path), zip_name)]
    for path, name in exes:
        shutil.copyfile(path, os.path.join(out_dir, name))
        sums.append((sha256(path), name))
    with open(os.path.join(out_dir, "SHA256SUMS"), "w", newline="\n") as f:
        f.writelines(f"{digest}  {name}\n" for digest, name in sums)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
