// ApplyWallpaper against the real registry, files and system calls: every
// kind of picture ends up as our "desktop.bmp" with the right registry
// values, and every failure is told in the right words.
#include <gtest/gtest.h>

#include <windows.h>

#include "desktop/desktop.h"
#include "desktop_test_support.h"
#include "image/jpeg_to_bmp.h"
#include "image/quantize.h"
#include "image/scale.h"
#include "platform/cancel.h"
#include "platform/system_info.h"
#include "settings/app_settings.h"

using namespace desktest;

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kColorsKey[] = L"Control Panel\\Colors";
const plat::ScreenSize kScreen{1024, 768};

class ApplyWallpaperTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AppSettings = defaultSettings();
        AppSettings.autoStretch = 1;
        AppSettings.reduceColours = 1;
        plat::overrideScreenSize(&kScreen);
        plat::overrideOsVersion(&plat::kWindowsXp);
        plat::overrideDisplayBits(&kTrueColour);
        AbortRequest = 0;
        shown = programFile(u"desktop.bmp");
        temp = programFile(u"~krok1.bmp");
        remove(shown);
        remove(temp);
    }
    void TearDown() override {
        plat::overrideScreenSize(nullptr);
        plat::overrideOsVersion(nullptr);
        plat::overrideDisplayBits(nullptr);
        AbortRequest = 0;
        EXPECT_FALSE(exists(temp)) << "the intermediate file must not outlive a call";
    }

    // Applies and expects success without any message.
    void applyQuietly(const WallpaperEntry& e) {
        ScriptedBoxes boxes({IDOK});
        ASSERT_EQ(ApplyWallpaper(e, 0), 1);
        EXPECT_TRUE(boxes.boxes().empty()) << "unexpected box";
        ASSERT_TRUE(exists(shown));
    }
    void expectRegistry(const std::u16string& tile, const std::u16string& style) {
        EXPECT_EQ(lstrcmpiW(reinterpret_cast<const wchar_t*>(userString(kDesktopKey, L"Wallpaper").c_str()),
                            reinterpret_cast<const wchar_t*>(shown.c_str())),
                  0)
            << "Wallpaper names desktop.bmp";
        EXPECT_EQ(userString(kDesktopKey, L"TileWallpaper"), tile);
        EXPECT_EQ(userString(kDesktopKey, L"WallpaperStyle"), style);
    }
    // Our own conversion of a JPEG, for comparison.
    PackedDib converted(const std::u16string& jpeg) {
        int32_t abortFlag = 0;
        PackedDib dib;
        EXPECT_EQ(convertJpeg(nullptr, jpeg.c_str(), u"", &abortFlag, &dib), 1);
        return dib;
    }

    static constexpr int32_t kTrueColour = 32;
    std::u16string shown, temp;
};

} // namespace

TEST_F(ApplyWallpaperTest, JpegsOfEveryKindAreShownAsOurConversion) {
    for (const char16_t* name : {u"small420.jpg", u"progressive.jpg", u"grey.jpg"}) {
        SCOPED_TRACE(plat::toUtf8(name));
        applyQuietly(entryFor(picture(name), kStyleCentred));
        EXPECT_TRUE(samePicture(loadBmp(shown), converted(picture(name))));
        expectRegistry(u"0", u"0");
    }
    EXPECT_EQ(factsOf(loadBmp(shown)).bits, 8) << "a grey JPEG stays 8 bits";
}

