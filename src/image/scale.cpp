#include "image/scale.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/bmp_file.h"
#include "image/nearest_colour.h"
#include "image/picture_loader.h"
#include "image/pixel_format.h"
#include "image/quantize.h"
#include "platform/cancel.h"

namespace {

// Output pixel blocks larger than this are refused rather than attempted.
constexpr uint64_t kMaxOutputPixelBytes = 1ull << 30;

bool isPaletteDepth(uint16_t bits) { return bits == 1 || bits == 4 || bits == 8; }

// Bit counts and compressions the resampler reads.
bool readableSource(const DibLayout& l) {
    if (isPaletteDepth(l.bitCount))
        return l.compression == kBiRgb;
    if (l.bitCount == 16 || l.bitCount == 24 || l.bitCount == 32)
        return l.compression == kBiRgb || l.compression == kBiBitfields;
    return false;
}

// Source columns of every output column and source storage row of an output
// row counted from the top.
struct SampleGrid {
    std::vector<uint32_t> columns;
    bool make(uint32_t srcW, uint32_t dstW) {
        columns.resize(dstW);
        for (uint32_t x = 0; x < dstW; ++x)
            columns[x] = resampleIndex(x, srcW, dstW);
        return true;
    }
};

const uint8_t* sourceRow(const uint8_t* pixels, const DibLayout& l, uint32_t topRow) {
    uint32_t storage = l.topDown ? topRow : static_cast<uint32_t>(l.rows) - 1 - topRow;
    return pixels + static_cast<size_t>(storage) * l.stride;
}

void putIndex(uint8_t* row, uint16_t bits, uint32_t x, uint32_t index) {
    switch (bits) {
    case 8:
        row[x] = static_cast<uint8_t>(index);
        break;
    case 4:
        row[x >> 1] |= static_cast<uint8_t>((x & 1) ? (index & 0x0F) : (index << 4));
        break;
    default:
        row[x >> 3] |= static_cast<uint8_t>((index & 1) << (7 - (x & 7)));
        break;
    }
}

// One output row in the source's own format. Bit-field pixels become the
// plain BI_RGB layout of their bit count, as the output header says.
void stretchRowSameFormat(const uint8_t* src, const DibLayout& l, const ChannelSet& channels,
                          const std::vector<uint32_t>& columns, uint8_t* dst) {
    uint32_t n = static_cast<uint32_t>(columns.size());
    if (isPaletteDepth(l.bitCount)) {
        for (uint32_t x = 0; x < n; ++x)
            putIndex(dst, l.bitCount, x, paletteIndex(src, l.bitCount, columns[x]));
        return;
    }
    uint32_t bytes = l.bitCount / 8;
    if (l.compression != kBiBitfields) {
        for (uint32_t x = 0; x < n; ++x, dst += bytes)
            std::memcpy(dst, src + static_cast<size_t>(columns[x]) * bytes, bytes);
        return;
    }
    for (uint32_t x = 0; x < n; ++x, dst += bytes) {
        PixelColour c = pixelColour(src + static_cast<size_t>(columns[x]) * bytes, l.bitCount, l.compression, channels);
        if (bytes == 2) {
            writeLe16(dst, static_cast<uint16_t>((c.red >> 3) << 10 | (c.green >> 3) << 5 | (c.blue >> 3)));
        } else if (bytes == 4) {
            dst[0] = c.blue, dst[1] = c.green, dst[2] = c.red, dst[3] = 0;
        } else {
            dst[0] = c.blue, dst[1] = c.green, dst[2] = c.red;
        }
    }
}

// The source's colour table widened to 4-byte entries (reserved byte 0),
// at most `limit` entries.
void copyTable(const uint8_t* block, const DibLayout& l, uint8_t* table, uint32_t entries) {
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e = block + l.tableOffset + static_cast<size_t>(i) * l.entryBytes;
        table[4 * i] = e[0];
        table[4 * i + 1] = e[1];
        table[4 * i + 2] = e[2];
        table[4 * i + 3] = 0;
    }
}

