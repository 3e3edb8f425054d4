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
};

Scaled scale(TempDir& dir, const Bytes& picture, int32_t w, int32_t h, int32_t keepAspect = 0) {
    static int counter = 0;
    std::string in = dir.file("in" + std::to_string(++counter) + ".bmp");
    std::string out = dir.file("out" + std::to_string(counter) + ".bmp");
    writeFile(in, picture);
    WallpaperEntry entry;
    std::u16string p = plat::fromUtf8(in);
    plat::copyText(entry.path, plat::kPathUnits, p.c_str());
    Scaled s{0, w, h, {}};
    s.result = scaleToFile(entry, plat::fromUtf8(out).c_str(), &s.width, &s.height, keepAspect, 0);
    s.file = readFile(out);
    return s;
}

int logo(TempDir& dir, const Bytes& picture, int32_t fast, Bytes* file) {
    static int counter = 0;
    std::string in = dir.file("logo-in" + std::to_string(++counter) + ".bmp");
    std::string out = dir.file("logo" + std::to_string(counter) + ".sys");
    writeFile(in, picture);
    WallpaperEntry entry;
    std::u16string p = plat::fromUtf8(in);
    plat::copyText(entry.path, plat::kPathUnits, p.c_str());
    int r = buildLogoBitmap(entry, plat::fromUtf8(out).c_str(), fast);
    *file = readFile(out);
    return r;
}

// Pixel of a 24-bit BMP file, counted from the top.
uint32_t rgbAt(const Bytes& f, int32_t x, int32_t topRow) {
    int32_t w = static_cast<int32_t>(get32(f, 18)), h = static_cast<int32_t>(get32(f, 22));
    size_t at = get32(f, 10) + static_cast<size_t>(h - 1 - topRow) * strideOf(w, 24) + 3 * x;
    return f[at + 2] << 16 | f[at + 1] << 8 | f[at];
}

} // namespace

TEST(Scale, KeepAspectFitsTheBoxOnOneSide) {
    auto fit = [](int32_t sw, int32_t sh, int32_t w, int32_t h) {
        fitInBox(sw, sh, &w, &h);
        return std::make_pair(w, h);
    };
    EXPECT_EQ(fit(1600, 1200, 1024, 768), std::make_pair(1024, 768)); // equal ratios keep the height
    EXPECT_EQ(fit(1000, 500, 800, 600), std::make_pair(800, 400));
    EXPECT_EQ(fit(500, 1000, 800, 600), std::make_pair(300, 600));
    EXPECT_EQ(fit(100, 50, 1024, 768), std::make_pair(1024, 512)); // enlarged too
    EXPECT_EQ(fit(1, 5000, 800, 600), std::make_pair(1, 600));     // never 0 wide
}

TEST(Scale, ResamplerTakesThePixelUnderEachOutputCentre) {
    // Enlarging repeats, reducing drops; the choice is symmetric.
    const uint32_t up[4] = {0, 0, 1, 1};
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(resampleIndex(i, 2, 4), up[i]);
    EXPECT_EQ(resampleIndex(0, 4, 2), 1u);
    EXPECT_EQ(resampleIndex(1, 4, 2), 3u);
    EXPECT_EQ(resampleIndex(0, 3, 2), 0u);
    EXPECT_EQ(resampleIndex(1, 3, 2), 2u);
    EXPECT_EQ(resampleIndex(0, 7, 1), 3u);
    EXPECT_EQ(resampleIndex(65534, 65535, 65535), 65534u);
}

