// The tray's icon and tooltip at every boundary of the Czech plural rule and
// in every paused state.
#include <gtest/gtest.h>

#include <string>

#include "app_core/tray_status.h"

TEST(TrayStatusTest, MinutesAndHoursFollowThePluralRule) {
    const std::pair<int32_t, std::u16string> cases[] = {
        {1, u"1 minutu"},     {2, u"2 minuty"},   {4, u"4 minuty"},     {5, u"5 minut"},       {59, u"59 minut"},
        {60, u"1 hodinu"},    {61, u"1:01 hodin"}, {120, u"2 hodiny"},  {240, u"4 hodiny"},    {241, u"4:01 hodin"},
        {300, u"5 hodin"},    {6000, u"100 hodin"}, {-65, u"-1:05 hodin"}, // never "-1:-5"
    };
    for (const auto& [m, text] : cases)
        EXPECT_EQ(std::u16string(trayStatus(m, 0, 3, 0, 1).tip), u"Plochar: změna za " + text + u".") << m;
}

TEST(TrayStatusTest, PausedStatesShowThePausedIconWithTheirReason) {
    // The open window wins over everything, then an empty collection, then the pause kind.
    const struct {
        int32_t open, entries, pause, periodic, icon;
        std::u16string tip;
    } cases[] = {
        {1, 0, 2, 1, kIconPaused, u"Plochar: činnost pozastavena - otevřené konfigurační okno."},
        {0, 0, 1, 1, kIconPaused, u"Plochar: činnost pozastavena - žádné plochar v kolekci."},
        {0, 5, 1, 0, kIconPaused, u"Plochar: činnost pozastavena."},
        {0, 5, 2, 1, kIconPaused, u"Plochar: automatická pauza aktivována."},
        {0, 5, 0, 0, kIconRunning, u"Plochar: další změna zakázána."},
    };
    for (const auto& c : cases) {
        const TrayStatus s = trayStatus(10, c.open, c.entries, c.pause, c.periodic);
        EXPECT_EQ(std::u16string(s.tip), c.tip);
        EXPECT_EQ(s.icon, c.icon) << c.open << c.entries << c.pause << c.periodic;
    }
    // The logo text is longer than the tip: cut to its 63 units.
    EXPECT_EQ(std::u16string(busyTrayStatus(true).tip),
              std::u16string(u"Plochar: čekejte prosím, právě vytvářím startovní logo Windows...").substr(0, 63));
}
