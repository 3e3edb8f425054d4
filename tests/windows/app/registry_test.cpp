// The settings store on the real registry, and the Windows 9x logo backup.
#include "app_test_support.h"

namespace apptest {
namespace {

TEST_F(AppWindowTest, StringsAndRecordsRoundTripThroughTheRealRegistry) {
    char16_t name[plat::kPathUnits] = {};
    writeString(kKey212, L"LastKolekce", std::u16string(300, u'x')); // too long for its buffer: missing
    writeString(kKey212, L"MRU3", u"C:\\třetí.plk");
    AppSettingsRecord s = defaultSettings();
    writeValue(kKey212, L"Nastaveni", REG_BINARY, &s, 150);
    loadSettings(name, plat::kPathUnits);
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(readValue(kKey212, L"Nastaveni").size(), 140u) << "defaults written over 150 bytes";
    EXPECT_EQ(readValue(kKey212, L"LastDir").size(), 2u) << "an empty string keeps its terminator";
    saveSettings(false, false, false, u"D:\\x.plk", false);
    EXPECT_EQ(readString(L"LastKolekce"), u"D:\\x.plk");
    EXPECT_EQ(readString(L"MRU3"), u"C:\\třetí.plk");
}

TEST_F(AppWindowTest, Windows98BacksUpTheLogoOnceAndNtNever) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 3u);
    windows[3] = 0;
    const std::wstring logo = std::wstring(windows) + L"logo.sys", backup = std::wstring(windows) + L"logo_sys.ori";
    const struct {
        const plat::OsVersion* os;
        bool logoExists;
        uint8_t saved;
        bool copied;
    } starts[] = {{&plat::kWindowsXp, true, 0, false}, {&plat::kWindows98, true, 1, true},
                  {&plat::kWindows98, true, 1, false}, // recorded: no second copy
                  {&plat::kWindows95, false, 2, false}};
    for (const auto& s : starts) {
        if (s.saved == 2) // the value no longer says 1 or 2: try again
            writeValue(L"Software\\Vorsan\\Plochar 2.01", L"LogoSaved", REG_DWORD, "\0\0\0", 4, HKEY_LOCAL_MACHINE);
        DeleteFileW(logo.c_str());
        DeleteFileW(backup.c_str());
        if (s.logoExists)
            CloseHandle(CreateFileW(logo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        plat::overrideOsVersion(s.os);
        start();
        const auto saved = readValue(L"Software\\Vorsan\\Plochar 2.01", L"LogoSaved", HKEY_LOCAL_MACHINE);
        EXPECT_EQ(saved.empty() ? 0 : saved[0], s.saved);
        EXPECT_EQ(GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES, s.copied);
        quit();
    }
    DeleteFileW(logo.c_str());
    DeleteFileW(backup.c_str());
}

} // namespace
} // namespace apptest
