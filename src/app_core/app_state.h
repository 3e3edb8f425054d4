// The process-wide state of the running program that is not a setting: the
// collection in use and its snapshot, the countdowns and the busy flags, and
// the snapshots the configuration window compares against.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "collection/wallpaper_collection.h"
#include "platform/text.h"
#include "settings/app_settings.h"

extern WallpaperCollection ActiveCollection;
// Snapshot of ActiveCollection for change detection and Storno.
extern WallpaperCollection SavedCollection;
// File of the active collection; empty for an unnamed collection.
extern char16_t CollectionFileName[plat::kPathUnits];
extern int32_t ChangeCountdown; // minutes until the next automatic change
extern int32_t LogoCountdown;   // minutes until the Windows 9x start-up logo is built
// 1 while a long operation runs; read by the cancel popup's thread.
extern std::atomic<int32_t> BusyFlag;
extern bool TrayMenuOpen;
// The automatic pause holds for a full-screen program or the battery saver
// rather than for a window title (written by the auto-pause check): the
// countdown goes on underneath, so a change that fell due comes when it ends.
extern bool PresencePause;
// Saving an unnamed collection asks for a name; not during shutdown.
extern bool SaveAsIfUnnamed;

// What the configuration window was opened with.
extern AppSettingsRecord SettingsSnapshot;
extern ExtraSettingsRecord ExtraSettingsSnapshot;
extern std::unique_ptr<char16_t[]> AutoPauseSnapshot; // null when the list was null or empty

// Snapshots of the settings (both records), the auto-pause list and the collection.
void takeSnapshots();
// Only the settings and the list (the collection snapshot moves on its own).
void takeSettingsSnapshots();
// Whether anything differs from the snapshots.
bool isChanged();
