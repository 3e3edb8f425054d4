// The real main window under Wine: start-up, the change cycle driven by its
// timer messages, manual changes, pausing, re-apply, closing and saving.
#include "app_test_support.h"

#include <cstring>
#include <fstream>

#include "app/tray.h"
#include "app_core/app_state.h"
#include "platform/cancel.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "settings/settings_store.h"

namespace apptest {
namespace {

const char16_t kTipOpen[] = u"Plochar: činnost pozastavena - otevřené konfigurační okno.";

AppSettingsRecord storedSettings() {
    AppSettingsRecord s{};
    const std::vector<uint8_t> data = readValue(HKEY_CURRENT_USER, kKey212, L"Nastaveni");
    EXPECT_EQ(data.size(), 140u);
    std::memcpy(&s, data.data(), std::min(data.size(), sizeof(s)));
    return s;
}

DWORD priority() { return GetPriorityClass(GetCurrentProcess()); }

using MainWindowTest = AppWindowTest;

TEST_F(MainWindowTest, FirstStartShowsTheEmptyCollectionWithItsResources) {
    setTrayShellEnabled(true); // this one goes through the real shell
    start();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, u"Aktivní kolekce neobsahuje žádné plochar.");
    EXPECT_EQ(Boxes[0].caption, u"Plochar 2.12");
    EXPECT_EQ(Boxes[0].flags, plat::kMbIconInformation);
    EXPECT_EQ(Boxes[0].owner, nullptr);
    EXPECT_TRUE(IsWindowVisible(window)) << "an empty collection opens the window";
    EXPECT_EQ(windowTitle(window), u"Plochar - nová kolekce");
    EXPECT_EQ(priority(), static_cast<DWORD>(NORMAL_PRIORITY_CLASS)) << "a shown window keeps normal priority";
    EXPECT_EQ(storedSettings().intervalMinutes, 30) << "defaults are written at once";
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kKey212, L"AutoPause"),
              u"Kontrola disku\nDefragmentace disku\nScanDisk\nNero Burning\n");

    const NOTIFYICONDATAW& r = trayRecord();
    EXPECT_EQ(r.cbSize, NOTIFYICONDATAW_V1_SIZE);
    EXPECT_EQ(r.hWnd, window);
    EXPECT_EQ(r.uID, 1u);
    EXPECT_EQ(r.uFlags, 7u);
    EXPECT_EQ(r.uCallbackMessage, 1124u);
    EXPECT_EQ(trayIconResource(), 120);
    EXPECT_EQ(r.hIcon, trayIconHandle(120));
    EXPECT_EQ(tip(), kTipOpen);

    // Dialog 106: its buttons, its size and the icons in both sizes.
    const std::pair<int, std::u16string> buttons[] = {
        {1044, u"&Kolekce >>"}, {1043, u"&OK"}, {1047, u"&Storno"}, {1045, u"&Nápověda"}};
    for (const auto& [id, text] : buttons) {
        wchar_t read[64] = {};
        GetDlgItemTextW(window, id, read, 64);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(read)), text) << id;
    }
    RECT units = {0, 0, 227, 193}, client = {};
    MapDialogRect(window, &units);
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    for (int id : {101, 120, 121, 102, 113, 127})
        for (int size : {16, 32}) {
            HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
            EXPECT_TRUE(icon) << id << " at " << size;
            DestroyIcon(static_cast<HICON>(icon));
        }
    EXPECT_TRUE(SendMessageW(window, WM_GETICON, ICON_BIG, 0));

    // Help without its file says so.
    command(40008);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].text, u"Nápovědu se nepodařilo otevřít");
    EXPECT_EQ(Boxes[1].caption, u"Chyba");
    EXPECT_EQ(Boxes[1].owner, window);

    // A restarted taskbar gets the icon again with the present status.
    ShowWindow(window, SW_HIDE);
    SendMessageW(window, TaskbarCreatedMessage, 0, 0);
    EXPECT_EQ(tip(), u"Plochar: činnost pozastavena - žádné plochar v kolekci.");
    quit();
}

TEST_F(MainWindowTest, ImportsAnOlderVersion) {
    AppSettingsRecord old = defaultSettings();
    old.intervalMinutes = 0;
    old.changeOrder = 1;
    writeValue(HKEY_CURRENT_USER, kKey210, L"Nastaveni", REG_BINARY, &old, 136);
    writeString(HKEY_CURRENT_USER, kKey210, L"AutoPause", u"Nero\n");
    start();
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].flags, plat::kMbIconWarning);
    EXPECT_EQ(Boxes[0].text.find(u"Program Plochar importoval své nastavení z minulé verze"), 0u);
    const AppSettingsRecord s = storedSettings();
    EXPECT_EQ(s.intervalMinutes, 30);
    EXPECT_EQ(s.periodicChange, 0);
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kKey212, L"AutoPause"), u"Nero\n") << "the old list is kept";
    quit();
}

