// The configuration window under Wine through its real dialogs: the tabs of
// each system, the settings pages writing into the settings, OK and Storno,
// and the collection commands.
#include "app_test_support.h"

#include <commctrl.h>
#include <wininet.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <utility>

#include "app/collection_commands.h"
#include "app/config_frame.h"
#include "app_core/app_state.h"
#include "desktop/desktop_shell.h"
#include "platform/system_info.h"
#include "resource_ids.h"
#include "settings/settings_store.h"
#include "test_support.h"

namespace apptest {
namespace {

HWND tabControl(HWND window) { return FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr); }

std::vector<std::u16string> tabTexts(HWND window) {
    std::vector<std::u16string> texts;
    HWND tabs = tabControl(window);
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(reinterpret_cast<const char16_t*>(text));
    }
    return texts;
}

// Chooses a tab as a click would and returns its new page.
HWND selectTab(HWND window, const std::u16string& text) {
    const std::vector<std::u16string> texts = tabTexts(window);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] != text)
            continue;
        HWND tabs = tabControl(window);
        SendMessageW(tabs, TCM_SETCURSEL, i, 0);
        NMHDR header = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(window, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
        return currentConfigPage();
    }
    ADD_FAILURE() << "no tab";
    return nullptr;
}

void click(HWND page, int id) { SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0); }
void type(HWND page, int id, const wchar_t* text) { SetDlgItemTextW(page, id, text); }
std::u16string windowTitle(HWND window) {
    wchar_t title[300] = {};
    GetWindowTextW(window, title, 300);
    return reinterpret_cast<const char16_t*>(title);
}
std::u16string text(HWND page, int id) {
    wchar_t buffer[600] = {};
    GetDlgItemTextW(page, id, buffer, 600);
    return reinterpret_cast<const char16_t*>(buffer);
}
bool enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != 0; }

std::u16string g_dialogAnswer;
bool answerFileDialog(HWND, bool, char16_t* path, size_t units) {
    if (g_dialogAnswer.empty() || g_dialogAnswer.size() >= units)
        return false;
    std::copy(g_dialogAnswer.begin(), g_dialogAnswer.end(), path);
    path[g_dialogAnswer.size()] = 0;
    return true;
}

class ConfigWindowTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        setCollectionFileDialog(answerFileDialog);
        g_dialogAnswer.clear();
    }
    void TearDown() override {
        setCollectionFileDialog(nullptr);
        setConfigFrameFails(false);
        AppWindowTest::TearDown();
    }
    // Starts with a named collection and opens the window.
    void openWindow() {
        makeCollection({"a.bmp", "b.bmp", "c.bmp"});
        start();
        command(ID_SETTINGS);
        Boxes.clear();
    }
};

