// Small helpers every page uses for its controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "platform/win_messages.h"
#include "platform/win_windows.h"

inline bool isChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
inline int32_t checkedValue(HWND page, int id) { return isChecked(page, id) ? 1 : 0; }
inline void setChecked(HWND page, int id, int32_t on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }
inline void enableControl(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); }
inline void showControl(HWND page, int id, bool on) { ShowWindow(GetDlgItem(page, id), on ? SW_SHOW : SW_HIDE); }
inline void setControlText(HWND page, int id, const char16_t* text) {
    win::SetDlgItemTextW(page, id, reinterpret_cast<LPCWSTR>(text));
}

// Gives control of owner a tip in tooltip. The record says it is of the first
// version: common controls before version 6 refuse the size of today's
// headers, and the tip would never show there.
inline void addControlTip(HWND tooltip, HWND owner, HWND control, const char16_t* text) {
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(text));
    win::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The page's state struct, kept in the window's user data.
template <class State> State* pageState(HWND page) {
    return reinterpret_cast<State*>(win::GetWindowLongPtrW(page, GWLP_USERDATA));
}
template <class State> State* attachPageState(HWND page) {
    State* state = new State();
    win::SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return state;
}
template <class State> void freePageState(HWND page) {
    delete pageState<State>(page);
    win::SetWindowLongPtrW(page, GWLP_USERDATA, 0);
}
