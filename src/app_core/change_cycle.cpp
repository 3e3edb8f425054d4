#include "app_core/change_cycle.h"

#include "collection/wallpaper_collection.h"
#include "settings/app_settings.h"

TickOutcome changeCycleTick(int32_t& countdown, const ChangeTickInput& in, ScreenSaverTest screenSaverRunning,
                            ScreenSaverTest workstationLocked) {
    // The countdown stands still while paused, while the window is open and
    // while there is nothing to change to. A pause for a full-screen program
    // or the battery saver only holds the change: the picture that fell due
    // meanwhile comes as soon as the game or the presentation ends.
    const bool holdOnly = in.pauseState == kAutoPaused && in.presencePause;
    if ((in.pauseState != kRunning && !holdOnly) || in.windowVisible || !in.periodicChange || in.entryCount <= 0)
        return TickOutcome::Idle;
    --countdown;
    // A change that falls due while the user works in the tray menu, while
    // another operation is still running, while a screen saver runs or while
    // the workstation is locked (nobody sees it; it comes after the unlock)
    // waits another minute.
    if (countdown < 1 && (holdOnly || in.trayMenuOpen || in.busy || (screenSaverRunning && screenSaverRunning()) ||
                          (workstationLocked && workstationLocked())))
        countdown = 1;
    if (countdown < 1) {
        countdown = in.intervalMinutes;
        return TickOutcome::ChangeDue;
    }
    return TickOutcome::Counted;
}

LogoOutcome logoTick(int32_t& countdown, const LogoTickInput& in) {
    if (in.pauseState == kAutoPaused || (in.logoWaitsForUnpause && in.pauseState != kRunning) || in.windowVisible ||
        in.entryCount <= 0)
        return LogoOutcome::Idle;
    --countdown;
    if ((in.trayMenuOpen || in.busy) && countdown < 1)
        countdown = 1;
    return countdown <= 0 ? LogoOutcome::BuildNow : LogoOutcome::Counted;
}

int32_t automaticChangeMode(int32_t changeOrder) {
    return changeOrder == kChangeNext || changeOrder == kChangePrevious ? changeOrder : kChangeRandom;
}

int32_t manualChangeMode(int32_t command) {
    switch (command) {
    case kCmdRandom: return 0;
    case kCmdNext: return 1;
    case kCmdPrevious: return 2;
    default: return -1;
    }
}

int32_t toggledPauseState(int32_t pauseState) { return pauseState == kRunning ? kPausedByUser : kRunning; }
