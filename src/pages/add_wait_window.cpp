// The wait window (dialog 134) shown while dropped folders are searched. It
// runs on a thread of its own, because the GUI thread is busy searching and
// does not pump messages; the two share only AddProgress under the lock.
#include "app_core/format_text.h"
#include "pages/collection_drop.h"
#include "pages/page_texts.h"
#include "platform/win_messages.h"
#include "platform/win_system.h"
#include "platform/win_windows.h"
#include "resource_ids.h"

namespace {

enum WaitTimer : UINT_PTR { kTimerCount = 1, kTimerBlink = 2 };

AddProgress* progressOf(HWND dialog) {
    return reinterpret_cast<AddProgress*>(win::GetWindowLongPtrW(dialog, DWLP_USER));
}

BOOL onInit(HWND dialog, LPARAM progress) {
    win::SetWindowLongPtrW(dialog, DWLP_USER, progress);
    SetTimer(dialog, kTimerCount, 100, nullptr);
    SetTimer(dialog, kTimerBlink, 1000, nullptr);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(win::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    HICON icon = win::LoadIconW(instance, MAKEINTRESOURCEW(IDI_RUNNING));
    if (icon)
        win::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetForegroundWindow(dialog);
    return TRUE;
}

void finish(HWND dialog) {
    KillTimer(dialog, kTimerCount);
    KillTimer(dialog, kTimerBlink);
    EndDialog(dialog, 0);
}

// The search has ended (or was stopped): close; otherwise show the count.
void onCountTick(HWND dialog) {
    const AddProgress now = readAddProgress(progressOf(dialog));
    if (now.stop) {
        finish(dialog);
        return;
    }
    char16_t text[64];
    formatText(text, 64, page_text::kWaitCount, now.added);
    win::SetDlgItemTextW(dialog, IDC_WAIT_COUNT, reinterpret_cast<LPCWSTR>(text));
}

// The explanation blinks once a second, so the window is seen to be alive.
void onBlinkTick(HWND dialog) {
    HWND text = GetDlgItem(dialog, IDC_WAIT_TEXT);
    EnableWindow(text, IsWindowEnabled(text) ? FALSE : TRUE);
}

void onStop(HWND dialog) {
    requestAddStop(progressOf(dialog));
    finish(dialog);
}

INT_PTR CALLBACK waitWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return onInit(dialog, lParam);
    case WM_TIMER:
        if (wParam == kTimerCount)
            onCountTick(dialog);
        else if (wParam == kTimerBlink)
            onBlinkTick(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDC_WAIT_STOP)
            return FALSE;
        onStop(dialog);
        return TRUE;
    case WM_CLOSE: onStop(dialog); return TRUE;
    default: return FALSE;
    }
}

} // namespace

DWORD WINAPI addWaitThread(void* progress) {
    if (!progress)
        return 0;
    win::DialogBoxParamW(win::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADD_WAIT), nullptr, waitWindowProc,
                         reinterpret_cast<LPARAM>(progress));
    return 0;
}
