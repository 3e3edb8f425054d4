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

ChangeTickInput running(int32_t interval = 30) {
    ChangeTickInput in{};
    in.periodicChange = 1;
    in.entryCount = 4;
    in.intervalMinutes = interval;
    return in;
}

// Ticks until a change is due; returns the tick number of the change.
int ticksUntilChange(int32_t& countdown, const ChangeTickInput& in, int limit = 1000) {
    for (int t = 1; t <= limit; ++t)
        if (changeCycleTick(countdown, in, saverRunning) == TickOutcome::ChangeDue)
            return t;
    return -1;
}

TEST(ChangeCycleTest, ChangesOnTheIntervalsLastTickAndRestarts) {
    g_saver = false;
    int32_t countdown = 30;
    const ChangeTickInput in = running(30);
    EXPECT_EQ(ticksUntilChange(countdown, in), 30);
    EXPECT_EQ(countdown, 30);
    // A manual change at minute 10 restarts the count: 30 more ticks.
    for (int t = 0; t < 10; ++t)
        changeCycleTick(countdown, in, saverRunning);
    countdown = in.intervalMinutes;
    EXPECT_EQ(ticksUntilChange(countdown, in), 30);
}

TEST(ChangeCycleTest, StandsStillWhilePausedOpenDisabledOrEmpty) {
    ChangeTickInput in = running();
    ChangeTickInput paused = in, autoPaused = in, open = in, off = in, empty = in;
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

TEST(ChangeCycleTest, PostponesMinuteByMinuteWhileMenuOpenOrScreenSaver) {
    g_saver = false;
    g_saverAsked = 0;
    ChangeTickInput in = running(5);
    int32_t countdown = 3;
    EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::Counted);
    EXPECT_EQ(g_saverAsked, 0) << "the screen saver is asked only when the change falls due";

    in.trayMenuOpen = true;
    countdown = 1;
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::Counted);
        EXPECT_EQ(countdown, 1);
    }
    in.trayMenuOpen = false;
    g_saver = true;
    EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::Counted);
    EXPECT_EQ(countdown, 1);
    g_saver = false;
    EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::ChangeDue);
    EXPECT_EQ(countdown, 5);
}

TEST(ChangeCycleTest, ACountdownBelowOneChangesAtOnce) {
    // An interval of 0 or a countdown cut by a new interval never hangs at zero.
    int32_t countdown = 0;
    EXPECT_EQ(changeCycleTick(countdown, running(0), saverRunning), TickOutcome::ChangeDue);
    EXPECT_EQ(countdown, 0);
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

    LogoTickInput userPaused = in;
    userPaused.pauseState = 1;
    EXPECT_EQ(logoTick(countdown, userPaused), LogoOutcome::Idle);
    userPaused.logoWaitsForUnpause = 0;
    EXPECT_EQ(logoTick(countdown, userPaused), LogoOutcome::BuildNow) << "it need not wait for the user's pause";

    countdown = 1;
    LogoTickInput autoPaused = in;
    autoPaused.pauseState = 2;
    autoPaused.logoWaitsForUnpause = 0;
    EXPECT_EQ(logoTick(countdown, autoPaused), LogoOutcome::Idle) << "an automatic pause always holds it";
    LogoTickInput open = in;
    open.windowVisible = true;
    EXPECT_EQ(logoTick(countdown, open), LogoOutcome::Idle);
    countdown = 0; // delay 0: the first tick builds
    EXPECT_EQ(logoTick(countdown, in), LogoOutcome::BuildNow);
}

TEST(PauseTest, ToggleAndManualModes) {
    EXPECT_EQ(toggledPauseState(0), 1);
    EXPECT_EQ(toggledPauseState(1), 0);
    EXPECT_EQ(toggledPauseState(2), 0);
    EXPECT_EQ(manualChangeMode(kCmdRandom), 0);
    EXPECT_EQ(manualChangeMode(kCmdNext), 1);
    EXPECT_EQ(manualChangeMode(kCmdPrevious), 2);
    EXPECT_EQ(manualChangeMode(kCmdPause), -1);
}

TEST(CommandLineTest, OnlyAnExactDashDShowsTheWindow) {
    EXPECT_TRUE(showWindowAtStart(u"-d"));
    for (const char16_t* other : {u"-D", u"-d ", u" -d", u"", u"-dd", u"/d"})
        EXPECT_FALSE(showWindowAtStart(other));
    EXPECT_FALSE(showWindowAtStart(nullptr));
}

} // namespace
