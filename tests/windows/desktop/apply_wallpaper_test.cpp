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
#include "platform/working_folder.h"
#include "settings/app_settings.h"

using namespace desktest;

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const plat::ScreenSize kScreen{1024, 768};
const int32_t kTrueColour = 32, kEightBits = 8;
const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

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
    void applyQuietly(const WallpaperEntry& e) {
        ScriptedBoxes boxes({IDOK});
        ASSERT_EQ(ApplyWallpaper(e, 0), 1);
        EXPECT_TRUE(boxes.boxes().empty()) << "unexpected box";
        ASSERT_TRUE(exists(shown));
    }
    std::u16string bmp(uint16_t bits, int32_t w, int32_t h) {
        std::u16string path = dir.file(u"obrázek" + plat::fromUtf8(std::to_string(++made)) + u".bmp");
        writeTestBmp(path, w, h, bits);
        return path;
    }
    // A 24-bit BMP with the 32-bit field at `at` (16-bit when short) changed.
    std::u16string broken(size_t at, uint32_t value, bool shortField = false) {
        std::u16string path = bmp(24, 20, 10);
        std::vector<uint8_t> b = testing_support::readAll(path);
        for (int i = 0; i < (shortField ? 2 : 4); ++i)
            b[at + i] = static_cast<uint8_t>(value >> (8 * i));
        testing_support::writeAll(path, b);
        return path;
    }
    // 1 x 1 pixel, 1 bit, 12-byte core header: 36 bytes in all.
    std::u16string tinyCoreBmp() {
        std::u16string path = dir.file(u"malý.bmp");
        testing_support::writeAll(path, {'B', 'M', 36, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0, 12, 0, 0, 0, 1, 0,
                                         1, 0, 1, 0, 1, 0, 0, 0, 0, 255, 255, 255, 0x80, 0, 0, 0});
        return path;
    }
    testing_support::TempDir dir;
    std::u16string shown, temp;
    int made = 0;
};

PackedDib converted(const std::u16string& jpeg) {
    int32_t abortFlag = 0;
    PackedDib dib;
    EXPECT_EQ(convertJpeg(nullptr, jpeg.c_str(), u"", &abortFlag, &dib), 1);
    return dib;
}

} // namespace

