// Page "Kolekce": the pictures of ActiveCollection. The list's item data is
// the entry itself, so the page must hear of every replacement of the
// collection (the frame sends kReleasePreviewMessage first, then refills).
// The page's own releases call releasePreview directly; the message always
// comes from the frame.
// Every edit is written straight into the selected entries.
#include <windows.h>
#include <commctrl.h>
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>

#include "app/shell.h"
#include "app_core/app_state.h"
#include "app_core/collection_page_rules.h"
#include "app_core/format_text.h"
#include "collection/wallpaper_collection.h"
#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "image/background.h"
#include "pages/collection_drop.h"
#include "pages/page_controls.h"
#include "pages/page_texts.h"
#include "pages/pages.h"
#include "pages/preview.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

namespace {

constexpr int kStyleItems = 4;
// The open dialog's buffer: a folder and the names chosen in it. The dialog
// reports at most 65,535 units as needed, so a choice that fails for want
// of room here cannot be made at all.
constexpr DWORD kOpenBufferUnits = 65537;
constexpr size_t kLastDirTaken = 268;
// What the list reserves per item for its text: a typical picture name.
constexpr LPARAM kListedNameBytes = 32 * sizeof(char16_t);

CollectionPageHooks g_hooks;

struct CollectionPage {
    // The button face with the top byte set: no COLORREF equals it, so it
    // marks "no single colour".
    uint32_t neutral = 0;
    uint32_t backgroundSwatch = 0;
    uint32_t fontSwatch = 0;
    // The entry whose preview is built; released before it is replaced or
    // removed.
    WallpaperEntry* previewEntry = nullptr;
    int32_t displayBits = 0;
    // Set when the user answered No to the duplicate notice; lives for one
    // adding run (the open dialog or a drop).
    bool suppressDuplicateNotice = false;
    // "ListviewShadow" is on: icon labels can only change their font colour.
    bool listviewShadow = false;
    OPENFILENAMEW open = {};
    CHOOSECOLORW colour = {};
    HWND tooltip = nullptr;
};

CollectionPage* state(HWND page) {
    return pageState<CollectionPage>(page);
}
HWND item(HWND page, int id) {
    return GetDlgItem(page, id);
}
HWND list(HWND page) {
    return item(page, IDC_COLL_LIST);
}

int ask(HWND owner, const char16_t* text, uint32_t flags) {
    return plat::messageBox(owner, text, page_text::kCaption, flags);
}
// Boxes about one picture: its path in the text.
int askAboutPath(HWND owner, const char16_t* format, const char16_t* path, uint32_t flags) {
    char16_t text[600];
    formatText(text, 600, format, FormatArg(path));
    return ask(owner, text, flags);
}

class CursorWait {
  public:
    CursorWait() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~CursorWait() { SetCursor(previous_); }
    CursorWait(const CursorWait&) = delete;
    CursorWait& operator=(const CursorWait&) = delete;

  private:
    HCURSOR previous_;
};

// ---- the list and its selection

int itemCount(HWND page) {
    return static_cast<int>(SendMessageW(list(page), LB_GETCOUNT, 0, 0));
}
int selectedCount(HWND page) {
    const LRESULT n = SendMessageW(list(page), LB_GETSELCOUNT, 0, 0);
    return n > 0 ? static_cast<int>(n) : 0;
}
WallpaperEntry* entryAt(HWND page, int index) {
    const LRESULT data = SendMessageW(list(page), LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<WallpaperEntry*>(data);
}

// The selected positions in ascending order, and their entries.
struct Selection {
    std::unique_ptr<int[]> positions;
    std::unique_ptr<WallpaperEntry*[]> entries;
    int count = 0;
    bool ok = false;
};
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
        const LRESULT got = SendMessageW(list(page), LB_GETSELITEMS, static_cast<WPARAM>(s.count),
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
    SendMessageW(list(page), LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index));
    return index >= 0 ? entryAt(page, index) : nullptr;
}

// Appends a list item for the entry; the item index, or a negative value
// when the list refused it.
LRESULT appendItem(HWND listBox, WallpaperEntry* e) {
    char16_t text[plat::kPathUnits];
    plat::fileNamePart(text, plat::kPathUnits, e->path);
    const LRESULT index = SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0 && SendMessageW(listBox, LB_SETITEMDATA, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(e)) == LB_ERR) {
        SendMessageW(listBox, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
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
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COLL_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list(page)));
}

// ---- check boxes in their two forms

