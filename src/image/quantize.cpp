#include "image/quantize.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "image/bmp_file.h"
#include "image/nearest_colour.h"
#include "image/pixel_format.h"
#include "platform/cancel.h"

namespace {

constexpr int kRed = 0, kGreen = 1, kBlue = 2;

uint32_t cellIndex(uint32_t red, uint32_t green, uint32_t blue) { return (blue >> 2) << 12 | (green >> 2) << 6 | (red >> 2); }

// A range of histogram cells, inclusive bounds per axis (red, green, blue).
struct Box {
    int lo[3];
    int hi[3];
};

struct CutState {
    const uint32_t* histogram;
    ColourBox* boxes;
    uint32_t count;
};

template <typename Visit> void forEachCell(const Box& box, Visit visit) {
    for (int b = box.lo[kBlue]; b <= box.hi[kBlue]; ++b)
        for (int g = box.lo[kGreen]; g <= box.hi[kGreen]; ++g)
            for (int r = box.lo[kRed]; r <= box.hi[kRed]; ++r)
                visit(r, g, b);
}

void makeLeaf(CutState& s, const Box& box) {
    uint64_t n = 0, sum[3] = {0, 0, 0};
    forEachCell(box, [&](int r, int g, int b) {
        uint32_t c = s.histogram[b << 12 | g << 6 | r];
        n += c;
        sum[kRed] += static_cast<uint64_t>(r) * c;
        sum[kGreen] += static_cast<uint64_t>(g) * c;
        sum[kBlue] += static_cast<uint64_t>(b) * c;
    });
    if (n == 0 || s.count >= 256)
        return;
    ColourBox& leaf = s.boxes[s.count++];
    leaf.count = static_cast<uint32_t>(n);
    leaf.red = static_cast<uint8_t>(sum[kRed] / n * 4);
    leaf.green = static_cast<uint8_t>(sum[kGreen] / n * 4);
    leaf.blue = static_cast<uint8_t>(sum[kBlue] / n * 4);
    leaf.zero = 0;
}

void splitBox(CutState& s, const Box& box, uint32_t count, int depth) {
    if (count == 0) // empty halves vanish
        return;
    int level = depth + 1;
    int dR = box.hi[kRed] - box.lo[kRed];
    int dG = box.hi[kGreen] - box.lo[kGreen];
    int dB = box.hi[kBlue] - box.lo[kBlue];
    if (level == 9 || (dR == 0 && dG == 0 && dB == 0)) {
        makeLeaf(s, box);
        return;
    }
    // Blue only when strictly widest; red beats blue on a tie, green beats
    // red (and wins a three-way tie).
    int axis = (dB > dR && dB > dG) ? kBlue : (dR > dG ? kRed : kGreen);

    uint64_t planeSum[64] = {};
    forEachCell(box, [&](int r, int g, int b) {
        int plane = axis == kRed ? r : (axis == kGreen ? g : b);
        planeSum[plane] += s.histogram[b << 12 | g << 6 | r];
    });
    int m = box.lo[axis], max = box.hi[axis];
    uint64_t half = count / 2;
    uint64_t running = 0;
    int i = m;
    for (;; ++i) {
        running += planeSum[i];
        if (running >= half || i >= max - 1)
            break;
    }
    Box lower = box, upper = box;
    lower.hi[axis] = i;
    upper.lo[axis] = i + 1;
    uint32_t lowerCount = static_cast<uint32_t>(std::min<uint64_t>(running, count));
    splitBox(s, lower, lowerCount, level);
    splitBox(s, upper, count - lowerCount, level);
}

// Calls visit(red, green, blue) for every pixel of a stored row.
template <typename Visit>
void forEachPixel(const uint8_t* row, const DibLayout& l, const ChannelSet& channels, Visit visit) {
    uint32_t w = static_cast<uint32_t>(l.width);
    if (l.bitCount == 24) {
        for (uint32_t x = 0; x < w; ++x, row += 3)
            visit(row[2], row[1], row[0]);
    } else if (l.bitCount == 32 && l.compression != kBiBitfields) {
        for (uint32_t x = 0; x < w; ++x, row += 4)
            visit(row[2], row[1], row[0]);
    } else {
        uint32_t bytes = l.bitCount / 8;
        for (uint32_t x = 0; x < w; ++x, row += bytes) {
            PixelColour c = pixelColour(row, l.bitCount, l.compression, channels);
            visit(c.red, c.green, c.blue);
        }
    }
}

} // namespace

uint32_t medianCut(const uint32_t* histogram, ColourBox* boxes) {
    Box bounds = {{63, 63, 63}, {0, 0, 0}};
    uint64_t total = 0;
    for (uint32_t cell = 0; cell < kHistogramCells; ++cell) {
        if (!histogram[cell])
            continue;
        int c[3] = {static_cast<int>(cell & 63), static_cast<int>((cell >> 6) & 63), static_cast<int>(cell >> 12)};
        for (int a = 0; a < 3; ++a) {
            bounds.lo[a] = std::min(bounds.lo[a], c[a]);
            bounds.hi[a] = std::max(bounds.hi[a], c[a]);
        }
        total += histogram[cell];
    }
    CutState s{histogram, boxes, 0};
    if (total == 0 || total > UINT32_MAX)
        return 0;
    splitBox(s, bounds, static_cast<uint32_t>(total), 0);
    return s.count;
}

