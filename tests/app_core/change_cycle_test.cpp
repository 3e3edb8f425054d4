// What holds the change and logo countdowns. Counting down and changing are
// driven through the real window under Wine.
#include <gtest/gtest.h>

#include "app_core/change_cycle.h"

namespace {

bool g_saver = false;
bool saverRunning() { return g_saver; }

TEST(ChangeCycleTest, StandsStillOrWaitsWhileSomethingHoldsIt) {
    // Paused, automatic pause, window open, periodic change off, nothing to show.
    for (int k = 0; k < 5; ++k) {
        const ChangeTickInput in{k == 0 ? 1 : k == 1 ? 2 : 0, k == 2, k != 3, k == 4 ? 0 : 3, false, 5, false};
        int32_t countdown = 1;
        EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::Idle) << k;
        EXPECT_EQ(countdown, 1) << k;
    }
    // The tray menu, a running operation and a screen saver hold a due change
    // at 1 minute after minute, even one that an interval of 0 made due.
    for (int holder = 0; holder < 3; ++holder)
        for (int32_t before : {1, 1, 0}) {
            const ChangeTickInput in{0, false, 1, 3, holder == 0, 5, holder == 1};
            g_saver = holder == 2;
            int32_t countdown = before;
            EXPECT_EQ(changeCycleTick(countdown, in, saverRunning), TickOutcome::Counted) << holder;
            EXPECT_EQ(countdown, 1) << holder;
        }
    g_saver = false;
}

TEST(LogoCountdownTest, WaitsForItsConditionsTheOpenMenuAndARunningOperation) {
    const LogoTickInput in{0, 1, false, 2, false, false};
    for (int holder = 0; holder < 2; ++holder) {
        LogoTickInput held = in;
        held.trayMenuOpen = holder == 0;
        held.busy = holder == 1;
        int32_t countdown = holder; // 1, or 0 for a delay of 0
        EXPECT_EQ(logoTick(countdown, held), LogoOutcome::Counted) << holder;
        EXPECT_EQ(countdown, 1) << holder;
        EXPECT_EQ(logoTick(countdown, in), LogoOutcome::BuildNow);
    }
    const struct {
        int32_t pause, waits;
        bool visible;
        LogoOutcome expected;
    } cases[] = {{1, 1, false, LogoOutcome::Idle}, {1, 0, false, LogoOutcome::BuildNow},
                 {2, 0, false, LogoOutcome::Idle}, {0, 1, true, LogoOutcome::Idle}};
    for (const auto& c : cases) {
        int32_t countdown = 1;
        EXPECT_EQ(logoTick(countdown, LogoTickInput{c.pause, c.waits, c.visible, 2, false, false}), c.expected)
            << c.pause << c.waits << c.visible;
    }
}

} // namespace
