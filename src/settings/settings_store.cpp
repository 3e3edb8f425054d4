#include "settings/settings_store.h"

#include <cstring>
#include <new>

#include "collection/wallpaper_entry.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/working_folder.h"
#include "settings/settings_texts.h"

AppSettingsRecord AppSettings = defaultSettings();
ExtraSettingsRecord ExtraSettings = defaultExtraSettings(true);
char16_t MruList[kMruSlots][plat::kPathUnits] = {};
std::unique_ptr<char16_t[]> AutoPauseList;
char16_t* LastDir = nullptr;
int32_t LogoBackupNeeded = 1;

namespace {

constexpr char16_t kVendorKey[] = u"Software\\Vorsan";
constexpr char16_t kKey212[] = u"Plochar 2.12";
constexpr char16_t kKey210[] = u"Plochar 2.10";
constexpr char16_t kKey201[] = u"Plochar 2.01";
constexpr char16_t kDesktopKey[] = u"Control Panel\\Desktop";

constexpr char16_t kValueCollection[] = u"LastKolekce";
constexpr char16_t kValueMru[kMruSlots][5] = {u"MRU1", u"MRU2", u"MRU3"};
constexpr char16_t kValueLastPicture[] = u"LastTapeta";
constexpr char16_t kValueSettings[] = u"Nastaveni";
constexpr char16_t kValueExtra[] = u"Dalsi";
constexpr char16_t kValueAutoPause[] = u"AutoPause";
constexpr char16_t kValueLastDir[] = u"LastDir";
constexpr char16_t kValueWallpaper[] = u"Wallpaper";
constexpr char16_t kValueLogoSaved[] = u"LogoSaved";

constexpr uint32_t kRegExpandSz = 2;

// A stored picture record larger than this is not ours.
constexpr uint32_t kMaxEntryRecord = 2048;

// Reads a string value into a buffer of `units` units; a value that does not
// fit, is not a string or lacks its terminator counts as missing and leaves
// the buffer empty.
bool readString(plat::Registry& reg, plat::RegKey key, const char16_t* name, char16_t* out, size_t units) {
    if (!out || units == 0)
        return false;
    uint32_t type = 0;
    uint32_t size = static_cast<uint32_t>(units * sizeof(char16_t));
    if (!reg.readValue(key, name, &type, out, &size) || (type != plat::kRegSz && type != kRegExpandSz)) {
        out[0] = 0;
        return false;
    }
    // Strings stored without their terminator are cut at the last whole unit
    // that still leaves room for one.
    size_t n = size / sizeof(char16_t);
    if (n >= units)
        n = units - 1;
    out[n] = 0;
    return true;
}

void writeString(plat::Registry& reg, plat::RegKey key, const char16_t* name, const char16_t* text) {
    const char16_t* t = text ? text : u"";
    uint32_t bytes = static_cast<uint32_t>((plat::textLength(t) + 1) * sizeof(char16_t));
    reg.writeValue(key, name, plat::kRegSz, t, bytes);
}

// Whether the system wallpaper is still the picture this program wrote.
bool desktopShowsOurPicture(plat::Registry& reg) {
    char16_t ours[plat::kPathUnits];
    if (!plat::workingFolderFile(u"desktop.bmp", ours, plat::kPathUnits))
        return false;
    plat::RegKey desktop = reg.openKey(plat::Hive::CurrentUser, nullptr, kDesktopKey);
    if (!desktop)
        return false;
    char16_t wallpaper[plat::kPathUnits];
    bool read = readString(reg, desktop, kValueWallpaper, wallpaper, plat::kPathUnits);
    reg.closeKey(desktop);
    return read && plat::compareTextNoCase(wallpaper, ours) == 0;
}

bool readLastPicture(plat::Registry& reg, plat::RegKey key) {
    // parse is given the full record size; the unused tail stays zero.
    std::unique_ptr<uint8_t[]> record(new (std::nothrow) uint8_t[kMaxEntryRecord]());
    if (!record)
        return false;
    uint32_t type = 0;
    uint32_t size = kMaxEntryRecord;
    if (!reg.readValue(key, kValueLastPicture, &type, record.get(), &size))
        return false;
    return CurrentWallpaper.parse(record.get(), static_cast<int32_t>(kMaxEntryRecord));
}

// Reads AutoPause into a new list sized by the stored value. True when the
// value exists, even when memory ran out (the list then stays as it was).
bool readAutoPauseList(plat::Registry& reg, plat::RegKey key) {
    uint32_t size = 0;
    if (!reg.valueSize(key, kValueAutoPause, &size))
        return false;
    if (size > 1u << 24) // far beyond anything the settings page writes
        return true;
    size_t units = size + 1; // size * 2 + 2 bytes
    std::unique_ptr<char16_t[]> list(new (std::nothrow) char16_t[units]());
    if (!list)
        return true;
    // A value that is not a string counts as missing and gets the default list.
    if (!readString(reg, key, kValueAutoPause, list.get(), units))
        return false;
    AutoPauseList = std::move(list);
    return true;
}

// Reads Dalsi over the defaults. A shorter value (an older version of it)
// leaves the later fields at their defaults, a longer one (a newer version's, up to
// 16 fields) gives what this one knows; anything that is not a switch is ignored.
void readExtraSettings(plat::Registry& reg, plat::RegKey key) {
    int32_t fields[16] = {};
    uint32_t type = 0;
    uint32_t size = sizeof fields;
    if (!reg.readValue(key, kValueExtra, &type, fields, &size) || type != plat::kRegBinary)
        return;
    int32_t* out = &ExtraSettings.nextPicturePerMonitor;
    const size_t known = sizeof(ExtraSettingsRecord) / sizeof(int32_t);
    for (size_t i = 0; i < known && (i + 1) * sizeof(int32_t) <= size; ++i)
        if (fields[i] == 0 || fields[i] == 1)
            out[i] = fields[i];
}

// A stored interval below one minute would change the picture at every tick
// and show a nonsense countdown.
void keepIntervalInRange() {
    if (AppSettings.intervalMinutes < 1)
        AppSettings.intervalMinutes = 1;
}

void updateLogoBackupFlag(plat::Registry& reg) {
    LogoBackupNeeded = 1;
    plat::RegKey vendor = reg.createKey(plat::Hive::LocalMachine, nullptr, kVendorKey);
    if (!vendor)
        return;
    plat::RegKey key = reg.createKey(plat::Hive::LocalMachine, vendor, kKey201);
    if (key) {
        uint32_t value = 0;
        uint32_t type = 0;
        uint32_t size = sizeof(value);
        if (reg.readValue(key, kValueLogoSaved, &type, &value, &size) && size == sizeof(value) &&
            (value == 1 || value == 2))
            LogoBackupNeeded = 0;
        reg.closeKey(key);
    }
    reg.closeKey(vendor);
}

} // namespace