TEST_F(ApplyWallpaperTest, EveryKindOfPictureIsShownWithItsRegistryValues) {
    enum Expect { Converted, Copied, OurStretch, OurReduction, SizeOnly };
    struct Case {
        const char* what;
        std::u16string source;
        int32_t style = kStyleCentred;
        const char16_t *tile = u"0", *wallpaperStyle = u"0";
        Expect expect = SizeOnly;
        int32_t width = 0, rows = 0; // 0: not checked
        uint16_t bits = 0;
        const plat::OsVersion* os = &plat::kWindowsXp;
        const int32_t* displayBits = &kTrueColour;
        int32_t autoStretch = 1, reduceColours = 1;
    } cases[] = {
        {.what = "JPEG 4:2:0", .source = picture(u"small420.jpg"), .expect = Converted, .bits = 24},
        {.what = "progressive JPEG", .source = picture(u"progressive.jpg"), .expect = Converted},
        {.what = "grey JPEG", .source = picture(u"grey.jpg"), .expect = Converted, .bits = 8},
        {.what = "8-bit BMP", .source = bmp(8, 200, 150), .style = kStyleTiled, .tile = u"1", .expect = Copied},
        {.what = "24-bit BMP", .source = bmp(24, 200, 150), .style = kStyleTiled, .tile = u"1", .expect = Copied},
        {.what = "32-bit BMP", .source = bmp(32, 200, 150), .style = kStyleTiled, .tile = u"1", .expect = Copied},
        {.what = "1-bit core-header BMP of 36 bytes", .source = tinyCoreBmp(), .expect = Copied, .width = 1, .rows = 1,
         .bits = 1},
        {.what = "larger than the screen: fitted by us, centred", .source = picture(u"large420.jpg"),
         .style = kStyleTiled, .expect = OurStretch, .width = 1024, .rows = 768},
        {.what = "larger, option off: as it is", .source = picture(u"large420.jpg"), .style = kStyleTiled,
         .tile = u"1", .expect = Converted, .width = 1200, .rows = 900, .autoStretch = 0},
        {.what = "stretched by the system", .source = bmp(24, 100, 50), .style = kStyleStretched,
         .wallpaperStyle = u"2", .expect = Copied},
        {.what = "proportional: fills the width", .source = bmp(24, 100, 50), .style = kStyleStretchedProportionally,
         .width = 1024, .rows = 512},
        {.what = "Windows 95: we stretch to the screen", .source = bmp(24, 100, 50), .style = kStyleStretched,
         .width = 1024, .rows = 768, .os = &plat::kWindows95},
        {.what = "8-bit display reduces a 24-bit BMP", .source = bmp(24, 120, 90), .expect = OurReduction, .bits = 8,
         .displayBits = &kEightBits},
        {.what = "8-bit display keeps an 8-bit BMP", .source = bmp(8, 120, 90), .expect = Copied,
         .displayBits = &kEightBits},
        {.what = "8-bit display reduces a colour JPEG", .source = picture(u"small420.jpg"), .bits = 8,
         .displayBits = &kEightBits},
        {.what = "8-bit display keeps a grey JPEG", .source = picture(u"grey.jpg"), .expect = Converted,
         .displayBits = &kEightBits},
        {.what = "8-bit display, option off", .source = bmp(24, 120, 90), .bits = 24, .displayBits = &kEightBits,
         .reduceColours = 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::overrideOsVersion(c.os);
        plat::overrideDisplayBits(c.displayBits);
        AppSettings.autoStretch = c.autoStretch;
        AppSettings.reduceColours = c.reduceColours;
        WallpaperEntry e = entryFor(c.source, c.style);
        // A read-only picture must not leave a read-only desktop.bmp behind.
        SetFileAttributesW(W(c.source), FILE_ATTRIBUTE_READONLY);
        applyQuietly(e);
        SetFileAttributesW(W(c.source), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(GetFileAttributesW(W(shown)) & FILE_ATTRIBUTE_READONLY, 0u);
        EXPECT_EQ(lstrcmpiW(W(userString(kDesktopKey, L"Wallpaper")), W(shown)), 0) << "Wallpaper names desktop.bmp";
        EXPECT_EQ(userString(kDesktopKey, L"TileWallpaper"), c.tile);
        EXPECT_EQ(userString(kDesktopKey, L"WallpaperStyle"), c.wallpaperStyle);

        std::u16string expected = dir.file(u"expected.bmp");
        switch (c.expect) {
        case Converted:
            EXPECT_TRUE(samePicture(loadBmp(shown), converted(c.source)));
            break;
        case Copied:
            EXPECT_EQ(testing_support::readAll(shown), testing_support::readAll(c.source));
            break;
        case OurStretch: {
            int32_t w = kScreen.width, h = kScreen.height;
            ASSERT_EQ(scaleToFile(e, expected.c_str(), &w, &h, 1, 0), 0);
            EXPECT_TRUE(samePicture(loadBmp(shown), loadBmp(expected)));
            break;
        }
        case OurReduction: {
            std::u16string copy = dir.file(u"kopie.bmp");
            ASSERT_TRUE(CopyFileW(W(c.source), W(copy), FALSE));
            ASSERT_EQ(quantizeTo256(entryFor(c.source, 0), copy.c_str(), expected.c_str(), 0, PackedDib(), nullptr), 1);
            EXPECT_EQ(testing_support::readAll(shown), testing_support::readAll(expected));
            break;
        }
        case SizeOnly:
            break;
        }
        DibFacts facts = factsOf(loadBmp(shown));
        if (c.width) {
            EXPECT_EQ(facts.width, c.width);
            EXPECT_EQ(facts.rows, c.rows);
        }
        if (c.bits) {
            EXPECT_EQ(facts.bits, c.bits);
        }
    }
}

TEST_F(ApplyWallpaperTest, UnusablePicturesAreReportedAndChangeNothing) {
    applyQuietly(entryFor(bmp(24, 32, 32), kStyleCentred));
    std::vector<uint8_t> previous = testing_support::readAll(shown);
    const std::u16string unusable = u"Chyba při práci s tapetou \"%s\" při jejím nastavování.";
    struct Case {
        std::u16string path, format;
        uint32_t icon;
    } cases[] = {
        {dir.file(u"chybí.jpg"), u"Nemohu najít tapetu \"%s\".", MB_ICONWARNING},
        {picture(u"not-a-picture.bmp"), unusable, MB_ICONWARNING},
        {picture(u"damaged-header.jpg"), unusable, MB_ICONWARNING},
        {picture(u"damaged-data.jpg"), u"Nelze dekomprimovat JPEG tapetu: \"%s\".", MB_ICONERROR},
        // BMP headers that do not describe the file: refused before a copy.
        {broken(2, 5000), unusable, MB_ICONWARNING},            // bfSize past the end
        {broken(10, 4000), unusable, MB_ICONWARNING},           // bfOffBits past the end
        {broken(14, 16), unusable, MB_ICONWARNING},             // header size
        {broken(18, 5000), unusable, MB_ICONWARNING},           // width beyond the pixels
        {broken(18, 0), unusable, MB_ICONWARNING},              // no width
        {broken(28, 0, true), unusable, MB_ICONWARNING},        // bit count
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
    std::u16string small = bmp(24, 64, 64);
    // Only the final check; the conversion; our stretch.
    for (const std::u16string& path : {small, picture(u"small420.jpg"), picture(u"large420.jpg")}) {
        SCOPED_TRACE(plat::toUtf8(path.c_str()));
        AbortRequest = 1;
        ScriptedBoxes boxes({IDOK});
        EXPECT_EQ(ApplyWallpaper(entryFor(path, kStyleCentred), 0), 2);
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_FALSE(exists(temp));
        if (path == small) {
            EXPECT_FALSE(exists(shown)) << "a cancel after the move leaves no desktop.bmp";
        }
    }
    // On a 256-colour display the reduction can be cancelled too, here by
    // an Esc key press waiting in the queue (the Test button's way).
    plat::overrideDisplayBits(&kEightBits);
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0));
    ScriptedBoxes boxes({IDOK});
    EXPECT_EQ(ApplyWallpaper(entryFor(small, kStyleCentred), 1), 2);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(exists(shown));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST_F(ApplyWallpaperTest, RegistryThatCannotBeOpenedIsReported) {
    // HKEY_CURRENT_USER pointed at an empty key of our own lacks
    // "Control Panel\Desktop", just as when access is denied.
    const wchar_t scratchKey[] = L"Software\\Vorsan\\PlocharTestScratch";
    HKEY scratch = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch, nullptr),
              ERROR_SUCCESS);
    WallpaperEntry e = entryFor(bmp(24, 16, 16), kStyleCentred);
    if (RegOverridePredefKey(HKEY_CURRENT_USER, scratch) != ERROR_SUCCESS) {
        RegCloseKey(scratch);
        GTEST_SKIP() << "RegOverridePredefKey is not available";
    }
    ScriptedBoxes boxes({IDOK});
    int result = ApplyWallpaper(e, 0);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(scratch);
    RegDeleteKeyW(HKEY_CURRENT_USER, scratchKey);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, u"Nelze pracovat s registry.");
    EXPECT_EQ(boxes.boxes()[0].flags, static_cast<uint32_t>(MB_ICONERROR));
    EXPECT_FALSE(exists(shown));
}

