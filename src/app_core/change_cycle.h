// The decisions of the change cycle: the minute countdowns, postponing, the
// manual commands and the pause toggle. The window procedure only carries
// them out.
#pragma once

#include <cstdint>

// Tray commands of menu 102 and the cancel popup.
enum TrayCommand : int32_t {
    kCmdSettings = 40001,
    kCmdRandom = 40002,
    kCmdNext = 40003,
    kCmdQuit = 40004,
    kCmdPrevious = 40006,
    kCmdPause = 40007,
    kCmdHelp = 40008,
    kCmdSave = 40012,
    kCmdSaveAs = 40013,
    kCmdReapply = 40015,
    kCmdCancelWork = 40016,
};

// What the minute timer of the change cycle sees.
struct ChangeTickInput {
    int32_t pauseState;
    bool windowVisible;
    int32_t periodicChange;
    int32_t entryCount;
    bool trayMenuOpen;
    int32_t intervalMinutes;
    bool busy;          // a long operation runs (this tick arrived from inside it)
    bool presencePause; // the automatic pause is one for a full-screen program or the battery saver
};

enum class TickOutcome {
    Idle,      // standing still: nothing changed, the tray stays as it is
    Counted,   // one minute less; update the tray
    ChangeDue, // the countdown restarted: change the picture, then update the tray
};

// One tick of timer 2. countdown is ChangeCountdown. The screen-saver and
// lock tests are asked only when the countdown has just run out.
using ScreenSaverTest = bool (*)();
TickOutcome changeCycleTick(int32_t& countdown, const ChangeTickInput& in, ScreenSaverTest screenSaverRunning,
                            ScreenSaverTest workstationLocked = nullptr);

struct LogoTickInput {
    int32_t pauseState;
    int32_t logoWaitsForUnpause;
    bool windowVisible;
    int32_t entryCount;
    bool trayMenuOpen;
    bool busy;
};

enum class LogoOutcome { Idle, Counted, BuildNow };

LogoOutcome logoTick(int32_t& countdown, const LogoTickInput& in);

// The change mode of the automatic changes: a stored order other than 0-2
// (a damaged or foreign record) is random, as the settings page shows it.
int32_t automaticChangeMode(int32_t changeOrder);

// The change mode of a manual change command, or -1 for other commands.
int32_t manualChangeMode(int32_t command);

// 0 -> 1, 1 -> 0, 2 (automatic pause) -> 0.
int32_t toggledPauseState(int32_t pauseState);
