// The program's options: one fixed record of 32-bit fields that every part
// reads directly and that is stored whole in the registry (value Nastaveni).
// Its layout is shared with older versions of the program, so fields are
// never reordered; newer versions only append.
#pragma once

#include <cstddef>
#include <cstdint>

struct AppSettingsRecord {
    int32_t showPreview;
    int32_t previewIconSample;
    int32_t autoStretch;
    int32_t reduceColours;
    int32_t confirmRemove;
    int32_t showWaitNotice;
    int32_t makeLogo;
    int32_t fastLogo;
    int32_t changeAtStart;
    int32_t logoDelayMinutes;
    int32_t intervalMinutes;
    int32_t PauseState; // 0 running, 1 paused by the user, 2 automatic pause
    int32_t lowerPriority;
    int32_t logoWaitsForUnpause;
    int32_t lastManualCommand; // ChangeMode of the last change chosen from the tray
    int32_t changeOrder;       // ChangeMode of the automatic changes
    uint32_t customColours[16];
    // Added by the second record version (136 bytes).
    int32_t activeDesktopFix;
    int32_t autoPauseForegroundOnly;
    // Added by the current version (140 bytes).
    int32_t periodicChange;
};

// Record sizes of the three versions that wrote the value.
inline constexpr uint32_t kSettingsSizeOldest = 128; // "Plochar 2.01"
inline constexpr uint32_t kSettingsSizeMiddle = 136; // "Plochar 2.10"
inline constexpr uint32_t kSettingsSize = 140;       // "Plochar 2.12"

static_assert(sizeof(AppSettingsRecord) == kSettingsSize, "the stored record is 140 bytes");
static_assert(offsetof(AppSettingsRecord, customColours) == 64);
static_assert(offsetof(AppSettingsRecord, activeDesktopFix) == kSettingsSizeOldest);
static_assert(offsetof(AppSettingsRecord, periodicChange) == kSettingsSizeMiddle);

enum PauseStateValue : int32_t { kRunning = 0, kPausedByUser = 1, kAutoPaused = 2 };

extern AppSettingsRecord AppSettings;

// Every field at its default: the state of a first start.
AppSettingsRecord defaultSettings();

// Options added for today's Windows: several monitors, full-screen programs,
// battery saver and the orientation photos carry. They live in a registry
// value of their own, never in the record above, so that older versions
// still read everything they wrote. Fields are only appended; each is 0 or 1.
struct ExtraSettingsRecord {
    int32_t nextPicturePerMonitor; // each further monitor shows the next picture
    int32_t pauseForFullScreen;    // no change while a full-screen program is in front
    int32_t pauseOnBatterySaver;   // no change while the battery saver is on
    int32_t uprightPhotos;         // photos are turned by their EXIF orientation
};

extern ExtraSettingsRecord ExtraSettings;

// The options of a first start (newUser) or of a user whose settings predate
// them: the pause for full-screen programs is offered to new users only, so
// that an update does not change what an existing user sees.
ExtraSettingsRecord defaultExtraSettings(bool newUser);
