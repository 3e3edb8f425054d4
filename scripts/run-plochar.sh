#!/bin/bash
# Runs Plochar in a Wine virtual desktop with a ready demo collection.
#
# It installs what is missing (as root), builds the 32-bit Windows program,
# makes a handful of demo pictures, a collection of them and settings that
# change the picture at start and then every minute, and starts plochar.exe
# in a 1024x768 Wine desktop. With a display ($DISPLAY) the desktop opens as
# a window on it; without one it runs on a virtual X server and saves a
# screenshot of the desktop after every change.
#
# Options (environment): PLOCHAR_DEMO_DIR (default build/demo),
# PLOCHAR_DEMO_MINUTES (stop after this many minutes; default: run until
# Ctrl+C).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

demo=${PLOCHAR_DEMO_DIR:-$root/build/demo}
size=1024x768
export WINEPREFIX=$demo/wineprefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

echo "== building plochar.exe (preset windows-x86)"
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86 --target plochar plochar-plk
plochar_exe=$root/build/windows-x86/src/app/plochar.exe
plk_exe=$root/build/windows-x86/tools/plochar-plk.exe
[ -f "$plochar_exe" ] || { echo "plochar.exe was not built" >&2; exit 1; }

echo "== making the demo in $demo"
[ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1 || true
rm -rf "$demo"
mkdir -p "$demo/pictures" "$demo/screenshots"
pictures=$demo/pictures
# A landscape larger than the screen (baseline JPEG, 4:2:0): the program
# stretches it to fit.
convert -seed 7 -size 1600x1200 plasma:steelblue-forestgreen -blur 0x3 ppm:- |
  cjpeg -quality 85 -sample 2x2 >"$pictures/krajina.jpg"
# A progressive JPEG, stretched proportionally by the program.
convert -size 800x600 gradient:orange-purple -swirl 120 ppm:- |
  cjpeg -quality 90 -progressive >"$pictures/zapad.jpg"
# A 24-bit BMP, tiled.
convert -size 160x120 pattern:hexagons -fill '#2a6f97' -opaque black -fill '#f4d35e' -opaque white \
  -type TrueColor BMP3:"$pictures/mozaika.bmp"
# An 8-bit BMP, stretched by the system.
convert -seed 3 -size 640x480 plasma:red-yellow -blur 0x4 -colors 64 -type Palette BMP3:"$pictures/paleta.bmp"
# A night picture with its own colours: navy desktop, yellow icon labels.
convert -seed 11 -size 700x500 plasma:black-navy -blur 0x2 ppm:- |
  cjpeg -quality 80 >"$pictures/nocni.jpg"
ls -l "$pictures" | tail -n +2 | awk '{ print "   " $5 " bytes  " $9 }'

echo "== preparing a fresh Wine prefix (takes a while)"
wineboot -i >/dev/null 2>&1
program_dir=$WINEPREFIX/drive_c/Plochar
mkdir -p "$program_dir"
cp "$plochar_exe" "$program_dir/plochar.exe"
# The help file and its pictures, which "Nápověda" opens next to the program.
cp "$root/docs/Plochar.html" "$program_dir/"
cp -r "$root/docs/Plochar-obrazky" "$program_dir/"
w() { winepath -w "$1" 2>/dev/null; }
collection=$(w "$demo/demo.plk")
# path|style|fontMode|changeColours|desktop colour|label colour
wine "$plk_exe" make "$collection" \
  "$(w "$pictures/krajina.jpg")|0|1|0|000000|FFFFFF" \
  "$(w "$pictures/zapad.jpg")|3|1|1|301040|FFFFFF" \
  "$(w "$pictures/mozaika.bmp")|1|1|1|2A6F97|FFFFFF" \
  "$(w "$pictures/paleta.bmp")|2|1|0|000000|FFFFFF" \
  "$(w "$pictures/nocni.jpg")|0|2|1|000050|FFFF00" 2>/dev/null

# Settings: change at start and every minute, forward through the
# collection, periodic change on. The record is 35 little-endian 32-bit
# fields (src/settings/app_settings.h).
le() { printf '%02x,%02x,%02x,%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
fields=(1 1 1 1 1 1 0 0 1 3 1 0 0 1 1 1)
for _ in $(seq 16); do fields+=(16777215); done
fields+=(0 0 1)
hex=""
for f in "${fields[@]}"; do hex+="${hex:+,}$(le "$f")"; done
cat >"$demo/settings.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Vorsan\\Plochar 2.12]
"LastKolekce"="${collection//\\/\\\\}"
"Nastaveni"=hex:$hex
REG
wine regedit /S "$(w "$demo/settings.reg")"
echo "   collection $demo/demo.plk: 5 pictures; settings: change at start, then every minute"

xvfb_pid=
stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap stop_all EXIT
trap 'echo; echo "== stopped"; exit 0' INT TERM

run_desktop() {
  echo "== starting Plochar in a Wine desktop ($size)"
  echo "   the tray icon sits in the bottom right corner of the desktop; right-click it for the menu"
  echo "   stop: press Ctrl+C here (or close the desktop window, or run: WINEPREFIX=$WINEPREFIX wineserver -k)"
  wine explorer "/desktop=Plochar,$size" 'C:\Plochar\plochar.exe' >/dev/null 2>&1 &
}

deadline=
[ -n "${PLOCHAR_DEMO_MINUTES:-}" ] && deadline=$(($(date +%s) + PLOCHAR_DEMO_MINUTES * 60))
timed_out() { [ -n "$deadline" ] && [ "$(date +%s)" -ge "$deadline" ]; }

# "C:\Plochar\desktop.bmp, 1024x768, 24 bits" from the BMP's header.
describe_bmp() {
  local f=$1
  echo "C:\\Plochar\\desktop.bmp, $(od -An -tu4 -j18 -N4 "$f" | tr -d ' ')x$(od -An -tu4 -j22 -N4 "$f" |
    tr -d ' '), $(od -An -tu2 -j28 -N2 "$f" | tr -d ' ') bits"
}

watch_changes() { # $1: take screenshots (1/0)
  local last="" n=0 now shot
  [ "$1" = 1 ] && echo "== a screenshot after each change goes to $demo/screenshots"
  while ! timed_out; do
    now=$(md5sum "$program_dir/desktop.bmp" 2>/dev/null | cut -d' ' -f1 || true)
    if [ -n "$now" ] && [ "$now" != "$last" ]; then
      last=$now
      n=$((n + 1))
      echo "   $(date +%T) change $n: $(describe_bmp "$program_dir/desktop.bmp")"
      if [ "$1" = 1 ]; then
        sleep 3 # let the desktop repaint
        shot=$demo/screenshots/change-$(printf '%02d' "$n").png
        xwd -root -silent | convert xwd:- "$shot" && echo "   screenshot: $shot"
      fi
    fi
    sleep 1
  done
  echo "== $PLOCHAR_DEMO_MINUTES minutes are over"
}

if [ -n "${DISPLAY:-}" ]; then
  run_desktop
  watch_changes 0
else
  echo "== no display: running on a virtual X server of $size"
  fd_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp >"$fd_file" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
  echo "   display $DISPLAY"
  run_desktop
  watch_changes 1
fi
