// Matching titles against the automatic-pause list, the capacity of the
// exempt titles, and what holds the periodic check. Real windows, exempting,
// pruning and an emptied list are tested under Wine.
#include <gtest/gtest.h>

#include <string>

#include "app_core/auto_pause_match.h"
#include "settings/app_settings.h"

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
    };
    for (auto c : cases) {
        lowerAsciiLetters(c.title.data());
        EXPECT_EQ(matchTitle(c.title.c_str(), c.list, c.ignored), c.expected) << c.title.size();
    }
}

TEST(AutoPauseMatchTest, ExemptTitlesAreRecordedOnlyWholeAndWithinTheirBuffer) {
    char16_t ignored[kIgnoredTitlesUnits + 8];
    std::fill(std::begin(ignored), std::end(ignored), u'#');
    ignored[0] = 0;
    // Twice the longest title GetWindowTextW returns: 998 units with their
    // newlines; then 24 + newline + terminator fit exactly, 25 do not.
    for (size_t length : {kTitleUnits - 1, kTitleUnits - 1, size_t(25), size_t(24)})
        EXPECT_EQ(recordIgnoredTitle(ignored, kIgnoredTitlesUnits, std::u16string(length, u't').c_str()), length != 25);
    EXPECT_EQ(std::u16string(ignored).size(), kIgnoredTitlesUnits - 1);
    EXPECT_EQ(std::u16string(ignored + kIgnoredTitlesUnits, 8), u"########") << "written beyond the buffer";
}

bool g_saver = false;
bool saver() { return g_saver; }

TEST(AutoPauseMatchTest, TheUsersPauseTheOpenWindowAndAScreenSaverHoldTheState) {
    for (int holder = 0; holder < 4; ++holder) {
        g_saver = holder == 3;
        EXPECT_EQ(autoPauseStep(holder == 1 ? 1 : 2, holder == 2, kDefaultList, saver, true),
                  holder == 0 ? AutoPauseStep::Search : AutoPauseStep::Nothing)
            << holder;
    }
    g_saver = false;
}

bool yes() { return true; }

TEST(AutoPauseMatchTest, SwitchedOnPresenceReasonsPauseUntilTheyEndOrAreCancelled) {
    const PresenceReasons r = presenceReasons(ExtraSettingsRecord{0, 1, 0, 0}, PresenceTests{yes, yes});
    EXPECT_TRUE(r.fullScreen && !r.batterySaver) << "the battery saver is switched off";
    // An empty title list neither stops the search nor ends their pause.
    EXPECT_EQ(autoPauseStep(2, false, u"", nullptr, true), AutoPauseStep::Search);
    // A cancelled reason stays exempt while it lasts; once ended it pauses again.
    PresenceReasons exempt{true, false};
    EXPECT_FALSE(presencePauses({true, false}, exempt));
    EXPECT_TRUE(presencePauses({true, true}, exempt)) << "another reason is not exempt";
    EXPECT_FALSE(presencePauses({false, false}, exempt));
    EXPECT_TRUE(presencePauses({true, false}, exempt));
}

} // namespace
