#include "platform/win_newer.h"

#include "platform/win_layer.h"

namespace win {

namespace {

using GetAncestorFn = HWND(WINAPI*)(HWND, UINT);
using IsProcessorFeaturePresentFn = BOOL(WINAPI*)(DWORD);
using OpenDesktopWFn = HDESK(WINAPI*)(LPCWSTR, DWORD, BOOL, ACCESS_MASK);
using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using CloseDesktopFn = BOOL(WINAPI*)(HDESK);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

UINT screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

} // namespace

HWND ancestorByWalking(HWND window, UINT flags) {
    if (!IsWindow(window)) return nullptr;
    HWND desktop = GetDesktopWindow();
    if (window == desktop) return nullptr;
    switch (flags) {
    case GA_PARENT:
        // GetParent gives the owner of a top-level window; its parent is the desktop.
        return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0 ? GetParent(window) : desktop;
    case GA_ROOT:
        while ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0) {
            HWND parent = GetParent(window);
            if (parent == nullptr || parent == desktop) break;
            window = parent;
        }
        return window;
    case GA_ROOTOWNER:
        window = ancestorByWalking(window, GA_ROOT);
        for (HWND owner = GetWindow(window, GW_OWNER); owner != nullptr; owner = GetWindow(window, GW_OWNER))
            window = owner;
        return window;
    default:
        return nullptr;
    }
}

HWND GetAncestor(HWND window, UINT flags) {
    static const GetAncestorFn f = systemFunction<GetAncestorFn>("user32.dll", "GetAncestor");
    return f != nullptr ? f(window, flags) : ancestorByWalking(window, flags);
}

BOOL IsProcessorFeaturePresent(DWORD feature) {
    static const IsProcessorFeaturePresentFn f = systemFunction<IsProcessorFeaturePresentFn>("kernel32.dll", "IsProcessorFeaturePresent");
    return f != nullptr ? f(feature) : FALSE;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    static const InitCommonControlsExFn f = systemFunction<InitCommonControlsExFn>("comctl32.dll", "InitCommonControlsEx");
    if (f != nullptr) return f(controls);
    // Looked up too: the tools that share this file do not link the library.
    using InitCommonControlsFn = void(WINAPI*)();
    static const InitCommonControlsFn old = systemFunction<InitCommonControlsFn>("comctl32.dll", "InitCommonControls");
    if (old == nullptr) return FALSE;
    old();
    return TRUE;
}

HDESK OpenDesktopW(LPCWSTR name, DWORD flags, BOOL inherit, ACCESS_MASK access) {
    static const OpenDesktopWFn f = systemFunction<OpenDesktopWFn>("user32.dll", "OpenDesktopW");
    if (f == nullptr) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    return f(name, flags, inherit, access);
}

BOOL CloseDesktop(HDESK desktop) {
    static const CloseDesktopFn f = systemFunction<CloseDesktopFn>("user32.dll", "CloseDesktop");
    return f != nullptr ? f(desktop) : FALSE;
}

UINT GetDpiForWindow(HWND window) {
    static const GetDpiForWindowFn f = systemFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    const UINT dpi = f != nullptr ? f(window) : 0;
    return dpi != 0 ? dpi : screenDpi();
}

int GetSystemMetricsForDpi(int index, UINT dpi) {
    static const GetSystemMetricsForDpiFn f =
        systemFunction<GetSystemMetricsForDpiFn>("user32.dll", "GetSystemMetricsForDpi");
    if (f != nullptr)
        return f(index, dpi);
    const UINT system = screenDpi();
    const int metric = GetSystemMetrics(index);
    return dpi == 0 || dpi == system ? metric : scaleBy(metric, static_cast<int>(dpi), static_cast<int>(system));
}

} // namespace win