TEST_F(ConfigWindowTest, EachSystemShowsItsTabs) {
    openWindow();
    EXPECT_EQ(tabTexts(window), (std::vector<std::u16string>{u"Kolekce", u"Nastavení", u"Nastavení 2", u"Nastavení 3", u"Další"}));
    // The tabs hold the largest page; the buttons sit in the window below them.
    RECT client = {}, tabs = {}, page = {}, largest = {0, 0, 212, 211};
    GetClientRect(window, &client);
    GetWindowRect(tabControl(window), &tabs);
    GetWindowRect(currentConfigPage(), &page);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&tabs), 2);
    MapDialogRect(window, &largest);
    EXPECT_GE(tabs.right - tabs.left, largest.right);
    EXPECT_LE(tabs.right, client.right);
    EXPECT_GE(page.right - page.left, largest.right);
    for (int id : {IDC_BTN_COLLECTION, IDC_BTN_OK, IDC_BTN_CANCEL, IDC_BTN_HELP}) {
        RECT button = {};
        GetWindowRect(GetDlgItem(window, id), &button);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&button), 2);
        EXPECT_GE(button.top, tabs.bottom + 5) << id;
        EXPECT_LE(button.bottom, client.bottom) << id;
    }
    quit();
    plat::overrideOsVersion(&plat::kWindows98);
    start();
    EXPECT_EQ(tabTexts(window), (std::vector<std::u16string>{u"Kolekce", u"Win9x logo", u"Nastavení", u"Nastavení 2", u"Další"}));
    // Every page is made anew from the settings when its tab is chosen.
    AppSettings.logoDelayMinutes = 0;
    HWND logo = selectTab(window, u"Win9x logo");
    EXPECT_EQ(text(logo, IDC_LOGO_DELAY_TEXT), u"ihned");
    SendDlgItemMessageW(logo, IDC_LOGO_DELAY, TBM_SETPOS, TRUE, 10);
    SendMessageW(logo, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(GetDlgItem(logo, IDC_LOGO_DELAY)));
    EXPECT_EQ(AppSettings.logoDelayMinutes, 10);
    EXPECT_EQ(text(logo, IDC_LOGO_DELAY_TEXT), u"10 min");
    // Turning the logo on warns first; the wait box is its own setting.
    AppSettings.makeLogo = 0;
    click(logo, IDC_LOGO_MAKE);
    EXPECT_EQ(AppSettings.makeLogo, 1);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].flags, plat::kMbIconWarning);
    click(logo, IDC_LOGO_WAIT_UNPAUSE);
    EXPECT_EQ(AppSettings.logoWaitsForUnpause, 0);
    EXPECT_EQ(AppSettings.makeLogo, 1);
}

TEST_F(ConfigWindowTest, SettingsPageWritesEveryClickIntoTheSettings) {
    openWindow();
    HWND page = selectTab(window, u"Nastavení");
    ASSERT_TRUE(page);
    struct Box {
        int id;
        int32_t AppSettingsRecord::*field;
    } boxes[] = {{IDC_SET_CHANGE_AT_START, &AppSettingsRecord::changeAtStart},
                 {IDC_SET_PERIODIC, &AppSettingsRecord::periodicChange},
                 {IDC_SET_AUTO_STRETCH, &AppSettingsRecord::autoStretch},
                 {IDC_SET_REDUCE_COLOURS, &AppSettingsRecord::reduceColours},
                 {IDC_SET_LOWER_PRIORITY, &AppSettingsRecord::lowerPriority},
                 {IDC_SET_CONFIRM_REMOVE, &AppSettingsRecord::confirmRemove},
                 {IDC_SET_WAIT_NOTICE, &AppSettingsRecord::showWaitNotice}};
    for (const Box& b : boxes) {
        const int32_t before = AppSettings.*b.field;
        EXPECT_EQ(IsDlgButtonChecked(page, b.id) == BST_CHECKED, before != 0) << b.id;
        click(page, b.id);
        EXPECT_EQ(AppSettings.*b.field, before ? 0 : 1) << b.id;
    }
    // Periodic change off greys the interval.
    EXPECT_EQ(enabled(page, IDC_SET_HOURS), AppSettings.periodicChange != 0);
    click(page, IDC_SET_ORDER_BACKWARD);
    EXPECT_EQ(AppSettings.changeOrder, 2);
    type(page, IDC_SET_HOURS, L"2");
    type(page, IDC_SET_MINUTES, L"5");
    EXPECT_EQ(AppSettings.intervalMinutes, 125);
    // The interval never becomes 0.
    type(page, IDC_SET_HOURS, L"0");
    type(page, IDC_SET_MINUTES, L"0");
    EXPECT_EQ(text(page, IDC_SET_MINUTES), u"1");
    EXPECT_EQ(AppSettings.intervalMinutes, 1);
}

