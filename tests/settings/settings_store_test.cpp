// The settings store against an in-memory registry: reading, the import of
// the two older versions, the size, type and range rules, and what is
// written. The first start is the end-to-end test's, the logo flag the
// window tests'.
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
        std::memset(MruList, 0, sizeof(MruList));
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
        std::memcpy(&s, v->data.data(), std::min<size_t>(v->data.size(), sizeof(s)));
        return s;
    }
    std::u16string text(const std::u16string& value) {
        const auto* v = reg.find(kKey212, value);
        if (!v || v->data.size() < 2)
            return u"<missing>";
        return std::u16string(reinterpret_cast<const char16_t*>(v->data.data()), v->data.size() / 2 - 1);
    }

    plat::MemoryRegistry reg;
    char16_t name[plat::kPathUnits];
    char16_t lastDir[kLastDirUnits];
    std::filesystem::path picture;
    std::error_code ec;
};

TEST_F(SettingsStoreTest, CompleteCurrentSettingsAreReadAndNothingIsWritten) {
    AppSettingsRecord s = defaultSettings();
    s.intervalMinutes = 7;
    s.PauseState = 1;
    s.periodicChange = 0;
    putSettings(kKey212, s, 140);
    reg.putString(kKey212, u"LastKolekce", u"C:\\kolekce\\Hory.plk");
    reg.putString(kKey212, u"MRU2", u"C:\\b.plk");
    reg.put(kKey212, u"LastDir", 2, u"C:\\obrazky", 22); // REG_EXPAND_SZ: a rewrite would make it REG_SZ
    reg.putString(kKey212, u"AutoPause", u"Nero\n");
    // A real picture, and the desktop showing the program's own desktop.bmp.
    picture = std::filesystem::temp_directory_path() / "plochar-settings-test.bmp";
    std::ofstream(picture) << "BM";
    WallpaperEntry e;
    ASSERT_TRUE(e.setPath(picture.u16string().c_str()));
    e.style = 2;
    int32_t length = 0;
    auto record = e.serialize(&length);
    reg.put(kKey212, u"LastTapeta", plat::kRegBinary, record.get(), static_cast<uint32_t>(length));
    char16_t ours[plat::kPathUnits];
    ASSERT_TRUE(plat::programFolderFile(u"desktop.bmp", ours, plat::kPathUnits));
    reg.putString(u"HKCU\\Control Panel\\Desktop", u"Wallpaper", ours);

    EXPECT_EQ(load(), kSource212);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(std::u16string(name) + MruList[1] + LastDir + AutoPauseList.get(),
              u"C:\\kolekce\\Hory.plkC:\\b.plkC:\\obrazkyNero\n");
    EXPECT_EQ(std::memcmp(&AppSettings, &s, sizeof(s)), 0) << "a pause by the user survives a restart";
    EXPECT_TRUE(CurrentWallpaper.equals(e));
    EXPECT_EQ(reg.find(kKey212, u"LastDir")->type, 2u) << "nothing was written back";

    // A wallpaper set by someone else makes the last picture forgotten.
    reg.putString(u"HKCU\\Control Panel\\Desktop", u"Wallpaper", u"C:\\Windows\\jine.bmp");
    load();
    EXPECT_FALSE(CurrentWallpaper.hasPath());
}

TEST_F(SettingsStoreTest, OlderVersionsAreImportedAndWrittenAtOnce) {
    const struct {
        const char16_t* key;
        uint32_t size;
        int32_t interval, expectInterval, expectPeriodic, expectNewFields;
        SettingsSource source;
    } cases[] = {
        {u"HKCU\\Software\\Vorsan\\Plochar 2.10", 136, 0, 30, 0, 1, kSource210},
        {u"HKCU\\Software\\Vorsan\\Plochar 2.10", 136, 45, 45, 1, 1, kSource210},
        {u"HKCU\\Software\\Vorsan\\Plochar 2.01", 128, -3, 1, 1, 0, kSource201},
    };
    for (const auto& c : cases) {
        fresh();
        AppSettingsRecord s = defaultSettings();
        s.intervalMinutes = c.interval;
        s.activeDesktopFix = 1; // beyond the 128 bytes of 2.01
        s.autoPauseForegroundOnly = 1;
        s.periodicChange = 12345; // beyond the 136 bytes: never read
        AppSettings.activeDesktopFix = AppSettings.autoPauseForegroundOnly = 1;
        putSettings(c.key, s, c.size);
        reg.putString(c.key, u"LastDir", u"D:\\fotky");
        reg.putString(c.key, u"LastKolekce", u"D:\\a.plk");
        reg.putString(c.key, u"MRU2", u"D:\\b.plk");

        EXPECT_EQ(load(), c.source);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_NE(g_boxes[0].find(u"importoval své nastavení"), std::u16string::npos);
        for (const AppSettingsRecord& r : {AppSettings, stored()}) {
            EXPECT_EQ(r.intervalMinutes, c.expectInterval) << c.interval;
            EXPECT_EQ(r.periodicChange, c.expectPeriodic) << c.interval;
            EXPECT_EQ(r.activeDesktopFix, c.expectNewFields) << c.interval;
            EXPECT_EQ(r.autoPauseForegroundOnly, c.expectNewFields) << c.interval;
        }
        EXPECT_EQ(std::u16string(LastDir), c.source == kSource210 ? u"D:\\fotky" : u"") << "2.01 kept no folder";
        EXPECT_EQ(std::u16string(name), u"D:\\a.plk");
        EXPECT_EQ(std::u16string(AutoPauseList.get()), kDefaultList) << "no AutoPause value";
        // The collection and the recent files too, at once: a crash must not lose them.
        EXPECT_EQ(text(u"LastKolekce"), u"D:\\a.plk");
        EXPECT_EQ(text(u"MRU2"), u"D:\\b.plk");

        // The next start finds the new key and says nothing more.
        g_boxes.clear();
        EXPECT_EQ(load(), kSource212);
        EXPECT_TRUE(g_boxes.empty());
    }
}

