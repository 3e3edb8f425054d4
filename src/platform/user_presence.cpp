#include "platform/user_presence.h"

#include <windows.h>

#include "platform/system_info.h"
#include "platform/win_layer.h"
#include "platform/win_system.h"

namespace plat {

namespace {

// SHQueryUserNotificationState's answers that mean "do not disturb".
enum : int { kShellBusy = 2, kShellDirect3dFullScreen = 3, kShellPresentation = 4 };

using SHQueryUserNotificationStateFn = HRESULT(WINAPI*)(int*);
using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
using GetMonitorInfoWFn = BOOL(WINAPI*)(HMONITOR, MONITORINFO*);
using OpenInputDesktopFn = HDESK(WINAPI*)(DWORD, BOOL, ACCESS_MASK);
using GetUserObjectInformationWFn = BOOL(WINAPI*)(HANDLE, int, PVOID, DWORD, LPDWORD);
using CloseDesktopFn = BOOL(WINAPI*)(HDESK);
using GetThreadDesktopFn = HDESK(WINAPI*)(DWORD);
using GetShellWindowFn = HWND(WINAPI*)();

// SYSTEM_POWER_STATUS with its fourth byte named: older SDKs call it Reserved1.
struct PowerStatus {
    BYTE acLineStatus;
    BYTE batteryFlag;
    BYTE batteryLifePercent;
    BYTE systemStatusFlag; // 1: the battery saver is on
    DWORD batteryLifeTime;
    DWORD batteryFullLifeTime;
};
static_assert(sizeof(PowerStatus) == sizeof(SYSTEM_POWER_STATUS));
using GetSystemPowerStatusFn = BOOL(WINAPI*)(PowerStatus*);

bool shellSaysBusy() {
    static const SHQueryUserNotificationStateFn query =
        win::systemFunction<SHQueryUserNotificationStateFn>("shell32.dll", "SHQueryUserNotificationState");
    int state = 0;
    if (query == nullptr || FAILED(query(&state))) return false;
    return state == kShellBusy || state == kShellDirect3dFullScreen || state == kShellPresentation;
}

// The desktop and the shell's own windows cover the screen all the time.
bool isShellWindow(HWND window) {
    static const GetShellWindowFn shellWindow = win::systemFunction<GetShellWindowFn>("user32.dll", "GetShellWindow");
    if (window == GetDesktopWindow() || (shellWindow != nullptr && window == shellWindow())) return true;
    char name[32] = {};
    if (GetClassNameA(window, name, sizeof name) == 0) return false;
    static const char* const shellClasses[] = {"Progman", "WorkerW", "Shell_TrayWnd"};
    for (const char* shell : shellClasses)
        if (lstrcmpiA(name, shell) == 0) return true;
    return false;
}

// The monitor the window is on; the primary screen where the system knows
// one screen only (95, NT 4).
RECT monitorOf(HWND window) {
    static const MonitorFromWindowFn fromWindow =
        win::systemFunction<MonitorFromWindowFn>("user32.dll", "MonitorFromWindow");
    static const GetMonitorInfoWFn monitorInfo =
        win::systemFunction<GetMonitorInfoWFn>("user32.dll", "GetMonitorInfoW");
    if (fromWindow != nullptr && monitorInfo != nullptr) {
        // MONITORINFO holds no text: the same on 9x and NT.
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        HMONITOR monitor = fromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor != nullptr && monitorInfo(monitor, &info)) return info.rcMonitor;
    }
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool foregroundFillsMonitor() {
    HWND window = GetForegroundWindow();
    if (window == nullptr || !IsWindowVisible(window) || IsIconic(window) || isShellWindow(window)) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) return false;
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    // A borderless window maximised the old way reaches past the monitor by
    // its frame; an ordinary maximised window leaves the taskbar uncovered.
    RECT monitor = monitorOf(window);
    return monitor.right > monitor.left && rect.left <= monitor.left && rect.top <= monitor.top &&
           rect.right >= monitor.right && rect.bottom >= monitor.bottom;
}

} // namespace

bool fullScreenProgramRunning() {
    return shellSaysBusy() || foregroundFillsMonitor();
}

bool workstationLocked() {
    if (isWindows9x()) return false;
    static const OpenInputDesktopFn open = win::systemFunction<OpenInputDesktopFn>("user32.dll", "OpenInputDesktop");
    static const GetUserObjectInformationWFn information =
        win::systemFunction<GetUserObjectInformationWFn>("user32.dll", "GetUserObjectInformationW");
    static const CloseDesktopFn close = win::systemFunction<CloseDesktopFn>("user32.dll", "CloseDesktop");
    static const GetThreadDesktopFn threadDesktop =
        win::systemFunction<GetThreadDesktopFn>("user32.dll", "GetThreadDesktop");
    if (open == nullptr || information == nullptr || close == nullptr || threadDesktop == nullptr) return false;
    // The lock screen's desktop (Winlogon) lets no user program open it.
    HDESK input = open(0, FALSE, DESKTOP_READOBJECTS);
    if (input == nullptr) return true;
    // Locked, or a secure prompt in front, while another desktop takes the
    // input. Ours need not be called "Default": Wine's virtual desktop and the
    // desktop switchers give theirs other names.
    wchar_t inputName[64] = {};
    wchar_t ownName[64] = {};
    DWORD needed = 0;
    const DWORD bytes = sizeof inputName - sizeof inputName[0];
    BOOL named = information(input, UOI_NAME, inputName, bytes, &needed);
    close(input);
    HDESK own = threadDesktop(GetCurrentThreadId()); // not to be closed
    named = named && own != nullptr && information(own, UOI_NAME, ownName, bytes, &needed);
    return !named || win::lstrcmpiW(inputName, ownName) != 0;
}

bool batterySaverOn() {
    static const GetSystemPowerStatusFn status =
        win::systemFunction<GetSystemPowerStatusFn>("kernel32.dll", "GetSystemPowerStatus");
    PowerStatus power = {};
    return status != nullptr && status(&power) && power.systemStatusFlag == 1;
}

} // namespace plat
