// The tips of the frame's buttons, the collection page and the logo page are
// registered with records that the common controls before version 6 take:
// those refuse the size of today's headers and the tips never show.
#include "app_test_support.h"

#include <commctrl.h>

#include <iterator>

#include "app/config_frame.h"
#include "pages/page_texts.h"

namespace apptest {
namespace {

std::vector<UINT> g_recordSizes;
LRESULT CALLBACK watchAddTool(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    // The ANSI windows of Windows 9x are sent the A form, whose first
    // version has the same size.
    if (code == HC_ACTION && (sent->message == TTM_ADDTOOLW || sent->message == TTM_ADDTOOLA))
        g_recordSizes.push_back(reinterpret_cast<const TOOLINFOW*>(sent->lParam)->cbSize);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(AppWindowTest, EveryTipRecordHasASizeOlderCommonControlsAccept) {
    g_recordSizes.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, watchAddTool, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    plat::overrideOsVersion(&plat::kWindows98);
    start();
    HWND tabs = FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr);
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0); // "Win9x logo"
    NMHDR header = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(window, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    UnhookWindowsHookEx(hook);
    ASSERT_EQ(g_recordSizes.size(), 3 + std::size(page_text::kCollectionTips) + 1);
    for (UINT size : g_recordSizes)
        EXPECT_EQ(size, static_cast<UINT>(TTTOOLINFOW_V1_SIZE));
}

} // namespace
} // namespace apptest
