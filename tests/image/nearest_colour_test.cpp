// The nearest-entry search must give exactly the exhaustive answer,
// including ties, for any palette.
#include <gtest/gtest.h>

#include <random>

#include "image/nearest_colour.h"

TEST(NearestColour, AgreesWithExhaustiveSearchOnRandomPalettes) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 40; ++round) {
        uint32_t count = 1 + rng() % 256;
        PaletteColour palette[256];
        // Some palettes on a coarse grid, so that equal distances are common.
        bool coarse = round % 3 == 0;
        for (uint32_t i = 0; i < count; ++i) {
            auto v = [&]() { return static_cast<uint8_t>(coarse ? (rng() % 9) * 32 : rng() % 256); };
            palette[i] = {v(), v(), v()};
        }
        NearestColourMap map;
        ASSERT_TRUE(map.init(palette, count));
        for (int k = 0; k < 4000; ++k) {
            uint8_t r = static_cast<uint8_t>(rng()), g = static_cast<uint8_t>(rng()), b = static_cast<uint8_t>(rng());
            ASSERT_EQ(map.nearest(r, g, b), nearestEntryExhaustive(palette, count, r, g, b))
                << "round " << round << " colour " << int(r) << "," << int(g) << "," << int(b);
        }
    }
}

TEST(NearestColour, AgreesWithExhaustiveSearchOverAGridOfAllColours) {
    std::mt19937 rng(99);
    PaletteColour palette[256];
    for (auto& e : palette)
        e = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
    NearestColourMap map;
    ASSERT_TRUE(map.init(palette, 256));
    for (int r = 0; r < 256; r += 5)
        for (int g = 1; g < 256; g += 5)
            for (int b = 2; b < 256; b += 5)
                ASSERT_EQ(map.nearest(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)),
                          nearestEntryExhaustive(palette, 256, static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                                 static_cast<uint8_t>(b)));
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