std::unique_ptr<uint8_t[]> allocatePixels(uint32_t stride, uint32_t rows) {
    uint64_t bytes = static_cast<uint64_t>(stride) * rows;
    if (stride == 0 || bytes > kMaxOutputPixelBytes)
        return nullptr;
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]());
}

} // namespace

void fitInBox(int32_t srcW, int32_t srcH, int32_t* width, int32_t* height) {
    double boxW = *width, boxH = *height;
    if (boxW / boxH >= static_cast<double>(srcW) / srcH)
        *width = static_cast<int32_t>(boxH / srcH * srcW);
    else
        *height = static_cast<int32_t>(boxW / srcW * srcH);
    // A very thin picture would otherwise vanish on its short side.
    if (*width < 1)
        *width = 1;
    if (*height < 1)
        *height = 1;
}

int scaleToFile(const WallpaperEntry& entry, const char16_t* outputPath, int32_t* width, int32_t* height,
                int32_t keepAspect, int32_t allowInput) {
    if (!entry.path[0] || !outputPath || !*outputPath || !width || !height)
        return 1;
    if (*width < 1 || *height < 1 || *width > kMaxDibSide || *height > kMaxDibSide)
        return 1;
    PackedDib source;
    switch (loadPicture(entry.path, allowInput, &source)) {
    case LoadResult::Failed:
        return 1;
    case LoadResult::Cancelled:
        return 2;
    case LoadResult::Loaded:
        break;
    }
    DibLayout l;
    if (!locateDib(source, &l) || !readableSource(l) || l.width == 0 || l.rows == 0)
        return 1;

    int32_t targetW = *width, targetH = *height;
    if (keepAspect)
        fitInBox(l.width, l.rows, &targetW, &targetH);

    uint32_t entries = isPaletteDepth(l.bitCount) ? l.tableEntries : 0;
    uint8_t header[kInfoHeaderBytes];
    makeInfoHeader(header, targetW, targetH, l.bitCount, entries, l.clrImportant);
    std::unique_ptr<uint8_t[]> table(new (std::nothrow) uint8_t[static_cast<size_t>(entries) * 4 + 4]());
    if (!table)
        return 1;
    copyTable(source.data(), l, table.get(), entries);

    uint32_t stride = dibStride(static_cast<uint32_t>(targetW), l.bitCount);
    std::unique_ptr<uint8_t[]> pixels = allocatePixels(stride, static_cast<uint32_t>(targetH));
    if (!pixels)
        return 1;
    if (CheckUserAbort(allowInput))
        return 2;

    SampleGrid grid;
    grid.make(static_cast<uint32_t>(l.width), static_cast<uint32_t>(targetW));
    ChannelSet channels = describeChannels(l);
    const uint8_t* srcPixels = source.data() + l.pixelOffset;
    for (uint32_t y = 0; y < static_cast<uint32_t>(targetH); ++y) {
        const uint8_t* src = sourceRow(srcPixels, l, resampleIndex(y, static_cast<uint32_t>(l.rows),
                                                                   static_cast<uint32_t>(targetH)));
        uint8_t* dst = pixels.get() + static_cast<size_t>(static_cast<uint32_t>(targetH) - 1 - y) * stride;
        stretchRowSameFormat(src, l, channels, grid.columns, dst);
    }
    source.reset();

    if (!writeBmpFile(outputPath, header, table.get(), entries, pixels.get(), stride, static_cast<uint32_t>(targetH)))
        return 1;
    *width = targetW;
    *height = targetH;
    return 0;
}

void fixedLogoPalette(uint8_t table[256 * 4]) {
    std::memset(table, 0, 256 * 4);
    // 31 greys, steps of 9 and 8 in turn from 0 to 255.
    uint32_t level = 0;
    for (uint32_t i = 0; i < 31; ++i) {
        table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(level);
        level += (i % 2 == 0) ? 9 : 8;
    }
    // The cube, blue fastest; its white corner is already the last grey.
    for (uint32_t r = 0; r < 6; ++r)
        for (uint32_t g = 0; g < 6; ++g)
            for (uint32_t b = 0; b < 6; ++b) {
                uint32_t i = 31 + 36 * r + 6 * g + b;
                if (i >= kFixedLogoColours)
                    continue;
                table[4 * i] = static_cast<uint8_t>(51 * b);
                table[4 * i + 1] = static_cast<uint8_t>(51 * g);
                table[4 * i + 2] = static_cast<uint8_t>(51 * r);
            }
}

