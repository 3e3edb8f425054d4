// Page "Kolekce": the pictures of ActiveCollection. The list's item data is
// the entry itself, so the page must hear of every replacement of the
// collection (the frame sends kReleasePreviewMessage first, then refills).
// The page's own releases call releasePreview directly; the message always
// comes from the frame.
// Every edit is written straight into the selected entries.
// The page's files share collection_page_internal.h; this one holds the
// procedure, creation, the list and check box helpers and the enable rules.
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "app_core/app_state.h"
#include "app_core/format_text.h"
#include "collection/wallpaper_collection.h"
#include "desktop/desktop_shell.h"
#include "pages/collection_drop.h"
#include "pages/collection_page_internal.h"
#include "pages/page_messages.h"
#include "pages/page_texts.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/win_messages.h"
#include "platform/win_newer.h"
#include "platform/win_windows.h"
#include "settings/app_settings.h"

namespace collection_page {

CollectionPageHooks g_hooks;

int ask(HWND owner, const char16_t* text, uint32_t flags) {
    return plat::messageBox(owner, text, page_text::kCaption, flags);
}
// Boxes about one picture: its path in the text.
int askAboutPath(HWND owner, const char16_t* format, const char16_t* path, uint32_t flags) {
    char16_t text[600];
    formatText(text, 600, format, FormatArg(path));
    return ask(owner, text, flags);
}

// ---- the list and its selection

int itemCount(HWND page) {
    return static_cast<int>(win::SendMessageW(list(page), LB_GETCOUNT, 0, 0));
}
int selectedCount(HWND page) {
    const LRESULT n = win::SendMessageW(list(page), LB_GETSELCOUNT, 0, 0);
    return n > 0 ? static_cast<int>(n) : 0;
}
WallpaperEntry* entryAt(HWND page, int index) {
    const LRESULT data = win::SendMessageW(list(page), LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<WallpaperEntry*>(data);
}

Selection readSelection(HWND page) {
    Selection s;
    s.count = selectedCount(page);
    const size_t units = s.count > 0 ? static_cast<size_t>(s.count) : 1;
    s.positions.reset(new (std::nothrow) int[units]);
    s.entries.reset(new (std::nothrow) WallpaperEntry*[units]);
    if (!s.positions || !s.entries) {
        ask(page, page_text::kNoMemoryForSelection, plat::kMbIconError);
        return s;
    }
    if (s.count > 0) {
        const LRESULT got = win::SendMessageW(list(page), LB_GETSELITEMS, static_cast<WPARAM>(s.count),
                                         reinterpret_cast<LPARAM>(s.positions.get()));
        s.count = got > 0 ? static_cast<int>(got) : 0;
    }
    for (int i = 0; i < s.count; ++i) {
        s.entries[i] = entryAt(page, s.positions[i]);
        if (!s.entries[i])
            return s;
    }
    s.ok = true;
    return s;
}
// The one selected entry, or null.
WallpaperEntry* singleSelected(HWND page) {
    if (selectedCount(page) != 1)
        return nullptr;
    int index = -1;
    win::SendMessageW(list(page), LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index));
    return index >= 0 ? entryAt(page, index) : nullptr;
}

// Appends a list item for the entry; the item index, or a negative value
// when the list refused it.
LRESULT appendItem(HWND listBox, WallpaperEntry* e) {
    char16_t text[plat::kPathUnits];
    plat::fileNamePart(text, plat::kPathUnits, e->path);
    const LRESULT index = win::SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0 && win::SendMessageW(listBox, LB_SETITEMDATA, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(e)) == LB_ERR) {
        win::SendMessageW(listBox, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        return LB_ERR;
    }
    return index;
}

void setPosition(HWND page, int index) {
    char16_t text[40] = {};
    if (index >= 0)
        formatText(text, 40, page_text::kListPosition, FormatArg(index + 1), FormatArg(itemCount(page)));
    setControlText(page, IDC_COLL_POSITION, text);
}
void sendSelectionChange(HWND page) {
    win::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COLL_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list(page)));
}

// ---- check boxes in their two forms

// A three-state box stands for a selection that was mixed when it was made;
// its user data says so.
void setBoxForm(HWND page, int id, bool threeState) {
    HWND box = item(page, id);
    win::SendMessageW(box, BM_SETSTYLE, threeState ? BS_3STATE : BS_AUTOCHECKBOX, TRUE);
    win::SetWindowLongPtrW(box, GWLP_USERDATA, threeState ? 1 : 0);
}
bool isThreeState(HWND page, int id) {
    return win::GetWindowLongPtrW(item(page, id), GWLP_USERDATA) == 1;
}
UINT boxState(HWND page, int id) {
    return IsDlgButtonChecked(page, id);
}
// Checked or indeterminate.
bool isOn(HWND page, int id) {
    return boxState(page, id) != BST_UNCHECKED;
}
void setBox(HWND page, int id, BoxState s) {
    const bool mixed = s == BoxState::MixedIndeterminate || s == BoxState::MixedUnchecked;
    setBoxForm(page, id, mixed);
    CheckDlgButton(page, id,
                   s == BoxState::Checked              ? BST_CHECKED
                   : s == BoxState::MixedIndeterminate ? BST_INDETERMINATE
                                                       : BST_UNCHECKED);
}

