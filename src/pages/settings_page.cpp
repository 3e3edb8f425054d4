// Page "Nastavení": when and how the pictures change, how they are shown and
// how the program behaves. Every click writes straight into AppSettings.
#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "app_core/change_cycle.h"
#include "app_core/config_rules.h"
#include "pages/page_controls.h"
#include "pages/page_texts.h"
#include "pages/pages.h"
#include "platform/message_box.h"
#include "platform/win_messages.h"
#include "resource_ids.h"
#include "settings/app_settings.h"

namespace {

struct SettingsPage {
    // Edit notifications sent while the page fills or corrects its own
    // fields are not the user's.
    bool initialised = false;
    bool inIntervalChange = false;
};

struct CheckBoxSetting {
    int id;
    int32_t AppSettingsRecord::*field;
};
constexpr CheckBoxSetting kCheckBoxes[] = {
    {IDC_SET_CHANGE_AT_START, &AppSettingsRecord::changeAtStart},
    {IDC_SET_PERIODIC, &AppSettingsRecord::periodicChange},
    {IDC_SET_AUTO_STRETCH, &AppSettingsRecord::autoStretch},
    {IDC_SET_REDUCE_COLOURS, &AppSettingsRecord::reduceColours},
    {IDC_SET_LOWER_PRIORITY, &AppSettingsRecord::lowerPriority},
    {IDC_SET_CONFIRM_REMOVE, &AppSettingsRecord::confirmRemove},
    {IDC_SET_WAIT_NOTICE, &AppSettingsRecord::showWaitNotice},
};

const CheckBoxSetting* checkBox(int id) {
    for (const CheckBoxSetting& c : kCheckBoxes)
        if (c.id == id)
            return &c;
    return nullptr;
}

void enableInterval(HWND page) {
    const bool on = isChecked(page, IDC_SET_PERIODIC);
    for (int id : {IDC_SET_HOURS, IDC_SET_MINUTES, IDC_SET_HOURS_UPDOWN, IDC_SET_MINUTES_UPDOWN})
        enableControl(page, id, on);
}

void prepareUpDown(HWND page, int id, int top) {
    HWND upDown = GetDlgItem(page, id);
    win::SendMessageW(upDown, UDM_SETRANGE, 0, MAKELPARAM(top, 0));
    UDACCEL step = {0, 1};
    win::SendMessageW(upDown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
}

BOOL onInit(HWND page) {
    SettingsPage* state = attachPageState<SettingsPage>(page);
    for (const CheckBoxSetting& c : kCheckBoxes)
        setChecked(page, c.id, AppSettings.*c.field);
    const int32_t order = automaticChangeMode(AppSettings.changeOrder);
    CheckRadioButton(page, IDC_SET_ORDER_RANDOM, IDC_SET_ORDER_BACKWARD, IDC_SET_ORDER_RANDOM + order);
    enableInterval(page);
    prepareUpDown(page, IDC_SET_HOURS_UPDOWN, kMaxIntervalHours);
    prepareUpDown(page, IDC_SET_MINUTES_UPDOWN, kMaxIntervalMinutes);
    const uint32_t interval = AppSettings.intervalMinutes > 0 ? static_cast<uint32_t>(AppSettings.intervalMinutes) : 1;
    SetDlgItemInt(page, IDC_SET_HOURS, interval / 60, FALSE);
    SetDlgItemInt(page, IDC_SET_MINUTES, interval % 60, FALSE);
    state->initialised = true;
    return TRUE;
}

void onIntervalChange(HWND page, SettingsPage* state) {
    if (!state || !state->initialised || state->inIntervalChange)
        return;
    state->inIntervalChange = true;
    const IntervalFields f = readIntervalFields(GetDlgItemInt(page, IDC_SET_HOURS, nullptr, FALSE),
                                                GetDlgItemInt(page, IDC_SET_MINUTES, nullptr, FALSE));
    win::SendDlgItemMessageW(page, IDC_SET_HOURS_UPDOWN, UDM_SETPOS, 0, MAKELPARAM(f.hours, 0));
    win::SendDlgItemMessageW(page, IDC_SET_MINUTES_UPDOWN, UDM_SETPOS, 0, MAKELPARAM(f.minutes, 0));
    // The fields show what is stored, whether or not the up-downs rewrote
    // their buddies.
    if (f.hoursCorrected)
        SetDlgItemInt(page, IDC_SET_HOURS, f.hours, FALSE);
    if (f.minutesCorrected)
        SetDlgItemInt(page, IDC_SET_MINUTES, f.minutes, FALSE);
    AppSettings.intervalMinutes = f.intervalMinutes;
    state->inIntervalChange = false;
}

void showAbout(HWND page) {
    plat::messageBox(page, page_text::kAbout, page_text::kAboutCaption, plat::kMbIconInformation);
}

BOOL onCommand(HWND page, int id, int code) {
    if (code == EN_CHANGE && (id == IDC_SET_HOURS || id == IDC_SET_MINUTES)) {
        onIntervalChange(page, pageState<SettingsPage>(page));
        return TRUE;
    }
    if (code != BN_CLICKED)
        return FALSE;
    if (const CheckBoxSetting* c = checkBox(id)) {
        AppSettings.*c->field = checkedValue(page, id);
        if (id == IDC_SET_PERIODIC)
            enableInterval(page);
        return TRUE;
    }
    switch (id) {
    case IDC_SET_ORDER_RANDOM:
    case IDC_SET_ORDER_FORWARD:
    case IDC_SET_ORDER_BACKWARD: AppSettings.changeOrder = id - IDC_SET_ORDER_RANDOM; return TRUE;
    case IDC_SET_ABOUT: showAbout(page); return TRUE;
    default: return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK settingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return onInit(page);
    case WM_COMMAND: return onCommand(page, LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY: freePageState<SettingsPage>(page); return TRUE;
    default: return FALSE;
    }
}
