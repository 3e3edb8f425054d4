#!/bin/bash
# Builds one of the Wine benchmarks (bench/<name>_bench.cpp) and runs it under
# Wine, in a fresh prefix whose programs share a virtual desktop: without one,
# Wine waits for a window manager whenever a window is hidden.
#   scripts/wine-bench.sh <drop|collection> [arguments of the benchmark]
set -euo pipefail
cd "$(dirname "$0")/.."
target=$1_bench
shift
cmake --preset windows-x86 -DPLOCHAR_BENCH=ON >/dev/null
cmake --build --preset windows-x86 -j2 --target "$target" >/dev/null
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/plochar-bench.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
wineserver -w
xvfb-run -a wine "build/windows-x86/bench/$target.exe" "$@"
