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
#include "image/rle.h"
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

int scalePicture(const PackedDib& picture, int32_t width, int32_t height, int32_t allowInput, ScaledPicture* out) {
    DibLayout l;
    if (!out || !locateDib(picture, &l))
        return 1;
    // RLE pictures are expanded to plain rows first.
    PackedDib expanded;
    if (isRlePicture(l) && (!expandRle(picture, &expanded) || !locateDib(expanded, &l)))
        return 1;
    const PackedDib& source = expanded ? expanded : picture;
    if (!readableSource(l) || l.width == 0 || l.rows == 0)
        return 1;
    if (width < 1 || height < 1 || width > kMaxDibSide || height > kMaxDibSide)
        return 1;
    uint32_t entries = isPaletteDepth(l.bitCount) ? l.tableEntries : 0;
    makeInfoHeader(out->header, width, height, l.bitCount, entries, l.clrImportant);
    if (entries > 256) {
        out->bigTable.reset(new (std::nothrow) uint8_t[static_cast<size_t>(entries) * 4]);
        if (!out->bigTable)
            return 1;
    }
    copyTable(source.data(), l, out->bigTable ? out->bigTable.get() : out->table, entries);
    out->entries = entries;
    out->stride = dibStride(static_cast<uint32_t>(width), l.bitCount);
    out->pixels = allocatePixels(out->stride, static_cast<uint32_t>(height));
    if (!out->pixels)
        return 1;
    if (CheckUserAbort(allowInput))
        return 2;

    SampleGrid grid;
    grid.make(static_cast<uint32_t>(l.width), static_cast<uint32_t>(width));
    ChannelSet channels = describeChannels(l);
    const uint8_t* srcPixels = source.data() + l.pixelOffset;
    for (uint32_t y = 0; y < static_cast<uint32_t>(height); ++y) {
        const uint8_t* src =
            sourceRow(srcPixels, l, resampleIndex(y, static_cast<uint32_t>(l.rows), static_cast<uint32_t>(height)));
        uint8_t* dst = out->pixels.get() + static_cast<size_t>(static_cast<uint32_t>(height) - 1 - y) * out->stride;
        stretchRowSameFormat(src, l, channels, grid.columns, dst);
    }
    out->width = width;
    out->height = height;
    return 0;
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
    if (!locateDib(source, &l) || l.width == 0 || l.rows == 0)
        return 1;
    int32_t targetW = *width, targetH = *height;
    if (keepAspect)
        fitInBox(l.width, l.rows, &targetW, &targetH);

    ScaledPicture scaled;
    int r = scalePicture(source, targetW, targetH, allowInput, &scaled);
    if (r != 0)
        return r;
    source.reset();
    if (!writeBmpFile(outputPath, scaled.header, scaled.colourTable(), scaled.entries, scaled.pixels.get(),
                      scaled.stride, static_cast<uint32_t>(targetH)))
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
    ScaledPicture logo;
    switch (buildLogoPicture(entry, std::move(source), fastLogo, &logo)) {
    case 1:
        return 0;
    case 2:
        return 1; // a cancelled logo counts as done
    default:
        break;
    }
    return writeBmpFile(outputPath, logo.header, logo.table, 256, logo.pixels.get(), logo.stride, kLogoHeight);
}

int buildLogoPicture(const WallpaperEntry& entry, PackedDib source, int32_t fastLogo, ScaledPicture* out) {
    DibLayout l;
    if (!out || !locateDib(source, &l))
        return 1;
    if (isRlePicture(l)) {
        PackedDib expanded;
        if (!expandRle(source, &expanded) || !locateDib(expanded, &l))
            return 1;
        source = std::move(expanded);
    }
    if (!readableSource(l) || l.width == 0 || l.rows == 0)
        return 1;

    uint8_t* table = out->table;
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
                return 1;
            if (!reduced)
                return r == 2 ? 2 : 1;
            source = std::move(reduced);
            if (!locateDib(source, &l))
                return 1;
        }
    }
    if (!fixedPalette) {
        meaningful = l.tableEntries < 256 ? l.tableEntries : 256;
        copyTable(source.data(), l, table, meaningful);
    }

    makeInfoHeader(out->header, kLogoWidth, kLogoHeight, 8, 256, meaningful);
    out->entries = 256;
    out->stride = kLogoWidth;
    out->pixels = allocatePixels(out->stride, kLogoHeight);
    if (!out->pixels)
        return 1;
    if (CheckUserAbort(0))
        return 2;

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
        return 1;
    }

    SampleGrid grid;
    grid.make(static_cast<uint32_t>(l.width), kLogoWidth);
    ChannelSet channels = describeChannels(l);
    const uint8_t* srcPixels = source.data() + l.pixelOffset;
    uint32_t bytes = l.bitCount / 8;
    for (uint32_t y = 0; y < static_cast<uint32_t>(kLogoHeight); ++y) {
        const uint8_t* src = sourceRow(srcPixels, l, resampleIndex(y, static_cast<uint32_t>(l.rows), kLogoHeight));
        uint8_t* dst = out->pixels.get() + static_cast<size_t>(kLogoHeight - 1 - static_cast<int32_t>(y)) * out->stride;
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
    out->width = kLogoWidth;
    out->height = kLogoHeight;
    return 0;
}
