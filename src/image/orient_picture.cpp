#include "image/orient_picture.h"

#include <cstring>

namespace {

// Source column and top-counted row of output pixel (x, y).
struct SourceOf {
    int32_t orientation, width, rows;
    void at(int32_t x, int32_t y, int32_t* sx, int32_t* sy) const {
        switch (orientation) {
        case 2: *sx = width - 1 - x, *sy = y; break;
        case 3: *sx = width - 1 - x, *sy = rows - 1 - y; break;
        case 4: *sx = x, *sy = rows - 1 - y; break;
        case 5: *sx = y, *sy = x; break;
        case 6: *sx = y, *sy = rows - 1 - x; break;
        case 7: *sx = width - 1 - y, *sy = rows - 1 - x; break;
        case 8: *sx = width - 1 - y, *sy = x; break;
        default: *sx = x, *sy = y; break;
        }
    }
};

} // namespace

bool orientToUpright(PackedDib& picture, int32_t orientation) {
    DibLayout in;
    if (!locateDib(picture, &in)) return false;
    if (in.coreHeader || in.compression != kBiRgb) return false;
    if (in.bitCount != 8 && in.bitCount != 24 && in.bitCount != 32) return false;
    if (orientation < 2 || orientation > 8) return true;
    const bool turned = orientation >= 5;
    const int32_t outWidth = turned ? in.rows : in.width;
    const int32_t outRows = turned ? in.width : in.rows;
    const uint32_t outStride = dibStride(static_cast<uint32_t>(outWidth), in.bitCount);
    if (outWidth > 0 && outStride == 0) return false;
    const uint64_t total = uint64_t(in.pixelOffset) + uint64_t(outStride) * uint64_t(outRows);
    if (total > 0xFFFFFFFEu) return false;
    PackedDib out = PackedDib::allocate(static_cast<uint32_t>(total));
    if (!out) return false;

    const uint8_t* src = picture.data();
    uint8_t* dst = out.data();
    std::memcpy(dst, src, in.pixelOffset);
    writeLe32(dst + 4, static_cast<uint32_t>(outWidth));
    writeLe32(dst + 8, static_cast<uint32_t>(outRows));
    if (readLe32(dst + 20) != 0) writeLe32(dst + 20, outStride * static_cast<uint32_t>(outRows));

    const uint32_t bytes = in.bitCount / 8u;
    const SourceOf source{orientation, in.width, in.rows};
    for (int32_t y = 0; y < outRows; ++y) {
        uint8_t* row = dst + in.pixelOffset + size_t(outRows - 1 - y) * outStride;
        for (int32_t x = 0; x < outWidth; ++x) {
            int32_t sx, sy;
            source.at(x, y, &sx, &sy);
            const int32_t stored = in.topDown ? sy : in.rows - 1 - sy;
            const uint8_t* pixel = src + in.pixelOffset + size_t(stored) * in.stride + size_t(sx) * bytes;
            std::memcpy(row + size_t(x) * bytes, pixel, bytes);
        }
    }
    picture = std::move(out);
    return true;
}
