#include "app_core/tray_menu_plan.h"

#include "app_core/change_cycle.h"
#include "settings/app_settings.h"

namespace {

int32_t commandForMode(int32_t mode) { return mode == 2 ? kCmdPrevious : mode == 1 ? kCmdNext : kCmdRandom; }

void nameOf(const WallpaperEntry* e, char16_t* out) {
    out[0] = 0;
    if (e && e->hasPath())
        plat::fileNamePart(out, plat::kPathUnits, e->path);
}

} // namespace

TrayMenuPlan planTrayMenu(const TrayMenuState& s) {
    TrayMenuPlan p{};
    const int32_t entries = s.collection ? s.collection->entryCount() : 0;
    p.defaultCommand = entries == 0 ? kCmdSettings : commandForMode(s.lastManualCommand);
    p.settingsGreyed = s.windowVisible;
    p.pauseChecked = s.pauseState == kPausedByUser;
    p.pauseIsCancelAuto = s.pauseState == kAutoPaused;
    p.pauseGreyed = s.windowVisible;
    p.reapplyGreyed = !(s.currentWallpaper && s.currentWallpaper->hasPath());
    nameOf(s.currentWallpaper, p.reapplyName);
    p.changesGreyed = !(s.pauseState == kRunning && !s.windowVisible && entries > 0);
    if (entries > 0) {
        // The entries a next or previous change would pick.
        nameOf(s.collection->following(kChangeNext), p.nextName);
        nameOf(s.collection->following(kChangePrevious), p.previousName);
    } else {
        p.deleteRandomAndNext = true;
        p.previousIsEmptyText = true;
    }
    return p;
}

int32_t doubleClickCommand(const TrayMenuState& s) {
    const int32_t entries = s.collection ? s.collection->entryCount() : 0;
    if (entries == 0)
        return kCmdSettings;
    if (s.pauseState != kRunning || s.windowVisible)
        return 0;
    return commandForMode(s.lastManualCommand);
}

CollectionMenuPlan planCollectionMenu(int32_t entryCount, const char16_t (*mru)[plat::kPathUnits]) {
    CollectionMenuPlan p{};
    p.removeMissingGreyed = entryCount == 0;
    bool any = false;
    for (int k = 0; k < 3; ++k) {
        p.keepMru[k] = mru && mru[k][0] != 0;
        any = any || p.keepMru[k];
    }
    p.recentSubmenuGreyed = !any;
    return p;
}

void appendNameToItem(char16_t* item, size_t units, const char16_t* name) {
    plat::appendText(item, units, u" (");
    plat::appendText(item, units, name);
    plat::appendText(item, units, u")");
}
