// The desktop background colour that suits a picture: the mean colour of all
// its pixels, 5 % brighter, limited to 255 per channel.
#pragma once

#include <cstdint>

#include "collection/wallpaper_entry.h"
#include "image/packed_dib.h"

// Estimates the colour of the entry's picture (BMP of 1, 4, 8 bits plain or
// RLE, 16, 24, 32 bits; or JPEG) as a COLORREF (0x00BBGGRR) in *colour.
// 0 = estimated, 1 = failed (*colour untouched), 2 = cancelled (Esc, a click
// or a close request). With `upright` a JPEG counts as turned by its Exif
// orientation (the estimate averages row by row).
int estimateBackground(const WallpaperEntry& entry, uint32_t* colour, int32_t upright = 0);

// The same estimate on a picture in memory; allowInput for the cancel poll.
int estimatePictureColour(const PackedDib& picture, int32_t allowInput, uint32_t* colour);
