#include "app/busy.h"

#include <windows.h>
#include <process.h>

#include "app/shell.h"
#include "app/tray.h"
#include "app_core/app_state.h"
#include "platform/cancel.h"
#include "platform/win_windows.h"
#include "resource_ids.h"
#include "settings/settings_store.h"

namespace {

constexpr wchar_t kPopupClass[] = L"FooDisplayWaitMenuClass";

LRESULT CALLBACK popupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return win::DefWindowProcW(window, message, wParam, lParam);
}

// The popup's thread is handed the number of the operation it cancels.
unsigned __stdcall cancelPopupThread(void* operation) {
    WNDCLASSW cls = {};
    cls.lpfnWndProc = popupWindowProc;
    cls.hInstance = AppInstance;
    cls.lpszClassName = kPopupClass;
    // A second popup finds the class already registered; that is fine.
    win::RegisterClassW(&cls);
    HWND window = win::CreateWindowExW(0, kPopupClass, L"", WS_OVERLAPPED, CW_USEDEFAULT, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, AppInstance, nullptr);
    if (!window)
        return 0;
    HMENU menu = nullptr;
    HMENU bar = loadMenuBar(IDM_CANCEL_WORK, &menu);
    const UINT command = bar ? trackPopupAtCursor(window, menu) : 0;
    DestroyWindow(window);
    if (bar)
        DestroyMenu(bar);
    // The operation may have ended while the menu was open, and another may
    // have begun: the request reaches only the one the popup was opened for.
    if (command)
        plat::requestCancel(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(operation)));
    return 0;
}

struct ChangeWork {
    int32_t mode;
    ApplyFunction apply;
    void* context;
    WallpaperEntry* chosen;
};

} // namespace

bool isBusy() { return BusyFlag.load() != 0; }

int32_t runBusy(bool buildingLogo, int32_t (*operation)(void*), void* context) {
    showTrayStatus(busyTrayStatus(buildingLogo));
    plat::beginOperation();
    BusyFlag.store(1);
    const int32_t result = operation(context);
    BusyFlag.store(0);
    plat::endOperation();
    return result;
}

WallpaperEntry* busyChange(int32_t mode, ApplyFunction apply, void* applyContext) {
    ChangeWork work{mode, apply, applyContext, nullptr};
    runBusy(
        false,
        [](void* c) -> int32_t {
            auto* w = static_cast<ChangeWork*>(c);
            w->chosen = ActiveCollection.pickAndShow(w->mode, w->apply, w->context);
            return w->chosen != nullptr;
        },
        &work);
    if (work.chosen)
        saveSettings(kSaveLastTapeta);
    refreshTray();
    return work.chosen;
}

void startCancelPopup() {
    const uint32_t running = plat::runningOperation();
    if (!running)
        return;
    const uintptr_t thread = _beginthreadex(nullptr, 0, cancelPopupThread,
                                            reinterpret_cast<void*>(static_cast<uintptr_t>(running)), 0, nullptr);
    if (!thread)
        return;
    SetThreadPriority(reinterpret_cast<HANDLE>(thread), THREAD_PRIORITY_ABOVE_NORMAL);
    CloseHandle(reinterpret_cast<HANDLE>(thread));
}
