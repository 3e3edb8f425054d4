#include "app/auto_pause.h"

#include <windows.h>

#include "app/shell.h"
#include "app/tray.h"
#include "app_core/app_state.h"
#include "app_core/auto_pause_match.h"
#include "platform/system_info.h"
#include "platform/user_presence.h"
#include "platform/win_newer.h"
#include "platform/win_windows.h"
#include "settings/settings_store.h"

namespace {

// The presence reasons the user cancelled an automatic pause for (main
// window thread only).
PresenceReasons g_exemptPresence = {false, false};

PresenceReasons presenceNow() {
    return presenceReasons(ExtraSettings, PresenceTests{plat::fullScreenProgramRunning, plat::batterySaverOn});
}

// Reads a window's title lower-cased (A-Z only) into a kTitleUnits buffer.
void lowerTitleOf(HWND window, char16_t* title) {
    title[0] = 0;
    const int n = win::GetWindowTextW(window, reinterpret_cast<LPWSTR>(title), static_cast<int>(kTitleUnits));
    title[n > 0 && n < static_cast<int>(kTitleUnits) ? n : 0] = 0;
    title[kTitleUnits - 1] = 0;
    lowerAsciiLetters(title);
}

struct Existence {
    const char16_t* part;
    bool found;
};

BOOL CALLBACK findTitleContaining(HWND window, LPARAM context) {
    auto* e = reinterpret_cast<Existence*>(context);
    char16_t title[kTitleUnits];
    lowerTitleOf(window, title);
    if (containsText(title, e->part)) {
        e->found = true;
        return FALSE;
    }
    return TRUE;
}

// Any top-level window, visible or not, whose title contains part.
bool windowWithTitleExists(const char16_t* part, void*) {
    Existence e{part, false};
    EnumWindows(findTitleContaining, reinterpret_cast<LPARAM>(&e));
    return e.found;
}

BOOL CALLBACK matchWindow(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<bool*>(context);
    const char16_t* list = AutoPauseList.get();
    if (!list || !list[0])
        return FALSE;
    if (!IsWindowVisible(window))
        return TRUE;
    if (AppSettings.autoPauseForegroundOnly && window != GetForegroundWindow())
        return TRUE;
    char16_t title[kTitleUnits];
    lowerTitleOf(window, title);
    if (matchTitle(title, list, IgnoredTitles) == TitleVerdict::Match) {
        *found = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK recordWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window))
        return TRUE;
    char16_t title[kTitleUnits];
    lowerTitleOf(window, title);
    // A title that no longer fits is left out whole rather than cut.
    if (titleHasAnyItem(title, AutoPauseList.get()))
        recordIgnoredTitle(IgnoredTitles, kIgnoredTitlesUnits, title);
    return TRUE;
}

void setPauseState(int32_t state) {
    if (AppSettings.PauseState == state)
        return;
    AppSettings.PauseState = state;
    // An automatic pause can end while the configuration window is open (its
    // list emptied there): the tray keeps telling that the window is open.
    refreshTray();
}

} // namespace

void checkAutoPause() {
    // Looking at every window's title is background work.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    const bool presenceSwitches = ExtraSettings.pauseForFullScreen == 1 || ExtraSettings.pauseOnBatterySaver == 1;
    switch (autoPauseStep(AppSettings.PauseState, isMainWindowVisible(), AutoPauseList.get(), isScreenSaverRunning,
                          presenceSwitches)) {
    case AutoPauseStep::Search: {
        // The cheap presence tests first; the window titles only without them.
        bool found = presencePauses(presenceNow(), g_exemptPresence);
        PresencePause = found;
        if (!found && AutoPauseList && AutoPauseList[0]) {
            pruneIgnoredTitles(IgnoredTitles, kIgnoredTitlesUnits, windowWithTitleExists, nullptr);
            EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&found));
        }
        setPauseState(found ? kAutoPaused : kRunning);
        break;
    }
    case AutoPauseStep::ClearStale:
        PresencePause = false;
        setPauseState(kRunning);
        break;
    case AutoPauseStep::Nothing:
        break;
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

void recordIgnoredWindows() {
    g_exemptPresence = presenceNow();
    for (char16_t& c : IgnoredTitles)
        c = 0;
    if (AutoPauseList && AutoPauseList[0])
        EnumWindows(recordWindow, 0);
}

bool isScreenSaverRunning() {
    const plat::OsVersion v = plat::osVersion();
    if (v.platformId == plat::kPlatformWin9x && v.major == 4 && v.minor < 10)
        return win::FindWindowW(L"WindowsScreenSaverClass", nullptr) != nullptr;
    if (v.platformId == plat::kPlatformNt && v.major < 5) {
        // NT 4 runs the screen saver on its own desktop.
        HDESK desk = win::OpenDesktopW(L"screen-saver", 0, FALSE, MAXIMUM_ALLOWED);
        if (desk) {
            win::CloseDesktop(desk);
            return true;
        }
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    BOOL running = FALSE;
    return win::SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
}
