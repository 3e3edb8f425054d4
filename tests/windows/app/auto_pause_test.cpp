// Automatic pause against real top-level windows, driven by the real timer 4,
// and the screen-saver test for each Windows family.
#include "app_test_support.h"

#include "app/auto_pause.h"

namespace apptest {
namespace {

HWND makeTopLevel(const std::wstring& title, bool visible = true) {
    return CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP | (visible ? WS_VISIBLE : 0), 10, 10, 100, 40,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST_F(AppWindowTest, ABurningProgramPausesUntilCancelledOrClosed) {
    makeCollection({"a.bmp"});
    storeSettings([](AppSettingsRecord& s) { s.changeAtStart = 0; });
    start();
    const auto check = [this] {
        timer(4);
        return AppSettings.PauseState;
    };
    HWND hidden = makeTopLevel(L"ScanDisk", false);
    EXPECT_EQ(check(), 0) << "hidden windows do not count";
    DestroyWindow(hidden);
    HWND nero = makeTopLevel(L"Nero Burning ROM - Nový projekt");
    EXPECT_TRUE(pumpUntil([] { return AppSettings.PauseState == 2; }, 4000)) << "the real timer 4 finds it";
    EXPECT_EQ(tip(), u"Plochar: automatická pauza aktivována.");
    // Cancelling from the tray exempts the window while it stays open.
    command(40007);
    EXPECT_EQ(std::u16string(IgnoredTitles), u"nero burning rom - nový projekt\n");
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(tip(), u"Plochar: změna za 30 minut.");
    // Closed and opened again, it pauses again.
    DestroyWindow(nero);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(IgnoredTitles[0], 0) << "pruned once the window closed";
    nero = makeTopLevel(L"Nero Burning ROM");
    EXPECT_EQ(check(), 2);
    // An empty list ends an automatic pause even with the window open, and
    // the tray still tells that the window is open.
    command(40001);
    setAutoPauseList(u"");
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(tip(), u"Plochar: činnost pozastavena - otevřené konfigurační okno.");
    DestroyWindow(nero);
    quit();
}

TEST_F(ChangeCycleTest, AFullScreenProgramPausesTheChangeUntilItEnds) {
    const int32_t extra[4] = {0, 1, 0, 1}; // only the full-screen switch on
    writeValue(kKey212, L"Dalsi", REG_BINARY, extra, sizeof extra);
    start(); // three minutes to the change
    wchar_t line[MAX_PATH + 32] = L"\"";
    GetModuleFileNameW(nullptr, line + 1, MAX_PATH);
    wcscpy(wcsrchr(line, L'\\'), L"\\full_screen_helper.exe\" full"); // beside the tests
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION helper = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &helper));
    EXPECT_TRUE(pumpUntil([] { return AppSettings.PauseState == 2; }, 10000)) << "the real timer 4 finds it";
    EXPECT_EQ(tip(), u"Plochar: automatická pauza aktivována.");
    timer(2, 4);
    EXPECT_TRUE(Applied.empty()) << "the change that fell due waits";
    EXPECT_EQ(tip(), u"Plochar: automatická pauza aktivována.");
    TerminateProcess(helper.hProcess, 0);
    WaitForSingleObject(helper.hProcess, 10000);
    CloseHandle(helper.hProcess);
    CloseHandle(helper.hThread);
    EXPECT_TRUE(pumpUntil([] { return AppSettings.PauseState == 0; }, 4000)) << "and sees it end";
    timer(2);
    EXPECT_EQ(Applied.size(), 1u) << "at the next minute, not after the three the pause lasted";
    quit();
}

TEST_F(AppWindowTest, ScreenSaverTestForEachWindowsFamily) {
    // Only Windows 95 looks for its window class; the others find none here.
    WNDCLASSW cls = {};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"WindowsScreenSaverClass";
    ASSERT_TRUE(RegisterClassW(&cls));
    HWND saver = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, cls.hInstance, nullptr);
    for (const plat::OsVersion* v : {&plat::kWindows95, &plat::kWindows98, &plat::kWindowsXp, &plat::kWindowsNt4}) {
        plat::overrideOsVersion(v);
        EXPECT_EQ(isScreenSaverRunning(), v == &plat::kWindows95);
    }
    DestroyWindow(saver);
    UnregisterClassW(cls.lpszClassName, cls.hInstance);
}

} // namespace
} // namespace apptest
