// Reduction to 256 colours: the nearest-entry search, the median cut's
// palettes and their order, output form, orientation and cancellation.
#include <gtest/gtest.h>

#include <random>

#include "image/nearest_colour.h"
#include "image/quantize.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

struct Reduced {
    int result;
    PackedDib dib;
    DibLayout layout;
    uint32_t entry(uint32_t i) const { return readLe32(dib.data() + layout.tableOffset + 4 * i); }
    uint8_t pixel(int32_t x, int32_t row) const { return dib.data()[layout.pixelOffset + row * layout.stride + x]; }
};

Reduced reduce(const Dib& source, int32_t allowInput = 0) {
    Reduced r;
    r.result = quantizeTo256(WallpaperEntry(), nullptr, nullptr, allowInput, source.packed(), &r.dib);
    EXPECT_TRUE(!r.dib || locateDib(r.dib, &r.layout));
    return r;
}
int reduceFile(const std::u16string& in, const std::u16string& out, int32_t allowInput = 0) {
    return quantizeTo256(WallpaperEntry(), in.c_str(), out.c_str(), allowInput, PackedDib(), nullptr);
}

} // namespace

// Equal distances go to the lowest index, as in the exhaustive search the
// reduction is checked against below.
TEST(NearestColour, TiesGoToTheLowestIndex) {
    // 10 is as far from 0 as from 20; duplicates resolve to the first copy.
    const PaletteColour ties[4] = {{20, 0, 0}, {0, 0, 0}, {20, 0, 0}, {0, 0, 0}};
    NearestColourMap map;
    ASSERT_TRUE(map.init(ties, 4));
    EXPECT_EQ(std::vector<int>({map.nearest(10, 0, 0), map.nearest(9, 0, 0), map.nearest(255, 255, 255)}),
              std::vector<int>({0, 1, 0}));
    EXPECT_EQ(nearestEntryExhaustive(ties, 4, 10, 0, 0), 0u);
}

TEST(Quantize, PaletteEntriesAreLeafColoursRarerFirst) {
    const Dib twoColours = rgb24(4, 1, [](int32_t x, int32_t) { return x == 2 ? 0x0000FFu : 0xFF0000u; });
    const struct {
        const char* what;
        Dib picture;
        std::vector<uint32_t> table;
    } cases[] = {
        {"one colour: cell 63 x 4", solid24(5, 3, 0xFFFFFF), {0xFCFCFC}},
        {"3 red, 1 blue: blue first", twoColours, {0x0000FC, 0xFC0000}},
        // 31 << 3 = 248 is cell 62; green splits first (ties with blue).
        {"16 bits", dib(2, 1, 16, {0xFF, 0x7F, 0x00, 0x7C, 0, 0, 0, 0}), {0xF80000, 0xF8F8F8}},
        {"5-6-5 fields", dib(2, 1, 16, {0xE0, 0x07, 0xE0, 0x07, 0, 0, 0, 0}).withMasks(0xF800, 0x07E0, 0x001F),
         {0x00FC00}},
    };
    for (const auto& c : cases) {
        Reduced r = reduce(c.picture);
        ASSERT_EQ(r.result, 1) << c.what;
        EXPECT_EQ(r.layout.bitCount, 8) << c.what;
        std::vector<uint32_t> table;
        for (uint32_t i = 0; i < r.layout.tableEntries; ++i)
            table.push_back(r.entry(i));
        EXPECT_EQ(table, c.table) << c.what;
    }
    Reduced two = reduce(twoColours);
    EXPECT_EQ(std::make_pair(two.pixel(0, 0), two.pixel(2, 0)), std::make_pair(uint8_t(1), uint8_t(0)));
}

TEST(Quantize, EveryPixelGetsTheNearestEntryAndRowsComeOutUpright) {
    std::mt19937 rng(7);
    Bytes pixels(37 * 23 * 4);
    for (auto& b : pixels)
        b = uint8_t(rng());
    Reduced r = reduce(dib(37, 23, 32, pixels));
    ASSERT_EQ(r.result, 1);
    ASSERT_GT(r.layout.tableEntries, 100u);
    PaletteColour palette[256];
    for (uint32_t i = 0; i < r.layout.tableEntries; ++i)
        palette[i] = {uint8_t(r.entry(i) >> 16), uint8_t(r.entry(i) >> 8), uint8_t(r.entry(i))};
    for (size_t p = 0; p < 37 * 23; ++p)
        ASSERT_EQ(r.pixel(int32_t(p % 37), int32_t(p / 37)),
                  nearestEntryExhaustive(palette, r.layout.tableEntries, pixels[4 * p + 2], pixels[4 * p + 1],
                                         pixels[4 * p]));
    // Top row black, bottom row white, stored top-down; output is bottom-up.
    Reduced up = reduce(rgb24(2, -2, [](int32_t, int32_t y) { return y == 0 ? 0u : 0xFFFFFFu; }));
    EXPECT_FALSE(up.layout.topDown);
    EXPECT_EQ(std::make_pair(up.entry(up.pixel(0, 1)), up.entry(up.pixel(0, 0))), std::make_pair(0u, 0xFCFCFCu));
}

TEST(Quantize, RefusesPaletteAndCompressedPicturesAndWritesFilesWhole) {
    const Dib refused[] = {dib(2, 1, 8, {0, 1, 0, 0}, Bytes(8, 0)), dib(2, 1, 1, {0, 1, 0, 0}, Bytes(8, 0)),
                           dib(2, 1, 24, Bytes(8, 0), {}, 4) /* JPEG inside a BMP */, dib(0, 3, 24, {})};
    for (const auto& d : refused)
        EXPECT_EQ(reduce(d).result, 0) << d.bitCount;
    TempDir dir;
    std::u16string out = dir.file(u"out.bmp"), out2 = dir.file(u"out2.bmp");
    const Dib two = rgb24(3, 2, [](int32_t x, int32_t) { return x ? 0x102030u : 0xA0B0C0u; });
    ASSERT_EQ(reduceFile(writeTemp(dir, two.file()), out), 1);
    EXPECT_EQ(readAll(out).size(), 14u + 40 + 2 * 4 + 2 * 4);
    EXPECT_EQ(reduceFile(writeTemp(dir, Bytes{0xFF, 0xD8, 0xFF, 0xE0}, u".jpg"), out2), 0);
    EXPECT_FALSE(fileExists(out2));
}

#ifndef _WIN32
// The cancel popup's request reaches the file read, which polls without
// input: the reduction is cancelled, not failed, and writes nothing.
TEST(Quantize, CancelledReadIsACancelAndWritesNothing) {
    TempDir dir;
    std::u16string out = dir.file(u"out.bmp");
    PollGuard guard(0);
    AbortRequest = 1;
    EXPECT_EQ(reduceFile(writeTemp(dir, solid24(4, 5, 0x102030).file()), out, 0), 2);
    EXPECT_EQ(AbortRequest, 0);
    EXPECT_FALSE(fileExists(out));
    PollGuard inside(5); // while mapping
    EXPECT_EQ(reduce(solid24(4, 5, 0x102030), 1).result, 2);
}
#endif
