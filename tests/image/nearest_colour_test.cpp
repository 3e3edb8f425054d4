// The nearest-entry search must give exactly the exhaustive answer,
// including ties, for any palette.
#include <gtest/gtest.h>

#include <random>

#include "image/nearest_colour.h"

TEST(NearestColour, AgreesWithExhaustiveSearchOnRandomPalettes) {
    std::mt19937 rng(12345);
    auto byte = [&]() { return static_cast<uint8_t>(rng()); };
    for (int round = 0; round < 41; ++round) {
        // Some palettes on a coarse grid, so that equal distances are common;
        // the last one full, probed over a grid of all colours.
        bool coarse = round % 3 == 0, last = round == 40;
        uint32_t count = last ? 256 : 1 + rng() % 256;
        PaletteColour palette[256];
        for (uint32_t i = 0; i < count; ++i)
            for (uint8_t* c : {&palette[i].red, &palette[i].green, &palette[i].blue})
                *c = coarse ? static_cast<uint8_t>((rng() % 9) * 32) : byte();
        NearestColourMap map;
        ASSERT_TRUE(map.init(palette, count));
        auto check = [&](uint8_t r, uint8_t g, uint8_t b) {
            ASSERT_EQ(map.nearest(r, g, b), nearestEntryExhaustive(palette, count, r, g, b))
                << "round " << round << " colour " << int(r) << "," << int(g) << "," << int(b);
        };
        for (int k = 0; k < 4000 && !last; ++k)
            check(byte(), byte(), byte());
        for (int r = 0; r < 256 && last; r += 5)
            for (int g = 1; g < 256; g += 5)
                for (int b = 2; b < 256; b += 5)
                    check(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
    }
}

TEST(NearestColour, TiesGoToTheLowestIndex) {
    // 10 is as far from 0 as from 20; duplicates resolve to the first copy.
    PaletteColour palette[4] = {{20, 0, 0}, {0, 0, 0}, {20, 0, 0}, {0, 0, 0}};
    NearestColourMap map;
    ASSERT_TRUE(map.init(palette, 4));
    EXPECT_EQ(map.nearest(10, 0, 0), 0);
    EXPECT_EQ(map.nearest(9, 0, 0), 1);
    EXPECT_EQ(map.nearest(255, 255, 255), 0);
}
