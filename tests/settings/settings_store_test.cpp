// The settings store on an in-memory registry. (The first start is the
// end-to-end test's.)
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
        const auto& data = reg.find(kKey212, u"Nastaveni")->data;
        EXPECT_EQ(data.size(), 140u);
        std::memcpy(&s, data.data(), std::min<size_t>(data.size(), sizeof(s)));
        return s;
    }
    std::u16string text(const std::u16string& value) {
        const auto* v = reg.find(kKey212, value);
        return !v || v->data.size() < 2
                   ? u"<missing>"
                   : std::u16string(reinterpret_cast<const char16_t*>(v->data.data()), v->data.size() / 2 - 1);
    }

    plat::MemoryRegistry reg;
    char16_t name[plat::kPathUnits];
    char16_t lastDir[kLastDirUnits];
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
    const std::filesystem::path picture = std::filesystem::temp_directory_path() / "plochar-settings-test.bmp";
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
    EXPECT_EQ(std::u16string(name) + MruList[1] + LastDir + AutoPauseList.get(),
              u"C:\\kolekce\\Hory.plkC:\\b.plkC:\\obrazkyNero\n");
    EXPECT_EQ(std::memcmp(&AppSettings, &s, sizeof(s)), 0) << "a pause by the user survives a restart";
    EXPECT_TRUE(CurrentWallpaper.equals(e));
    EXPECT_EQ(reg.find(kKey212, u"LastDir")->type, 2u) << "nothing was written back";
    // A wallpaper set by someone else makes the last picture forgotten.
    reg.putString(u"HKCU\\Control Panel\\Desktop", u"Wallpaper", u"C:\\Windows\\jine.bmp");
    load();
    EXPECT_FALSE(CurrentWallpaper.hasPath());
    std::filesystem::remove(picture);
}

TEST_F(SettingsStoreTest, OlderVersionsAreImportedAndWrittenAtOnce) {
    const struct {
        const char16_t* key;
        uint32_t size;
        int32_t interval, expectInterval, expectPeriodic, expectNewFields;
    } cases[] = {
        {u"HKCU\\Software\\Vorsan\\Plochar 2.10", 136, 0, 30, 0, 1},
        {u"HKCU\\Software\\Vorsan\\Plochar 2.10", 136, 45, 45, 1, 1},
        {u"HKCU\\Software\\Vorsan\\Plochar 2.01", 128, -3, 1, 1, 0},
    };
    for (const auto& c : cases) {
        fresh();
        AppSettingsRecord s = defaultSettings();
        s.intervalMinutes = c.interval;
        s.activeDesktopFix = s.autoPauseForegroundOnly = 1; // beyond the 128 bytes of 2.01
        s.periodicChange = 12345;                           // beyond the 136 bytes: never read
        AppSettings.activeDesktopFix = AppSettings.autoPauseForegroundOnly = 1;
        putSettings(c.key, s, c.size);
        for (const char16_t* value : {u"LastDir", u"LastKolekce", u"MRU2"})
            reg.putString(c.key, value, std::u16string(u"D:\\") + value);

        EXPECT_EQ(load(), c.size == 136 ? kSource210 : kSource201);
        EXPECT_EQ(g_boxes.at(0).find(u"Program Plochar importoval své nastavení"), 0u);
        const AppSettingsRecord r = stored();
        EXPECT_EQ(std::memcmp(&r, &AppSettings, sizeof(r)), 0) << "written at once";
        EXPECT_EQ(std::vector<int32_t>({r.intervalMinutes, r.periodicChange, r.activeDesktopFix, r.autoPauseForegroundOnly}),
                  std::vector<int32_t>({c.expectInterval, c.expectPeriodic, c.expectNewFields, c.expectNewFields}))
            << c.interval;
        EXPECT_EQ(std::u16string(LastDir), c.size == 136 ? u"D:\\LastDir" : u"") << "2.01 kept no folder";
        EXPECT_EQ(std::u16string(AutoPauseList.get()), kDefaultList) << "no AutoPause value";
        // The collection and the recent files too, at once: a crash must not lose them.
        EXPECT_EQ(text(u"LastKolekce") + text(u"MRU2"), u"D:\\LastKolekceD:\\MRU2");
        EXPECT_EQ(load(), kSource212) << "the next start finds the new key";
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
        EXPECT_EQ(AppSettings.intervalMinutes, c.expected) << c.size << " " << c.interval;
        EXPECT_EQ(stored().intervalMinutes, c.expected) << "written back over " << c.size << " bytes";
        EXPECT_EQ(text(u"AutoPause"), kDefaultList) << "a list of the wrong type counts as missing";
    }
    // Strings too long count as missing, unterminated ones are cut, the list fits its value.
    fresh();
    reg.putString(kKey212, u"LastKolekce", std::u16string(270, u'a')); // 542 bytes > 540
    reg.putString(kKey212, u"MRU1", std::u16string(269, u'b'));        // exactly fits
    reg.putString(kKey212, u"LastDir", std::u16string(271, u'c'));     // 544 bytes > 542
    reg.put(kKey212, u"MRU2", plat::kRegSz, u"abc", 5);
    reg.put(kKey212, u"MRU3", plat::kRegBinary, u"abc", 8);
    const std::u16string longList = std::u16string(2000, u'x') + u"\n";
    reg.putString(kKey212, u"AutoPause", longList);
    load();
    EXPECT_EQ(name[0], 0);
    EXPECT_EQ(std::u16string(MruList[0]).size(), 269u);
    EXPECT_EQ(std::u16string(MruList[1]) + MruList[2] + LastDir, u"ab");
    EXPECT_EQ(std::u16string(AutoPauseList.get()), longList);
}