TEST(Scale, TwentyFourBitPictureDoublesExactly) {
    TempDir dir;
    Dib d;
    d.width = 2;
    d.height = 2;
    // Stored bottom-up: storage row 0 is the bottom row (C D), row 1 the top (A B).
    const uint32_t A = 0x112233, B = 0x445566, C = 0x778899, D = 0xAABBCC;
    d.pixels = rows24(2, 2, [&](int32_t x, int32_t y) { return y == 1 ? (x ? B : A) : (x ? D : C); });
    Scaled s = scale(dir, d.file(), 4, 4);
    ASSERT_EQ(s.result, 0);
    ASSERT_EQ(s.file.size(), 14u + 40 + 4 * 12);
    EXPECT_EQ(get32(s.file, 10), 54u);
    EXPECT_EQ(get16(s.file, 28), 24);
    EXPECT_EQ(get32(s.file, 46), 0u); // no table
    const uint32_t expected[4][4] = {{A, A, B, B}, {A, A, B, B}, {C, C, D, D}, {C, C, D, D}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(rgbAt(s.file, x, y), expected[y][x]) << x << "," << y;

    // The same picture stored top-down comes out the same way up.
    Dib t = d;
    t.height = -2;
    t.pixels = rows24(2, 2, [&](int32_t x, int32_t y) { return y == 0 ? (x ? B : A) : (x ? D : C); });
    Scaled st = scale(dir, t.file(), 4, 4);
    ASSERT_EQ(st.result, 0);
    EXPECT_EQ(st.file, s.file);
}

TEST(Scale, PalettePicturesKeepBitCountAndTable) {
    TempDir dir;
    // 4-bit core-header source: 3-byte entries become 4-byte ones.
    Dib core;
    core.headerSize = 12;
    core.width = 4;
    core.height = 1;
    core.bitCount = 4;
    for (int i = 0; i < 16; ++i)
        core.table.insert(core.table.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), static_cast<uint8_t>(3 * i)});
    core.pixels = {0x12, 0x3F, 0, 0};
    Scaled s = scale(dir, core.file(), 8, 2);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(get16(s.file, 28), 4);
    EXPECT_EQ(get32(s.file, 46), 16u); // biClrUsed = source entries
    EXPECT_EQ(get32(s.file, 50), 0u);  // biClrImportant of a core source
    EXPECT_EQ(get32(s.file, 10), 54u + 64);
    EXPECT_EQ(s.file[54 + 4 * 5 + 2], 15);
    EXPECT_EQ(s.file[54 + 4 * 5 + 3], 0);
    // Each pixel doubled: 1 1 2 2 3 3 F F on both rows.
    const uint8_t row[4] = {0x11, 0x22, 0x33, 0xFF};
    EXPECT_EQ(0, std::memcmp(&s.file[118], row, 4));
    EXPECT_EQ(0, std::memcmp(&s.file[122], row, 4));

    // 1-bit: bits repacked, 8 pixels into 3.
    Dib mono;
    mono.width = 8;
    mono.height = 1;
    mono.bitCount = 1;
    mono.table = {0, 0, 0, 0, 255, 255, 255, 0};
    mono.pixels = {0xB4, 0, 0, 0}; // 1011 0100
    Scaled m = scale(dir, mono.file(), 3, 1);
    ASSERT_EQ(m.result, 0);
    // Output columns 0, 1, 2 take source columns 1, 4 and 6.
    uint8_t bits = m.file[get32(m.file, 10)];
    uint8_t expected = static_cast<uint8_t>(((0xB4 >> (7 - 1)) & 1) << 7 | ((0xB4 >> (7 - 4)) & 1) << 6 |
                                            ((0xB4 >> (7 - 6)) & 1) << 5);
    EXPECT_EQ(bits, expected);
}

TEST(Scale, BitFieldPixelsBecomePlainPixelsOfTheSameBitCount) {
    TempDir dir;
    Dib f;
    f.width = 1;
    f.height = 1;
    f.bitCount = 16;
    f.compression = 3;
    f.masks[0] = 0xF800, f.masks[1] = 0x07E0, f.masks[2] = 0x001F;
    f.pixels = {0xE0, 0x07, 0, 0}; // full green in 5-6-5
    Scaled s = scale(dir, f.file(), 1, 1);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(get32(s.file, 30), 0u); // BI_RGB
    EXPECT_EQ(get16(s.file, 54), 0x03E0); // full green in 5-5-5

    Dib f32 = f;
    f32.bitCount = 32;
    f32.masks[0] = 0x000000FF, f32.masks[1] = 0x0000FF00, f32.masks[2] = 0x00FF0000; // R and B swapped
    f32.pixels = {0x10, 0x20, 0x30, 0x00};
    Scaled s32 = scale(dir, f32.file(), 1, 1);
    ASSERT_EQ(s32.result, 0);
    EXPECT_EQ(s32.file[54], 0x30); // blue
    EXPECT_EQ(s32.file[56], 0x10); // red
}