int buildLogoBitmap(const WallpaperEntry& entry, const char16_t* outputPath, int32_t fastLogo) {
    if (!entry.path[0] || !outputPath || !*outputPath)
        return 0;
    PackedDib source;
    switch (loadPicture(entry.path, 0, &source)) {
    case LoadResult::Failed:
        return 0;
    case LoadResult::Cancelled:
        return 1;
    case LoadResult::Loaded:
        break;
    }
    DibLayout l;
    if (!locateDib(source, &l) || !readableSource(l) || l.width == 0 || l.rows == 0)
        return 0;

    uint8_t table[256 * 4] = {};
    uint32_t meaningful = 0;
    bool fixedPalette = false;
    if (!isPaletteDepth(l.bitCount)) {
        if (fastLogo) {
            fixedLogoPalette(table);
            meaningful = kFixedLogoColours;
            fixedPalette = true;
        } else {
            PackedDib reduced;
            int r = quantizeTo256(entry, nullptr, nullptr, 0, std::move(source), &reduced);
            if (r == 0)
                return 0;
            if (!reduced)
                return r == 2 ? 1 : 0;
            source = std::move(reduced);
            if (!locateDib(source, &l))
                return 0;
        }
    }
    if (!fixedPalette) {
        meaningful = l.tableEntries < 256 ? l.tableEntries : 256;
        copyTable(source.data(), l, table, meaningful);
    }

    uint8_t header[kInfoHeaderBytes];
    makeInfoHeader(header, kLogoWidth, kLogoHeight, 8, 256, meaningful);
    const uint32_t stride = kLogoWidth;
    std::unique_ptr<uint8_t[]> pixels = allocatePixels(stride, kLogoHeight);
    if (!pixels)
        return 0;
    if (CheckUserAbort(0))
        return 1;

    PaletteColour palette[256];
    for (uint32_t i = 0; i < meaningful; ++i)
        palette[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i]};

    // Palette sources: each possible index maps once to the nearest entry of
    // its colour. True-colour sources: the nearest entry per pixel.
    uint8_t indexMap[256] = {};
    NearestColourMap nearest;
    if (isPaletteDepth(l.bitCount)) {
        IndexColours colours;
        loadIndexColours(source.data(), l, &colours);
        for (uint32_t i = 0; i < 256; ++i)
            indexMap[i] = static_cast<uint8_t>(nearestEntryExhaustive(palette, meaningful, colours.bgr0[i][2],
                                                                       colours.bgr0[i][1], colours.bgr0[i][0]));
    } else if (!nearest.init(palette, meaningful)) {
        return 0;
    }

    SampleGrid grid;
    grid.make(static_cast<uint32_t>(l.width), kLogoWidth);
    ChannelSet channels = describeChannels(l);
    const uint8_t* srcPixels = source.data() + l.pixelOffset;
    uint32_t bytes = l.bitCount / 8;
    for (uint32_t y = 0; y < static_cast<uint32_t>(kLogoHeight); ++y) {
        const uint8_t* src =
            sourceRow(srcPixels, l, resampleIndex(y, static_cast<uint32_t>(l.rows), kLogoHeight));
        uint8_t* dst = pixels.get() + static_cast<size_t>(kLogoHeight - 1 - static_cast<int32_t>(y)) * stride;
        for (uint32_t x = 0; x < static_cast<uint32_t>(kLogoWidth); ++x) {
            uint32_t sx = grid.columns[x];
            if (isPaletteDepth(l.bitCount)) {
                dst[x] = indexMap[paletteIndex(src, l.bitCount, sx)];
            } else {
                PixelColour c = pixelColour(src + static_cast<size_t>(sx) * bytes, l.bitCount, l.compression, channels);
                dst[x] = nearest.nearest(c.red, c.green, c.blue);
            }
        }
    }
    source.reset();
    return writeBmpFile(outputPath, header, table, 256, pixels.get(), stride, kLogoHeight);
}
