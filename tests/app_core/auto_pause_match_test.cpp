// Matching titles against the automatic-pause list, the capacity of the
// exempt titles, and which way the periodic check goes. Real windows,
// exempting and pruning are tested under Wine.
#include <gtest/gtest.h>

#include <string>

#include "app_core/auto_pause_match.h"

namespace {

const char16_t kDefaultList[] = u"Kontrola disku\nDefragmentace disku\nScanDisk\nNero Burning\n";

TEST(AutoPauseMatchTest, SubstringsMatchWithOnlyAToZLoweredAndExemptTitlesSkip) {
    const std::u16string longItem = std::u16string(600, u'q') + u"\n";
    const char16_t* exempt = u"nero burning rom - disk 1\n";
    using V = TitleVerdict;
    const struct {
        std::u16string title;
        const char16_t *list, *ignored;
        V expected;
    } cases[] = {
        {u"Microsoft Word - NEROZUMNÝ návrh", u"Nero\n", u"", V::Match},
        {u"ČEŠTINA", u"čeština\n", u"", V::NoMatch}, // Czech capitals are not lowered
        {u"ScanDisk", u"ScanDisk", u"", V::NoMatch}, // an item needs its newline
        {u"abc", u"a\n\nbc\n", u"", V::Match},       // and two units
        {std::u16string(498, u'q'), longItem.c_str(), u"", V::NoMatch}, // used with 499 units
        {std::u16string(499, u'q'), longItem.c_str(), u"", V::Match},
        // An exempt item skips the window; items are tried in list order.
        {u"Nero Burning ROM - Disk 2", kDefaultList, exempt, V::SkipWindow},
        {u"ScanDisk - Nero Burning", kDefaultList, exempt, V::Match},
        {u"Nero Burning ROM", u"Nero Burning\nROM\n", exempt, V::SkipWindow},
    };
    for (auto c : cases) {
        lowerAsciiLetters(c.title.data());
        EXPECT_EQ(matchTitle(c.title.c_str(), c.list, c.ignored), c.expected) << c.title.size();
    }
}

TEST(AutoPauseMatchTest, ExemptTitlesAreRecordedOnlyWholeAndWithinTheirBuffer) {
    // The real buffer with the longest title GetWindowTextW returns.
    char16_t ignored[kIgnoredTitlesUnits + 8];
    std::fill(std::begin(ignored), std::end(ignored), u'#');
    ignored[0] = 0;
    const std::u16string title(kTitleUnits - 1, u't');
    EXPECT_TRUE(recordIgnoredTitle(ignored, kIgnoredTitlesUnits, title.c_str()));
    EXPECT_TRUE(recordIgnoredTitle(ignored, kIgnoredTitlesUnits, title.c_str()));
    // 998 used + 24 + "\n" + terminator = 1024: fits exactly; one unit more does not.
    EXPECT_FALSE(recordIgnoredTitle(ignored, kIgnoredTitlesUnits, std::u16string(25, u's').c_str()));
    EXPECT_TRUE(recordIgnoredTitle(ignored, kIgnoredTitlesUnits, std::u16string(24, u's').c_str()));
    EXPECT_EQ(std::u16string(ignored).size(), kIgnoredTitlesUnits - 1);
    EXPECT_EQ(std::u16string(ignored + kIgnoredTitlesUnits, 8), u"########") << "written beyond the buffer";
}

bool g_saver = false;
bool saver() { return g_saver; }

TEST(AutoPauseMatchTest, TheCheckSearchesOnlyWhenNothingElseHoldsTheState) {
    using S = AutoPauseStep;
    const struct {
        int32_t pause;
        bool open;
        const char16_t* list;
        bool saver;
        S expected;
    } cases[] = {{2, false, kDefaultList, false, S::Search}, {1, false, kDefaultList, false, S::Nothing},
                 {0, true, kDefaultList, false, S::Nothing}, {2, false, kDefaultList, true, S::Nothing},
                 {0, false, u"", false, S::Nothing},         {2, true, nullptr, true, S::ClearStale}};
    for (const auto& c : cases) {
        g_saver = c.saver;
        EXPECT_EQ(autoPauseStep(c.pause, c.open, c.list, saver), c.expected) << c.pause << c.open << c.saver;
    }
    g_saver = false;
}

} // namespace
