#!/bin/bash
# Shared by the end-to-end scripts: a fresh prefix (optionally on a private
# virtual X server) with a Wine virtual desktop, plochar.exe and its driver,
# the settings record, and pixels of screenshots.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/plochar-desktop-e2e-XXXXXX)
XVFB_PID=
KEY='HKCU\Software\Vorsan\Plochar 2.12'
# The system Wine shows the prefix's programs: win98, win2k, winxp, or
# nothing for Wine's own default (an NT system).
MODE=${PLOCHAR_WINE_VERSION:-}
case "$MODE" in
win95 | win98 | winme) WIN9X=1 ;;
*) WIN9X=0 ;;
esac
# The configuration window's tabs on this system, one a line.
expected_tabs() {
    if [ "$WIN9X" = 1 ]; then
        printf '%s\n' Kolekce 'Win9x logo' 'Nastavení' 'Nastavení 2' 'Další'
    else
        printf '%s\n' Kolekce 'Nastavení' 'Nastavení 2' 'Nastavení 3' 'Další'
    fi
}

cleanup() {
    wineserver -k >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}
step() { echo "--- $*"; }

PLOCHAR_PID=
driver() { wine 'C:\plochar\plochar_driver.exe' "$@" 2>/dev/null | tr -d '\r'; }
# Starts a program (its Windows path, then its arguments) in the background;
# PLOCHAR_PID is its process.
start_program() {
    wine "$@" >/dev/null 2>&1 &
    PLOCHAR_PID=$!
}
start_plochar() { start_program 'C:\plochar\plochar.exe' "$@"; }
# Waits for a process to end, up to $2 seconds (30 without: several Wine
# sessions may share the machine).
wait_gone() {
    for _ in $(seq $((${2:-30} * 10))); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}
expect_box() { # caption, expected text, [button]
    local text
    text=$(driver box "$1" 60000 "${3:-ok}")
    [ "$text" = "$2" ] || fail "expected box \"$2\", saw \"$text\""
    echo "box: $text"
}

# A 24-bit X screen of our own, exactly as large as the Wine desktop, so
# that colours are exact and the desktop window covers the whole screen
# (whatever xvfb-run gave the test).
start_display() {
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$fd_file" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
    [ "$DISPLAY" != ":" ] || fail "no virtual X server"
}

# Settings record "Nastaveni": 35 little-endian 32-bit fields, given as
# name=value over the defaults used here.
settings_hex() {
    local -a f=(1 1 1 1 1 1 0 0 1 0 30 0 0 1 1 1)
    for _ in $(seq 16); do f+=(16777215); done
    f+=(0 0 1)
    local kv name value
    local -A at=([autoStretch]=2 [reduceColours]=3 [makeLogo]=6 [fastLogo]=7 [changeAtStart]=8
        [logoDelayMinutes]=9 [intervalMinutes]=10 [changeOrder]=15 [lastManualCommand]=14 [periodicChange]=34)
    for kv in "$@"; do
        name=${kv%%=*}
        value=${kv#*=}
        f[${at[$name]}]=$value
    done
    local hex="" v
    for v in "${f[@]}"; do
        hex+="${hex:+,}$(printf '%02x,%02x,%02x,%02x' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) $(((v >> 24) & 255)))"
    done
    echo "$hex"
}

# Writes the settings and the collection name through a .reg file.
write_settings() { # collection-windows-path settings...
    local collection=$1
    shift
    local reg=$WINEPREFIX/drive_c/settings.reg
    cat >"$reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Vorsan\\Plochar 2.12]
"LastKolekce"="${collection//\\/\\\\}"
"Nastaveni"=hex:$(settings_hex "$@")
REG
    wine regedit /S 'C:\settings.reg' >/dev/null 2>&1 || fail "regedit"
}

prepare_prefix() { # with-desktop (1/0)
    wineboot -i >/dev/null 2>&1
    if [ -n "$MODE" ]; then
        wine reg add 'HKCU\Software\Wine' /v Version /d "$MODE" /f >/dev/null 2>&1 || fail "no Wine version $MODE"
    fi
    if [ "$1" = 1 ]; then
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f >/dev/null 2>&1
    fi
    mkdir -p "$WINEPREFIX/drive_c/plochar" "$WINEPREFIX/drive_c/obrazky"
}

# Colour of one pixel of a screenshot as rrggbb.
pixel() { # png x y
    convert "$1" -format '%[hex:p{'"$2"','"$3"'}]' info:- 2>/dev/null | cut -c1-6 | tr 'A-F' 'a-f'
}
screenshot() { # out.png
    xwd -root -silent | convert xwd:- "$1"
}

# Waits up to $2 seconds until file $1 exists with contents other than $3
# (an md5 sum, or nothing); prints the new sum.
wait_new_contents() {
    local sum
    for _ in $(seq $(($2 * 5))); do
        if [ -f "$1" ]; then
            sum=$(md5sum "$1" 2>/dev/null | cut -d' ' -f1)
            if [ -n "$sum" ] && [ "$sum" != "$3" ]; then
                sleep 0.5 # let the move and the desktop repaint finish
                md5sum "$1" | cut -d' ' -f1
                return 0
            fi
        fi
        sleep 0.2
    done
    return 1
}
