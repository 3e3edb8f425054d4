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
    EXPECT_EQ(verdict(u"Nero Burning ROM - Nový projekt", kDefaultList), TitleVerdict::Match);
    EXPECT_EQ(verdict(u"NERO BURNING", kDefaultList), TitleVerdict::Match);
    EXPECT_EQ(verdict(u"Microsoft Word - Nerozumný návrh", u"Nero\n"), TitleVerdict::Match);
    EXPECT_EQ(verdict(u"Poznámky", kDefaultList), TitleVerdict::NoMatch);
    // Czech capitals are not lowered: "Č" matches only "Č".
    EXPECT_EQ(verdict(u"ČEŠTINA", u"čeština\n"), TitleVerdict::NoMatch);
    EXPECT_EQ(verdict(u"ČEŠTINA", u"ČEŠTINA\n"), TitleVerdict::Match);
    EXPECT_EQ(verdict(u"čeština", u"ČEŠTINA\n"), TitleVerdict::NoMatch);
}

TEST(AutoPauseMatchTest, ItemsNeedTheirNewlineAndTwoUnits) {
    EXPECT_EQ(verdict(u"ScanDisk", u"ScanDisk"), TitleVerdict::NoMatch) << "no trailing newline: not an item";
    EXPECT_EQ(verdict(u"abc", u"a\n\n"), TitleVerdict::NoMatch) << "short and empty items are ignored";
    EXPECT_EQ(verdict(u"abc", u"x\nbc\n"), TitleVerdict::Match);
    EXPECT_EQ(verdict(u"abc", nullptr), TitleVerdict::NoMatch);
    // An item is used with at most 499 units: a longer one matches by its start.
    std::u16string longItem(600, u'q');
    std::u16string title(499, u'q');
    title.resize(498);
    EXPECT_EQ(verdict(title, (longItem + u"\n").c_str()), TitleVerdict::NoMatch);
    EXPECT_EQ(verdict(std::u16string(499, u'q') + u"zz", (longItem + u"\n").c_str()), TitleVerdict::Match);
}

TEST(AutoPauseMatchTest, AnExemptItemSkipsTheWindowBeforeLaterItems) {
    const char16_t* ignored = u"nero burning rom - disk 1\n";
    EXPECT_EQ(verdict(u"Nero Burning ROM - Disk 2", kDefaultList, ignored), TitleVerdict::SkipWindow);
    // Items are tried in list order: an earlier match wins over the exempt one.
    EXPECT_EQ(verdict(u"ScanDisk - Nero Burning", kDefaultList, ignored), TitleVerdict::Match);
    EXPECT_EQ(verdict(u"Nero Burning ROM", u"Nero Burning\nROM\n", ignored), TitleVerdict::SkipWindow)
        << "later items are not tried for a skipped window";
}

TEST(IgnoredTitlesTest, RecordsOnlyWholeTitlesThatFit) {
    char16_t ignored[32] = {};
    EXPECT_TRUE(recordIgnoredTitle(ignored, 32, u"nero burning"));
    EXPECT_EQ(std::u16string(ignored), u"nero burning\n");
    // 13 used + 17 + "\n" + terminator = 32: fits exactly.
    EXPECT_TRUE(recordIgnoredTitle(ignored, 32, u"abcdefghijklmnopq"));
    EXPECT_EQ(std::u16string(ignored).size(), 31u);
    EXPECT_FALSE(recordIgnoredTitle(ignored, 32, u"x1"));
    EXPECT_EQ(std::u16string(ignored), u"nero burning\nabcdefghijklmnopq\n");
    EXPECT_FALSE(recordIgnoredTitle(ignored, 32, u""));
}

TEST(IgnoredTitlesTest, TheRealBufferNeverOverflows) {
    char16_t ignored[kIgnoredTitlesUnits + 8];
    std::fill(std::begin(ignored), std::end(ignored), u'#');
    ignored[0] = 0;
    const std::u16string title(kTitleUnits - 1, u't'); // the longest title GetWindowTextW returns
    int recorded = 0;
    while (recordIgnoredTitle(ignored, kIgnoredTitlesUnits, title.c_str()))
        ++recorded;
    EXPECT_EQ(recorded, 2);
    EXPECT_TRUE(recordIgnoredTitle(ignored, kIgnoredTitlesUnits, std::u16string(24, u's').c_str()));
    EXPECT_EQ(std::u16string(ignored).size(), kIgnoredTitlesUnits - 1);
    for (size_t i = kIgnoredTitlesUnits; i < kIgnoredTitlesUnits + 8; ++i)
        EXPECT_EQ(ignored[i], u'#') << "written beyond the buffer at " << i;
}

struct OpenWindows {
    std::vector<std::u16string> lowerTitles;
};
bool windowExists(const char16_t* part, void* context) {
    for (const auto& t : static_cast<OpenWindows*>(context)->lowerTitles)
        if (containsText(t.c_str(), part))
            return true;
    return false;
}

TEST(IgnoredTitlesTest, PruningDropsTitlesWhoseWindowsClosed) {
    char16_t ignored[kIgnoredTitlesUnits] = u"nero burning rom\nscandisk - c:\nx\n";
    OpenWindows open{{u"nero burning rom - projekt", u"poznámky"}};
    pruneIgnoredTitles(ignored, kIgnoredTitlesUnits, windowExists, &open);
    EXPECT_EQ(std::u16string(ignored), u"nero burning rom\n") << "the short title x also drops out";
    open.lowerTitles.clear();
    pruneIgnoredTitles(ignored, kIgnoredTitlesUnits, windowExists, &open);
    EXPECT_EQ(ignored[0], 0);
}

TEST(IgnoredTitlesTest, AnyItemMatchIgnoresTheExemptList) {
    EXPECT_TRUE(titleHasAnyItem(u"nero burning rom", kDefaultList));
    EXPECT_FALSE(titleHasAnyItem(u"poznámky", kDefaultList));
    EXPECT_FALSE(titleHasAnyItem(u"nero burning rom", u""));
}

bool g_saver = false;
bool saver() { return g_saver; }

TEST(AutoPauseStepTest, SearchesOnlyWhenNothingElseHoldsTheState) {
    g_saver = false;
    EXPECT_EQ(autoPauseStep(0, false, kDefaultList, saver), AutoPauseStep::Search);
    EXPECT_EQ(autoPauseStep(2, false, kDefaultList, saver), AutoPauseStep::Search);
    EXPECT_EQ(autoPauseStep(1, false, kDefaultList, saver), AutoPauseStep::Nothing) << "the user's pause stays";
    EXPECT_EQ(autoPauseStep(0, true, kDefaultList, saver), AutoPauseStep::Nothing) << "window open";
    EXPECT_EQ(autoPauseStep(2, true, kDefaultList, saver), AutoPauseStep::Nothing);
    EXPECT_EQ(autoPauseStep(2, false, u"", saver), AutoPauseStep::ClearStale);
    EXPECT_EQ(autoPauseStep(2, false, nullptr, saver), AutoPauseStep::ClearStale);
    EXPECT_EQ(autoPauseStep(0, false, u"", saver), AutoPauseStep::Nothing);
    g_saver = true;
    EXPECT_EQ(autoPauseStep(2, false, kDefaultList, saver), AutoPauseStep::Nothing) << "screen saver: no change";
    EXPECT_EQ(autoPauseStep(2, false, u"", saver), AutoPauseStep::ClearStale);
}

} // namespace