TEST_F(ApplyWallpaperTest, FoldersAndFilesThatCannotBeWrittenAreReported) {
    // A folder in the way of "desktop.bmp": the last step cannot replace it.
    ASSERT_TRUE(CreateDirectoryW(W(shown), nullptr));
    {
        ScriptedBoxes boxes({IDOK});
        int result = ApplyWallpaper(entryFor(bmp(24, 16, 16), kStyleCentred), 0);
        RemoveDirectoryW(W(shown));
        EXPECT_EQ(result, 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, u"Nelze uložit tapetu do souboru \"" + shown + u"\".");
        EXPECT_EQ(boxes.boxes()[0].flags, static_cast<uint32_t>(MB_ICONERROR));
    }

    // A program folder nobody may write in (even root cannot make a folder
    // inside a file): the user's own folder takes over.
    std::u16string blocker = dir.file(u"soubor");
    testing_support::writeText(blocker, "x");
    std::u16string programFolder = blocker + u"\\", local = dir.file(u"místní");
    wchar_t saved[plat::kPathUnits] = {};
    bool hadLocal = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, plat::kPathUnits) != 0;
    plat::overrideProgramFolder(programFolder.c_str());
    ASSERT_TRUE(CreateDirectoryW(W(local), nullptr));
    SetEnvironmentVariableW(L"LOCALAPPDATA", W(local));
    std::u16string ours = local + u"\\Plochar\\desktop.bmp";
    for (const std::u16string& source : {picture(u"small420.jpg"), bmp(24, 16, 16)}) {
        ScriptedBoxes boxes({IDOK});
        EXPECT_EQ(ApplyWallpaper(entryFor(source, kStyleCentred), 0), 1);
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_TRUE(exists(ours));
        EXPECT_FALSE(exists(local + u"\\Plochar\\~krok1.bmp"));
        EXPECT_EQ(lstrcmpiW(W(userString(kDesktopKey, L"Wallpaper")), W(ours)), 0);
    }

    // Neither can be written: the folder is named.
    SetEnvironmentVariableW(L"LOCALAPPDATA", W(blocker));
    plat::overrideProgramFolder(programFolder.c_str());
    {
        ScriptedBoxes boxes({IDOK});
        EXPECT_EQ(ApplyWallpaper(entryFor(bmp(24, 16, 16), kStyleCentred), 0), 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text,
                  u"Nelze zapisovat do složky \"" + blocker + u"\\Plochar\", tapetu nelze nastavit.");
    }
    SetEnvironmentVariableW(L"LOCALAPPDATA", hadLocal ? saved : nullptr);
    plat::overrideProgramFolder(nullptr);
}
