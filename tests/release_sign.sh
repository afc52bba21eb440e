#!/usr/bin/env bash
# scripts/sign on a copy of an i686 build's release, in OUT/dist (left there
# for the WoW64 runs of the signed exes), with throwaway certificates made
# here: without a certificate, or when the signatures do not verify against
# the CA given, nothing changes; with the right CA, osslsigncode verifies both
# exes and scripts/sign's check of the new release passes (tools/check_release.py:
# zip, SHA256SUMS, manifests, and the unsigned bytes back from remove-signature).
# Usage: release_sign.sh I686_BUILD_DIR OUT
set -euo pipefail
sign=$(dirname "$0")/../scripts/sign out=$2
rm -rf "$out" && mkdir -p "$out" && cp -R "$1/dist" "$out/unsigned" && cp -R "$1/dist" "$out/dist"
fail() { echo "FAIL $*"; exit 1; }
for who in signer other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Dimmscope test $who" -keyout "$out/$who.key" \
    -out "$out/$who.pem" -addext keyUsage=digitalSignature -addext extendedKeyUsage=codeSigning 2>/dev/null
done
openssl pkcs12 -export -inkey "$out/signer.key" -in "$out/signer.pem" -passout pass:pw -out "$out/signer.pfx"
export DIMMSCOPE_SIGN_PASSWORD=pw
env -u DIMMSCOPE_SIGN_PFX "$sign" "$out/dist" && diff -r "$out/unsigned" "$out/dist" || fail "unsigned: the release changed"
DIMMSCOPE_SIGN_PFX=$out/signer.pfx DIMMSCOPE_SIGN_CA=$out/other.pem "$sign" "$out/dist" >/dev/null 2>&1 &&
  fail "the signatures verified against another certificate"
diff -r "$out/unsigned" "$out/dist" || fail "a refused signing changed the release"
DIMMSCOPE_SIGN_PFX=$out/signer.pfx DIMMSCOPE_SIGN_CA=$out/signer.pem "$sign" "$out/dist"
for exe in dimmscope.exe dimmscope-report.exe; do
  osslsigncode verify -CAfile "$out/signer.pem" -in "$out/dist/$exe" >/dev/null || fail "osslsigncode rejects $exe"
done
echo "PASS both exes signed and verified against the test certificate"