// A three-state box stands for a selection that was mixed when it was made;
// its user data says so.
void setBoxForm(HWND page, int id, bool threeState) {
    HWND box = item(page, id);
    SendMessageW(box, BM_SETSTYLE, threeState ? BS_3STATE : BS_AUTOCHECKBOX, TRUE);
    SetWindowLongPtrW(box, GWLP_USERDATA, threeState ? 1 : 0);
}
bool isThreeState(HWND page, int id) {
    return GetWindowLongPtrW(item(page, id), GWLP_USERDATA) == 1;
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

// ---- drawing: swatches, the preview and the icon sample

void showBackgroundSwatch(HWND page, uint32_t colour) {
    if (CollectionPage* s = state(page))
        s->backgroundSwatch = colour;
    showControl(page, IDC_COLL_BACKGROUND_SWATCH, true);
    InvalidateRect(item(page, IDC_COLL_BACKGROUND_SWATCH), nullptr, TRUE);
}
void showFontSwatch(HWND page, uint32_t colour) {
    if (CollectionPage* s = state(page))
        s->fontSwatch = colour;
    showControl(page, IDC_COLL_FONT_SWATCH, true);
    InvalidateRect(item(page, IDC_COLL_FONT_SWATCH), nullptr, TRUE);
}
void setSwatchColours(HWND page, uint32_t background, uint32_t font) {
    if (CollectionPage* s = state(page)) {
        s->backgroundSwatch = background;
        s->fontSwatch = font;
    }
    InvalidateRect(item(page, IDC_COLL_BACKGROUND_SWATCH), nullptr, TRUE);
    InvalidateRect(item(page, IDC_COLL_FONT_SWATCH), nullptr, TRUE);
}

void fillRect(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush) {
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
}

// The neutral colour is drawn as red, green and blue stripes.
void drawSwatch(HWND control, HDC dc, uint32_t colour, uint32_t neutral) {
    RECT r = {};
    GetClientRect(control, &r);
    if (colour != neutral) {
        fillRect(dc, r, colour & 0xFFFFFF);
        return;
    }
    const LONG third = (r.right - r.left) / 3;
    const COLORREF stripes[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        RECT stripe = r;
        stripe.left = r.left + third * i;
        stripe.right = i == 2 ? r.right : stripe.left + third;
        fillRect(dc, stripe, stripes[i]);
    }
}

void drawIconSample(HWND control, HDC dc, const IconSample& sample) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(control, GWLP_HINSTANCE));
    HBITMAP icon = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDB_ICON_SAMPLE), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!icon)
        return;
    BITMAP info = {};
    GetObjectW(icon, sizeof info, &info);
    const int half = info.bmWidth / 2, height = info.bmHeight;
    RECT r = {};
    GetClientRect(control, &r);
    const int width = r.right - r.left, tall = r.bottom - r.top;
    if (sample.frame) {
        const RECT sides[] = {{r.left, r.top, r.right, r.top + 3},
                              {r.left, r.top, r.left + 3, r.bottom},
                              {r.left, r.bottom - 2, r.right, r.bottom},
                              {r.right - 2, r.top, r.right, r.bottom}};
        for (const RECT& side : sides)
            fillRect(dc, side, sample.background);
    }
    // The picture is cut to the icon's shape by its mask (white where the
    // icon is), then laid into a hole the mask makes in the preview.
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
        HGDIOBJ old = SelectObject(memory, icon);
        BitBlt(memory, 0, 0, half, height, memory, half, 0, SRCAND);
        const int x = r.left + (width - half) / 2, y = r.top + ((tall - height) / 5) * 2;
        BitBlt(dc, x, y, half, height, memory, half, 0, 0x00220326); // DSna
        BitBlt(dc, x, y, half, height, memory, 0, 0, SRCPAINT);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(icon);
    RECT label = r;
    label.top = r.top + height + ((tall - height) / 5) * 2 + 5;
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SetBkMode(dc, sample.opaque ? OPAQUE : TRANSPARENT);
    SetBkColor(dc, sample.background & 0xFFFFFF);
    SetTextColor(dc, sample.text & 0xFFFFFF);
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(page_text::kSampleLabel), -1, &label, DT_SINGLELINE | DT_CENTER);
    SelectObject(dc, oldFont);
}

// The sample goes over the preview when the sample box is usable and both
// settings ask for it; during editing the swatches stand for the entry's
// colours.
void drawSampleIfWanted(HWND page, HDC dc) {
    CollectionPage* s = state(page);
    WallpaperEntry* e = s ? s->previewEntry : nullptr;
    if (!e || !IsWindowEnabled(item(page, IDC_COLL_ICON_SAMPLE)) || !AppSettings.previewIconSample ||
        !AppSettings.showPreview)
        return;
    const IconSample sample = chooseIconSample(s->listviewShadow, e->changeColours, e->fontMode,
                                               s->backgroundSwatch, s->fontSwatch);
    if (sample.draw)
        drawIconSample(item(page, IDC_COLL_PREVIEW), dc, sample);
}

// The preview and the swatches draw themselves after their static control
// has painted, or the control would paint over them.
LRESULT CALLBACK drawnControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR pageHandle) {
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(control, drawnControlProc, id);
    const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    if (message != WM_PAINT)
        return result;
    HWND page = reinterpret_cast<HWND>(pageHandle);
    CollectionPage* s = state(page);
    HDC dc = s ? GetDC(control) : nullptr;
    if (!dc)
        return result;
    if (id == IDC_COLL_PREVIEW) {
        if (s->previewEntry && s->previewEntry->previewBitmap && AppSettings.showPreview) {
            paintPreview(*s->previewEntry, control, FALSE, dc);
            drawSampleIfWanted(page, dc);
        }
    } else {
        drawSwatch(control, dc, id == IDC_COLL_BACKGROUND_SWATCH ? s->backgroundSwatch : s->fontSwatch,
                   s->neutral);
    }
    ReleaseDC(control, dc);
    return result;
}

