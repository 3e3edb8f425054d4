// The settings store against an in-memory registry: first start, the import
// of the two older versions, the size and default rules, and what is written.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "collection/wallpaper_entry.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "settings/settings_store.h"

namespace {

const std::u16string kKey212 = u"HKCU\\Software\\Vorsan\\Plochar 2.12";
const std::u16string kKey210 = u"HKCU\\Software\\Vorsan\\Plochar 2.10";
const std::u16string kKey201 = u"HKCU\\Software\\Vorsan\\Plochar 2.01";
const std::u16string kLogoKey = u"HKLM\\Software\\Vorsan\\Plochar 2.01";
const std::u16string kDefaultList = u"Kontrola disku\nDefragmentace disku\nScanDisk\nNero Burning\n";

std::vector<std::u16string> g_boxes;
int recordBox(void*, const char16_t* text, const char16_t*, uint32_t) {
    g_boxes.push_back(text);
    return plat::kIdOk;
}

class SettingsStoreTest : public testing::Test {
  protected:
    void SetUp() override {
        plat::setActiveRegistry(&reg);
        plat::setMessageBoxHook(recordBox);
        fresh();
    }
    void TearDown() override {
        plat::setActiveRegistry(nullptr);
        plat::setMessageBoxHook(nullptr);
        LastDir = nullptr;
        std::error_code ec;
        std::filesystem::remove(picture, ec);
    }
    // An empty registry and a program state that has read nothing yet.
    void fresh() {
        reg = plat::MemoryRegistry();
        g_boxes.clear();
        std::memset(name, 0x55, sizeof(name));
        std::memset(lastDir, 0, sizeof(lastDir));
        LastDir = lastDir;
        AutoPauseList.reset();
        for (auto& slot : MruList)
            slot[0] = 0;
        AppSettings = defaultSettings();
        CurrentWallpaper = WallpaperEntry();
    }
    SettingsSource load() { return loadSettings(name, plat::kPathUnits); }

    void putSettings(const std::u16string& key, const AppSettingsRecord& s, uint32_t size) {
        std::vector<uint8_t> bytes(size, 0xAB);
        std::memcpy(bytes.data(), &s, std::min<size_t>(size, sizeof(s)));
        reg.put(key, u"Nastaveni", plat::kRegBinary, bytes.data(), size);
    }
    AppSettingsRecord stored() {
        AppSettingsRecord s{};
        const auto* v = reg.find(kKey212, u"Nastaveni");
        EXPECT_TRUE(v && v->data.size() == 140u);
        if (v)
            std::memcpy(&s, v->data.data(), std::min<size_t>(v->data.size(), sizeof(s)));
        return s;
    }
    std::u16string text(const std::u16string& key, const std::u16string& value) {
        const auto* v = reg.find(key, value);
        if (!v || v->data.size() < 2)
            return u"<missing>";
        return std::u16string(reinterpret_cast<const char16_t*>(v->data.data()), v->data.size() / 2 - 1);
    }

    // A real picture file and the desktop pointing at the program's own
    // desktop.bmp, so that LastTapeta counts.
    void prepareLastPicture(const std::u16string& key) {
        picture = std::filesystem::temp_directory_path() / "plochar-settings-test.bmp";
        std::ofstream(picture) << "BM";
        WallpaperEntry e;
        ASSERT_TRUE(e.setPath(picture.u16string().c_str()));
        e.style = 2;
        int32_t length = 0;
        auto record = e.serialize(&length);
        reg.put(key, u"LastTapeta", plat::kRegBinary, record.get(), static_cast<uint32_t>(length));
        char16_t ours[plat::kPathUnits];
        ASSERT_TRUE(plat::programFolderFile(u"desktop.bmp", ours, plat::kPathUnits));
        reg.putString(u"HKCU\\Control Panel\\Desktop", u"Wallpaper", ours);
    }