// ---- the enable rules

void setFontModeText(HWND page, const char16_t* text) {
    setControlText(page, IDC_COLL_FONT_MODE, text);
}

void applyEnableRules(HWND page) {
    CollectionPage* st = state(page);
    const int n = itemCount(page), s = selectedCount(page);
    const HWND box = list(page);
    enableControl(page, IDC_COLL_LIST, true);
    for (int id : {IDC_COLL_SORT, IDC_COLL_UP, IDC_COLL_DOWN})
        enableControl(page, id, n > 1);
    if (n > 1) {
        if (win::SendMessageW(box, LB_GETSEL, static_cast<WPARAM>(n - 1), 0) > 0)
            enableControl(page, IDC_COLL_DOWN, false);
        if (win::SendMessageW(box, LB_GETSEL, 0, 0) > 0)
            enableControl(page, IDC_COLL_UP, false);
    }
    for (int id : {IDC_COLL_REMOVE, IDC_COLL_STYLE_LABEL, IDC_COLL_SETTINGS_GROUP, IDC_COLL_ICONS_GROUP,
                   IDC_COLL_STYLE, IDC_COLL_FULL_PATH, IDC_COLL_CHANGE_COLOURS, IDC_COLL_ESTIMATE})
        enableControl(page, id, s > 0);
    if (s != 1)
        showProductText(page);
    for (int id : {IDC_COLL_FULL_PATH, IDC_COLL_TEST, IDC_COLL_PATH_LABEL})
        enableControl(page, id, s == 1);
    enableControl(page, IDC_COLL_SHOW_PREVIEW, s == 1 && n > 0);

    const bool shadow = ReadListviewShadow() == 1;
    if (st)
        st->listviewShadow = shadow;
    if (isOn(page, IDC_COLL_CHANGE_COLOURS)) {
        for (int id : {IDC_COLL_BACKGROUND_LABEL, IDC_COLL_PICK_BACKGROUND, IDC_COLL_ESTIMATE})
            enableControl(page, id, s > 0);
        if (IsActiveDesktopOn() || shadow) {
            // Only the font colour can change, and it cannot here either.
            for (int id : {IDC_COLL_FONT_MODE, IDC_COLL_FONT_LABEL, IDC_COLL_PICK_FONT})
                enableControl(page, id, false);
            showControl(page, IDC_COLL_FONT_SWATCH, false);
            setFontModeText(page, shadow ? page_text::kFontModeShadow : page_text::kFontModeActiveDesktop);
        } else {
            enableControl(page, IDC_COLL_FONT_MODE, s > 0);
            setFontModeText(page, page_text::kFontModeText);
            const bool font = isOn(page, IDC_COLL_FONT_MODE);
            enableControl(page, IDC_COLL_FONT_LABEL, font && s > 0);
            enableControl(page, IDC_COLL_PICK_FONT, font && s > 0);
            if (!font)
                showControl(page, IDC_COLL_FONT_SWATCH, false);
        }
        enableControl(page, IDC_COLL_ICON_SAMPLE, s == 1);
    } else {
        enableControl(page, IDC_COLL_FONT_MODE, false);
        enableControl(page, IDC_COLL_ICON_SAMPLE, false);
        if (IsActiveDesktopOn())
            setFontModeText(page, page_text::kFontModeActiveDesktop);
        if (shadow) {
            enableControl(page, IDC_COLL_ICON_SAMPLE, true);
            setFontModeText(page, page_text::kFontModeShadow);
        }
        for (int id : {IDC_COLL_PICK_BACKGROUND, IDC_COLL_ESTIMATE, IDC_COLL_PICK_FONT,
                       IDC_COLL_BACKGROUND_LABEL, IDC_COLL_FONT_LABEL})
            enableControl(page, id, false);
        showControl(page, IDC_COLL_BACKGROUND_SWATCH, false);
        showControl(page, IDC_COLL_FONT_SWATCH, false);
    }
    enableControl(page, IDC_COLL_ICON_SAMPLE,
                  isChecked(page, IDC_COLL_SHOW_PREVIEW) &&
                      IsWindowEnabled(item(page, IDC_COLL_ICON_SAMPLE)) && s == 1);
}

} // namespace collection_page

using namespace collection_page;

