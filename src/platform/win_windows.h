// Windows, dialogs, the message loop, menus and the user interface's text
// through the layer of win_layer.h: on NT the ...W function, on Windows 9x
// the ...A one with the text converted through the ANSI code page. A window
// class registered here is an ANSI class on 9x, so its windows, and the
// dialogs made here, get ANSI text in WM_SETTEXT and the like there; none of
// our procedures reads such text from a message.
//
// Counts and results keep the meaning of the ...W functions: units, never
// bytes, and a text cut to the caller's buffer is always terminated.
#pragma once

#include <windows.h>

namespace win {

ATOM RegisterClassW(const WNDCLASSW* windowClass);
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A dialog template in memory has the same form for both kinds of dialog.
HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                        LPARAM init);
HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent,
                                DLGPROC procedure, LPARAM init);
INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                        LPARAM init);

BOOL GetMessageW(LPMSG msg, HWND window, UINT first, UINT last);
BOOL PeekMessageW(LPMSG msg, HWND window, UINT first, UINT last, UINT remove);
LRESULT DispatchMessageW(const MSG* msg);
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);

// On 32-bit systems the ...LongPtr names are the ...Long functions.
LONG GetWindowLongW(HWND window, int index);
LONG SetWindowLongW(HWND window, int index, LONG value);
DWORD SetClassLongW(HWND window, int index, LONG value);
#ifdef _WIN64
LONG_PTR GetWindowLongPtrW(HWND window, int index);
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
ULONG_PTR SetClassLongPtrW(HWND window, int index, LONG_PTR value);
#endif

BOOL SetWindowTextW(HWND window, LPCWSTR text);
// At most units - 1 units and a terminator; returns the units copied.
int GetWindowTextW(HWND window, LPWSTR text, int units);
int GetWindowTextLengthW(HWND window);
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int units);

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags);
HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name);
// Without MIIM_BITMAP the record is given to the system in the size that
// Windows 95 and NT 4 know.
BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info);
BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info);

// DT_MODIFYSTRING is not honoured on 9x: the caller's text stays as it was.
int DrawTextW(HDC dc, LPCWSTR text, int units, LPRECT rect, UINT format);
BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics);
// A font gives a LOGFONTW; any other object passes through.
int GetObjectW(HANDLE object, int size, LPVOID buffer);
// The wallpaper's path, the desk pattern and the actions that carry a
// LOGFONT, NONCLIENTMETRICS or ICONMETRICS are converted; the rest pass
// through. A wallpaper path that the code page cannot hold fails with
// ERROR_FILE_NOT_FOUND on 9x.
BOOL SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT winIni);

// A class or title that the code page cannot hold belongs to no window on 9x.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
HWND FindWindowExW(HWND parent, HWND after, LPCWSTR className, LPCWSTR windowName);
UINT RegisterWindowMessageW(LPCWSTR name);

} // namespace win
