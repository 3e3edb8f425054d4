// Scaling and the start-up logo: sizes, the resampler's pixel choice, output
// headers and tables, every source form, cancellation.
#include <gtest/gtest.h>

#include <cstring>

#include "image/scale.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

struct Scaled {
    int result;
    int32_t width, height;
    Bytes file;
    const uint8_t* pixels() const { return &file[get32(file, 10)]; }
};

Scaled scale(TempDir& dir, const Dib& picture, int32_t w, int32_t h, int32_t keepAspect = 0) {
    std::string out = dir.file("out" + std::to_string(w) + "x" + std::to_string(h) + ".bmp");
    Scaled s{0, w, h, {}};
    s.result = scaleToFile(entryFor(dir.write(picture.file())), u16(out).c_str(), &s.width, &s.height, keepAspect, 0);
    s.file = readFile(out);
    std::remove(out.c_str());
    return s;
}

int logo(TempDir& dir, const Dib& picture, int32_t fast, Bytes* file) {
    std::string out = dir.file("logo.sys");
    int r = buildLogoBitmap(entryFor(dir.write(picture.file())), u16(out).c_str(), fast);
    *file = readFile(out);
    std::remove(out.c_str());
    return r;
}

// Pixel of a 24-bit BMP file, counted from the top.
uint32_t rgbAt(const Bytes& f, int32_t x, int32_t topRow) {
    int32_t w = static_cast<int32_t>(get32(f, 18)), h = static_cast<int32_t>(get32(f, 22));
    size_t at = get32(f, 10) + static_cast<size_t>(h - 1 - topRow) * strideOf(w, 24) + 3 * x;
    return f[at + 2] << 16 | f[at + 1] << 8 | f[at];
}

constexpr size_t kLogoFileBytes = 14 + 40 + 1024 + 320 * 400;

} // namespace

TEST(Scale, KeepAspectFitsTheBoxOnOneSide) {
    const struct {
        int32_t srcW, srcH, boxW, boxH, w, h;
    } cases[] = {
        {1600, 1200, 1024, 768, 1024, 768}, // equal ratios keep the height
        {1000, 500, 800, 600, 800, 400},    {500, 1000, 800, 600, 300, 600},
        {100, 50, 1024, 768, 1024, 512}, // enlarged too
        {1, 5000, 800, 600, 1, 600},     // never 0 wide
    };
    for (const auto& c : cases) {
        int32_t w = c.boxW, h = c.boxH;
        fitInBox(c.srcW, c.srcH, &w, &h);
        EXPECT_EQ(w, c.w) << c.srcW << "x" << c.srcH;
        EXPECT_EQ(h, c.h) << c.srcW << "x" << c.srcH;
    }
    // The whole path: a 1000 x 500 picture into 800 x 600 is written 800 x 400.
    TempDir dir;
    Scaled s = scale(dir, dib(1000, 500, 8, Bytes(1000 * 500, 0), {1, 2, 3, 0}), 800, 600, 1);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 400);
    EXPECT_EQ(get32(s.file, 22), 400u);
}

TEST(Scale, ResamplerTakesThePixelUnderEachOutputCentre) {
    const struct {
        uint32_t i, from, to, source;
    } cases[] = {
        {0, 2, 4, 0}, {1, 2, 4, 0}, {2, 2, 4, 1}, {3, 2, 4, 1}, // enlarging repeats
        {0, 4, 2, 1}, {1, 4, 2, 3}, {0, 3, 2, 0}, {1, 3, 2, 2}, // reducing drops, symmetrically
        {0, 7, 1, 3}, {65534, 65535, 65535, 65534},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resampleIndex(c.i, c.from, c.to), c.source) << c.i << " of " << c.to << " from " << c.from;
}