TEST_F(MainWindowTest, AnUnreadableLastCollectionIsReportedAndLeftAlone) {
    const std::u16string file = makeCollection({"a.bmp", "b.bmp", "c.bmp"});
    std::vector<uint8_t> good;
    {
        std::ifstream in(std::filesystem::path(file), std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    // Missing, and damaged counts (-1, and 0 with the entries behind it).
    for (int damage : {-2, -1, 0}) {
        std::vector<uint8_t> bytes = good;
        if (damage > -2)
            std::memcpy(bytes.data() + 2, &damage, 4);
        const std::u16string name = damage == -2 ? u"C:\\nikde\\Pryc.plk" : file;
        std::ofstream(std::filesystem::path(file), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        writeString(HKEY_CURRENT_USER, kKey212, L"LastKolekce", name);
        Boxes.clear();
        start();
        ASSERT_EQ(Boxes.size(), 2u) << damage;
        EXPECT_EQ(Boxes[0].text, u"Nelze otevřít koleci \"" + name + u"\". Vytvořím novou.");
        EXPECT_EQ(Boxes[0].flags, plat::kMbIconWarning);
        EXPECT_EQ(windowTitle(window), u"Plochar - nová kolekce");
        quit();
        std::ifstream in(std::filesystem::path(file), std::ios::binary);
        EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), bytes) << "the exit save kept off";
    }
}

class ChangeCycleTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        const std::u16string file = makeCollection({"a.bmp", "b.bmp", "c.bmp"});
        writeString(HKEY_CURRENT_USER, kKey212, L"LastKolekce", file);
        storeSettings([](AppSettingsRecord& s) {
            s.intervalMinutes = 3;
            s.changeAtStart = 0;
            s.changeOrder = 1;
        });
    }
};

