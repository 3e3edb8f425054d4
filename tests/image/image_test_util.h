// Helpers for the picture tests (and the desktop tests): BMP pictures built
// byte by byte, files of them, and a scripted cancel poll.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "collection/wallpaper_entry.h"
#include "image/packed_dib.h"
#include "platform/cancel.h"
#include "platform/text.h"
#include "test_support.h"

namespace imgtest {

using Bytes = std::vector<uint8_t>;
using testing_support::readAll;
using testing_support::TempDir;
using testing_support::writeAll;

inline std::u16string u16(const std::string& s) { return plat::fromUtf8(s); }
inline bool fileExists(const std::u16string& path) { return std::filesystem::exists(std::filesystem::path(path)); }
inline void put16(Bytes& b, size_t at, uint16_t v) { writeLe16(&b[at], v); }
inline void put32(Bytes& b, size_t at, uint32_t v) { writeLe32(&b[at], v); }
inline uint32_t get32(const Bytes& b, size_t at) { return readLe32(&b[at]); }

// A new file of the given bytes in `dir`, named outside ASCII on purpose.
inline std::u16string writeTemp(const TempDir& dir, const Bytes& bytes, const char16_t* suffix = u".bmp") {
    static int count = 0;
    std::u16string path = dir.file(u"obrázek" + u16(std::to_string(++count)) + suffix);
    writeAll(path, bytes);
    return path;
}

inline WallpaperEntry entryFor(const std::u16string& path) {
    WallpaperEntry entry;
    plat::copyText(entry.path, plat::kPathUnits, path.c_str());
    return entry;
}

// A picture of the given header form: `table` holds 4-byte entries (3-byte
// for a 12-byte core header), `pixels` the rows as stored; a negative height
// is top-down.
struct Dib {
    int32_t width = 1, height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = kBiRgb, headerSize = 40, clrUsed = 0, sizeImage = 0;
    uint32_t masks[3] = {0, 0, 0}; // written after a 40-byte header with BI_BITFIELDS
    Bytes table, pixels;

    Bytes build() const {
        Bytes b(compression == kBiBitfields && headerSize == 40 ? 52 : headerSize, 0);
        put32(b, 0, headerSize);
        if (headerSize == 12) {
            put16(b, 4, uint16_t(width)), put16(b, 6, uint16_t(height)), put16(b, 8, 1), put16(b, 10, bitCount);
        } else {
            put32(b, 4, uint32_t(width)), put32(b, 8, uint32_t(height)), put16(b, 12, 1), put16(b, 14, bitCount);
            put32(b, 16, compression), put32(b, 20, sizeImage), put32(b, 32, clrUsed);
            for (int i = 0; compression == kBiBitfields && i < 3; ++i)
                put32(b, 40 + 4 * i, masks[i]);
        }
        b.insert(b.end(), table.begin(), table.end());
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }
    // As a BMP file, with `gap` bytes between the table and the pixels.
    Bytes file(uint32_t gap = 0) const {
        const Bytes d = build();
        const size_t head = 14 + d.size() - pixels.size();
        Bytes f(head + gap + pixels.size(), 0xEE);
        std::copy(d.begin(), d.begin() + std::ptrdiff_t(head - 14), f.begin() + 14);
        std::copy(pixels.begin(), pixels.end(), f.begin() + std::ptrdiff_t(head + gap));
        put16(f, 0, 0x4D42), put32(f, 2, uint32_t(f.size())), put32(f, 6, 0), put32(f, 10, uint32_t(head + gap));
        return f;
    }
    PackedDib packed() const {
        Bytes d = build();
        PackedDib p = PackedDib::allocate(uint32_t(d.size()));
        std::memcpy(p.data(), d.data(), d.size());
        return p;
    }
    Dib& withMasks(uint32_t red, uint32_t green, uint32_t blue) {
        return compression = kBiBitfields, masks[0] = red, masks[1] = green, masks[2] = blue, *this;
    }
};

// An info-header picture; biClrUsed counts the 4-byte entries of `table`.
inline Dib dib(int32_t width, int32_t height, uint16_t bitCount, Bytes pixels, Bytes table = {},
               uint32_t compression = kBiRgb) {
    Dib d;
    d.width = width, d.height = height, d.bitCount = bitCount, d.compression = compression;
    d.clrUsed = uint32_t(table.size() / 4);
    d.table = std::move(table);
    d.pixels = std::move(pixels);
    return d;
}

// A 24-bit picture whose pixel (x, storage row y) is colour(x, y), 0xRRGGBB.
template <typename F> Dib rgb24(int32_t width, int32_t height, F colour) {
    const int32_t rows = height < 0 ? -height : height;
    const uint32_t stride = dibStride(uint32_t(width), 24);
    Bytes p(size_t(stride) * rows, 0);
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                p[size_t(y) * stride + 3 * x + c] = uint8_t(colour(x, y) >> (8 * c));
    return dib(width, height, 24, std::move(p));
}
inline Dib solid24(int32_t width, int32_t height, uint32_t colour) {
    return rgb24(width, height, [=](int32_t, int32_t) { return colour; });
}
// Plain rows of any bit count that differ in every row and column; 8 bits
// get a 64-entry table.
inline Dib pattern(int32_t width, int32_t height, uint16_t bitCount) {
    Bytes p(size_t(dibStride(uint32_t(width), bitCount)) * height), table(bitCount == 8 ? 256 : 0);
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = uint8_t(bitCount == 8 ? (i / 3 + i / 7) % 64 : i * 7 + i / 13);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = uint8_t(i % 4 == 3 ? 0 : i * 37);
    return dib(width, height, bitCount, std::move(p), std::move(table));
}

// The JPEG with an Exif block recording `orientation` right after its start.
inline Bytes withOrientation(Bytes jpeg, uint8_t orientation) {
    const Bytes exif = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                        0x12, 0x01, 3, 0, 1, 0, 0, 0, orientation, 0, 0, 0, 0, 0, 0, 0};
    return jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end()), jpeg;
}

// For one scope, a cancel poll that answers 1 from its n-th call on
// (1-based; 0: never), counting the calls and keeping the last allowInput.
struct PollGuard {
    static inline int calls = 0, cancelFrom = 0, lastAllowInput = -1;
    explicit PollGuard(int from) {
        calls = 0, cancelFrom = from, lastAllowInput = -1;
        plat::setAbortPoll([](int32_t allowInput) {
            lastAllowInput = allowInput;
            return ++calls >= cancelFrom && cancelFrom ? 1 : 0;
        });
    }
    ~PollGuard() { plat::setAbortPoll(nullptr), AbortRequest = 0; }
};

} // namespace imgtest