TEST_F(ConfigWindowTest, PauseSubstringsAreAddedOnceAndDeletedToNothing) {
    writeString(kKey212, L"AutoPause", u"nero\n");
    openWindow();
    AppSettings.confirmRemove = 0;
    HWND page = selectTab(window, u"Nastavení 2");
    ASSERT_TRUE(page);
    type(page, IDC_SET2_EDIT, L"ab");
    EXPECT_FALSE(enabled(page, IDC_SET2_ADD));
    EXPECT_EQ(text(page, IDC_SET2_ADD), u"min. 3 znaky!");
    type(page, IDC_SET2_EDIT, L"Nero");
    EXPECT_TRUE(enabled(page, IDC_SET2_ADD));
    EXPECT_EQ(text(page, IDC_SET2_ADD), u"&Přidej podřetězec");
    click(page, IDC_SET2_ADD);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, u"Tento řetězec již v seznamu je.");
    EXPECT_EQ(std::u16string(AutoPauseList.get()), u"nero\n");
    type(page, IDC_SET2_EDIT, L"ScanDisk");
    click(page, IDC_SET2_ADD);
    EXPECT_EQ(std::u16string(AutoPauseList.get()), u"nero\nScanDisk\n");
    click(page, IDC_SET2_DELETE);
    click(page, IDC_SET2_DELETE);
    EXPECT_EQ(AutoPauseList, nullptr);
    EXPECT_FALSE(enabled(page, IDC_SET2_DELETE));
}

