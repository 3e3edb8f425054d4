#!/bin/bash
# A monkey test: random steps of a careless user (tests/e2e/monkey.cpp) on the
# real plochar.exe in a Wine virtual desktop, from a fixed seed. Afterwards
# the collection files plochar.exe saved must load and hold only pictures the
# steps could add, each once: the names the monkey types into file dialogs
# (the picture dialog takes any existing file, a saved collection too). The
# monkey itself checks the settings.
#
#   monkey_e2e.sh <plochar.exe> <monkey.exe> <plochar-plk.exe> [seed] [steps]
set -u
EXE=$1
MONKEY=$2
PLK=$3
SEED=${4:-${PLOCHAR_MONKEY_SEED:-1}}
STEPS=${5:-${PLOCHAR_MONKEY_STEPS:-1000}}
. "$(dirname "$0")/desktop_e2e_common.sh"

LOG=$WINEPREFIX/drive_c/monkey.log
show_log() {
    echo "--- last steps (seed $SEED):"
    tail -n 40 "$LOG" 2>/dev/null
}
# PLOCHAR_MONKEY_LOG keeps the whole log (the prefix goes at the end).
trap '[ -n "${PLOCHAR_MONKEY_LOG:-}" ] && cp "$LOG" "$PLOCHAR_MONKEY_LOG"; cleanup' EXIT
plk() { wine 'C:\plochar\plochar-plk.exe' "$@" 2>/dev/null | tr -d '\r'; }

step "preparing a prefix, pictures and two collections"
prepare_prefix 1
cp "$EXE" "$WINEPREFIX/drive_c/plochar/plochar.exe" || fail "no plochar.exe"
cp "$MONKEY" "$WINEPREFIX/drive_c/plochar/monkey.exe" || fail "no monkey"
cp "$PLK" "$WINEPREFIX/drive_c/plochar/plochar-plk.exe"
# A crash must end the process, not wait in a dialog of the debugger.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
pics=$WINEPREFIX/drive_c/obrazky
convert -size 64x48 'xc:#4080c0' "BMP3:$pics/hory.bmp"
convert -size 48x64 'xc:#c08040' "BMP3:$pics/louka.bmp"
convert -size 80x60 gradient:red-blue -quality 90 "$pics/jezero.jpg"
convert -size 40x30 'xc:#20a040' -quality 90 "$pics/pole.jpg"
wine explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
plk make 'C:\obrazky\Hory.plk' 'C:\obrazky\hory.bmp' 'C:\obrazky\jezero.jpg' 'C:\obrazky\louka.bmp' >/dev/null ||
    fail "plochar-plk make"
# The damaged one: a good file cut short, with garbage after the cut.
head -c 30 "$pics/Hory.plk" >"$pics/Rozbita.plk"
printf '\377\376garbage' >>"$pics/Rozbita.plk"
damaged_sum=$(md5sum "$pics/Rozbita.plk" | cut -d' ' -f1)
write_settings 'C:\obrazky\Hory.plk'

step "monkey: seed $SEED, $STEPS steps"
began=$(date +%s)
wine 'C:\plochar\monkey.exe' "$SEED" "$STEPS" 'C:\monkey.log' 2>"$WINEPREFIX/wine-stderr.txt" | tr -d '\r'
result=${PIPESTATUS[0]}
echo "run time: $(($(date +%s) - began)) s"
if grep -aqiE 'unhandled exception|page fault|backtrace' "$WINEPREFIX/wine-stderr.txt"; then
    echo "--- Wine's report:"
    grep -aiE -A12 'unhandled exception|page fault' "$WINEPREFIX/wine-stderr.txt" | head -n 30
    show_log
    fail "Wine reported an exception (seed $SEED)"
fi
if [ "$result" != 0 ]; then
    show_log
    fail "the monkey found faults (seed $SEED)"
fi

step "the collection files load and hold only the test's pictures, each once"
for file in "$pics"/*.plk; do
    name=$(basename "$file")
    if [ "$name" = Rozbita.plk ] && [ "$(md5sum "$file" | cut -d' ' -f1)" = "$damaged_sum" ]; then
        continue
    fi
    listed=$(plk dump "C:\\obrazky\\$name") || { show_log; fail "$name does not load"; }
    names=$(sed -n 's/.* name=//p' <<<"$listed")
    bad=$(grep -vxE 'hory\.bmp|louka\.bmp|jezero\.jpg|pole\.jpg|nic\.bmp|Hory\.plk|Rozbita\.plk|Nova\.plk' <<<"$names" | grep .)
    [ -z "$bad" ] || { show_log; fail "$name holds pictures no step added: $bad"; }
    twice=$(sort <<<"$names" | uniq -d)
    [ -z "$twice" ] || { show_log; fail "$name holds $twice twice"; }
    echo "$name: $(head -n1 <<<"$listed")"
done
echo "PASS"
