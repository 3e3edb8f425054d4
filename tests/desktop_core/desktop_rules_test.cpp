// The decisions of applying a wallpaper, recolouring labels and the logo.
#include <gtest/gtest.h>

#include <string>

#include "desktop_core/desktop_rules.h"

using namespace desk;

namespace {

const plat::ScreenSize kScreen{1024, 768};

} // namespace

TEST(PictureHeader, KindIsDecidedByContentAndNeedsThreeBytes) {
    const uint8_t bmp[] = {'B', 'M', 0};
    const uint8_t jpeg[] = {0xFF, 0xD8, 0xFF};
    const uint8_t jpegNoMarker[] = {0xFF, 0xD8, 0x00};
    const uint8_t text[] = {'G', 'I', 'F'};
    EXPECT_EQ(pictureKind(bmp, 3), PictureKind::Bmp);
    EXPECT_EQ(pictureKind(jpeg, 3), PictureKind::Jpeg);
    EXPECT_EQ(pictureKind(jpegNoMarker, 3), PictureKind::Unknown);
    EXPECT_EQ(pictureKind(text, 3), PictureKind::Unknown);
    EXPECT_EQ(pictureKind(bmp, 2), PictureKind::Unknown); // a two-byte file "BM"
    EXPECT_EQ(pictureKind(nullptr, 3), PictureKind::Unknown);
}

TEST(EffectiveStyle, AutoStretchFitsOnlyCentredOrTiledPicturesLargerThanTheScreen) {
    const auto xp = plat::kWindowsXp;
    struct Case {
        int32_t style, autoStretch, w, h, expected;
    } cases[] = {
        {kCentred, 1, 1025, 768, kFitted},     // wider
        {kTiled, 1, 800, 769, kFitted},        // taller
        {kCentred, 1, 1024, 768, kCentred},    // exactly the screen
        {kTiled, 1, 320, 200, kTiled},         // smaller
        {kCentred, 0, 4000, 3000, kCentred},   // option off
        {kStretched, 1, 4000, 3000, kStretched},
        {kFitted, 1, 100, 100, kFitted},       // fitting small pictures is the user's wish
        {7, 1, 100, 100, kCentred},            // damaged record
        {-1, 1, 2000, 100, kFitted},
    };
    for (const Case& c : cases) {
        StyleDecision d = effectiveStyle(c.style, c.autoStretch, kScreen, c.w, c.h, xp);
        EXPECT_EQ(d.style, c.expected) << "style " << c.style << " " << c.w << "x" << c.h;
        EXPECT_EQ(d.keepAspect, 1);
    }
    // Without a known screen size every picture would be "larger".
    EXPECT_EQ(effectiveStyle(kCentred, 1, plat::ScreenSize{0, 0}, 10, 10, xp).style, kCentred);
}

TEST(EffectiveStyle, Windows95StretchesByProgramWithoutKeepingTheAspect) {
    StyleDecision d = effectiveStyle(kStretched, 1, kScreen, 100, 100, plat::kWindows95);
    EXPECT_EQ(d.style, kFitted);
    EXPECT_EQ(d.keepAspect, 0);
    d = effectiveStyle(kStretched, 1, kScreen, 100, 100, plat::OsVersion{plat::kPlatformWin9x, 4, 9});
    EXPECT_EQ(d.keepAspect, 0);
    // Windows 98, ME and every NT leave the stretch to the system.
    for (auto os : {plat::kWindows98, plat::OsVersion{plat::kPlatformWin9x, 4, 90}, plat::kWindowsNt4,
                     plat::kWindows2000, plat::kWindowsXp}) {
        d = effectiveStyle(kStretched, 1, kScreen, 100, 100, os);
        EXPECT_EQ(d.style, kStretched);
        EXPECT_EQ(d.keepAspect, 1);
    }
    // A large centred picture on Windows 95 is fitted keeping its aspect.
    d = effectiveStyle(kCentred, 1, kScreen, 2000, 2000, plat::kWindows95);
    EXPECT_EQ(d.style, kFitted);
    EXPECT_EQ(d.keepAspect, 1);
    EXPECT_TRUE(isWindows95(plat::kWindows95));
    EXPECT_FALSE(isWindows95(plat::OsVersion{plat::kPlatformNt, 4, 0}));
}

TEST(ColourReduction, OnlyDeepPicturesOnShallowKnownDisplays) {
    EXPECT_TRUE(needsColourReduction(1, true, 8, 24));
    EXPECT_TRUE(needsColourReduction(1, true, 4, 16));
    EXPECT_TRUE(needsColourReduction(1, true, 8, 32));
    EXPECT_FALSE(needsColourReduction(1, true, 8, 8));   // 8-bit BMP, grey JPEG
    EXPECT_FALSE(needsColourReduction(1, true, 16, 24)); // high colour display
    EXPECT_FALSE(needsColourReduction(0, true, 8, 24));  // option off
    EXPECT_FALSE(needsColourReduction(1, false, 8, 24)); // depth unknown
}

