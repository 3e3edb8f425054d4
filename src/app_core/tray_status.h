// What the tray icon shows: which icon and which tooltip, decided from the
// countdown, the pause state and the collection.
#pragma once

#include <cstddef>
#include <cstdint>

// Icon resources of the tray.
enum TrayIcon : int32_t { kIconRunning = 101, kIconPaused = 120, kIconBusy = 121 };

// szTip of the first-version NOTIFYICONDATAW: 63 units and the terminator.
inline constexpr size_t kTipUnits = 64;

struct TrayStatus {
    int32_t icon;
    char16_t tip[kTipUnits];
};

// minutes: the countdown; windowOpen: the configuration window is (being) shown;
// entries: entryCount of the collection.
TrayStatus trayStatus(int32_t minutes, int32_t windowOpen, int32_t entries, int32_t pauseState,
                      int32_t periodicChange);

// The tooltip while a long operation runs.
TrayStatus busyTrayStatus(bool buildingLogo);
