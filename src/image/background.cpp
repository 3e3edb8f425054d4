#include "image/background.h"

#include "image/picture_loader.h"
#include "image/pixel_format.h"
#include "image/rle.h"
#include "platform/cancel.h"

namespace {

struct Means {
    double red = 0, green = 0, blue = 0;
};

uint32_t toColourRef(const Means& m) {
    auto channel = [](double mean) -> uint32_t {
        double v = mean * 1.05;
        if (v >= 255)
            v = 255;
        return static_cast<uint32_t>(v);
    };
    return channel(m.red) | channel(m.green) << 8 | channel(m.blue) << 16;
}

// Row by row: integer sums per row, rounded-down row means, and a running
// mean of the row means in double precision.
int uncompressedMeans(const uint8_t* block, const DibLayout& l, int32_t allowInput, Means* means) {
    const uint8_t* pixels = block + l.pixelOffset;
    bool palette = l.bitCount <= 8;
    IndexColours colours;
    ChannelSet channels;
    if (palette)
        loadIndexColours(block, l, &colours);
    else
        channels = describeChannels(l);
    uint32_t width = static_cast<uint32_t>(l.width);
    uint32_t bytes = l.bitCount / 8;
    for (int32_t y = 0; y < l.rows; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * l.stride;
        // 64-bit sums: a row of kMaxDibSide pixels of 255 fits 32 bits too,
        // so the result is the same, without relying on the limit.
        uint64_t sr = 0, sg = 0, sb = 0;
        if (palette) {
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* e = colours.bgr0[paletteIndex(row, l.bitCount, x)];
                sb += e[0], sg += e[1], sr += e[2];
            }
        } else {
            for (uint32_t x = 0; x < width; ++x) {
                PixelColour c = pixelColour(row + static_cast<size_t>(x) * bytes, l.bitCount, l.compression, channels);
                sb += c.blue, sg += c.green, sr += c.red;
            }
        }
        double n = y;
        means->red = (means->red * n + static_cast<double>(sr / width)) / (n + 1);
        means->green = (means->green * n + static_cast<double>(sg / width)) / (n + 1);
        means->blue = (means->blue * n + static_cast<double>(sb / width)) / (n + 1);
        if ((y & 1) == 0 && CheckUserAbort(allowInput))
            return 2;
    }
    return 0;
}

// RLE8 / RLE4 walk over the data the block really holds: the same bytes the
// expander for scaling reads, so a picture with biSizeImage 0 is not black.
// A run whose bytes would pass the end stops the walk.
void rleMeans(const uint8_t* block, const DibLayout& l, Means* means) {
    const uint8_t* data = block + l.pixelOffset;
    uint32_t limit = rleDataBytes(l);
    IndexColours colours;
    loadIndexColours(block, l, &colours);
    bool rle4 = l.compression == kBiRle4;
    double sr = 0, sg = 0, sb = 0, n = 0;
    auto add = [&](uint32_t index, double count) {
        const uint8_t* e = colours.bgr0[index];
        sb += e[0] * count, sg += e[1] * count, sr += e[2] * count;
    };
    uint32_t pos = 0;
    while (limit - pos >= 2) {
        uint32_t first = data[pos], second = data[pos + 1];
        if (first >= 1) { // encoded run
            if (rle4) {
                add(second >> 4, (first + 1) / 2);
                if (first > 1)
                    add(second & 0x0F, first / 2);
            } else {
                add(second, first);
            }
            n += first;
            pos += 2;
        } else if (second == 0) { // end of line
            pos += 2;
        } else if (second == 1) { // end of picture
            break;
        } else if (second == 2) { // delta: skipped pixels do not count
            if (limit - pos < 4)
                break;
            pos += 4;
        } else { // absolute run of `second` pixels
            uint32_t k = second;
            uint32_t dataBytes = rle4 ? (k + 1) / 2 : k;
            uint32_t advance = 2 + dataBytes + (dataBytes & 1); // padded to a word
            if (limit - pos - 2 < dataBytes)
                break;
            const uint8_t* run = data + pos + 2;
            for (uint32_t i = 0; i < k; ++i)
                add(rle4 ? ((i & 1) ? (run[i / 2] & 0x0F) : (run[i / 2] >> 4)) : run[i], 1);
            n += k;
            if (limit - pos < advance)
                break;
            pos += advance;
        }
    }
    if (n > 0) {
        means->red = sr / n;
        means->green = sg / n;
        means->blue = sb / n;
    }
}

} // namespace

int estimatePictureColour(const PackedDib& picture, int32_t allowInput, uint32_t* colour) {
    DibLayout l;
    if (!colour || !locateDib(picture, &l) || l.width == 0)
        return 1;
    Means means;
    bool paletteDepth = l.bitCount == 1 || l.bitCount == 4 || l.bitCount == 8;
    if (isRlePicture(l)) {
        rleMeans(picture.data(), l, &means);
    } else {
        bool plain = l.compression == kBiRgb && (paletteDepth || l.bitCount == 16 || l.bitCount == 24 || l.bitCount == 32);
        bool bitfields = l.compression == kBiBitfields && (l.bitCount == 16 || l.bitCount == 32);
        if (!plain && !bitfields)
            return 1;
        int r = uncompressedMeans(picture.data(), l, allowInput, &means);
        if (r != 0)
            return r;
    }
    *colour = toColourRef(means);
    return 0;
}

int estimateBackground(const WallpaperEntry& entry, uint32_t* colour, int32_t upright) {
    if (!colour || !entry.path[0])
        return 1;
    WaitCursor wait; // busy from the first read until the result
    PackedDib picture;
    switch (loadPicture(entry.path, 1, &picture, upright)) {
    case LoadResult::Failed:
        return 1;
    case LoadResult::Cancelled:
        return 2;
    case LoadResult::Loaded:
        break;
    }
    return estimatePictureColour(picture, 1, colour);
}
