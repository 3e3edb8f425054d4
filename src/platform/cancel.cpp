#include "platform/cancel.h"

#ifdef _WIN32
#include <windows.h>
#endif

std::atomic<int32_t> AbortRequest{0};

namespace plat {
namespace {
AbortPoll g_poll = nullptr;
}
void setAbortPoll(AbortPoll poll) { g_poll = poll; }

#ifdef _WIN32
void* showWaitCursor() { return SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
void restoreCursor(void* previous) { SetCursor(static_cast<HCURSOR>(previous)); }
#else
void* showWaitCursor() { return nullptr; }
void restoreCursor(void*) {}
#endif
} // namespace plat

namespace {

// The cancel popup's request counts once: whoever sees it clears it.
int takeAbortRequest() { return AbortRequest.exchange(0) != 0 ? 1 : 0; }

#ifdef _WIN32
bool pending(UINT message, MSG* msg) { return PeekMessageW(msg, nullptr, message, message, PM_NOREMOVE) != FALSE; }
#endif

} // namespace

int CheckUserAbort(int32_t allowInput) {
#ifdef _WIN32
    MSG msg;
    if (allowInput) {
        // Only the first pending key press is looked at: another key at the
        // head of the queue hides an Esc behind it.
        if (pending(WM_KEYDOWN, &msg) && msg.wParam == VK_ESCAPE)
            return 1;
        if (pending(WM_NCLBUTTONDOWN, &msg) || pending(WM_LBUTTONDOWN, &msg))
            return 1;
    }
    if (pending(WM_DESTROY, &msg) || pending(WM_CLOSE, &msg) || pending(WM_ENDSESSION, &msg))
        return 1;
#else
    if (plat::g_poll && plat::g_poll(allowInput))
        return 1;
#endif
    if (!allowInput)
        return takeAbortRequest();
    return 0;
}