TEST(Scale, RlePicturesAreExpandedBeforeTheStretch) {
    TempDir dir;
    Dib rle8;
    rle8.width = 2;
    rle8.height = 2;
    rle8.bitCount = 8;
    rle8.compression = 1;
    rle8.clrUsed = 3;
    rle8.table.assign(12, 0);
    // Bottom row: a run of two 1s; end of line; top row: one 2 (the rest
    // never written stays 0); end of picture.
    rle8.pixels = {2, 1, 0, 0, 1, 2, 0, 1};
    Scaled s = scale(dir, rle8.file(), 2, 2);
    ASSERT_EQ(s.result, 0);
    EXPECT_EQ(get32(s.file, 30), 0u); // plain rows
    EXPECT_EQ(get32(s.file, 46), 3u);
    const uint8_t rows[8] = {1, 1, 0, 0, 2, 0, 0, 0};
    ASSERT_EQ(s.file.size(), 14u + 40 + 12 + 8);
    EXPECT_EQ(0, std::memcmp(&s.file[66], rows, 8));

    // RLE4: a run of three alternating nibbles, then an absolute run of three
    // of which the last falls past the right edge and is dropped.
    Dib rle4;
    rle4.width = 5;
    rle4.height = 1;
    rle4.bitCount = 4;
    rle4.compression = 2;
    rle4.clrUsed = 6;
    rle4.table.assign(24, 0);
    rle4.pixels = {3, 0x12, 0, 3, 0x34, 0x50, 0, 1};
    Scaled s4 = scale(dir, rle4.file(), 5, 1);
    ASSERT_EQ(s4.result, 0);
    const uint8_t row4[4] = {0x12, 0x13, 0x40, 0};
    EXPECT_EQ(0, std::memcmp(&s4.file[get32(s4.file, 10)], row4, 4));

    // RLE data running past the block is cut at its end, not read beyond.
    Dib cut = rle8;
    cut.pixels = {0, 9, 1, 2};
    cut.sizeImage = 1000;
    Scaled sc = scale(dir, cut.file(), 2, 2);
    ASSERT_EQ(sc.result, 0);
    EXPECT_EQ(0, std::memcmp(&sc.file[66], "\0\0\0\0\0\0\0\0", 8));
}

TEST(Scale, FailuresAndCancelLeaveTheOutputAlone) {
    TempDir dir;
    // Neither BMP nor JPEG: an existing output file stays as it was.
    std::string in = dir.file("note.txt"), out = dir.file("keep.bmp");
    writeFile(in, Bytes{'h', 'e', 'l', 'l', 'o'});
    writeFile(out, Bytes{1, 2, 3});
    WallpaperEntry entry;
    plat::copyText(entry.path, plat::kPathUnits, plat::fromUtf8(in).c_str());
    int32_t w = 10, h = 10;
    EXPECT_EQ(scaleToFile(entry, plat::fromUtf8(out).c_str(), &w, &h, 0, 0), 1);
    EXPECT_EQ(readFile(out), (Bytes{1, 2, 3}));
    EXPECT_EQ(w, 10);

    Dib d;
    d.pixels = {1, 2, 3, 0};
    EXPECT_EQ(scale(dir, d.file(), 0, 4).result, 1);

    // Cancelled through the cancel menu (allowInput 0): 2 and no file.
    std::string in2 = dir.file("c.bmp"), out2 = dir.file("c-out.bmp");
    writeFile(in2, d.file());
    plat::copyText(entry.path, plat::kPathUnits, plat::fromUtf8(in2).c_str());
    AbortRequest = 1;
    w = h = 5;
    EXPECT_EQ(scaleToFile(entry, plat::fromUtf8(out2).c_str(), &w, &h, 0, 0), 2);
    EXPECT_FALSE(fileExists(out2));
    EXPECT_EQ(w, 5);
    AbortRequest = 0;
}

