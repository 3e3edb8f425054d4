// The settings store: AppSettings, the collection's file name, the recently
// used collection files, the last applied picture, the automatic-pause list
// and the last folder, kept in the current user's registry under
// "Software\Vorsan\Plochar 2.12". Settings of the two older versions are
// imported on the first start of this one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/text.h"
#include "settings/app_settings.h"

inline constexpr size_t kMruSlots = 3;
inline constexpr size_t kLastDirUnits = 271;
// A new default list lives in a buffer of this many units, so that the
// settings page can edit it in place.
inline constexpr size_t kDefaultAutoPauseUnits = 500;

// Most recently used collection files; slot 0 is MRU1, the most recent.
extern char16_t MruList[kMruSlots][plat::kPathUnits];
// Window-title substrings that pause the changes, each followed by "\n"; may
// be null.
extern std::unique_ptr<char16_t[]> AutoPauseList;
// The folder last used for adding pictures: kLastDirUnits units, allocated at
// start (null until then, and then nothing is read or written).
extern char16_t* LastDir;
// 1 while the Windows 9x start-up logo has not been backed up yet.
extern int32_t LogoBackupNeeded;

// Which version's key the settings were found under.
enum SettingsSource : int32_t { kSourceNone = 0, kSource201 = 1, kSource210 = 2, kSource212 = 3 };

// Loads everything into the process-wide objects and CollectionFileName
// (name, nameUnits); imports older versions, fills in defaults and writes the
// result back at once. Returns the version the settings came from.
SettingsSource loadSettings(char16_t* name, size_t nameUnits);

// The groups of values saveSettings writes, to be combined.
enum SettingsGroup : uint32_t {
    kSaveSettings = 1,   // Nastaveni and Dalsi
    kSaveLastTapeta = 2, // LastTapeta
    kSaveAutoPause = 4,  // AutoPause
    kSaveName = 8,       // LastKolekce (name) and the recently used files
    kSaveLastDir = 16,   // LastDir
};
void saveSettings(uint32_t groups, const char16_t* name = nullptr);

// Replaces AutoPauseList with a copy of text (null or empty: an empty list).
void setAutoPauseList(const char16_t* text);

// The main window's title for a collection file name: "Plochar - Hory" for
// C:\x\Hory.plk, "Plochar - nová kolekce" for an empty name.
void windowTitleText(const char16_t* collectionName, char16_t* out, size_t units);