void redrawPreview(HWND page) {
    HWND preview = item(page, IDC_COLL_PREVIEW);
    InvalidateRect(preview, nullptr, TRUE);
    UpdateWindow(preview);
}

void showProductText(HWND page) {
    setControlText(page, IDC_COLL_PREVIEW_INFO, u"");
    setControlText(page, IDC_COLL_PREVIEW, page_text::kProductText);
}

void releasePreview(HWND page) {
    CollectionPage* s = state(page);
    if (s && s->previewEntry) {
        s->previewEntry->releasePreview();
        s->previewEntry = nullptr;
    }
}

// Builds and shows the preview of the entry, which becomes the preview entry.
void showPreview(HWND page, WallpaperEntry* e) {
    CollectionPage* s = state(page);
    if (!s || !e)
        return;
    if (s->previewEntry != e)
        releasePreview(page);
    HWND preview = item(page, IDC_COLL_PREVIEW);
    if (AppSettings.showWaitNotice) {
        setControlText(page, IDC_COLL_PREVIEW, page_text::kWaitNotice);
        UpdateWindow(preview);
    }
    s->previewEntry = e;
    if (!buildPreview(*e, preview))
        setControlText(page, IDC_COLL_PREVIEW, page_text::kProductText);
    setControlText(page, IDC_COLL_PREVIEW_INFO, e->previewInfo);
    redrawPreview(page);
}

bool isConfigWindowVisible(HWND page) {
    return IsWindowVisible(GetAncestor(page, GA_ROOT)) != 0;
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
        if (SendMessageW(box, LB_GETSEL, static_cast<WPARAM>(n - 1), 0) > 0)
            enableControl(page, IDC_COLL_DOWN, false);
        if (SendMessageW(box, LB_GETSEL, 0, 0) > 0)
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

// ---- selection change

void removeMixedStyleItem(HWND page) {
    HWND combo = item(page, IDC_COLL_STYLE);
    if (SendMessageW(combo, CB_GETCOUNT, 0, 0) > kStyleItems)
        SendMessageW(combo, CB_DELETESTRING, kStyleItems, 0);
}
void selectStyle(HWND page, int32_t style) {
    HWND combo = item(page, IDC_COLL_STYLE);
    if (style < 0) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(page_text::kMixedStyle));
        style = kStyleItems;
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(style), 0);
}

void showPath(HWND page, const char16_t* path) {
    HWND field = item(page, IDC_COLL_PATH);
    RECT client = {};
    GetClientRect(field, &client);
    TEXTMETRICW metrics = {};
    HDC dc = GetWindowDC(field);
    HGDIOBJ old =
        dc ? SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0))) : nullptr;
    if (dc) {
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(field, dc);
    }
    char16_t shown[plat::kPathUnits + 8];
    shortenPath(path, pathFieldChars(client.right, metrics.tmAveCharWidth), shown, plat::kPathUnits + 8);
    setControlText(page, IDC_COLL_PATH, shown);
}

void showOne(HWND page, WallpaperEntry* e, int index) {
    showPath(page, e->path);
    setPosition(page, index);
    SendMessageW(item(page, IDC_COLL_STYLE), CB_SETCURSEL, static_cast<WPARAM>(e->style), 0);
    setSwatchColours(page, e->backgroundColour, e->fontColour);
    const bool coloured = e->fontMode == kFontColoured;
    setChecked(page, IDC_COLL_CHANGE_COLOURS, e->changeColours);
    setChecked(page, IDC_COLL_FONT_MODE, coloured);
    if (e->changeColours) {
        showControl(page, IDC_COLL_BACKGROUND_SWATCH, true);
        showControl(page, IDC_COLL_FONT_SWATCH, coloured);
    }
    applyEnableRules(page);
    if (AppSettings.showPreview && isConfigWindowVisible(page))
        showPreview(page, e);
}

void showSeveral(HWND page, const Selection& selection) {
    CollectionPage* s = state(page);
    const SelectionSummary summary =
        summariseSelection(selection.entries.get(), static_cast<size_t>(selection.count), s ? s->neutral : 0);
    selectStyle(page, summary.style);
    setBox(page, IDC_COLL_CHANGE_COLOURS, summary.changeColoursBox);
    setBox(page, IDC_COLL_FONT_MODE, summary.fontBox);
    setSwatchColours(page, summary.background, summary.font);
    showControl(page, IDC_COLL_BACKGROUND_SWATCH, summary.showBackground);
    showControl(page, IDC_COLL_FONT_SWATCH, summary.showFont);
    applyEnableRules(page);
}

