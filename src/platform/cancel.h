// Cancelling long operations. Every long loop of the picture pipeline polls
// CheckUserAbort; the tray's cancel popup, running on its own thread, sets
// AbortRequest while the main thread is busy.
#pragma once

#include <atomic>
#include <cstdint>

// Set to 1 by the cancel popup; read and cleared by CheckUserAbort with
// allowInput 0, and cleared after every long operation. Whole-word stores
// only, shared between the two threads without a lock.
extern std::atomic<int32_t> AbortRequest;

// 1 when the running operation is to stop, else 0. With allowInput set, a
// pending Esc key, click or non-client click also cancels; a pending
// WM_DESTROY, WM_CLOSE or WM_ENDSESSION always does. On Windows the calling
// thread's queue is peeked without removing anything.
int CheckUserAbort(int32_t allowInput);

namespace plat {
// Native builds have no message queue: tests install a poll that stands in
// for the pending messages (it receives allowInput and returns 1 to cancel).
// AbortRequest is honoured as on Windows. Ignored on Windows.
using AbortPoll = int (*)(int32_t allowInput);
void setAbortPoll(AbortPoll poll);

// Long operations show the wait cursor while they work and restore the one
// before. On Windows SetCursor with IDC_WAIT; elsewhere there is no cursor and
// both do nothing.
void* showWaitCursor();
void restoreCursor(void* previous);
} // namespace plat
