// Stand-ins until the desktop integration is built. They change nothing on
// the desktop, and they say so: nothing here reports success.
#include "desktop/desktop.h"

int ApplyWallpaper(const WallpaperEntry&, int) {
    // No picture reaches the desktop yet: report failure silently, so that
    // current and CurrentWallpaper stay as they were.
    return 0;
}

void RefreshIconLabels(const WallpaperEntry&) {}

WallpaperEntry* BuildStartupLogo(WallpaperCollection&) { return nullptr; }
