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

std::string contents(const std::u16string& path) {
    std::vector<uint8_t> bytes = testing_support::readAll(path);
    return std::string(bytes.begin(), bytes.end());
}

class StartupLogoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        plat::overrideOsVersion(&plat::kWindows98);
        char16_t logoBuffer[270], backupBuffer[270];
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
    std::u16string logo, backup;
};

} // namespace

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
        EXPECT_EQ(testing_support::readAll(logo).size(), 129078u); // 320 x 400, 8 bits, 256 entries
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]) << "every picture gets its turn";
    // A picture that vanished cannot be made into a logo.
    WallpaperCollection gone;
    ASSERT_EQ(gone.addPath(dir.file(u"a.bmp").c_str()), AddOutcome::Added);
    remove(dir.file(u"a.bmp"));
    EXPECT_EQ(BuildStartupLogo(gone), nullptr);
}

TEST_F(StartupLogoTest, RestorePutsTheBackupBackOrRemovesTheLogo) {
    const DWORD saved = 1, noneFound = 2;
    const std::u16string question =
        u"Opravdu chcete obnovit logo Windows, které bylo zazálohováno při 1. spuštěním programu?";
    const std::u16string noBackup = u"Nemohu najít zálohu loga Windows. Je pravděpodobnost, že pokud program odstraní "
                                    u"současné logo, systém si jej znovu doplní. Chcete to zkusit?";
    struct Case {
        const char* what;
        const DWORD* logoSaved;
        bool backupThere;
        const plat::OsVersion* os;
        std::vector<int> answers;
        std::vector<std::u16string> texts;
        uint32_t lastFlags;  // 0: not checked
        const char* logoAfter;
    } cases[] = {
        {"No changes nothing", &saved, true, &plat::kWindows98, {IDNO}, {question}, 0, "nové logo"},
        {"the backup is copied back and kept", &saved, true, &plat::kWindows98, {IDYES},
         {question, u"Logo bylo obnoveno."}, MB_ICONINFORMATION, "původní logo"},
        {"not Windows 9x: nothing after the question", &saved, true, &plat::kWindowsXp, {IDYES}, {question}, 0,
         "nové logo"},
        {"backup vanished, No keeps the logo", nullptr, false, &plat::kWindows98, {IDYES, IDNO}, {question, noBackup}, 0,
         "nové logo"},
        {"backup vanished, Yes removes the logo", nullptr, false, &plat::kWindows98, {IDYES, IDYES},
         {question, noBackup, u"Logo bylo snad obnoveno."}, 0, "<removed>"},
        {"the first start found no logo: removed without asking again", &noneFound, false, &plat::kWindows98, {IDYES},
         {question, u"Logo bylo snad obnoveno."}, 0, "<removed>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setLogoSaved(c.logoSaved);
        plat::overrideOsVersion(c.os);
        remove(backup);
        if (c.backupThere)
            testing_support::writeText(backup, "původní logo");
        testing_support::writeText(logo, "nové logo");
        ScriptedBoxes boxes(c.answers);
        RestoreStartupLogo();
        ASSERT_EQ(boxes.boxes().size(), c.texts.size());
        for (size_t i = 0; i < c.texts.size(); ++i)
            EXPECT_EQ(boxes.boxes()[i].text, c.texts[i]);
        EXPECT_EQ(boxes.boxes()[0].flags, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        if (c.lastFlags) {
            EXPECT_EQ(boxes.boxes().back().flags, c.lastFlags);
        }
        EXPECT_EQ(exists(logo) ? contents(logo) : "<removed>", c.logoAfter);
        if (c.backupThere) {
            EXPECT_EQ(contents(backup), "původní logo");
        }
    }
}
