#include "app_core/app_state.h"

#include <cstring>
#include <new>

#include "settings/settings_store.h"

WallpaperCollection ActiveCollection;
WallpaperCollection SavedCollection;
char16_t CollectionFileName[plat::kPathUnits] = {};
int32_t ChangeCountdown = 0;
int32_t LogoCountdown = 0;
std::atomic<int32_t> BusyFlag{0};
bool PresencePause = false;
bool TrayMenuOpen = false;
bool SaveAsIfUnnamed = true;

AppSettingsRecord SettingsSnapshot = defaultSettings();
ExtraSettingsRecord ExtraSettingsSnapshot = defaultExtraSettings(true);
std::unique_ptr<char16_t[]> AutoPauseSnapshot;

void takeSettingsSnapshots() {
    SettingsSnapshot = AppSettings;
    ExtraSettingsSnapshot = ExtraSettings;
    AutoPauseSnapshot.reset();
    if (AutoPauseList && AutoPauseList[0]) {
        size_t n = plat::textLength(AutoPauseList.get()) + 1;
        AutoPauseSnapshot.reset(new (std::nothrow) char16_t[n]);
        if (AutoPauseSnapshot)
            plat::copyText(AutoPauseSnapshot.get(), n, AutoPauseList.get());
    }
}

void takeSnapshots() {
    takeSettingsSnapshots();
    SavedCollection = ActiveCollection;
}

bool isChanged() {
    if (std::memcmp(&AppSettings, &SettingsSnapshot, sizeof(AppSettingsRecord)) != 0 ||
        std::memcmp(&ExtraSettings, &ExtraSettingsSnapshot, sizeof(ExtraSettingsRecord)) != 0)
        return true;
    // The snapshot of an empty list is null, so an empty list compares as
    // null: otherwise a cleared list would count as a change for ever.
    const char16_t* list = AutoPauseList && AutoPauseList[0] ? AutoPauseList.get() : nullptr;
    const char16_t* saved = AutoPauseSnapshot.get();
    if ((list == nullptr) != (saved == nullptr))
        return true;
    if (list && plat::compareText(list, saved) != 0)
        return true;
    return !ActiveCollection.equals(SavedCollection);
}
