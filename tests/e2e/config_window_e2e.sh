#!/bin/bash
# The configuration window of the real plochar.exe in a Wine virtual desktop:
# a collection opened through the real open dialog, two pictures added to it
# through the collection page's open dialog, a setting changed on its page,
# OK, the end of the program and a new start that finds all of it.
# With PLOCHAR_SCREENSHOTS set, the pages are photographed into that folder.
# With PLOCHAR_WINE_VERSION (win98, win2k, winxp) it runs as on that system:
# the tabs are that system's, and the label shadow is offered from XP on.
#
#   config_window_e2e.sh <plochar.exe> <plochar_driver.exe> <x86|x64> <plochar-plk.exe>
set -u
EXE=$1
DRIVER=$2
ARCH=$3
PLK=$4
. "$(dirname "$0")/desktop_e2e_common.sh"

expect_title() { # title, state
    local shown
    shown=$(driver window "$1" 60000 "$2")
    [ "$shown" = "$1"$'\n'"$2" ] || fail "expected window \"$1\" $2, saw: $shown
plochar.exe $(kill -0 "$PLOCHAR_PID" 2>/dev/null && echo runs || echo "has ended"); the windows shown:
$(driver list | grep -v ' hidden ')"
}
reg_value() { # name: the data of a value of our key
    wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
photograph() { # name
    [ -n "${PLOCHAR_SCREENSHOTS:-}" ] || return 0
    local r
    r=$(driver rect 'Plochar - ')
    sleep 0.5
    xwd -root -silent | convert xwd:- -crop "$(echo "$r" | awk '{print $3"x"$4"+"$1"+"$2}')" +repage \
        "$PLOCHAR_SCREENSHOTS/$1.png"
    echo "screenshot: $1.png"
}

step "preparing a prefix and a collection"
start_display
prepare_prefix 1
cp "$EXE" "$WINEPREFIX/drive_c/plochar/plochar.exe"
cp "$DRIVER" "$WINEPREFIX/drive_c/plochar/plochar_driver.exe"
cp "$PLK" "$WINEPREFIX/drive_c/plochar/plochar-plk.exe"
for name in hory jezero louka nova1 nova2; do
    convert -size 64x48 "xc:#4080c0" "BMP3:$WINEPREFIX/drive_c/obrazky/$name.bmp"
done
wine explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
wine 'C:\plochar\plochar-plk.exe' make 'C:\obrazky\Hory.plk' 'C:\obrazky\hory.bmp' 'C:\obrazky\jezero.bmp' \
    'C:\obrazky\louka.bmp' >/dev/null 2>&1 || fail "plochar-plk make"

step "first start: open the collection through the open dialog"
start_plochar
expect_box "Plochar 2.12" "Aktivní kolekce neobsahuje žádné plochar."
expect_title 'Plochar - nová kolekce' visible
tabs=$(driver tabs 'Plochar - ')
[ "$tabs" = "$(expected_tabs)" ] || fail "the tabs of ${MODE:-the default system}: $(echo $tabs)"
echo "tabs:" $tabs
driver command 'Plochar - ' 40011 || fail "no Open command"
driver file-dialog 'Otevřít kolekci tapet...' 'C:\obrazky\Hory.plk' 60000 || fail "no open dialog"
expect_title 'Plochar - Hory' visible

step "add two pictures through the page's open dialog"
# The click returns only when the dialog has closed.
driver click 'Plochar - ' 1018 &
CLICK_PID=$!
driver file-dialog 'Vyberte si prosím tapetu/y:' 'C:\obrazky\' 60000 || fail "no picture dialog"
driver file-dialog 'Vyberte si prosím tapetu/y:' '"nova1.bmp" "nova2.bmp"' 60000 || fail "no picture dialog"
wait "$CLICK_PID"
photograph kolekce

step "change a setting on its page, OK, quit"
# Windows 9x has the logo page before the settings.
driver tab 'Plochar - ' $((1 + WIN9X)) || fail "no tabs"
photograph nastaveni
driver click 'Plochar - ' 1053 || fail "no check box 1053" # "Tapetu změň hned při startu." off
driver tab 'Plochar - ' 1
photograph nastaveni2
if [ "$WIN9X" = 0 ]; then
    driver tab 'Plochar - ' 1
    photograph nastaveni3
    # The label shadow is the system's own from XP on; 2000 says it needs XP.
    case "$MODE" in
    win2k | winnt) want=$'hidden\nvisible' ;;
    *) want=$'visible\nhidden' ;;
    esac
    seen=$(driver shown 'Plochar - ' 1076; driver shown 'Plochar - ' 1101)
    [ "$seen" = "$want" ] || fail "shadow check box and its XP note on ${MODE:-the default system}: $(echo $seen)"
fi
# The last tab, "Další", on every system.
driver tab 'Plochar - ' 1
photograph dalsi
driver command 'Plochar - ' 1043
expect_title 'Plochar - Hory' hidden
driver command 'Plochar - ' 40004
wait_gone "$PLOCHAR_PID" || fail "Konec did not end the program"

step "the settings, the name and the recent file were saved"
[ "$(reg_value LastKolekce)" = 'C:\obrazky\Hory.plk' ] || fail "LastKolekce: $(reg_value LastKolekce)"
[ "$(reg_value MRU1)" = 'C:\obrazky\Hory.plk' ] || fail "MRU1: $(reg_value MRU1)"
# changeAtStart is the ninth field of the record: bytes 32-35.
settings=$(reg_value Nastaveni)
[ "${settings:64:8}" = 00000000 ] || fail "changeAtStart still on: $settings"

step "the collection file holds the added pictures"
listed=$(wine 'C:\plochar\plochar-plk.exe' dump 'C:\obrazky\Hory.plk' 2>/dev/null | tr -d '\r')
grep -q '^entries 5 ' <<<"$listed" || fail "Hory.plk: $listed"
for name in nova1 nova2; do
    grep -q "name=$name.bmp" <<<"$listed" || fail "$name.bmp missing from Hory.plk: $listed"
done
[ "$(reg_value LastDir)" = 'C:\obrazky' ] || fail "LastDir: $(reg_value LastDir)"

step "a new start finds the collection"
start_plochar -d
expect_title 'Plochar - Hory' visible
driver command 'Plochar - ' 40004
wait_gone "$PLOCHAR_PID" || fail "the second start did not end"

if [ "$ARCH" = x86 ] && [ -n "${PLOCHAR_SCREENSHOTS:-}" ]; then
    step "the Windows 98 logo page"
    wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
    start_plochar -d
    expect_title 'Plochar - Hory' visible
    driver tab 'Plochar - ' 1
    photograph logo
    driver command 'Plochar - ' 40004
    wait_gone "$PLOCHAR_PID"
fi
echo "PASS"
