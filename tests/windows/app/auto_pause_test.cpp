// Automatic pause against real top-level windows, driven by the real timer 4,
// and the screen-saver test for each Windows family.
#include "app_test_support.h"

#include <cstring>

#include "app/auto_pause.h"
#include "app/tray.h"
#include "app_core/app_state.h"
#include "app_core/auto_pause_match.h"
#include "platform/system_info.h"
#include "settings/settings_store.h"

namespace apptest {
namespace {

HWND makeTopLevel(const wchar_t* title, bool visible = true) {
    HWND w = CreateWindowExW(0, L"STATIC", title, WS_POPUP | (visible ? WS_VISIBLE : 0), 10, 10, 100, 40, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_TRUE(w);
    return w;
}

class AutoPauseTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        const std::u16string file = makeCollection({"a.bmp"});
        writeString(HKEY_CURRENT_USER, kKey212, L"LastKolekce", file);
        storeSettings([](AppSettingsRecord& s) { s.changeAtStart = 0; });
    }
};

TEST_F(AutoPauseTest, ABurningProgramPausesWithinOneTimerPeriod) {
    start();
    EXPECT_EQ(AppSettings.PauseState, 0);
    HWND nero = makeTopLevel(L"Nero Burning ROM - Nový projekt");
    // The real timer 4 (2.5 s) finds it.
    EXPECT_TRUE(pumpUntil([] { return AppSettings.PauseState == 2; }, 4000));
    EXPECT_EQ(trayIconResource(), 120);
    EXPECT_EQ(tip(), u"Plochar: automatická pauza aktivována.");
    for (int i = 0; i < 3; ++i)
        timer(2);
    EXPECT_TRUE(Applied.empty()) << "no change during an automatic pause";

    // Cancelling from the tray exempts the window while it stays open.
    command(40007);
    EXPECT_EQ(AppSettings.PauseState, 0);
    EXPECT_EQ(std::u16string(IgnoredTitles), u"nero burning rom - nový projekt\n");
    timer(4);
    EXPECT_EQ(AppSettings.PauseState, 0);
    EXPECT_EQ(tip(), u"Plochar: změna za 30 minut." ) << "the countdown stood still while paused";
    EXPECT_EQ(ChangeCountdown, 30);

    // Closed and opened again, it pauses again.
    DestroyWindow(nero);
    timer(4);
    EXPECT_EQ(IgnoredTitles[0], 0) << "pruned once the window closed";
    nero = makeTopLevel(L"Nero Burning ROM");
    timer(4);
    EXPECT_EQ(AppSettings.PauseState, 2);
    DestroyWindow(nero);
    timer(4);
    EXPECT_EQ(AppSettings.PauseState, 0);
    EXPECT_EQ(trayIconResource(), 101);
    quit();
}

TEST_F(AutoPauseTest, HiddenOrBackgroundWindowsDoNotCount) {
    start();
    HWND hidden = makeTopLevel(L"ScanDisk", false);
    timer(4);
    EXPECT_EQ(AppSettings.PauseState, 0);
    DestroyWindow(hidden);

    AppSettings.autoPauseForegroundOnly = 1;
    HWND background = makeTopLevel(L"Defragmentace disku");
    HWND front = makeTopLevel(L"Poznámky");
    SetForegroundWindow(front);
    if (GetForegroundWindow() == front) {
        timer(4);
        EXPECT_EQ(AppSettings.PauseState, 0);
    }
    SetForegroundWindow(background);
    if (GetForegroundWindow() == background) {
        timer(4);
        EXPECT_EQ(AppSettings.PauseState, 2);
    }
    DestroyWindow(background);
    DestroyWindow(front);
    quit();
}

TEST_F(AutoPauseTest, UserPauseOpenWindowAndEmptyListRules) {
    start();
    HWND nero = makeTopLevel(L"Nero Burning ROM");
    command(40007); // paused by the user: untouched
    timer(4);
    EXPECT_EQ(AppSettings.PauseState, 1);
    command(40007);
    timer(4);
    EXPECT_EQ(AppSettings.PauseState, 2);
    // An empty list ends the automatic pause at the next check.
    setAutoPauseList(u"");
    timer(4);
    EXPECT_EQ(AppSettings.PauseState, 0);
    setAutoPauseList(u"nero burning\n");
    command(40001); // window open: the check leaves the state alone
    timer(4);
    EXPECT_EQ(AppSettings.PauseState, 0);
    DestroyWindow(nero);
    quit();
}

TEST_F(AutoPauseTest, ExemptTitlesNeverOverflowTheirBuffer) {
    start();
    std::vector<HWND> windows;
    for (int i = 0; i < 6; ++i) {
        std::wstring title = L"Nero Burning ROM " + std::wstring(300, static_cast<wchar_t>(L'a' + i));
        windows.push_back(makeTopLevel(title.c_str()));
    }
    timer(4);
    ASSERT_EQ(AppSettings.PauseState, 2);
    command(40007);
    const std::u16string ignored = IgnoredTitles;
    EXPECT_EQ(ignored.size(), 3u * 318u) << "three whole titles fit, the rest are left out";
    EXPECT_EQ(ignored.back(), u'\n');
    EXPECT_EQ(AppSettings.PauseState, 0);
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
    // Windows 98, 2000 and XP ask SystemParametersInfo instead: the window
    // does not count there.
    for (const plat::OsVersion* v : {&plat::kWindows98, &plat::kWindows2000, &plat::kWindowsXp}) {
        plat::overrideOsVersion(v);
        EXPECT_FALSE(isScreenSaverRunning());
    }
    DestroyWindow(saver);
    UnregisterClassW(cls.lpszClassName, cls.hInstance);
    // NT 4 opens the screen saver's desktop; there is none here.
    plat::overrideOsVersion(&plat::kWindowsNt4);
    EXPECT_FALSE(isScreenSaverRunning());
}

} // namespace
} // namespace apptest
