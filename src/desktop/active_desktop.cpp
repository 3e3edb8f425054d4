// Active Desktop draws the wallpaper itself while it runs, so the picture has
// to be handed to its COM object; the registry path would be overridden.
#include <windows.h>
#include <objbase.h>
#include <wininet.h> // shlobj.h declares IActiveDesktop only after it
#include <shlobj.h>

#include "desktop/desktop_shell.h"
#include "desktop_core/desktop_rules.h"

bool ComInitialized = false;

namespace {
// CLSID_ActiveDesktop and IID_IActiveDesktop, spelled out so that no
// import library has to provide them.
const CLSID kClsidActiveDesktop = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID kIidActiveDesktop = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
} // namespace

bool ensureComInitialized() {
    if (ComInitialized)
        return true;
    if (FAILED(CoInitialize(nullptr)))
        return false;
    ComInitialized = true;
    return true;
}

bool setWallpaperThroughActiveDesktop(const char16_t* bmpPath, int32_t style, int32_t activeDesktopFix) {
    if (!ensureComInitialized())
        return false;
    IActiveDesktop* desktop = nullptr;
    if (FAILED(CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIidActiveDesktop,
                                reinterpret_cast<void**>(&desktop))) ||
        !desktop)
        return false;
    WALLPAPEROPT options = {};
    options.dwSize = sizeof options;
    options.dwStyle = desk::activeDesktopStyle(style);
    bool done = SUCCEEDED(desktop->SetWallpaperOptions(&options, 0)) &&
                SUCCEEDED(desktop->SetWallpaper(reinterpret_cast<LPCWSTR>(bmpPath), 0)) &&
                SUCCEEDED(desktop->ApplyChanges(desk::activeDesktopApplyFlags(activeDesktopFix)));
    desktop->Release();
    return done;
}
