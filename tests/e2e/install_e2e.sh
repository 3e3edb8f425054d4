#!/bin/bash
# What a Windows user downloads, checked in a fresh 64-bit Wine prefix with
# a virtual desktop: the checksums, the contents of both zips and that their
# programs run, that the programs are stripped and need only system DLLs,
# and the installer: silent install, the installed program at work, an
# upgrade while it runs, and a silent uninstall.
#
#   install_e2e.sh <dist folder> <plochar_driver.exe> <plochar-plk.exe>
#
# With PLOCHAR_SCREENSHOTS=folder it also photographs the installer's page
# of choices (for the README) into folder/instalace.png.
set -u
DIST=$(realpath "$1")
DRIVER=$2
PLK=$3
DOCS=$(realpath "$(dirname "$0")/../../docs")
source "$(dirname "$0")/desktop_e2e_common.sh"
# No menu entries of the host desktop for the shortcut the installer makes.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

SETUP=$(echo "$DIST"/Plochar-*-setup.exe)
VERSION=${SETUP##*/Plochar-}
VERSION=${VERSION%-setup.exe}
[ -f "$SETUP" ] || fail "no installer in $DIST"
KEY="HKCU\\Software\\Vorsan\\Plochar $VERSION"
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Plochar'
RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# "TYPE DATA" of a registry value, empty when there is none.
reg_value() { # key name
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +/, ""); sub(/ +/, " "); print; exit }'
}

windows_path() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

# Starts a program with no settings: its first-start notice, its hidden
# window, and "Konec" from the tray menu ends it.
first_start_and_quit() { # windows path
    wine reg delete 'HKCU\Software\Vorsan' /f >/dev/null 2>&1
    start_program "$1"
    local text
    text=$(driver box "Plochar $VERSION" 30000 ok)
    [ "$text" = "Aktivní kolekce neobsahuje žádné plochar." ] || fail "$1: first start showed \"$text\""
    [ "$(driver window 'Plochar - ' 10000 | head -n1)" = "Plochar - nová kolekce" ] || fail "$1: no main window"
    driver tray-key 'Plochar - ' k 15000 >/dev/null || fail "$1: no tray menu"
    wait_gone "$PLOCHAR_PID" 15 || fail "$1: Konec did not end it"
    echo "$1: first-start notice, ended by Konec"
}

