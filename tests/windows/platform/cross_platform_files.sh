#!/bin/bash
# Collection files are the same on both systems: a file written by the native
# build is read by the Windows build and the reverse, and both read the same
# entries.
set -eu
native_tool=$1
windows_tool=$2
if [ ! -x "$native_tool" ]; then
  echo "the native build's plochar-plk is missing ($native_tool): build the native preset first" >&2
  exit 1
fi
here=$(dirname "$0")
wine_run="$here/../../../scripts/wine-run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/linux" "$work/windows"

"$native_tool" write "$work/from-linux.plk" "$work/linux"
"$native_tool" dump "$work/from-linux.plk" > "$work/linux-read-by-linux.txt"
"$wine_run" "$windows_tool" dump "$("$wine_run" winepath -w "$work/from-linux.plk" 2>/dev/null)" > "$work/linux-read-by-windows.txt"
diff -u "$work/linux-read-by-linux.txt" "$work/linux-read-by-windows.txt"

windows_folder=$("$wine_run" winepath -w "$work/windows" 2>/dev/null)
"$wine_run" "$windows_tool" write "$("$wine_run" winepath -w "$work/from-windows.plk" 2>/dev/null)" "$windows_folder"
"$wine_run" "$windows_tool" dump "$("$wine_run" winepath -w "$work/from-windows.plk" 2>/dev/null)" > "$work/windows-read-by-windows.txt"
"$native_tool" dump "$work/from-windows.plk" > "$work/windows-read-by-linux.txt"
diff -u "$work/windows-read-by-windows.txt" "$work/windows-read-by-linux.txt"

grep -q 'Žluťoučký kůň.jpg' "$work/windows-read-by-linux.txt"
echo "collection files agree across platforms:"
cat "$work/windows-read-by-linux.txt"
