// The change countdown, its postponing, the logo countdown and the pause toggle.
#include <gtest/gtest.h>

#include "app_core/change_cycle.h"
#include "app_core/command_line.h"

namespace {

bool g_saver = false;
int g_saverAsked = 0;
bool saverRunning() {
    ++g_saverAsked;
    return g_saver;
}

ChangeTickInput running(int32_t interval) {
    ChangeTickInput in{};
    in.periodicChange = 1;
    in.entryCount = 4;
    in.intervalMinutes = interval;
    return in;
}

TEST(ChangeCycleTest, ChangesOnTheIntervalsLastTickAndRestarts) {
    g_saver = false;
    int32_t countdown = 30;
    for (int round = 0; round < 2; ++round) {
        for (int t = 1; t < 30; ++t)
            ASSERT_EQ(changeCycleTick(countdown, running(30), saverRunning), TickOutcome::Counted) << t;
        EXPECT_EQ(changeCycleTick(countdown, running(30), saverRunning), TickOutcome::ChangeDue);
        EXPECT_EQ(countdown, 30);
    }
    // An interval of 0 or a countdown cut by a new interval never hangs at zero.
    countdown = 0;
    EXPECT_EQ(changeCycleTick(countdown, running(0), saverRunning), TickOutcome::ChangeDue);
    EXPECT_EQ(countdown, 0);
}

TEST(ChangeCycleTest, StandsStillWhilePausedOpenDisabledOrEmpty) {
    ChangeTickInput paused = running(5), autoPaused = paused, open = paused, off = paused, empty = paused;
    paused.pauseState = 1;
    autoPaused.pauseState = 2;
    open.windowVisible = true;
    off.periodicChange = 0;
    empty.entryCount = 0;
    for (const ChangeTickInput& c : {paused, autoPaused, open, off, empty}) {
        int32_t countdown = 1;
        EXPECT_EQ(changeCycleTick(countdown, c, saverRunning), TickOutcome::Idle);
        EXPECT_EQ(countdown, 1);
    }
}

TEST(ChangeCycleTest, ADueChangeWaitsWhileMenuOpenBusyOrScreenSaver) {
    g_saver = false;
    g_saverAsked = 0;
    ChangeTickInput in = running(5);
    int32_t countdown = 3;
    EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::Counted);
    EXPECT_EQ(g_saverAsked, 0) << "the screen saver is asked only when the change falls due";
    // Each holds the countdown at 1 minute after minute while it lasts;
    // a running operation also holds one that an interval of 0 made due.
    for (int holder = 0; holder < 3; ++holder)
        for (int32_t before : {1, 1, 0}) {
            in.trayMenuOpen = holder == 0;
            in.busy = holder == 1;
            g_saver = holder == 2;
            countdown = before;
            EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::Counted) << holder;
            EXPECT_EQ(countdown, 1) << holder;
        }
    in.trayMenuOpen = in.busy = g_saver = false;
    EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::ChangeDue);
    EXPECT_EQ(countdown, 5);
}

TEST(LogoCountdownTest, WaitsForItsConditionsAndTheOpenMenu) {
    LogoTickInput in{};
    in.entryCount = 2;
    in.logoWaitsForUnpause = 1;
    int32_t countdown = 2;
    EXPECT_EQ(logoTick(countdown, in), LogoOutcome::Counted);
    in.trayMenuOpen = true;
    EXPECT_EQ(logoTick(countdown, in), LogoOutcome::Counted);
    EXPECT_EQ(countdown, 1);
    in.trayMenuOpen = false;

    LogoTickInput held = in;
    held.pauseState = 1;
    EXPECT_EQ(logoTick(countdown, held), LogoOutcome::Idle);
    held.logoWaitsForUnpause = 0;
    EXPECT_EQ(logoTick(countdown, held), LogoOutcome::BuildNow) << "it need not wait for the user's pause";

    countdown = 1;
    held.pauseState = 2;
    EXPECT_EQ(logoTick(countdown, held), LogoOutcome::Idle) << "an automatic pause always holds it";
    held = in;
    held.windowVisible = true;
    EXPECT_EQ(logoTick(countdown, held), LogoOutcome::Idle);
    held = in;
    held.busy = true;
    for (int32_t before : {1, 0}) {
        countdown = before;
        EXPECT_EQ(logoTick(countdown, held), LogoOutcome::Counted) << "no logo inside another operation";
        EXPECT_EQ(countdown, 1);
    }
    countdown = 0; // delay 0: the first tick builds
    EXPECT_EQ(logoTick(countdown, in), LogoOutcome::BuildNow);
}

TEST(PauseTest, ToggleManualModesAndCommandLine) {
    EXPECT_EQ(toggledPauseState(0), 1);
    EXPECT_EQ(toggledPauseState(1), 0);
    EXPECT_EQ(toggledPauseState(2), 0);
    EXPECT_EQ(manualChangeMode(kCmdRandom), 0);
    EXPECT_EQ(manualChangeMode(kCmdNext), 1);
    EXPECT_EQ(manualChangeMode(kCmdPrevious), 2);
    EXPECT_EQ(manualChangeMode(kCmdPause), -1);
    // Only an exact "-d" shows the window at start.
    EXPECT_TRUE(showWindowAtStart(u"-d"));
    for (const char16_t* other : {u"-D", u"-d ", u" -d", u"", u"-dd", u"/d", static_cast<const char16_t*>(nullptr)})
        EXPECT_FALSE(showWindowAtStart(other));
}

} // namespace