step "checksums"
(cd "$DIST" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(wc -l <"$DIST/SHA256SUMS")" = 3 ] || fail "SHA256SUMS should list three files"

step "the zips hold exactly the program, its help, the readme and the licence"
expected=$( (printf '%s\n' plochar.exe Plochar.html CTIMNE.txt LICENSE.txt
    cd "$DOCS" && ls -d Plochar-obrazky/*) | LC_ALL=C sort)
start_display
prepare_prefix 1
for bits in 32 64; do
    zip=$DIST/Plochar-$VERSION-win$bits.zip
    got=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort)
    [ "$got" = "$expected" ] || fail "$zip holds:"$'\n'"$got"
    unzip -q "$zip" -d "$WINEPREFIX/drive_c/zip$bits" || fail "cannot unpack $zip"
    cmp -s "$WINEPREFIX/drive_c/zip$bits/Plochar.html" "$DOCS/Plochar.html" || fail "$zip: another help file"
    head -c3 "$WINEPREFIX/drive_c/zip$bits/CTIMNE.txt" | cmp -s - <(printf '\xef\xbb\xbf') ||
        fail "$zip: CTIMNE.txt has no UTF-8 mark"
    grep -q $'\r$' "$WINEPREFIX/drive_c/zip$bits/LICENSE.txt" || fail "$zip: LICENSE.txt has Unix line ends"
done
echo "both zips: $(echo "$expected" | wc -l) files each"

step "release programs: stripped, with version and manifest, only system DLLs"
SYSTEM_DLLS=" KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL COMDLG32.DLL SHELL32.DLL OLE32.DLL OLEAUT32.DLL ADVAPI32.DLL MSVCRT.DLL SHLWAPI.DLL UXTHEME.DLL "
check_exe() { # exe objdump format
    local headers dll
    headers=$($2 -p -h "$1") || fail "$1: not a PE file"
    echo "$headers" | grep -q "file format $3" || fail "$1: not $3"
    echo "$headers" | grep -q '\.debug_' && fail "$1: still has debug information"
    for dll in $(echo "$headers" | awk '/DLL Name:/ { print toupper($3) }'); do
        [[ $SYSTEM_DLLS == *" $dll "* ]] || fail "$1 needs $dll"
    done
    strings -el "$1" | grep -qx "ProductVersion" || fail "$1: no version resource"
    strings -el "$1" | grep -qx "$VERSION" || fail "$1: version is not $VERSION"
    grep -q 'Microsoft.Windows.Common-Controls' "$1" || fail "$1: no manifest"
    echo "$1: $3, imports $(echo "$headers" | awk '/DLL Name:/ { print $3 }' | tr '\n' ' ')"
}
check_exe "$WINEPREFIX/drive_c/zip32/plochar.exe" i686-w64-mingw32-objdump pei-i386
check_exe "$WINEPREFIX/drive_c/zip64/plochar.exe" x86_64-w64-mingw32-objdump pei-x86-64

cp "$DRIVER" "$WINEPREFIX/drive_c/plochar/plochar_driver.exe"
cp "$PLK" "$WINEPREFIX/drive_c/plochar/plochar-plk.exe"
wine explorer /desktop=shell,1024x768 >/dev/null 2>&1 &

step "the zipped programs run"
first_start_and_quit 'C:\zip32\plochar.exe'
first_start_and_quit 'C:\zip64\plochar.exe'

INSTDIR_WIN="$(windows_path LOCALAPPDATA)\\Programs\\Plochar"
INSTDIR=$(winepath -u "$INSTDIR_WIN" 2>/dev/null)
SHORTCUT=$(winepath -u "$(windows_path APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Plochar.lnk" 2>/dev/null)
EXE_WIN="$INSTDIR_WIN\\plochar.exe"
UNINSTALLER_WIN="$INSTDIR_WIN\\uninstall.exe"

install_silently() {
    wine "$SETUP" /S >/dev/null 2>&1 || fail "the silent installation failed ($?)"
}

step "silent install"
install_silently
# A 64-bit Windows gets the 64-bit program; the rest is the zip's.
diff -r -x uninstall.exe "$WINEPREFIX/drive_c/zip64" "$INSTDIR" || fail "the installed files differ from the 64-bit zip"
[ -f "$INSTDIR/uninstall.exe" ] || fail "no uninstall.exe"
[ -f "$SHORTCUT" ] || fail "no Start-menu shortcut"
size_kb=$(du -sk --apparent-size "$INSTDIR" | cut -f1)
size_reported=$(reg_value "$UNINSTALL_KEY" EstimatedSize)
size_reported=$((${size_reported#REG_DWORD }))
[ $((size_reported - size_kb)) -le 16 ] && [ $((size_kb - size_reported)) -le 16 ] ||
    fail "EstimatedSize $size_reported KB, the folder holds $size_kb KB"
while IFS='|' read -r key name want; do
    got=$(reg_value "$key" "$name")
    [ "$got" = "$want" ] || fail "$key $name is \"$got\", not \"$want\""
done <<VALUES
$RUN_KEY|Plochar|REG_SZ "$EXE_WIN"
$UNINSTALL_KEY|DisplayName|REG_SZ Plochar
$UNINSTALL_KEY|DisplayVersion|REG_SZ $VERSION
$UNINSTALL_KEY|Publisher|REG_SZ Vorsan
$UNINSTALL_KEY|DisplayIcon|REG_SZ $EXE_WIN,0
$UNINSTALL_KEY|UninstallString|REG_SZ "$UNINSTALLER_WIN"
$UNINSTALL_KEY|QuietUninstallString|REG_SZ "$UNINSTALLER_WIN" /S
VALUES
echo "installed into $INSTDIR_WIN ($size_kb KB), autostart and uninstall entry in place"

step "the installed program starts from its folder"
run_command=$(reg_value "$RUN_KEY" Plochar)
run_command=${run_command#REG_SZ \"}
first_start_and_quit "${run_command%\"}"

step "with a one-picture collection it puts desktop.bmp next to itself"
convert -size 64x48 'xc:#2040d0' -type TrueColor "BMP3:$WINEPREFIX/drive_c/obrazky/modra.bmp"
wine 'C:\plochar\plochar-plk.exe' make 'C:\obrazky\jedna.plk' 'C:\obrazky\modra.bmp' >/dev/null 2>&1 ||
    fail "could not write the collection"
PLK_FILE=$WINEPREFIX/drive_c/obrazky/jedna.plk
touch -d '2001-01-01' "$PLK_FILE"
wine reg delete 'HKCU\Software\Vorsan' /f >/dev/null 2>&1
write_settings 'C:\obrazky\jedna.plk' changeAtStart=1 intervalMinutes=30
settings_before=$(reg_value "$KEY" Nastaveni)
start_program "$EXE_WIN"
wait_new_contents "$INSTDIR/desktop.bmp" 60 "" >/dev/null || fail "no desktop.bmp in $INSTDIR"
[ "$(driver window 'Plochar - ' 10000 | head -n1)" = "Plochar - jedna" ] || fail "the collection did not open"
[ -z "$(reg_value "$KEY" MRU1)" ] || fail "MRU1 exists before Plochar ended"
echo "desktop.bmp made in the program's folder"

step "upgrade while Plochar runs"
install_silently
kill -0 "$PLOCHAR_PID" 2>/dev/null && fail "the installer left Plochar running"
# Its own exit writes the recent-files list and the collection.
[ -n "$(reg_value "$KEY" MRU1)" ] || fail "Plochar did not end through Konec (no MRU1)"
[ "$PLK_FILE" -nt "$DOCS/Plochar.html" ] || fail "the collection was not saved on exit"
[ "$(reg_value "$KEY" Nastaveni)" = "$settings_before" ] || fail "the settings changed"
[ "$(reg_value "$KEY" LastKolekce)" = 'REG_SZ C:\obrazky\jedna.plk' ] || fail "LastKolekce changed"
diff -r -x uninstall.exe -x desktop.bmp "$WINEPREFIX/drive_c/zip64" "$INSTDIR" || fail "the upgrade left other files"
[ -n "$(reg_value "$RUN_KEY" Plochar)" ] || fail "the upgrade dropped the autostart"
echo "Plochar was ended cleanly, its settings kept"

step "an upgrade keeps autostart off when the user turned it off"
wine reg delete "$RUN_KEY" /v Plochar /f >/dev/null 2>&1
install_silently
[ -z "$(reg_value "$RUN_KEY" Plochar)" ] || fail "the upgrade turned autostart back on"
wine reg add "$RUN_KEY" /v Plochar /d "\"$EXE_WIN\"" /f >/dev/null 2>&1
echo "autostart stays off"

step "silent uninstall while Plochar runs"
start_program "$EXE_WIN"
[ "$(driver window 'Plochar - ' 15000 | head -n1)" = "Plochar - jedna" ] || fail "Plochar did not start again"
printf 'BM' >"$INSTDIR/~krok1.bmp"
cp "$PLK_FILE" "$INSTDIR/moje.plk"
wine "$UNINSTALLER_WIN" /S >/dev/null 2>&1 || fail "the uninstaller failed"
# The uninstaller runs on from a copy of itself: wait for its work.
for _ in $(seq 300); do
    [ ! -e "$INSTDIR/uninstall.exe" ] && [ -z "$(reg_value "$UNINSTALL_KEY" DisplayName)" ] && break
    sleep 0.1
done
wait_gone "$PLOCHAR_PID" 5 || fail "the uninstaller left Plochar running"
for file in plochar.exe Plochar.html CTIMNE.txt LICENSE.txt Plochar-obrazky desktop.bmp '~krok1.bmp' uninstall.exe; do
    [ -e "$INSTDIR/$file" ] && fail "$file is still installed"
done
[ -e "$SHORTCUT" ] && fail "the Start-menu shortcut is still there"
[ -z "$(reg_value "$RUN_KEY" Plochar)" ] || fail "the Run value is still there"
wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1 && fail "the uninstall entry is still there"
[ -f "$PLK_FILE" ] && [ -f "$INSTDIR/moje.plk" ] || fail "a collection file was removed"
[ "$(reg_value "$KEY" Nastaveni)" = "$settings_before" ] || fail "silent uninstall removed the settings"
echo "program, shortcut, autostart and entry gone; collections and settings kept"

step "a 32-bit Windows: the 32-bit program; uninstalling with the question answered yes"
P32=$WINEPREFIX/win32
trap 'WINEPREFIX=$P32 wineserver -k >/dev/null 2>&1; cleanup' EXIT
export WINEPREFIX=$P32
WINEARCH=win32 wineboot -i >/dev/null 2>&1 || fail "no 32-bit prefix"
mkdir -p "$P32/drive_c/plochar"
cp "$DRIVER" "$P32/drive_c/plochar/plochar_driver.exe"
wine reg add "$KEY" /v AutoPause /d x /f >/dev/null 2>&1
install_silently
INSTDIR_WIN="$(windows_path LOCALAPPDATA)\\Programs\\Plochar"
INSTDIR=$(winepath -u "$INSTDIR_WIN" 2>/dev/null)
cmp -s "$INSTDIR/plochar.exe" "$WINEPREFIX/../drive_c/zip32/plochar.exe" || fail "not the 32-bit program"
wine "$INSTDIR_WIN\\uninstall.exe" >/dev/null 2>&1 &
title="Odinstalace programu Plochar $VERSION"
driver window "$title" 20000 visible >/dev/null || fail "no uninstaller window"
driver command "$title" 1 || fail "cannot start the uninstallation"
question=$(driver box "$title" 30000 yes)
[[ $question == "Odstranit také nastavení Plocharu"* ]] || fail "the uninstaller asked \"$question\""
for _ in $(seq 100); do
    wine reg query "$KEY" >/dev/null 2>&1 || break
    sleep 0.2
done
wine reg query 'HKCU\Software\Vorsan' >/dev/null 2>&1 && fail "the settings are still there"
[ -e "$INSTDIR" ] && fail "the program folder is still there"
driver command "$title" 1 >/dev/null
echo "32-bit program installed; settings removed on request"
WINEPREFIX=$P32 wineserver -k >/dev/null 2>&1
export WINEPREFIX=${P32%/win32}

if [ -n "${PLOCHAR_SCREENSHOTS:-}" ]; then
    step "photographing the installer's choices"
    mkdir -p "$PLOCHAR_SCREENSHOTS"
    wine "$SETUP" >/dev/null 2>&1 &
    setup_pid=$!
    title="Instalace programu Plochar $VERSION"
    driver window "$title" 15000 visible >/dev/null || fail "no installer window"
    driver command "$title" 1 || fail "cannot go on from the welcome page"
    sleep 1.5
    read -r x y w h < <(driver rect "$title")
    screenshot "$WINEPREFIX/screen.png"
    convert "$WINEPREFIX/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$PLOCHAR_SCREENSHOTS/instalace.png"
    driver command "$title" 2 >/dev/null
    wait_gone "$setup_pid" 10
    echo "saved $PLOCHAR_SCREENSHOTS/instalace.png"
fi

echo "PASS"