void onSelectionChange(HWND page) {
    CollectionPage* s = state(page);
    releasePreview(page);
    setSwatchColours(page, s ? s->neutral : 0, s ? s->neutral : 0);
    removeMixedStyleItem(page);
    setBoxForm(page, IDC_COLL_CHANGE_COLOURS, false);
    setBoxForm(page, IDC_COLL_FONT_MODE, false);
    const Selection selection = readSelection(page);
    if (!selection.ok || selection.count == 0) {
        setControlText(page, IDC_COLL_PATH, u"");
        setControlText(page, IDC_COLL_POSITION, u"");
        SendMessageW(item(page, IDC_COLL_STYLE), CB_SETCURSEL, 0, 0);
        setChecked(page, IDC_COLL_CHANGE_COLOURS, 0);
        setChecked(page, IDC_COLL_FONT_MODE, 0);
        applyEnableRules(page);
        return;
    }
    if (selection.count == 1) {
        showOne(page, selection.entries[0], selection.positions[0]);
        return;
    }
    setControlText(page, IDC_COLL_PATH, u"");
    setControlText(page, IDC_COLL_POSITION, u"");
    showSeveral(page, selection);
}

// ---- commands that edit the selected entries

void redrawSampleIfWanted(HWND page) {
    if (isOn(page, IDC_COLL_CHANGE_COLOURS) && AppSettings.showPreview && AppSettings.previewIconSample)
        redrawPreview(page);
}

void onStyle(HWND page) {
    const LRESULT chosen = SendMessageW(item(page, IDC_COLL_STYLE), CB_GETCURSEL, 0, 0);
    if (chosen < 0 || chosen >= kStyleItems) // the " " of a mixed selection keeps every style
        return;
    const Selection selection = readSelection(page);
    if (!selection.ok)
        return;
    for (int i = 0; i < selection.count; ++i)
        selection.entries[i]->style = static_cast<int32_t>(chosen);
    if (selection.count > 1)
        removeMixedStyleItem(page);
}

void onShowPreview(HWND page) {
    if (!isChecked(page, IDC_COLL_SHOW_PREVIEW)) {
        AppSettings.showPreview = 0;
        releasePreview(page);
        showProductText(page);
        enableControl(page, IDC_COLL_ICON_SAMPLE, false);
        return;
    }
    AppSettings.showPreview = 1;
    applyEnableRules(page);
    if (WallpaperEntry* e = singleSelected(page))
        showPreview(page, e);
}

void onChangeColours(HWND page) {
    const Selection selection = readSelection(page);
    if (!selection.ok || selection.count == 0)
        return;
    if (selection.count == 1) {
        WallpaperEntry* e = selection.entries[0];
        e->changeColours = checkedValue(page, IDC_COLL_CHANGE_COLOURS);
        if (e->changeColours) {
            showControl(page, IDC_COLL_BACKGROUND_SWATCH, true);
            setChecked(page, IDC_COLL_FONT_MODE, e->fontMode == kFontColoured);
            showControl(page, IDC_COLL_FONT_SWATCH, e->fontMode == kFontColoured);
        }
        applyEnableRules(page);
        if (AppSettings.showPreview)
            redrawPreview(page);
        return;
    }
    bool again = false;
    if (boxState(page, IDC_COLL_CHANGE_COLOURS) == BST_INDETERMINATE) {
        setBoxForm(page, IDC_COLL_CHANGE_COLOURS, false);
        CheckDlgButton(page, IDC_COLL_CHANGE_COLOURS, BST_CHECKED);
        again = true;
    }
    const int32_t on = checkedValue(page, IDC_COLL_CHANGE_COLOURS);
    bool allColoured = true;
    for (int i = 0; i < selection.count; ++i) {
        selection.entries[i]->changeColours = on;
        allColoured = allColoured && selection.entries[i]->fontMode == kFontColoured;
    }
    if (again) {
        sendSelectionChange(page);
        return;
    }
    if (on) {
        showControl(page, IDC_COLL_BACKGROUND_SWATCH, true);
        if (allColoured) {
            setChecked(page, IDC_COLL_FONT_MODE, 1);
            showControl(page, IDC_COLL_FONT_SWATCH, true);
        }
    }
    applyEnableRules(page);
}

