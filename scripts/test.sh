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

# A fresh Wine prefix for this run, made once and shared by every Windows test.
export PLOCHAR_WINEPREFIX
PLOCHAR_WINEPREFIX=$(mktemp -d /tmp/plochar-wine.XXXXXX)
cleanup() {
  WINEPREFIX=$PLOCHAR_WINEPREFIX wineserver -k >/dev/null 2>&1
  rm -rf "$PLOCHAR_WINEPREFIX" "$PLOCHAR_WINEPREFIX.lock"
}
trap cleanup EXIT

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
# Windows programs need an X display even when no window is seen.
step "tests windows-x86 under Wine" xvfb-run -a ctest --preset windows-x86
step "tests windows-x64 under Wine" xvfb-run -a ctest --preset windows-x64
# What users download, made from the two Windows builds above and installed,
# upgraded and uninstalled in a prefix of its own.
step "package" scripts/package.sh
step "install, upgrade and uninstall under Wine" bash tests/e2e/install_e2e.sh build/dist \
  build/windows-x86/tests/e2e/plochar_driver.exe build/windows-x86/tools/plochar-plk.exe

echo
echo "=================== summary"
printf '%s\n' "${results[@]}"
exit $failed
