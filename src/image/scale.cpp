#include "image/scale.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "image/bmp_file.h"
#include "image/nearest_colour.h"
#include "image/orient_picture.h"
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

// A picture stored turned (a photo with its camera's orientation) is sampled
// as stored and the small result is turned, so that nothing larger than the
// result is held. For that to pick exactly the pixels that sampling the
// upright picture would, an axis the turn reverses is sampled from its far
// end: the rule's rounding is not symmetric.
struct Turn {
    int32_t orientation = 1;
    bool swapsSides() const { return orientation >= 5 && orientation <= 8; }
    bool reversesColumns() const { return orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8; }
    bool reversesRows() const { return orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7; }
};

uint32_t sampleIndex(uint32_t i, uint32_t sourceCount, uint32_t targetCount, bool reversed) {
    return reversed ? sourceCount - 1 - resampleIndex(targetCount - 1 - i, sourceCount, targetCount)
                    : resampleIndex(i, sourceCount, targetCount);
}

// Source column of every output column.
std::vector<uint32_t> sampleColumns(uint32_t srcW, uint32_t dstW, bool reversed = false) {
    std::vector<uint32_t> columns(dstW);
    for (uint32_t x = 0; x < dstW; ++x)
        columns[x] = sampleIndex(x, srcW, dstW, reversed);
    return columns;
}

using MakeRow = std::function<void(const uint8_t* source, uint8_t* output)>;

// Reads the source rows that out's rows take and makes each into the first
// output row that takes it; the further ones (an enlarged picture repeats
// rows) are copies. With everyRow the rows no output row takes are read too
// and handed over with a null output row; with columns, only those pixels
// of a row are made right.
RowsResult sampleRows(PictureRows& rows, ScaledPicture& out, bool everyRow, const std::vector<uint32_t>* columns,
                      int32_t allowInput, const MakeRow& make, bool reversed = false) {
    const uint32_t srcRows = static_cast<uint32_t>(rows.layout().rows), n = static_cast<uint32_t>(out.height);
    std::vector<uint32_t> rowOf(n); // ascending either way
    std::vector<bool> wanted(srcRows, everyRow);
    for (uint32_t y = 0; y < n; ++y)
        wanted[rowOf[y] = sampleIndex(y, srcRows, n, reversed)] = true;
    return rows.readRows(wanted, columns, allowInput, [&](uint32_t top, const uint8_t* source) {
        auto taking = std::equal_range(rowOf.begin(), rowOf.end(), top);
        uint32_t first = static_cast<uint32_t>(taking.first - rowOf.begin());
        uint32_t end = static_cast<uint32_t>(taking.second - rowOf.begin());
        make(source, first < end ? out.row(first) : nullptr);
        for (uint32_t y = first + 1; y < end; ++y)
            std::memcpy(out.row(y), out.row(first), out.stride);
    });
}

int resultOf(RowsResult r) {
    return r == RowsResult::Done ? 0 : (r == RowsResult::Cancelled ? 2 : 1);
}

