// The settings store on the real registry, and the Windows 9x logo backup.
#include "app_test_support.h"

#include <cstring>

#include "app/logo_backup.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "settings/settings_store.h"

namespace apptest {
namespace {

using RegistryStoreTest = AppWindowTest;

TEST_F(RegistryStoreTest, StringsAndRecordsRoundTripThroughTheRealRegistry) {
    char16_t name[plat::kPathUnits] = {};
    // Too long for its buffer: read as missing.
    writeString(HKEY_CURRENT_USER, kKey212, L"LastKolekce", std::u16string(300, u'x'));
    writeString(HKEY_CURRENT_USER, kKey212, L"MRU3", u"C:\\třetí.plk");
    writeString(HKEY_CURRENT_USER, kKey212, L"LastDir", u"C:\\Obrázky");
    AppSettingsRecord s = defaultSettings();
    s.intervalMinutes = 17;
    writeValue(HKEY_CURRENT_USER, kKey212, L"Nastaveni", REG_BINARY, &s, 150);
    loadSettings(name, plat::kPathUnits);
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(std::u16string(MruList[2]), u"C:\\třetí.plk");
    EXPECT_EQ(std::u16string(LastDir), u"C:\\Obrázky");
    EXPECT_EQ(AppSettings.intervalMinutes, 30) << "a 150-byte record is not read";
    EXPECT_EQ(readValue(HKEY_CURRENT_USER, kKey212, L"Nastaveni").size(), 140u) << "defaults written over it";
    EXPECT_EQ(readValue(HKEY_CURRENT_USER, kKey212, L"LastDir").size(), 22u) << "with the terminator";

    saveSettings(false, false, false, u"D:\\x.plk", false);
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kKey212, L"LastKolekce"), u"D:\\x.plk");
    EXPECT_EQ(readValue(HKEY_CURRENT_USER, kKey212, L"MRU1").size(), 2u) << "an empty slot keeps its terminator";
}

class LogoBackupTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        wchar_t windows[MAX_PATH] = {};
        ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 3u);
        windows[3] = 0;
        logo = std::wstring(windows) + L"logo.sys";
        backup = std::wstring(windows) + L"logo_sys.ori";
        DeleteFileW(logo.c_str());
        DeleteFileW(backup.c_str());
        LogoBackupNeeded = 1;
    }
    void TearDown() override {
        DeleteFileW(logo.c_str());
        DeleteFileW(backup.c_str());
        AppWindowTest::TearDown();
    }
    DWORD logoSaved() {
        const auto v = readValue(HKEY_LOCAL_MACHINE, L"Software\\Vorsan\\Plochar 2.01", L"LogoSaved");
        DWORD d = 0;
        if (v.size() == 4)
            std::memcpy(&d, v.data(), 4);
        return d;
    }
    bool backupExists() { return GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::wstring logo, backup;
};

TEST_F(LogoBackupTest, Windows98CopiesTheLogoOnce) {
    HANDLE f = CreateFileW(logo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, "LOGO", 4, &written, nullptr);
    CloseHandle(f);
    plat::overrideOsVersion(&plat::kWindows98);
    start();
    EXPECT_TRUE(backupExists());
    EXPECT_EQ(logoSaved(), 1u);
    quit();
    DeleteFileW(backup.c_str());
    start(); // LogoSaved is there: no second copy
    EXPECT_FALSE(backupExists());
    quit();
}

TEST_F(LogoBackupTest, NoLogoIsRecordedAsTwoAndNtDoesNothing) {
    plat::overrideOsVersion(&plat::kWindowsXp);
    start();
    EXPECT_EQ(logoSaved(), 0u);
    quit();
    plat::overrideOsVersion(&plat::kWindows95);
    start();
    EXPECT_EQ(logoSaved(), 2u);
    EXPECT_FALSE(backupExists());
    quit();
}

} // namespace
} // namespace apptest
