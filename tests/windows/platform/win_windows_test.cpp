// Windows, menus and fonts through the text layer. In Windows 98 mode the
// layer takes the ANSI road while Wine's ...W functions still answer: what
// the layer gives back is compared with what they say.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win_layer.h"
#include "platform/win_windows.h"

namespace {

const wchar_t kCzech[] = L"Příliš žluťoučký kůň úpěl ďábelské ódy";

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return win::DefWindowProcW(window, message, wParam, lParam);
}

// On the ANSI road the texts must fit the code page: Czech needs 1250.
::testing::AssertionResult codePageHolds(const wchar_t* text) {
    char ansi[200];
    BOOL replaced = FALSE;
    if (win::unicodeSystem() || (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi,
                                                     sizeof ansi, nullptr, &replaced) > 0 &&
                                 !replaced))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "ANSI code page " << GetACP()
           << " cannot hold Czech text: run with LANG=cs_CZ.UTF-8, a locale the system has";
}

HWND makeWindow() {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW c = {};
        c.lpfnWndProc = plainProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"PlocharLayerTestOkno";
        atom = win::RegisterClassW(&c);
    }
    return win::CreateWindowExW(0, L"PlocharLayerTestOkno", kCzech, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace

TEST(WinWindows, CzechWindowTextRoundTripsAndIsCutToTheBuffer) {
    // The log says which road the layer took.
    std::printf("text layer: %s\n", win::unicodeSystem() ? "W functions" : "A functions, ANSI windows");
    ASSERT_TRUE(codePageHolds(kCzech));
    HWND window = makeWindow();
    ASSERT_NE(window, nullptr);
    // On 9x the window is an ANSI window.
    EXPECT_EQ(IsWindowUnicode(window) != FALSE, win::unicodeSystem());
    const int units = lstrlenW(kCzech);

    wchar_t text[100] = {};
    EXPECT_EQ(win::GetWindowTextW(window, text, 100), units);
    EXPECT_STREQ(text, kCzech);
    wchar_t system[100] = {};
    ::GetWindowTextW(window, system, 100);
    EXPECT_STREQ(system, kCzech);
    EXPECT_EQ(win::GetWindowTextLengthW(window), units);

    // A buffer of 8 units takes 7 and the terminator, and nothing beyond.
    wchar_t small[12];
    for (wchar_t& c : small)
        c = L'#';
    EXPECT_EQ(win::GetWindowTextW(window, small, 8), 7);
    EXPECT_EQ(std::wstring(small), std::wstring(kCzech, 7));
    EXPECT_EQ(small[8], L'#');

    EXPECT_TRUE(win::SetWindowTextW(window, L"Šedá myš"));
    ::GetWindowTextW(window, system, 100);
    EXPECT_STREQ(system, L"Šedá myš");
    EXPECT_EQ(win::FindWindowW(L"PlocharLayerTestOkno", L"Šedá myš"), window);
    // A title the code page cannot hold belongs to no window there.
    if (!win::unicodeSystem()) {
        EXPECT_EQ(win::FindWindowW(nullptr, L"Šedá myš \x4E2D"), nullptr);
    }
    DestroyWindow(window);
}

TEST(WinWindows, MenuItemTextKeepsUnitsAndTheCallersBuffer) {
    ASSERT_TRUE(codePageHolds(kCzech));
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(AppendMenuA(menu, MF_STRING, 7, "x"));
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = const_cast<LPWSTR>(kCzech);
    ASSERT_TRUE(win::SetMenuItemInfoW(menu, 7, FALSE, &info));

    wchar_t system[100] = {};
    ::GetMenuStringW(menu, 7, system, 100, MF_BYCOMMAND);
    EXPECT_STREQ(system, kCzech);

    wchar_t small[12];
    for (wchar_t& c : small)
        c = L'#';
    info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    info.dwTypeData = small;
    info.cch = 10;
    ASSERT_TRUE(win::GetMenuItemInfoW(menu, 7, FALSE, &info));
    EXPECT_EQ(info.dwTypeData, small);
    EXPECT_EQ(std::wstring(small), std::wstring(kCzech, 9));
    EXPECT_EQ(small[10], L'#');

    // Without a buffer the length comes back in units.
    info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE;
    ASSERT_TRUE(win::GetMenuItemInfoW(menu, 7, FALSE, &info));
    EXPECT_EQ(info.cch, static_cast<UINT>(lstrlenW(kCzech)));
    DestroyMenu(menu);
}

TEST(WinWindows, FontsComeBackWithTheirFaceNames) {
    ASSERT_TRUE(codePageHolds(L"Písmo Žluťoučké"));
    LOGFONTW asked = {};
    asked.lfHeight = -17;
    asked.lfWeight = FW_BOLD;
    asked.lfCharSet = EASTEUROPE_CHARSET;
    lstrcpyW(asked.lfFaceName, L"Písmo Žluťoučké");
    HFONT font = CreateFontIndirectW(&asked);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(win::GetObjectW(font, 0, nullptr), static_cast<int>(sizeof(LOGFONTW)));
    LOGFONTW got = {};
    EXPECT_EQ(win::GetObjectW(font, sizeof got, &got), static_cast<int>(sizeof got));
    EXPECT_STREQ(got.lfFaceName, asked.lfFaceName);
    EXPECT_EQ(got.lfHeight, -17);
    EXPECT_EQ(got.lfWeight, FW_BOLD);
    EXPECT_EQ(got.lfCharSet, EASTEUROPE_CHARSET);
    DeleteObject(font);

    // The system's fonts, as the W functions tell them.
    LOGFONTW iconFont = {}, systemIconFont = {};
    ASSERT_TRUE(win::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconFont, &iconFont, 0));
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof systemIconFont, &systemIconFont, 0));
    EXPECT_STREQ(iconFont.lfFaceName, systemIconFont.lfFaceName);
    EXPECT_EQ(iconFont.lfHeight, systemIconFont.lfHeight);
    NONCLIENTMETRICSW metrics = {}, systemMetrics = {};
    metrics.cbSize = systemMetrics.cbSize = sizeof metrics;
    ASSERT_TRUE(win::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof systemMetrics, &systemMetrics, 0));
    EXPECT_STREQ(metrics.lfMessageFont.lfFaceName, systemMetrics.lfMessageFont.lfFaceName);
    EXPECT_STREQ(metrics.lfMenuFont.lfFaceName, systemMetrics.lfMenuFont.lfFaceName);
    EXPECT_EQ(metrics.iCaptionHeight, systemMetrics.iCaptionHeight);

    HDC dc = GetDC(nullptr);
    TEXTMETRICW tm = {}, systemTm = {};
    ASSERT_TRUE(win::GetTextMetricsW(dc, &tm));
    ASSERT_TRUE(::GetTextMetricsW(dc, &systemTm));
    EXPECT_EQ(tm.tmHeight, systemTm.tmHeight);
    EXPECT_EQ(tm.tmAveCharWidth, systemTm.tmAveCharWidth);
    EXPECT_EQ(tm.tmCharSet, systemTm.tmCharSet);
    ReleaseDC(nullptr, dc);
}
