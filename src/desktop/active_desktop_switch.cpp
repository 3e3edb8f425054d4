// The Active Desktop switch of the settings page. The state comes from the
// shell's COM object; the program stores nothing of its own.
#include <windows.h>
#include <objbase.h>
#include <wininet.h> // shlobj.h declares IActiveDesktop only after it
#include <shlobj.h>

#include "desktop/desktop_shell.h"
#include "desktop/desktop_texts.h"
#include "platform/message_box.h"

namespace {

const CLSID kClsidActiveDesktop = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID kIidActiveDesktop = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};

ActiveDesktopFactory g_factory = nullptr;

IActiveDesktop* createActiveDesktop() {
    if (!ensureComInitialized())
        return nullptr;
    if (g_factory)
        return g_factory();
    IActiveDesktop* desktop = nullptr;
    if (FAILED(CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIidActiveDesktop,
                                reinterpret_cast<void**>(&desktop))))
        return nullptr;
    return desktop;
}

// On only when the object says exactly 1.
bool readOn(IActiveDesktop* desktop, bool* on) {
    COMPONENTSOPT options = {};
    options.dwSize = sizeof options;
    if (FAILED(desktop->GetDesktopItemOptions(&options, 0)))
        return false;
    *on = options.fActiveDesktop == 1;
    return true;
}

void tell(HWND owner, const char16_t* text) {
    plat::messageBox(owner, text, desk::text::kCaption, plat::kMbIconInformation);
}

} // namespace

void setActiveDesktopFactory(ActiveDesktopFactory factory) { g_factory = factory; }

ActiveDesktopState ReadActiveDesktopState() {
    IActiveDesktop* desktop = createActiveDesktop();
    if (!desktop)
        return kActiveDesktopMissing;
    bool on = false;
    const bool known = readOn(desktop, &on);
    desktop->Release();
    return known && on ? kActiveDesktopOn : kActiveDesktopOff;
}

ActiveDesktopState ToggleActiveDesktop(HWND owner, ActiveDesktopState state) {
    if (state == kActiveDesktopMissing)
        return state;
    ActiveDesktopState now = state;
    if (IActiveDesktop* desktop = createActiveDesktop()) {
        COMPONENTSOPT options = {};
        options.dwSize = sizeof options;
        options.fEnableComponents = options.fActiveDesktop = state == kActiveDesktopOff ? TRUE : FALSE;
        bool on = false;
        if (SUCCEEDED(desktop->SetDesktopItemOptions(&options, 0)) &&
            SUCCEEDED(desktop->ApplyChanges(AD_APPLY_SAVE | AD_APPLY_HTMLGEN | AD_APPLY_REFRESH)) &&
            readOn(desktop, &on))
            now = on ? kActiveDesktopOn : kActiveDesktopOff;
        desktop->Release();
    }
    if (now == state)
        tell(owner, desk::text::kActiveDesktopNotSwitched);
    else
        tell(owner, now == kActiveDesktopOn ? desk::text::kActiveDesktopOn : desk::text::kActiveDesktopOff);
    return now;
}
