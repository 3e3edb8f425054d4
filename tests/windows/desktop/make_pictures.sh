#!/bin/bash
# Test JPEGs for the desktop tests, made on the build machine with
# ImageMagick and libjpeg-turbo's cjpeg (the Windows tests cannot run them):
# baseline 4:2:0 larger and smaller than the test screen, progressive, grey,
# one that fits the screen only as stored,
# and two damaged ones. BMPs are written by the tests themselves.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
convert -size 1200x900 gradient:firebrick-royalblue -swirl 90 ppm:- | cjpeg -quality 85 -sample 2x2 >large420.jpg
convert -size 320x200 gradient:gold-teal -swirl 60 ppm:- | cjpeg -quality 90 -sample 2x2 >small420.jpg
convert -size 640x480 radial-gradient:orange-purple ppm:- | cjpeg -quality 90 -progressive >progressive.jpg
convert -size 300x260 gradient:white-black -colorspace Gray pgm:- | cjpeg -quality 90 -grayscale >grey.jpg
# Fits the test screen as stored, but not once turned upright (the tests
# give it an Exif orientation).
convert -size 1000x700 gradient:navy-khaki -swirl 120 ppm:- | cjpeg -quality 85 -sample 2x2 >wide1000x700.jpg
# The header ends before the frame: nothing can be read.
head -c 30 small420.jpg >damaged-header.jpg
# A sound header, but the scan's restart markers are out of order: the
# decoder stops half-way through the picture.
convert -size 320x200 gradient:gold-teal ppm:- | cjpeg -quality 90 -restart 1 >restarts.jpg
sos=$(LC_ALL=C grep -obUaP '\xff\xda' restarts.jpg | head -n1 | cut -d: -f1)
rst3=$(LC_ALL=C grep -obUaP '\xff\xd3' restarts.jpg | awk -F: -v s="$sos" '$1 > s { print $1; exit }')
[ -n "$sos" ] && [ -n "$rst3" ] || { echo "no restart marker found" >&2; exit 1; }
cp restarts.jpg damaged-data.jpg
printf '\xd6' | dd of=damaged-data.jpg bs=1 seek=$((rst3 + 1)) conv=notrunc status=none
rm restarts.jpg
printf 'This is not a picture.\r\n' >not-a-picture.bmp
touch stamp