AppSettingsRecord defaultSettings() {
    AppSettingsRecord s;
    std::memset(&s, 0, sizeof(s));
    s.showPreview = 1;
    s.previewIconSample = 1;
    s.autoStretch = 1;
    s.reduceColours = 1;
    s.confirmRemove = 1;
    s.showWaitNotice = 1;
    s.makeLogo = 0;
    s.fastLogo = 0;
    s.changeAtStart = 1;
    s.logoDelayMinutes = 3;
    s.intervalMinutes = 30;
    s.PauseState = kRunning;
    s.lowerPriority = 1;
    s.logoWaitsForUnpause = 1;
    s.lastManualCommand = 0;
    s.changeOrder = 0;
    for (uint32_t& c : s.customColours)
        c = 0xFFFFFFFFu;
    s.activeDesktopFix = 0;
    s.autoPauseForegroundOnly = 0;
    s.periodicChange = 1;
    return s;
}

ExtraSettingsRecord defaultExtraSettings(bool newUser) {
    ExtraSettingsRecord s;
    s.nextPicturePerMonitor = 0;
    s.pauseForFullScreen = newUser ? 1 : 0;
    s.pauseOnBatterySaver = 0;
    s.uprightPhotos = 1;
    return s;
}

void setAutoPauseList(const char16_t* text) {
    size_t n = text ? plat::textLength(text) : 0;
    std::unique_ptr<char16_t[]> list(new (std::nothrow) char16_t[n + 1]());
    if (list)
        plat::copyText(list.get(), n + 1, text);
    AutoPauseList = std::move(list);
}

