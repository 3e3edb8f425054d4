#!/bin/bash
# Builds and runs the large collection benchmark (bench/collection_bench.cpp)
# under Wine, in a fresh prefix whose programs share a virtual desktop, as
# scripts/drop-bench.sh does. Arguments go to the benchmark (the number of
# pictures, 30000 by default; --reference N: how many items the old fill
# takes, 2000 by default, 0 for none).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows-x86 -DPLOCHAR_BENCH=ON >/dev/null
cmake --build --preset windows-x86 -j2 --target collection_bench >/dev/null
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/plochar-bench.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
wineserver -w
xvfb-run -a wine build/windows-x86/bench/collection_bench.exe "$@"