TEST_F(ChangeCycleTest, TimerTwoCountsDownChangesAndRestarts) {
    start();
    EXPECT_TRUE(Boxes.empty());
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(windowTitle(window), u"Plochar - Hory");
    EXPECT_EQ(priority(), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    EXPECT_EQ(trayIconResource(), 101);
    EXPECT_EQ(tip(), u"Plochar: změna za 3 minuty.");
    timer(2);
    EXPECT_EQ(tip(), u"Plochar: změna za 2 minuty.");
    timer(2);
    EXPECT_EQ(tip(), u"Plochar: změna za 1 minutu.");
    EXPECT_TRUE(Applied.empty());
    timer(2);
    ASSERT_EQ(Applied.size(), 1u);
    EXPECT_EQ(Applied[0].path, pictures[0]) << "forward order starts at the first picture";
    EXPECT_EQ(Applied[0].trayIcon, 121) << "busy icon while applying";
    EXPECT_EQ(Applied[0].busyFlag, 1);
    EXPECT_EQ(BusyFlag.load(), 0);
    EXPECT_EQ(std::u16string(CurrentWallpaper.path), pictures[0]);
    EXPECT_FALSE(readValue(HKEY_CURRENT_USER, kKey212, L"LastTapeta").empty()) << "the applied picture is kept";
    EXPECT_EQ(trayIconResource(), 101);
    EXPECT_EQ(tip(), u"Plochar: změna za 3 minuty.");

    // A failed apply keeps the current picture and waits a whole interval.
    ApplyResult = 0;
    timer(2, 3);
    ASSERT_EQ(Applied.size(), 2u);
    EXPECT_EQ(Applied[1].path, pictures[1]);
    EXPECT_EQ(std::u16string(CurrentWallpaper.path), pictures[0]);
    EXPECT_EQ(ChangeCountdown, 3);
    EXPECT_EQ(tip(), u"Plochar: změna za 3 minuty.");
    quit();
}

TEST_F(ChangeCycleTest, ManualChangesRestartTheIntervalAndSetTheDefault) {
    start();
    timer(2);
    command(40003);
    ASSERT_EQ(Applied.size(), 1u);
    EXPECT_EQ(Applied[0].path, pictures[0]);
    EXPECT_EQ(AppSettings.lastManualCommand, 1);
    EXPECT_EQ(ChangeCountdown, 3);
    EXPECT_EQ(tip(), u"Plochar: změna za 3 minuty.");
    command(40006);
    ASSERT_EQ(Applied.size(), 2u);
    EXPECT_EQ(Applied[1].path, pictures[2]) << "previous of the first wraps to the last";
    EXPECT_EQ(AppSettings.lastManualCommand, 2);
    command(40002);
    EXPECT_EQ(Applied.size(), 3u);
    EXPECT_EQ(AppSettings.lastManualCommand, 0);

    // Re-apply shows the current picture again and leaves the countdown.
    timer(2);
    command(40015);
    ASSERT_EQ(Applied.size(), 4u);
    EXPECT_EQ(Applied[3].path, std::u16string(CurrentWallpaper.path));
    EXPECT_EQ(Applied[3].trayIcon, 121);
    EXPECT_EQ(ChangeCountdown, 2);
    quit();
}

TEST_F(ChangeCycleTest, PauseStopsTheCountdownUntilToggledBack) {
    start();
    command(40007);
    EXPECT_EQ(AppSettings.PauseState, 1);
    EXPECT_EQ(trayIconResource(), 120);
    EXPECT_EQ(tip(), u"Plochar: činnost pozastavena.");
    timer(2, 5);
    EXPECT_TRUE(Applied.empty());
    EXPECT_EQ(ChangeCountdown, 3);
    command(40007);
    EXPECT_EQ(AppSettings.PauseState, 0);
    EXPECT_EQ(trayIconResource(), 101);
    EXPECT_EQ(tip(), u"Plochar: změna za 3 minuty.");

    // A pause by the user outlives a restart, and holds the change at start.
    command(40007);
    AppSettings.changeAtStart = 1;
    AppSettings.changeOrder = 2;
    quit();
    start();
    EXPECT_EQ(AppSettings.PauseState, 1);
    EXPECT_EQ(tip(), u"Plochar: činnost pozastavena.");
    EXPECT_TRUE(Applied.empty());
    command(40007);
    quit();
    start();
    ASSERT_EQ(Applied.size(), 1u) << "running: the change at start happens";
    EXPECT_EQ(Applied[0].path, pictures[2]);
    quit();
}

TEST_F(ChangeCycleTest, TheOpenWindowHoldsTheCountdownAndAsksBeforeLosingChanges) {
    start();
    command(40001);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(priority(), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(tip(), kTipOpen);
    timer(2, 4);
    EXPECT_TRUE(Applied.empty());
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0); // presses OK
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(priority(), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    EXPECT_EQ(tip(), u"Plochar: změna za 3 minuty.");

    // Storno asks only when something changed; No keeps the window open.
    command(40001);
    command(1047);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_FALSE(IsWindowVisible(window));
    command(40001);
    AppSettings.intervalMinutes = 99;
    Answers = {plat::kIdNo, plat::kIdYes};
    command(1047);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].flags, plat::kMbYesNo | plat::kMbIconQuestion | plat::kMbDefButton2);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(AppSettings.intervalMinutes, 99);
    command(1047);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(AppSettings.intervalMinutes, 3);

    // The close box asks too; No keeps the program running, Yes saves and ends it.
    Boxes.clear();
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, u"Opravdu chcete program Plochar ukončit?");
    EXPECT_EQ(Boxes[0].owner, window);
    EXPECT_TRUE(IsWindow(window));
    AppSettings.changeOrder = 0;
    Answers.push_back(plat::kIdYes);
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].text.substr(0, 40), u"Opravdu chcete program Plochar ukončit? ");
    EXPECT_TRUE(pumpUntil([] { return MainWindow == nullptr; }, 5000));
    EXPECT_EQ(storedSettings().changeOrder, 0) << "closing saved the settings";
}

TEST_F(ChangeCycleTest, QuitAndTheEndOfTheSessionSaveEverything) {
    start();
    ASSERT_EQ(ActiveCollection.addPath((folder / "c.bmp").u16string().c_str()), AddOutcome::AlreadyPresent);
    std::ofstream(folder / "d.bmp") << "BM";
    ASSERT_EQ(ActiveCollection.addPath((folder / "d.bmp").u16string().c_str()), AddOutcome::Added);
    AppSettings.intervalMinutes = 45;
    AppSettings.PauseState = 2;
    std::memcpy(MruList[0], u"C:\\jina.plk", 24);
    quit();
    EXPECT_TRUE(Boxes.empty()) << "the tray's Konec asks nothing";
    EXPECT_FALSE(trayIconAdded());
    WallpaperCollection saved;
    ASSERT_TRUE(saved.loadFromFile(CollectionFileName));
    EXPECT_EQ(saved.entryCount(), 4);
    const AppSettingsRecord s = storedSettings();
    EXPECT_EQ(s.intervalMinutes, 45);
    EXPECT_EQ(s.PauseState, 0) << "an automatic pause is not stored";
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kKey212, L"MRU1"), u"C:\\jina.plk");
    EXPECT_EQ(readString(HKEY_CURRENT_USER, kKey212, L"LastKolekce"), std::u16string(CollectionFileName));

    // The end of the session saves without a quit message.
    start();
    AppSettings.intervalMinutes = 44;
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(storedSettings().intervalMinutes, 44);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    DestroyWindow(window);
    pumpUntil([] { return false; }, 0);
}