TEST_F(SettingsStoreTest, SaveWritesOnlyTheChosenGroups) {
    AppSettings.PauseState = 2;
    saveSettings(kSaveSettings);
    EXPECT_EQ(stored().PauseState, 0) << "an automatic pause is not stored";
    EXPECT_EQ(AppSettings.PauseState, 2) << "but stays in memory";
    for (const char16_t* value : {u"AutoPause", u"LastDir", u"LastKolekce", u"MRU1"})
        EXPECT_FALSE(reg.find(kKey212, value));
    AppSettings.PauseState = 1; // the user's pause is kept
    setAutoPauseList(nullptr);
    lastDir[0] = u'Q';
    std::memcpy(MruList[0], u"C:\\1", 10);
    std::memcpy(MruList[1], u"C:\\2", 10);
    saveSettings(kSaveSettings | kSaveLastTapeta | kSaveAutoPause | kSaveName | kSaveLastDir, u"C:\\akt.plk");
    EXPECT_EQ(stored().PauseState, 1);
    EXPECT_EQ(text(u"AutoPause") + u"|" + text(u"LastDir") + u"|" + text(u"LastKolekce"), u"|Q|C:\\akt.plk");
    EXPECT_EQ(text(u"MRU1") + u"|" + text(u"MRU2") + u"|" + text(u"MRU3"), u"C:\\1|C:\\2|");
    EXPECT_EQ(reg.openKeyCount(), 0);
    // Without access nothing is written and the vendor key is closed again.
    fresh();
    reg.denyCreate(kKey212);
    saveSettings(kSaveSettings | kSaveLastTapeta | kSaveAutoPause | kSaveName | kSaveLastDir, u"x");
    EXPECT_FALSE(reg.hasKey(kKey212));
    EXPECT_EQ(reg.openKeyCount(), 0);
}

TEST_F(SettingsStoreTest, TheNewerOptionsLiveInTheirOwnValue) {
    auto extra = [&] {
        const auto* v = reg.find(kKey212, u"Dalsi");
        std::vector<int32_t> fields(v ? v->data.size() / 4 : 0);
        if (v)
            std::memcpy(fields.data(), v->data.data(), fields.size() * 4);
        return fields;
    };
    // A first start offers the pause for full-screen programs and writes it.
    EXPECT_EQ(load(), kSourceNone);
    EXPECT_EQ(extra(), std::vector<int32_t>({0, 1, 0, 1}));
    EXPECT_EQ(stored().intervalMinutes, 30) << "the record itself is unchanged";
    // An existing user without the value keeps today's behaviour.
    fresh();
    putSettings(kKey212, defaultSettings(), 140);
    load();
    EXPECT_EQ(ExtraSettings.pauseForFullScreen, 0);
    EXPECT_EQ(ExtraSettings.uprightPhotos, 1);
    // A shorter value keeps the later defaults, a longer one gives what is
    // known, a field that is not a switch is ignored.
    const struct {
        std::vector<int32_t> stored;
        std::vector<int32_t> expected;
    } cases[] = {
        {{1, 1}, {1, 1, 0, 1}},
        {{0, 0, 1, 0, 7, 7}, {0, 0, 1, 0}},
        {{5, -1, 1, 0}, {0, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        fresh();
        putSettings(kKey212, defaultSettings(), 140);
        reg.put(kKey212, u"Dalsi", plat::kRegBinary, c.stored.data(), static_cast<uint32_t>(c.stored.size() * 4));
        load();
        saveSettings(kSaveSettings);
        EXPECT_EQ(extra(), c.expected) << c.stored.size();
    }
}

} // namespace