void onFontMode(HWND page) {
    const Selection selection = readSelection(page);
    if (!selection.ok || selection.count == 0)
        return;
    if (selection.count == 1) {
        WallpaperEntry* e = selection.entries[0];
        const bool coloured = isChecked(page, IDC_COLL_FONT_MODE);
        e->fontMode = coloured ? kFontColoured : kFontKeep;
        showControl(page, IDC_COLL_FONT_SWATCH, coloured);
        applyEnableRules(page);
        redrawSampleIfWanted(page);
        return;
    }
    const bool coloursOn = boxState(page, IDC_COLL_CHANGE_COLOURS) == BST_CHECKED;
    bool again = false;
    if (boxState(page, IDC_COLL_FONT_MODE) == BST_INDETERMINATE) {
        if (coloursOn) {
            setBoxForm(page, IDC_COLL_FONT_MODE, false);
            CheckDlgButton(page, IDC_COLL_FONT_MODE, BST_CHECKED);
            again = true;
        } else {
            CheckDlgButton(page, IDC_COLL_FONT_MODE, BST_UNCHECKED);
        }
    } else if (isThreeState(page, IDC_COLL_FONT_MODE)) {
        if (coloursOn) {
            setBoxForm(page, IDC_COLL_FONT_MODE, false);
            again = true;
        }
        if (boxState(page, IDC_COLL_FONT_MODE) == BST_UNCHECKED)
            CheckDlgButton(page, IDC_COLL_FONT_MODE, BST_INDETERMINATE);
    }
    const int32_t mode = isOn(page, IDC_COLL_FONT_MODE) ? kFontColoured : kFontKeep;
    const bool onlyChanging = boxState(page, IDC_COLL_CHANGE_COLOURS) == BST_INDETERMINATE;
    for (int i = 0; i < selection.count; ++i)
        if (!onlyChanging || selection.entries[i]->changeColours)
            selection.entries[i]->fontMode = mode;
    if (again) {
        sendSelectionChange(page);
        return;
    }
    if (mode == kFontColoured)
        showControl(page, IDC_COLL_FONT_SWATCH, true);
    applyEnableRules(page);
}

void onPickColour(HWND page, bool background) {
    CollectionPage* s = state(page);
    const Selection selection = readSelection(page);
    if (!s || !selection.ok || selection.count == 0)
        return;
    s->colour.rgbResult = (background ? s->backgroundSwatch : s->fontSwatch) & 0xFFFFFF;
    s->colour.lpCustColors = reinterpret_cast<COLORREF*>(AppSettings.customColours);
    const plat::OpenDialog dialog;
    if (!(g_hooks.chooseColour ? g_hooks.chooseColour : ChooseColorW)(&s->colour))
        return;
    const uint32_t chosen = s->colour.rgbResult & 0xFFFFFF;
    // A mixed box limits the change to the entries that use the colour.
    const bool onlyUsers = isThreeState(page, background ? IDC_COLL_CHANGE_COLOURS : IDC_COLL_FONT_MODE);
    for (int i = 0; i < selection.count; ++i) {
        WallpaperEntry* e = selection.entries[i];
        if (selection.count > 1 && onlyUsers &&
            !(background ? e->changeColours != 0 : e->fontMode == kFontColoured))
            continue;
        (background ? e->backgroundColour : e->fontColour) = chosen;
    }
    if (background)
        showBackgroundSwatch(page, chosen);
    else
        showFontSwatch(page, chosen);
    if (selection.count == 1)
        redrawSampleIfWanted(page);
}

void onEstimate(HWND page) {
    const Selection selection = readSelection(page);
    CollectionPage* s = state(page);
    if (!s || !selection.ok || selection.count == 0)
        return;
    if (selection.count == 1) {
        uint32_t colour = 0;
        const int result = estimateBackground(*selection.entries[0], &colour);
        if (result == 0) {
            selection.entries[0]->backgroundColour = colour;
            showBackgroundSwatch(page, colour);
            redrawSampleIfWanted(page);
        } else if (result == 2) {
            ask(page, page_text::kCancelled, plat::kMbIconInformation);
        } else {
            ask(page, page_text::kEstimateFailed, plat::kMbIconWarning);
        }
        return;
    }
    // Every estimate first: a cancel leaves every entry as it was.
    std::unique_ptr<uint32_t[]> colours(new (std::nothrow) uint32_t[static_cast<size_t>(selection.count)]);
    std::unique_ptr<bool[]> estimated(new (std::nothrow) bool[static_cast<size_t>(selection.count)]());
    if (!colours || !estimated) {
        ask(page, page_text::kNoMemoryForSelection, plat::kMbIconError);
        return;
    }
    const bool onlyChanging = isThreeState(page, IDC_COLL_CHANGE_COLOURS);
    for (int i = 0; i < selection.count; ++i) {
        if (onlyChanging && !selection.entries[i]->changeColours)
            continue;
        const int result = estimateBackground(*selection.entries[i], &colours[i]);
        if (result == 2) {
            ask(page, page_text::kCancelled, plat::kMbIconInformation);
            return;
        }
        estimated[i] = result == 0;
    }
    ColourVote vote{s->neutral};
    for (int i = 0; i < selection.count; ++i)
        if (estimated[i]) {
            selection.entries[i]->backgroundColour = colours[i];
            vote.add(colours[i]);
        }
    showBackgroundSwatch(page, vote.result());
}

void onIconSample(HWND page) {
    AppSettings.previewIconSample = checkedValue(page, IDC_COLL_ICON_SAMPLE);
    if (isChecked(page, IDC_COLL_SHOW_PREVIEW) && singleSelected(page) && AppSettings.showPreview)
        redrawPreview(page);
}