// Turns a picture sampled as stored upright; false when memory runs out.
bool turnUpright(ScaledPicture& picture, Turn turn) {
    if (turn.orientation < 2 || turn.orientation > 8)
        return true;
    DibLayout l;
    if (!orientToUpright(picture.dib, turn.orientation) || !locateDib(picture.dib, &l))
        return false;
    picture.width = l.width, picture.height = l.rows, picture.stride = l.stride;
    return true;
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
        PixelColour c =
            pixelColour(src + static_cast<size_t>(columns[x]) * bytes, l.bitCount, l.compression, channels);
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

bool ScaledPicture::allocate(int32_t w, int32_t h, uint16_t bitCount, uint32_t tableEntries,
                             uint32_t clrImportant) {
    dib.reset();
    if (w < 1 || h < 1 || w > kMaxDibSide || h > kMaxDibSide)
        return false;
    uint32_t rowBytes = dibStride(static_cast<uint32_t>(w), bitCount);
    uint64_t pixelBytes = static_cast<uint64_t>(rowBytes) * static_cast<uint32_t>(h);
    uint64_t blockBytes = kInfoHeaderBytes + 4ull * tableEntries + pixelBytes;
    if (rowBytes == 0 || pixelBytes > kMaxOutputPixelBytes || blockBytes >= UINT32_MAX)
        return false;
    dib = PackedDib::allocate(static_cast<uint32_t>(blockBytes));
    if (!dib)
        return false;
    makeInfoHeader(dib.data(), w, h, bitCount, tableEntries, clrImportant);
    entries = tableEntries;
    stride = rowBytes;
    width = w;
    height = h;
    return true;
}

int ScaledPicture::write(const char16_t* path) {
    return writeBmpFile(path, dib.data(), table(), entries, row(static_cast<uint32_t>(height) - 1), stride,
                        static_cast<uint32_t>(height));
}

namespace {

// The picture in its own format at width x height, upright by `turn`.
// 0 = done, 1 = failed, 2 = cancelled (out then holds the rows read so far).
int scaleRows(PictureRows& rows, int32_t width, int32_t height, int32_t allowInput, ScaledPicture* out,
              Turn turn = Turn()) {
    const DibLayout& l = rows.layout();
    if (!rows.ready() || !readableSource(l) || l.width == 0 || l.rows == 0)
        return 1;
    if (turn.swapsSides())
        std::swap(width, height);
    uint32_t entries = isPaletteDepth(l.bitCount) ? l.tableEntries : 0;
    if (!out->allocate(width, height, l.bitCount, entries, l.clrImportant))
        return 1;
    copyTable(rows.front(), l, out->table(), entries);
    const std::vector<uint32_t> columns =
        sampleColumns(static_cast<uint32_t>(l.width), static_cast<uint32_t>(width), turn.reversesColumns());
    const ChannelSet channels = describeChannels(l);
    const int r = resultOf(sampleRows(
        rows, *out, false, &columns, allowInput,
        [&](const uint8_t* source, uint8_t* output) { stretchRowSameFormat(source, l, channels, columns, output); },
        turn.reversesRows()));
    return r == 1 || turnUpright(*out, turn) ? r : 1;
}

// The orientation to undo: the picture's own when the caller wants it upright.
Turn turnFor(const PictureRows& rows, int32_t upright) { return Turn{upright ? rows.orientation() : 1}; }

} // namespace

int scalePicture(const PackedDib& picture, int32_t width, int32_t height, int32_t allowInput,
                 ScaledPicture* out) {
    if (!out)
        return 1;
    PictureRows rows;
    rows.openMemory(picture);
    return scaleRows(rows, width, height, allowInput, out);
}

int scaleToFile(const WallpaperEntry& entry, const char16_t* outputPath, int32_t* width, int32_t* height,
                int32_t keepAspect, int32_t allowInput, int32_t upright) {
    if (!entry.path[0] || !outputPath || !*outputPath || !width || !height)
        return 1;
    if (*width < 1 || *height < 1 || *width > kMaxDibSide || *height > kMaxDibSide)
        return 1;
    ScaledPicture scaled;
    int32_t targetW = *width, targetH = *height;
    {
        WaitCursor wait;
        PictureRows rows;
        rows.openFile(entry.path, allowInput);
        const DibLayout& l = rows.layout();
        if (!rows.ready() || l.width == 0 || l.rows == 0)
            return 1;
        const Turn turn = turnFor(rows, upright);
        if (keepAspect && turn.swapsSides())
            fitInBox(l.rows, l.width, &targetW, &targetH);
        else if (keepAspect)
            fitInBox(l.width, l.rows, &targetW, &targetH);
        int r = scaleRows(rows, targetW, targetH, allowInput, &scaled, turn);
        if (r != 0)
            return r;
    }
    if (!scaled.write(outputPath))
        return 1;
    *width = targetW;
    *height = targetH;
    return 0;
}

SampledPicture readSampledPicture(const char16_t* path, int32_t width, int32_t height, int32_t allowInput,
                                  int32_t upright) {
    SampledPicture result;
    WaitCursor wait;
    PictureRows rows;
    result.file = rows.openFile(path, allowInput);
    result.source = rows.layout();
    ScaledPicture sampled;
    int r = scaleRows(rows, width, height, allowInput, &sampled, turnFor(rows, upright));
    if (r != 1) {
        result.dib = std::move(sampled.dib);
        result.cancelled = r == 2;
    }
    return result;
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

namespace {

// The logo from the picture's rows. Every output pixel becomes the colour of
// its source pixel first; the table is known only after the last row when
// the picture gets its own reduction. 0 = done, 1 = failed, 2 = cancelled.
int logoRows(PictureRows& rows, int32_t fastLogo, ScaledPicture* out, Turn turn = Turn()) {
    const DibLayout& l = rows.layout();
    if (!rows.ready() || !readableSource(l) || l.width == 0 || l.rows == 0)
        return 1;
    const bool palettePicture = isPaletteDepth(l.bitCount), reduce = !palettePicture && !fastLogo;
    std::unique_ptr<uint32_t[]> histogram(reduce ? new (std::nothrow) uint32_t[kHistogramCells]() : nullptr);
    if (reduce && !histogram)
        return 1;
    IndexColours colours = {};
    if (palettePicture)
        loadIndexColours(rows.front(), l, &colours);

    ScaledPicture sampled; // 24 bits, blue, green, red; as the picture is stored
    const bool swap = turn.swapsSides();
    if (!sampled.allocate(swap ? kLogoHeight : kLogoWidth, swap ? kLogoWidth : kLogoHeight, 24, 0, 0))
        return 1;
    const uint32_t sampledWidth = static_cast<uint32_t>(sampled.width);
    const std::vector<uint32_t> columns =
        sampleColumns(static_cast<uint32_t>(l.width), sampledWidth, turn.reversesColumns());
    const ChannelSet channels = describeChannels(l);
    const uint32_t bytes = l.bitCount / 8;
    // The reduction counts every pixel; otherwise the sampled ones will do.
    const std::vector<uint32_t>* only = reduce ? nullptr : &columns;
    RowsResult read = sampleRows(rows, sampled, reduce, only, 0, [&](const uint8_t* source, uint8_t* output) {
        if (reduce)
            countRowColours(source, l, histogram.get());
        for (uint32_t x = 0; output && x < sampledWidth; ++x, output += 3) {
            if (palettePicture) {
                std::memcpy(output, colours.bgr0[paletteIndex(source, l.bitCount, columns[x])], 3);
            } else {
                PixelColour c = pixelColour(source + static_cast<size_t>(columns[x]) * bytes, l.bitCount,
                                            l.compression, channels);
                output[0] = c.blue, output[1] = c.green, output[2] = c.red;
            }
        }
    }, turn.reversesRows());
    if (read != RowsResult::Done)
        return resultOf(read);
    if (!turnUpright(sampled, turn))
        return 1;

    // The table: the picture's own (up to 256 entries), the fixed palette, or
    // the reduction of the whole picture as quantizeTo256 makes it.
    uint8_t table[256 * 4] = {};
    uint32_t meaningful = 0;
    if (palettePicture) {
        meaningful = l.tableEntries < 256 ? l.tableEntries : 256;
        copyTable(rows.front(), l, table, meaningful);
    } else if (fastLogo) {
        fixedLogoPalette(table);
        meaningful = kFixedLogoColours;
    } else {
        ColourBox boxes[256];
        meaningful = reducedPalette(histogram.get(), boxes);
        for (uint32_t i = 0; i < meaningful; ++i)
            table[4 * i] = boxes[i].blue, table[4 * i + 1] = boxes[i].green, table[4 * i + 2] = boxes[i].red;
    }
    PaletteColour palette[256];
    for (uint32_t i = 0; i < meaningful; ++i)
        palette[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i]};
    NearestColourMap nearest;
    if (!nearest.init(palette, meaningful) || !out->allocate(kLogoWidth, kLogoHeight, 8, 256, meaningful))
        return 1;
    std::memcpy(out->table(), table, sizeof table);
    for (uint32_t y = 0; y < static_cast<uint32_t>(kLogoHeight); ++y) {
        const uint8_t* colour = sampled.row(y);
        uint8_t* index = out->row(y);
        for (uint32_t x = 0; x < kLogoWidth; ++x, colour += 3)
            index[x] = nearest.nearest(colour[2], colour[1], colour[0]);
    }
    return 0;
}

} // namespace

int buildLogoBitmap(const WallpaperEntry& entry, const char16_t* outputPath, int32_t fastLogo, int32_t upright) {
    if (!entry.path[0] || !outputPath || !*outputPath)
        return 0;
    ScaledPicture logo;
    {
        WaitCursor wait;
        PictureRows rows;
        rows.openFile(entry.path, 0);
        switch (logoRows(rows, fastLogo, &logo, turnFor(rows, upright))) {
        case 1:
            return 0;
        case 2:
            return 1; // a cancelled logo counts as done
        default:
            break;
        }
    }
    return logo.write(outputPath);
}

int buildLogoPicture(const WallpaperEntry& entry, PackedDib source, int32_t fastLogo, ScaledPicture* out) {
    (void)entry;
    if (!out)
        return 1;
    PictureRows rows;
    rows.openMemory(source);
    return logoRows(rows, fastLogo, out);
}
