// Page "Nastavení 2": the window-title substrings that pause the program, and
// Active Desktop.
#include <string>
#include <vector>

#include "app_core/config_rules.h"
#include "desktop/desktop_shell.h"
#include "pages/page_controls.h"
#include "pages/page_texts.h"
#include "pages/pages.h"
#include "platform/message_box.h"
#include "platform/win_messages.h"
#include "platform/win_windows.h"
#include "resource_ids.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

namespace {

struct Settings2Page {
    ActiveDesktopState activeDesktop = kActiveDesktopOff;
};

HWND list(HWND page) { return GetDlgItem(page, IDC_SET2_LIST); }

LRESULT listMessage(HWND page, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return win::SendMessageW(list(page), message, wParam, lParam);
}

void selectItem(HWND page, LRESULT index) {
    listMessage(page, LB_SETCURSEL, static_cast<WPARAM>(index));
    enableControl(page, IDC_SET2_DELETE, listMessage(page, LB_GETCURSEL) != LB_ERR);
}

// The add button wants at least three characters.
void refreshAddButton(HWND page) {
    const bool enough = win::GetWindowTextLengthW(GetDlgItem(page, IDC_SET2_EDIT)) > 2;
    enableControl(page, IDC_SET2_ADD, enough);
    setControlText(page, IDC_SET2_ADD, enough ? page_text::kAddSubstring : page_text::kAddTooShort);
}

// AutoPauseList from the list's items, in list order.
void rebuildAutoPauseList(HWND page) {
    std::vector<std::u16string> items;
    const LRESULT count = listMessage(page, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = listMessage(page, LB_GETTEXTLEN, static_cast<WPARAM>(i));
        if (length < 0)
            continue;
        std::u16string item(static_cast<size_t>(length) + 1, u'\0');
        listMessage(page, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<size_t>(length));
        items.push_back(std::move(item));
    }
    AutoPauseList = buildAutoPauseList(items);
}

void showActiveDesktopState(HWND page, ActiveDesktopState state) {
    setControlText(page, IDC_SET2_AD_SWITCH, state == kActiveDesktopOn ? page_text::kSwitchOff : page_text::kSwitchOn);
    enableControl(page, IDC_SET2_AD_FIX, state == kActiveDesktopOn);
    if (state == kActiveDesktopMissing) {
        enableControl(page, IDC_SET2_AD_SWITCH, false);
        enableControl(page, IDC_SET2_AD_GROUP, false);
        setControlText(page, IDC_SET2_AD_TEXT, page_text::kNoActiveDesktop);
    }
}

BOOL onInit(HWND page) {
    Settings2Page* state = attachPageState<Settings2Page>(page);
    for (const std::u16string& item : autoPauseItems(AutoPauseList.get()))
        listMessage(page, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    selectItem(page, 0);
    win::SendDlgItemMessageW(page, IDC_SET2_EDIT, EM_LIMITTEXT, kAutoPauseItemUnits - 1, 0);
    refreshAddButton(page);
    setChecked(page, IDC_SET2_FOREGROUND_ONLY, AppSettings.autoPauseForegroundOnly);
    setChecked(page, IDC_SET2_AD_FIX, AppSettings.activeDesktopFix);
    state->activeDesktop = ReadActiveDesktopState();
    showActiveDesktopState(page, state->activeDesktop);
    return TRUE;
}

void addSubstring(HWND page) {
    char16_t text[kAutoPauseItemUnits] = {};
    win::GetDlgItemTextW(page, IDC_SET2_EDIT, reinterpret_cast<LPWSTR>(text), kAutoPauseItemUnits);
    // The list finds its items without regard to case: "Nero" is "nero".
    const LRESULT found = listMessage(page, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    if (found != LB_ERR) {
        selectItem(page, found);
        enableControl(page, IDC_SET2_ADD, false);
        plat::messageBox(page, page_text::kAlreadyListed, page_text::kCaption, plat::kMbIconInformation);
        return;
    }
    const LRESULT added = listMessage(page, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (added < 0)
        return;
    selectItem(page, added);
    enableControl(page, IDC_SET2_ADD, false);
    rebuildAutoPauseList(page);
}

void deleteSubstring(HWND page) {
    const LRESULT selected = listMessage(page, LB_GETCURSEL);
    if (selected == LB_ERR)
        return;
    if (AppSettings.confirmRemove &&
        plat::messageBox(page, page_text::kRemoveSubstringQuestion, page_text::kCaption,
                         plat::kMbYesNo | plat::kMbIconQuestion | plat::kMbDefButton2) != plat::kIdYes)
        return;
    // The list is the page's: a page gone meanwhile must not be read as an
    // empty list.
    if (!IsWindow(page))
        return;
    refreshAddButton(page);
    listMessage(page, LB_DELETESTRING, static_cast<WPARAM>(selected));
    selectItem(page, 0);
    rebuildAutoPauseList(page);
}

void switchActiveDesktop(HWND page) {
    const Settings2Page* before = pageState<Settings2Page>(page);
    if (!before)
        return;
    const ActiveDesktopState now = ToggleActiveDesktop(page, before->activeDesktop);
    // The page's state is looked up again after the notice: the page may be
    // gone by then.
    if (Settings2Page* state = pageState<Settings2Page>(page)) {
        state->activeDesktop = now;
        showActiveDesktopState(page, now);
    }
}

BOOL onCommand(HWND page, int id, int code) {
    if (id == IDC_SET2_EDIT && code == EN_CHANGE) {
        refreshAddButton(page);
        return TRUE;
    }
    if (id == IDC_SET2_LIST && code == LBN_SELCHANGE) {
        enableControl(page, IDC_SET2_DELETE, listMessage(page, LB_GETCURSEL) != LB_ERR);
        return TRUE;
    }
    if (code != BN_CLICKED)
        return FALSE;
    switch (id) {
    case IDC_SET2_ADD: addSubstring(page); return TRUE;
    case IDC_SET2_DELETE: deleteSubstring(page); return TRUE;
    case IDC_SET2_FOREGROUND_ONLY: AppSettings.autoPauseForegroundOnly = checkedValue(page, id); return TRUE;
    case IDC_SET2_AD_FIX: AppSettings.activeDesktopFix = checkedValue(page, id); return TRUE;
    case IDC_SET2_AD_SWITCH: switchActiveDesktop(page); return TRUE;
    default: return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK settings2PageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return onInit(page);
    case WM_COMMAND: return onCommand(page, LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY: freePageState<Settings2Page>(page); return TRUE;
    default: return FALSE;
    }
}