void onTest(HWND page) {
    WallpaperEntry* e = singleSelected(page);
    if (!e)
        return;
    int result = 0;
    {
        CursorWait wait;
        result = (g_hooks.apply ? g_hooks.apply : ApplyWallpaper)(*e, 1);
    }
    if (result == 1) {
        CurrentWallpaper = *e;
        saveSettings(kSaveLastTapeta);
    } else if (result == 2) {
        ask(page, page_text::kCancelled, plat::kMbIconInformation);
    }
}

void onFullPath(HWND page) {
    if (WallpaperEntry* e = singleSelected(page))
        ask(page, e->path, plat::kMbIconInformation);
}

// ---- commands on the list

// The selection's entries sorted by address, for a binary search.
struct SortedEntries {
    WallpaperEntry** begin;
    WallpaperEntry** end;
};
bool isAmong(const WallpaperEntry& e, void* sorted) {
    const auto* s = static_cast<const SortedEntries*>(sorted);
    return std::binary_search(s->begin, s->end, &e, std::less<const WallpaperEntry*>());
}

// Takes the selected entries out of the list and the collection, with the
// list's redraw off and in one pass through the collection: one by one,
// removing thousands of pictures took minutes. The selection's entries are
// left sorted by address, no longer in step with its positions.
void removeSelected(HWND page, const Selection& selection) {
    SortedEntries sorted{selection.entries.get(), selection.entries.get() + selection.count};
    std::sort(sorted.begin, sorted.end, std::less<const WallpaperEntry*>());
    CollectionPage* s = state(page);
    if (s && s->previewEntry && isAmong(*s->previewEntry, &sorted))
        releasePreview(page);
    HWND box = list(page);
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    // The items go before the entries, so no item ever holds a freed entry.
    for (int i = selection.count - 1; i >= 0; --i)
        SendMessageW(box, LB_DELETESTRING, static_cast<WPARAM>(selection.positions[i]), 0);
    ActiveCollection.removeEntries(isAmong, &sorted);
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

void onRemove(HWND page) {
    const Selection selection = readSelection(page);
    if (!selection.ok || selection.count == 0)
        return;
    if (AppSettings.confirmRemove) {
        const uint32_t flags = plat::kMbYesNo | plat::kMbIconQuestion | plat::kMbDefButton2;
        const int answer = selection.count == 1 ? askAboutPath(page, page_text::kRemoveOne,
                                                               selection.entries[0]->path, flags)
                                                : ask(page, page_text::kRemoveSeveral, flags);
        if (answer != plat::kIdYes || !IsWindow(page))
            return;
    }
    // Only the pictures the question named go: a list changed under the
    // question loses nothing.
    for (int i = 0; i < selection.count; ++i)
        if (entryAt(page, selection.positions[i]) != selection.entries[i])
            return;
    removeSelected(page, selection);
    SendMessageW(list(page), LB_SETSEL, FALSE, -1);
    const int next = selection.count == 1 && selection.positions[0] > 0 ? selection.positions[0] - 1 : 0;
    SendMessageW(list(page), LB_SETSEL, TRUE, next);
    sendSelectionChange(page);
    SetFocus(list(page));
}

void onSort(HWND page) {
    CursorWait wait;
    releasePreview(page);
    ActiveCollection.sortByName();
    SendMessageW(list(page), LB_RESETCONTENT, 0, 0);
    FillCollectionList(page);
}

// Moves one list item by one place, keeping its item data.
bool moveItem(HWND page, int from, int to) {
    HWND box = list(page);
    const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(from), 0);
    if (length < 0 || length >= static_cast<LRESULT>(plat::kPathUnits))
        return false;
    char16_t text[plat::kPathUnits] = {};
    SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(text));
    const LRESULT data = SendMessageW(box, LB_GETITEMDATA, static_cast<WPARAM>(from), 0);
    SendMessageW(box, LB_DELETESTRING, static_cast<WPARAM>(from), 0);
    const LRESULT at =
        SendMessageW(box, LB_INSERTSTRING, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(text));
    return at >= 0 && SendMessageW(box, LB_SETITEMDATA, static_cast<WPARAM>(at), data) != LB_ERR;
}

void onMove(HWND page, bool up) {
    const Selection selection = readSelection(page);
    const int n = itemCount(page);
    if (!selection.ok || selection.count == 0 || selection.count == n)
        return;
    CursorWait wait;
    if (!canMoveSelection(selection.positions.get(), static_cast<size_t>(selection.count), n, up))
        return;
    int moved = 0;
    for (int k = 0; k < selection.count; ++k) {
        const int i = up ? k : selection.count - 1 - k;
        const int from = selection.positions[i], to = up ? from - 1 : from + 1;
        WallpaperEntry* neighbour = entryAt(page, to);
        if (!neighbour || !ActiveCollection.swapEntries(selection.entries[i], neighbour))
            break;
        if (!moveItem(page, from, to)) {
            // The list cannot follow: the collection goes back so both agree.
            ActiveCollection.swapEntries(selection.entries[i], neighbour);
            break;
        }
        selection.positions[i] = to;
        ++moved;
    }
    SendMessageW(list(page), LB_SETSEL, FALSE, -1);
    for (int k = 0; k < moved; ++k) {
        const int i = up ? k : selection.count - 1 - k;
        SendMessageW(list(page), LB_SETSEL, TRUE, selection.positions[i]);
    }
    setPosition(page, moved == 1 && selection.count == 1 ? selection.positions[0] : -1);
    applyEnableRules(page);
}

