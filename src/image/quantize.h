// Reduction of a 16-, 24- or 32-bit picture to 8 bits with an optimised
// palette of at most 256 colours: median cut on a 6-bit-per-channel histogram,
// eight levels deep, then every pixel mapped to its nearest palette entry (no
// dithering).
#pragma once

#include <cstdint>

#include "collection/wallpaper_entry.h"
#include "image/packed_dib.h"

// A leaf of the median cut: its pixel count and colour.
struct ColourBox {
    uint32_t count;
    uint8_t blue, green, red, zero;
};

// The leaves of the median cut of a 64x64x64 histogram (cell index blue x
// 4096 + green x 64 + red, channel value / 4 on each axis), lower halves
// first, in `boxes` (room for 256). Returns how many.
uint32_t medianCut(const uint32_t* histogram, ColourBox* boxes);

// The histogram the reduction counts: 64 x 64 x 64 cells as for medianCut.
constexpr uint32_t kHistogramCells = 64 * 64 * 64;

// Counts every pixel of one stored row of a 16-, 24- or 32-bit picture.
void countRowColours(const uint8_t* row, const DibLayout& layout, uint32_t* histogram);

// The reduced palette of a histogram: the median cut's leaves, rarest first
// (equal counts in the order the cut made them). Returns how many (0 for an
// empty histogram).
uint32_t reducedPalette(const uint32_t* histogram, ColourBox* boxes);

// File mode (inputPath or outputPath non-empty): reads the BMP at inputPath
// and writes the 8-bit BMP to outputPath. Memory mode (both empty): reduces
// `source` and stores the picture in *result. The source is always consumed.
// 1 = done, 0 = failed (nothing to reduce, unreadable, out of memory, write
// failed; no output file is left behind), 2 = cancelled. allowInput is
// CheckUserAbort's, polled after every second row of the histogram pass and
// after every row of the mapping pass. `entry` is only the context of the
// operation.
int quantizeTo256(const WallpaperEntry& entry, const char16_t* inputPath, const char16_t* outputPath,
                  int32_t allowInput, PackedDib source, PackedDib* result);
