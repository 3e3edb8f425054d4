#!/bin/bash
# Windows 98 mode: with makeLogo on and a delay of 0 the real plochar.exe
# builds C:\logo.sys (320x400, 8 bits, 129078 bytes) from the collection's
# picture soon after it starts, having saved the logo it found first; the
# restore puts that saved logo back.
#
#   desktop_logo_win98_e2e.sh <plochar.exe> <plochar-plk.exe> <logo_restore_helper.exe>
set -u
EXE=$1
PLK=$2
HELPER=$3
source "$(dirname "$0")/desktop_e2e_common.sh"

step "a fresh prefix; plochar.exe and the helper run as on Windows 98"
start_display
prepare_prefix 1
cp "$EXE" "$WINEPREFIX/drive_c/plochar/plochar.exe"
cp "$PLK" "$WINEPREFIX/drive_c/plochar/plochar-plk.exe"
cp "$HELPER" "$WINEPREFIX/drive_c/plochar/logo_restore_helper.exe"
for program in plochar.exe logo_restore_helper.exe; do
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program" /v Version /d win98 /f >/dev/null 2>&1
done
version=$(wine 'C:\plochar\logo_restore_helper.exe' version 2>/dev/null </dev/null | tr -d '\r')
[ "$version" = "version 1 4.10" ] || fail "Wine does not show Windows 98: $version"

printf 'THE LOGO FOUND AT THE FIRST START' >"$WINEPREFIX/drive_c/logo.sys"
# One plain orange picture, so that the logo's colours tell where it came from.
convert -size 400x300 'xc:#e07010' -type TrueColor "BMP3:$WINEPREFIX/drive_c/obrazky/oranzova.bmp"
wine 'C:\plochar\plochar-plk.exe' make 'C:\obrazky\logo.plk' 'C:\obrazky\oranzova.bmp|0|1|0|000000|FFFFFF' \
    >/dev/null 2>&1 || fail "could not write the collection"
write_settings 'C:\obrazky\logo.plk' makeLogo=1 logoDelayMinutes=0 changeAtStart=0 fastLogo=0

wine explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
sleep 1

step "the logo countdown of 0 minutes builds the logo at once"
wine 'C:\plochar\plochar.exe' >/dev/null 2>&1 &
LOGO=$WINEPREFIX/drive_c/logo.sys
for _ in $(seq 300); do
    [ "$(stat -c %s "$LOGO" 2>/dev/null)" = 129078 ] && break
    sleep 0.2
done
sleep 1
[ "$(stat -c %s "$LOGO" 2>/dev/null)" = 129078 ] || fail "no 129078-byte logo.sys: $(ls -l "$LOGO" 2>&1)"
cmp -s "$WINEPREFIX/drive_c/logo_sys.ori" <(printf 'THE LOGO FOUND AT THE FIRST START') ||
    fail "the first start did not save the old logo"
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }
u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
u8() { od -An -tu1 -j"$2" -N1 "$1" | tr -d ' '; }
[ "$(head -c2 "$LOGO")" = BM ] || fail "logo.sys is not a BMP"
width=$(u32 "$LOGO" 18) height=$(u32 "$LOGO" 22) bits=$(u16 "$LOGO" 28) pixels=$(u32 "$LOGO" 10)
echo "logo.sys: ${width}x${height}, $bits bits, $(stat -c %s "$LOGO") bytes"
[ "$width $height $bits $(u32 "$LOGO" 2)" = "320 400 8 129078" ] || fail "logo.sys has the wrong shape"
# The plain orange picture maps to an orange table entry.
index=$(u8 "$LOGO" $((pixels + 200 * 320 + 160)))
blue=$(u8 "$LOGO" $((54 + 4 * index))) green=$(u8 "$LOGO" $((55 + 4 * index))) red=$(u8 "$LOGO" $((56 + 4 * index)))
echo "centre colour: $red $green $blue"
near() { [ $(($1 - $2)) -le 24 ] && [ $(($2 - $1)) -le 24 ]; }
near "$red" 224 && near "$green" 112 && near "$blue" 16 || fail "logo.sys is not made from the orange picture"
wine reg query 'HKLM\Software\Vorsan\Plochar 2.01' /v LogoSaved 2>/dev/null | grep -q '0x1' || fail "LogoSaved is not 1"

step "the restore puts the saved logo back"
wineserver -k >/dev/null 2>&1
said=$(wine 'C:\plochar\logo_restore_helper.exe' 2>/dev/null </dev/null | tr -d '\r')
echo "$said"
echo "$said" | grep -qx 'Logo bylo obnoveno.' || fail "the restore did not report success"
cmp -s "$LOGO" <(printf 'THE LOGO FOUND AT THE FIRST START') || fail "logo.sys is not the saved logo"

echo "PASS"
