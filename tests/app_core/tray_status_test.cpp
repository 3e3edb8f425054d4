// The tray's icon and tooltip for every boundary of the Czech plural rule and
// every paused state.
#include <gtest/gtest.h>

#include <string>

#include "app_core/format_text.h"
#include "app_core/tray_status.h"

namespace {

std::u16string tipFor(int32_t minutes) { return trayStatus(minutes, 0, 5, 0, 1).tip; }

TEST(TrayStatusTest, MinutesAndHoursFollowThePluralRule) {
    const std::pair<int32_t, std::u16string> cases[] = {
        {1, u"Plochar: změna za 1 minutu."},     {2, u"Plochar: změna za 2 minuty."},
        {4, u"Plochar: změna za 4 minuty."},     {5, u"Plochar: změna za 5 minut."},
        {59, u"Plochar: změna za 59 minut."},    {60, u"Plochar: změna za 1 hodinu."},
        {61, u"Plochar: změna za 1:01 hodin."},  {90, u"Plochar: změna za 1:30 hodin."},
        {120, u"Plochar: změna za 2 hodiny."},   {240, u"Plochar: změna za 4 hodiny."},
        {241, u"Plochar: změna za 4:01 hodin."}, {300, u"Plochar: změna za 5 hodin."},
        {0, u"Plochar: změna za 0 hodin."},      {6000, u"Plochar: změna za 100 hodin."},
    };
    for (const auto& [m, text] : cases) {
        const TrayStatus s = trayStatus(m, 0, 3, 0, 1);
        EXPECT_EQ(std::u16string(s.tip), text) << m;
        EXPECT_EQ(s.icon, kIconRunning) << m;
    }
}

TEST(TrayStatusTest, OddCountdownsStayReadable) {
    // Never shown in normal running, but must be bounded and without "-1:-5".
    EXPECT_EQ(tipFor(-65), u"Plochar: změna za -1:05 hodin.");
    EXPECT_EQ(tipFor(INT32_MIN).size(), std::u16string(u"Plochar: změna za -35791394:08 hodin.").size());
}

TEST(TrayStatusTest, PausedStatesShowThePausedIconWithTheirReason) {
    // The open window wins over everything, then an empty collection, then the pause kind.
    EXPECT_EQ(std::u16string(trayStatus(10, 1, 5, 0, 1).tip), u"Plochar: činnost pozastavena - otevřené konfigurační okno.");
    EXPECT_EQ(std::u16string(trayStatus(10, 1, 0, 2, 1).tip), u"Plochar: činnost pozastavena - otevřené konfigurační okno.");
    EXPECT_EQ(std::u16string(trayStatus(10, 0, 0, 1, 1).tip), u"Plochar: činnost pozastavena - žádné plochar v kolekci.");
    EXPECT_EQ(std::u16string(trayStatus(10, 0, 5, 1, 1).tip), u"Plochar: činnost pozastavena.");
    EXPECT_EQ(std::u16string(trayStatus(10, 0, 5, 2, 1).tip), u"Plochar: automatická pauza aktivována.");
    for (auto s : {trayStatus(10, 1, 5, 0, 1), trayStatus(10, 0, 0, 0, 1), trayStatus(10, 0, 5, 1, 0)})
        EXPECT_EQ(s.icon, kIconPaused);
    const TrayStatus off = trayStatus(10, 0, 5, 0, 0);
    EXPECT_EQ(off.icon, kIconRunning);
    EXPECT_EQ(std::u16string(off.tip), u"Plochar: další změna zakázána.");
}

TEST(TrayStatusTest, BusyTextsAreCutToTheTipSize) {
    const TrayStatus change = busyTrayStatus(false);
    EXPECT_EQ(change.icon, kIconBusy);
    EXPECT_EQ(std::u16string(change.tip), u"Plochar: čekejte prosím, právě zobrazuji tapetu...");
    const std::u16string logo = busyTrayStatus(true).tip;
    EXPECT_EQ(logo.size(), 63u);
    EXPECT_EQ(logo, std::u16string(u"Plochar: čekejte prosím, právě vytvářím startovní logo Windows...").substr(0, 63));
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
    formatText(out, 40, u"%s a %i", FormatArg(42), FormatArg(u"x")); // wrong kinds print nothing
    EXPECT_EQ(std::u16string(out), u" a ");
    formatText(out, 40, u"konec %", 1);
    EXPECT_EQ(std::u16string(out), u"konec %");
}

} // namespace
