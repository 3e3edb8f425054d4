// Colours: the background estimate of every pixel form; the reduction to 256
// colours, its palettes and output.
#include <gtest/gtest.h>

#include <random>

#include "image/background.h"
#include "image/nearest_colour.h"
#include "image/quantize.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }
const Bytes kRed200 = {0, 0, 0, 0, 0, 0, 200, 0}; // index 0 black, 1 red 200

Dib rle8(Bytes data, uint32_t sizeImage) { // ten pixels wide, one row; index 1 is red 40, green 80, blue 120
    Dib d = dib(10, 1, 8, std::move(data), {0, 0, 0, 0, 120, 80, 40, 0}, kBiRle8);
    return d.sizeImage = sizeImage, d;
}

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

TEST(Background, EstimatesEveryPixelForm) {
    Dib rle4 = dib(10, 1, 4, {3, 0x10, 0, 3, 0x10, 0x00, 0, 1}, kRed200, kBiRle4);
    rle4.sizeImage = 8;
    const struct {
        const char* what;
        Dib picture;
        uint32_t colour;
    } cases[] = {
        {"grey table entry", dib(3, 2, 8, Bytes(8, 0), {100, 100, 100, 0}), rgb(105, 105, 105)},
        {"white is limited", solid24(2, 2, 0xFFFFFF), rgb(255, 255, 255)},
        {"each channel", solid24(2, 2, 0xC86400), rgb(210, 105, 0)},
        // Row mean rounded down: (0 + 255) / 2 = 127, x 1.05 = 133.35.
        {"black and white", rgb24(2, 1, [](int32_t x, int32_t) { return x ? 0xFFFFFFu : 0u; }),
         rgb(133, 133, 133)},
        // The mean of rounded-down row means: 0 and 10 -> 5 -> 5.25.
        {"row means",
         rgb24(2, 2, [](int32_t x, int32_t y) { return y == 0 ? (x ? 0x010101u : 0u) : 0x0A0A0Au; }),
         rgb(5, 5, 5)},
        // 21 / 2 is 10, giving 10.5 -> 10; the unrounded 10.5 would give 11.
        {"row mean rounded", rgb24(2, 1, [](int32_t x, int32_t) { return x ? 0x151515u : 0u; }),
         rgb(10, 10, 10)},
        {"16 bits: 31 reads as 248", dib(1, 1, 16, {0xFF, 0x7F, 0, 0}), rgb(255, 255, 255)},
        {"32-bit fields", dib(1, 1, 32, {100, 50, 20, 0xFF}).withMasks(0xFF, 0xFF00, 0xFF0000),
         rgb(105, 52, 21)},
        {"4 bits: high nibble first", dib(2, 1, 4, {0x10, 0, 0, 0}, kRed200), rgb(105, 0, 0)},
        {"1 bit: top bit first", dib(2, 1, 1, {0x40, 0, 0, 0}, kRed200), rgb(105, 0, 0)},
        {"index past the table is black", dib(2, 1, 8, {1, 9, 0, 0}, kRed200), rgb(105, 0, 0)},
        {"RLE8 run", rle8({10, 1, 0, 1}, 4), rgb(42, 84, 126)},
        // Absolute run 1, 0, 1 (padded), end of line, delta (skipped pixels
        // do not count), run of 1: 3 of 4 pixels, 40 x 3/4 = 30 -> 31.5.
        {"RLE8 absolute run and delta", rle8({0, 3, 1, 0, 1, 0, 0, 0, 0, 2, 5, 5, 1, 1, 0, 1}, 16),
         rgb(31, 63, 94)},
        {"RLE biSizeImage 0 walks the whole block", rle8({10, 1, 0, 1}, 0), rgb(42, 84, 126)},
        {"RLE cut by biSizeImage", rle8({2, 1, 2, 0, 0, 1}, 2), rgb(42, 84, 126)},
        // The walk stops at the end of the block whatever biSizeImage says.
        {"RLE without an end mark", rle8({4, 1, 4, 1}, 100000), rgb(42, 84, 126)},
        // Run of 3 alternating 1, 0, 1; absolute run 1, 0, 0: 3 of 6 red.
        {"RLE4 nibbles", rle4, rgb(105, 0, 0)},
    };
    for (const auto& c : cases) {
        uint32_t colour = 0xDEAD;
        ASSERT_EQ(estimatePictureColour(c.picture.packed(), 1, &colour), 0) << c.what;
        EXPECT_EQ(colour, c.colour) << c.what;
    }
}

TEST(Background, RefusesWhatItCannotReadOrIsCancelledAndLeavesTheColour) {
    const Dib refused[] = {dib(4, 1, 2, {0, 0, 0, 0}, Bytes(16, 0)), dib(0, 1, 24, {}), dib(1, 1, 24, {0, 1}, {}, kBiRle8)};
    uint32_t c = 77;
    for (const auto& d : refused)
        EXPECT_EQ(estimatePictureColour(d.packed(), 1, &c), 1) << d.bitCount;
    EXPECT_EQ(estimatePictureColour(PackedDib(), 1, &c), 1);
    AbortRequest = 1; // the cancel menu, seen by the first poll: cancelled
    EXPECT_EQ(estimatePictureColour(solid24(1, 5, 0x808080).packed(), 0, &c), 2);
    AbortRequest = 0;
    EXPECT_EQ(c, 77u);
}

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
