// Helpers for the picture tests: BMP pictures built byte by byte, files of
// them, and a scripted cancel poll.
#pragma once

#include <algorithm>
#include <cstdint>
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

inline std::u16string u16(const std::string& s) {
    return plat::fromUtf8(s);
}
inline bool fileExists(const std::u16string& path) {
    return std::filesystem::exists(std::filesystem::path(path));
}

// A new file of the given bytes in `dir`.
inline std::u16string writeTemp(const TempDir& dir, const Bytes& bytes, const char16_t* suffix = u".bmp") {
    static int count = 0;
    std::u16string path = dir.file(u16("f" + std::to_string(++count)) + suffix);
    writeAll(path, bytes);
    return path;
}

inline WallpaperEntry entryFor(const std::u16string& path) {
    WallpaperEntry entry;
    plat::copyText(entry.path, plat::kPathUnits, path.c_str());
    return entry;
}

inline void put16(Bytes& b, size_t at, uint16_t v) {
    writeLe16(&b[at], v);
}
inline void put32(Bytes& b, size_t at, uint32_t v) {
    writeLe32(&b[at], v);
}
inline uint32_t get32(const Bytes& b, size_t at) {
    return readLe32(&b[at]);
}

inline uint32_t strideOf(int32_t width, int bits) {
    return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
}

// A DIB (no file header) of the given header form. `table` holds 4-byte
// entries (3-byte for a core header); `pixels` the rows as stored.
struct Dib {
    int32_t width = 1;
    int32_t height = 1; // negative: top-down
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    uint32_t clrUsed = 0;
    uint32_t sizeImage = 0;
    uint32_t masks[3] = {0, 0, 0}; // written after a 40-byte header with BI_BITFIELDS
    Bytes table;
    Bytes pixels;

    Bytes build() const {
        Bytes b(headerSize, 0);
        put32(b, 0, headerSize);
        if (headerSize == 12) {
            put16(b, 4, static_cast<uint16_t>(width));
            put16(b, 6, static_cast<uint16_t>(height));
            put16(b, 8, 1);
            put16(b, 10, bitCount);
        } else {
            put32(b, 4, static_cast<uint32_t>(width));
            put32(b, 8, static_cast<uint32_t>(height));
            put16(b, 12, 1);
            put16(b, 14, bitCount);
            put32(b, 16, compression);
            put32(b, 20, sizeImage);
            put32(b, 32, clrUsed);
            if (compression == kBiBitfields) {
                b.resize(headerSize == 40 ? 52 : headerSize);
                for (int i = 0; i < 3; ++i)
                    put32(b, 40 + 4 * i, masks[i]);
            }
        }
        b.insert(b.end(), table.begin(), table.end());
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }

    // As a BMP file: 14-byte header with bfOffBits right after the table.
    Bytes file() const {
        Bytes d = build();
        Bytes f(14 + d.size(), 0);
        put16(f, 0, 0x4D42);
        put32(f, 2, static_cast<uint32_t>(f.size()));
        put32(f, 10, static_cast<uint32_t>(f.size() - pixels.size()));
        for (size_t i = 0; i < d.size(); ++i)
            f[14 + i] = d[i];
        return f;
    }

    PackedDib packed() const {
        Bytes d = build();
        PackedDib p = PackedDib::allocate(static_cast<uint32_t>(d.size()));
        std::copy(d.begin(), d.end(), p.data());
        return p;
    }

    Dib& withMasks(uint32_t red, uint32_t green, uint32_t blue) {
        compression = kBiBitfields;
        masks[0] = red, masks[1] = green, masks[2] = blue;
        return *this;
    }
};

// An info-header picture; biClrUsed counts the 4-byte entries of `table`.
inline Dib dib(int32_t width, int32_t height, uint16_t bitCount, Bytes pixels, Bytes table = {},
               uint32_t compression = kBiRgb) {
    Dib d;
    d.width = width, d.height = height, d.bitCount = bitCount, d.compression = compression;
    d.clrUsed = static_cast<uint32_t>(table.size() / 4);
    d.table = std::move(table);
    d.pixels = std::move(pixels);
    return d;
}

// A 24-bit picture whose pixel (x, storage row) is colour(x, y), 0xRRGGBB.
template <typename F> Dib rgb24(int32_t width, int32_t height, F colour) {
    int32_t rows = height < 0 ? -height : height;
    uint32_t stride = strideOf(width, 24);
    Bytes p(static_cast<size_t>(stride) * rows, 0);
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint32_t c = colour(x, y);
            size_t at = static_cast<size_t>(y) * stride + 3 * x;
            p[at] = static_cast<uint8_t>(c), p[at + 1] = static_cast<uint8_t>(c >> 8);
            p[at + 2] = static_cast<uint8_t>(c >> 16);
        }
    return dib(width, height, 24, std::move(p));
}
inline Dib solid24(int32_t width, int32_t height, uint32_t colour) {
    return rgb24(width, height, [=](int32_t, int32_t) { return colour; });
}

// Installs, for one scope, a cancel poll that answers 1 from its n-th call
// on (1-based; 0: never) and counts the calls and what allowInput they carried.
struct PollGuard {
    static inline int calls = 0, cancelFrom = 0, lastAllowInput = -1;
    static int poll(int32_t allowInput) {
        ++calls;
        lastAllowInput = allowInput;
        return cancelFrom && calls >= cancelFrom ? 1 : 0;
    }
    explicit PollGuard(int from) {
        calls = 0, cancelFrom = from, lastAllowInput = -1;
        plat::setAbortPoll(&poll);
    }
    ~PollGuard() {
        plat::setAbortPoll(nullptr);
        AbortRequest = 0;
    }
};

} // namespace imgtest
