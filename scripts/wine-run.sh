#!/bin/bash
# Runs a Windows program under Wine in the test run's own prefix. ctest uses
# it as the emulator of the Windows builds. The prefix is made once (wineboot
# takes several seconds) and shared by every program of the run.
set -e
export WINEPREFIX="${WINEPREFIX:-${PLOCHAR_WINEPREFIX:-/tmp/plochar-wine-$(id -u)}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
