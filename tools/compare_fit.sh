#!/bin/bash
# Runs two builds of plochar-convert on the same pictures and checks that
# "scale" and "logo" give the same exit status, the same printed size and
# byte-identical files. For a change to the scaling code: build the old
# version of the tool elsewhere and compare it with the new one.
#
#   tools/compare_fit.sh OLD/plochar-convert NEW/plochar-convert
#
# Pictures: the tests' JPEGs, the fuzz corpora (DIB blocks of fuzz_image_ops
# get a file header), BMP files of every form (make_test_pictures.py) and
# JPEGs of every sampling, grey, progressive and with restarts (cjpeg).
set -uo pipefail
old=$1 new=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/plochar-compare-fit.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"

cp "$root"/tests/image/data/*.jpg "$work/in/"
for f in "$root"/fuzz/corpus/fuzz_bmp_read/*; do cp "$f" "$work/in/bmp-$(basename "$f")"; done
for f in "$root"/fuzz/corpus/fuzz_jpeg_decoder/*; do cp "$f" "$work/in/jpeg-$(basename "$f")"; done
# A DIB block after two bytes of target size: a file header whose bfOffBits
# (26) puts the pixels right behind the table, as in the block.
for f in "$root"/fuzz/corpus/fuzz_image_ops/*; do
    size=$(($(stat -c %s "$f") - 2 + 14))
    [ "$size" -gt 26 ] || continue
    python3 -c 'import struct,sys; sys.stdout.buffer.write(struct.pack("<HIHHI",0x4D42,int(sys.argv[1]),0,0,26))' \
        "$size" > "$work/in/ops-$(basename "$f")"
    tail -c +3 "$f" >> "$work/in/ops-$(basename "$f")"
done
python3 "$root/tools/make_test_pictures.py" "$work/in" > /dev/null
for size in 1x1 17x9 9x23 301x203 1024x300 2000x1500; do
    convert -seed 3 -size "$size" plasma:fractal ppm:"$work/p.ppm"
    for opts in "-sample 1x1" "-sample 2x1" "-sample 2x2" "-sample 1x2" "-grayscale" "-progressive" \
                "-restart 1 -sample 2x2" "-progressive -grayscale" "-optimize -quality 40"; do
        name=$(echo "$opts" | tr -d ' -')
        cjpeg $opts "$work/p.ppm" > "$work/in/cj-$size-$name.jpg"
    done
done

# Each operation: the arguments after the input and output paths.
ops=("1920 1080 --keep-aspect" "333 77 --keep-aspect" "7 5" "97 131" "640 480")
files=0 runs=0 written=0 differ=0
for f in "$work/in"/*; do
    files=$((files + 1))
    for op in "${ops[@]}" logo "logo --fast"; do
        runs=$((runs + 1))
        rm -f "$work/a.bmp" "$work/b.bmp"
        if [ "${op%% *}" = logo ]; then
            a=$("$old" logo "$f" "$work/a.bmp" ${op#logo} 2>/dev/null; echo "exit $?")
            b=$("$new" logo "$f" "$work/b.bmp" ${op#logo} 2>/dev/null; echo "exit $?")
        else
            a=$("$old" scale "$f" "$work/a.bmp" $op 2>/dev/null; echo "exit $?")
            b=$("$new" scale "$f" "$work/b.bmp" $op 2>/dev/null; echo "exit $?")
        fi
        same=1
        [ "$a" = "$b" ] || same=0
        if [ -e "$work/a.bmp" ] || [ -e "$work/b.bmp" ]; then
            cmp -s "$work/a.bmp" "$work/b.bmp" || same=0
        fi
        [ -e "$work/a.bmp" ] && written=$((written + 1))
        if [ "$same" = 0 ]; then
            differ=$((differ + 1))
            echo "DIFFERENT: $(basename "$f") $op: old [$a] new [$b]"
        fi
    done
done
echo "$files pictures, $runs runs ($written wrote a file), $differ different"
[ "$differ" -eq 0 ]
