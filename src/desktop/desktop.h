// What the application core asks of the desktop: putting a picture on it,
// keeping the icon labels coloured and building the Windows 9x start-up logo.
// The core calls these and nothing else of the desktop.
#pragma once

#include <cstdint>

#include "collection/wallpaper_collection.h"

// Set once the desktop integration has started COM (Active Desktop); the
// process entry ends COM before it returns.
extern bool ComInitialized;

// Puts entry on the desktop; returns an ApplyResult (collection/
// wallpaper_collection.h). allowAbort lets keyboard and mouse input cancel as
// well as the cancel popup.
int ApplyWallpaper(const WallpaperEntry& entry, int allowAbort);

// How many monitors the desktop has now (1 where the system cannot tell).
int32_t MonitorCount();

// Re-asserts the desktop icon label colours of entry; called once a second.
void RefreshIconLabels(const WallpaperEntry& entry);

// Builds "logo.sys" from a random picture of the collection. Returns the
// picture used, or null when the logo could not be built.
WallpaperEntry* BuildStartupLogo(WallpaperCollection& collection);
