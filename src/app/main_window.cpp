#include "app/main_window.h"
#include "settings/app_settings.h"

#include <shellapi.h>

#include "app/auto_pause.h"
#include "app/busy.h"
#include "app/collection_commands.h"
#include "app/config_frame.h"
#include "app/logo_backup.h"
#include "app/tray.h"
#include "app_core/app_state.h"
#include "app_core/app_texts.h"
#include "app_core/change_cycle.h"
#include "app_core/format_text.h"
#include "desktop/desktop.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/user_presence.h"
#include "platform/win_messages.h"
#include "platform/win_newer.h"
#include "platform/win_windows.h"
#include "resource_ids.h"
#include "settings/settings_store.h"

namespace {

int applyThroughDesktop(const WallpaperEntry& entry, void*) { return ApplyWallpaper(entry, 0); }

ApplyFunction g_apply = applyThroughDesktop;
void* g_applyContext = nullptr;
bool g_tabsFailed = false;
// Timer 3 runs until the logo was attempted; a tick still queued after that
// must not start a second build.
bool g_logoTimerRunning = false;

struct InitParameter {
    bool showAtStart;
};

int entries() { return ActiveCollection.entryCount(); }

int showMessage(HWND owner, const char16_t* text, uint32_t flags, const char16_t* caption = app_texts::kCaption) {
    return plat::messageBox(owner, text, caption, flags);
}

void setProcessPriority(DWORD priorityClass) {
    if (AppSettings.lowerPriority)
        SetPriorityClass(GetCurrentProcess(), priorityClass);
}

// --- start-up --------------------------------------------------------------

// Loads the last collection; false when it could not be read.
bool loadLastCollection() {
    if (!CollectionFileName[0]) {
        CollectionLoaded = true;
        return true;
    }
    bool loaded = SavedCollection.loadFromFile(CollectionFileName);
    CollectionLoaded = loaded;
    if (!loaded) {
        char16_t text[400];
        formatText(text, 400, app_texts::kCannotOpenLast, FormatArg(CollectionFileName));
        showMessage(nullptr, text, plat::kMbIconWarning);
        CollectionFileName[0] = 0;
    }
    // Entries read before a fault stay. The page lets go of the entries it
    // listed before they are replaced, as for every other replacement.
    releaseCollectionPage();
    ActiveCollection = SavedCollection;
    refreshCollectionPage();
    return loaded;
}

void startTimers(HWND window) {
    ChangeCountdown = AppSettings.intervalMinutes;
    SetTimer(window, kTimerIconLabels, 1000, nullptr);
    SetTimer(window, kTimerChange, 60000, nullptr);
    SetTimer(window, kTimerAutoPause, 2500, nullptr);
    win::SendMessageW(window, WM_TIMER, kTimerAutoPause, 0);
    win::SendMessageW(window, WM_TIMER, kTimerIconLabels, 0);
    if (AppSettings.makeLogo) {
        LogoCountdown = AppSettings.logoDelayMinutes;
        if (plat::isWindows9x()) {
            g_logoTimerRunning = SetTimer(window, kTimerLogo, 60000, nullptr) != 0;
            if (AppSettings.logoDelayMinutes == 0)
                win::PostMessageW(window, WM_TIMER, kTimerLogo, 0);
        }
    }
}

BOOL onInitDialog(HWND window, const InitParameter* init) {
    MainWindow = window;
    CollectionLoaded = false;
    bool show = init && init->showAtStart;
    ActiveCollection.clear();
    SavedCollection.clear();

    loadSettings(CollectionFileName, plat::kPathUnits);
    takeSettingsSnapshots();
    if (!buildConfigFrame(window)) {
        g_tabsFailed = true;
        showMessage(nullptr, app_texts::kTabsFailed, plat::kMbIconError);
        DestroyWindow(window);
        return TRUE;
    }
    if (!loadLastCollection())
        show = true;
    setWindowTitle(window, CollectionFileName);
    if (SavedCollection.isEmpty()) {
        showMessage(nullptr, app_texts::kCollectionEmpty, plat::kMbIconInformation);
        show = true;
    }
    backupStartupLogoOnce();
    startTimers(window);
    addTrayIcon(window);
    updateTray(ChangeCountdown, show, entries());
    if (!show)
        setProcessPriority(IDLE_PRIORITY_CLASS);
    createButtonTooltips(window);
    if (AppSettings.changeAtStart && AppSettings.PauseState == kRunning && entries() > 0) {
        busyChange(automaticChangeMode(AppSettings.changeOrder), g_apply, g_applyContext);
        updateTray(ChangeCountdown, show, entries());
    }
    if (show)
        ShowWindow(window, SW_SHOW);
    return TRUE;
}

// --- timers ----------------------------------------------------------------

void onChangeTimer() {
    const ChangeTickInput in{AppSettings.PauseState, isMainWindowVisible(), AppSettings.periodicChange, entries(),
                             TrayMenuOpen, AppSettings.intervalMinutes, isBusy(), PresencePause};
    const TickOutcome outcome = changeCycleTick(ChangeCountdown, in, isScreenSaverRunning, plat::workstationLocked);
    if (outcome == TickOutcome::Idle)
        return;
    if (outcome == TickOutcome::ChangeDue)
        busyChange(automaticChangeMode(AppSettings.changeOrder), g_apply, g_applyContext);
    else if (isBusy())
        return; // the busy status stays until the running operation ends
    updateTray(ChangeCountdown, false, entries());
}

void onLogoTimer(HWND window) {
    if (!g_logoTimerRunning)
        return;
    const LogoTickInput in{AppSettings.PauseState, AppSettings.logoWaitsForUnpause, isMainWindowVisible(), entries(),
                           TrayMenuOpen, isBusy()};
    if (logoTick(LogoCountdown, in) != LogoOutcome::BuildNow)
        return;
    KillTimer(window, kTimerLogo);
    g_logoTimerRunning = false;
    const int32_t built = runBusy(
        true, [](void*) -> int32_t { return BuildStartupLogo(ActiveCollection) != nullptr; }, nullptr);
    if (!built)
        showMessage(nullptr, app_texts::kLogoFailed, plat::kMbIconWarning);
    refreshTray();
}

void onTimer(HWND window, UINT_PTR id) {
    switch (id) {
    case kTimerIconLabels: RefreshIconLabels(CurrentWallpaper); break;
    case kTimerChange: onChangeTimer(); break;
    case kTimerLogo: onLogoTimer(window); break;
    case kTimerAutoPause: checkAutoPause(); break;
    default: break;
    }
}

// --- commands --------------------------------------------------------------

void showConfigWindow(HWND window) {
    // The window is open, only hidden behind the wait window; new snapshots
    // and a new page would pull the page from under the search.
    if (SearchingDroppedFolders)
        return;
    if (IsWindowVisible(window)) {
        SetForegroundWindow(window);
        BringWindowToTop(window);
        return;
    }
    updateTray(ChangeCountdown, true, entries());
    setProcessPriority(NORMAL_PRIORITY_CLASS);
    takeSnapshots();
    showCollectionTab();
    ShowWindow(window, SW_SHOW);
}

void hideConfigWindow(HWND window) {
    updateTray(ChangeCountdown, false, entries());
    setProcessPriority(IDLE_PRIORITY_CLASS);
    ShowWindow(window, SW_HIDE);
}

void manualChange(int32_t command) {
    if (isBusy())
        return;
    AppSettings.lastManualCommand = manualChangeMode(command);
    // A manual change restarts the interval.
    ChangeCountdown = AppSettings.intervalMinutes;
    busyChange(AppSettings.lastManualCommand, g_apply, g_applyContext);
    refreshTray();
}

void reapplyCurrent() {
    if (isBusy() || !CurrentWallpaper.hasPath())
        return;
    runBusy(
        false, [](void*) -> int32_t { return g_apply(CurrentWallpaper, g_applyContext); }, nullptr);
    refreshTray();
}

// Monitors seen at the last look (the main window's thread only).
int32_t g_monitorsSeen = 0;

// A monitor plugged in, removed or resized gets its picture again; with a
// single monitor before and after, the system's own rescaling is left alone.
void onDisplayChange() {
    int32_t before = g_monitorsSeen;
    g_monitorsSeen = MonitorCount();
    if (before > 1 || g_monitorsSeen > 1)
        reapplyCurrent();
}

void togglePause() {
    if (AppSettings.PauseState == kAutoPaused)
        recordIgnoredWindows();
    AppSettings.PauseState = toggledPauseState(AppSettings.PauseState);
    refreshTray();
}

void openHelp(HWND window) {
    char16_t path[plat::kPathUnits];
    if (!plat::programFolderFile(u"Plochar.html", path, plat::kPathUnits)) {
        showMessage(window, app_texts::kHelpFailed, plat::kMbIconError);
        return;
    }
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        win::ShellExecuteW(nullptr, L"open", reinterpret_cast<LPCWSTR>(path), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        showMessage(window, app_texts::kHelpFailed, plat::kMbIconError, app_texts::kCaptionError);
}

// "&OK": keep everything, save, hide.
void onOk(HWND window) {
    if (AppSettings.intervalMinutes != SettingsSnapshot.intervalMinutes ||
        AppSettings.periodicChange != SettingsSnapshot.periodicChange)
        ChangeCountdown = AppSettings.intervalMinutes;
    SavedCollection = ActiveCollection;
    saveCollection(window);
    takeSettingsSnapshots();
    saveSettings(kSaveSettings | kSaveAutoPause | kSaveName, CollectionFileName);
    hideConfigWindow(window);
}

// "&Storno": back to the snapshots, after asking when anything changed.
void onCancel(HWND window) {
    if (isChanged()) {
        if (showMessage(window, app_texts::kCancelQuestion,
                        plat::kMbYesNo | plat::kMbIconQuestion | plat::kMbDefButton2) != plat::kIdYes)
            return;
        releaseCollectionPage();
        ActiveCollection = SavedCollection;
        refreshCollectionPage();
        AppSettings = SettingsSnapshot;
        ExtraSettings = ExtraSettingsSnapshot;
        setAutoPauseList(AutoPauseSnapshot.get());
        if (!AutoPauseSnapshot)
            AutoPauseList.reset();
    }
    hideConfigWindow(window);
}

// While a box or dialog of the window is open, the command that showed it is
// still running underneath, holding pages, list positions or the collection.
// The commands that would hide the window, rebuild its page, replace the
// collection or end the program wait for the answer: the user is pointed to
// the open box instead. (The box disables the window; the tray and posted
// messages still reach it.)
bool waitsForOpenBox(UINT id) {
    switch (id) {
    case ID_SETTINGS:
    case ID_QUIT:
    case ID_COLLECTION_NEW:
    case ID_COLLECTION_OPEN:
    case ID_COLLECTION_SAVE:
    case ID_COLLECTION_SAVE_AS:
    case ID_COLLECTION_REMOVE_MISSING:
    case ID_MRU1:
    case ID_MRU2:
    case ID_MRU3:
    case IDC_BTN_OK:
    case IDC_BTN_CANCEL:
    case IDC_BTN_COLLECTION: return plat::openDialogCount() > 0;
    default: return false;
    }
}

void pointToOpenBox(HWND window) {
    MessageBeep(MB_OK);
    HWND box = GetLastActivePopup(window);
    if (box && box != window)
        SetForegroundWindow(box);
}

BOOL onCommand(HWND window, UINT id, LPARAM lParam) {
    if (waitsForOpenBox(id)) {
        pointToOpenBox(window);
        return TRUE;
    }
    switch (id) {
    case ID_SETTINGS: showConfigWindow(window); return TRUE;
    case ID_CHANGE_RANDOM:
    case ID_CHANGE_NEXT:
    case ID_CHANGE_PREVIOUS: manualChange(static_cast<int32_t>(id)); return TRUE;
    case ID_PAUSE: togglePause(); return TRUE;
    case ID_REAPPLY: reapplyCurrent(); return TRUE;
    case ID_HELP:
    case IDC_BTN_HELP: openHelp(window); return TRUE;
    case ID_QUIT: win::PostMessageW(window, WM_CLOSE, 0, 0); return TRUE;
    case ID_COLLECTION_NEW: newCollection(window); return TRUE;
    case ID_COLLECTION_OPEN: openCollection(window, reinterpret_cast<const char16_t*>(lParam)); return TRUE;
    case ID_COLLECTION_SAVE: saveCollection(window); return TRUE;
    case ID_COLLECTION_SAVE_AS: saveCollectionAs(window); return TRUE;
    case ID_COLLECTION_REMOVE_MISSING: removeMissingPictures(window); return TRUE;
    case ID_MRU1:
    case ID_MRU2:
    case ID_MRU3: openRecentCollection(window, static_cast<int>(id - ID_MRU1)); return TRUE;
    case IDC_BTN_OK: onOk(window); return TRUE;
    case IDC_BTN_CANCEL: onCancel(window); return TRUE;
    case IDC_BTN_COLLECTION: showCollectionMenu(window); return TRUE;
    default: return FALSE;
    }
}

// --- closing ---------------------------------------------------------------

// True when the close box's command is to be swallowed.
bool onSysCommand(HWND window, WPARAM command) {
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        win::SendMessageW(window, WM_COMMAND, IDC_BTN_OK, 0);
        return true;
    case SC_CLOSE: {
        const char16_t* question = isChanged() ? app_texts::kQuitChanged : app_texts::kQuit;
        return showMessage(window, question, plat::kMbYesNo | plat::kMbIconQuestion) != plat::kIdYes;
    }
    default: return false;
    }
}

// Leaving, by WM_DESTROY or because Windows ends the session: everything is
// saved the same way.
void shutDown(HWND window, bool destroying) {
    for (UINT_PTR id = kTimerIconLabels; id <= kTimerAutoPause; ++id)
        KillTimer(window, id);
    g_logoTimerRunning = false;
    removeTrayIcon();
    destroyConfigFrame();
    SaveAsIfUnnamed = false;
    // A collection that never came in (the frame failed before the load)
    // must not overwrite its file.
    if (CollectionLoaded)
        saveCollection(window);
    saveSettings(kSaveSettings | kSaveAutoPause | kSaveName, CollectionFileName);
    AutoPauseSnapshot.reset();
    MainWindow = nullptr;
    if (destroying)
        PostQuitMessage(0);
}

// The tray icon's mouse messages.
void onTrayCallback(HWND window, LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_RBUTTONUP:
        // The busy thread cannot track a menu: another thread shows the
        // cancel popup instead.
        if (isBusy())
            startCancelPopup();
        else
            showTrayMenu(window);
        break;
    case WM_LBUTTONDBLCLK:
        // Sent by the shell even while an operation runs: not a second one.
        if (isBusy())
            break;
        if (const int32_t command = trayDoubleClickCommand())
            win::SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
        break;
    default: break;
    }
}