void cutAtLastBackslash(char16_t* path) {
    char16_t* slash = nullptr;
    for (char16_t* p = path; *p; ++p)
        if (*p == u'\\')
            slash = p;
    if (slash)
        *slash = 0;
}

// Asks for pictures and adds them; the buffer holds one full path, or a
// folder followed by the names chosen in it.
void onAdd(HWND page) {
    CollectionPage* s = state(page);
    if (!s)
        return;
    std::unique_ptr<char16_t[]> buffer(new (std::nothrow) char16_t[kOpenBufferUnits]());
    if (!buffer) {
        ask(page, page_text::kNoMemory, plat::kMbIconError);
        return;
    }
    s->open.lpstrFile = reinterpret_cast<LPWSTR>(buffer.get());
    s->open.nMaxFile = kOpenBufferUnits - 1;
    s->open.lpstrInitialDir = reinterpret_cast<LPCWSTR>(LastDir);
    const plat::OpenDialog dialog;
    const BOOL chosen = (g_hooks.openFiles ? g_hooks.openFiles : GetOpenFileNameW)(&s->open);
    s->open.lpstrFile = nullptr;
    if (!chosen) {
        const DWORD error = (g_hooks.dialogError ? g_hooks.dialogError : CommDlgExtendedError)();
        if (error == FNERR_BUFFERTOOSMALL)
            ask(page, page_text::kTooManyChosen, plat::kMbIconWarning);
        return;
    }
    const bool single = s->open.nFileExtension != 0;
    if (LastDir) {
        plat::copyText(LastDir, kLastDirTaken + 1, buffer.get());
        // One chosen file: the buffer holds its full path, keep the folder.
        if (single)
            cutAtLastBackslash(LastDir);
        saveSettings(kSaveLastDir);
    }
    {
        CursorWait wait;
        if (single) {
            SendMessageW(page, kAddFileMessage, reinterpret_cast<WPARAM>(buffer.get()), 0);
        } else {
            const char16_t* folder = buffer.get();
            const size_t folderLength = plat::textLength(folder);
            const bool slashed = folderLength > 0 && folder[folderLength - 1] == u'\\';
            const char16_t* end = buffer.get() + kOpenBufferUnits - 1;
            for (const char16_t* name = folder + folderLength + 1; name < end && *name;
                 name += plat::textLength(name) + 1) {
                // A joined path too long for an entry is refused whole rather
                // than cut to some other file's name.
                char16_t path[plat::kPathUnits + 2] = {};
                plat::copyText(path, plat::kPathUnits + 2, folder);
                if (!slashed)
                    plat::appendText(path, plat::kPathUnits + 2, u"\\");
                plat::appendText(path, plat::kPathUnits + 2, name);
                if (SendMessageW(page, kAddFileMessage, reinterpret_cast<WPARAM>(path), 0) == 3)
                    break;
            }
        }
    }
    endAddingRun(page);
    showAddedPictures(page);
    applyEnableRules(page);
}

// ---- adding one picture

// Results of kAddFileMessage.
enum AddFileResult : LRESULT { kNotAdded = 1, kAdded = 2, kStopAdding = 3 };

LRESULT addFile(HWND page, const char16_t* path) {
    constexpr uint32_t kInFront = plat::kMbSetForeground | plat::kMbTopmost;
    WallpaperEntry* added = nullptr;
    const AddOutcome outcome = plat::textLength(path) < plat::kPathUnits
                                   ? ActiveCollection.addPath(path, &added)
                                   : AddOutcome::Failed;
    switch (outcome) {
    case AddOutcome::Failed:
        askAboutPath(page, page_text::kAddPathFailed, path, plat::kMbIconWarning | kInFront);
        return kNotAdded;
    case AddOutcome::AlreadyPresent: {
        CollectionPage* s = state(page);
        if (s && s->suppressDuplicateNotice)
            return kNotAdded;
        const int answer = askAboutPath(page, page_text::kAlreadyInCollection, path,
                                        plat::kMbYesNoCancel | plat::kMbIconInformation | kInFront);
        if (answer == plat::kIdCancel)
            return kStopAdding;
        if (answer == plat::kIdNo && s)
            s->suppressDuplicateNotice = true;
        return kNotAdded;
    }
    case AddOutcome::Added:
        break;
    }
    if (appendItem(list(page), added) < 0) {
        // The list and the collection must keep holding the same pictures.
        ActiveCollection.removeEntry(added);
        askAboutPath(page, page_text::kListAddFailed, path, plat::kMbIconError | kInFront);
        return kNotAdded;
    }
    return kAdded;
}