namespace {

// What the list reserves per item for its text: a typical picture name.
constexpr LPARAM kListedNameBytes = 32 * sizeof(char16_t);

// ---- creation and destruction

void prepareRecords(HWND page, CollectionPage* s) {
    s->open.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    s->open.hwndOwner = page;
    s->open.lpstrFilter = reinterpret_cast<LPCWSTR>(page_text::kOpenFilter);
    s->open.nFilterIndex = 0;
    s->open.lpstrTitle = reinterpret_cast<LPCWSTR>(page_text::kOpenTitle);
    s->open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    s->open.lpstrDefExt = reinterpret_cast<LPCWSTR>(page_text::kOpenExtension);
    s->colour.lStructSize = sizeof(CHOOSECOLORW);
    s->colour.hwndOwner = page;
    s->colour.lpCustColors = reinterpret_cast<COLORREF*>(AppSettings.customColours);
    s->colour.Flags = CC_RGBINIT | CC_FULLOPEN;
}

constexpr struct {
    int button, icon;
} kButtonIcons[] = {{IDC_COLL_SORT, IDI_COLL_SORT},
                    {IDC_COLL_UP, IDI_COLL_UP},
                    {IDC_COLL_DOWN, IDI_COLL_DOWN},
                    {IDC_COLL_REMOVE, IDI_COLL_REMOVE},
                    {IDC_COLL_ADD, IDI_COLL_ADD}};

// The small icon size of the page's DPI: the page owns the icons, which
// go with it (onDestroy).
void setButtonIcons(HWND page) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(win::GetWindowLongPtrW(page, GWLP_HINSTANCE));
    const UINT dpi = win::GetDpiForWindow(page);
    const int cx = win::GetSystemMetricsForDpi(SM_CXSMICON, dpi), cy = win::GetSystemMetricsForDpi(SM_CYSMICON, dpi);
    for (const auto& i : kButtonIcons) {
        HANDLE icon = win::LoadImageW(instance, MAKEINTRESOURCEW(i.icon), IMAGE_ICON, cx, cy, 0);
        if (icon)
            win::SendDlgItemMessageW(page, i.button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
}

void freeButtonIcons(HWND page) {
    for (const auto& i : kButtonIcons) {
        HICON icon = reinterpret_cast<HICON>(
            win::SendDlgItemMessageW(page, i.button, BM_SETIMAGE, IMAGE_ICON, 0));
        if (icon)
            DestroyIcon(icon);
    }
}

void createTooltips(HWND page, CollectionPage* s) {
    s->tooltip = win::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr, nullptr, nullptr);
    if (!s->tooltip)
        return;
    for (const page_text::ControlTip& t : page_text::kCollectionTips)
        addControlTip(s->tooltip, page, item(page, t.id), t.text);
}

BOOL onInit(HWND page) {
    CollectionPage* s = attachPageState<CollectionPage>(page);
    HDC dc = GetDC(page);
    s->displayBits = dc ? GetDeviceCaps(dc, BITSPIXEL) : 0;
    if (dc)
        ReleaseDC(page, dc);
    s->neutral = static_cast<uint32_t>(GetSysColor(COLOR_BTNFACE)) | 0xFF000000u;
    s->backgroundSwatch = s->fontSwatch = s->neutral;
    prepareRecords(page, s);
    setButtonIcons(page);
    for (int id : {IDC_COLL_PREVIEW, IDC_COLL_BACKGROUND_SWATCH, IDC_COLL_FONT_SWATCH})
        drawAfterControl(item(page, id));
    for (const char16_t* style : page_text::kStyles)
        win::SendDlgItemMessageW(page, IDC_COLL_STYLE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(style));
    win::SendDlgItemMessageW(page, IDC_COLL_STYLE, CB_SETCURSEL, 0, 0);
    setChecked(page, IDC_COLL_SHOW_PREVIEW, AppSettings.showPreview);
    setChecked(page, IDC_COLL_ICON_SAMPLE, AppSettings.previewIconSample);
    setChecked(page, IDC_COLL_CHANGE_COLOURS, 0);
    setChecked(page, IDC_COLL_FONT_MODE, 0);
    FillCollectionList(page);
    createTooltips(page, s);
    installDropFilter(list(page));
    return TRUE;
}

void onDestroy(HWND page) {
    releasePreview(page);
    freeButtonIcons(page);
    removeDropFilter(list(page));
    if (CollectionPage* s = state(page))
        if (s->tooltip)
            DestroyWindow(s->tooltip);
    freePageState<CollectionPage>(page);
}

// The frame is about to replace the collection. The list lets go of the
// entries too until the frame fills it again: a box shown while the new
// collection loads would otherwise repaint the page from freed entries.
void onCollectionReplaced(HWND page, WPARAM wParam) {
    if (wParam == 1)
        releasePreview(page);
    else if (CollectionPage* s = state(page))
        s->previewEntry = nullptr;
    win::SendMessageW(list(page), LB_RESETCONTENT, 0, 0);
}

BOOL onCommand(HWND page, int id, int code) {
    if (id == IDC_COLL_LIST) {
        if (code == LBN_SELCHANGE)
            onSelectionChange(page);
        return TRUE;
    }
    if (id == IDC_COLL_STYLE) {
        if (code == CBN_SELCHANGE)
            onStyle(page);
        return TRUE;
    }
    if (code != BN_CLICKED)
        return FALSE;
    switch (id) {
    case IDC_COLL_SHOW_PREVIEW:
        onShowPreview(page);
        break;
    case IDC_COLL_CHANGE_COLOURS:
        onChangeColours(page);
        break;
    case IDC_COLL_FONT_MODE:
        onFontMode(page);
        break;
    case IDC_COLL_PICK_BACKGROUND:
        onPickColour(page, true);
        break;
    case IDC_COLL_PICK_FONT:
        onPickColour(page, false);
        break;
    case IDC_COLL_ESTIMATE:
        onEstimate(page);
        break;
    case IDC_COLL_ADD:
        onAdd(page);
        break;
    case IDC_COLL_TEST:
        onTest(page);
        break;
    case IDC_COLL_REMOVE:
        onRemove(page);
        break;
    case IDC_COLL_ICON_SAMPLE:
        onIconSample(page);
        break;
    case IDC_COLL_SORT:
        onSort(page);
        break;
    case IDC_COLL_UP:
        onMove(page, true);
        break;
    case IDC_COLL_DOWN:
        onMove(page, false);
        break;
    case IDC_COLL_FULL_PATH:
        onFullPath(page);
        break;
    default:
        return FALSE;
    }
    return TRUE;
}

} // namespace

