// The collection page's drawn controls: the colour swatches, the preview
// with its icon sample over it, and the preview's palette.
#include <windows.h>
#include <commctrl.h>

#include "pages/collection_page_internal.h"
#include "pages/page_texts.h"
#include "pages/preview.h"
#include "platform/win_messages.h"
#include "platform/win_newer.h"
#include "settings/app_settings.h"
#include "platform/win_windows.h"

namespace collection_page {

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

namespace {

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
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(win::GetWindowLongPtrW(control, GWLP_HINSTANCE));
    HBITMAP icon = static_cast<HBITMAP>(
        win::LoadImageW(instance, MAKEINTRESOURCEW(IDB_ICON_SAMPLE), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!icon)
        return;
    BITMAP info = {};
    win::GetObjectW(icon, sizeof info, &info);
    const int half = info.bmWidth / 2, height = info.bmHeight;
    // The sample has the size of a desktop icon at the control's DPI (the
    // bitmap's at 96), like the margins around it.
    const int dpi = static_cast<int>(win::GetDpiForWindow(control));
    const int shownWide = win::scaleBy(half, dpi, 96), shownTall = win::scaleBy(height, dpi, 96);
    const int thick = win::scaleBy(3, dpi, 96), thin = win::scaleBy(2, dpi, 96);
    RECT r = {};
    GetClientRect(control, &r);
    const int width = r.right - r.left, tall = r.bottom - r.top;
    if (sample.frame) {
        const RECT sides[] = {{r.left, r.top, r.right, r.top + thick},
                              {r.left, r.top, r.left + thick, r.bottom},
                              {r.left, r.bottom - thin, r.right, r.bottom},
                              {r.right - thin, r.top, r.right, r.bottom}};
        for (const RECT& side : sides)
            fillRect(dc, side, sample.background);
    }
    // The picture is cut to the icon's shape by its mask (white where the
    // icon is), then laid into a hole the mask makes in the preview.
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
        HGDIOBJ old = SelectObject(memory, icon);
        BitBlt(memory, 0, 0, half, height, memory, half, 0, SRCAND);
        const int x = r.left + (width - shownWide) / 2, y = r.top + ((tall - shownTall) / 5) * 2;
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR); // the mask's edges stay hard
        StretchBlt(dc, x, y, shownWide, shownTall, memory, half, 0, half, height, 0x00220326); // DSna
        StretchBlt(dc, x, y, shownWide, shownTall, memory, 0, 0, half, height, SRCPAINT);
        SetStretchBltMode(dc, oldMode);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(icon);
    RECT label = r;
    label.top = r.top + shownTall + ((tall - shownTall) / 5) * 2 + win::scaleBy(5, dpi, 96);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(win::SendMessageW(control, WM_GETFONT, 0, 0)));
    SetBkMode(dc, sample.opaque ? OPAQUE : TRANSPARENT);
    SetBkColor(dc, sample.background & 0xFFFFFF);
    SetTextColor(dc, sample.text & 0xFFFFFF);
    win::DrawTextW(dc, reinterpret_cast<LPCWSTR>(page_text::kSampleLabel), -1, &label,
                   DT_SINGLELINE | DT_CENTER);
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
// has painted, or the control would paint over them. The control's own
// procedure is kept in its user data (the static controls leave it unused)
// and put back when the control goes; the page is the control's parent.
LRESULT CALLBACK drawnControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC own = reinterpret_cast<WNDPROC>(win::GetWindowLongPtrW(control, GWLP_USERDATA));
    if (!own)
        return win::DefWindowProcW(control, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        win::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        win::SetWindowLongPtrW(control, GWLP_USERDATA, 0);
    }
    const LRESULT result = win::CallWindowProcW(own, control, message, wParam, lParam);
    if (message != WM_PAINT)
        return result;
    const int id = GetDlgCtrlID(control);
    HWND page = GetParent(control);
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

} // namespace

void drawAfterControl(HWND control) {
    if (!control || win::GetWindowLongPtrW(control, GWLP_USERDATA))
        return;
    const LONG_PTR own = win::GetWindowLongPtrW(control, GWLP_WNDPROC);
    win::SetWindowLongPtrW(control, GWLP_USERDATA, own);
    win::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(drawnControlProc));
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

void redrawSampleIfWanted(HWND page) {
    if (isOn(page, IDC_COLL_CHANGE_COLOURS) && AppSettings.showPreview && AppSettings.previewIconSample)
        redrawPreview(page);
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

void onIconSample(HWND page) {
    AppSettings.previewIconSample = checkedValue(page, IDC_COLL_ICON_SAMPLE);
    if (isChecked(page, IDC_COLL_SHOW_PREVIEW) && singleSelected(page) && AppSettings.showPreview)
        redrawPreview(page);
}

namespace {

// The entry whose preview the page shows now: one selected with the preview on.
WallpaperEntry* previewedEntry(HWND page) {
    return AppSettings.showPreview ? singleSelected(page) : nullptr;
}

} // namespace

void onPaint(HWND page) {
    if (win::SendMessageW(list(page), LB_GETCARETINDEX, 0, 0) < 0)
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
    win::SetWindowLongPtrW(page, DWLP_MSGRESULT, realised);
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

} // namespace collection_page
