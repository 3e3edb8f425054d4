// Automatic pause against real top-level windows, driven by the real timer 4,
// and the screen-saver test for each Windows family. The matching itself is
// tested in the core; here the window titles, visibility and the tray.
#include "app_test_support.h"

#include "app/auto_pause.h"
#include "app/tray.h"
#include "app_core/app_state.h"
#include "app_core/auto_pause_match.h"
#include "platform/system_info.h"
#include "settings/settings_store.h"

namespace apptest {
namespace {

HWND makeTopLevel(const std::wstring& title, bool visible = true) {
    HWND w = CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP | (visible ? WS_VISIBLE : 0), 10, 10, 100, 40,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_TRUE(w);
    return w;
}

class AutoPauseTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        writeString(HKEY_CURRENT_USER, kKey212, L"LastKolekce", makeCollection({"a.bmp"}));
        storeSettings([](AppSettingsRecord& s) { s.changeAtStart = 0; });
        start();
    }
    int32_t check() {
        timer(4);
        return AppSettings.PauseState;
    }
};

TEST_F(AutoPauseTest, ABurningProgramPausesWithinOneTimerPeriod) {
    EXPECT_EQ(AppSettings.PauseState, 0);
    HWND nero = makeTopLevel(L"Nero Burning ROM - Nový projekt");
    // The real timer 4 (2.5 s) finds it.
    EXPECT_TRUE(pumpUntil([] { return AppSettings.PauseState == 2; }, 4000));
    EXPECT_EQ(trayIconResource(), 120);
    EXPECT_EQ(tip(), u"Plochar: automatická pauza aktivována.");
    timer(2, 3);
    EXPECT_TRUE(Applied.empty()) << "no change during an automatic pause";

    // Cancelling from the tray exempts the window while it stays open.
    command(40007);
    EXPECT_EQ(AppSettings.PauseState, 0);
    EXPECT_EQ(std::u16string(IgnoredTitles), u"nero burning rom - nový projekt\n");
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(tip(), u"Plochar: změna za 30 minut.") << "the countdown stood still while paused";

    // Closed and opened again, it pauses again.
    DestroyWindow(nero);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(IgnoredTitles[0], 0) << "pruned once the window closed";
    nero = makeTopLevel(L"Nero Burning ROM");
    EXPECT_EQ(check(), 2);

    // The user's pause and the open window hold the state.
    command(40007);
    command(40007);
    EXPECT_EQ(check(), 1);
    command(40007);
    IgnoredTitles[0] = 0;
    command(40001);
    EXPECT_EQ(check(), 0) << "window open";
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(check(), 2);
    // Emptying the list ends an automatic pause even with the window open,
    // and the tray still tells that the window is open.
    command(40001);
    setAutoPauseList(u"");
    EXPECT_EQ(check(), 0) << "an empty list ends an automatic pause";
    EXPECT_EQ(tip(), u"Plochar: činnost pozastavena - otevřené konfigurační okno.");
    SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);

    DestroyWindow(nero);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(trayIconResource(), 101);
    quit();
}

TEST_F(AutoPauseTest, HiddenOrBackgroundWindowsDoNotCount) {
    HWND hidden = makeTopLevel(L"ScanDisk", false);
    EXPECT_EQ(check(), 0);
    DestroyWindow(hidden);

    AppSettings.autoPauseForegroundOnly = 1;
    HWND background = makeTopLevel(L"Defragmentace disku");
    HWND front = makeTopLevel(L"Poznámky");
    // Only checked when the window manager lets the focus move.
    SetForegroundWindow(front);
    EXPECT_TRUE(GetForegroundWindow() != front || check() == 0);
    SetForegroundWindow(background);
    EXPECT_TRUE(GetForegroundWindow() != background || check() == 2);
    DestroyWindow(background);
    DestroyWindow(front);
    quit();
}

TEST_F(AutoPauseTest, ExemptTitlesNeverOverflowTheirBuffer) {
    std::vector<HWND> windows;
    for (wchar_t c = L'a'; c < L'g'; ++c)
        windows.push_back(makeTopLevel(L"Nero Burning ROM " + std::wstring(300, c)));
    ASSERT_EQ(check(), 2);
    command(40007);
    const std::u16string ignored = IgnoredTitles;
    EXPECT_EQ(ignored.size(), 3u * 318u) << "three whole titles fit, the rest are left out";
    EXPECT_EQ(ignored.back(), u'\n');
    for (HWND w : windows)
        DestroyWindow(w);
    quit();
}

TEST_F(AppWindowTest, ScreenSaverTestForEachWindowsFamily) {
    // Windows 95 looks for the screen saver's window class.
    plat::overrideOsVersion(&plat::kWindows95);
    EXPECT_FALSE(isScreenSaverRunning());
    WNDCLASSW cls = {};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"WindowsScreenSaverClass";
    ASSERT_TRUE(RegisterClassW(&cls));
    HWND saver = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 cls.hInstance, nullptr);
    ASSERT_TRUE(saver);
    EXPECT_TRUE(isScreenSaverRunning());
    // Windows 98, 2000 and XP ask SystemParametersInfo instead; NT 4 opens the
    // screen saver's desktop, and there is none here.
    for (const plat::OsVersion* v : {&plat::kWindows98, &plat::kWindows2000, &plat::kWindowsXp, &plat::kWindowsNt4}) {
        plat::overrideOsVersion(v);
        EXPECT_FALSE(isScreenSaverRunning());
    }
    DestroyWindow(saver);
    UnregisterClassW(cls.lpszClassName, cls.hInstance);
}

} // namespace
} // namespace apptest
