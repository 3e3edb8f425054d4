#include "app/tray.h"

#include "app/shell.h"
#include "app_core/app_state.h"
#include "app_core/app_texts.h"
#include "app_core/change_cycle.h"
#include "app_core/tray_menu_plan.h"
#include "platform/win_messages.h"
#include "resource_ids.h"
#include "settings/settings_store.h"
#include "platform/win_windows.h"

namespace {

// The first-version record: old shells accept nothing larger, and newer ones
// still take it.
constexpr DWORD kTrayRecordSize = NOTIFYICONDATAW_V1_SIZE;
#ifndef _WIN64
static_assert(kTrayRecordSize == 152, "the first-version NOTIFYICONDATAW is 152 bytes on 32-bit Windows");
#endif

// Menu item texts are read and rewritten in buffers of this size.
constexpr int kItemUnits = 370;
constexpr int kMruItemUnits = 280;

NOTIFYICONDATAW g_record = {};
int32_t g_iconResource = kIconRunning;
bool g_added = false;
bool g_shellEnabled = true;

BOOL notifyShell(DWORD action) { return g_shellEnabled ? win::Shell_NotifyIconW(action, &g_record) : TRUE; }

struct LoadedIcon {
    int32_t resource;
    HICON icon;
};
LoadedIcon g_icons[] = {{kIconRunning, nullptr}, {kIconPaused, nullptr}, {kIconBusy, nullptr}};

void setIcon(int32_t resource) {
    g_iconResource = resource;
    g_record.hIcon = trayIconHandle(resource);
}

void setTip(const char16_t* text) {
    // The first-version record ends after the 64th unit of szTip.
    static_assert(sizeof(g_record.szTip) / sizeof(g_record.szTip[0]) >= kTipUnits);
    plat::copyText(reinterpret_cast<char16_t*>(g_record.szTip), kTipUnits, text);
}

void modify() {
    if (g_record.hWnd)
        notifyShell(NIM_MODIFY);
}

bool readItemText(HMENU menu, UINT id, char16_t* text, int units) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_TYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = reinterpret_cast<LPWSTR>(text);
    info.cch = static_cast<UINT>(units);
    text[0] = 0;
    if (!win::GetMenuItemInfoW(menu, id, FALSE, &info))
        return false;
    text[units - 1] = 0;
    return true;
}

void writeItemText(HMENU menu, UINT id, const char16_t* text) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_TYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(text));
    win::SetMenuItemInfoW(menu, id, FALSE, &info);
}

// Appends " (name)" to an item's text.
void appendToItem(HMENU menu, UINT id, const char16_t* name, int units) {
    char16_t text[kItemUnits];
    if (!readItemText(menu, id, text, units))
        return;
    appendNameToItem(text, static_cast<size_t>(units), name);
    writeItemText(menu, id, text);
}

// Appends a recently used file's full path to its "1. " item.
void appendPathToItem(HMENU menu, UINT id, const char16_t* path) {
    char16_t text[kMruItemUnits];
    if (!readItemText(menu, id, text, kMruItemUnits))
        return;
    plat::appendText(text, kMruItemUnits, path);
    writeItemText(menu, id, text);
}

void grey(HMENU menu, UINT id, bool greyed) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (greyed ? MF_GRAYED : MF_ENABLED));
}

TrayMenuState menuState() {
    return TrayMenuState{&ActiveCollection, &CurrentWallpaper, AppSettings.PauseState, isMainWindowVisible(),
                         AppSettings.lastManualCommand};
}

} // namespace

