#!/bin/bash
# Runs a Windows program under Wine in the test run's own prefix. ctest uses
# it as the emulator of the Windows builds. The prefix is made once (wineboot
# takes several seconds) and shared by every program of the run.
#
# PLOCHAR_WINE_VERSION (win98, win2k, winxp ...) makes Wine show that system
# to every program of the prefix; a prefix keeps one system for its life, so
# each mode of a run has a prefix of its own.
set -e
export WINEPREFIX="${WINEPREFIX:-${PLOCHAR_WINEPREFIX:-/tmp/plochar-wine-$(id -u)}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mode=${PLOCHAR_WINE_VERSION:-}
mode_file=$WINEPREFIX/plochar-wine-version
if [ ! -f "$WINEPREFIX/system.reg" ] || [ "$(cat "$mode_file" 2>/dev/null)" != "$mode" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
    if [ "$(cat "$mode_file" 2>/dev/null)" != "$mode" ]; then
      if [ -n "$mode" ]; then
        wine reg add 'HKCU\Software\Wine' /v Version /d "$mode" /f >/dev/null 2>&1
      else
        wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
      fi
      printf '%s' "$mode" >"$mode_file"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
