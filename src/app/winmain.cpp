// The process entry: one running instance, the hidden main window and its
// message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <ctime>
#include <new>

#include "app/config_frame.h"
#include "app/main_window.h"
#include "app_core/app_texts.h"
#include "app_core/command_line.h"
#include "collection/random.h"
#include "desktop/desktop.h"
#include "platform/cpu.h"
#include "platform/message_box.h"
#include "platform/win_system.h"
#include "platform/win_windows.h"
#include "settings/settings_store.h"

namespace {

// Its existence marks the running instance.
constexpr wchar_t kInstanceMarker[] = L"{5E2680A0-E1A6-11d5-9664-0000E89E6D8D}";

void tell(const char16_t* text, uint32_t flags) { plat::messageBox(nullptr, text, app_texts::kCaption, flags); }

// The marker event, or null when another instance runs (or the event could
// not be made; both are reported here).
HANDLE claimSingleInstance() {
    HANDLE marker = win::OpenEventW(EVENT_ALL_ACCESS, FALSE, kInstanceMarker);
    if (!marker) {
        marker = win::CreateEventW(nullptr, FALSE, FALSE, kInstanceMarker);
        if (!marker)
            tell(app_texts::kEventFailed, plat::kMbIconError);
        return marker;
    }
    // A signalled marker is left over and handed on: the wait consumes it.
    if (WaitForSingleObject(marker, 0) != WAIT_OBJECT_0) {
        tell(app_texts::kAlreadyRunning, plat::kMbIconInformation);
        CloseHandle(marker);
        return nullptr;
    }
    return marker;
}

WPARAM runMessageLoop() {
    MSG msg = {};
    while (MainWindow) {
        const BOOL got = win::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        HWND page = currentConfigPage();
        if (page && win::IsDialogMessageW(page, &msg))
            continue;
        if (MainWindow && win::IsDialogMessageW(MainWindow, &msg))
            continue;
        TranslateMessage(&msg);
        win::DispatchMessageW(&msg);
    }
    return msg.message == WM_QUIT ? msg.wParam : 0;
}

} // namespace

// The ANSI entry: the C runtime's wide start-up is not known to work on
// Windows 9x. The command line is taken whole from the system, in UTF-16.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HasMmx = detectMmx();
    HANDLE marker = claimSingleInstance();
    if (!marker)
        return 0;

    LastDir = new (std::nothrow) char16_t[kLastDirUnits]();
    if (!LastDir) {
        tell(app_texts::kNoMemory, plat::kMbIconInformation);
        CloseHandle(marker);
        return 0;
    }
    seedRandom(static_cast<uint32_t>(std::time(nullptr)));
    InitCommonControls();

    const bool showAtStart =
        showWindowAtStart(commandLineTail(reinterpret_cast<const char16_t*>(win::GetCommandLineW())));
    bool tabsFailed = false;
    HWND window = createMainWindow(instance, showAtStart, &tabsFailed);
    WPARAM result = 0;
    if (window) {
        result = runMessageLoop();
    } else if (!tabsFailed) {
        tell(app_texts::kWindowFailed, plat::kMbIconError);
    }

    CloseHandle(marker);
    if (ComInitialized)
        CoUninitialize();
    delete[] LastDir;
    LastDir = nullptr;
    AutoPauseList.reset();
    return static_cast<int>(result);
}
