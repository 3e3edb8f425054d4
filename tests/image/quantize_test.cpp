// Reduction to 256 colours: median-cut rules, palette order, output form,
// orientation and cancellation.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "image/bmp_file.h"
#include "image/quantize.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

const WallpaperEntry kEntry;

Dib picture24(int32_t w, int32_t h, uint32_t (*colour)(int32_t, int32_t)) {
    Dib d;
    d.width = w;
    d.height = h;
    d.bitCount = 24;
    d.pixels = rows24(w, h < 0 ? -h : h, colour);
    return d;
}

struct Reduced {
    int result;
    PackedDib dib;
    DibLayout layout;
    const uint8_t* table() const { return dib.data() + layout.tableOffset; }
    uint8_t pixel(int32_t x, int32_t storageRow) const {
        return dib.data()[layout.pixelOffset + static_cast<size_t>(storageRow) * layout.stride + x];
    }
};

Reduced reduce(PackedDib source, int32_t allowInput = 0) {
    Reduced r;
    r.result = quantizeTo256(kEntry, nullptr, nullptr, allowInput, std::move(source), &r.dib);
    if (r.dib)
        locateDib(r.dib, &r.layout);
    return r;
}

} // namespace

TEST(Quantize, SingleColourGivesOneEntryOfCellIndexTimesFour) {
    Reduced r = reduce(picture24(5, 3, [](int32_t, int32_t) { return 0xFFFFFFu; }).packed());
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(readLe32(r.dib.data() + 32), 1u); // biClrUsed
    EXPECT_EQ(readLe16(r.dib.data() + 14), 8);
    EXPECT_EQ(readLe32(r.dib.data() + 8), 3u);
    EXPECT_EQ(r.table()[0], 252);
    EXPECT_EQ(r.table()[1], 252);
    EXPECT_EQ(r.table()[2], 252);
    EXPECT_EQ(r.table()[3], 0);
    EXPECT_EQ(r.dib.size(), 40u + 4 + 8 * 3);
}

TEST(Quantize, RarerColourComesFirst) {
    // 3 red pixels, 1 blue pixel.
    Reduced r = reduce(picture24(4, 1, [](int32_t x, int32_t) { return x == 2 ? 0x0000FFu : 0xFF0000u; }).packed());
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.layout.tableEntries, 2u);
    EXPECT_EQ(r.table()[0], 252); // blue, index 0
    EXPECT_EQ(r.table()[6], 252); // red, index 1
    EXPECT_EQ(r.pixel(0, 0), 1);
    EXPECT_EQ(r.pixel(2, 0), 0);
}

TEST(Quantize, SixteenBitChannelsAreWidenedBeforeBinning) {
    Dib d;
    d.width = 2;
    d.height = 1;
    d.bitCount = 16;
    d.pixels = {0xFF, 0x7F, 0x00, 0x7C, 0, 0, 0, 0}; // white 5-5-5, pure red
    Reduced r = reduce(d.packed());
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.layout.tableEntries, 2u);
    // 31 << 3 = 248 falls in cell 62: the leaf colour is 248. Green splits
    // first (ties with blue), so red is entry 0 and white entry 1.
    EXPECT_EQ(r.table()[0], 0);
    EXPECT_EQ(r.table()[2], 248);
    EXPECT_EQ(r.table()[4], 248);

    // 5-6-5 bit fields read through their masks.
    Dib f = d;
    f.compression = 3;
    f.masks[0] = 0xF800, f.masks[1] = 0x07E0, f.masks[2] = 0x001F;
    f.pixels = {0xE0, 0x07, 0xE0, 0x07, 0, 0, 0, 0}; // pure green twice
    Reduced g = reduce(f.packed());
    ASSERT_EQ(g.result, 1);
    ASSERT_EQ(g.layout.tableEntries, 1u);
    EXPECT_EQ(g.table()[1], 252);
    EXPECT_EQ(g.table()[2], 0);
}

TEST(Quantize, MedianCutSplitsAtHalfTheCountAndFollowsTheTieRules) {
    std::unique_ptr<uint32_t[]> h(new uint32_t[64 * 64 * 64]());
    ColourBox boxes[256];
    // Red planes 0 and 1 on one line: the first plane already holds half.
    h[0] = 5;
    h[1] = 5;
    ASSERT_EQ(medianCut(h.get(), boxes), 2u);
    EXPECT_EQ(boxes[0].red, 0);
    EXPECT_EQ(boxes[1].red, 4);

    // Equal red and blue extents: red is split (lower half first), so the
    // two leaves differ in red and each keeps the mean blue of its half.
    std::memset(h.get(), 0, 64 * 64 * 64 * 4);
    h[0 << 12 | 0 << 6 | 0] = 1;  // r0 b0
    h[10 << 12 | 0 << 6 | 0] = 1; // r0 b10
    h[0 << 12 | 0 << 6 | 10] = 2; // r10 b0
    ASSERT_EQ(medianCut(h.get(), boxes), 3u);
    // Lower red half (r 0..i) holds both r0 cells; it then splits on blue.
    EXPECT_EQ(boxes[0].red, 0);
    EXPECT_EQ(boxes[0].blue, 0);
    EXPECT_EQ(boxes[1].red, 0);
    EXPECT_EQ(boxes[1].blue, 40);
    EXPECT_EQ(boxes[2].red, 40);
    EXPECT_EQ(boxes[2].count, 2u);

    // Every cell filled: never more than 256 leaves.
    for (uint32_t i = 0; i < 64 * 64 * 64; ++i)
        h[i] = 1 + i % 7;
    EXPECT_EQ(medianCut(h.get(), boxes), 256u);
}

