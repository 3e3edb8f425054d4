// The start-up logo: building it from a collection picture, and every
// branch of putting the saved one back. The logo lives in the root of the
// Wine prefix's Windows drive.
#include <gtest/gtest.h>

#include <windows.h>

#include "collection/random.h"
#include "collection/wallpaper_collection.h"
#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "desktop/desktop_texts.h"
#include "desktop_test_support.h"
#include "platform/system_info.h"
#include "settings/app_settings.h"

using namespace desktest;
namespace text = desk::text;

namespace {

void setLogoSaved(const DWORD* value) {
    setValue(HKEY_LOCAL_MACHINE, L"Software\\Vorsan\\Plochar 2.01", L"LogoSaved", REG_DWORD, value, sizeof(DWORD));
}
std::string contents(const std::u16string& path) {
    const Bytes bytes = readAll(path);
    return exists(path) ? std::string(bytes.begin(), bytes.end()) : "<removed>";
}

class StartupLogoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        plat::overrideOsVersion(&plat::kWindows98);
        char16_t logoBuffer[270], backupBuffer[270];
        ASSERT_TRUE(StartupLogoPaths(logoBuffer, backupBuffer, 270));
        logo = logoBuffer, backup = backupBuffer;
        remove(logo), remove(backup);
    }
    void TearDown() override {
        plat::overrideOsVersion(nullptr);
        remove(logo), remove(backup);
        setLogoSaved(nullptr);
    }
    std::u16string logo, backup;
};

} // namespace

TEST_F(StartupLogoTest, LogoIsBuiltFromAPictureOfTheCollection) {
    WallpaperCollection empty;
    EXPECT_EQ(BuildStartupLogo(empty), nullptr);
    EXPECT_FALSE(exists(logo));

    TempDir dir;
    WallpaperCollection collection;
    for (const char16_t* name : {u"a.bmp", u"b.bmp", u"c.bmp"}) {
        writeAll(dir.file(name), pattern(90, 60, 24).file());
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
        EXPECT_EQ(readAll(logo).size(), 129078u); // 320 x 400, 8 bits, 256 entries
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
    const std::u16string question = text::kRestoreLogoQuestion, noBackup = text::kLogoBackupMissing;
    const std::u16string restored = text::kLogoRestored, maybe = text::kLogoMaybeRestored;
    const struct {
        const char* what;
        const DWORD* logoSaved;
        bool backupThere;
        const plat::OsVersion* os;
        std::vector<int> answers;
        std::vector<std::u16string> texts;
        const char* logoAfter;
    } cases[] = {
        {"No changes nothing", &saved, true, &plat::kWindows98, {IDNO}, {question}, "nové logo"},
        {"the backup is copied back and kept", &saved, true, &plat::kWindows98, {IDYES}, {question, restored},
         "původní logo"},
        {"not Windows 9x: nothing after the question", &saved, true, &plat::kWindowsXp, {IDYES}, {question},
         "nové logo"},
        {"backup vanished, No keeps the logo", nullptr, false, &plat::kWindows98, {IDYES, IDNO},
         {question, noBackup}, "nové logo"},
        {"backup vanished, Yes removes the logo", nullptr, false, &plat::kWindows98, {IDYES, IDYES},
         {question, noBackup, maybe}, "<removed>"},
        {"the first start found no logo: removed without asking again", &noneFound, false, &plat::kWindows98,
         {IDYES}, {question, maybe}, "<removed>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setLogoSaved(c.logoSaved);
        plat::overrideOsVersion(c.os);
        remove(backup);
        if (c.backupThere)
            testing_support::writeText(backup, "původní logo");
        testing_support::writeText(logo, "nové logo");
        ScriptedBoxes boxes(c.answers);
        RestoreStartupLogo();
        std::vector<std::u16string> texts;
        for (const auto& box : boxes.boxes())
            texts.push_back(box.text);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(boxes.boxes()[0].flags, uint32_t(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        EXPECT_EQ(contents(logo), c.logoAfter);
        EXPECT_EQ(contents(backup), c.backupThere ? "původní logo" : "<removed>");
    }
}
