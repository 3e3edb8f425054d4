#!/bin/bash
# Checks that no object file of the 32-bit plochar.exe calls a ...W function
# that is a stub on Windows 95, 98 and ME, except the text layer
# (src/platform/win_*.cpp), which calls the ...W function on NT and the ...A
# function on 9x. Reads the undefined symbols of the program's own objects
# and of the libraries it links from this project (not the tests): an i686
# call of CreateFileW is the symbol __imp__CreateFileW@28 (or _CreateFileW@28).
#
#   scripts/check-text-calls.sh                   the objects of build/windows-x86's plochar.exe
#   scripts/check-text-calls.sh FILE.obj|LIB.a... those files
#
# Prints each such function with the objects that call it and exits 1; exits 0
# when there is none.
set -uo pipefail
# Files named on the command line are taken from where the script was started.
args=()
for a in "$@"; do
  case $a in /*|x86|x64) args+=("$a") ;; *) args+=("$PWD/$a") ;; esac
done
set -- "${args[@]}"
cd "$(dirname "$0")/.." || exit 1

# The ...W functions that work on Windows 95, 98 and ME, and may be called
# anywhere:
# - MessageBoxW, TextOutW, ExtTextOutW, GetTextExtentPoint32W (named there as
#   GetTextExtentPoint), MultiByteToWideChar, WideCharToMultiByte: the MSDN
#   Library (1998), "Windows 95 limitations", lists them as the Unicode
#   functions Windows 95 implements; the other ...W functions are stubs.
# - lstrlenW, FindResourceW: implemented on 9x; they are not among the
#   functions the Microsoft Layer for Unicode had to supply there.
allowed="MessageBoxW lstrlenW MultiByteToWideChar WideCharToMultiByte TextOutW ExtTextOutW GetTextExtentPoint32W FindResourceW"

build=build/windows-x86
if [ $# -gt 0 ]; then
  files=("$@")
else
  if [ ! -f "$build/build.ninja" ]; then
    echo "no $build/build.ninja: configure and build the windows-x86 preset first"
    exit 1
  fi
  # The link line of plochar.exe names its objects and this project's
  # libraries by relative paths; the runtime's own (CRT_fp8.o) are absolute.
  mapfile -t files < <(ninja -C "$build" -t commands src/app/plochar.exe | tail -n 1 | tr ' ' '\n' |
    grep -E '^[^-/].*\.(obj|o|a)$' | sed "s|^|$build/|")
  if [ ${#files[@]} -eq 0 ]; then
    echo "no objects found on the link line of $build/src/app/plochar.exe"
    exit 1
  fi
fi
for f in "${files[@]}"; do
  [ -f "$f" ] || { echo "missing: $f (build it first)"; exit 1; }
done

# "object<TAB>symbol" for every undefined symbol; an archive member is named
# archive(member).
i686-w64-mingw32-nm -u -A "${files[@]}" 2>/dev/null | awk '
  { sym = $NF; where = $1; sub(/:$/, "", where)
    n = split(where, p, ":")
    if (n >= 2) where = p[1] "(" p[2] ")"
    print where "\t" sym }' |
awk -F'\t' -v allowed="$allowed" '
  BEGIN { n = split(allowed, a, " "); for (i = 1; i <= n; i++) ok[a[i]] = 1 }
  {
    obj = $1; sym = $2
    if (sym ~ /^__imp__/) imports++
    if (sym !~ /^(__imp_)?_[A-Za-z][A-Za-z0-9_]*[a-z0-9]W@[0-9]+$/) next
    name = sym; sub(/^(__imp_)?_/, "", name); sub(/@[0-9]+$/, "", name)
    if (name in ok) next
    member = obj; sub(/\)$/, "", member); sub(/.*[(\/]/, "", member)
    # the text layer: src/platform/win_*.cpp
    if (member ~ /^win_[A-Za-z0-9_]*\.cpp\.(obj|o)$/) {
      src = member; sub(/\.(obj|o)$/, "", src)
      if ((getline dummy < ("src/platform/" src)) >= 0) { close("src/platform/" src); next }
    }
    if (!((name, obj) in seen)) { seen[name, obj] = 1; users[name] = users[name] " " member }
  }
  END {
    # a program without a single import means nm was not read right
    if (!imports) { print "no import symbols read from the objects"; exit 1 }
    count = 0
    for (name in users) list[++count] = name
    if (!count) { print "no ...W stubs of Windows 9x are called outside src/platform/win_*.cpp"; exit 0 }
    # sort by name
    for (i = 2; i <= count; i++) { v = list[i]; j = i - 1
      while (j > 0 && list[j] > v) { list[j + 1] = list[j]; j-- }
      list[j + 1] = v }
    printf "%d ...W functions that are stubs on Windows 95/98/ME are called outside src/platform/win_*.cpp\n", count
    print "(call them through namespace win of src/platform/win_layer.h):"
    for (i = 1; i <= count; i++) printf "  %-26s%s\n", list[i], users[list[i]]
    exit 1
  }'