TEST(Logo, FixedPaletteForTrueColourWithTheFastOption) {
    TempDir dir;
    Dib d;
    d.width = 3;
    d.height = 2;
    d.pixels = rows24(3, 2, [](int32_t x, int32_t) { return x == 0 ? 0xFFFFFFu : (x == 1 ? 0x0033FFu : 0x000000u); });
    Bytes f;
    ASSERT_EQ(logo(dir, d.file(), 1, &f), 1);
    ASSERT_EQ(f.size(), 14u + 40 + 1024 + 320 * 400);
    EXPECT_EQ(get32(f, 10), 1078u);
    EXPECT_EQ(get32(f, 18), 320u);
    EXPECT_EQ(get32(f, 22), 400u);
    EXPECT_EQ(get32(f, 46), 256u);
    EXPECT_EQ(get32(f, 50), 246u);
    const uint8_t* table = &f[54];
    EXPECT_EQ(table[4 * 30], 255); // entry 30: white
    EXPECT_EQ(table[4 * 1], 9);
    EXPECT_EQ(table[4 * 2], 17);
    EXPECT_EQ(table[4 * 32], 51);     // cube: blue fastest
    EXPECT_EQ(table[4 * 67 + 2], 51); // 31 + 36: red 51
    for (int i = 246; i < 256; ++i)
        EXPECT_EQ(get32(f, 54 + 4 * i), 0u);
    // Left third white (entry 30), middle the exact cube colour, right black (0).
    const uint8_t* top = &f[1078 + 399 * 320];
    EXPECT_EQ(top[0], 30);
    EXPECT_EQ(top[150], 31 + 36 * 0 + 6 * 1 + 5);
    EXPECT_EQ(top[319], 0);
}

TEST(Logo, PalettePictureKeepsItsTableAndReducedPictureItsOwn) {
    TempDir dir;
    Dib p;
    p.width = 2;
    p.height = 1;
    p.bitCount = 4;
    p.clrUsed = 2;
    p.table = {0, 0, 200, 0, 0, 200, 0, 0}; // red, green
    p.pixels = {0x17, 0, 0, 0};             // index 7 is past the table: black
    Bytes f;
    ASSERT_EQ(logo(dir, p.file(), 0, &f), 1);
    EXPECT_EQ(get32(f, 50), 2u);
    EXPECT_EQ(f[54 + 2], 200);
    EXPECT_EQ(get32(f, 54 + 8), 0u); // entries past the meaningful ones are zero
    const uint8_t* top = &f[1078 + 399 * 320];
    EXPECT_EQ(top[0], 1);   // green
    // Black is as far from red as from green: the lower index wins.
    EXPECT_EQ(top[319], 0);

    // A true-colour picture without the fast option gets its own reduction.
    Dib t;
    t.width = 2;
    t.height = 1;
    t.pixels = rows24(2, 1, [](int32_t x, int32_t) { return x ? 0xFF0000u : 0x0000FFu; });
    ASSERT_EQ(logo(dir, t.file(), 0, &f), 1);
    EXPECT_EQ(get32(f, 46), 256u);
    EXPECT_EQ(get32(f, 50), 2u);
    EXPECT_EQ(f.size(), 14u + 40 + 1024 + 320 * 400);
}

TEST(Logo, CancelledRunCountsAsDoneWithoutAFile) {
    TempDir dir;
    Dib t;
    t.pixels = {1, 2, 3, 0};
    AbortRequest = 1;
    Bytes f;
    EXPECT_EQ(logo(dir, t.file(), 1, &f), 1);
    EXPECT_TRUE(f.empty());
    AbortRequest = 0;
}
