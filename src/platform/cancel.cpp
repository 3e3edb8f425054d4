#include "platform/cancel.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win_windows.h"
#endif

std::atomic<int32_t> AbortRequest{0};

namespace plat {
namespace {
AbortPoll g_poll = nullptr;
// Written only by the main thread, which also runs every CheckUserAbort.
uint32_t g_lastOperation = 0;
uint32_t g_running = 0;
// The operation the popup asked to cancel: a stale number never matches.
std::atomic<uint32_t> g_cancelFor{0};
} // namespace
void setAbortPoll(AbortPoll poll) { g_poll = poll; }

uint32_t beginOperation() {
    if (++g_lastOperation == 0) // 0 means "none"
        ++g_lastOperation;
    g_running = g_lastOperation;
    return g_running;
}

void endOperation() {
    g_running = 0;
    g_cancelFor.store(0);
    AbortRequest.store(0);
}

uint32_t runningOperation() { return g_running; }

void requestCancel(uint32_t operation) { g_cancelFor.store(operation); }

#ifdef _WIN32
void* showWaitCursor() {
    return SetCursor(win::LoadCursorW(nullptr, IDC_WAIT));
}
void restoreCursor(void* previous) { SetCursor(static_cast<HCURSOR>(previous)); }
#else
void* showWaitCursor() { return nullptr; }
void restoreCursor(void*) {}
#endif
} // namespace plat

namespace {

// The cancel popup's request counts once: whoever sees it clears it.
int takeAbortRequest() {
    const bool forThis = plat::g_running != 0 && plat::g_cancelFor.exchange(0) == plat::g_running;
    return AbortRequest.exchange(0) != 0 || forThis ? 1 : 0;
}

#ifdef _WIN32
bool pending(UINT message, MSG* msg) {
    return win::PeekMessageW(msg, nullptr, message, message, PM_NOREMOVE) != FALSE;
}

// Each look at the queue is a round trip to the server under Wine, and the
// poll runs after every row of a picture. With no key, mouse button, posted
// or sent message waiting, none of the looks can find anything (nor deliver
// anything sent), so one question answers for all of them.
bool queueMayHoldACancel() {
    return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0;
}

// The looks at the queue, in their order; true when one of them hits.
bool cancelWaits(int32_t allowInput) {
    if (!queueMayHoldACancel())
        return false;
    MSG msg;
    // Only the first pending key press is looked at: another key at the head
    // of the queue hides an Esc behind it.
    if (allowInput && pending(WM_KEYDOWN, &msg) && msg.wParam == VK_ESCAPE)
        return true;
    if (allowInput && (pending(WM_NCLBUTTONDOWN, &msg) || pending(WM_LBUTTONDOWN, &msg)))
        return true;
    return pending(WM_DESTROY, &msg) || pending(WM_CLOSE, &msg) || pending(WM_ENDSESSION, &msg);
}
#endif

} // namespace

int CheckUserAbort(int32_t allowInput) {
#ifdef _WIN32
    if (cancelWaits(allowInput))
        return 1;
#else
    if (plat::g_poll && plat::g_poll(allowInput))
        return 1;
#endif
    if (!allowInput)
        return takeAbortRequest();
    return 0;
}
