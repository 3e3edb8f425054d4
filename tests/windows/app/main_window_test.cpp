// The real main window under Wine, driven by its timer and tray messages.
// (The first start is the end-to-end test's.)
#include "app_test_support.h"

#include <atomic>
#include <utility>

#include "desktop/apply_monitors.h"
#include "platform/cancel.h"

namespace apptest {
namespace {

DWORD priority() { return GetPriorityClass(GetCurrentProcess()); }

std::vector<uint8_t> bytesOf(const std::u16string& file) {
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST_F(AppWindowTest, AnUnreadableLastCollectionIsReportedAndLeftAlone) {
    const std::u16string file = makeCollection({"a.bmp", "b.bmp", "c.bmp"});
    const std::vector<uint8_t> good = bytesOf(file);
    // Missing, and damaged counts (-1, and 0 with the entries behind it).
    for (int damage : {-2, -1, 0}) {
        std::vector<uint8_t> bytes = good;
        if (damage > -2)
            std::memcpy(bytes.data() + 2, &damage, 4);
        std::ofstream(std::filesystem::path(file), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        const std::u16string name = damage == -2 ? u"C:\\nikde\\Pryc.plk" : file;
        writeString(kKey212, L"LastKolekce", name);
        Boxes.clear();
        start();
        ASSERT_EQ(Boxes.size(), 2u) << damage;
        EXPECT_EQ(Boxes[0].text, u"Nelze otevřít koleci \"" + name + u"\". Vytvořím novou.");
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        EXPECT_EQ(std::wstring(title), L"Plochar - nová kolekce");
        EXPECT_TRUE(IsWindowVisible(window));
        quit();
        EXPECT_EQ(bytesOf(file), bytes) << "the exit save kept off";
    }
}

TEST_F(ChangeCycleTest, TimerTwoCountsDownChangesAndRestarts) {
    start();
    EXPECT_EQ(priority(), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    command(40007); // paused, the countdown stands still
    timer(2, 4);
    command(40007);
    timer(2, 2);
    EXPECT_EQ(tip(), u"Plochar: změna za 1 minutu.");
    EXPECT_TRUE(Applied.empty());
    timer(2);
    ASSERT_EQ(Applied.size(), 1u);
    EXPECT_EQ(Applied[0].first, pictures[0]) << "forward order starts at the first picture";
    EXPECT_EQ(Applied[0].second, 121) << "busy icon while applying";
    EXPECT_FALSE(readValue(kKey212, L"LastTapeta").empty()) << "the applied picture is kept";
    EXPECT_EQ(tip(), u"Plochar: změna za 3 minuty.");
    // A failed apply keeps the current picture and waits a whole interval.
    ApplyResult = 0;
    timer(2, 3);
    EXPECT_EQ(Applied.back().first, pictures[1]);
    EXPECT_EQ(std::u16string(CurrentWallpaper.path), pictures[0]);
    EXPECT_EQ(ChangeCountdown, 3);
    // Manual changes restart the interval; re-applying does not.
    ApplyResult = 1;
    timer(2);
    for (const auto& [id, picture] : {std::pair<UINT, size_t>{40003, 2}, {40006, 1}}) {
        command(id);
        EXPECT_EQ(Applied.back().first, pictures[picture]) << id;
        EXPECT_EQ(AppSettings.lastManualCommand, id == 40003 ? 1 : 2);
        EXPECT_EQ(ChangeCountdown, 3);
    }
    timer(2);
    command(40015);
    EXPECT_EQ(Applied.back().first, pictures[1]);
    EXPECT_EQ(ChangeCountdown, 2);
    EXPECT_EQ(Applied.size(), 5u);
    command(40008); // help without its file says so
    EXPECT_EQ(Boxes.back().text, u"Nápovědu se nepodařilo otevřít");
    EXPECT_EQ(Boxes.back().caption, u"Chyba");
    quit();
}

// A stored order the settings page shows as "náhodně" changes at random.
TEST_F(ChangeCycleTest, ADisplayChangeReappliesOnlyWithSeveralMonitors) {
    const desk::MonitorRect two[] = {{0, 0, 1024, 768, true}, {1024, 0, 1824, 600, false}};
    const desk::MonitorRect one[] = {{0, 0, 1280, 1024, true}};
    overrideMonitors(one, 1);
    start();
    timer(2, 3);
    ASSERT_EQ(Applied.size(), 1u);
    // Each step: the monitors after the change, and whether it re-applies.
    const std::pair<const desk::MonitorRect*, bool> steps[] = {
        {one, false}, {two, true}, {two, true}, {one, true}, {one, false}};
    for (const auto& [monitors, again] : steps) {
        const size_t before = Applied.size();
        overrideMonitors(monitors, monitors == two ? 2 : 1);
        SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
        EXPECT_EQ(Applied.size(), before + (again ? 1 : 0));
        EXPECT_EQ(Applied.back().first, pictures[0]) << "the current picture";
    }
    // The palette messages the window also passes on are no display change.
    overrideMonitors(two, 2);
    SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
    const size_t before = Applied.size();
    SendMessageW(window, WM_PALETTECHANGED, 0, 0);
    SendMessageW(window, WM_QUERYNEWPALETTE, 0, 0);
    EXPECT_EQ(Applied.size(), before);
    overrideMonitors(nullptr, 0);
    quit();
}

TEST_F(ChangeCycleTest, AnOrderOutsideTheThreeChangesAtRandom) {
    storeSettings([](AppSettingsRecord& s) {
        s.changeOrder = 7;
        s.changeAtStart = 1;
        s.intervalMinutes = 1;
    });
    start();
    timer(2);
    EXPECT_EQ(Applied.size(), 2u);
}

TEST_F(ChangeCycleTest, TheOpenWindowHoldsTheCountdownAndAsksBeforeLosingChanges) {
    start();
    command(40001);
    EXPECT_EQ(priority(), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(tip(), u"Plochar: činnost pozastavena - otevřené konfigurační okno.");
    timer(2, 4);
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0); // presses OK
    EXPECT_EQ(priority(), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    EXPECT_EQ(tip(), u"Plochar: změna za 3 minuty.") << "the countdown stood still";
    // Storno asks when something changed; No keeps the window open.
    command(40001);
    AppSettings.intervalMinutes = 99;
    Answers = {plat::kIdNo, plat::kIdYes};
    command(1047);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].flags, plat::kMbYesNo | plat::kMbIconQuestion | plat::kMbDefButton2);
    EXPECT_TRUE(IsWindowVisible(window));
    command(1047);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(AppSettings.intervalMinutes, 3);
    // The close box asks too; No keeps the program running, Yes saves and ends it.
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(Boxes.back().text, u"Opravdu chcete program Plochar ukončit?");
    EXPECT_TRUE(IsWindow(window));
    AppSettings.changeOrder = 0;
    Answers.push_back(plat::kIdYes);
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(Boxes.back().text.substr(0, 40), u"Opravdu chcete program Plochar ukončit? ") << "something changed";
    EXPECT_TRUE(pumpUntil([] { return MainWindow == nullptr; }, 5000));
    EXPECT_EQ(storedSettings().changeOrder, 0) << "closing saved the settings";
}

TEST_F(ChangeCycleTest, QuitAndTheEndOfTheSessionSaveEverything) {
    start();
    std::ofstream(folder / "d.bmp") << "BM";
    ASSERT_EQ(ActiveCollection.addPath((folder / "d.bmp").u16string().c_str()), AddOutcome::Added);
    AppSettings.intervalMinutes = 45;
    std::memcpy(MruList[0], u"C:\\jina.plk", 24);
    quit();
    EXPECT_TRUE(Boxes.empty()) << "the tray's Konec asks nothing";
    WallpaperCollection saved;
    EXPECT_TRUE(saved.loadFromFile(CollectionFileName) && saved.entryCount() == 4);
    EXPECT_EQ(storedSettings().intervalMinutes, 45);
    EXPECT_EQ(readValue(kKey212, L"MRU1").size(), 24u) << "the recent files too";
    // The end of the session saves without a quit message.
    start();
    AppSettings.intervalMinutes = 44;
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(storedSettings().intervalMinutes, 44);
}

TEST_F(ChangeCycleTest, LogoCountdownOnWindows98ReportsAFailedBuildOnce) {
    plat::overrideOsVersion(&plat::kWindows98);
    storeSettings([](AppSettingsRecord& s) {
        s.changeOrder = 2;
        s.makeLogo = 1;
        s.logoDelayMinutes = 0;
    });
    // Delay 0: the first tick is already posted; the pictures are no real
    // pictures, so the build fails and is reported.
    start();
    EXPECT_EQ(Applied.at(0).first, pictures[2]) << "the change at start, backward from nothing";
    EXPECT_TRUE(pumpUntil([] { return !Boxes.empty(); }, 3000));
    EXPECT_EQ(Boxes[0].text.find(u"Nastala chyba při tvoření startovního logo systému Windows."), 0u);
    timer(3);
    EXPECT_EQ(Boxes.size(), 1u) << "a stray tick after the attempt builds nothing";
    quit();
}

// The polling and error boxes of a running change let clicks, commands and
// timers into the window procedure: none may start another operation.
HWND g_window = nullptr;

int applyThatIsInterrupted(const WallpaperEntry& entry, void* context) {
    static bool inside = false;
    recordApply(entry, context);
    if (!std::exchange(inside, true)) {
        const std::u16string busyTip = tip();
        SendMessageW(g_window, 1124, 1, WM_LBUTTONDBLCLK);
        for (UINT id : {40002u, 40003u, 40006u, 40015u, 40002u})
            SendMessageW(g_window, WM_COMMAND, id, 0);
        for (int minute = 0; minute < 4; ++minute)
            SendMessageW(g_window, WM_TIMER, 2, 0);
        EXPECT_EQ(tip(), busyTip) << "the busy status stays until the operation ends";
        inside = false;
    }
    return 0; // a missing picture: its error box would be open meanwhile
}

TEST_F(ChangeCycleTest, NothingStartsInsideARunningOperation) {
    g_window = start();
    command(40003);
    setApplyOperation(applyThatIsInterrupted, nullptr);
    ChangeCountdown = 1;
    timer(2);
    EXPECT_EQ(Applied.size(), 2u) << "a change started inside the running one";
    EXPECT_EQ(tip(), u"Plochar: změna za 1 minutu.") << "a change that fell due meanwhile waits";
    timer(2);
    EXPECT_EQ(Applied.size(), 3u) << "and comes at the next tick";
    // Re-applying with an empty collection: a double-click meanwhile must not
    // open the configuration window either.
    ActiveCollection.clear();
    command(40015);
    EXPECT_EQ(Applied.size(), 4u);
    EXPECT_FALSE(IsWindowVisible(window));
    quit();
}

// The cancel popup: a right click on the tray while a picture is being made
// shows menu 124 on its own thread; choosing its item stops the work.
bool g_sawMenu = false;
std::atomic<bool> g_aborted{false};
std::atomic<bool> g_trayMenuShown{false};

// The ordinary tray menu would be tracked on the window's own thread and
// block it, the running change included: close it and remember it.
DWORD WINAPI closeMenuOfTheWindowThread(void*) {
    const DWORD windowThread = GetWindowThreadProcessId(g_window, nullptr);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000 && !g_aborted; Sleep(20)) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu) && GetWindowThreadProcessId(menu, nullptr) == windowThread) {
            g_trayMenuShown = true;
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            return 0;
        }
    }
    return 0;
}

int applyThatWaitsForCancel(const WallpaperEntry&, void*) {
    SendMessageW(g_window, 1124, 1, WM_RBUTTONUP);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000 && !g_aborted; Sleep(20)) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu && IsWindowVisible(menu) && !g_sawMenu) {
            g_sawMenu = true;
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        }
        g_aborted = CheckUserAbort(0) != 0;
    }
    return 2;
}

TEST_F(ChangeCycleTest, TheCancelPopupStopsALongChange) {
    g_window = start();
    setApplyOperation(applyThatWaitsForCancel, nullptr);
    HANDLE watch = CreateThread(nullptr, 0, closeMenuOfTheWindowThread, nullptr, 0, nullptr);
    ASSERT_TRUE(watch);
    command(40002);
    WaitForSingleObject(watch, INFINITE);
    CloseHandle(watch);
    EXPECT_FALSE(g_trayMenuShown) << "the tray menu opened while a picture was being made";
    EXPECT_TRUE(g_sawMenu) << "the popup menu appeared";
    EXPECT_TRUE(g_aborted) << "choosing its item cancelled the work";
    EXPECT_EQ(trayIconResource(), 101);
    quit();
}

} // namespace
} // namespace apptest
