#!/bin/bash
# Installs the Debian 12 packages that building and testing Plochar needs:
# compilers (clang for the native core and fuzzers, MinGW-w64 for Windows),
# GoogleTest, Wine with its 32-bit part, a virtual X server, and the picture
# tools the tests and benchmarks compare against, NSIS and zip for
# scripts/package.sh, and the locale data the Windows 98 runs compile their
# Czech locale from. Does nothing when all of them are present.
set -euo pipefail

packages=(
  cmake ninja-build clang libclang-rt-14-dev
  googletest libgtest-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 wine32:i386
  xvfb xauth x11-apps locales
  nsis zip unzip
  libjpeg-turbo-progs imagemagick libturbojpeg0-dev libstb-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "== all build and test packages are installed"
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "== missing packages: ${missing[*]}" >&2
  echo "== run this as root (or install them with apt-get)" >&2
  exit 1
fi
echo "== installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -q
apt-get install -y -q "${missing[@]}"
