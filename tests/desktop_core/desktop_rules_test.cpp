// The arrangement a wallpaper gets and its registry values and Active Desktop
// options (the logo's picture choice is the Windows start-up logo test's).
#include <gtest/gtest.h>

#include <string>

#include "desktop_core/desktop_rules.h"

using namespace desk;

TEST(EffectiveStyle, FittingByAutoStretchAndOnWindows95) {
    const plat::ScreenSize screen{1024, 768};
    const plat::OsVersion w95 = plat::kWindows95, w95b{plat::kPlatformWin9x, 4, 9}, xp = plat::kWindowsXp;
    const struct {
        int32_t style, autoStretch, w, h;
        plat::OsVersion os;
        int32_t expected, keepAspect;
    } cases[] = {
        {kCentred, 1, 1025, 768, xp, kFitted, 1},  // wider than the screen
        {kTiled, 1, 800, 769, xp, kFitted, 1},     // taller
        {kCentred, 1, 1024, 768, xp, kCentred, 1}, // exactly the screen
        {kCentred, 0, 4000, 3000, xp, kCentred, 1}, {kStretched, 1, 4000, 3000, xp, kStretched, 1},
        {kFitted, 1, 100, 100, xp, kFitted, 1},
        {7, 1, 100, 100, xp, kCentred, 1}, {-1, 1, 2000, 100, xp, kFitted, 1}, // damaged records
        {kStretched, 1, 100, 100, w95, kFitted, 0}, // Windows 95 cannot stretch
        {kStretched, 1, 100, 100, w95b, kFitted, 0}, {kCentred, 1, 2000, 2000, w95, kFitted, 1},
        {kStretched, 1, 100, 100, plat::kWindows98, kStretched, 1},
        {kStretched, 1, 100, 100, plat::kWindowsNt4, kStretched, 1},
    };
    for (const auto& c : cases) {
        StyleDecision d = effectiveStyle(c.style, c.autoStretch, screen, c.w, c.h, c.os);
        EXPECT_EQ(std::make_pair(d.style, d.keepAspect), std::make_pair(c.expected, c.keepAspect))
            << "style " << c.style << " " << c.w << "x" << c.h;
    }
    // Without a known screen size every picture would be "larger".
    EXPECT_EQ(effectiveStyle(kCentred, 1, plat::ScreenSize{0, 0}, 10, 10, xp).style, kCentred);
}

TEST(WallpaperRegistry, ValuesAndActiveDesktopOptionsFollowTheStyle) {
    const struct {
        int32_t style;
        std::u16string tile, wallpaperStyle;
        uint32_t activeDesktop;
    } cases[] = {{kCentred, u"0", u"0", 0}, {kTiled, u"1", u"0", 1}, {kStretched, u"0", u"2", 2}, {kFitted, u"0", u"0", 0}};
    for (const auto& c : cases) {
        WallpaperRegistryValues v = registryValuesForStyle(c.style);
        EXPECT_EQ(std::make_pair(std::u16string(v.tile), std::u16string(v.style)), std::make_pair(c.tile, c.wallpaperStyle))
            << c.style;
        EXPECT_EQ(activeDesktopStyle(c.style), c.activeDesktop) << c.style;
    }
}
