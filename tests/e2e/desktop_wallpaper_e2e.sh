#!/bin/bash
# The real plochar.exe changes the wallpaper of a Wine virtual desktop: at
# start and on the tray's manual commands. A screenshot must show the
# picture's colour where the picture lies (centred) and the desktop colour
# around it.
#
# Wine's desktop process keeps the system colours it read when it started
# (SetSysColors reaches only the calling process), so while Plochar runs the
# colour around the picture is the session's own; the entry's colour is
# checked in the registry and win.ini, and on the screen after the desktop
# is started again, as Windows would show it at the next logon.
#
#   desktop_wallpaper_e2e.sh <plochar.exe> <plochar_driver.exe> <plochar-plk.exe>
set -u
EXE=$1
DRIVER=$2
PLK=$3
source "$(dirname "$0")/desktop_e2e_common.sh"
SHOTS=${PLOCHAR_E2E_SHOTS:-$WINEPREFIX/shots}
mkdir -p "$SHOTS"

step "a fresh prefix with a 1024x768 virtual desktop"
start_display
prepare_prefix 1
cp "$EXE" "$WINEPREFIX/drive_c/plochar/plochar.exe"
cp "$DRIVER" "$WINEPREFIX/drive_c/plochar/plochar_driver.exe"
cp "$PLK" "$WINEPREFIX/drive_c/plochar/plochar-plk.exe"

# Three plain pictures, each with its own desktop colour.
declare -A COLOUR=([cervena]=d02020 [zelena]=20b040 [modra]=2040d0)
declare -A DESKTOP=([cervena]=303030 [zelena]=f0e0a0 [modra]=000050)
ORDER=(cervena zelena modra)
entries=()
for name in "${ORDER[@]}"; do
    convert -size 240x180 "xc:#${COLOUR[$name]}" -type TrueColor "BMP3:$WINEPREFIX/drive_c/obrazky/$name.bmp"
    # centred, labels kept, desktop colour on
    entries+=("C:\\obrazky\\$name.bmp|0|1|1|${DESKTOP[$name]}|FFFFFF")
done
wine 'C:\plochar\plochar-plk.exe' make 'C:\obrazky\barvy.plk' "${entries[@]}" >/dev/null 2>&1 ||
    fail "could not write the collection"
write_settings 'C:\obrazky\barvy.plk' changeAtStart=1 changeOrder=1 intervalMinutes=30

wine explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
SESSION_COLOUR=
for _ in $(seq 60); do
    sleep 0.5
    screenshot "$SHOTS/0-empty.png"
    SESSION_COLOUR=$(pixel "$SHOTS/0-empty.png" 900 150)
    [ -n "$SESSION_COLOUR" ] && [ "$SESSION_COLOUR" != 000000 ] && break
done
[ -n "$SESSION_COLOUR" ] || fail "the virtual desktop did not appear"
echo "the desktop's own colour: $SESSION_COLOUR"

# Which picture the desktop shows, judged from a screenshot; $2 is the
# colour expected around it.
shown_picture() { # png desktop-colour|entry
    local centre around name want
    centre=$(pixel "$1" 512 384)
    around=$(pixel "$1" 900 150)
    for name in "${ORDER[@]}"; do
        if [ "$centre" = "${COLOUR[$name]}" ]; then
            want=$2
            [ "$want" = entry ] && want=${DESKTOP[$name]}
            [ "$around" = "$want" ] || { echo "desktop-$around-around-$name"; return; }
            # The picture is 240x180, centred: its edges lie where they should.
            [ "$(pixel "$1" 392 294)" = "${COLOUR[$name]}" ] && [ "$(pixel "$1" 631 473)" = "${COLOUR[$name]}" ] &&
                [ "$(pixel "$1" 391 384)" = "$want" ] && [ "$(pixel "$1" 632 384)" = "$want" ] ||
                { echo "misplaced-$name"; return; }
            echo "$name"
            return
        fi
    done
    echo "unknown-$centre-$around"
}

# Waits for the desktop to show the wanted picture (the repaint follows
# the file by a moment).
expect_desktop() { # name shot-file [desktop-colour|entry]
    local got=""
    for _ in $(seq 40); do
        screenshot "$2"
        got=$(shown_picture "$2" "${3:-$SESSION_COLOUR}")
        [ "$got" = "$1" ] && { echo "desktop shows $1 ($2)"; return 0; }
        sleep 0.5
    done
    fail "the desktop should show $1, shows $got (see $2)"
}

BMP="$WINEPREFIX/drive_c/plochar/desktop.bmp"
step "change at start: the first picture"
wine 'C:\plochar\plochar.exe' >/dev/null 2>&1 &
sum=$(wait_new_contents "$BMP" 60 "") || fail "no desktop.bmp after the start"
[ -f "$WINEPREFIX/drive_c/plochar/~krok1.bmp" ] && fail "~krok1.bmp left behind"
wallpaper=$(wine reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null | tr -d '\r' | grep -i wallpaper)
echo "$wallpaper" | grep -qi 'C:\\plochar\\desktop.bmp' || fail "Wallpaper is not desktop.bmp: $wallpaper"
expect_desktop cervena "$SHOTS/1-start.png"
expect_colour() { # "R G B"
    wine reg query 'HKCU\Control Panel\Colors' /v Background 2>/dev/null | grep -q "REG_SZ *$1\s*$" ||
        fail "Control Panel\\Colors Background is not $1"
    grep -qi "^Background=$1\s*$" "$WINEPREFIX/drive_c/windows/win.ini" || fail "win.ini [colors] Background is not $1"
}
expect_colour '48 48 48'

step "tray: next picture"
driver tray-key 'Plochar - ' d 15000 >/dev/null || fail "no tray menu"
sum=$(wait_new_contents "$BMP" 60 "$sum") || fail "no change after 'next'"
expect_desktop zelena "$SHOTS/2-next.png"

step "tray: next again"
driver tray-key 'Plochar - ' d 15000 >/dev/null || fail "no tray menu"
sum=$(wait_new_contents "$BMP" 60 "$sum") || fail "no change after the second 'next'"
expect_desktop modra "$SHOTS/3-next.png"

step "tray: previous picture"
driver tray-key 'Plochar - ' v 15000 >/dev/null || fail "no tray menu"
sum=$(wait_new_contents "$BMP" 60 "$sum") || fail "no change after 'previous'"
expect_desktop zelena "$SHOTS/4-previous.png"
expect_colour '240 224 160'

step "a new desktop session shows the last picture on its colour"
wineserver -k >/dev/null 2>&1
sleep 1
wine explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
expect_desktop zelena "$SHOTS/5-next-session.png" entry

echo "PASS"
