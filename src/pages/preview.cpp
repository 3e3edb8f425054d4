#include "pages/preview.h"

#include <memory>
#include <new>

#include "image/preview_picture.h"
#include "pages/page_texts.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "platform/win_windows.h"
#include "settings/app_settings.h"

namespace {

void fail(WallpaperEntry& entry, const char16_t* text) {
    plat::copyText(entry.previewInfo, WallpaperEntry::kPreviewInfoUnits, text);
}

// The picture's own colours when it has a table, else the halftone palette.
HPALETTE makePalette(HDC dc, const PreviewPicture& picture, bool* noMemory) {
    *noMemory = false;
    const uint32_t entries = picture.layout.tableEntries;
    if (entries == 0)
        return CreateHalftonePalette(dc);
    // LOGPALETTE holds one entry itself; more follow it.
    const size_t bytes = sizeof(LOGPALETTE) + (entries > 1 ? entries - 1 : 0) * sizeof(PALETTEENTRY);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[bytes]);
    std::unique_ptr<uint8_t[][3]> rgb(new (std::nothrow) uint8_t[entries][3]);
    if (!block || !rgb || entries > 0xFFFF) {
        *noMemory = true;
        return nullptr;
    }
    LOGPALETTE* palette = reinterpret_cast<LOGPALETTE*>(block.get());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(previewPaletteColours(picture, rgb.get(), entries));
    for (WORD i = 0; i < palette->palNumEntries; ++i)
        palette->palPalEntry[i] = {rgb[i][0], rgb[i][1], rgb[i][2], 0};
    return CreatePalette(palette);
}

// Puts the picture, already at the bitmap's size, into the bitmap (through
// the palette on palette displays); false when GDI failed.
bool render(HDC windowDc, HBITMAP bitmap, HPALETTE palette, const RECT& client,
            const PreviewPicture& picture) {
    HDC memory = CreateCompatibleDC(windowDc);
    if (!memory)
        return false;
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HPALETTE oldPalette = nullptr;
    SetStretchBltMode(memory, COLORONCOLOR);
    if (palette) {
        oldPalette = SelectPalette(memory, palette, FALSE);
        RealizePalette(memory);
    }
    const uint8_t* block = picture.dib.data();
    const int result = StretchDIBits(memory, 0, 0, client.right, client.bottom, 0, 0, picture.layout.width,
                                     picture.layout.rows, block + picture.layout.pixelOffset,
                                     reinterpret_cast<const BITMAPINFO*>(block), DIB_RGB_COLORS, SRCCOPY);
    if (oldPalette)
        SelectPalette(memory, oldPalette, FALSE);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    return result != static_cast<int>(GDI_ERROR) && result != 0;
}

} // namespace

bool isPaletteDisplay(HDC dc) {
    return (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0 || plat::displayBitsPerPixel() <= 8;
}

int buildPreview(WallpaperEntry& entry, HWND window) {
    if (!entry.hasPath())
        return 0;
    entry.releasePreview();
    // The picture is read at the size it is shown; a control without an area
    // still reads it, so that a bad file is named before the preview fails.
    RECT client = {};
    GetClientRect(window, &client);
    PreviewPicture picture = readPreviewPicture(entry.path, client.right > 0 ? client.right : 1,
                                                client.bottom > 0 ? client.bottom : 1, ExtraSettings.uprightPhotos);
    if (!picture.dib) {
        fail(entry, picture.failure);
        return 0;
    }
    HDC dc = GetDC(window);
    if (!dc) {
        fail(entry, preview_text::kPreviewFailed);
        return 0;
    }
    HPALETTE palette = nullptr;
    if (isPaletteDisplay(dc)) {
        bool noMemory = false;
        palette = makePalette(dc, picture, &noMemory);
        if (noMemory) {
            ReleaseDC(window, dc);
            fail(entry, preview_text::kNoMemory);
            return 0;
        }
    }
    HBITMAP bitmap = client.right > 0 && client.bottom > 0
                         ? CreateCompatibleBitmap(dc, client.right, client.bottom)
                         : nullptr;
    if (!bitmap || !render(dc, bitmap, palette, client, picture)) {
        if (bitmap)
            DeleteObject(bitmap);
        if (palette)
            DeleteObject(palette);
        ReleaseDC(window, dc);
        fail(entry, preview_text::kPreviewFailed);
        return 0;
    }
    ReleaseDC(window, dc);
    entry.previewBitmap = bitmap;
    entry.previewPalette = palette;
    describePreview(picture, entry.previewInfo, WallpaperEntry::kPreviewInfoUnits);
    return 1;
}

namespace {

// Whether the cached preview was made for the control's present size: a
// new DPI resizes the control, and a stretched copy would blur the picture.
bool fitsControl(const WallpaperEntry& entry, HWND window) {
    BITMAP made = {};
    RECT client = {};
    GetClientRect(window, &client);
    return win::GetObjectW(static_cast<HBITMAP>(entry.previewBitmap), sizeof made, &made) != 0 &&
           made.bmWidth == client.right && made.bmHeight == client.bottom;
}

} // namespace

int paintPreview(WallpaperEntry& entry, HWND window, BOOL forceBackground, HDC given) {
    if (entry.previewBitmap && !fitsControl(entry, window))
        entry.releasePreview();
    if (!entry.previewBitmap && !buildPreview(entry, window)) {
        win::SetWindowTextW(window, reinterpret_cast<LPCWSTR>(page_text::kProductText));
        return 0;
    }
    HDC dc = given ? given : GetDC(window);
    if (!dc)
        return 0;
    int realised = 0;
    HPALETTE oldPalette = nullptr;
    if (entry.previewPalette) {
        oldPalette = SelectPalette(dc, static_cast<HPALETTE>(entry.previewPalette), forceBackground);
        realised = RealizePalette(dc) != GDI_ERROR ? 1 : 0;
    }
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
        HGDIOBJ old = SelectObject(memory, static_cast<HBITMAP>(entry.previewBitmap));
        RECT client = {};
        GetClientRect(window, &client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    if (oldPalette && given)
        SelectPalette(dc, oldPalette, TRUE); // the caller's DC goes back as it came
    if (!given)
        ReleaseDC(window, dc);
    return realised;
}