void forwardToPage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND page = currentConfigPage();
    if (page && isMainWindowVisible())
        win::SendMessageW(page, message, wParam, lParam);
}

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TaskbarCreatedMessage && message != 0) {
        readdTrayIcon();
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG: return onInitDialog(window, reinterpret_cast<const InitParameter*>(lParam));
    case WM_TIMER: onTimer(window, wParam); return TRUE;
    case WM_COMMAND: return onCommand(window, LOWORD(wParam), lParam);
    case WM_NOTIFY: return onConfigFrameNotify(reinterpret_cast<const NMHDR*>(lParam));
    case kTrayCallbackMessage: onTrayCallback(window, lParam); return TRUE;
    case WM_SYSCOMMAND:
        if (onSysCommand(window, wParam)) {
            win::SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        // "&Konec" posts this; a box opened meanwhile is answered first.
        if (plat::openDialogCount() > 0)
            pointToOpenBox(window);
        else
            DestroyWindow(window);
        return TRUE;
    case WM_DESTROY: shutDown(window, true); return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            shutDown(window, false);
        return TRUE;
    case WM_DISPLAYCHANGE:
        onDisplayChange();
        forwardToPage(message, wParam, lParam);
        return FALSE;
    case WM_PALETTECHANGED:
    case WM_QUERYNEWPALETTE:
        forwardToPage(message, wParam, lParam);
        return FALSE;
    case WM_DPICHANGED: {
        // Moved to a monitor of another scaling, or the scaling changed:
        // the place Windows suggests keeps the window under the mouse.
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        if (suggested)
            SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        onConfigFrameDpiChanged();
        return TRUE;
    }
    default: return FALSE;
    }
}

} // namespace

HWND createMainWindow(HINSTANCE instance, bool showAtStart, bool* tabsFailed) {
    AppInstance = instance;
    g_tabsFailed = false;
    g_monitorsSeen = MonitorCount();
    InitParameter init{showAtStart};
    HWND window = win::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, mainDialogProc,
                                          reinterpret_cast<LPARAM>(&init));
    if (tabsFailed)
        *tabsFailed = g_tabsFailed;
    if (!window || g_tabsFailed)
        return nullptr;
    HICON icon = win::LoadIconW(instance, MAKEINTRESOURCEW(IDI_RUNNING));
    win::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    win::SetClassLongPtrW(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    return window;
}

void setApplyOperation(ApplyFunction apply, void* context) {
    g_apply = apply ? apply : applyThroughDesktop;
    g_applyContext = apply ? context : nullptr;
}