HICON trayIconHandle(int32_t resource) {
    for (LoadedIcon& i : g_icons) {
        if (i.resource != resource)
            continue;
        if (!i.icon)
            i.icon = static_cast<HICON>(win::LoadImageW(AppInstance, MAKEINTRESOURCEW(resource), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
        return i.icon;
    }
    return nullptr;
}

void addTrayIcon(HWND window) {
    g_record = {};
    g_record.cbSize = kTrayRecordSize;
    g_record.hWnd = window;
    g_record.uID = 1;
    g_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_record.uCallbackMessage = kTrayCallbackMessage;
    setIcon(kIconRunning);
    setTip(app_texts::kTipFirst);
    g_added = notifyShell(NIM_ADD) != FALSE;
}

void removeTrayIcon() {
    if (g_added)
        notifyShell(NIM_DELETE);
    g_added = false;
}

void readdTrayIcon() {
    if (!g_record.hWnd)
        return;
    g_added = notifyShell(NIM_ADD) != FALSE;
    refreshTray();
}

void updateTray(int32_t minutes, bool windowOpen, int32_t entries) {
    showTrayStatus(
        trayStatus(minutes, windowOpen ? 1 : 0, entries, AppSettings.PauseState, AppSettings.periodicChange));
}

void refreshTray() { updateTray(ChangeCountdown, isMainWindowVisible(), ActiveCollection.entryCount()); }

void showTrayStatus(const TrayStatus& status) {
    setIcon(status.icon);
    setTip(status.tip);
    modify();
}

void showTrayMenu(HWND window) {
    HMENU bar = buildTrayMenu();
    if (!bar)
        return;
    TrayMenuOpen = true;
    const UINT command = trackPopupAtCursor(window, GetSubMenu(bar, 0));
    // The command runs while the menu still counts as open: a change that
    // falls due meanwhile waits.
    if (command)
        win::SendMessageW(window, WM_COMMAND, command, 0);
    TrayMenuOpen = false;
    DestroyMenu(bar);
}

int32_t trayDoubleClickCommand() { return doubleClickCommand(menuState()); }

HMENU loadMenuBar(UINT id, HMENU* popup) {
    HMENU bar = win::LoadMenuW(AppInstance, MAKEINTRESOURCEW(id));
    *popup = bar ? GetSubMenu(bar, 0) : nullptr;
    if (bar && !*popup) {
        DestroyMenu(bar);
        return nullptr;
    }
    return bar;
}

HMENU buildTrayMenu() {
    HMENU menu = nullptr;
    HMENU bar = loadMenuBar(IDM_TRAY, &menu);
    if (!bar)
        return nullptr;
    const TrayMenuPlan plan = planTrayMenu(menuState());
    SetMenuDefaultItem(menu, static_cast<UINT>(plan.defaultCommand), FALSE);
    grey(menu, ID_SETTINGS, plan.settingsGreyed);
    CheckMenuItem(menu, ID_PAUSE, MF_BYCOMMAND | (plan.pauseChecked ? MF_CHECKED : MF_UNCHECKED));
    if (plan.pauseIsCancelAuto)
        writeItemText(menu, ID_PAUSE, app_texts::kMenuCancelAutoPause);
    grey(menu, ID_PAUSE, plan.pauseGreyed);
    if (!plan.reapplyGreyed)
        appendToItem(menu, ID_REAPPLY, plan.reapplyName, kItemUnits);
    grey(menu, ID_REAPPLY, plan.reapplyGreyed);
    grey(menu, ID_CHANGE_RANDOM, plan.changesGreyed);
    grey(menu, ID_CHANGE_NEXT, plan.changesGreyed);
    grey(menu, ID_CHANGE_PREVIOUS, plan.changesGreyed);
    if (plan.deleteRandomAndNext) {
        DeleteMenu(menu, ID_CHANGE_RANDOM, MF_BYCOMMAND);
        DeleteMenu(menu, ID_CHANGE_NEXT, MF_BYCOMMAND);
    } else {
        appendToItem(menu, ID_CHANGE_NEXT, plan.nextName, kItemUnits);
        appendToItem(menu, ID_CHANGE_PREVIOUS, plan.previousName, kItemUnits);
    }
    if (plan.previousIsEmptyText)
        writeItemText(menu, ID_CHANGE_PREVIOUS, app_texts::kMenuNoPictures);
    return bar;
}

HMENU buildCollectionMenu() {
    HMENU menu = nullptr;
    HMENU bar = loadMenuBar(IDM_COLLECTION, &menu);
    if (!bar)
        return nullptr;
    const CollectionMenuPlan plan = planCollectionMenu(ActiveCollection.entryCount(), MruList);
    grey(menu, ID_COLLECTION_REMOVE_MISSING, plan.removeMissingGreyed);
    for (UINT k = 0; k < kMruSlots; ++k) {
        // The items live in the submenu; by-command lookups reach into it.
        if (plan.keepMru[k])
            appendPathToItem(menu, ID_MRU1 + k, MruList[k]);
        else
            DeleteMenu(menu, ID_MRU1 + k, MF_BYCOMMAND);
    }
    if (plan.recentSubmenuGreyed) {
        const int count = GetMenuItemCount(menu);
        if (count > 0)
            EnableMenuItem(menu, static_cast<UINT>(count - 1), MF_BYPOSITION | MF_GRAYED);
    }
    return bar;
}

void showCollectionMenu(HWND window) {
    HMENU bar = buildCollectionMenu();
    if (!bar)
        return;
    const UINT command = trackPopupAtCursor(window, GetSubMenu(bar, 0));
    DestroyMenu(bar);
    if (command)
        win::SendMessageW(window, WM_COMMAND, command, 0);
}

void setTrayShellEnabled(bool enabled) { g_shellEnabled = enabled; }

const NOTIFYICONDATAW& trayRecord() { return g_record; }
int32_t trayIconResource() { return g_iconResource; }
bool trayIconAdded() { return g_added; }