TEST_F(ChangeCycleTest, LogoCountdownOnWindows98ReportsAFailedBuildOnce) {
    plat::overrideOsVersion(&plat::kWindows98);
    storeSettings([](AppSettingsRecord& s) {
        s.changeAtStart = 0;
        s.makeLogo = 1;
        s.logoDelayMinutes = 0;
    });
    start();
    // Delay 0: the first logo tick is already posted; the builder is not
    // there yet, so the build fails and is reported.
    EXPECT_TRUE(pumpUntil([] { return !Boxes.empty(); }, 3000));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text.find(u"Nastala chyba při tvoření startovního logo systému Windows."), 0u);
    EXPECT_EQ(Boxes[0].flags, plat::kMbIconWarning);
    EXPECT_EQ(tip(), u"Plochar: změna za 30 minut.") << "the tray returns to its status";
    timer(3);
    EXPECT_EQ(Boxes.size(), 1u) << "a stray tick after the attempt builds nothing";
    quit();

    // Windows NT builds no logo: timer 3 never runs there.
    Boxes.clear();
    plat::overrideOsVersion(&plat::kWindowsXp);
    start();
    timer(3, 4);
    EXPECT_TRUE(Boxes.empty());
    quit();
}

// While a picture is being made, its message polling and its error boxes let
// the shell's clicks, commands and timers into the window procedure: none of
// them may start another operation inside the running one.
int g_depth = 0;
bool g_nested = false;
HWND g_window = nullptr;

int applyThatIsInterrupted(const WallpaperEntry& entry, void*) {
    Applied.push_back({entry.path, trayIconResource(), BusyFlag.load()});
    g_nested = g_nested || g_depth > 0;
    if (g_depth++ == 0) {
        SendMessageW(g_window, 1124, 1, WM_LBUTTONDBLCLK);
        for (UINT id : {40002u, 40003u, 40006u, 40015u})
            SendMessageW(g_window, WM_COMMAND, id, 0);
        for (int minute = 0; minute < 4; ++minute)
            SendMessageW(g_window, WM_TIMER, 2, 0);
    }
    --g_depth;
    return 0; // a missing picture: its error box would be open meanwhile
}

TEST_F(ChangeCycleTest, NothingStartsInsideARunningOperation) {
    g_window = start();
    command(40003);
    setApplyOperation(applyThatIsInterrupted, nullptr);
    ChangeCountdown = 1;
    timer(2);
    EXPECT_FALSE(g_nested) << "a change started inside the running one";
    EXPECT_EQ(Applied.size(), 2u);
    EXPECT_EQ(ChangeCountdown, 1) << "a change that fell due meanwhile waits";
    EXPECT_EQ(tip(), u"Plochar: změna za 1 minutu.");
    timer(2);
    EXPECT_EQ(Applied.size(), 3u) << "and comes at the next tick";
    EXPECT_FALSE(g_nested);

    // Re-applying with an empty collection: a double-click meanwhile must not
    // open the configuration window either.
    ActiveCollection.clear();
    command(40015);
    EXPECT_EQ(Applied.size(), 4u);
    EXPECT_FALSE(g_nested);
    EXPECT_FALSE(IsWindowVisible(window));
    quit();
}

// The cancel popup: a right click on the tray while a picture is being made
// shows menu 124 on its own thread; choosing its item stops the work.
HWND g_main = nullptr;
bool g_sawMenu = false;
bool g_aborted = false;

int applyThatWaitsForCancel(const WallpaperEntry&, void*) {
    SendMessageW(g_main, 1124, 1, WM_RBUTTONUP);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20)) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu) && !g_sawMenu) {
            g_sawMenu = true;
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        }
        if (CheckUserAbort(0)) {
            g_aborted = true;
            break;
        }
    }
    return 2;
}

TEST_F(ChangeCycleTest, TheCancelPopupStopsALongChange) {
    g_main = start();
    setApplyOperation(applyThatWaitsForCancel, nullptr);
    command(40002);
    EXPECT_TRUE(g_sawMenu) << "the popup menu appeared";
    EXPECT_TRUE(g_aborted) << "choosing its item cancelled the work";
    EXPECT_EQ(AbortRequest.load(), 0);
    EXPECT_EQ(BusyFlag.load(), 0);
    EXPECT_EQ(trayIconResource(), 101);
    quit();
}

} // namespace
} // namespace apptest
