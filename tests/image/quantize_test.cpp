// Reduction to 256 colours: median-cut rules, palette order, output form,
// orientation and cancellation.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "image/quantize.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

const WallpaperEntry kEntry;

struct Reduced {
    int result;
    PackedDib dib;
    DibLayout layout;
    const uint8_t* entry(uint32_t i) const { return dib.data() + layout.tableOffset + 4 * i; }
    uint8_t pixel(int32_t x, int32_t storageRow) const {
        return dib.data()[layout.pixelOffset + static_cast<size_t>(storageRow) * layout.stride + x];
    }
};

Reduced reduce(const Dib& source, int32_t allowInput = 0) {
    Reduced r;
    r.result = quantizeTo256(kEntry, nullptr, nullptr, allowInput, source.packed(), &r.dib);
    EXPECT_TRUE(!r.dib || locateDib(r.dib, &r.layout));
    return r;
}

int reduceFile(const std::u16string& in, const std::u16string& out, int32_t allowInput = 0) {
    return quantizeTo256(kEntry, in.c_str(), out.c_str(), allowInput, PackedDib(), nullptr);
}

} // namespace

TEST(Quantize, PaletteEntriesAreLeafColoursRarerFirst) {
    Reduced one = reduce(solid24(5, 3, 0xFFFFFF));
    ASSERT_EQ(one.result, 1);
    ASSERT_EQ(one.dib.size(), 40u + 4 + 8 * 3); // 8 bits, one entry, 3 rows
    EXPECT_EQ(one.layout.bitCount, 8);
    EXPECT_EQ(one.layout.tableEntries, 1u);
    EXPECT_EQ(readLe32(one.entry(0)), 0x00FCFCFCu); // cell 63 x 4 = 252

    // 3 red pixels, 1 blue: blue (index 0) before red.
    Reduced two = reduce(rgb24(4, 1, [](int32_t x, int32_t) { return x == 2 ? 0x0000FFu : 0xFF0000u; }));
    ASSERT_EQ(two.result, 1);
    ASSERT_EQ(two.layout.tableEntries, 2u);
    EXPECT_EQ(readLe32(two.entry(0)), 0x000000FCu);
    EXPECT_EQ(readLe32(two.entry(1)), 0x00FC0000u);
    EXPECT_EQ(two.pixel(0, 0), 1);
    EXPECT_EQ(two.pixel(2, 0), 0);

    // 16 bits: 31 << 3 = 248 falls in cell 62, so the leaf colour is 248.
    // Green splits first (ties with blue): red is entry 0, white entry 1.
    Reduced s16 = reduce(dib(2, 1, 16, {0xFF, 0x7F, 0x00, 0x7C, 0, 0, 0, 0}));
    ASSERT_EQ(s16.result, 1);
    ASSERT_EQ(s16.layout.tableEntries, 2u);
    EXPECT_EQ(readLe32(s16.entry(0)), 0x00F80000u);
    EXPECT_EQ(readLe32(s16.entry(1)), 0x00F8F8F8u);

    // 5-6-5 bit fields read through their masks: pure green twice.
    Reduced g = reduce(dib(2, 1, 16, {0xE0, 0x07, 0xE0, 0x07, 0, 0, 0, 0}).withMasks(0xF800, 0x07E0, 0x001F));
    ASSERT_EQ(g.result, 1);
    ASSERT_EQ(g.layout.tableEntries, 1u);
    EXPECT_EQ(readLe32(g.entry(0)), 0x0000FC00u);
}

TEST(Quantize, MedianCutSplitsAtHalfTheCountAndFollowsTheTieRules) {
    std::unique_ptr<uint32_t[]> h(new uint32_t[64 * 64 * 64]());
    ColourBox boxes[256];
    // Red planes 0 and 1 on one line: the first plane already holds half.
    h[0] = 5, h[1] = 5;
    ASSERT_EQ(medianCut(h.get(), boxes), 2u);
    EXPECT_EQ(boxes[0].red, 0);
    EXPECT_EQ(boxes[1].red, 4);

    // Equal red and blue extents: red is split, lower half first; that half
    // holds both r0 cells and then splits on blue.
    std::memset(h.get(), 0, 64 * 64 * 64 * 4);
    h[0] = 1;        // r0 b0
    h[10 << 12] = 1; // r0 b10
    h[10] = 2;       // r10 b0
    ASSERT_EQ(medianCut(h.get(), boxes), 3u);
    const uint8_t expected[3][2] = {{0, 0}, {0, 40}, {40, 0}}; // red, blue
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes[i].red, expected[i][0]) << i;
        EXPECT_EQ(boxes[i].blue, expected[i][1]) << i;
    }
    EXPECT_EQ(boxes[2].count, 2u);

    for (uint32_t i = 0; i < 64 * 64 * 64; ++i) // every cell filled: never more than 256
        h[i] = 1 + i % 7;
    EXPECT_EQ(medianCut(h.get(), boxes), 256u);
}

