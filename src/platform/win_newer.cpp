#include "platform/win_newer.h"

namespace win {

namespace {

// One look-up per function; a missing one stays null. Threads that race on
// the first call store the same address. The A forms: the W ones are stubs on 9x.
template <typename F> F lookUp(F* slot, bool* asked, const char* module, const char* name) {
    if (!*asked) {
        HMODULE m = LoadLibraryA(module); // already loaded: one more reference, kept
        *slot = m != nullptr ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
        *asked = true;
    }
    return *slot;
}

#define WIN_NEWER_AS(type, module, name, var)                                                             \
    static type var##Slot = nullptr;                                                                      \
    static bool var##Asked = false;                                                                       \
    const type var = lookUp(&var##Slot, &var##Asked, module, name)
#define WIN_NEWER(type, module, name) WIN_NEWER_AS(type, module, name, f)

using GetAncestorFn = HWND(WINAPI*)(HWND, UINT);
using IsProcessorFeaturePresentFn = BOOL(WINAPI*)(DWORD);
using OpenDesktopWFn = HDESK(WINAPI*)(LPCWSTR, DWORD, BOOL, ACCESS_MASK);
using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using CloseDesktopFn = BOOL(WINAPI*)(HDESK);

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
    WIN_NEWER(GetAncestorFn, "user32.dll", "GetAncestor");
    return f != nullptr ? f(window, flags) : ancestorByWalking(window, flags);
}

BOOL IsProcessorFeaturePresent(DWORD feature) {
    WIN_NEWER(IsProcessorFeaturePresentFn, "kernel32.dll", "IsProcessorFeaturePresent");
    return f != nullptr ? f(feature) : FALSE;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    WIN_NEWER(InitCommonControlsExFn, "comctl32.dll", "InitCommonControlsEx");
    if (f != nullptr) return f(controls);
    // Looked up too: the tools that share this file do not link the library.
    using InitCommonControlsFn = void(WINAPI*)();
    WIN_NEWER_AS(InitCommonControlsFn, "comctl32.dll", "InitCommonControls", old);
    if (old == nullptr) return FALSE;
    old();
    return TRUE;
}

HDESK OpenDesktopW(LPCWSTR name, DWORD flags, BOOL inherit, ACCESS_MASK access) {
    WIN_NEWER(OpenDesktopWFn, "user32.dll", "OpenDesktopW");
    if (f == nullptr) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    return f(name, flags, inherit, access);
}

BOOL CloseDesktop(HDESK desktop) {
    WIN_NEWER(CloseDesktopFn, "user32.dll", "CloseDesktop");
    return f != nullptr ? f(desktop) : FALSE;
}

} // namespace win
