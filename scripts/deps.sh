#!/usr/bin/env bash
# Installs what building and testing Dimmscope needs on Debian 12, only when
# something is missing. Run as root (or with sudo available).
set -euo pipefail

packages=(cmake ninja-build g++ googletest libgtest-dev python3 python3-jsonschema
          python3-yaml       # the winget manifests (tools/make_manifests.py)
          osslsigncode openssl  # scripts/sign, and its test's throwaway certificate
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          wine wine64 xvfb dmidecode imagemagick xdotool
          fonts-liberation   # Wine draws the window's "MS Sans Serif" with Liberation Sans
          debootstrap        # the WoW64 runner's chroot (scripts/wow64)
          libbenchmark-dev)  # the benchmarks are built with everything else

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
# An out-of-sync foreign-architecture index makes the update exit non-zero
# while the native index is fine; the install below tells if it mattered.
$sudo apt-get update || echo "apt-get update reported errors; trying the install anyway" >&2
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