// Active Desktop as the shell's object reports it; switching may not take.
struct FakeActiveDesktop : IActiveDesktop {
    BOOL on = FALSE;
    bool switches = true;
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHOD_(ULONG, AddRef)() override { return 2; }
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(ApplyChanges)(DWORD) override { return S_OK; }
    STDMETHOD(GetWallpaper)(PWSTR, UINT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetWallpaper)(PCWSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetWallpaperOptions)(LPWALLPAPEROPT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetWallpaperOptions)(LPCWALLPAPEROPT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetPattern)(PWSTR, UINT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetPattern)(PCWSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDesktopItemOptions)(LPCOMPONENTSOPT options, DWORD) override {
        options->fActiveDesktop = on;
        return S_OK;
    }
    STDMETHOD(SetDesktopItemOptions)(LPCCOMPONENTSOPT options, DWORD) override {
        if (switches)
            on = options->fActiveDesktop;
        return S_OK;
    }
    STDMETHOD(AddDesktopItem)(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(AddDesktopItemWithUI)(HWND, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(ModifyDesktopItem)(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(RemoveDesktopItem)(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDesktopItemCount)(int*, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDesktopItem)(int, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDesktopItemByID)(ULONG_PTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GenerateDesktopItemHtml)(PCWSTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(AddUrl)(HWND, PCWSTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDesktopItemBySource)(PCWSTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
};
FakeActiveDesktop g_activeDesktop;

TEST_F(ConfigWindowTest, ActiveDesktopSwitchFollowsWhatTheShellReports) {
    openWindow();
    setActiveDesktopFactory([]() -> IActiveDesktop* { return nullptr; });
    HWND page = selectTab(window, u"Nastavení 2");
    for (int id : {IDC_SET2_AD_SWITCH, IDC_SET2_AD_GROUP, IDC_SET2_AD_FIX})
        EXPECT_FALSE(enabled(page, id)) << id;
    EXPECT_EQ(text(page, IDC_SET2_AD_TEXT), u"Na vašem počítači není systém ActiveDesktop vůbec nainstalován. To je dobře:-)).");

    setActiveDesktopFactory([]() -> IActiveDesktop* { return &g_activeDesktop; });
    g_activeDesktop = FakeActiveDesktop();
    page = selectTab(window, u"Nastavení 2");
    EXPECT_EQ(text(page, IDC_SET2_AD_SWITCH), u"&Zapnout");
    EXPECT_FALSE(enabled(page, IDC_SET2_AD_FIX));
    click(page, IDC_SET2_AD_SWITCH);
    EXPECT_EQ(text(page, IDC_SET2_AD_SWITCH), u"&Vypnout");
    EXPECT_TRUE(enabled(page, IDC_SET2_AD_FIX));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, u"Systém ActiveDesktop byl aktivován.");
    // The object takes the new options but stays on: the switch failed.
    g_activeDesktop.switches = false;
    click(page, IDC_SET2_AD_SWITCH);
    EXPECT_EQ(text(page, IDC_SET2_AD_SWITCH), u"&Vypnout");
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].text.rfind(u"Systém ActiveDesktop nelze zapnout/vypnout.", 0), 0u);
    setActiveDesktopFactory(nullptr);
}

TEST_F(ConfigWindowTest, OkSavesAndRestartsTheCountdownOnlyForANewInterval) {
    openWindow();
    ChangeCountdown = 7;
    command(IDC_BTN_OK);
    EXPECT_EQ(ChangeCountdown, 7);
    EXPECT_FALSE(IsWindowVisible(window));
    command(ID_SETTINGS);
    HWND page = selectTab(window, u"Nastavení");
    type(page, IDC_SET_HOURS, L"1");
    type(page, IDC_SET_MINUTES, L"30");
    command(IDC_BTN_OK);
    EXPECT_EQ(ChangeCountdown, 90);
    EXPECT_EQ(storedSettings().intervalMinutes, 90);
}

TEST_F(ConfigWindowTest, StornoAsksAndRestoresSettingsListAndCollection) {
    writeString(kKey212, L"AutoPause", u"Defrag\n");
    openWindow();
    command(IDC_BTN_CANCEL); // nothing changed: no question
    EXPECT_TRUE(Boxes.empty());
    EXPECT_FALSE(IsWindowVisible(window));

    command(ID_SETTINGS);
    const int32_t stretch = AppSettings.autoStretch;
    click(selectTab(window, u"Nastavení"), IDC_SET_AUTO_STRETCH);
    setAutoPauseList(nullptr);
    ActiveCollection.removeEntry(ActiveCollection.first());
    Answers = {plat::kIdNo};
    command(IDC_BTN_CANCEL);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_NE(AppSettings.autoStretch, stretch);
    Answers = {plat::kIdYes};
    command(IDC_BTN_CANCEL);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(AppSettings.autoStretch, stretch);
    ASSERT_TRUE(AutoPauseList);
    EXPECT_EQ(std::u16string(AutoPauseList.get()), u"Defrag\n");
    EXPECT_EQ(ActiveCollection.entryCount(), 3);
}

// The newer options: each box shows and flips its own field, Storno asks and
// puts them back, OK stores them beside the record.
TEST_F(ConfigWindowTest, ExtraPageClicksStornoAndOk) {
    openWindow();
    const ExtraSettingsRecord opened = ExtraSettings;
    ExtraSettings = {0, 1, 1, 0};
    HWND page = selectTab(window, u"Další");
    for (int id : {IDC_EXTRA_NEXT_PER_MONITOR, IDC_EXTRA_FULL_SCREEN, IDC_EXTRA_BATTERY_SAVER, IDC_EXTRA_UPRIGHT_PHOTOS})
        click(page, id);
    const ExtraSettingsRecord flipped = {1, 0, 0, 1};
    EXPECT_EQ(std::memcmp(&ExtraSettings, &flipped, sizeof flipped), 0);
    Answers = {plat::kIdYes};
    command(IDC_BTN_CANCEL);
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(std::memcmp(&ExtraSettings, &opened, sizeof opened), 0);

    command(ID_SETTINGS);
    click(selectTab(window, u"Další"), IDC_EXTRA_UPRIGHT_PHOTOS);
    command(IDC_BTN_OK);
    EXPECT_NE(ExtraSettings.uprightPhotos, opened.uprightPhotos);
    const std::vector<uint8_t> stored = readValue(kKey212, L"Dalsi");
    ASSERT_EQ(stored.size(), sizeof(ExtraSettingsRecord));
    EXPECT_EQ(std::memcmp(stored.data(), &ExtraSettings, stored.size()), 0);
}

TEST_F(ConfigWindowTest, OpeningADamagedFileKeepsTheCollectionItsNameAndSnapshot) {
    openWindow();
    const std::u16string name = CollectionFileName;
    const std::u16string damaged = (folder / "vadna.plk").u16string();
    std::ofstream(std::filesystem::path(damaged), std::ios::binary) << "not a collection";
    Answers = {plat::kIdNo}; // do not save first
    SendMessageW(window, WM_COMMAND, ID_COLLECTION_OPEN, reinterpret_cast<LPARAM>(damaged.c_str()));
    ASSERT_GE(Boxes.size(), 2u);
    EXPECT_EQ(Boxes.front().text, u"Chcete aktuální kolekci uložit?");
    EXPECT_EQ(Boxes.back().text, u"Chyba otevírání kolekce.");
    EXPECT_EQ(std::u16string(CollectionFileName), name);
    EXPECT_EQ(ActiveCollection.entryCount(), 3);
    EXPECT_TRUE(ActiveCollection.equals(SavedCollection));
    EXPECT_EQ(SendDlgItemMessageW(currentConfigPage(), IDC_COLL_LIST, LB_GETCOUNT, 0, 0), 3);
}

TEST_F(ConfigWindowTest, NewSaveAsOpenAndTheRecentFiles) {
    const std::u16string hory = (folder / "Hory.plk").u16string();
    writeString(kKey212, L"MRU1", hory);
    openWindow();
    // New asks to save; Yes saves the old one under its name.
    ActiveCollection.removeEntry(ActiveCollection.last());
    Answers = {plat::kIdYes};
    command(ID_COLLECTION_NEW);
    EXPECT_EQ(ActiveCollection.entryCount(), 0);
    EXPECT_EQ(windowTitle(window), u"Plochar - nová kolekce");
    WallpaperCollection saved;
    ASSERT_TRUE(saved.loadFromFile(hory.c_str()));
    EXPECT_EQ(saved.entryCount(), 2);
    // Save as names it and puts it first among the recent files.
    ActiveCollection.addPath(pictures[2].c_str());
    g_dialogAnswer = (folder / "More.plk").u16string();
    command(ID_COLLECTION_SAVE_AS);
    EXPECT_EQ(windowTitle(window), u"Plochar - More");
    EXPECT_EQ(std::u16string(MruList[0]), g_dialogAnswer);
    EXPECT_EQ(std::u16string(MruList[1]), hory);
    const std::vector<uint8_t> last = readValue(kKey212, L"LastKolekce");
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(last.data())), g_dialogAnswer);
    // The second recent file opens and moves to the front.
    Answers = {plat::kIdNo};
    command(ID_MRU2);
    EXPECT_EQ(std::u16string(CollectionFileName), hory);
    EXPECT_EQ(std::u16string(MruList[0]), hory);
    EXPECT_EQ(std::u16string(MruList[1]), g_dialogAnswer);
    EXPECT_EQ(ActiveCollection.entryCount(), 2);
    // Removing missing pictures reports the count.
    std::filesystem::remove(std::filesystem::path(pictures[0]));
    Boxes.clear();
    Answers = {plat::kIdYes};
    command(ID_COLLECTION_REMOVE_MISSING);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].text, u"Bylo odstraněno celkem 1 tapet.");
    EXPECT_EQ(ActiveCollection.entryCount(), 1);
    // Yes to saving an unnamed collection, then the save dialog cancelled:
    // neither New nor Open may replace it.
    Answers = {plat::kIdNo};
    command(ID_COLLECTION_NEW);
    ActiveCollection.addPath(pictures[1].c_str());
    g_dialogAnswer.clear();
    Answers = {plat::kIdYes};
    command(ID_COLLECTION_NEW);
    EXPECT_EQ(ActiveCollection.entryCount(), 1) << "New went ahead";
    Answers = {plat::kIdYes};
    SendMessageW(window, WM_COMMAND, ID_COLLECTION_OPEN, reinterpret_cast<LPARAM>(hory.c_str()));
    EXPECT_EQ(ActiveCollection.entryCount(), 1) << "Open went ahead";
    EXPECT_EQ(std::u16string(CollectionFileName), u"");
}