TEST(Quantize, EveryPixelGetsTheNearestPaletteEntry) {
    std::mt19937 rng(7);
    Bytes pixels(37 * 23 * 4);
    for (auto& b : pixels)
        b = static_cast<uint8_t>(rng());
    Reduced r = reduce(dib(37, 23, 32, pixels));
    ASSERT_EQ(r.result, 1);
    uint32_t n = r.layout.tableEntries;
    ASSERT_GT(n, 100u);
    ASSERT_LE(n, 256u);
    for (int32_t y = 0; y < 23; ++y)
        for (int32_t x = 0; x < 37; ++x) {
            const uint8_t* p = &pixels[(static_cast<size_t>(y) * 37 + x) * 4];
            int best = -1, bestD = 1 << 30;
            for (uint32_t i = 0; i < n; ++i) {
                const uint8_t* e = r.entry(i);
                int d = (e[0] - p[0]) * (e[0] - p[0]) + (e[1] - p[1]) * (e[1] - p[1]) +
                        (e[2] - p[2]) * (e[2] - p[2]);
                if (d < bestD)
                    bestD = d, best = static_cast<int>(i);
            }
            ASSERT_EQ(r.pixel(x, y), best);
        }
}

TEST(Quantize, TopDownSourceComesOutUpright) {
    // Top row black, bottom row white, stored top-down; output is bottom-up.
    Reduced r = reduce(rgb24(2, -2, [](int32_t, int32_t y) { return y == 0 ? 0u : 0xFFFFFFu; }));
    ASSERT_EQ(r.result, 1);
    EXPECT_FALSE(r.layout.topDown);
    EXPECT_EQ(r.entry(r.pixel(0, 1))[0], 0);
    EXPECT_EQ(r.entry(r.pixel(0, 0))[0], 252);
}

TEST(Quantize, RefusesPalettePicturesAndCompressedOnes) {
    const Dib refused[] = {
        dib(2, 1, 8, {0, 1, 0, 0}, Bytes(8, 0)),
        dib(2, 1, 4, {0, 1, 0, 0}, Bytes(8, 0)),
        dib(2, 1, 1, {0, 1, 0, 0}, Bytes(8, 0)),
        dib(2, 1, 24, Bytes(8, 0), {}, 4), // JPEG inside a BMP
        dib(0, 3, 24, {}),
    };
    for (const auto& d : refused)
        EXPECT_EQ(reduce(d).result, 0) << d.bitCount;
    EXPECT_EQ(quantizeTo256(kEntry, nullptr, nullptr, 0, PackedDib(), nullptr), 0);
}

TEST(Quantize, FileModeWritesTheReducedFileOrNothing) {
    TempDir dir;
    std::u16string out = dir.file(u"out.bmp"), out2 = dir.file(u"out2.bmp");
    ASSERT_EQ(
        reduceFile(
            writeTemp(dir, rgb24(3, 2, [](int32_t x, int32_t) { return x ? 0x102030u : 0xA0B0C0u; }).file()),
            out),
        1);
    Bytes f = readAll(out);
    ASSERT_EQ(f.size(), 14u + 40 + 2 * 4 + 2 * 4);
    EXPECT_EQ(get32(f, 10), 54u + 8);
    EXPECT_EQ(get32(f, 14 + 32), 2u);

    EXPECT_EQ(reduceFile(writeTemp(dir, Bytes{0xFF, 0xD8, 0xFF, 0xE0}, u".jpg"), out2), 0);
    EXPECT_FALSE(fileExists(out2));
}

#ifndef _WIN32
TEST(Quantize, PollsEveryOtherRowThenEveryRowAndStopsWhenCancelled) {
    Dib d = rgb24(4, 5, [](int32_t x, int32_t y) {
        return static_cast<uint32_t>((x * 40 + y * 7) & 0xFF) * 0x010101u;
    });
    {
        PollGuard guard(0);
        ASSERT_EQ(reduce(d, 1).result, 1);
        EXPECT_EQ(PollGuard::calls, 3 + 5); // rows 0, 2, 4, then all 5
        EXPECT_EQ(PollGuard::lastAllowInput, 1);
    }
    {
        PollGuard guard(5); // inside the mapping pass
        Reduced r = reduce(d, 1);
        EXPECT_EQ(r.result, 2);
        EXPECT_FALSE(r.dib);
    }
    TempDir dir;
    std::u16string out = dir.file(u"out.bmp");
    std::u16string in = writeTemp(dir, d.file());
    {
        PollGuard guard(6);
        EXPECT_EQ(reduceFile(in, out, 1), 2);
        EXPECT_FALSE(fileExists(out));
    }
    // The cancel popup's request reaches the file read, which polls without
    // input: the reduction is cancelled, not failed.
    PollGuard guard(0);
    AbortRequest = 1;
    EXPECT_EQ(reduceFile(in, out, 0), 2);
    EXPECT_EQ(AbortRequest, 0);
    EXPECT_FALSE(fileExists(out));
}
#endif