BOOL onAddFileMessage(HWND page, WPARAM wParam) {
    if (!wParam)
        return FALSE;
    SetWindowLongPtrW(page, DWLP_MSGRESULT, addFile(page, reinterpret_cast<const char16_t*>(wParam)));
    return TRUE;
}

// ---- creation, destruction, painting and palettes

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

void setButtonIcons(HWND page) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(page, GWLP_HINSTANCE));
    const struct {
        int button, icon;
    } icons[] = {{IDC_COLL_SORT, IDI_COLL_SORT},
                 {IDC_COLL_UP, IDI_COLL_UP},
                 {IDC_COLL_DOWN, IDI_COLL_DOWN},
                 {IDC_COLL_REMOVE, IDI_COLL_REMOVE},
                 {IDC_COLL_ADD, IDI_COLL_ADD}};
    for (const auto& i : icons) {
        HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(i.icon), IMAGE_ICON, 16, 16, LR_SHARED);
        if (icon)
            SendDlgItemMessageW(page, i.button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
}

void createTooltips(HWND page, CollectionPage* s) {
    s->tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, page, nullptr, nullptr, nullptr);
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
        SetWindowSubclass(item(page, id), drawnControlProc, static_cast<UINT_PTR>(id),
                          reinterpret_cast<DWORD_PTR>(page));
    for (const char16_t* style : page_text::kStyles)
        SendDlgItemMessageW(page, IDC_COLL_STYLE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(style));
    SendDlgItemMessageW(page, IDC_COLL_STYLE, CB_SETCURSEL, 0, 0);
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
    removeDropFilter(list(page));
    if (CollectionPage* s = state(page))
        if (s->tooltip)
            DestroyWindow(s->tooltip);
    freePageState<CollectionPage>(page);
}

// The entry whose preview the page shows now: one selected with the preview on.
WallpaperEntry* previewedEntry(HWND page) {
    return AppSettings.showPreview ? singleSelected(page) : nullptr;
}

void onPaint(HWND page) {
    if (SendMessageW(list(page), LB_GETCARETINDEX, 0, 0) < 0)
        return;
    // A selection made while the window was hidden gets its preview now.
    CollectionPage* s = state(page);
    WallpaperEntry* e = previewedEntry(page);
    if (s && e && s->previewEntry != e && !e->previewInfo[0])
        showPreview(page, e);
}

void onDisplayChange(HWND page, int32_t bits) {
    CollectionPage* s = state(page);
    if (!s)
        return;
    WallpaperEntry* e = previewedEntry(page);
    const bool crossed = (s->displayBits <= 8) != (bits <= 8);
    s->displayBits = bits;
    if (e && crossed) {
        e->releasePreview();
        showPreview(page, e);
    }
}

BOOL onQueryNewPalette(HWND page) {
    CollectionPage* s = state(page);
    WallpaperEntry* e = previewedEntry(page);
    if (!s || !e || s->previewEntry != e)
        return FALSE;
    const int realised = paintPreview(*e, item(page, IDC_COLL_PREVIEW), FALSE);
    redrawPreview(page);
    setControlText(page, IDC_COLL_PREVIEW_INFO, e->previewInfo);
    SetWindowLongPtrW(page, DWLP_MSGRESULT, realised);
    return realised ? TRUE : FALSE;
}

void onPaletteChanged(HWND page, HWND changer) {
    CollectionPage* s = state(page);
    WallpaperEntry* e = previewedEntry(page);
    if (!s || !e || s->previewEntry != e || changer == item(page, IDC_COLL_PREVIEW))
        return;
    paintPreview(*e, item(page, IDC_COLL_PREVIEW), TRUE);
    redrawPreview(page);
    setControlText(page, IDC_COLL_PREVIEW_INFO, e->previewInfo);
}

// The frame is about to replace the collection. The list lets go of the
// entries too until the frame fills it again: a box shown while the new
// collection loads would otherwise repaint the page from freed entries.
void onCollectionReplaced(HWND page, WPARAM wParam) {
    if (wParam == 1)
        releasePreview(page);
    else if (CollectionPage* s = state(page))
        s->previewEntry = nullptr;
    SendMessageW(list(page), LB_RESETCONTENT, 0, 0);
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
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, LB_INITSTORAGE, static_cast<WPARAM>(count),
                 static_cast<LPARAM>(count) * kListedNameBytes);
    for (int32_t i = 0; i < ActiveCollection.slotCount; ++i) {
        WallpaperEntry* e = ActiveCollection.slots[i];
        if (!e || appendItem(box, e) >= 0)
            continue;
        SendMessageW(box, WM_SETREDRAW, TRUE, 0);
        askAboutPath(page, page_text::kListAddFailed, e->path, plat::kMbIconError);
        SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    }
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
    SendMessageW(box, LB_SETSEL, FALSE, -1);
    SendMessageW(box, LB_SETSEL, TRUE, 0);
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
