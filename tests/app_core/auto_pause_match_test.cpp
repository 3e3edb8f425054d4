// Matching titles against the automatic-pause list, the exempt titles and
// their capacity, and which way the periodic check goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_core/auto_pause_match.h"

namespace {

const char16_t kDefaultList[] = u"Kontrola disku\nDefragmentace disku\nScanDisk\nNero Burning\n";

TitleVerdict verdict(std::u16string title, const char16_t* list, const char16_t* ignored = u"") {
    lowerAsciiLetters(title.data());
    return matchTitle(title.c_str(), list, ignored);
}

TEST(AutoPauseMatchTest, SubstringsMatchWithOnlyAToZLowered) {
    const std::u16string longItem = std::u16string(600, u'q') + u"\n";
    const struct {
        std::u16string title;
        const char16_t* list;
        TitleVerdict expected;
    } cases[] = {
        {u"Nero Burning ROM - Nový projekt", kDefaultList, TitleVerdict::Match},
        {u"NERO BURNING", kDefaultList, TitleVerdict::Match},
        {u"Microsoft Word - Nerozumný návrh", u"Nero\n", TitleVerdict::Match},
        {u"Poznámky", kDefaultList, TitleVerdict::NoMatch},
        // Czech capitals are not lowered: "Č" matches only "Č".
        {u"ČEŠTINA", u"čeština\n", TitleVerdict::NoMatch},
        {u"ČEŠTINA", u"ČEŠTINA\n", TitleVerdict::Match},
        {u"čeština", u"ČEŠTINA\n", TitleVerdict::NoMatch},
        // An item needs its newline and two units.
        {u"ScanDisk", u"ScanDisk", TitleVerdict::NoMatch},
        {u"abc", u"a\n\n", TitleVerdict::NoMatch},
        {u"abc", u"x\nbc\n", TitleVerdict::Match},
        {u"abc", nullptr, TitleVerdict::NoMatch},
        // An item is used with at most 499 units: a longer one matches by its start.
        {std::u16string(498, u'q'), longItem.c_str(), TitleVerdict::NoMatch},
        {std::u16string(499, u'q') + u"zz", longItem.c_str(), TitleVerdict::Match},
    };
    for (const auto& c : cases)
        EXPECT_EQ(verdict(c.title, c.list), c.expected) << c.title.size() << " " << (c.list ? c.list[0] : 0);
}

TEST(AutoPauseMatchTest, AnExemptItemSkipsTheWindowBeforeLaterItems) {
    const char16_t* ignored = u"nero burning rom - disk 1\n";
    EXPECT_EQ(verdict(u"Nero Burning ROM - Disk 2", kDefaultList, ignored), TitleVerdict::SkipWindow);
    // Items are tried in list order: an earlier match wins over the exempt one.
    EXPECT_EQ(verdict(u"ScanDisk - Nero Burning", kDefaultList, ignored), TitleVerdict::Match);
    EXPECT_EQ(verdict(u"Nero Burning ROM", u"Nero Burning\nROM\n", ignored), TitleVerdict::SkipWindow)
        << "later items are not tried for a skipped window";
    // Recording the exempt windows ignores the exempt list itself.
    EXPECT_TRUE(titleHasAnyItem(u"nero burning rom", kDefaultList));
    EXPECT_FALSE(titleHasAnyItem(u"poznámky", kDefaultList));
    EXPECT_FALSE(titleHasAnyItem(u"nero burning rom", u""));
}

TEST(IgnoredTitlesTest, RecordsOnlyWholeTitlesThatFit) {
    char16_t small[33] = {};
    small[32] = u'#';
    EXPECT_TRUE(recordIgnoredTitle(small, 32, u"nero burning"));
    // 13 used + 17 + "\n" + terminator = 32: fits exactly; one unit more does not.
    EXPECT_FALSE(recordIgnoredTitle(small, 32, u"abcdefghijklmnopqr"));
    EXPECT_TRUE(recordIgnoredTitle(small, 32, u"abcdefghijklmnopq"));
    EXPECT_FALSE(recordIgnoredTitle(small, 32, u"x1"));
    EXPECT_FALSE(recordIgnoredTitle(small, 32, u""));
    EXPECT_EQ(std::u16string(small), u"nero burning\nabcdefghijklmnopq\n");
    EXPECT_EQ(small[32], u'#') << "written beyond the buffer";

    // The real buffer with the longest title GetWindowTextW returns.
    char16_t ignored[kIgnoredTitlesUnits + 8];
    std::fill(std::begin(ignored), std::end(ignored), u'#');
    ignored[0] = 0;
    const std::u16string title(kTitleUnits - 1, u't');
    int recorded = 0;
    while (recordIgnoredTitle(ignored, kIgnoredTitlesUnits, title.c_str()))
        ++recorded;
    EXPECT_EQ(recorded, 2);
    EXPECT_TRUE(recordIgnoredTitle(ignored, kIgnoredTitlesUnits, std::u16string(24, u's').c_str()));
    EXPECT_EQ(std::u16string(ignored).size(), kIgnoredTitlesUnits - 1);
    for (size_t i = kIgnoredTitlesUnits; i < kIgnoredTitlesUnits + 8; ++i)
        EXPECT_EQ(ignored[i], u'#') << "written beyond the buffer at " << i;
}

std::vector<std::u16string> g_open;
bool windowExists(const char16_t* part, void*) {
    for (const auto& t : g_open)
        if (containsText(t.c_str(), part))
            return true;
    return false;
}

TEST(IgnoredTitlesTest, PruningDropsTitlesWhoseWindowsClosed) {
    char16_t ignored[kIgnoredTitlesUnits] = u"nero burning rom\nscandisk - c:\nx\n";
    g_open = {u"nero burning rom - projekt", u"poznámky"};
    pruneIgnoredTitles(ignored, kIgnoredTitlesUnits, windowExists, nullptr);
    EXPECT_EQ(std::u16string(ignored), u"nero burning rom\n") << "the short title x also drops out";
    g_open.clear();
    pruneIgnoredTitles(ignored, kIgnoredTitlesUnits, windowExists, nullptr);
    EXPECT_EQ(ignored[0], 0);
}

bool g_saver = false;
bool saver() { return g_saver; }

TEST(AutoPauseStepTest, SearchesOnlyWhenNothingElseHoldsTheState) {
    using S = AutoPauseStep;
    const struct {
        int32_t pause;
        bool open;
        const char16_t* list;
        bool saver;
        AutoPauseStep expected;
    } cases[] = {
        {0, false, kDefaultList, false, S::Search},   {2, false, kDefaultList, false, S::Search},
        {1, false, kDefaultList, false, S::Nothing},  // the user's pause stays
        {0, true, kDefaultList, false, S::Nothing},   {2, true, kDefaultList, false, S::Nothing},
        {2, false, u"", false, S::ClearStale},        {2, false, nullptr, false, S::ClearStale},
        {0, false, u"", false, S::Nothing},           {2, false, kDefaultList, true, S::Nothing},
        {2, false, u"", true, S::ClearStale},
    };
    for (const auto& c : cases) {
        g_saver = c.saver;
        EXPECT_EQ(autoPauseStep(c.pause, c.open, c.list, saver), c.expected)
            << c.pause << c.open << (c.list ? c.list[0] : 0) << c.saver;
    }
    g_saver = false;
}

} // namespace
