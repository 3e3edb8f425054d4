// What holds the countdowns. (Counting and changing are the window tests'.)
#include <gtest/gtest.h>

#include "app_core/change_cycle.h"
#include "settings/app_settings.h"

namespace {

bool g_saver = false;
bool saverRunning() { return g_saver; }

TEST(ChangeCycleTest, StandsStillOrWaitsWhileSomethingHoldsIt) {
    // Paused, automatic pause, window open, periodic change off, nothing to show.
    for (int k = 0; k < 5; ++k) {
        int32_t countdown = 1;
        EXPECT_EQ(changeCycleTick(countdown,
                                  {k == 0 ? 1 : k == 1 ? 2 : 0, k == 2, k != 3, k == 4 ? 0 : 3, false, 5, false, k == 0},
                                  saverRunning),
                  TickOutcome::Idle)
            << k;
    }
    // The tray menu, a running operation, a screen saver and a locked
    // workstation hold a due change at 1.
    for (int holder = 0; holder < 4; ++holder)
        for (int32_t before : {1, 1, 0}) {
            g_saver = holder >= 2;
            int32_t countdown = before;
            EXPECT_EQ(changeCycleTick(countdown, {0, false, 1, 3, holder == 0, 5, holder == 1, false},
                                      holder == 2 ? saverRunning : nullptr, holder == 3 ? saverRunning : nullptr),
                      TickOutcome::Counted);
            EXPECT_EQ(countdown, 1) << holder;
        }
    g_saver = false;
    // An automatic pause for a full-screen program counts down and holds the
    // due change at 1 until it ends; one for a window title stands still.
    for (bool presence : {false, true}) {
        int32_t countdown = 2;
        for (int tick = 0; tick < 3; ++tick)
            changeCycleTick(countdown, {kAutoPaused, false, 1, 3, false, 5, false, presence}, nullptr);
        EXPECT_EQ(countdown, presence ? 1 : 2);
    }
}

TEST(LogoCountdownTest, WaitsForItsConditionsTheOpenMenuAndARunningOperation) {
    const struct {
        int32_t pause, waits;
        bool visible, menu, busy;
        int32_t before;
        LogoOutcome expected;
    } cases[] = {{0, 1, false, true, false, 0, LogoOutcome::Counted}, {0, 1, false, false, true, 1, LogoOutcome::Counted},
                 {0, 1, false, false, false, 1, LogoOutcome::BuildNow}, {1, 1, false, false, false, 1, LogoOutcome::Idle},
                 {1, 0, false, false, false, 1, LogoOutcome::BuildNow}, {2, 0, false, false, false, 1, LogoOutcome::Idle},
                 {0, 1, true, false, false, 1, LogoOutcome::Idle}};
    for (const auto& c : cases) {
        int32_t countdown = c.before;
        EXPECT_EQ(logoTick(countdown, LogoTickInput{c.pause, c.waits, c.visible, 2, c.menu, c.busy}), c.expected)
            << c.pause << c.waits << c.visible << c.menu << c.busy;
        EXPECT_EQ(countdown, c.expected == LogoOutcome::Counted ? 1 : c.expected == LogoOutcome::Idle ? 1 : 0);
    }
}

} // namespace
