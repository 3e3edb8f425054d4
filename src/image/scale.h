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

inline uint32_t resampleIndex(uint32_t i, uint32_t sourceCount, uint32_t targetCount) {
    return static_cast<uint32_t>((2ull * i + 1) * sourceCount / (2ull * targetCount));
}

// Target size of a picture srcW x srcH scaled into the box *width x *height
// keeping its proportions: the side whose ratio is tighter stays, the other is
// (box side / source side) x source side, truncated; equal ratios keep the
// height. Never less than 1.
void fitInBox(int32_t srcW, int32_t srcH, int32_t* width, int32_t* height);

// A scaled picture ready to be written: 40-byte header, colour table of
// `entries` 4-byte entries, bottom-up rows of `stride` bytes.
struct ScaledPicture {
    uint8_t header[40] = {};
    uint8_t table[256 * 4] = {}; // logo and palette pictures of up to 256 entries
    std::unique_ptr<uint8_t[]> bigTable; // palette tables longer than 256 entries
    uint32_t entries = 0;
    std::unique_ptr<uint8_t[]> pixels;
    uint32_t stride = 0;
    int32_t width = 0, height = 0;
    const uint8_t* colourTable() const { return bigTable ? bigTable.get() : table; }
};

// Stretches `source` to width x height in its own format (see scaleToFile).
// 0 = done, 1 = failed, 2 = cancelled (one poll before the stretch).
int scalePicture(const PackedDib& source, int32_t width, int32_t height, int32_t allowInput, ScaledPicture* out);

// Scales the entry's picture (BMP of 1, 4, 8, 16, 24 or 32 bits, core or info
// header, BI_RGB, BI_BITFIELDS, RLE8 or RLE4, either row order; or JPEG) to *width x
// *height, or into that box with keepAspect, and writes it as a BMP of the
// source's bit count (bit fields become plain 5-5-5 or 8-8-8 pixels, RLE
// becomes plain rows) with the source's colour table. 0 = written (*width, *height = the size made), 1 =
// failed (no new file left behind), 2 = cancelled.
int scaleToFile(const WallpaperEntry& entry, const char16_t* outputPath, int32_t* width, int32_t* height,
                int32_t keepAspect, int32_t allowInput);

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
// Runs unattended (only the cancel menu and window messages stop it).
// 1 = written or cancelled, 0 = failed.
int buildLogoBitmap(const WallpaperEntry& entry, const char16_t* outputPath, int32_t fastLogo);

// The logo picture from a picture in memory (consumed). 0 = done, 1 = failed,
// 2 = cancelled.
int buildLogoPicture(const WallpaperEntry& entry, PackedDib source, int32_t fastLogo, ScaledPicture* out);
