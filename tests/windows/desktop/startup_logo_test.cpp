// The start-up logo: building it from a collection picture, and every
// branch of putting the saved one back. The logo lives in the root of the
// Wine prefix's Windows drive.
#include <gtest/gtest.h>

#include <windows.h>

#include "collection/random.h"
#include "collection/wallpaper_collection.h"
#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "desktop_test_support.h"
#include "platform/system_info.h"
#include "settings/app_settings.h"

using namespace desktest;

namespace {

void setLogoSaved(const DWORD* value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vorsan\\Plochar 2.01", 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueExW(k, L"LogoSaved", 0, REG_DWORD, reinterpret_cast<const BYTE*>(value), sizeof *value);
    else
        RegDeleteValueW(k, L"LogoSaved");
    RegCloseKey(k);
}

void writeBytes(const std::u16string& path, const std::string& text) {
    testing_support::writeText(path, text);
}

std::string contents(const std::u16string& path) {
    std::vector<uint8_t> bytes = testing_support::readAll(path);
    return std::string(bytes.begin(), bytes.end());
}

class StartupLogoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        plat::overrideOsVersion(&plat::kWindows98);
        ASSERT_TRUE(StartupLogoPaths(logoBuffer, backupBuffer, 270));
        logo = logoBuffer;
        backup = backupBuffer;
        remove(logo);
        remove(backup);
    }
    void TearDown() override {
        plat::overrideOsVersion(nullptr);
        remove(logo);
        remove(backup);
        setLogoSaved(nullptr);
    }
    char16_t logoBuffer[270], backupBuffer[270];
    std::u16string logo, backup;
};

} // namespace

TEST_F(StartupLogoTest, PathsAreInTheRootOfTheWindowsDrive) {
    wchar_t windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 3u);
    std::u16string root(reinterpret_cast<const char16_t*>(windows), 3);
    EXPECT_EQ(logo, root + u"logo.sys");
    EXPECT_EQ(backup, root + u"logo_sys.ori");
}

TEST_F(StartupLogoTest, LogoIsBuiltFromAPictureOfTheCollection) {
    WallpaperCollection empty;
    EXPECT_EQ(BuildStartupLogo(empty), nullptr);
    EXPECT_FALSE(exists(logo));

    testing_support::TempDir dir;
    WallpaperCollection collection;
    for (const char16_t* name : {u"a.bmp", u"b.bmp", u"c.bmp"}) {
        writeTestBmp(dir.file(name), 90, 60, 24);
        ASSERT_EQ(collection.addPath(dir.file(name).c_str()), AddOutcome::Added);
    }
    AppSettings = defaultSettings();
    AppSettings.fastLogo = 1;
    seedRandom(1);
    bool seen[3] = {};
    for (int i = 0; i < 12; ++i) {
        WallpaperEntry* used = BuildStartupLogo(collection);
        ASSERT_NE(used, nullptr);
        seen[collection.indexOf(used)] = true;
        PackedDib dib = loadBmp(logo);
        DibFacts facts = factsOf(dib);
        EXPECT_EQ(facts.width, 320);
        EXPECT_EQ(facts.rows, 400);
        EXPECT_EQ(facts.bits, 8);
        EXPECT_EQ(testing_support::readAll(logo).size(), 129078u);
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]) << "every picture gets its turn";

    // A picture that vanished cannot be made into a logo.
    WallpaperCollection gone;
    ASSERT_EQ(gone.addPath(dir.file(u"a.bmp").c_str()), AddOutcome::Added);
    remove(dir.file(u"a.bmp"));
    EXPECT_EQ(BuildStartupLogo(gone), nullptr);
}

TEST_F(StartupLogoTest, RestoreCopiesTheBackupBack) {
    const DWORD saved = 1;
    setLogoSaved(&saved);
    writeBytes(backup, "původní logo");
    writeBytes(logo, "nové logo");
    {
        // "Ne" to the question changes nothing.
        ScriptedBoxes boxes({IDNO});
        RestoreStartupLogo();
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text,
                  u"Opravdu chcete obnovit logo Windows, které bylo zazálohováno při 1. spuštěním programu?");
        EXPECT_EQ(boxes.boxes()[0].flags, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        EXPECT_EQ(contents(logo), "nové logo");
    }
    {
        ScriptedBoxes boxes({IDYES});
        RestoreStartupLogo();
        ASSERT_EQ(boxes.boxes().size(), 2u);
        EXPECT_EQ(boxes.boxes()[1].text, u"Logo bylo obnoveno.");
        EXPECT_EQ(boxes.boxes()[1].flags, static_cast<uint32_t>(MB_ICONINFORMATION));
        EXPECT_EQ(contents(logo), "původní logo");
        EXPECT_EQ(contents(backup), "původní logo") << "the backup is kept";
    }
    {
        // Not Windows 9x: nothing happens after the question.
        plat::overrideOsVersion(&plat::kWindowsXp);
        writeBytes(logo, "nové logo");
        ScriptedBoxes boxes({IDYES});
        RestoreStartupLogo();
        EXPECT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(contents(logo), "nové logo");
    }
}

TEST_F(StartupLogoTest, RestoreWithoutBackupRemovesTheLogo) {
    writeBytes(logo, "nové logo");
    {
        // The backup vanished: ask before deleting; "Ne" keeps the logo.
        ScriptedBoxes boxes({IDYES, IDNO});
        RestoreStartupLogo();
        ASSERT_EQ(boxes.boxes().size(), 2u);
        EXPECT_EQ(boxes.boxes()[1].text,
                  u"Nemohu najít zálohu loga Windows. Je pravděpodobnost, že pokud program odstraní současné logo, "
                  u"systém si jej znovu doplní. Chcete to zkusit?");
        EXPECT_TRUE(exists(logo));
    }
    {
        ScriptedBoxes boxes({IDYES, IDYES});
        RestoreStartupLogo();
        ASSERT_EQ(boxes.boxes().size(), 3u);
        EXPECT_EQ(boxes.boxes()[2].text, u"Logo bylo snad obnoveno.");
        EXPECT_FALSE(exists(logo));
    }
    {
        // The first start found no logo: delete without asking again.
        const DWORD none = 2;
        setLogoSaved(&none);
        writeBytes(logo, "nové logo");
        ScriptedBoxes boxes({IDYES});
        RestoreStartupLogo();
        ASSERT_EQ(boxes.boxes().size(), 2u);
        EXPECT_EQ(boxes.boxes()[1].text, u"Logo bylo snad obnoveno.");
        EXPECT_FALSE(exists(logo));
    }
}
