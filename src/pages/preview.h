// The preview of an entry's picture on the collection page: rendered once at
// the control's size into a screen bitmap cached in the entry, then only
// copied to the control. The entry owns the GDI objects (releasePreview).
#pragma once

#include <windows.h>

#include "collection/wallpaper_entry.h"

// 1 when the entry holds a new preview; 0 when not (previewInfo says why, or
// stays as it was for an entry without a path).
int buildPreview(WallpaperEntry& entry, HWND window);

// Copies the cached preview (built first when there is none) to the window,
// through dc or the window's own DC. 1 when a preview palette was realised.
// Without a preview the window shows the product text.
int paintPreview(WallpaperEntry& entry, HWND window, BOOL forceBackground, HDC dc = nullptr);

// Whether pictures are shown through a palette on this display.
bool isPaletteDisplay(HDC dc);