TEST_F(SettingsStoreTest, ValuesOfTheWrongSizeTypeOrRangeAreReplaced) {
    const struct {
        uint32_t size;
        int32_t interval, expected;
    } cases[] = {{150, 99, 30}, {139, 99, 30}, {140, -5, 1}, {140, 0, 1}};
    for (const auto& c : cases) {
        fresh();
        AppSettingsRecord s = defaultSettings();
        s.intervalMinutes = c.interval;
        putSettings(kKey212, s, c.size);
        reg.put(kKey212, u"AutoPause", plat::kRegDword, &c.interval, 4);
        EXPECT_EQ(load(), kSource212);
        EXPECT_TRUE(g_boxes.empty());
        EXPECT_EQ(AppSettings.intervalMinutes, c.expected) << c.size << " " << c.interval;
        EXPECT_EQ(stored().intervalMinutes, c.expected) << "written back over " << c.size << " bytes";
        ASSERT_TRUE(AutoPauseList) << "a list of the wrong type counts as missing";
        EXPECT_EQ(text(u"AutoPause"), kDefaultList);
    }
}

TEST_F(SettingsStoreTest, StringValuesThatDoNotFitCountAsMissing) {
    reg.putString(kKey212, u"LastKolekce", std::u16string(270, u'a')); // 542 bytes > 540
    reg.putString(kKey212, u"MRU1", std::u16string(269, u'b'));        // exactly fits
    reg.putString(kKey212, u"LastDir", std::u16string(271, u'c'));     // 544 bytes > 542
    reg.put(kKey212, u"MRU2", plat::kRegSz, u"abc", 5);                // odd, no terminator
    reg.put(kKey212, u"MRU3", plat::kRegBinary, u"abc", 8);
    // The list is sized by its stored value, not by a fixed buffer.
    std::u16string longList;
    for (int i = 0; i < 300; ++i)
        longList += u"Okno " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\n";
    reg.putString(kKey212, u"AutoPause", longList);
    load();
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(std::u16string(MruList[0]).size(), 269u);
    EXPECT_EQ(std::u16string(MruList[1]) + MruList[2] + LastDir, u"ab");
    EXPECT_EQ(std::u16string(AutoPauseList.get()), longList);
}

TEST_F(SettingsStoreTest, SaveWritesOnlyTheChosenGroups) {
    AppSettings.PauseState = 2;
    saveSettings(true, false, false, nullptr, false);
    EXPECT_EQ(stored().PauseState, 0) << "an automatic pause is not stored";
    EXPECT_EQ(AppSettings.PauseState, 2) << "but stays in memory";
    for (const char16_t* value : {u"AutoPause", u"LastDir", u"LastKolekce", u"MRU1"})
        EXPECT_FALSE(reg.find(kKey212, value));

    AppSettings.PauseState = 1;
    setAutoPauseList(nullptr);
    lastDir[0] = u'Q';
    const std::u16string mru[] = {u"C:\\m1.plk", u"C:\\m2.plk", u""};
    for (size_t k = 0; k < 3; ++k)
        plat::copyText(MruList[k], plat::kPathUnits, mru[k].c_str());
    saveSettings(true, true, true, u"C:\\akt.plk", true);
    EXPECT_EQ(stored().PauseState, 1);
    EXPECT_EQ(text(u"AutoPause"), u"");
    EXPECT_EQ(text(u"LastDir"), u"Q");
    EXPECT_EQ(text(u"LastKolekce"), u"C:\\akt.plk");
    for (size_t k = 0; k < 3; ++k)
        EXPECT_EQ(text(u"MRU" + std::u16string(1, static_cast<char16_t>(u'1' + k))), mru[k]) << k;
    EXPECT_EQ(reg.openKeyCount(), 0);

    // Without access nothing is written and the vendor key is closed again.
    fresh();
    reg.denyCreate(kKey212);
    saveSettings(true, true, true, u"x", true);
    EXPECT_FALSE(reg.hasKey(kKey212));
    EXPECT_EQ(reg.openKeyCount(), 0);
}

} // namespace