    plat::MemoryRegistry reg;
    char16_t name[plat::kPathUnits];
    char16_t lastDir[kLastDirUnits];
    std::filesystem::path picture;
};

TEST_F(SettingsStoreTest, FirstStartWritesEveryDefaultAtOnceWithoutAMessage) {
    EXPECT_EQ(load(), kSourceNone);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(name[0], 0);
    EXPECT_FALSE(CurrentWallpaper.hasPath());
    ASSERT_TRUE(AutoPauseList);
    EXPECT_EQ(std::u16string(AutoPauseList.get()), kDefaultList);
    EXPECT_EQ(LogoBackupNeeded, 1);
    EXPECT_TRUE(reg.hasKey(kLogoKey)) << "the logo key is created on the way";

    const AppSettingsRecord s = stored();
    const AppSettingsRecord d = defaultSettings();
    EXPECT_EQ(std::memcmp(&s, &d, sizeof(s)), 0);
    EXPECT_EQ(d.intervalMinutes, 30);
    EXPECT_EQ(d.periodicChange, 1);
    EXPECT_EQ(text(kKey212, u"AutoPause"), kDefaultList);
    EXPECT_EQ(reg.find(kKey212, u"LastDir")->data.size(), 2u) << "an empty string is stored with its terminator";
    EXPECT_FALSE(reg.find(kKey212, u"LastKolekce")) << "the name group is not part of loading";
    EXPECT_FALSE(reg.find(kKey212, u"LastTapeta")) << "no picture, no record";
    EXPECT_EQ(reg.openKeyCount(), 0) << "every key is closed";
}

TEST_F(SettingsStoreTest, CompleteCurrentSettingsAreReadAndNothingIsWritten) {
    AppSettingsRecord s = defaultSettings();
    s.intervalMinutes = 7;
    s.PauseState = 1;
    s.periodicChange = 0;
    putSettings(kKey212, s, 140);
    reg.putString(kKey212, u"LastKolekce", u"C:\\kolekce\\Hory.plk");
    reg.putString(kKey212, u"MRU2", u"C:\\b.plk");
    const std::u16string dir = u"C:\\obrazky";
    reg.put(kKey212, u"LastDir", 2, dir.c_str(), 22); // REG_EXPAND_SZ: a rewrite would make it REG_SZ
    reg.putString(kKey212, u"AutoPause", u"Nero\n");
    prepareLastPicture(kKey212);

    EXPECT_EQ(load(), kSource212);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(std::u16string(name), u"C:\\kolekce\\Hory.plk");
    EXPECT_EQ(MruList[0][0], 0);
    EXPECT_EQ(std::u16string(MruList[1]), u"C:\\b.plk");
    EXPECT_EQ(std::u16string(LastDir), u"C:\\obrazky");
    EXPECT_EQ(std::u16string(AutoPauseList.get()), u"Nero\n");
    EXPECT_EQ(AppSettings.intervalMinutes, 7);
    EXPECT_EQ(AppSettings.PauseState, 1) << "a pause by the user survives a restart";
    EXPECT_EQ(AppSettings.periodicChange, 0) << "the 2.12 record keeps its own switch";
    EXPECT_TRUE(CurrentWallpaper.hasPath());
    EXPECT_EQ(CurrentWallpaper.style, 2);
    EXPECT_EQ(reg.find(kKey212, u"LastDir")->type, 2u) << "nothing was written back";

    // A wallpaper set by someone else makes the last picture forgotten.
    reg.putString(u"HKCU\\Control Panel\\Desktop", u"Wallpaper", u"C:\\Windows\\jine.bmp");
    load();
    EXPECT_FALSE(CurrentWallpaper.hasPath());
}

TEST_F(SettingsStoreTest, Version210RecordsGainThePeriodicSwitchFromTheirInterval) {
    const struct {
        int32_t interval, expectInterval, expectPeriodic;
    } cases[] = {{0, 30, 0}, {45, 45, 1}};
    for (const auto& c : cases) {
        fresh();
        AppSettingsRecord s = defaultSettings();
        s.intervalMinutes = c.interval;
        s.activeDesktopFix = 1;
        s.autoPauseForegroundOnly = 1;
        s.periodicChange = 12345; // beyond the 136 bytes: never read
        putSettings(kKey210, s, 136);
        reg.putString(kKey210, u"LastDir", u"D:\\fotky");
        reg.putString(kKey210, u"LastKolekce", u"D:\\a.plk");
        reg.putString(kKey210, u"MRU2", u"D:\\b.plk");

        EXPECT_EQ(load(), kSource210);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_NE(g_boxes[0].find(u"importoval své nastavení"), std::u16string::npos);
        for (const AppSettingsRecord& r : {AppSettings, stored()}) {
            EXPECT_EQ(r.intervalMinutes, c.expectInterval) << c.interval;
            EXPECT_EQ(r.periodicChange, c.expectPeriodic) << c.interval;
            EXPECT_EQ(r.activeDesktopFix, 1) << "fields of 2.10 are kept";
            EXPECT_EQ(r.autoPauseForegroundOnly, 1);
        }
        EXPECT_EQ(std::u16string(LastDir), u"D:\\fotky");
        EXPECT_EQ(std::u16string(name), u"D:\\a.plk");
        // Written at once, not only at exit: a crash must not lose them.
        EXPECT_EQ(text(kKey212, u"LastKolekce"), u"D:\\a.plk");
        EXPECT_EQ(text(kKey212, u"MRU2"), u"D:\\b.plk");
        EXPECT_EQ(std::u16string(AutoPauseList.get()), kDefaultList) << "no AutoPause value";

        // The next start finds the new key and says nothing more.
        g_boxes.clear();
        EXPECT_EQ(load(), kSource212);
        EXPECT_TRUE(g_boxes.empty());
    }
}

TEST_F(SettingsStoreTest, Version201RecordsLoseTheFieldsTheyNeverHad) {
    AppSettingsRecord s = defaultSettings();
    s.intervalMinutes = 0;
    s.changeOrder = 2;
    s.activeDesktopFix = 1; // beyond 128 bytes in the old layout
    AppSettings.activeDesktopFix = 1;
    AppSettings.autoPauseForegroundOnly = 1;
    putSettings(kKey201, s, 128);
    reg.putString(kKey201, u"LastDir", u"X:\\nikdy");
    reg.putString(kKey201, u"AutoPause", u"nikdy\n");

    EXPECT_EQ(load(), kSource201);
    EXPECT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(AppSettings.changeOrder, 2);
    EXPECT_EQ(AppSettings.activeDesktopFix, 0);
    EXPECT_EQ(AppSettings.autoPauseForegroundOnly, 0);
    EXPECT_EQ(AppSettings.intervalMinutes, 30);
    EXPECT_EQ(AppSettings.periodicChange, 0);
    EXPECT_EQ(LastDir[0], 0) << "2.01 kept no folder";
    EXPECT_EQ(std::u16string(AutoPauseList.get()), kDefaultList);
}

TEST_F(SettingsStoreTest, RecordsOfTheWrongSizeAreReplacedByDefaults) {
    for (uint32_t size : {150u, 139u, 136u}) {
        fresh();
        AppSettingsRecord s = defaultSettings();
        s.intervalMinutes = 99;
        putSettings(kKey212, s, size);
        EXPECT_EQ(load(), kSource212);
        EXPECT_TRUE(g_boxes.empty());
        EXPECT_EQ(AppSettings.intervalMinutes, 30) << size;
        EXPECT_EQ(stored().intervalMinutes, 30) << "defaults written back over " << size << " bytes";
    }
}

TEST_F(SettingsStoreTest, OutOfRangeValuesReadAsUsable) {
    for (int32_t interval : {-5, 0, 1}) {
        fresh();
        AppSettingsRecord s = defaultSettings();
        s.intervalMinutes = interval;
        putSettings(kKey212, s, 140);
        reg.put(kKey212, u"AutoPause", plat::kRegDword, &interval, 4);
        load();
        EXPECT_EQ(AppSettings.intervalMinutes, 1) << interval;
        ASSERT_TRUE(AutoPauseList) << "a list of the wrong type counts as missing";
        EXPECT_EQ(std::u16string(AutoPauseList.get()), kDefaultList);
        EXPECT_EQ(text(kKey212, u"AutoPause"), kDefaultList);
    }
}

TEST_F(SettingsStoreTest, StringValuesThatDoNotFitCountAsMissing) {
    putSettings(kKey212, defaultSettings(), 140);
    reg.putString(kKey212, u"LastKolekce", std::u16string(270, u'a')); // 542 bytes > 540
    reg.putString(kKey212, u"MRU1", std::u16string(269, u'b'));        // exactly fits
    reg.putString(kKey212, u"LastDir", std::u16string(271, u'c'));     // 544 bytes > 542
    // A value stored without terminator, odd length, and of the wrong type.
    reg.put(kKey212, u"MRU2", plat::kRegSz, u"abc", 5);
    reg.put(kKey212, u"MRU3", plat::kRegBinary, u"abc", 8);
    // The list is sized by its stored value, not by a fixed buffer.
    std::u16string longList;
    for (int i = 0; i < 300; ++i)
        longList += u"Okno " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\n";
    reg.putString(kKey212, u"AutoPause", longList);
    load();
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(std::u16string(MruList[0]).size(), 269u);
    EXPECT_EQ(std::u16string(MruList[1]), u"ab");
    EXPECT_EQ(MruList[2][0], 0);
    EXPECT_EQ(LastDir[0], 0);
    EXPECT_EQ(std::u16string(AutoPauseList.get()), longList);
}

TEST_F(SettingsStoreTest, LogoBackupIsNeededUntilLogoSavedHoldsOneOrTwo) {
    const std::pair<uint32_t, int32_t> cases[] = {{1, 0}, {2, 0}, {3, 1}, {0, 1}};
    EXPECT_EQ((load(), LogoBackupNeeded), 1) << "no value";
    for (auto [value, needed] : cases) {
        fresh();
        reg.put(kLogoKey, u"LogoSaved", plat::kRegDword, &value, 4);
        load();
        EXPECT_EQ(LogoBackupNeeded, needed) << value;
    }
}

TEST_F(SettingsStoreTest, SaveWritesOnlyTheChosenGroups) {
    AppSettings.PauseState = 2;
    setAutoPauseList(nullptr);
    lastDir[0] = u'Q';
    saveSettings(true, false, false, nullptr, false);
    EXPECT_EQ(stored().PauseState, 0) << "an automatic pause is not stored";
    EXPECT_EQ(AppSettings.PauseState, 2) << "but stays in memory";
    for (const char16_t* value : {u"AutoPause", u"LastDir", u"LastKolekce"})
        EXPECT_FALSE(reg.find(kKey212, value));

    AppSettings.PauseState = 1;
    std::memcpy(MruList[0], u"C:\\m1.plk", 20);
    saveSettings(true, true, true, u"C:\\akt.plk", true);
    EXPECT_EQ(stored().PauseState, 1);
    EXPECT_EQ(text(kKey212, u"AutoPause"), u"");
    EXPECT_EQ(text(kKey212, u"LastDir"), u"Q");
    EXPECT_EQ(text(kKey212, u"LastKolekce"), u"C:\\akt.plk");
    EXPECT_EQ(text(kKey212, u"MRU1"), u"C:\\m1.plk");
    EXPECT_EQ(text(kKey212, u"MRU3"), u"");
    EXPECT_EQ(reg.openKeyCount(), 0);

    // Without access nothing is written and the vendor key is closed again.
    fresh();
    reg.denyCreate(kKey212);
    saveSettings(true, true, true, u"x", true);
    EXPECT_FALSE(reg.hasKey(kKey212));
    EXPECT_EQ(reg.openKeyCount(), 0);
}

} // namespace
