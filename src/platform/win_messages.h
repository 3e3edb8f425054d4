// Messages, common dialogs, the notification area, dropped files and the
// shell's "open", through the text layer (see win_layer.h): on NT the ...W
// function, on 9x the ...A function or message with the text converted.
//
// What the caller sees keeps the W meaning: lengths are in UTF-16 units, a
// text that comes back is converted, cut to the caller's buffer and
// terminated. A message that carries no text goes to the ...A function
// unchanged; so do the program's own messages (WM_APP and up).
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

namespace win {

// List box and combo box strings (unless the box is owner-drawn without
// strings: then lParam is item data), WM_SETTEXT/WM_GETTEXT/
// WM_GETTEXTLENGTH, EM_REPLACESEL, the tab control's items and the tooltip's
// tools and title are converted; everything else passes through.
LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
// A posted message cannot carry a text that outlives the call: no conversion.
BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// On 9x the ANSI dialog: the chosen names come back as "folder\0name\0...\0\0"
// (or one full path) in UTF-16 with nFileOffset and nFileExtension in units.
// A hook procedure gets the caller's OPENFILENAMEW in WM_INITDIALOG; its
// other messages come from the ANSI dialog (lCustData is the caller's).
BOOL WINAPI GetOpenFileNameW(OPENFILENAMEW* record);
BOOL WINAPI GetSaveFileNameW(OPENFILENAMEW* record);
BOOL WINAPI ChooseColorW(CHOOSECOLORW* record);

// On 9x the first-version NOTIFYICONDATAA: icon, message and a tip of up to
// 63 bytes; the newer fields are not sent.
BOOL WINAPI Shell_NotifyIconW(DWORD action, NOTIFYICONDATAW* record);

// The count (index 0xFFFFFFFF), a name's length in units (null buffer) or the
// name itself, cut to units and terminated; the result counts units.
UINT WINAPI DragQueryFileW(HDROP drop, UINT index, LPWSTR name, UINT units);

HINSTANCE WINAPI ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder,
                        INT show);

} // namespace win
