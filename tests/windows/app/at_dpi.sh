#!/bin/bash
# Runs a Windows test program in a prefix of its own whose screen has the
# given scaling (LogPixels): Wine reads it only when a program starts.
#
#   at_dpi.sh <dots per inch> <program.exe> [arguments...]
set -u
dpi=$1
shift
WINEPREFIX=$(mktemp -d /tmp/plochar-dpi-XXXXXX)
export WINEPREFIX
cleanup() {
    wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
}
trap cleanup EXIT
run="$(dirname "$0")/../../../scripts/wine-run.sh"
"$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    { echo "FAIL: LogPixels not set"; exit 1; }
wineserver -w
"$run" "$@"
