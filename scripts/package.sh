#!/bin/bash
# Makes what a Windows user downloads, into build/dist/:
#   Plochar-<version>-win32.zip, Plochar-<version>-win64.zip   the program to unpack anywhere
#   Plochar-<version>-setup.exe                                 the per-user installer (NSIS)
#   SHA256SUMS                                                  of the three
# The programs are the windows-x86 and windows-x64 builds (optimised, static)
# with their debug information stripped; the builds themselves keep it for
# the tests. Needs the packages of scripts/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
VERSION=$(sed -n 's/^project(Plochar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$VERSION" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
DIST=$ROOT/build/dist
STAGE=$ROOT/build/package
JOBS=$(nproc)

# Files get the time of the last commit, so that the zips depend only on
# their contents.
STAMP=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export TZ=UTC

crlf() { sed 's/\r*$/\r/' "$1"; }

stage() { # arch (x86|x64) folder-name (win32|win64) strip-tool
    local preset=windows-$1 out=$STAGE/$2
    if [ ! -f "build/$preset/CMakeCache.txt" ]; then
        cmake --preset "$preset" >/dev/null || return 1
    fi
    cmake --build --preset "$preset" --target plochar -j "$JOBS" >/dev/null || return 1
    rm -rf "$out"
    mkdir -p "$out"
    "$3" --strip-all -o "$out/plochar.exe" "build/$preset/src/app/plochar.exe"
    cp docs/Plochar.html "$out/"
    cp -r docs/Plochar-obrazky "$out/"
    # Notepad of every Windows reads a UTF-8 file with its mark.
    { printf '\xef\xbb\xbf'; crlf docs/CTIMNE.txt; } >"$out/CTIMNE.txt"
    crlf LICENSE >"$out/LICENSE.txt"
    find "$out" -exec touch -h -d "@$STAMP" {} +
}

zip_stage() { # folder-name zip
    rm -f "$2"
    (cd "$STAGE/$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | zip -q -X -9 "$2" -@)
}

# Nothing stale is left to be taken for this run's output.
rm -rf "$DIST"
echo "== Plochar $VERSION: release programs"
stage x86 win32 i686-w64-mingw32-strip
stage x64 win64 x86_64-w64-mingw32-strip

mkdir -p "$DIST"
echo "== zips"
zip_stage win32 "$DIST/Plochar-$VERSION-win32.zip"
zip_stage win64 "$DIST/Plochar-$VERSION-win64.zip"

echo "== installer"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DSOURCE="$ROOT" \
    -DOUTFILE="$DIST/Plochar-$VERSION-setup.exe" scripts/plochar.nsi

(cd "$DIST" && sha256sum "Plochar-$VERSION-win32.zip" "Plochar-$VERSION-win64.zip" "Plochar-$VERSION-setup.exe" >SHA256SUMS)
echo "== made in build/dist:"
(cd "$DIST" && ls -l --time-style=+ Plochar-* SHA256SUMS | awk '{ print "   " $5 "  " $NF }')