TEST(Quantize, EveryPixelGetsTheNearestPaletteEntry) {
    std::mt19937 rng(7);
    Dib d;
    d.width = 37;
    d.height = 23;
    d.bitCount = 32;
    d.pixels.resize(37 * 23 * 4);
    for (auto& b : d.pixels)
        b = static_cast<uint8_t>(rng());
    Bytes pixels = d.pixels;
    Reduced r = reduce(d.packed());
    ASSERT_EQ(r.result, 1);
    uint32_t n = r.layout.tableEntries;
    ASSERT_GT(n, 100u);
    ASSERT_LE(n, 256u);
    for (int32_t y = 0; y < 23; ++y)
        for (int32_t x = 0; x < 37; ++x) {
            const uint8_t* p = &pixels[(static_cast<size_t>(y) * 37 + x) * 4];
            int best = -1, bestD = 1 << 30;
            for (uint32_t i = 0; i < n; ++i) {
                const uint8_t* e = r.table() + 4 * i;
                int dist = (e[0] - p[0]) * (e[0] - p[0]) + (e[1] - p[1]) * (e[1] - p[1]) + (e[2] - p[2]) * (e[2] - p[2]);
                if (dist < bestD)
                    bestD = dist, best = static_cast<int>(i);
            }
            ASSERT_EQ(r.pixel(x, y), best);
        }
}

TEST(Quantize, TopDownSourceComesOutUpright) {
    // Top row black, bottom row white, stored top-down.
    auto colour = [](int32_t, int32_t y) { return y == 0 ? 0x000000u : 0xFFFFFFu; };
    Reduced down = reduce(picture24(2, -2, colour).packed());
    ASSERT_EQ(down.result, 1);
    EXPECT_GT(readLe32(down.dib.data() + 8), 0u); // bottom-up output
    const uint8_t* topEntry = down.table() + 4 * down.pixel(0, 1);
    EXPECT_EQ(topEntry[0], 0);
    const uint8_t* bottomEntry = down.table() + 4 * down.pixel(0, 0);
    EXPECT_EQ(bottomEntry[0], 252);
}

TEST(Quantize, RefusesPalettePicturesAndCompressedOnes) {
    Dib d;
    d.width = 2;
    d.height = 1;
    d.bitCount = 8;
    d.table.assign(8, 0);
    d.clrUsed = 2;
    d.pixels = {0, 1, 0, 0};
    EXPECT_EQ(reduce(d.packed()).result, 0);
    d.bitCount = 4;
    EXPECT_EQ(reduce(d.packed()).result, 0);
    d.bitCount = 1;
    EXPECT_EQ(reduce(d.packed()).result, 0);
    Dib rle = picture24(2, 1, [](int32_t, int32_t) { return 0u; });
    rle.compression = 4; // JPEG inside a BMP
    EXPECT_EQ(reduce(rle.packed()).result, 0);
    Dib empty;
    empty.width = 0;
    empty.height = 3;
    EXPECT_EQ(reduce(empty.packed()).result, 0);
    EXPECT_EQ(quantizeTo256(kEntry, nullptr, nullptr, 0, PackedDib(), nullptr), 0);
}

TEST(Quantize, FileModeWritesTheReducedFileOrNothing) {
    TempDir dir;
    std::string in = dir.file("in.bmp"), out = dir.file("out.bmp");
    writeFile(in, picture24(3, 2, [](int32_t x, int32_t) { return x ? 0x102030u : 0xA0B0C0u; }).file());
    ASSERT_EQ(quantizeTo256(kEntry, plat::fromUtf8(in).c_str(), plat::fromUtf8(out).c_str(), 0, PackedDib(), nullptr),
              1);
    Bytes f = readFile(out);
    ASSERT_EQ(f.size(), 14u + 40 + 2 * 4 + 2 * 4);
    EXPECT_EQ(get32(f, 10), 54u + 8);
    EXPECT_EQ(get32(f, 14 + 32), 2u);

    std::string notBmp = dir.file("x.jpg"), out2 = dir.file("out2.bmp");
    writeFile(notBmp, Bytes{0xFF, 0xD8, 0xFF, 0xE0});
    EXPECT_EQ(
        quantizeTo256(kEntry, plat::fromUtf8(notBmp).c_str(), plat::fromUtf8(out2).c_str(), 0, PackedDib(), nullptr),
        0);
    EXPECT_FALSE(fileExists(out2));
}

#ifndef _WIN32
TEST(Quantize, PollsEveryOtherRowThenEveryRowAndStopsWhenCancelled) {
    auto grey = [](int32_t x, int32_t y) { return static_cast<uint32_t>((x * 40 + y * 7) & 0xFF) * 0x010101u; };
    {
        PollGuard guard(0);
        ASSERT_EQ(reduce(picture24(4, 5, grey).packed(), 1).result, 1);
        EXPECT_EQ(ScriptedPoll::calls, 3 + 5); // rows 0, 2, 4, then all 5
        EXPECT_EQ(ScriptedPoll::lastAllowInput, 1);
    }
    {
        PollGuard guard(5); // inside the mapping pass
        Reduced r = reduce(picture24(4, 5, grey).packed(), 1);
        EXPECT_EQ(r.result, 2);
        EXPECT_FALSE(r.dib);
    }
    {
        TempDir dir;
        std::string in = dir.file("in.bmp"), out = dir.file("out.bmp");
        writeFile(in, picture24(4, 5, grey).file());
        PollGuard guard(6);
        EXPECT_EQ(
            quantizeTo256(kEntry, plat::fromUtf8(in).c_str(), plat::fromUtf8(out).c_str(), 1, PackedDib(), nullptr), 2);
        EXPECT_FALSE(fileExists(out));
    }
}
#endif
