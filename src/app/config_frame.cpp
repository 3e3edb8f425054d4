// The tab frame: one page at a time, created from its dialog template inside
// the tab control whenever its tab is chosen, so every page starts from the
// present settings.
#include "app/config_frame.h"

#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "app/shell.h"
#include "app_core/config_rules.h"
#include "app_core/app_texts.h"
#include "pages/page_controls.h"
#include "pages/pages.h"
#include "platform/system_info.h"
#include "platform/win_messages.h"
#include "platform/win_newer.h"
#include "platform/win_windows.h"
#include "resource_ids.h"

namespace {

struct PageKind {
    int templateId;
    const char16_t* tabText;
    int image;
    DLGPROC procedure;
    PagePresence presence;
};

// Index = the tab item's lParam.
constexpr int kCollectionPage = 0;
const PageKind kPages[] = {
    {IDD_PAGE_COLLECTION, u"Kolekce", 0, collectionPageProc, PagePresence::Always},
    {IDD_PAGE_LOGO, u"Win9x logo", 1, logoPageProc, PagePresence::Windows9xOnly},
    {IDD_PAGE_SETTINGS, u"Nastavení", 2, settingsPageProc, PagePresence::Always},
    {IDD_PAGE_SETTINGS2, u"Nastavení 2", 2, settings2PageProc, PagePresence::Always},
    {IDD_PAGE_SETTINGS3, u"Nastavení 3", 2, settings3PageProc, PagePresence::NtOnly},
    {IDD_PAGE_EXTRA, u"Další", 2, extraPageProc, PagePresence::Always},
};
constexpr int kTabImages[] = {IDI_TAB_COLLECTION, IDI_TAB_LOGO, IDI_TAB_SETTINGS};
constexpr int kButtons[] = {IDC_BTN_COLLECTION, IDC_BTN_OK, IDC_BTN_CANCEL, IDC_BTN_HELP};

struct Frame {
    HWND window = nullptr;
    HWND tabs = nullptr;
    HIMAGELIST images = nullptr;
    HWND page = nullptr;
    int pageKind = -1;
    int centring = 0; // horizontal offset of the tab control in the window
    // The buttons as the template placed them, and the pixels of 4x8 dialog
    // units then: a new DPI places them anew from these.
    RECT buttons[std::size(kButtons)] = {};
    RECT units = {};
    const DLGTEMPLATE* templates[std::size(kPages)] = {};
};
Frame g_frame;
bool g_failForTests = false;

// Width and height of a template in dialog units, for both template forms.
SIZE templateSize(const DLGTEMPLATE* t) {
    const WORD* words = reinterpret_cast<const WORD*>(t);
    if (words[0] == 1 && words[1] == 0xFFFF) // DLGTEMPLATEEX: cx, cy follow x, y at word 11
        return SIZE{static_cast<short>(words[11]), static_cast<short>(words[12])};
    return SIZE{t->cx, t->cy};
}

const DLGTEMPLATE* loadTemplate(int id) {
    HRSRC found = FindResourceW(AppInstance, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? LoadResource(AppInstance, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}

// The tab icons at the small icon size of the window's DPI.
bool makeImageList() {
    const UINT dpi = win::GetDpiForWindow(g_frame.window);
    const int cx = win::GetSystemMetricsForDpi(SM_CXSMICON, dpi), cy = win::GetSystemMetricsForDpi(SM_CYSMICON, dpi);
    const UINT flags = ILC_MASK | (plat::displayBitsPerPixel() >= 8 ? ILC_COLOR8 : 0);
    g_frame.images = ImageList_Create(cx, cy, flags, 2, 2);
    if (!g_frame.images)
        return false;
    for (int id : kTabImages) {
        HICON icon =
            static_cast<HICON>(win::LoadImageW(AppInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0));
        const int added = icon ? ImageList_AddIcon(g_frame.images, icon) : -1;
        if (icon)
            DestroyIcon(icon);
        if (added < 0)
            return false;
    }
    return true;
}

bool insertTabs() {
    const uint32_t platform = plat::osVersion().platformId;
    int position = 0;
    for (int i = 0; i < static_cast<int>(std::size(kPages)); ++i) {
        if (!isPagePresent(kPages[i].presence, platform))
            continue;
        TCITEMW item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
        item.pszText = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(kPages[i].tabText));
        item.iImage = kPages[i].image;
        item.lParam = i;
        if (win::SendMessageW(g_frame.tabs, TCM_INSERTITEMW, position, reinterpret_cast<LPARAM>(&item)) != position)
            return false;
        ++position;
    }
    return true;
}

// The pixels of 4 x 8 dialog units in the dialog's font now.
RECT dialogUnits() {
    RECT units = {0, 0, 4, 8};
    MapDialogRect(g_frame.window, &units);
    return units;
}

// Pixels of the 8-point dialog font at 96 DPI (13 per 8 dialog units) in the
// dialog's font now, so the frame's margins grow with the scaling.
int scaled(int pixels) {
    const RECT units = dialogUnits();
    return win::scaleBy(pixels, units.bottom > 0 ? units.bottom : 13, 13);
}

// Sizes the tab control for the largest page, the window for the tab control
// and the buttons' row below it; returns the tab control's height.
int placeFrame() {
    RECT area = {0, 0, 0, 0};
    for (const DLGTEMPLATE* t : g_frame.templates) {
        const SIZE size = templateSize(t);
        area.right = size.cx > area.right ? size.cx : area.right;
        area.bottom = size.cy > area.bottom ? size.cy : area.bottom;
    }
    MapDialogRect(g_frame.window, &area);
    OffsetRect(&area, scaled(3), scaled(3));
    win::SendMessageW(g_frame.tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&area));
    OffsetRect(&area, -area.left, -area.top);
    const int tabHeight = area.bottom;
    int tabWidth = area.right;
    // The tab row never scrolls: with five tabs it may want more room than
    // the widest page.
    // (The control answers false for a tab it cannot show yet, but gives
    // its place all the same.)
    const LRESULT count = win::SendMessageW(g_frame.tabs, TCM_GETITEMCOUNT, 0, 0);
    RECT last = {}, margin = {0, 0, 4, 0};
    MapDialogRect(g_frame.window, &margin);
    if (count > 0)
        win::SendMessageW(g_frame.tabs, TCM_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
    if (last.right + margin.right > tabWidth)
        tabWidth = last.right + margin.right;

    RECT window = {}, client = {};
    GetWindowRect(g_frame.window, &window);
    GetClientRect(g_frame.window, &client);
    int windowWidth = window.right - window.left;
    const int frameWidth = windowWidth - client.right, frameHeight = (window.bottom - window.top) - client.bottom;
    if (client.right >= tabWidth)
        g_frame.centring = (client.right - tabWidth) / 2;
    else
        windowWidth = tabWidth + frameWidth + scaled(5);
    SetWindowPos(g_frame.tabs, nullptr, g_frame.centring, 0, tabWidth, tabHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(g_frame.window, nullptr, 0, 0, windowWidth, tabHeight + frameHeight + scaled(50),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return tabHeight;
}

void rememberButtons() {
    g_frame.units = dialogUnits();
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        HWND button = GetDlgItem(g_frame.window, kButtons[i]);
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (button && GetWindowPlacement(button, &placement))
            g_frame.buttons[i] = placement.rcNormalPosition;
    }
}

// The buttons where the template put them, scaled to the dialog's font now,
// and moved down below the tab control.
void placeButtons(int by) {
    const RECT now = dialogUnits();
    const int wasX = g_frame.units.right > 0 ? g_frame.units.right : 1;
    const int wasY = g_frame.units.bottom > 0 ? g_frame.units.bottom : 1;
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        HWND button = GetDlgItem(g_frame.window, kButtons[i]);
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (!button || !GetWindowPlacement(button, &placement))
            continue;
        const RECT& r = g_frame.buttons[i];
        placement.rcNormalPosition = {win::scaleBy(r.left, now.right, wasX),
                                      win::scaleBy(r.top, now.bottom, wasY) + by,
                                      win::scaleBy(r.right, now.right, wasX),
                                      win::scaleBy(r.bottom, now.bottom, wasY) + by};
        SetWindowPlacement(button, &placement);
    }
}

void destroyPage() {
    if (g_frame.page)
        DestroyWindow(g_frame.page);
    g_frame.page = nullptr;
    g_frame.pageKind = -1;
}

void shiftControls(HWND page, int by) {
    for (HWND control = GetWindow(page, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(control, &placement))
            continue;
        // Moved, not placed: a placement would show the hidden ones.
        SetWindowPos(control, nullptr, placement.rcNormalPosition.left + by, placement.rcNormalPosition.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The selected tab's page, made anew.
void onSelectionChange() {
    destroyPage();
    const LRESULT selected = win::SendMessageW(g_frame.tabs, TCM_GETCURSEL, 0, 0);
    TCITEMW item = {};
    item.mask = TCIF_PARAM;
    if (selected < 0 || !win::SendMessageW(g_frame.tabs, TCM_GETITEMW, static_cast<WPARAM>(selected),
                                      reinterpret_cast<LPARAM>(&item)))
        return;
    const int kind = static_cast<int>(item.lParam);
    if (kind < 0 || kind >= static_cast<int>(std::size(kPages)) || !g_frame.templates[kind])
        return;
    g_frame.page = win::CreateDialogIndirectParamW(AppInstance, g_frame.templates[kind], g_frame.window,
                                                   kPages[kind].procedure, 0);
    if (!g_frame.page)
        return;
    g_frame.pageKind = kind;
    RECT display = {};
    GetClientRect(g_frame.tabs, &display);
    win::SendMessageW(g_frame.tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    // A page narrower than the tab row fills it, its controls in the middle.
    RECT page = {};
    GetWindowRect(g_frame.page, &page);
    const int pageWidth = page.right - page.left, spare = (display.right - display.left) - pageWidth;
    if (spare > 0)
        shiftControls(g_frame.page, spare / 2);
    SetWindowPos(g_frame.page, HWND_TOP, display.left + g_frame.centring, display.top, pageWidth + (spare > 0 ? spare : 0),
                 page.bottom - page.top, SWP_NOACTIVATE);
    ShowWindow(g_frame.page, SW_SHOW);
}

bool buildFrame(HWND mainWindow) {
    g_frame.window = mainWindow;
    if (g_failForTests)
        return false;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    win::InitCommonControlsEx(&controls);
    if (!makeImageList())
        return false;
    g_frame.tabs = win::CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                        0, 0, 100, 100, mainWindow, nullptr, AppInstance, nullptr);
    if (!g_frame.tabs)
        return false;
    for (size_t i = 0; i < std::size(kPages); ++i)
        if (!(g_frame.templates[i] = loadTemplate(kPages[i].templateId)))
            return false;
    win::SendMessageW(g_frame.tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_frame.images));
    if (!insertTabs())
        return false;
    win::SendMessageW(g_frame.tabs, WM_SETFONT, win::SendMessageW(mainWindow, WM_GETFONT, 0, 0), FALSE);
    const int tabHeight = placeFrame();
    win::SendMessageW(g_frame.tabs, TCM_SETCURSEL, 0, 0);
    onSelectionChange();
    rememberButtons();
    placeButtons(tabHeight + scaled(5));
    return true;
}

} // namespace

bool buildConfigFrame(HWND mainWindow) {
    if (buildFrame(mainWindow))
        return true;
    destroyConfigFrame();
    return false;
}

void destroyConfigFrame() {
    destroyPage();
    if (g_frame.tabs)
        DestroyWindow(g_frame.tabs);
    if (g_frame.images)
        ImageList_Destroy(g_frame.images);
    g_frame = Frame();
}

void onConfigFrameDpiChanged() {
    if (!g_frame.tabs)
        return;
    // Icons of the new size, then the tab control in the dialog's font of
    // the new DPI sized again for the largest page.
    HIMAGELIST old = g_frame.images;
    if (makeImageList()) {
        win::SendMessageW(g_frame.tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_frame.images));
        if (old)
            ImageList_Destroy(old);
    } else {
        g_frame.images = old;
    }
    win::SendMessageW(g_frame.tabs, WM_SETFONT, win::SendMessageW(g_frame.window, WM_GETFONT, 0, 0), FALSE);
    const int tabHeight = placeFrame();
    placeButtons(tabHeight + scaled(5));
    // The page is made anew, as a change of tab makes it, in the new font.
    if (g_frame.page)
        onSelectionChange();
    InvalidateRect(g_frame.window, nullptr, TRUE);
}

void setConfigFrameFails(bool fails) { g_failForTests = fails; }

HWND currentConfigPage() { return g_frame.page; }

bool isCollectionTabSelected() { return g_frame.page && g_frame.pageKind == kCollectionPage; }

void showCollectionTab() {
    if (!g_frame.tabs)
        return;
    win::SendMessageW(g_frame.tabs, TCM_SETCURSEL, 0, 0);
    onSelectionChange();
}

void releaseCollectionPage() {
    if (g_frame.page)
        win::SendMessageW(g_frame.page, kReleasePreviewMessage, 1, 0);
}

void refreshCollectionPage() {
    if (!isCollectionTabSelected())
        return;
    win::SendDlgItemMessageW(g_frame.page, IDC_COLL_LIST, LB_RESETCONTENT, 0, 0);
    FillCollectionList(g_frame.page);
}

bool onConfigFrameNotify(const NMHDR* header) {
    if (!header || !g_frame.tabs || header->hwndFrom != g_frame.tabs || header->code != TCN_SELCHANGE)
        return false;
    onSelectionChange();
    return true;
}

void createButtonTooltips(HWND mainWindow) {
    HWND tooltip = win::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mainWindow, nullptr,
                                        AppInstance, nullptr);
    if (!tooltip)
        return; // the buttons work without their tips
    addControlTip(tooltip, mainWindow, GetDlgItem(mainWindow, IDC_BTN_COLLECTION), app_texts::kTipCollection);
    addControlTip(tooltip, mainWindow, GetDlgItem(mainWindow, IDC_BTN_OK), app_texts::kTipOk);
    addControlTip(tooltip, mainWindow, GetDlgItem(mainWindow, IDC_BTN_CANCEL), app_texts::kTipCancel);
}
