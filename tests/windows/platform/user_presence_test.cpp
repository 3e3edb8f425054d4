// A full-screen window of another process in the foreground, and the windows
// that must not count as one.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/system_info.h"
#include "platform/user_presence.h"

TEST(UserPresence, OnlyAnotherProgramsWindowCoveringTheScreenCounts) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring folder = std::wstring(exe).substr(0, std::wstring(exe).rfind(L'\\') + 1);
    struct Case { const wchar_t* mode; bool fullScreen; };
    for (Case c : {Case{L"full", true}, Case{L"small", false}, Case{L"hidden", false}, Case{L"progman", false}}) {
        std::wstring line = L"\"" + folder + L"full_screen_helper.exe\" " + c.mode;
        STARTUPINFOW start = {sizeof start};
        PROCESS_INFORMATION helper = {};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &helper));
        DWORD owner = 0;
        for (int i = 0; i < 400 && owner != helper.dwProcessId; ++i, Sleep(50))
            GetWindowThreadProcessId(GetForegroundWindow(), &owner);
        EXPECT_EQ(owner, helper.dwProcessId) << "helper " << c.mode << " took no foreground";
        EXPECT_EQ(plat::fullScreenProgramRunning(), c.fullScreen) << "helper " << c.mode;
        TerminateProcess(helper.hProcess, 0);
        WaitForSingleObject(helper.hProcess, 10000);
        CloseHandle(helper.hProcess);
        CloseHandle(helper.hThread);
    }
    // The same full-screen window made here, and the desktop: neither counts.
    HWND own = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                               GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(own);
    EXPECT_EQ(GetForegroundWindow(), own);
    EXPECT_FALSE(plat::fullScreenProgramRunning());
    SetForegroundWindow(GetDesktopWindow());
    DestroyWindow(own);
    EXPECT_EQ(GetForegroundWindow(), GetDesktopWindow());
    EXPECT_FALSE(plat::fullScreenProgramRunning()) << "foreground " << GetForegroundWindow();
}

DWORD WINAPI lockedOnDesktop(void* desktop) {
    return SetThreadDesktop(static_cast<HDESK>(desktop)) && plat::workstationLocked();
}

TEST(UserPresence, OnlyAnotherDesktopTakingTheInputCountsAsLocked) {
    EXPECT_FALSE(plat::workstationLocked());
    // A thread on a desktop of its own (any name) while the input stays on ours.
    HDESK other = CreateDesktopW(L"PlocharPresence", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, lockedOnDesktop, other, 0, nullptr);
    DWORD locked = 2;
    WaitForSingleObject(thread, 10000);
    GetExitCodeThread(thread, &locked);
    CloseHandle(thread);
    CloseDesktop(other);
    EXPECT_EQ(locked, plat::isWindows9x() ? 0u : 1u) << "9x has no desktops to lock";
}
