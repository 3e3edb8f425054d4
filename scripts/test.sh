#!/bin/bash
# The test command: installs what is missing, builds every preset and runs
# every test (native, under the sanitizers, the fuzzers briefly, the Windows
# builds under Wine, and the packages and installer made from them). Exits non-zero when anything fails; the summary
# at the end lists each step.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1

jobs=$(nproc)
results=()
failed=0
step() { # step NAME COMMAND...: run, remember the outcome, go on
  local name=$1
  shift
  echo
  echo "=================== $name"
  if "$@"; then
    results+=("passed  $name")
  else
    results+=("FAILED  $name")
    failed=1
  fi
}

build() {
  cmake --preset "$1" >"build-$1.configure.log" 2>&1 || { cat "build-$1.configure.log"; return 1; }
  rm -f "build-$1.configure.log"
  cmake --build --preset "$1" -j "$jobs"
}

# Every Windows phase below has a fresh Wine prefix of its own (made once,
# shared by the phase's programs) and its own X display, so that the phases
# run at the same time.
WINE_TMP=$(mktemp -d /tmp/plochar-wine.XXXXXX)
# The prefix of what runs after them (packaging).
export PLOCHAR_WINEPREFIX=$WINE_TMP/after
cleanup() {
  local prefix
  for prefix in "$WINE_TMP"/*/; do
    [ -f "$prefix/system.reg" ] && WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
  done
  rm -rf "$WINE_TMP"
}
trap cleanup EXIT

# wine_phase ID DISPLAY WINE-VERSION PRESET [ctest arguments...]: phase ID
# (its name is phases[ID]), one ctest run under Wine; its log and outcome are
# kept under WINE_TMP. DISPLAY is where xvfb-run starts looking for a free
# server number, apart for each phase so that phases starting together do not
# pick the same one.
wine_phase() (
  id=$1 display=$2 version=$3 preset=$4
  shift 4
  export PLOCHAR_WINEPREFIX=$WINE_TMP/$id PLOCHAR_WINE_VERSION=$version
  mkdir -p "$PLOCHAR_WINEPREFIX"
  # Wine's ANSI code page is then 1250, so Czech texts survive the ...A path.
  [ -n "$version" ] && export LANG=cs_CZ.UTF-8 LC_ALL=cs_CZ.UTF-8 LOCPATH=$WINE_TMP/locale
  start=$(date +%s)
  xvfb-run -a -n "$display" ctest --preset "$preset" "$@" >"$WINE_TMP/$id.log" 2>&1
  echo $? >"$WINE_TMP/$id.rc"
  echo "(${phases[$id]}: $(($(date +%s) - start)) s)" >>"$WINE_TMP/$id.log"
)
# Wine takes its ANSI code page and the encoding of Unix file names from the
# locale: without the compiled Czech locale the code page is still 1250, but
# names such as "léto.plk" cannot be made on disk. The system is left alone:
# the run compiles its own copy.
mkdir -p "$WINE_TMP/locale"
localedef -i cs_CZ -f UTF-8 "$WINE_TMP/locale/cs_CZ.UTF-8" >"$WINE_TMP/locale.log" 2>&1 ||
  { cat "$WINE_TMP/locale.log"; echo "cannot compile the cs_CZ.UTF-8 locale (Debian's locales package)"; }
# Prints each phase's log in order (only the tail of a passed one) and
# records its outcome.
collect_wine_phases() {
  wait
  local id
  for id in "${!phases[@]}"; do
    echo
    echo "=================== ${phases[$id]}"
    if [ "$(cat "$WINE_TMP/$id.rc" 2>/dev/null)" = 0 ]; then
      tail -n 15 "$WINE_TMP/$id.log"
      results+=("passed  ${phases[$id]}")
    else
      cat "$WINE_TMP/$id.log"
      results+=("FAILED  ${phases[$id]}")
      failed=1
    fi
  done
}

for preset in native native-sanitize windows-x86 windows-x64; do
  step "build $preset" build "$preset"
done
# The Windows programs load on the oldest systems they are for, and only the
# text layer calls the ...W functions that Windows 9x lacks.
step "imports: oldest systems" scripts/check-imports.sh
step "no direct wide calls outside the text layer" scripts/check-text-calls.sh
step "tests native" ctest --preset native -j "$jobs"
step "tests native under ASan+UBSan" ctest --preset native-sanitize -j "$jobs"
step "fuzz every target briefly" scripts/fuzz-briefly.sh "${PLOCHAR_FUZZ_SECONDS:-20}"
# Windows programs need an X display even when no window is seen. Four jobs at
# once: the 32-bit and 64-bit builds with Wine's default system, the 32-bit
# build's suites and end-to-end scripts as on Windows 98, and its end-to-end
# scripts as on Windows 2000 and then XP. The monkey, the layout at 144 DPI and
# the logo script (which sets Windows 98 itself) run in the default phase only.
phases=("tests windows-x86 under Wine" "tests windows-x64 under Wine"
  "tests windows-x86 under Wine as Windows 98" "end-to-end windows-x86 under Wine as Windows 2000"
  "end-to-end windows-x86 under Wine as Windows XP")
wine_start=$(date +%s)
wine_phase 0 100 "" windows-x86 &
wine_phase 1 200 "" windows-x64 &
wine_phase 2 300 win98 windows-x86 -L win98 &
{ wine_phase 3 400 win2k windows-x86 -L nt-modes; wine_phase 4 500 winxp windows-x86 -L nt-modes; } &
collect_wine_phases
echo "(the Windows phases together: $(($(date +%s) - wine_start)) s)"
# What users download, made from the two Windows builds above and installed,
# upgraded and uninstalled in a prefix of its own.
step "package" scripts/package.sh
step "install, upgrade and uninstall under Wine" bash tests/e2e/install_e2e.sh build/dist \
  build/windows-x86/tests/e2e/plochar_driver.exe build/windows-x86/tools/plochar-plk.exe

echo
echo "=================== summary"
printf '%s\n' "${results[@]}"
exit $failed