SettingsSource loadSettings(char16_t* name, size_t nameUnits) {
    plat::Registry& reg = plat::activeRegistry();
    int32_t version = kSourceNone;
    plat::RegKey vendor = reg.openKey(plat::Hive::CurrentUser, nullptr, kVendorKey);
    plat::RegKey key = nullptr;
    if (vendor) {
        const char16_t* const names[] = {kKey212, kKey210, kKey201};
        for (int i = 0; i < 3 && !key; ++i) {
            key = reg.openKey(plat::Hive::CurrentUser, vendor, names[i]);
            if (key)
                version = kSource212 - i;
        }
    }
    const SettingsSource source = static_cast<SettingsSource>(version);
    ExtraSettings = defaultExtraSettings(source == kSourceNone);
    if (key)
        readExtraSettings(reg, key);

    bool nameRead = false, lastRead = false, listRead = false, settingsRead = false;
    if (version >= kSource201) {
        nameRead = readString(reg, key, kValueCollection, name, nameUnits);
        for (size_t k = 0; k < kMruSlots; ++k) {
            MruList[k][0] = 0;
            readString(reg, key, kValueMru[k], MruList[k], plat::kPathUnits);
        }
        if (desktopShowsOurPicture(reg))
            lastRead = readLastPicture(reg, key);
    }
    if (version >= kSource210) {
        readString(reg, key, kValueLastDir, LastDir, LastDir ? kLastDirUnits : 0);
        listRead = readAutoPauseList(reg, key);
    }
    if (version >= kSource201) {
        const uint32_t expected = version == kSource212   ? kSettingsSize
                                  : version == kSource210 ? kSettingsSizeMiddle
                                                          : kSettingsSizeOldest;
        // Read into a copy so that a value of the wrong size leaves nothing behind.
        AppSettingsRecord read = AppSettings;
        uint32_t type = 0;
        uint32_t size = kSettingsSize;
        if (reg.readValue(key, kValueSettings, &type, &read, &size) && size == expected) {
            AppSettings = read;
            settingsRead = true;
        }

    }
    if (key)
        reg.closeKey(key);
    if (vendor)
        reg.closeKey(vendor);

    updateLogoBackupFlag(reg);

    if (version == kSource212 && nameRead && lastRead && settingsRead) {
        keepIntervalInRange();
        return source;
    }
    if (version == kSource201 || version == kSource210)
        plat::messageBox(nullptr, settings_texts::kImported, settings_texts::kCaption, plat::kMbIconWarning);

    if (!nameRead && name && nameUnits)
        name[0] = 0;
    if (!lastRead)
        CurrentWallpaper = WallpaperEntry();
    if (!listRead) {
        std::unique_ptr<char16_t[]> list(new (std::nothrow) char16_t[kDefaultAutoPauseUnits]());
        if (list)
            plat::copyText(list.get(), kDefaultAutoPauseUnits, settings_texts::kDefaultAutoPause);
        AutoPauseList = std::move(list);
    }
    if (!settingsRead) {
        AppSettings = defaultSettings();
        version = kSource201;
    }
    if (version == kSource201) {
        AppSettings.activeDesktopFix = 0;
        AppSettings.autoPauseForegroundOnly = 0;
        version = kSource210;
    }
    if (version == kSource210) {
        // Older versions had no switch: interval 0 meant "never change".
        if (AppSettings.intervalMinutes != 0) {
            AppSettings.periodicChange = 1;
        } else {
            AppSettings.intervalMinutes = 30;
            AppSettings.periodicChange = 0;
        }
    }
    keepIntervalInRange();
    // An import also brings the collection and the recent files: write them
    // now, not only at exit, so that a crash does not lose them.
    const bool imported = source == kSource201 || source == kSource210;
    saveSettings(kSaveSettings | kSaveLastTapeta | kSaveAutoPause | kSaveLastDir | (imported ? kSaveName : 0u), name);
    return source;
}

void saveSettings(uint32_t groups, const char16_t* name) {
    plat::Registry& reg = plat::activeRegistry();
    plat::RegKey vendor = reg.createKey(plat::Hive::CurrentUser, nullptr, kVendorKey);
    if (!vendor)
        return;
    plat::RegKey key = reg.createKey(plat::Hive::CurrentUser, vendor, kKey212);
    if (!key) {
        reg.closeKey(vendor);
        return;
    }
    if (groups & kSaveName) {
        writeString(reg, key, kValueCollection, name ? name : u"");
        for (size_t k = 0; k < kMruSlots; ++k)
            writeString(reg, key, kValueMru[k], MruList[k]);
    }
    if ((groups & kSaveLastTapeta) && CurrentWallpaper.hasPath()) {
        int32_t length = 0;
        std::unique_ptr<uint8_t[]> record = CurrentWallpaper.serialize(&length);
        if (record && length > 0)
            reg.writeValue(key, kValueLastPicture, plat::kRegBinary, record.get(), static_cast<uint32_t>(length));
    }
    if (groups & kSaveSettings) {
        // An automatic pause belongs to this run only: it is stored as running.
        AppSettingsRecord stored = AppSettings;
        if (stored.PauseState == kAutoPaused)
            stored.PauseState = kRunning;
        reg.writeValue(key, kValueSettings, plat::kRegBinary, &stored, kSettingsSize);
        reg.writeValue(key, kValueExtra, plat::kRegBinary, &ExtraSettings, sizeof ExtraSettings);
    }
    if (groups & kSaveAutoPause)
        writeString(reg, key, kValueAutoPause, AutoPauseList ? AutoPauseList.get() : u"");
    if ((groups & kSaveLastDir) && LastDir)
        writeString(reg, key, kValueLastDir, LastDir);
    reg.closeKey(key);
    reg.closeKey(vendor);
}

void windowTitleText(const char16_t* collectionName, char16_t* out, size_t units) {
    if (!out || units == 0)
        return;
    if (!collectionName || !collectionName[0]) {
        plat::copyText(out, units, settings_texts::kTitleNewCollection);
        return;
    }
    char16_t shortName[plat::kPathUnits];
    plat::fileNamePart(shortName, plat::kPathUnits, collectionName);
    plat::copyText(out, units, settings_texts::kTitlePrefix);
    plat::appendText(out, units, shortName);
}
