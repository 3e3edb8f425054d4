// Scaling and the start-up logo: sizes, the resampler's pixel choice, every
// source form (a cancelled stretch is the desktop tests').
#include <gtest/gtest.h>

#include "image/scale.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

// The BMP made of `picture` at w x h.
Bytes scaled(TempDir& dir, const Dib& picture, int32_t w, int32_t h) {
    std::u16string out = dir.file(u"out.bmp");
    EXPECT_EQ(scaleToFile(entryFor(writeTemp(dir, picture.file())), out.c_str(), &w, &h, 0, 0), 0);
    Bytes file = readAll(out);
    std::filesystem::remove(std::filesystem::path(out));
    return file;
}

Bytes logo(TempDir& dir, const Dib& picture, int32_t fast) {
    std::u16string out = dir.file(u"logo.sys");
    EXPECT_EQ(buildLogoBitmap(entryFor(writeTemp(dir, picture.file())), out.c_str(), fast), 1);
    Bytes file = readAll(out);
    std::filesystem::remove(std::filesystem::path(out));
    return file;
}

} // namespace

TEST(Scale, KeepAspectFitsTheBoxAndTheResamplerTakesThePixelUnderEachCentre) {
    const int32_t fits[][6] = {
        {1600, 1200, 1024, 768, 1024, 768}, // equal ratios keep the height
        {1000, 500, 800, 600, 800, 400}, {500, 1000, 800, 600, 300, 600},
        {100, 50, 1024, 768, 1024, 512}, // enlarged too
        {1, 5000, 800, 600, 1, 600},     // never 0 wide
        {47, 470, 1000, 480, 47, 480},   // 480 / 470 * 47 in double precision is just under 48
    };
    for (const auto& c : fits) {
        int32_t w = c[2], h = c[3];
        fitInBox(c[0], c[1], &w, &h);
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(c[4], c[5])) << c[0] << "x" << c[1];
    }
    // Symmetric when reducing: source pixel (2i + 1) * n / 2m.
    const uint32_t picks[][4] = {{0, 4, 2, 1}, {1, 4, 2, 3}, {0, 7, 1, 3}, {65534, 65535, 65535, 65534}};
    for (const auto& p : picks)
        EXPECT_EQ(resampleIndex(p[0], p[1], p[2]), p[3]) << p[0] << " of " << p[2] << " from " << p[1];
}

TEST(Scale, EverySourceFormBecomesPlainRowsOfItsBitCountAndTable) {
    const uint32_t A = 0x112233, B = 0x445566, C = 0x778899, D = 0xAABBCC; // A B over C D
    auto quad = [=](int32_t x, int32_t topRow) { return topRow == 0 ? (x ? B : A) : (x ? D : C); };
    const Bytes doubled = rgb24(4, 4, [&](int32_t x, int32_t y) { return quad(x / 2, (3 - y) / 2); }).pixels;
    Dib core = dib(4, 1, 4, {0x12, 0x3F, 0, 0}); // 3-byte entries become 4-byte ones
    core.headerSize = 12;
    Bytes coreTable;
    for (uint8_t i = 0; i < 16; ++i) {
        core.table.insert(core.table.end(), {i, uint8_t(2 * i), uint8_t(3 * i)});
        coreTable.insert(coreTable.end(), {i, uint8_t(2 * i), uint8_t(3 * i), 0});
    }
    const Bytes mono = {0, 0, 0, 0, 255, 255, 255, 0}, rleTable = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
    // RLE8: a run of two 1s, end of line, one 2, end of picture (the rest 0).
    // RLE4: alternating nibbles, then an absolute run past the right edge.
    const struct {
        const char* what;
        Dib picture;
        int32_t width, height;
        Bytes table, pixels;
    } cases[] = {
        {"24 bits doubled", rgb24(2, 2, [&](int32_t x, int32_t y) { return quad(x, 1 - y); }), 4, 4, {}, doubled},
        {"24 bits top-down", rgb24(2, -2, quad), 4, 4, {}, doubled},
        {"4-bit core header", core, 8, 2, coreTable, {0x11, 0x22, 0x33, 0xFF, 0x11, 0x22, 0x33, 0xFF}},
        {"1 bit: columns 1, 4, 6", dib(8, 1, 1, {0x52, 0, 0, 0}, mono), 3, 1, mono, {0xA0, 0, 0, 0}},
        {"5-6-5 green to 5-5-5", dib(1, 1, 16, {0xE0, 0x07, 0, 0}).withMasks(0xF800, 0x07E0, 0x001F), 1, 1, {},
         {0xE0, 0x03, 0, 0}},
        {"RLE8", dib(2, 2, 8, {2, 1, 0, 0, 1, 2, 0, 1}, rleTable, kBiRle8), 2, 2, rleTable, {1, 1, 0, 0, 2, 0, 0, 0}},
        {"RLE4", dib(5, 1, 4, {3, 0x12, 0, 3, 0x34, 0x50, 0, 1}, Bytes(24, 0), kBiRle4), 5, 1, Bytes(24, 0),
         {0x12, 0x13, 0x40, 0}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        // biClrUsed: the source's entries
        EXPECT_EQ(scaled(dir, c.picture, c.width, c.height), dib(c.width, c.height, c.picture.bitCount, c.pixels, c.table).file())
            << c.what;
    }
}

TEST(Logo, FixedPaletteForTrueColourAndTheSourcesOwnTableOtherwise) {
    TempDir dir;
    using U = std::vector<uint32_t>;
    // White, a cube colour, black on the fixed palette: greys step 9, 8, ...
    // to white (entry 30), then the cube, blue fastest.
    Bytes f = logo(dir, rgb24(3, 2, [](int32_t x, int32_t) { return x == 0 ? 0xFFFFFFu : (x == 1 ? 0x0033FFu : 0u); }),
                   1);
    ASSERT_EQ(f.size(), 14u + 40 + 1024 + 320 * 400);
    auto top = [&](int32_t x) { return uint32_t(f[1078 + 399 * 320 + x]); };
    EXPECT_EQ(U({get32(f, 10), get32(f, 46), get32(f, 50), get32(f, 54 + 4 * 2), get32(f, 54 + 4 * 30),
                 get32(f, 54 + 4 * 67), get32(f, 54 + 4 * 246), top(0), top(150), top(319)}),
              U({1078, 256, 246, 0x111111, 0xFFFFFF, 0x330000, 0, 30, 31 + 6 * 1 + 5, 0}));
    // Red, green; index 7 is past the table and reads as black, as far from
    // red as from green: the lower index wins. Later entries are zero.
    f = logo(dir, dib(2, 1, 4, {0x17, 0, 0, 0}, {0, 0, 200, 0, 0, 200, 0, 0}), 0);
    EXPECT_EQ(U({get32(f, 50), get32(f, 54), get32(f, 54 + 8), top(0), top(319)}), U({2, 0xC80000, 0, 1, 0}));
    // True colour without the fast option gets a reduction of its own.
    EXPECT_EQ(get32(logo(dir, rgb24(2, 1, [](int32_t x, int32_t) { return x ? 0xFF0000u : 0x0000FFu; }), 0), 50), 2u);
    AbortRequest = 1; // a cancelled run counts as done, without a file
    EXPECT_TRUE(logo(dir, solid24(1, 1, 0x010203), 1).empty());
    AbortRequest = 0;
}