TEST(Scale, TwentyFourBitPictureDoublesExactlyEitherWayUp) {
    TempDir dir;
    const uint32_t A = 0x112233, B = 0x445566, C = 0x778899, D = 0xAABBCC; // A B over C D
    Dib up = rgb24(2, 2, [&](int32_t x, int32_t y) { return y == 1 ? (x ? B : A) : (x ? D : C); });
    Dib down = rgb24(2, -2, [&](int32_t x, int32_t y) { return y == 0 ? (x ? B : A) : (x ? D : C); });
    Scaled s = scale(dir, up, 4, 4);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(s.width, 4);
    ASSERT_EQ(s.file.size(), 14u + 40 + 4 * 12);
    EXPECT_EQ(get32(s.file, 10), 54u);
    EXPECT_EQ(get32(s.file, 46), 0u); // no table
    const uint32_t expected[4][4] = {{A, A, B, B}, {A, A, B, B}, {C, C, D, D}, {C, C, D, D}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rgbAt(s.file, x, y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(scale(dir, down, 4, 4).file, s.file);
}

TEST(Scale, PalettePicturesKeepBitCountAndTable) {
    TempDir dir;
    // 4-bit core-header source: 3-byte entries become 4-byte ones.
    Dib core = dib(4, 1, 4, {0x12, 0x3F, 0, 0});
    core.headerSize = 12;
    for (int i = 0; i < 16; ++i)
        core.table.insert(core.table.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), static_cast<uint8_t>(3 * i)});
    Scaled s = scale(dir, core, 8, 2);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(get32(s.file, 28) & 0xFFFF, 4u);
    EXPECT_EQ(get32(s.file, 46), 16u); // biClrUsed = source entries
    EXPECT_EQ(get32(s.file, 50), 0u);  // biClrImportant of a core source
    EXPECT_EQ(get32(s.file, 10), 54u + 64);
    EXPECT_EQ(get32(s.file, 54 + 4 * 5), 0x000F0A05u);
    const uint8_t rows[8] = {0x11, 0x22, 0x33, 0xFF, 0x11, 0x22, 0x33, 0xFF}; // each pixel doubled
    EXPECT_EQ(0, std::memcmp(s.pixels(), rows, 8));

    // 1-bit 0101 0010 to 3 pixels: source columns 1, 4 and 6 give 1 0 1.
    Scaled m = scale(dir, dib(8, 1, 1, {0x52, 0, 0, 0}, {0, 0, 0, 0, 255, 255, 255, 0}), 3, 1);
    ASSERT_EQ(m.result, 0);
    EXPECT_EQ(m.pixels()[0], 0xA0);
}

TEST(Scale, BitFieldPixelsBecomePlainPixelsOfTheSameBitCount) {
    TempDir dir;
    Scaled s = scale(dir, dib(1, 1, 16, {0xE0, 0x07, 0, 0}).withMasks(0xF800, 0x07E0, 0x001F), 1, 1);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(get32(s.file, 30), kBiRgb);
    EXPECT_EQ(get32(s.file, 54) & 0xFFFF, 0x03E0u); // full green 5-6-5 -> 5-5-5
    // 32 bits with red and blue swapped.
    Scaled s32 = scale(dir, dib(1, 1, 32, {0x10, 0x20, 0x30, 0}).withMasks(0xFF, 0xFF00, 0xFF0000), 1, 1);
    ASSERT_EQ(s32.result, 0);
    EXPECT_EQ(get32(s32.file, 54) & 0xFFFFFF, 0x102030u);
}

TEST(Scale, RlePicturesAreExpandedWithinTheirBlock) {
    TempDir dir;
    // Bottom row: a run of two 1s; end of line; top row: one 2 (the rest
    // never written stays 0); end of picture.
    const Bytes table = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
    Dib rle8 = dib(2, 2, 8, {2, 1, 0, 0, 1, 2, 0, 1}, table, kBiRle8);
    Scaled s = scale(dir, rle8, 2, 2);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(get32(s.file, 30), kBiRgb);
    ASSERT_EQ(s.file.size(), 14u + 40 + 12 + 8);
    EXPECT_EQ(get32(s.file, 46), 3u); // 8 bits keep their table
    EXPECT_EQ(0, std::memcmp(&s.file[54], table.data(), 12));
    EXPECT_EQ(0, std::memcmp(s.pixels(), "\1\1\0\0\2\0\0\0", 8));

    // RLE4: a run of three alternating nibbles, then an absolute run of three
    // whose last pixel falls past the right edge and is dropped.
    Scaled s4 = scale(dir, dib(5, 1, 4, {3, 0x12, 0, 3, 0x34, 0x50, 0, 1}, Bytes(24, 0), kBiRle4), 5, 1);
    ASSERT_EQ(s4.result, 0);
    EXPECT_EQ(0, std::memcmp(s4.pixels(), "\x12\x13\x40\0", 4));

    // An absolute run longer than the data is cut at the block's end.
    Dib cut = rle8;
    cut.pixels = {0, 9, 1, 2};
    cut.sizeImage = 1000;
    Scaled sc = scale(dir, cut, 2, 2);
    ASSERT_EQ(sc.result, 0);
    EXPECT_EQ(0, std::memcmp(sc.pixels(), "\0\0\0\0\0\0\0\0", 8));
}

