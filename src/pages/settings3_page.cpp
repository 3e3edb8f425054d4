// Page "Nastavení 3": the always-transparent icon label background of
// Windows XP. The check box acts at once.
#include "desktop/desktop_shell.h"
#include "pages/page_controls.h"
#include "pages/pages.h"
#include "resource_ids.h"
#include "platform/win_windows.h"

namespace {

BOOL onInit(HWND page) {
    const int shadow = ReadListviewShadow();
    if (shadow == -1 || shadow == -2) {
        enableControl(page, IDC_SET3_GROUP, false);
        showControl(page, IDC_SET3_TRANSPARENT, false);
        showControl(page, shadow == -1 ? IDC_SET3_ONLY_XP : IDC_SET3_NEEDS_AD_OFF, true);
    } else {
        setChecked(page, IDC_SET3_TRANSPARENT, shadow != 0);
    }
    return TRUE;
}

void onTransparentClicked(HWND page) {
    HCURSOR previous = SetCursor(win::LoadCursorW(nullptr, IDC_WAIT));
    const bool on = isChecked(page, IDC_SET3_TRANSPARENT);
    // The box shows what the system really has.
    if (!SetListviewShadow(page, on))
        setChecked(page, IDC_SET3_TRANSPARENT, !on);
    SetCursor(previous);
}

} // namespace

INT_PTR CALLBACK settings3PageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return onInit(page);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SET3_TRANSPARENT && HIWORD(wParam) == BN_CLICKED) {
            onTransparentClicked(page);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}
