// How the tray menu (menu 102) and the collection menu (menu 122) look for the
// present state: default item, greyed items, check mark, appended names and
// deleted items. The shell applies the plan to the loaded menu.
#pragma once

#include <cstdint>

#include "collection/wallpaper_collection.h"
#include "platform/text.h"

struct TrayMenuState {
    const WallpaperCollection* collection;
    const WallpaperEntry* currentWallpaper;
    int32_t pauseState;
    bool windowVisible;
    int32_t lastManualCommand;
};

struct TrayMenuPlan {
    int32_t defaultCommand;
    bool settingsGreyed;
    bool pauseChecked;
    bool pauseGreyed;
    bool pauseIsCancelAuto; // text becomes "Zruš auto-&pauzu"
    bool reapplyGreyed;
    char16_t reapplyName[plat::kPathUnits]; // appended as " (name)" when not empty
    bool changesGreyed;                     // 40002, 40003, 40006
    bool deleteRandomAndNext;               // 40002 and 40003 are removed
    bool previousIsEmptyText;               // 40006 reads "žádné plochar v kolekci"
    char16_t nextName[plat::kPathUnits];
    char16_t previousName[plat::kPathUnits];
};

TrayMenuPlan planTrayMenu(const TrayMenuState& state);

// The command a double-click on the tray icon runs, or 0 for none.
int32_t doubleClickCommand(const TrayMenuState& state);

// Menu 122.
inline constexpr int32_t kCmdRemoveMissing = 40014;
inline constexpr int32_t kCmdMru1 = 40017;

struct CollectionMenuPlan {
    bool removeMissingGreyed;
    bool keepMru[3];
    bool recentSubmenuGreyed;
};

CollectionMenuPlan planCollectionMenu(int32_t entryCount, const char16_t (*mru)[plat::kPathUnits]);

// Text of a tray item with a name appended: "<item> (<name>)", bounded.
void appendNameToItem(char16_t* item, size_t units, const char16_t* name);
