// The configuration window's layout under Wine at the scaling of the run:
// every tab of both tab sets in view without scroll arrows, every label of
// every page inside its control, measured with the control's own font, the
// buttons inside the window, and icons at the small icon size.
#include "app_test_support.h"

#include <commctrl.h>

#include <string>

#include "app/config_frame.h"
#include "app/tray.h"
#include "platform/system_info.h"

namespace apptest {
namespace {

std::wstring className(HWND control) {
    wchar_t name[64] = {};
    GetClassNameW(control, name, 64);
    return name;
}

// Why the text of control does not fit it, or empty when it does.
std::string misfit(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length == 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));

    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const std::wstring kind = className(control);
    RECT room = {};
    GetClientRect(control, &room);
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    HDC dc = GetDC(control);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    if (_wcsicmp(kind.c_str(), L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP)
            text.clear();
        format |= type == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK;
        if (style & SS_NOPREFIX)
            format |= DT_NOPREFIX;
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
        if (type == BS_GROUPBOX) {
            format = DT_CALCRECT | DT_SINGLELINE;
            InflateRect(&room, -MulDiv(8, dpi, 96), 0); // the frame's corners on either side
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
                   type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
            SIZE digit = {};
            GetTextExtentPoint32W(dc, L"0", 1, &digit);
            room.left += MulDiv(12, dpi, 96) + 1 + digit.cx / 2; // the box, then half a digit of gap
        } else {
            InflateRect(&room, -GetSystemMetrics(SM_CXEDGE) * 2, -GetSystemMetrics(SM_CYEDGE));
        }
    } else {
        text.clear();
    }
    RECT needed = {0, 0, room.right - room.left, 0};
    if (!text.empty())
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, format);
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    if (text.empty() || (needed.right <= room.right - room.left && needed.bottom <= room.bottom - room.top))
        return {};
    return "control " + std::to_string(GetDlgCtrlID(control)) + " needs " + std::to_string(needed.right) + "x" +
           std::to_string(needed.bottom) + " px, has " + std::to_string(room.right - room.left) + "x" +
           std::to_string(room.bottom - room.top) + " at " + std::to_string(dpi) + " DPI";
}

int iconWidth(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return 0;
    BITMAP bits = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bits, &bits);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bits.bmWidth;
}

// Why a child of parent lies outside it or shows an icon not of the small
// icon size, or empty.
std::string misplaced(HWND parent, HWND control) {
    RECT inside = {}, placed = {};
    GetClientRect(parent, &inside);
    GetWindowRect(control, &placed);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    const std::string name = "control " + std::to_string(GetDlgCtrlID(control));
    if ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) && (placed.right > inside.right || placed.bottom > inside.bottom))
        return name + " ends at " + std::to_string(placed.right) + "," + std::to_string(placed.bottom) +
               ", its window at " + std::to_string(inside.right) + "," + std::to_string(inside.bottom);
    if (className(control) == L"Button" && (GetWindowLongW(control, GWL_STYLE) & BS_ICON)) {
        const int wide = iconWidth(reinterpret_cast<HICON>(SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0)));
        if (wide != GetSystemMetrics(SM_CXSMICON))
            return name + " shows an icon " + std::to_string(wide) + " px wide";
    }
    return {};
}

class ConfigLayoutTest : public AppWindowTest {
  protected:
    // Each tab in view, then each page's labels.
    void walkTabs(size_t expectedTabs) {
        HWND tabs = FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr);
        ASSERT_TRUE(tabs);
        const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
        ASSERT_EQ(count, static_cast<int>(expectedTabs));
        // The arrows are made while the control is still small and only hidden once the row fits.
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::string why = misplaced(window, child);
            EXPECT_TRUE(why.empty()) << "main window: " << why;
        }
        HWND arrows = FindWindowExW(tabs, nullptr, UPDOWN_CLASSW, nullptr);
        EXPECT_FALSE(arrows && IsWindowVisible(arrows)) << "the tab row scrolls";
        RECT inside = {};
        GetClientRect(tabs, &inside);
        for (int i = 0; i < count; ++i) {
            RECT tab = {};
            ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tab)));
            EXPECT_TRUE(tab.left >= inside.left && tab.right <= inside.right) << "tab " << i << " ends at " << tab.right
                                                                               << ", its control at " << inside.right;
        }
        for (int i = 0; i < count; ++i) {
            SendMessageW(tabs, TCM_SETCURSEL, i, 0);
            NMHDR header = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
            SendMessageW(window, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
            HWND page = currentConfigPage();
            ASSERT_TRUE(page);
            for (HWND control = GetWindow(page, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
                const std::string why = misfit(control) + misplaced(page, control);
                EXPECT_TRUE(why.empty()) << "tab " << i << ": " << why;
            }
        }
    }
};

TEST_F(ConfigLayoutTest, EveryTabAndEveryLabelFitsOnBothTabSets) {
    start();
    walkTabs(5);
    quit();
    plat::overrideOsVersion(&plat::kWindows98);
    start();
    walkTabs(5);
}

// The tray gets the small icon of the scaling; the window moved to a monitor
// of another scaling takes the place Windows suggests and lays itself out
// again.
TEST_F(ConfigLayoutTest, TrayIconAndNewScalingFollowTheSystem) {
    start();
    EXPECT_EQ(iconWidth(trayRecord().hIcon), GetSystemMetrics(SM_CXSMICON));
    command(40001); // "&Nastavení"
    ASSERT_TRUE(IsWindowVisible(window));
    RECT before = {};
    GetWindowRect(window, &before);
    RECT suggested = before;
    OffsetRect(&suggested, 40, 30);
    SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    RECT after = {};
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, suggested.left);
    EXPECT_EQ(after.top, suggested.top);
    walkTabs(5);
}

} // namespace
} // namespace apptest