void countRowColours(const uint8_t* row, const DibLayout& layout, uint32_t* histogram) {
    forEachPixel(row, layout, describeChannels(layout),
                 [histogram](uint8_t r, uint8_t g, uint8_t b) { ++histogram[cellIndex(r, g, b)]; });
}

uint32_t reducedPalette(const uint32_t* histogram, ColourBox* boxes) {
    uint32_t records = medianCut(histogram, boxes);
    // Rarest colours first; equal counts keep the order the cut made them.
    std::stable_sort(boxes, boxes + records,
                     [](const ColourBox& a, const ColourBox& b) { return a.count < b.count; });
    return records;
}

int quantizeTo256(const WallpaperEntry& entry, const char16_t* inputPath, const char16_t* outputPath,
                  int32_t allowInput, PackedDib source, PackedDib* result) {
    (void)entry;
    bool fileMode = (inputPath && *inputPath) || (outputPath && *outputPath);
    if (fileMode) {
        plat::FileHandle file = plat::openForRead(inputPath);
        if (!file)
            return 0;
        int32_t abortFlag = 0; // the file read itself is not cancellable by keys
        source = plat::seekTo(file, 0) ? readBmp(file, &abortFlag) : PackedDib();
        plat::closeFile(file);
        // The cancel popup can stop the read too: that is the user's wish,
        // not a failure to report with an error box.
        if (abortFlag)
            return 2;
        if (!source)
            return 0;
    } else if (!source || !result) {
        return 0;
    }

    DibLayout l;
    if (!locateDib(source, &l))
        return 0;
    if ((l.compression != kBiRgb && l.compression != kBiBitfields) ||
        (l.bitCount != 16 && l.bitCount != 24 && l.bitCount != 32))
        return 0;
    // An empty picture would get an empty palette, which a BMP reader takes
    // for a full 256-entry one.
    if (l.width == 0 || l.rows == 0)
        return 0;
    const uint8_t* srcPixels = source.data() + l.pixelOffset;
    const ChannelSet channels = describeChannels(l);
    auto storedRow = [&](int32_t y) { return srcPixels + static_cast<size_t>(y) * l.stride; };

    std::unique_ptr<uint32_t[]> histogram(new (std::nothrow) uint32_t[kHistogramCells]());
    if (!histogram)
        return 0;
    for (int32_t y = 0; y < l.rows; ++y) {
        countRowColours(storedRow(y), l, histogram.get());
        if ((y & 1) == 0 && CheckUserAbort(allowInput))
            return 2;
    }

    ColourBox boxes[256];
    uint32_t records = reducedPalette(histogram.get(), boxes);
    histogram.reset();
    PaletteColour palette[256];
    for (uint32_t i = 0; i < records; ++i)
        palette[i] = {boxes[i].red, boxes[i].green, boxes[i].blue};
    NearestColourMap nearest;
    if (!nearest.init(palette, records))
        return 0;

    uint32_t stride = dibStride(static_cast<uint32_t>(l.width), 8);
    uint64_t tableBytes = 4ull * records;
    uint64_t blockBytes = kInfoHeaderBytes + tableBytes + static_cast<uint64_t>(stride) * static_cast<uint32_t>(l.rows);
    if (blockBytes > UINT32_MAX)
        return 0;
    PackedDib out = PackedDib::allocate(static_cast<uint32_t>(blockBytes));
    if (!out)
        return 0;
    uint8_t* header = out.data();
    makeInfoHeader(header, l.width, l.rows, 8, records, 0);
    uint8_t* table = header + kInfoHeaderBytes;
    for (uint32_t i = 0; i < records; ++i) {
        table[4 * i] = boxes[i].blue;
        table[4 * i + 1] = boxes[i].green;
        table[4 * i + 2] = boxes[i].red;
    }
    uint8_t* pixels = table + tableBytes;

    for (int32_t y = 0; y < l.rows; ++y) {
        // The output is always bottom-up: a top-down source is turned over.
        int32_t outRow = l.topDown ? l.rows - 1 - y : y;
        uint8_t* dst = pixels + static_cast<size_t>(outRow) * stride;
        forEachPixel(storedRow(y), l, channels, [&dst, &nearest](uint8_t r, uint8_t g, uint8_t b) {
            *dst++ = nearest.nearest(r, g, b);
        });
        if (CheckUserAbort(allowInput))
            return 2;
    }
    source.reset();

    if (fileMode)
        return writeBmpFile(outputPath, header, table, records, pixels, stride, static_cast<uint32_t>(l.rows));
    *result = std::move(out);
    return 1;
}
