// The cancel poll against a real message queue (the file layer's Win32 side
// is exercised by every desktop test).
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/cancel.h"

TEST(Win32CheckUserAbort, PendingMessagesCancelAsLongAsTheyWait) {
    const struct {
        const char* what;
        UINT message[2];
        WPARAM wParam[2];
        int withInput, unattended;
    } cases[] = {
        {"nothing pending", {0, 0}, {0, 0}, 0, 0},
        {"Escape (keys only with input allowed)", {WM_KEYDOWN, 0}, {VK_ESCAPE, 0}, 1, 0},
        {"another key first hides Escape", {WM_KEYDOWN, WM_KEYDOWN}, {'A', VK_ESCAPE}, 0, 0},
        {"click", {WM_LBUTTONDOWN, 0}, {0, 0}, 1, 0},
        {"click on the frame", {WM_NCLBUTTONDOWN, 0}, {0, 0}, 1, 0},
        {"close request", {WM_CLOSE, 0}, {0, 0}, 1, 1},
        {"end of session", {WM_ENDSESSION, 0}, {0, 0}, 1, 1},
    };
    MSG msg;
    for (const auto& c : cases) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) { // also gives the thread a queue
        }
        for (int i = 0; i < 2 && c.message[i]; ++i)
            ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), c.message[i], c.wParam[i], 0)) << c.what;
        // Polling removes nothing: the answer stays until the queue is emptied.
        EXPECT_EQ(CheckUserAbort(1), c.withInput) << c.what;
        EXPECT_EQ(CheckUserAbort(0), c.unattended) << c.what;
        EXPECT_EQ(CheckUserAbort(1), c.withInput) << c.what;
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}
