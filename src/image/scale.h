// Scaling an entry's picture into a BMP file (to fit the screen), and the
// Windows 9x start-up logo picture (320 x 400, 8 bits, 256-entry table).
//
// Our resampler stands in for GDI's COLORONCOLOR stretch: every output pixel
// takes exactly one source pixel, so whole rows and columns are dropped or
// repeated and no colours are mixed. Output index i of n takes source index
// floor((2i + 1) x srcN / (2n)): the source pixel under the centre of the
// output pixel, counted from the picture's top-left corner, so a picture is
// sampled symmetrically and a size that divides evenly picks the middle pixel
// of each group.
#pragma once

#include <cstdint>
#include <memory>

#include "collection/wallpaper_entry.h"
#include "image/packed_dib.h"
#include "image/picture_rows.h"

inline uint32_t resampleIndex(uint32_t i, uint32_t sourceCount, uint32_t targetCount) {
    return static_cast<uint32_t>((2ull * i + 1) * sourceCount / (2ull * targetCount));
}

// Target size of a picture srcW x srcH scaled into the box *width x *height
// keeping its proportions: the side whose ratio is tighter stays, the other is
// (box side / source side) x source side, truncated; equal ratios keep the
// height. Never less than 1.
void fitInBox(int32_t srcW, int32_t srcH, int32_t* width, int32_t* height);

// A scaled picture in one block laid out as a PackedDib: 40-byte header,
// colour table of `entries` 4-byte entries, bottom-up rows of `stride` bytes.
struct ScaledPicture {
    PackedDib dib;
    uint32_t entries = 0;
    uint32_t stride = 0;
    int32_t width = 0, height = 0;

    // A zeroed picture with its header written; false when it is too large
    // or memory runs out.
    bool allocate(int32_t width, int32_t height, uint16_t bitCount, uint32_t entries, uint32_t clrImportant);
    uint8_t* table() { return dib.data() + kInfoHeaderBytes; }
    // Output row y counted from the top.
    uint8_t* row(uint32_t y) {
        return table() + 4 * static_cast<size_t>(entries) +
               static_cast<size_t>(static_cast<uint32_t>(height) - 1 - y) * stride;
    }
    // Writes it as a BMP file. 1 = written, 0 = failed (no file left behind).
    int write(const char16_t* path);
};

// Stretches `source` to width x height in its own format (see scaleToFile).
// 0 = done, 1 = failed, 2 = cancelled.
int scalePicture(const PackedDib& source, int32_t width, int32_t height, int32_t allowInput,
                 ScaledPicture* out);

// Scales the entry's picture (BMP of 1, 4, 8, 16, 24 or 32 bits, core or info
// header, BI_RGB, BI_BITFIELDS, RLE8 or RLE4, either row order; or JPEG) to *width x
// *height, or into that box with keepAspect, and writes it as a BMP of the
// source's bit count (bit fields become plain 5-5-5 or 8-8-8 pixels, RLE
// becomes plain rows) with the source's colour table. Only the rows the
// output takes are read (a JPEG is decoded row by row without being held),
// with a cancel poll after each. 0 = written (*width, *height = the size
// made), 1 = failed (no new file left behind), 2 = cancelled.
// With `upright`, a JPEG is made upright by its Exif orientation: the box and
// the sampling are the upright picture's, the result equals scaling the turned
// whole picture, and only the small result is ever turned.
int scaleToFile(const WallpaperEntry& entry, const char16_t* outputPath, int32_t* width, int32_t* height,
                int32_t keepAspect, int32_t allowInput, int32_t upright = 0);

// The fixed logo palette: 31 greys, the 6x6x6 colour cube without its white
// corner, then 10 black entries. 246 meaningful entries.
constexpr uint32_t kFixedLogoColours = 246;
void fixedLogoPalette(uint8_t table[256 * 4]);

constexpr int32_t kLogoWidth = 320;
constexpr int32_t kLogoHeight = 400;

// Builds the 320 x 400 8-bit logo picture from the entry's picture. A picture
// with a colour table keeps it; a true-colour one gets the fixed palette
// (fastLogo, the settings' fast logo option) or its own reduction to 256
// colours. Every source colour becomes the nearest meaningful table entry.
// The reduction's palette is that of the whole picture (quantizeTo256's), so
// every row is read for it; only the sampled pixels are kept.
// Runs unattended (only the cancel menu and window messages stop it).
// 1 = written or cancelled, 0 = failed. With `upright` a JPEG is made
// upright by its Exif orientation, as in scaleToFile.
int buildLogoBitmap(const WallpaperEntry& entry, const char16_t* outputPath, int32_t fastLogo, int32_t upright = 0);

// The logo picture from a picture in memory (consumed). 0 = done, 1 = failed,
// 2 = cancelled.
int buildLogoPicture(const WallpaperEntry& entry, PackedDib source, int32_t fastLogo, ScaledPicture* out);

// The picture at `path` read straight into width x height (no proportions
// kept) by the same rule and in the same form as scaleToFile, for a preview:
// nothing larger than the result is held. CheckUserAbort(allowInput) runs
// after every source row read; a cancelled read keeps the rows read so far,
// the others stay zero (black). With `upright` a JPEG is made upright by its
// Exif orientation, as in scaleToFile; `source` stays the picture as stored.
struct SampledPicture {
    PictureFile file = PictureFile::CannotOpen; // what the file was, for the failure text
    DibLayout source;                           // the picture's own layout (its size and depth as stored)
    PackedDib dib;                              // the sampled picture; empty on failure
    bool cancelled = false;
};
SampledPicture readSampledPicture(const char16_t* path, int32_t width, int32_t height, int32_t allowInput,
                                  int32_t upright = 0);
