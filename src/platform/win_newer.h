// Functions that Windows 95 or NT 4 lack, looked up when first called: a
// program that imported them would not start there. Each keeps the system's
// name and signature inside namespace win and behaves as the system's where
// the system has it.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace win {

// 98 and 2000 on; before them GA_PARENT, GA_ROOT and GA_ROOTOWNER are found
// by walking GetParent (parents of child windows, owners of the others).
HWND GetAncestor(HWND window, UINT flags);

// NT 4 on: FALSE where the system cannot say (Windows 95).
BOOL IsProcessorFeaturePresent(DWORD feature);

// Common controls 4.70 (Internet Explorer 3) on; before them InitCommonControls
// registers every class there is.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);

// Windows NT only: null with ERROR_CALL_NOT_IMPLEMENTED on 9x.
HDESK OpenDesktopW(LPCWSTR name, DWORD flags, BOOL inherit, ACCESS_MASK access);
BOOL CloseDesktop(HDESK desktop);

// Windows 8.1 on: sent to a top-level window whose DPI changed (it moved to
// another monitor, or the scaling was changed); lParam points to the
// rectangle the window should take.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// Windows 10 1607 on; before it the screen's pixels per inch, the one DPI of
// the whole system.
UINT GetDpiForWindow(HWND window);
// Windows 10 1607 on; before it the system's metric scaled from the screen's
// DPI to dpi.
int GetSystemMetricsForDpi(int index, UINT dpi);

// value * numerator / denominator rounded to the nearest, as MulDiv gives it,
// without importing MulDiv: sizes scaled from one DPI to another.
inline int scaleBy(int value, int numerator, int denominator) {
    if (denominator == 0)
        return value;
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = (denominator > 0 ? denominator : -denominator) / 2;
    return static_cast<int>((product + ((product < 0) == (denominator < 0) ? half : -half)) / denominator);
}

// The walk GetAncestor takes where the system has no GetAncestor (so that
// tests can compare the two on any system).
HWND ancestorByWalking(HWND window, UINT flags);

} // namespace win
