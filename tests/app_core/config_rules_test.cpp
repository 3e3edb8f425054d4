#include "app_core/config_rules.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/system_info.h"
#include "test_support.h"

TEST(ConfigRules, TabsPerSystem) {
    // Windows 98 shows the logo page, NT the third settings page; never both.
    EXPECT_TRUE(isPagePresent(PagePresence::Windows9xOnly, plat::kPlatformWin9x));
    EXPECT_FALSE(isPagePresent(PagePresence::Windows9xOnly, plat::kPlatformNt));
    EXPECT_TRUE(isPagePresent(PagePresence::NtOnly, plat::kPlatformNt));
    EXPECT_FALSE(isPagePresent(PagePresence::NtOnly, plat::kPlatformWin9x));
    EXPECT_TRUE(isPagePresent(PagePresence::Always, 0));
}

// The fields end as the up-downs hold them and the interval stored is the one
// they show: never 0, never past 23 h 59 min.
TEST(ConfigRules, IntervalIsTheOneTheFieldsShow) {
    struct Case {
        uint32_t hours, minutes, shownHours, shownMinutes;
    } cases[] = {{0, 0, 0, 1},         {0, 1, 0, 1},           {1, 0, 1, 0},          {23, 59, 23, 59},
                 {30, 30, 23, 30},     {0, 75, 0, 59},         {4294967295u, 15, 0, 15}, {65559, 0, 23, 0},
                 {4000000000u, 59, 23, 59}};
    for (const Case& c : cases) {
        const IntervalFields f = readIntervalFields(c.hours, c.minutes);
        EXPECT_EQ(f.hours, c.shownHours) << c.hours << ":" << c.minutes;
        EXPECT_EQ(f.minutes, c.shownMinutes) << c.hours << ":" << c.minutes;
        EXPECT_EQ(f.hoursCorrected, c.hours != c.shownHours) << c.hours;
        EXPECT_EQ(f.minutesCorrected, c.minutes != c.shownMinutes) << c.minutes;
        EXPECT_EQ(f.intervalMinutes, static_cast<int32_t>(c.shownHours * 60 + c.shownMinutes));
    }
}

TEST(ConfigRules, AutoPauseListRoundTrip) {
    // Empty and one-letter pieces go, the tail without "\n" is ignored, a long
    // piece is cut to 499 units.
    const std::u16string longPiece(600, u'x');
    const std::u16string stored = u"Nero\n\nX\nScanDisk\n" + longPiece + u"\ntail";
    const std::vector<std::u16string> items = autoPauseItems(stored.c_str());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], u"Nero");
    EXPECT_EQ(items[1], u"ScanDisk");
    EXPECT_EQ(items[2].size(), kAutoPauseItemUnits - 1);

    const std::unique_ptr<char16_t[]> rebuilt = buildAutoPauseList({u"Defrag", u"Nero"});
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(std::u16string(rebuilt.get()), u"Defrag\nNero\n");
    EXPECT_FALSE(buildAutoPauseList({}));
    EXPECT_TRUE(autoPauseItems(nullptr).empty());
}

TEST(ConfigRules, LogoDelayText) {
    char16_t text[16];
    logoDelayText(0, text, 16);
    EXPECT_EQ(std::u16string(text), u"ihned");
    logoDelayText(10, text, 16);
    EXPECT_EQ(std::u16string(text), u"10 min");
}

TEST(ConfigRules, RemoveMissingEntriesKeepsTheRest) {
    testing_support::TempDir dir;
    std::vector<std::u16string> pictures;
    WallpaperCollection c;
    for (const char16_t* name : {u"a.bmp", u"b.bmp", u"c.bmp", u"d.bmp"}) {
        pictures.push_back(dir.file(name));
        ASSERT_TRUE(testing_support::writeText(pictures.back(), "BM"));
        ASSERT_EQ(c.addPath(pictures.back().c_str()), AddOutcome::Added);
    }
    // The first, two in a row and the last go missing.
    for (size_t i : {0, 2, 3})
        std::filesystem::remove(std::filesystem::path(pictures[i]));
    EXPECT_EQ(removeMissingEntries(c), 3);
    ASSERT_EQ(c.entryCount(), 1);
    EXPECT_EQ(std::u16string(c.first()->path), pictures[1]);
    EXPECT_EQ(removeMissingEntries(c), 0);
}