TEST(DesktopColour, TextIsRedGreenBlueInDecimal) {
    char16_t text[16];
    colourText(0xFF8000, text, 16); // RGB(0, 128, 255)
    EXPECT_EQ(std::u16string(text), u"0 128 255");
    colourText(0xAB0A6409, text, 16); // the high byte is not a colour
    EXPECT_EQ(std::u16string(text), u"9 100 10");
    char16_t tiny[4];
    colourText(0xFFFFFF, tiny, 4);
    EXPECT_EQ(std::u16string(tiny), u"255");
}

TEST(WallpaperRegistry, ValuesAndActiveDesktopOptionsFollowTheStyle) {
    struct Case {
        int32_t style;
        std::u16string tile, wallpaperStyle;
        uint32_t adStyle;
    } cases[] = {{kCentred, u"0", u"0", 0}, {kTiled, u"1", u"0", 1}, {kStretched, u"0", u"2", 2}, {kFitted, u"0", u"0", 0}};
    for (const Case& c : cases) {
        WallpaperRegistryValues v = registryValuesForStyle(c.style);
        EXPECT_EQ(v.tile, c.tile) << c.style;
        EXPECT_EQ(v.style, c.wallpaperStyle) << c.style;
        EXPECT_EQ(activeDesktopStyle(c.style), c.adStyle);
    }
    EXPECT_EQ(activeDesktopApplyFlags(0), 7u);
    EXPECT_EQ(activeDesktopApplyFlags(1), 15u);
}

TEST(IconLabels, ListviewShadowExistsFromXpOn) {
    for (auto os : {plat::kWindows98, plat::kWindowsNt4, plat::kWindows2000})
        EXPECT_FALSE(listviewShadowAvailable(os));
    // Vista and later have the setting too, although their minor version is 0.
    for (auto os : {plat::kWindowsXp, plat::OsVersion{plat::kPlatformNt, 6, 0}, plat::OsVersion{plat::kPlatformNt, 10, 0}})
        EXPECT_TRUE(listviewShadowAvailable(os));
}

TEST(IconLabels, WhiteIsAlwaysSetOtherColoursOnlyWhenDifferent) {
    EXPECT_TRUE(labelColourNeedsSetting(0x000000, 0xFFFFFF));
    EXPECT_TRUE(labelColourNeedsSetting(0xFFFFFF, 0xFFFFFF));
    EXPECT_TRUE(labelColourNeedsSetting(0xFFFFFF, 0x00FFFF));
    EXPECT_FALSE(labelColourNeedsSetting(0x00FFFF, 0x00FFFF));
}

TEST(StartupLogo, PathsAreInTheRootOfTheWindowsDrive) {
    char16_t out[270];
    ASSERT_TRUE(windowsRootFile(u"D:\\WINDOWS", u"logo.sys", out, 270));
    EXPECT_EQ(std::u16string(out), u"D:\\logo.sys");
    ASSERT_TRUE(windowsRootFile(u"C:\\", u"logo_sys.ori", out, 270));
    EXPECT_EQ(std::u16string(out), u"C:\\logo_sys.ori");
    EXPECT_FALSE(windowsRootFile(u"C:", u"logo.sys", out, 270));
    EXPECT_EQ(out[0], 0);
    char16_t small[6];
    ASSERT_TRUE(windowsRootFile(u"C:\\WIN", u"logo.sys", small, 6));
    EXPECT_EQ(std::u16string(small), u"C:\\lo");
}

TEST(StartupLogo, EntryChoiceCoversEveryEntryEvenly) {
    EXPECT_EQ(logoEntryNumber(12345, 0), 0);
    for (int32_t r : {0, 1, 32767})
        EXPECT_EQ(logoEntryNumber(r, 1), 1);
    int counts[5] = {};
    for (int32_t r = 0; r < 32768; ++r) {
        int32_t k = logoEntryNumber(r, 5);
        ASSERT_GE(k, 1);
        ASSERT_LE(k, 5);
        ++counts[k - 1];
    }
    for (int c : counts)
        EXPECT_NEAR(c, 32768 / 5, 2);
}

TEST(StartupLogo, BackupIsExpectedUnlessTheFirstStartFoundNoLogo) {
    EXPECT_TRUE(logoBackupExpected(false, 0));
    EXPECT_TRUE(logoBackupExpected(true, 1));
    EXPECT_FALSE(logoBackupExpected(true, 2));
    EXPECT_TRUE(logoBackupExpected(true, 7));
}
