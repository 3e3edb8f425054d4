// The stand-ins for functions that Windows 95 or NT 4 lack.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win_newer.h"

namespace {

HWND make(const wchar_t* cls, DWORD style, HWND parent) {
    return CreateWindowExW(0, cls, L"", style, 0, 0, 50, 50, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

// A page inside a tab inside a window, owned by another window: the walk
// gives what the system's GetAncestor gives on the systems that have it.
TEST(WinNewer, WalkingFindsTheAncestorsTheSystemFinds) {
    HWND owner = make(L"STATIC", WS_OVERLAPPEDWINDOW, nullptr);
    HWND top = make(L"STATIC", WS_POPUP, owner);
    HWND tab = make(L"STATIC", WS_CHILD, top);
    HWND page = make(L"STATIC", WS_CHILD, tab);
    ASSERT_TRUE(owner && top && tab && page);
    for (HWND w : {owner, top, tab, page})
        for (UINT flags : {GA_PARENT, GA_ROOT, GA_ROOTOWNER})
            EXPECT_EQ(win::ancestorByWalking(w, flags), GetAncestor(w, flags)) << "flags " << flags;
    EXPECT_EQ(win::ancestorByWalking(page, GA_ROOT), top);
    EXPECT_EQ(win::ancestorByWalking(page, GA_ROOTOWNER), owner);
    EXPECT_EQ(win::ancestorByWalking(GetDesktopWindow(), GA_ROOT), nullptr);
    DestroyWindow(owner);
}