TEST_F(ConfigWindowTest, AFrameThatFailsLeavesTheCollectionFileAlone) {
    const std::u16string file = makeCollection({"a.bmp", "b.bmp", "c.bmp"});
    const std::vector<uint8_t> before = testing_support::readAll(file);
    setConfigFrameFails(true);
    bool tabsFailed = false;
    EXPECT_EQ(createMainWindow(GetModuleHandleW(nullptr), false, &tabsFailed), nullptr);
    EXPECT_TRUE(tabsFailed);
    ASSERT_FALSE(Boxes.empty());
    EXPECT_EQ(Boxes[0].text, u"Chyba programu při inicializaci karet.");
    EXPECT_EQ(testing_support::readAll(file), before);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// A user who goes on clicking while a box is open. A box disables the window
// that owns it, so a click in the window lands only under a box owned by
// nothing in it; the tray, outside the window, is always there. The box's
// own modal loop hands on whatever the clicks posted.
struct ClickUnderBox {
    std::u16string boxText; // the box it waits for: the start of its text
    bool inTray;
    std::function<void()> click;
};
std::vector<ClickUnderBox> g_clicks;
int answerWithClicksUnderTheBox(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
    const bool windowTakesClicks = !owner || GetAncestor(static_cast<HWND>(owner), GA_ROOT) != MainWindow;
    for (size_t i = 0; i < g_clicks.size(); ++i) {
        if (std::u16string(text).rfind(g_clicks[i].boxText, 0) != 0)
            continue;
        const ClickUnderBox click = g_clicks[i];
        g_clicks.erase(g_clicks.begin() + static_cast<std::ptrdiff_t>(i));
        if (click.inTray || windowTakesClicks)
            click.click();
        break;
    }
    pumpUntil([] { return false; }, 0);
    return answerBox(owner, text, caption, flags);
}

class ClicksUnderBoxesTest : public ConfigWindowTest {
  protected:
    void SetUp() override {
        ConfigWindowTest::SetUp();
        plat::setMessageBoxHook(answerWithClicksUnderTheBox);
    }
    void TearDown() override {
        g_clicks.clear();
        ConfigWindowTest::TearDown();
    }
    void openWindowWith(const std::vector<std::string>& names) {
        makeCollection(names);
        start();
        command(ID_SETTINGS);
        Boxes.clear();
    }
    static HWND list() { return GetDlgItem(currentConfigPage(), IDC_COLL_LIST); }
    static void selectOnly(int index) {
        SendMessageW(list(), LB_SETSEL, FALSE, -1);
        SendMessageW(list(), LB_SETSEL, TRUE, index);
        SendMessageW(currentConfigPage(), WM_COMMAND, MAKEWPARAM(IDC_COLL_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list()));
    }
    static std::vector<std::u16string> namesIn(const WallpaperCollection& c) {
        std::vector<std::u16string> names;
        for (const WallpaperEntry* e = c.first(); e; e = c.nextOf(e))
            names.push_back(std::filesystem::path(e->path).filename().u16string());
        return names;
    }
    static std::vector<std::u16string> namesInFile(const std::u16string& file) {
        WallpaperCollection c;
        EXPECT_TRUE(c.loadFromFile(file.c_str()));
        return namesIn(c);
    }
};

TEST_F(ClicksUnderBoxesTest, APageQuestionHoldsItsPageListAndPositions) {
    // The Active Desktop notice: another tab chosen under it would free the
    // page that writes the outcome.
    setActiveDesktopFactory([]() -> IActiveDesktop* { return &g_activeDesktop; });
    g_activeDesktop = FakeActiveDesktop();
    openWindowWith({"d.bmp", "b.bmp", "c.bmp", "a.bmp"});
    HWND page = selectTab(window, u"Nastavení 2");
    g_clicks = {{u"Systém ActiveDesktop", false, [this] { selectTab(window, u"Nastavení 3"); }}};
    click(page, IDC_SET2_AD_SWITCH);
    EXPECT_EQ(currentConfigPage(), page);
    EXPECT_EQ(text(page, IDC_SET2_AD_SWITCH), u"&Vypnout");
    setActiveDesktopFactory(nullptr);

    // Deleting one pause substring with another tab chosen under the question.
    setAutoPauseList(u"Defrag\nNero\nScanDisk\nWinRAR\n");
    page = selectTab(window, u"Nastavení 2");
    SendDlgItemMessageW(page, IDC_SET2_LIST, LB_SETCURSEL, 1, 0);
    g_clicks = {{u"Opravdu", false, [this] { selectTab(window, u"Nastavení"); }}};
    Answers = {plat::kIdYes};
    click(page, IDC_SET2_DELETE);
    ASSERT_TRUE(AutoPauseList);
    EXPECT_EQ(std::u16string(AutoPauseList.get()), u"Defrag\nScanDisk\nWinRAR\n");

    // Removing d.bmp with "Setřídit" clicked under the question: d goes, not
    // the picture sorted into its place.
    page = selectTab(window, u"Kolekce");
    selectOnly(0);
    g_clicks = {{u"", false, [page] { click(page, IDC_COLL_SORT); }}};
    Answers = {plat::kIdYes};
    click(page, IDC_COLL_REMOVE);
    ASSERT_FALSE(Boxes.empty());
    EXPECT_NE(Boxes.back().text.find(u"d.bmp"), std::u16string::npos);
    EXPECT_EQ(namesIn(ActiveCollection), (std::vector<std::u16string>{u"b.bmp", u"c.bmp", u"a.bmp"}));
}

TEST_F(ClicksUnderBoxesTest, TheTrayWaitsForAnOpenQuestion) {
    openWindowWith({"d.bmp", "b.bmp", "c.bmp", "a.bmp"});
    HWND page = currentConfigPage();
    selectOnly(0);
    // "&Konec" and "&Nastavení" from the tray while the remove question is up.
    g_clicks = {{u"", true, [this] {
                     command(ID_QUIT);
                     command(ID_SETTINGS);
                 }}};
    Answers = {plat::kIdYes};
    click(page, IDC_COLL_REMOVE);
    pumpUntil([] { return false; }, 200);
    ASSERT_EQ(MainWindow, window);
    EXPECT_EQ(currentConfigPage(), page);
    EXPECT_EQ(namesIn(ActiveCollection), (std::vector<std::u16string>{u"b.bmp", u"c.bmp", u"a.bmp"}));
    quit(); // once the question is answered, the tray works again
}

TEST_F(ClicksUnderBoxesTest, AFailedOpenCannotBeOvertakenByAnother) {
    openWindowWith({"a.bmp", "b.bmp"});
    const std::u16string hory = CollectionFileName;
    const std::u16string damaged = (folder / "vadna.plk").u16string();
    std::ofstream(std::filesystem::path(damaged), std::ios::binary) << "not a collection";
    WallpaperCollection other;
    std::ofstream(folder / "x.bmp") << "BM";
    ASSERT_EQ(other.addPath((folder / "x.bmp").u16string().c_str()), AddOutcome::Added);
    const std::u16string otherFile = (folder / u"Jiná.plk").u16string();
    ASSERT_TRUE(other.saveToFile(otherFile.c_str()));
    plat::copyText(MruList[0], plat::kPathUnits, damaged.c_str());
    plat::copyText(MruList[1], plat::kPathUnits, otherFile.c_str());
    // Under the reader's "bad format" box the user opens the other file from
    // "Kolekce >>".
    g_clicks = {{u"Špatný formát", false, [this] { command(ID_MRU2); }}};
    Answers = {plat::kIdNo, plat::kIdNo};
    command(ID_MRU1);
    EXPECT_EQ(std::u16string(CollectionFileName), hory);
    EXPECT_EQ(namesIn(ActiveCollection), (std::vector<std::u16string>{u"a.bmp", u"b.bmp"}));
    quit();
    EXPECT_EQ(namesInFile(otherFile), std::vector<std::u16string>{u"x.bmp"});
    EXPECT_EQ(namesInFile(hory), (std::vector<std::u16string>{u"a.bmp", u"b.bmp"}));
}

TEST_F(ClicksUnderBoxesTest, OkPressedAgainUnderTheSaveAsDialogSavesOnce) {
    start();
    command(ID_SETTINGS);
    static int dialogs;
    static HWND mainWindow;
    dialogs = 0;
    mainWindow = window;
    setCollectionFileDialog([](HWND, bool save, char16_t* path, size_t units) {
        // Clicks queued on the button before the dialog disabled the window.
        if (++dialogs == 1) {
            SendMessageW(mainWindow, WM_COMMAND, IDC_BTN_OK, 0);
            SendMessageW(mainWindow, WM_COMMAND, IDC_BTN_OK, 0);
        }
        return save && answerFileDialog(mainWindow, save, path, units);
    });
    g_dialogAnswer = (folder / u"Nová.plk").u16string();
    command(IDC_BTN_OK);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(std::u16string(CollectionFileName), g_dialogAnswer);
    EXPECT_FALSE(IsWindowVisible(window));
}

// Storno undoes what happened since the last save, not the save itself.
TEST_F(ClicksUnderBoxesTest, StornoAfterASaveKeepsWhatWasSaved) {
    openWindowWith({"d.bmp", "b.bmp", "c.bmp", "a.bmp"});
    const std::u16string file = CollectionFileName;
    click(currentConfigPage(), IDC_COLL_SORT);
    command(ID_COLLECTION_SAVE);
    Answers = {plat::kIdYes};
    command(IDC_BTN_CANCEL);
    EXPECT_TRUE(Boxes.empty()); // nothing left to undo
    quit();
    EXPECT_EQ(namesInFile(file), (std::vector<std::u16string>{u"a.bmp", u"b.bmp", u"c.bmp", u"d.bmp"}));
}

// What the interval fields show is what is stored, however far past the
// up-downs' ranges the typed number is.
TEST_F(ConfigWindowTest, TheStoredIntervalIsTheShownOne) {
    openWindow();
    HWND page = selectTab(window, u"Nastavení");
    const auto shown = [page] {
        return static_cast<int32_t>(GetDlgItemInt(page, IDC_SET_HOURS, nullptr, FALSE) * 60 +
                                    GetDlgItemInt(page, IDC_SET_MINUTES, nullptr, FALSE));
    };
    type(page, IDC_SET_MINUTES, L"30");
    for (const wchar_t* hours : {L"30", L"4294967295", L"7"}) {
        type(page, IDC_SET_HOURS, hours);
        EXPECT_EQ(AppSettings.intervalMinutes, shown()) << hours;
        EXPECT_LE(GetDlgItemInt(page, IDC_SET_HOURS, nullptr, FALSE), 23u) << hours;
    }
    type(page, IDC_SET_MINUTES, L"75");
    EXPECT_EQ(text(page, IDC_SET_MINUTES), u"59");
    EXPECT_EQ(AppSettings.intervalMinutes, 7 * 60 + 59);
}

} // namespace
} // namespace apptest
