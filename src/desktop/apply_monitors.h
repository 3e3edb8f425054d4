// Putting a picture on a desktop of several monitors, each monitor showing
// it (or, with the setting, the next pictures of the collection) as a
// single screen of its size would. One monitor takes ApplyWallpaper's own
// path unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "collection/wallpaper_entry.h"
#include "desktop_core/monitor_layout.h"

// Beside ApplyWallpaper's ApplyResults.
enum : int {
    kOneMonitor = -1,      // nothing done: one monitor, shown as always
    kShownPerMonitor = -2, // every monitor got its own file (Windows 8 on)
};

// The monitors of the desktop in virtual-screen coordinates; one (the
// primary screen) where the system cannot list them (Windows 95, NT 4).
std::vector<desk::MonitorRect> listMonitors();

// With more than one monitor: on Windows 8 and later every monitor gets its
// own fitted file (primaryPath, desktop.bmp, for the primary; desktop-2.bmp
// ... beside it for the others) through the system's per-monitor wallpaper; elsewhere temp gets
// one picture of the whole virtual screen, arranged for tiling, *style
// becomes tiled and kApplied is returned for the caller to show it. Failures
// are told to the user (kApplyFailed); kApplyCancelled when cancelled.
int applyToMonitors(const WallpaperEntry& entry, const char16_t* primaryPath, const char16_t* temp, int32_t* style,
                    int allowAbort);

// Tests pretend to have these monitors (null: the system's again).
void overrideMonitors(const desk::MonitorRect* monitors, size_t count);