void setCollectionPageHooks(const CollectionPageHooks* hooks) {
    g_hooks = hooks ? *hooks : CollectionPageHooks();
}

void endAddingRun(HWND page) {
    if (CollectionPage* s = state(page))
        s->suppressDuplicateNotice = false;
}

void showAddedPictures(HWND page) {
    HWND box = list(page);
    if (win::SendMessageW(box, LB_GETSELCOUNT, 0, 0) == 0) {
        win::SendMessageW(box, LB_SETSEL, TRUE, 0);
        sendSelectionChange(page);
    }
    SetFocus(box);
    int selected = -1;
    if (win::SendMessageW(box, LB_GETSELCOUNT, 0, 0) != 1 ||
        win::SendMessageW(box, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&selected)) != 1)
        selected = -1;
    setPosition(page, selected);
}

void FillCollectionList(HWND page) {
    // The entry of the last preview may be gone with the collection it was
    // in: forgotten, never touched (its own destructor freed its preview).
    if (CollectionPage* s = state(page))
        s->previewEntry = nullptr;
    HWND box = list(page);
    // Filled with redraw off and its storage reserved: item by item into the
    // visible list, a collection of 30,000 pictures took minutes. The walk
    // goes by slot; nextOf would look every entry up from the start.
    const int32_t count = ActiveCollection.entryCount();
    win::SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    win::SendMessageW(box, LB_INITSTORAGE, static_cast<WPARAM>(count),
                 static_cast<LPARAM>(count) * kListedNameBytes);
    for (int32_t i = 0; i < ActiveCollection.slotCount; ++i) {
        WallpaperEntry* e = ActiveCollection.slots[i];
        if (!e || appendItem(box, e) >= 0)
            continue;
        win::SendMessageW(box, WM_SETREDRAW, TRUE, 0);
        askAboutPath(page, page_text::kListAddFailed, e->path, plat::kMbIconError);
        win::SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    }
    win::SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
    win::SendMessageW(box, LB_SETSEL, FALSE, -1);
    win::SendMessageW(box, LB_SETSEL, TRUE, 0);
    sendSelectionChange(page);
    SetFocus(box);
}

INT_PTR CALLBACK collectionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onInit(page);
    case WM_COMMAND:
        return onCommand(page, LOWORD(wParam), HIWORD(wParam));
    case WM_PAINT:
        onPaint(page);
        return FALSE;
    case WM_DISPLAYCHANGE:
        onDisplayChange(page, static_cast<int32_t>(wParam));
        return FALSE;
    case WM_QUERYNEWPALETTE:
        return onQueryNewPalette(page);
    case WM_PALETTECHANGED:
        onPaletteChanged(page, reinterpret_cast<HWND>(wParam));
        return FALSE;
    case kReleasePreviewMessage:
        onCollectionReplaced(page, wParam);
        return TRUE;
    case kAddFileMessage:
        return onAddFileMessage(page, wParam);
    case kDropFilesMessage:
        onDropFiles(page, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_DESTROY:
        onDestroy(page);
        return FALSE;
    default:
        (void)lParam;
        return FALSE;
    }
}
