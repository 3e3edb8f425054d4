#include "app/shell.h"

#include "platform/text.h"
#include "platform/win_messages.h"
#include "platform/win_windows.h"
#include "settings/settings_store.h"

HWND MainWindow = nullptr;
HINSTANCE AppInstance = nullptr;
UINT TaskbarCreatedMessage = win::RegisterWindowMessageW(L"TaskbarCreated");

bool SearchingDroppedFolders = false;

bool isMainWindowVisible() { return MainWindow && (IsWindowVisible(MainWindow) || SearchingDroppedFolders); }

UINT trackPopupAtCursor(HWND owner, HMENU popup) {
    SetForegroundWindow(owner);
    POINT at = {};
    GetCursorPos(&at);
    const UINT command =
        static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
    // Lets the menu close properly when it was dismissed.
    win::PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}

void setWindowTitle(HWND window, const char16_t* collectionName) {
    char16_t title[plat::kPathUnits + 16];
    windowTitleText(collectionName, title, plat::kPathUnits + 16);
    win::SetWindowTextW(window, reinterpret_cast<LPCWSTR>(title));
}
