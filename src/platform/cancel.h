// Cancelling long operations. Every long loop of the picture pipeline polls
// CheckUserAbort; the tray's cancel popup, running on its own thread, asks
// for a cancel while the main thread is busy.
#pragma once

#include <atomic>
#include <cstdint>

// Set to 1 on the main thread to cancel whatever runs; read and cleared by
// CheckUserAbort with allowInput 0, and cleared after every long operation.
// The cancel popup's thread goes through requestCancel instead.
extern std::atomic<int32_t> AbortRequest;

// 1 when the running operation is to stop, else 0. With allowInput set, a
// pending Esc key, click or non-client click also cancels; a pending
// WM_DESTROY, WM_CLOSE or WM_ENDSESSION always does. On Windows the calling
// thread's queue is peeked without removing anything.
int CheckUserAbort(int32_t allowInput);

namespace plat {
// Each long operation gets a number of its own, so that a cancel chosen on the
// popup's thread reaches only the operation the popup was opened for, never a
// later one that started while the popup was still deciding. All three run
// their part of the bargain without a lock: begin and end on the main thread,
// requestCancel on any thread.
uint32_t beginOperation();
void endOperation(); // also forgets AbortRequest
uint32_t runningOperation(); // 0 when none runs
// Seen by the next CheckUserAbort(0) only while `operation` still runs.
void requestCancel(uint32_t operation);
} // namespace plat

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