TEST(Scale, FailuresAndCancelLeaveTheOutputAlone) {
    TempDir dir;
    // Neither BMP nor JPEG: an existing output file stays as it was.
    std::string out = dir.file("keep.bmp");
    writeFile(out, Bytes{1, 2, 3});
    int32_t w = 10, h = 10;
    WallpaperEntry text = entryFor(dir.write(Bytes{'h', 'e', 'l', 'l', 'o'}, ".txt"));
    EXPECT_EQ(scaleToFile(text, u16(out).c_str(), &w, &h, 0, 0), 1);
    EXPECT_EQ(readFile(out), (Bytes{1, 2, 3}));
    EXPECT_EQ(w, 10);

    Dib d = solid24(1, 1, 0x010203);
    EXPECT_EQ(scale(dir, d, 0, 4).result, 1);

    AbortRequest = 1; // the cancel menu (allowInput 0): 2 and no file
    Scaled c = scale(dir, d, 5, 5);
    AbortRequest = 0;
    EXPECT_EQ(c.result, 2);
    EXPECT_TRUE(c.file.empty());
    EXPECT_EQ(c.width, 5);
}

TEST(Logo, FixedPaletteForTrueColourWithTheFastOption) {
    TempDir dir;
    Bytes f;
    ASSERT_EQ(logo(dir, rgb24(3, 2, [](int32_t x, int32_t) { return x == 0 ? 0xFFFFFFu : (x == 1 ? 0x0033FFu : 0u); }), 1,
                   &f),
              1);
    ASSERT_EQ(f.size(), kLogoFileBytes);
    EXPECT_EQ(get32(f, 10), 1078u);
    EXPECT_EQ(get32(f, 18), 320u);
    EXPECT_EQ(get32(f, 22), 400u);
    EXPECT_EQ(get32(f, 46), 256u);
    EXPECT_EQ(get32(f, 50), 246u);
    EXPECT_EQ(get32(f, 54 + 4 * 2), 0x111111u);  // greys step 9, 8, ...
    EXPECT_EQ(get32(f, 54 + 4 * 30), 0xFFFFFFu); // ... to white
    EXPECT_EQ(get32(f, 54 + 4 * 67), 0x330000u); // 31 + 36: the cube, blue fastest
    EXPECT_EQ(get32(f, 54 + 4 * 245), 0xFFFFCCu);
    for (int i = 246; i < 256; ++i)
        EXPECT_EQ(get32(f, 54 + 4 * i), 0u) << i;
    // Left third white (entry 30), middle the exact cube colour, right black.
    const uint8_t* top = &f[1078 + 399 * 320];
    EXPECT_EQ(top[0], 30);
    EXPECT_EQ(top[150], 31 + 6 * 1 + 5);
    EXPECT_EQ(top[319], 0);

    AbortRequest = 1; // a cancelled run counts as done, without a file
    EXPECT_EQ(logo(dir, solid24(1, 1, 0x010203), 1, &f), 1);
    AbortRequest = 0;
    EXPECT_TRUE(f.empty());
}

TEST(Logo, PalettePictureKeepsItsTableAndReducedPictureItsOwn) {
    TempDir dir;
    Bytes f;
    // Red, green; index 7 is past the table and reads as black.
    ASSERT_EQ(logo(dir, dib(2, 1, 4, {0x17, 0, 0, 0}, {0, 0, 200, 0, 0, 200, 0, 0}), 0, &f), 1);
    EXPECT_EQ(get32(f, 50), 2u);
    EXPECT_EQ(get32(f, 54), 0xC80000u);
    EXPECT_EQ(get32(f, 54 + 8), 0u); // entries past the meaningful ones are zero
    const uint8_t* top = &f[1078 + 399 * 320];
    EXPECT_EQ(top[0], 1);
    EXPECT_EQ(top[319], 0); // black is as far from red as from green: the lower index wins

    // A true-colour picture without the fast option gets its own reduction.
    ASSERT_EQ(logo(dir, rgb24(2, 1, [](int32_t x, int32_t) { return x ? 0xFF0000u : 0x0000FFu; }), 0, &f), 1);
    EXPECT_EQ(f.size(), kLogoFileBytes);
    EXPECT_EQ(get32(f, 46), 256u);
    EXPECT_EQ(get32(f, 50), 2u);
}
