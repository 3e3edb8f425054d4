// Background colour estimate: the row-mean arithmetic, every pixel form, RLE
// walks that must stay inside the picture, cancellation; the native cancel
// poll itself.
#include <gtest/gtest.h>

#include "image/background.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }
const Bytes kRed200 = {0, 0, 0, 0, 0, 0, 200, 0}; // index 0 black, 1 red 200

// Ten pixels wide, one row; index 1 is red 40, green 80, blue 120.
Dib rle8(Bytes data, uint32_t sizeImage) {
    Dib d = dib(10, 1, 8, std::move(data), {0, 0, 0, 0, 120, 80, 40, 0}, kBiRle8);
    d.sizeImage = sizeImage;
    return d;
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


TEST(CheckUserAbort, RequestFromTheCancelMenuCountsOnceAndOnlyUnattended) {
    AbortRequest = 1;
    EXPECT_EQ(CheckUserAbort(1), 0); // with input allowed it is neither read nor cleared
    EXPECT_EQ(AbortRequest.load(), 1);
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(AbortRequest.load(), 0);
    EXPECT_EQ(CheckUserAbort(0), 0);
#ifndef _WIN32
    PollGuard guard(1); // a pending close (the poll) wins before the request is looked at
    AbortRequest = 1;
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(AbortRequest.load(), 1);
    EXPECT_EQ(CheckUserAbort(1), 1);
#endif
}
