#!/bin/bash
# Builds and runs the drop benchmark (bench/drop_bench.cpp) under Wine, in a
# fresh prefix whose programs share a virtual desktop: without one, Wine
# waits for a window manager whenever a window is hidden. Arguments go to
# the benchmark (the number of pictures, 10000 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows-x86 -DPLOCHAR_BENCH=ON >/dev/null
cmake --build --preset windows-x86 -j2 --target drop_bench >/dev/null
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/plochar-bench.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
wineserver -w
xvfb-run -a wine build/windows-x86/bench/drop_bench.exe "$@"
