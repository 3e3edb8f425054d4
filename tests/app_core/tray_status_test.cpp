// The tray's icon and tooltip for every boundary of the Czech plural rule and
// every paused state, and the bounded formatter behind them.
#include <gtest/gtest.h>

#include <string>

#include "app_core/format_text.h"
#include "app_core/tray_status.h"

namespace {

TEST(TrayStatusTest, MinutesAndHoursFollowThePluralRule) {
    const std::pair<int32_t, std::u16string> cases[] = {
        {1, u"1 minutu"},      {2, u"2 minuty"},      {4, u"4 minuty"},     {5, u"5 minut"},
        {59, u"59 minut"},     {60, u"1 hodinu"},     {61, u"1:01 hodin"},  {90, u"1:30 hodin"},
        {120, u"2 hodiny"},    {240, u"4 hodiny"},    {241, u"4:01 hodin"}, {300, u"5 hodin"},
        {0, u"0 hodin"},       {6000, u"100 hodin"},  {-65, u"-1:05 hodin"}, // never "-1:-5"
    };
    for (const auto& [m, text] : cases) {
        const TrayStatus s = trayStatus(m, 0, 3, 0, 1);
        EXPECT_EQ(std::u16string(s.tip), u"Plochar: změna za " + text + u".") << m;
        EXPECT_EQ(s.icon, kIconRunning) << m;
    }
    EXPECT_EQ(std::u16string(trayStatus(INT32_MIN, 0, 3, 0, 1).tip), u"Plochar: změna za -35791394:08 hodin.");
}

TEST(TrayStatusTest, PausedStatesShowThePausedIconWithTheirReason) {
    // The open window wins over everything, then an empty collection, then the pause kind.
    const struct {
        int32_t open, entries, pause, periodic, icon;
        std::u16string tip;
    } cases[] = {
        {1, 5, 0, 1, kIconPaused, u"Plochar: činnost pozastavena - otevřené konfigurační okno."},
        {1, 0, 2, 1, kIconPaused, u"Plochar: činnost pozastavena - otevřené konfigurační okno."},
        {0, 0, 1, 1, kIconPaused, u"Plochar: činnost pozastavena - žádné plochar v kolekci."},
        {0, 0, 0, 0, kIconPaused, u"Plochar: činnost pozastavena - žádné plochar v kolekci."},
        {0, 5, 1, 0, kIconPaused, u"Plochar: činnost pozastavena."},
        {0, 5, 2, 1, kIconPaused, u"Plochar: automatická pauza aktivována."},
        {0, 5, 0, 0, kIconRunning, u"Plochar: další změna zakázána."},
    };
    for (const auto& c : cases) {
        const TrayStatus s = trayStatus(10, c.open, c.entries, c.pause, c.periodic);
        EXPECT_EQ(std::u16string(s.tip), c.tip) << c.open << c.entries << c.pause << c.periodic;
        EXPECT_EQ(s.icon, c.icon) << c.open << c.entries << c.pause << c.periodic;
    }
    const TrayStatus change = busyTrayStatus(false);
    EXPECT_EQ(change.icon, kIconBusy);
    EXPECT_EQ(std::u16string(change.tip), u"Plochar: čekejte prosím, právě zobrazuji tapetu...");
    // The logo text is longer than the tip: cut to its 63 units.
    EXPECT_EQ(std::u16string(busyTrayStatus(true).tip),
              std::u16string(u"Plochar: čekejte prosím, právě vytvářím startovní logo Windows...").substr(0, 63));
}

TEST(FormatTextTest, PlaceholdersAndBounds) {
    char16_t out[40];
    formatText(out, 40, u"Nelze otevřít koleci \"%s\".", FormatArg(u"a.plk"));
    EXPECT_EQ(std::u16string(out), u"Nelze otevřít koleci \"a.plk\".");
    formatText(out, 40, u"%i:%02i|%i%%", 7, 3);
    EXPECT_EQ(std::u16string(out), u"7:03|%");
    char16_t small[6];
    EXPECT_EQ(formatText(small, 6, u"Bylo %i tapet", 123456), 5u);
    EXPECT_EQ(std::u16string(small), u"Bylo ");
}

} // namespace
