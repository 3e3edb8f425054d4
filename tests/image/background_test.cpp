// Background colour estimate: the row-mean arithmetic, every pixel form, RLE
// walks that must stay inside the picture, cancellation.
#include <gtest/gtest.h>

#include "image/background.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

int estimate(const Dib& d, uint32_t* colour, int32_t allowInput = 1) {
    return estimatePictureColour(d.packed(), allowInput, colour);
}

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

Dib rle8(Bytes data, uint32_t sizeImage) {
    Dib d;
    d.width = 10;
    d.height = 1;
    d.bitCount = 8;
    d.compression = 1;
    d.clrUsed = 2;
    d.table = {0, 0, 0, 0, 120, 80, 40, 0}; // index 1: red 40, green 80, blue 120
    d.sizeImage = sizeImage;
    d.pixels = std::move(data);
    return d;
}

} // namespace

TEST(Background, MeanIsBrightenedByFivePercentAndLimited) {
    uint32_t c = 0;
    Dib grey;
    grey.width = 3;
    grey.height = 2;
    grey.bitCount = 8;
    grey.clrUsed = 1;
    grey.table = {100, 100, 100, 0};
    grey.pixels.assign(8, 0);
    ASSERT_EQ(estimate(grey, &c), 0);
    EXPECT_EQ(c, rgb(105, 105, 105));

    Dib d;
    d.width = 2;
    d.height = 2;
    d.pixels = rows24(2, 2, [](int32_t, int32_t) { return 0xFFFFFFu; });
    ASSERT_EQ(estimate(d, &c), 0);
    EXPECT_EQ(c, rgb(255, 255, 255));
    d.pixels = rows24(2, 2, [](int32_t, int32_t) { return 0xC86400u; });
    ASSERT_EQ(estimate(d, &c), 0);
    EXPECT_EQ(c, rgb(210, 105, 0));

    // Row mean rounded down: (0 + 255) / 2 = 127, x 1.05 = 133.35.
    Dib two;
    two.width = 2;
    two.height = 1;
    two.pixels = rows24(2, 1, [](int32_t x, int32_t) { return x ? 0xFFFFFFu : 0u; });
    ASSERT_EQ(estimate(two, &c), 0);
    EXPECT_EQ(c, rgb(133, 133, 133));

    // The mean of rounded-down row means, not of all pixels.
    Dib rows;
    rows.width = 2;
    rows.height = 2;
    rows.pixels = rows24(2, 2, [](int32_t x, int32_t y) { return y == 0 ? (x ? 0x010101u : 0u) : 0x0A0A0Au; });
    ASSERT_EQ(estimate(rows, &c), 0); // row means 0 and 10 -> 5 -> 5.25
    EXPECT_EQ(c, rgb(5, 5, 5));
    // 21 / 2 is 10, giving 10.5 -> 10; the unrounded 10.5 would give 11.
    two.pixels = rows24(2, 1, [](int32_t x, int32_t) { return x ? 0x151515u : 0u; });
    ASSERT_EQ(estimate(two, &c), 0);
    EXPECT_EQ(c, rgb(10, 10, 10));
}

TEST(Background, ReadsEveryUncompressedPixelForm) {
    uint32_t c = 0;
    Dib s16;
    s16.width = 1;
    s16.height = 1;
    s16.bitCount = 16;
    s16.pixels = {0xFF, 0x7F, 0, 0}; // 31 in every channel reads as 248
    ASSERT_EQ(estimate(s16, &c), 0);
    EXPECT_EQ(c, rgb(255, 255, 255));

    Dib s32 = s16;
    s32.bitCount = 32;
    s32.pixels = {100, 50, 20, 0xFF}; // the fourth byte is ignored
    ASSERT_EQ(estimate(s32, &c), 0);
    EXPECT_EQ(c, rgb(21, 52, 105));

    Dib f32 = s32;
    f32.compression = 3;
    f32.masks[0] = 0xFF, f32.masks[1] = 0xFF00, f32.masks[2] = 0xFF0000;
    ASSERT_EQ(estimate(f32, &c), 0);
    EXPECT_EQ(c, rgb(105, 52, 21));

    // 4 bits: high nibble first; 1 bit: most significant bit first.
    Dib p4;
    p4.width = 2;
    p4.height = 1;
    p4.bitCount = 4;
    p4.clrUsed = 2;
    p4.table = {0, 0, 0, 0, 0, 0, 200, 0};
    p4.pixels = {0x10, 0, 0, 0}; // pixel 0 red 200, pixel 1 black
    ASSERT_EQ(estimate(p4, &c), 0);
    EXPECT_EQ(c, rgb(105, 0, 0));
    Dib p1 = p4;
    p1.bitCount = 1;
    p1.pixels = {0x40, 0, 0, 0}; // pixel 0 black, pixel 1 red
    ASSERT_EQ(estimate(p1, &c), 0);
    EXPECT_EQ(c, rgb(105, 0, 0));

    // Indices past a short table read as black.
    Dib shortTable = p4;
    shortTable.bitCount = 8;
    shortTable.pixels = {1, 9, 0, 0};
    ASSERT_EQ(estimate(shortTable, &c), 0);
    EXPECT_EQ(c, rgb(105, 0, 0));
}

