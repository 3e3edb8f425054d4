// Page "Win9x logo": the start-up logo of Windows 95 and 98, built from a
// random picture some minutes after the start. Other systems see only a note.
#include <windows.h>
#include <commctrl.h>

#include "app_core/config_rules.h"
#include "desktop/desktop_shell.h"
#include "pages/page_controls.h"
#include "pages/page_texts.h"
#include "pages/pages.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/win_messages.h"
#include "platform/win_windows.h"
#include "resource_ids.h"
#include "settings/app_settings.h"

namespace {

struct LogoPage {
    HWND tooltip = nullptr;
};

constexpr int kLogoControls[] = {IDC_LOGO_MAKE,        IDC_LOGO_WAIT_UNPAUSE, IDC_LOGO_DELAY,   IDC_LOGO_DELAY_TEXT,
                                 IDC_LOGO_FAST,        IDC_LOGO_DELAY_GROUP,  IDC_LOGO_DELAY_NOTE, IDC_LOGO_LINE,
                                 IDC_LOGO_RESTART_NOTE, IDC_LOGO_RESTORE};
// What only matters while the logo is made.
constexpr int kDelayControls[] = {IDC_LOGO_DELAY, IDC_LOGO_WAIT_UNPAUSE, IDC_LOGO_DELAY_TEXT,
                                  IDC_LOGO_FAST,  IDC_LOGO_DELAY_GROUP,  IDC_LOGO_DELAY_NOTE};

void applyVisibility(HWND page) {
    const bool win9x = plat::isWindows9x();
    if (!win9x)
        setControlText(page, IDC_LOGO_OTHER_SYSTEM, page_text::kLogoOnlyWin9x);
    showControl(page, IDC_LOGO_OTHER_SYSTEM, !win9x);
    for (int id : kLogoControls)
        showControl(page, id, win9x);
    const bool making = isChecked(page, IDC_LOGO_MAKE);
    for (int id : kDelayControls)
        enableControl(page, id, making);
}

void showDelay(HWND page, int32_t minutes) {
    char16_t text[32];
    logoDelayText(minutes, text, 32);
    setControlText(page, IDC_LOGO_DELAY_TEXT, text);
}

HWND makeDelayTooltip(HWND page) {
    HWND tooltip =
        win::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr, nullptr, nullptr);
    if (!tooltip)
        return nullptr;
    addControlTip(tooltip, page, GetDlgItem(page, IDC_LOGO_DELAY), page_text::kLogoDelayTip);
    return tooltip;
}

BOOL onInit(HWND page) {
    LogoPage* state = attachPageState<LogoPage>(page);
    setChecked(page, IDC_LOGO_MAKE, AppSettings.makeLogo);
    setChecked(page, IDC_LOGO_WAIT_UNPAUSE, AppSettings.logoWaitsForUnpause);
    setChecked(page, IDC_LOGO_FAST, AppSettings.fastLogo);
    applyVisibility(page);
    win::SendDlgItemMessageW(page, IDC_LOGO_DELAY, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    win::SendDlgItemMessageW(page, IDC_LOGO_DELAY, TBM_SETPOS, TRUE, AppSettings.logoDelayMinutes);
    showDelay(page, AppSettings.logoDelayMinutes);
    state->tooltip = makeDelayTooltip(page);
    return TRUE;
}

void onMakeLogoClicked(HWND page) {
    if (AppSettings.makeLogo == 0)
        plat::messageBox(page, page_text::kLogoWarning, page_text::kCaption, plat::kMbIconWarning);
    AppSettings.makeLogo = checkedValue(page, IDC_LOGO_MAKE);
    applyVisibility(page);
}

BOOL onCommand(HWND page, int id, int code) {
    if (code != BN_CLICKED)
        return FALSE;
    switch (id) {
    case IDC_LOGO_MAKE: onMakeLogoClicked(page); return TRUE;
    case IDC_LOGO_WAIT_UNPAUSE: AppSettings.logoWaitsForUnpause = checkedValue(page, id); return TRUE;
    case IDC_LOGO_FAST: AppSettings.fastLogo = checkedValue(page, id); return TRUE;
    case IDC_LOGO_RESTORE: RestoreStartupLogo(page); return TRUE;
    default: return FALSE;
    }
}

void onScroll(HWND page, HWND control) {
    if (control != GetDlgItem(page, IDC_LOGO_DELAY))
        return;
    AppSettings.logoDelayMinutes = static_cast<int32_t>(win::SendMessageW(control, TBM_GETPOS, 0, 0));
    showDelay(page, AppSettings.logoDelayMinutes);
}

void onDestroy(HWND page) {
    if (LogoPage* state = pageState<LogoPage>(page); state && state->tooltip)
        DestroyWindow(state->tooltip);
    freePageState<LogoPage>(page);
}

} // namespace

INT_PTR CALLBACK logoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return onInit(page);
    case WM_COMMAND: return onCommand(page, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL: onScroll(page, reinterpret_cast<HWND>(lParam)); return TRUE;
    case WM_DESTROY: onDestroy(page); return TRUE;
    default: return FALSE;
    }
}
