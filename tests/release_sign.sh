#!/usr/bin/env bash
# scripts/sign on a copy of an i686 build's release, in OUT/dist (left there
# for the WoW64 runs of the signed exes): without a certificate nothing
# changes; with a throwaway one made here, osslsigncode verifies both exes
# against it (and not against another), the zip, SHA256SUMS and manifests
# follow, and removing the signature gives back the unsigned exe but for the
# bytes osslsigncode cannot restore (said below).
# Usage: release_sign.sh I686_BUILD_DIR OUT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$2 dist=$2/dist
rm -rf "$out" && mkdir -p "$out" && cp -R "$1/dist" "$out/unsigned" && cp -R "$1/dist" "$dist"
fail() { echo "FAIL $*"; exit 1; }
env -u DIMMSCOPE_SIGN_PFX "$here/../scripts/sign" "$dist" && diff -r "$out/unsigned" "$dist" ||
  fail "without a certificate the release changed"
for who in signer other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Dimmscope test $who" -keyout "$out/$who.key" \
    -out "$out/$who.pem" -addext keyUsage=digitalSignature -addext extendedKeyUsage=codeSigning 2>/dev/null
done
openssl pkcs12 -export -inkey "$out/signer.key" -in "$out/signer.pem" -passout pass:pw -out "$out/signer.pfx"
DIMMSCOPE_SIGN_PFX=$out/signer.pfx DIMMSCOPE_SIGN_PASSWORD=pw "$here/../scripts/sign" "$dist"
"$here/release_manifests.sh" "$dist"
zip=$(cd "$dist" && ls dimmscope-*-win32.zip)
cmp -s "$dist/$zip" "$out/unsigned/$zip" && fail "the zip was not packed again"
python3 - "$out/unsigned/$zip" "$dist/$zip" "$dist" <<'PY' || fail "the zip does not hold the signed exes with the release's entries"
import sys, zipfile
a, b = (zipfile.ZipFile(p) for p in sys.argv[1:3])
entries = [[(e.filename, e.date_time, e.external_attr) for e in z.infolist()] for z in (a, b)]
exes = all(b.read(n) == open(f"{sys.argv[3]}/{n}", "rb").read() for n in b.namelist() if n.endswith(".exe"))
texts = all(a.read(n) == b.read(n) for n in a.namelist() if not n.endswith(".exe"))
sys.exit(not (entries[0] == entries[1] and exes and texts))
PY
for exe in dimmscope.exe dimmscope-report.exe; do
  osslsigncode verify -CAfile "$out/signer.pem" -in "$dist/$exe" >"$out/$exe.verify" 2>&1 ||
    { cat "$out/$exe.verify"; fail "osslsigncode verify rejects $exe"; }
  echo "$exe:" $(grep -E '^(\s+Subject:|Signature verification:|Number of verified)' "$out/$exe.verify" | sort -u)
  osslsigncode verify -CAfile "$out/other.pem" -in "$dist/$exe" >/dev/null 2>&1 && fail "$exe verifies against another certificate"
  osslsigncode remove-signature -in "$dist/$exe" -out "$out/$exe.removed" >/dev/null
  # Signing pads the exe to 8 bytes before the certificate table and sets the
  # PE checksum; removing the signature clears the table's directory entry
  # and drops the table, but keeps the padding and recomputes the checksum.
  python3 - "$out/unsigned/$exe" "$out/$exe.removed" <<'PY' || fail "$exe: removing the signature left other bytes"
import struct, sys
a, b = (open(p, "rb").read() for p in sys.argv[1:])
checksum = struct.unpack_from("<I", a, 0x3C)[0] + 24 + 64
explained = {checksum + i for i in range(4)} | set(range(len(a), len(b)))
differ = [i for i in range(max(len(a), len(b))) if i >= min(len(a), len(b)) or a[i] != b[i]]
padding = b[len(a):]
print(f"{sys.argv[1].rsplit('/', 1)[1]}: after remove-signature {len(differ)} bytes differ:",
      f"the PE checksum at {checksum:#x} ({a[checksum:checksum + 4].hex()} -> {b[checksum:checksum + 4].hex()}),",
      f"{len(padding)} padding bytes {padding.hex()} appended to {len(a)}")
sys.exit(not set(differ) <= explained or any(padding) or len(padding) >= 8)
PY
done
echo "PASS both exes signed, verified, packed and unsigned again"
