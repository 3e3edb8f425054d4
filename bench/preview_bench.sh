#!/bin/bash
# Makes a 6000 x 4000 photograph-like JPEG and times its preview under Wine.
#
#   bench/preview_bench.sh build/windows-x86/bench/preview_bench.exe
set -euo pipefail
EXE=$1
work=$(mktemp -d /tmp/plochar-preview-bench.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
convert -size 600x400 plasma:fractal -seed 7 -resize 6000x4000! -quality 90 "$work/big.jpg"
ls -l "$work/big.jpg" | awk '{print "JPEG file: " $5 " bytes"}'
cp "$EXE" "$work/preview_bench.exe"
# Every Wine process of the prefix under the one display: a wineserver started
# without it could create no windows later.
xvfb-run -a bash -c 'wineboot -i >/dev/null 2>&1; wine "$1" "$(winepath -w "$2" 2>/dev/null)" 3' _ \
    "$work/preview_bench.exe" "$work/big.jpg" | tr -d '\r'