TEST(Background, RefusesWhatItCannotRead) {
    uint32_t c = 77;
    Dib two;
    two.width = 4;
    two.height = 1;
    two.bitCount = 2;
    two.table.assign(16, 0);
    two.pixels = {0, 0, 0, 0};
    EXPECT_EQ(estimate(two, &c), 1);
    Dib zero;
    zero.width = 0;
    zero.height = 1;
    EXPECT_EQ(estimate(zero, &c), 1);
    Dib rle24;
    rle24.compression = 1;
    rle24.pixels = {0, 1};
    EXPECT_EQ(estimate(rle24, &c), 1);
    EXPECT_EQ(c, 77u);
    EXPECT_EQ(estimatePictureColour(PackedDib(), 1, &c), 1);
}

TEST(Background, Rle8WalkCountsRunsAndAbsoluteRuns) {
    uint32_t c = 0;
    // 10 pixels of index 1, then end of picture.
    ASSERT_EQ(estimate(rle8({10, 1, 0, 1}, 4), &c), 0);
    EXPECT_EQ(c, rgb(42, 84, 126));
    // Absolute run of 3 (index 1, 0, 1; padded to a word), end of line,
    // delta (skipped pixels do not count), then a run of 1.
    ASSERT_EQ(estimate(rle8({0, 3, 1, 0, 1, 0, 0, 0, 0, 2, 5, 5, 1, 1, 0, 1}, 16), &c), 0);
    // 3 of 4 pixels are index 1: 40 x 3/4 = 30 -> 31.5
    EXPECT_EQ(c, rgb(31, 63, 94));
    // biSizeImage 0 walks nothing: black.
    ASSERT_EQ(estimate(rle8({10, 1, 0, 1}, 0), &c), 0);
    EXPECT_EQ(c, 0u);
    // biSizeImage cuts the walk short.
    ASSERT_EQ(estimate(rle8({2, 1, 2, 0, 0, 1}, 2), &c), 0);
    EXPECT_EQ(c, rgb(42, 84, 126));
}

TEST(Background, RleWalkStopsAtTheEndOfThePictureWhateverBiSizeImageSays) {
    uint32_t c = 0;
    // No end-of-picture mark and a biSizeImage far past the block.
    ASSERT_EQ(estimate(rle8({4, 1, 4, 1}, 100000), &c), 0);
    EXPECT_EQ(c, rgb(42, 84, 126));
    // An absolute run whose bytes would pass the end: the walk stops first.
    ASSERT_EQ(estimate(rle8({2, 1, 0, 200, 0, 0}, 100000), &c), 0);
    EXPECT_EQ(c, rgb(42, 84, 126));
    // A delta cut off by the end.
    ASSERT_EQ(estimate(rle8({2, 1, 0, 2, 1}, 100000), &c), 0);
    EXPECT_EQ(c, rgb(42, 84, 126));
    // An odd byte left over.
    ASSERT_EQ(estimate(rle8({2, 1, 7}, 100000), &c), 0);
    EXPECT_EQ(c, rgb(42, 84, 126));
}

TEST(Background, Rle4RunsAlternateTheirTwoNibbles) {
    Dib d;
    d.width = 10;
    d.height = 1;
    d.bitCount = 4;
    d.compression = 2;
    d.clrUsed = 2;
    d.table = {0, 0, 0, 0, 0, 0, 200, 0};
    // Run of 3 alternating 1, 0, 1; absolute run of 3 (1, 0, 0) padded; end.
    d.pixels = {3, 0x10, 0, 3, 0x10, 0x00, 0, 1};
    d.sizeImage = 8;
    uint32_t c = 0;
    ASSERT_EQ(estimate(d, &c), 0);
    // 3 of 6 pixels red 200 -> 100 -> 105.
    EXPECT_EQ(c, rgb(105, 0, 0));
}

#ifndef _WIN32
TEST(Background, CancelsOnEveryOtherRow) {
    Dib d;
    d.width = 1;
    d.height = 5;
    d.pixels = rows24(1, 5, [](int32_t, int32_t) { return 0x808080u; });
    uint32_t c = 1234;
    {
        PollGuard guard(0);
        ASSERT_EQ(estimate(d, &c), 0);
        EXPECT_EQ(ScriptedPoll::calls, 3);
        EXPECT_EQ(ScriptedPoll::lastAllowInput, 1);
    }
    c = 1234;
    PollGuard guard(2);
    EXPECT_EQ(estimate(d, &c), 2);
    EXPECT_EQ(c, 1234u);
}

TEST(Background, EntryWithABmpFile) {
    TempDir dir;
    std::string name = dir.file("grey.bmp");
    Dib d;
    d.width = 2;
    d.height = 1;
    d.pixels = rows24(2, 1, [](int32_t, int32_t) { return 0x646464u; });
    writeFile(name, d.file());
    WallpaperEntry entry;
    plat::copyText(entry.path, plat::kPathUnits, plat::fromUtf8(name).c_str());
    uint32_t c = 0;
    ASSERT_EQ(estimateBackground(entry, &c), 0);
    EXPECT_EQ(c, rgb(105, 105, 105));
    EXPECT_EQ(estimateBackground(entry, nullptr), 1);
    WallpaperEntry empty;
    EXPECT_EQ(estimateBackground(empty, &c), 1);
}
#endif
