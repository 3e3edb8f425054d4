#!/bin/bash
# Starts the real plochar.exe in a Wine virtual desktop of a fresh prefix and
# checks what a user sees: the first start, a second start, "-d", the tray's
# "&Konec", a collection named in the registry and, for the 32-bit build, the
# start-up logo backup in Windows 98 mode. With PLOCHAR_WINE_VERSION (win98,
# win2k, winxp) the whole script runs as on that system; the first start
# saves the start-up logo only on Windows 9x.
#
#   plochar_e2e.sh <plochar.exe> <plochar_driver.exe> <x86|x64> <plochar-plk.exe>
set -u
EXE=$1
DRIVER=$2
ARCH=$3
PLK=$4

. "$(dirname "$0")/desktop_e2e_common.sh"

reg_has() { # value name
    wine reg query "$KEY" /v "$1" 2>/dev/null | grep -q "$1"
}

quit_from_tray() {
    driver tray-key 'Plochar - ' k 60000 >/dev/null || fail "could not open the tray menu"
    wait_gone "$PLOCHAR_PID" || fail "the tray's Konec did not end the program"
}

step "preparing a fresh prefix"
# Every program of this prefix runs in one virtual desktop, which has a tray.
prepare_prefix 1
cp "$EXE" "$WINEPREFIX/drive_c/plochar/plochar.exe"
cp "$DRIVER" "$WINEPREFIX/drive_c/plochar/plochar_driver.exe"
cp "$PLK" "$WINEPREFIX/drive_c/plochar/plochar-plk.exe"
wine explorer /desktop=shell,1024x768 >/dev/null 2>&1 &

step "first start${MODE:+ ($MODE)}"
# Only Windows 9x boots with a logo: the first start saves it there alone.
printf 'LOGO' >"$WINEPREFIX/drive_c/logo.sys"
start_plochar
FIRST=$PLOCHAR_PID
expect_box "Plochar 2.12" "Aktivní kolekce neobsahuje žádné plochar."
shown=$(driver window 'Plochar - ' 60000 visible)
[ "$shown" = $'Plochar - nová kolekce\nvisible' ] || fail "first start window: $shown"
# The defaults: 140 bytes, interval 30 at offset 40, periodic change at 136.
settings=$(wine reg query "$KEY" /v Nastaveni 2>/dev/null | tr -d '\r' | awk '$2 == "REG_BINARY" { print tolower($3) }')
[ "${#settings}" -eq 280 ] || fail "Nastaveni is not 140 bytes: $settings"
[ "${settings:80:8}" = 1e000000 ] || fail "default interval is not 30: $settings"
[ "${settings:272:8}" = 01000000 ] || fail "periodic change is not on: $settings"
reg_has AutoPause || fail "no AutoPause under Plochar 2.12"
if [ "$WIN9X" = 1 ]; then
    for _ in $(seq 300); do
        [ -f "$WINEPREFIX/drive_c/logo_sys.ori" ] && break
        sleep 0.1
    done
    cmp -s "$WINEPREFIX/drive_c/logo.sys" "$WINEPREFIX/drive_c/logo_sys.ori" || fail "no logo_sys.ori on Windows 9x"
else
    [ -e "$WINEPREFIX/drive_c/logo_sys.ori" ] && fail "the logo was saved on an NT system"
    wine reg query 'HKLM\Software\Vorsan\Plochar 2.01' /v LogoSaved >/dev/null 2>&1 && fail "LogoSaved on an NT system"
fi
reg_has MRU1 && fail "the name group is written only on exit"

step "second start"
start_plochar
SECOND=$PLOCHAR_PID
expect_box "Plochar 2.12" "Program plochar je již spuštěn."
wait_gone "$SECOND" || fail "the second instance kept running"
kill -0 "$FIRST" 2>/dev/null || fail "the first instance ended"

step "quit from the tray"
PLOCHAR_PID=$FIRST
quit_from_tray
reg_has MRU1 || fail "exit did not save the collection name and MRU list"

step "a collection named in the registry, with -d"
# Real pictures (1x1, 24 bits): the start-up change applies one of them.
one_pixel_bmp='BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0'
one_pixel_bmp+='\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x80\x80\x80\0'
printf "$one_pixel_bmp" >"$WINEPREFIX/drive_c/obrazky/hory1.bmp"
printf "$one_pixel_bmp" >"$WINEPREFIX/drive_c/obrazky/hory2.bmp"
wine 'C:\plochar\plochar-plk.exe' make 'C:\obrazky\Hory.plk' 'C:\obrazky\hory1.bmp' 'C:\obrazky\hory2.bmp' >/dev/null 2>&1 ||
    fail "could not write the collection"
wine reg add "$KEY" /v LastKolekce /d 'C:\obrazky\Hory.plk' /f >/dev/null 2>&1
start_plochar -d
shown=$(driver window 'Plochar - ' 60000 visible)
[ "$shown" = $'Plochar - Hory\nvisible' ] || fail "-d window: $shown"
driver no-box "Plochar 2.12" 1500 || fail "a message box appeared"
quit_from_tray

step "the same collection without -d stays in the tray"
start_plochar
shown=$(driver window 'Plochar - ' 60000 hidden)
[ "$shown" = $'Plochar - Hory\nhidden' ] || fail "hidden start window: $shown"
quit_from_tray
wine reg query "$KEY" /v LastKolekce 2>/dev/null | grep -q 'Hory.plk' || fail "LastKolekce lost"

if [ "$ARCH" = x86 ]; then
    step "Windows 98: the first start backs up the start-up logo"
    wine reg delete 'HKCU\Software\Vorsan' /f >/dev/null 2>&1
    wine reg delete 'HKLM\Software\Vorsan' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\AppDefaults\plochar.exe' /v Version /d win98 /f >/dev/null 2>&1
    printf 'LOGO' >"$WINEPREFIX/drive_c/logo.sys"
    rm -f "$WINEPREFIX/drive_c/logo_sys.ori"
    start_plochar
    expect_box "Plochar 2.12" "Aktivní kolekce neobsahuje žádné plochar."
    # The backup follows the answered box.
    for _ in $(seq 100); do
        [ -f "$WINEPREFIX/drive_c/logo_sys.ori" ] && break
        sleep 0.1
    done
    cmp -s "$WINEPREFIX/drive_c/logo.sys" "$WINEPREFIX/drive_c/logo_sys.ori" || fail "no logo_sys.ori"
    wine reg query 'HKLM\Software\Vorsan\Plochar 2.01' /v LogoSaved 2>/dev/null | grep -q '0x1' ||
        fail "LogoSaved is not 1"
    quit_from_tray
fi

echo "PASS"