TEST_F(ApplyWallpaperTest, BmpsThatFitAreCopiedUnchanged) {
    testing_support::TempDir dir;
    for (uint16_t bits : {8, 24, 32}) {
        SCOPED_TRACE(bits);
        std::u16string source = dir.file(u"obraz" + plat::fromUtf8(std::to_string(bits)) + u".bmp");
        writeTestBmp(source, 200, 150, bits);
        // A read-only picture must not leave a read-only desktop.bmp behind.
        SetFileAttributesW(reinterpret_cast<const wchar_t*>(source.c_str()), FILE_ATTRIBUTE_READONLY);
        applyQuietly(entryFor(source, kStyleTiled));
        EXPECT_EQ(testing_support::readAll(shown), testing_support::readAll(source));
        EXPECT_EQ(GetFileAttributesW(reinterpret_cast<const wchar_t*>(shown.c_str())) & FILE_ATTRIBUTE_READONLY, 0u);
        expectRegistry(u"1", u"0");
        SetFileAttributesW(reinterpret_cast<const wchar_t*>(source.c_str()), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(ApplyWallpaperTest, LargerThanTheScreenIsFittedByUsAndShownCentred) {
    std::u16string large = picture(u"large420.jpg"); // 1200 x 900
    WallpaperEntry e = entryFor(large, kStyleTiled);
    applyQuietly(e);
    expectRegistry(u"0", u"0");

    testing_support::TempDir dir;
    std::u16string expected = dir.file(u"expected.bmp");
    int32_t w = kScreen.width, h = kScreen.height;
    ASSERT_EQ(scaleToFile(e, expected.c_str(), &w, &h, 1, 0), 0);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_TRUE(samePicture(loadBmp(shown), loadBmp(expected)));

    // Without the option the picture goes to the system as it is.
    AppSettings.autoStretch = 0;
    applyQuietly(e);
    EXPECT_TRUE(samePicture(loadBmp(shown), converted(large)));
    expectRegistry(u"1", u"0");
}

TEST_F(ApplyWallpaperTest, EachStyleReachesTheRegistry) {
    testing_support::TempDir dir;
    std::u16string source = dir.file(u"malý.bmp");
    writeTestBmp(source, 100, 50, 24);

    applyQuietly(entryFor(source, kStyleCentred));
    expectRegistry(u"0", u"0");
    applyQuietly(entryFor(source, kStyleStretched));
    expectRegistry(u"0", u"2");
    EXPECT_EQ(factsOf(loadBmp(shown)).width, 100) << "the system stretches";

    // Our own proportional stretch fills the width, then shows centred.
    applyQuietly(entryFor(source, kStyleStretchedProportionally));
    expectRegistry(u"0", u"0");
    DibFacts fitted = factsOf(loadBmp(shown));
    EXPECT_EQ(fitted.width, 1024);
    EXPECT_EQ(fitted.rows, 512);

    // Windows 95 cannot stretch: we stretch to the exact screen size.
    plat::overrideOsVersion(&plat::kWindows95);
    applyQuietly(entryFor(source, kStyleStretched));
    expectRegistry(u"0", u"0");
    DibFacts exact = factsOf(loadBmp(shown));
    EXPECT_EQ(exact.width, 1024);
    EXPECT_EQ(exact.rows, 768);
}

TEST_F(ApplyWallpaperTest, DesktopColourGoesToSystemRegistryAndWinIni) {
    testing_support::TempDir dir;
    std::u16string source = dir.file(u"barva.bmp");
    writeTestBmp(source, 64, 64, 24);
    WallpaperEntry e = entryFor(source, kStyleCentred);
    e.changeColours = 1;
    e.backgroundColour = RGB(0, 128, 255);
    applyQuietly(e);
    EXPECT_EQ(userString(kColorsKey, L"Background"), u"0 128 255");
    wchar_t ini[32] = {};
    GetProfileStringW(L"colors", L"Background", L"", ini, 32);
    EXPECT_STREQ(ini, L"0 128 255");
    EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(0, 128, 255));

    // Without changeColours the colour is left alone.
    e.changeColours = 0;
    e.backgroundColour = RGB(1, 2, 3);
    applyQuietly(e);
    EXPECT_EQ(userString(kColorsKey, L"Background"), u"0 128 255");
}

TEST_F(ApplyWallpaperTest, UnusablePicturesAreReportedAndChangeNothing) {
    testing_support::TempDir dir;
    std::u16string before = dir.file(u"before.bmp");
    writeTestBmp(before, 32, 32, 24);
    applyQuietly(entryFor(before, kStyleCentred));
    std::vector<uint8_t> previous = testing_support::readAll(shown);

    struct Case {
        std::u16string path;
        std::u16string format;
        uint32_t icon;
    } cases[] = {
        {dir.file(u"chybí.jpg"), u"Nemohu najít tapetu \"%s\".", MB_ICONWARNING},
        {picture(u"not-a-picture.bmp"), u"Chyba při práci s tapetou \"%s\" při jejím nastavování.", MB_ICONWARNING},
        {picture(u"damaged-header.jpg"), u"Chyba při práci s tapetou \"%s\" při jejím nastavování.", MB_ICONWARNING},
        {picture(u"damaged-data.jpg"), u"Nelze dekomprimovat JPEG tapetu: \"%s\".", MB_ICONERROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(plat::toUtf8(c.path.c_str()));
        ScriptedBoxes boxes({IDOK});
        EXPECT_EQ(ApplyWallpaper(entryFor(c.path, kStyleCentred), 1), 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        std::u16string expected = c.format;
        expected.replace(expected.find(u"%s"), 2, c.path);
        EXPECT_EQ(boxes.boxes()[0].text, expected);
        EXPECT_EQ(boxes.boxes()[0].caption, u"Plochar 2.12");
        EXPECT_EQ(boxes.boxes()[0].flags, c.icon);
        EXPECT_EQ(testing_support::readAll(shown), previous);
    }
}

TEST_F(ApplyWallpaperTest, CancelPopupStopsEveryLongStep) {
    testing_support::TempDir dir;
    std::u16string bmp = dir.file(u"zrušit.bmp");
    writeTestBmp(bmp, 64, 64, 24);
    struct Case {
        std::u16string path;
        int32_t style;
    } cases[] = {
        {bmp, kStyleCentred},                    // only the final check
        {picture(u"small420.jpg"), kStyleCentred}, // the conversion
        {picture(u"large420.jpg"), kStyleCentred}, // our stretch
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(plat::toUtf8(c.path.c_str()));
        AbortRequest = 1;
        ScriptedBoxes boxes({IDOK});
        EXPECT_EQ(ApplyWallpaper(entryFor(c.path, c.style), 0), 2);
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_FALSE(exists(temp));
        if (c.path == bmp) {
            EXPECT_FALSE(exists(shown)) << "a cancel after the move leaves no desktop.bmp";
        }
    }
    // On a 256-colour display the reduction can be cancelled too, here by
    // an Esc key press waiting in the queue (the Test button's way).
    const int32_t eight = 8;
    plat::overrideDisplayBits(&eight);
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0));
    ScriptedBoxes boxes({IDOK});
    EXPECT_EQ(ApplyWallpaper(entryFor(bmp, kStyleCentred), 1), 2);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(exists(shown));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST_F(ApplyWallpaperTest, ShallowDisplayReducesDeepPicturesOnly) {
    const int32_t eight = 8;
    plat::overrideDisplayBits(&eight);
    testing_support::TempDir dir;
    std::u16string deep = dir.file(u"hluboký.bmp");
    std::u16string palette = dir.file(u"paleta.bmp");
    writeTestBmp(deep, 120, 90, 24);
    writeTestBmp(palette, 120, 90, 8);

    applyQuietly(entryFor(deep, kStyleCentred));
    EXPECT_EQ(factsOf(loadBmp(shown)).bits, 8);
    std::u16string copy = dir.file(u"kopie.bmp"), expected = dir.file(u"expected.bmp");
    ASSERT_TRUE(CopyFileW(reinterpret_cast<const wchar_t*>(deep.c_str()),
                          reinterpret_cast<const wchar_t*>(copy.c_str()), FALSE));
    ASSERT_EQ(quantizeTo256(entryFor(deep, 0), copy.c_str(), expected.c_str(), 0, PackedDib(), nullptr), 1);
    EXPECT_EQ(testing_support::readAll(shown), testing_support::readAll(expected));

    applyQuietly(entryFor(palette, kStyleCentred));
    EXPECT_EQ(testing_support::readAll(shown), testing_support::readAll(palette));

    // A colour JPEG is reduced, a grey one is not.
    applyQuietly(entryFor(picture(u"small420.jpg"), kStyleCentred));
    EXPECT_EQ(factsOf(loadBmp(shown)).bits, 8);
    applyQuietly(entryFor(picture(u"grey.jpg"), kStyleCentred));
    EXPECT_TRUE(samePicture(loadBmp(shown), converted(picture(u"grey.jpg"))));

    // The option off leaves the depth alone.
    AppSettings.reduceColours = 0;
    applyQuietly(entryFor(deep, kStyleCentred));
    EXPECT_EQ(factsOf(loadBmp(shown)).bits, 24);
}

TEST_F(ApplyWallpaperTest, RegistryThatCannotBeOpenedIsReported) {
    // Point HKEY_CURRENT_USER at an empty key of our own: "Control Panel\Desktop"
    // is missing there, just as when access is denied.
    HKEY scratch = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vorsan\\PlocharTestScratch", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &scratch, nullptr),
              ERROR_SUCCESS);
    testing_support::TempDir dir;
    std::u16string source = dir.file(u"reg.bmp");
    writeTestBmp(source, 16, 16, 24);
    if (RegOverridePredefKey(HKEY_CURRENT_USER, scratch) != ERROR_SUCCESS) {
        RegCloseKey(scratch);
        GTEST_SKIP() << "RegOverridePredefKey is not available";
    }
    ScriptedBoxes boxes({IDOK});
    int result = ApplyWallpaper(entryFor(source, kStyleCentred), 0);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(scratch);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Vorsan\\PlocharTestScratch");
    EXPECT_EQ(result, 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, u"Nelze pracovat s registry.");
    EXPECT_EQ(boxes.boxes()[0].flags, static_cast<uint32_t>(MB_ICONERROR));
    EXPECT_FALSE(exists(shown));
}
