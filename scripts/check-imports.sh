#!/bin/bash
# Checks that the release programs load on the oldest systems they are for:
# every function a program imports (DLL and name, read from its import table)
# must have a row in the program's table and exist there on each of those
# systems. The 32-bit plochar.exe is for Windows 95 and NT 4.0
# (tests/imports/windows95_nt4.tsv), the 64-bit one for Windows XP x64
# (tests/imports/windows_xp_x64.tsv). A function Windows 95 exports as a
# stub passes: the program loads, and the text layer keeps it from being
# called there.
#
#   scripts/check-imports.sh                 the two programs of the Windows builds
#   scripts/check-imports.sh x86|x64 EXE...  other programs against one table
#
# Prints what is wrong, one function a line, and exits 1; exits 0 when every
# import is known and present.
set -uo pipefail
# Files named on the command line are taken from where the script was started.
args=()
for a in "$@"; do
  case $a in /*|x86|x64) args+=("$a") ;; *) args+=("$PWD/$a") ;; esac
done
set -- "${args[@]}"
cd "$(dirname "$0")/.." || exit 1

# The imports of a PE file, "DLL<TAB>function" (DLL in capitals; an import by
# ordinal as "#n").
imports() {
  x86_64-w64-mingw32-objdump -p "$1" | awk '
    /^\tDLL Name:/ { dll = toupper($3); next }
    /^\tvma:/ || /^$/ { next }
    dll != "" && /^\t[0-9a-f]+\t/ {
      if ($3 == "<none>") print dll "\t#" $2; else print dll "\t" $3
    }
    /^The Export Tables/ || /^PE File Base Relocations/ { dll = "" }' | sort -u
}

# check TABLE EXE "SYSTEM|SYSTEM...": the names of the table's columns 3...
check() {
  local table=$1 exe=$2 systems=$3
  if [ ! -f "$exe" ]; then
    echo "missing program: $exe (build it first)"
    return 1
  fi
  local list
  list=$(imports "$exe")
  if [ -z "$list" ]; then
    echo "$exe: no import table read"
    return 1
  fi
  echo "$list" | awk -F'\t' -v table="$table" -v exe="$exe" -v systems="$systems" '
    BEGIN {
      nsys = split(systems, sys, "|")
      while ((getline line < table) > 0) {
        if (line ~ /^#/ || line == "") continue
        n = split(line, f, "\t")
        key = f[1] "\t" f[2]
        for (i = 1; i <= nsys; i++) state[key, i] = f[2 + i]
        known[key] = 1
      }
    }
    {
      key = $1 "\t" $2
      total++
      if (!(key in known)) { unknown[++nu] = $1 "!" $2; next }
      for (i = 1; i <= nsys; i++) {
        s = state[key, i]
        if (s == "stub") stubs[i]++
        else if (s != "yes" && s != "ie5") { absent[i] = absent[i] "  " $1 "!" $2 "\n"; na[i]++ }
      }
    }
    END {
      bad = 0
      printf "%s: %d imports\n", exe, total
      if (nu) {
        bad = 1
        printf "not in %s (add a row with its source):\n", table
        for (i = 1; i <= nu; i++) printf "  %s\n", unknown[i]
      }
      for (i = 1; i <= nsys; i++) {
        if (na[i]) { bad = 1; printf "missing on %s:\n%s", sys[i], absent[i] }
        if (stubs[i]) printf "(%d imports are stubs on %s: they load, and must not be called there)\n", stubs[i], sys[i]
      }
      exit bad
    }'
}

if [ $# -ge 2 ]; then
  arch=$1
  shift
  status=0
  for exe in "$@"; do
    case $arch in
      x86) check tests/imports/windows95_nt4.tsv "$exe" "Windows 95|NT 4.0" || status=1 ;;
      x64) check tests/imports/windows_xp_x64.tsv "$exe" "XP x64" || status=1 ;;
      *) echo "usage: $0 [x86|x64 EXE...]" >&2; exit 2 ;;
    esac
  done
  exit $status
fi

status=0
check tests/imports/windows95_nt4.tsv build/windows-x86/src/app/plochar.exe "Windows 95|NT 4.0" || status=1
check tests/imports/windows_xp_x64.tsv build/windows-x64/src/app/plochar.exe "XP x64" || status=1
[ $status -eq 0 ] && echo "every import exists on the oldest system of its program"
exit $status
