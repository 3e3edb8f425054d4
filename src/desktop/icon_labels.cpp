// The labels under the desktop icons are items of the shell's list view.
// Per wallpaper they can lose their background box and take a text colour
// that reads well on the picture; the one-second timer keeps them so, since
// the shell repaints them with its own colours now and then.
#include <windows.h>
#include <commctrl.h>

#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "desktop/desktop_texts.h"
#include "desktop_core/desktop_rules.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "platform/win_messages.h"
#include "platform/win_system.h"
#include "platform/win_windows.h"
#include "platform/working_folder.h"

namespace {

const wchar_t kAdvancedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

HWND findDesktopView() {
    HWND progman = win::FindWindowW(L"Progman", L"Program Manager");
    if (!progman)
        return nullptr;
    return win::FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
}

// Whether "Wallpaper" names our "desktop.bmp": a picture set by someone else
// keeps its labels as they are.
bool desktopShowsOurPicture() {
    HKEY key = nullptr;
    if (win::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    // 140 units: a longer path counts as unreadable.
    wchar_t wallpaper[141] = {};
    DWORD bytes = 140 * sizeof(wchar_t);
    DWORD type = 0;
    LONG read =
        win::RegQueryValueExW(key, L"Wallpaper", nullptr, &type, reinterpret_cast<BYTE*>(wallpaper), &bytes);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    wallpaper[bytes / sizeof(wchar_t) < 140 ? bytes / sizeof(wchar_t) : 140] = 0;
    char16_t ours[plat::kPathUnits];
    if (!plat::workingFolderFile(u"desktop.bmp", ours, plat::kPathUnits))
        return false;
    return win::lstrcmpiW(wallpaper, reinterpret_cast<const wchar_t*>(ours)) == 0;
}

} // namespace

HWND FindDesktopListView() {
    HWND view = findDesktopView();
    if (!view)
        return nullptr;
    return win::FindWindowExW(view, nullptr, L"SysListView32", nullptr);
}

bool IsActiveDesktopOn() {
    HWND view = findDesktopView();
    return view && win::FindWindowExW(view, nullptr, L"Internet Explorer_Server", nullptr) != nullptr;
}

int ReadListviewShadow() {
    if (!desk::listviewShadowAvailable(plat::osVersion()))
        return -1;
    if (IsActiveDesktopOn())
        return -2;
    HKEY key = nullptr;
    if (win::RegOpenKeyExW(HKEY_CURRENT_USER, kAdvancedKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0;
    DWORD bytes = sizeof value;
    DWORD type = 0;
    LONG read = win::RegQueryValueExW(key, L"ListviewShadow", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                      &bytes);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || bytes != sizeof value)
        return 0;
    return static_cast<int>(value);
}

bool SetListviewShadow(HWND owner, bool on) {
    HKEY key = nullptr;
    bool written = false;
    if (win::RegOpenKeyExW(HKEY_CURRENT_USER, kAdvancedKey, 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                           &key) == ERROR_SUCCESS) {
        DWORD value = on ? 1 : 0;
        written = win::RegSetValueExW(key, L"ListviewShadow", 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    if (!written) {
        plat::messageBox(owner, desk::text::kShadowNotWritten, desk::text::kCaption, MB_ICONWARNING);
        return false;
    }
    HWND listView = FindDesktopListView();
    if (listView)
        win::SendMessageW(listView, WM_WININICHANGE, 0, 0);
    else
        plat::messageBox(owner, desk::text::kDesktopNotUpdated, desk::text::kCaption, MB_ICONWARNING);
    return true;
}

void RefreshIconLabels(const WallpaperEntry& entry) {
    int shadow = ReadListviewShadow();
    if (shadow == -2 || shadow == 1)
        return; // the system draws the labels itself
    if (entry.fontMode != kFontColoured || !entry.changeColours)
        return;
    if (!desktopShowsOurPicture())
        return;
    HWND listView = FindDesktopListView();
    if (!listView)
        return;
    COLORREF current = static_cast<COLORREF>(win::SendMessageW(listView, LVM_GETTEXTCOLOR, 0, 0));
    if (!desk::labelColourNeedsSetting(current, entry.fontColour))
        return;
    win::SendMessageW(listView, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(entry.fontColour));
    if (static_cast<COLORREF>(win::SendMessageW(listView, LVM_GETTEXTBKCOLOR, 0, 0)) == CLR_NONE)
        return;
    if (win::SendMessageW(listView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE))) {
        InvalidateRect(listView, nullptr, TRUE);
        UpdateWindow(listView);
    }
}
