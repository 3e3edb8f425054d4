#include "app_core/collection_page_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collection/wallpaper_entry.h"
#include "platform/text.h"

TEST(CollectionPageRules, PictureExtensions) {
    struct Case {
        const char16_t* name;
        bool picture;
    } cases[] = {
        {u"C:\\a\\b.bmp", true}, {u"B.DIB", true},
        {u"x.JpG", true},        {u"c:\\x.jpeg", true},
        {u"x.jpe", false},       {u"x.bmp.txt", false},
        {u"x.txt.bmp", true},    {u"bmp", false},
        {u"x.", false},          {u"C:\\a.jpg\\soubor", false},
        {u"C:\\a.bmp\\", false}, {u"", false},
        {u".bmp", true},         {u"x.bmpx", false},
        {u"Zámek.JPEG", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hasPictureExtension(c.name), c.picture) << plat::toUtf8(c.name);
    EXPECT_FALSE(hasPictureExtension(nullptr));
}

TEST(CollectionPageRules, PathFieldShowsFirstPieceAndName) {
    const char16_t* path = u"D:\\Dokumenty\\Obrázky\\Hory\\zima.jpg"; // 34 characters
    struct Case {
        int32_t fit;
        const char16_t* shown;
    } cases[] = {
        {34, path},
        {33, u"D:\\Dokumenty\\Obrázky\\...\\zima.jpg"},
        {26, u"D:\\Dokumenty\\...\\zima.jpg"},
        {20, u"D:\\...\\zima.jpg"},
        {2, u"D:\\...\\zima.jpg"}, // the first piece and the name stay even without room
    };
    char16_t out[plat::kPathUnits];
    for (const Case& c : cases) {
        shortenPath(path, c.fit, out, plat::kPathUnits);
        EXPECT_EQ(std::u16string(out), c.shown) << c.fit;
    }
    // Nothing to leave out: shown whole. A tiny buffer is never overrun.
    for (const char16_t* whole : {u"C:\\zima-v-horach-na-chate.jpg", u"zima-v-horach-na-chate.jpg"}) {
        shortenPath(whole, 5, out, plat::kPathUnits);
        EXPECT_EQ(std::u16string(out), whole);
    }
    char16_t small[8];
    shortenPath(path, 20, small, 8);
    EXPECT_EQ(std::u16string(small), u"D:\\...\\");
    // 115/96 in single precision: 96 pixels hold 115 units of width.
    EXPECT_EQ(pathFieldChars(96, 5), 23);
    EXPECT_EQ(pathFieldChars(200, 6), 39);
    EXPECT_EQ(pathFieldChars(200, 0), 0);
}

namespace {
WallpaperEntry entry(int32_t style, int32_t changeColours, int32_t fontMode, uint32_t background,
                     uint32_t font) {
    WallpaperEntry e;
    plat::copyText(e.path, plat::kPathUnits, u"x.bmp"); // copies keep settings only with a path
    e.style = style;
    e.changeColours = changeColours;
    e.fontMode = fontMode;
    e.backgroundColour = background;
    e.fontColour = font;
    return e;
}
} // namespace

TEST(CollectionPageRules, MixedSelectionBoxesAndSwatches) {
    constexpr uint32_t kNeutral = 0xFFC0C0C0, kRed = 0xFF, kBlue = 0xFF0000;
    using B = BoxState;
    struct Case {
        const char* name;
        std::vector<WallpaperEntry> entries;
        int32_t style;
        B colours, font;
        bool showBackground, showFont;
        uint32_t background, fontColour;
    } cases[] = {
        {"all change, all coloured",
         {entry(1, 1, 2, kRed, kBlue), entry(1, 1, 2, kRed, kBlue)},
         1,
         B::Checked,
         B::Checked,
         true,
         true,
         kRed,
         kBlue},
        {"all change, none coloured",
         {entry(0, 1, 1, kRed, kBlue), entry(0, 1, 1, kBlue, kBlue)},
         0,
         B::Checked,
         B::Unchecked,
         true,
         false,
         kNeutral,
         kBlue},
        {"all change, mixed fonts",
         {entry(0, 1, 1, kRed, kRed), entry(2, 1, 2, kRed, kBlue)},
         -1,
         B::Checked,
         B::MixedIndeterminate,
         true,
         true,
         kRed,
         kBlue},
        {"mixed change, no font",
         {entry(3, 1, 1, kRed, 0), entry(3, 0, 1, kBlue, 0)},
         3,
         B::MixedIndeterminate,
         B::MixedUnchecked,
         true,
         false,
         kRed,
         0},
        {"mixed change, common coloured font counts as mixed",
         {entry(0, 1, 2, kRed, kBlue), entry(0, 0, 2, kRed, kRed)},
         0,
         B::MixedIndeterminate,
         B::MixedIndeterminate,
         true,
         true,
         kRed,
         kNeutral},
        {"none change, all coloured",
         {entry(0, 0, 2, kRed, kBlue), entry(0, 0, 2, kBlue, kBlue)},
         0,
         B::Unchecked,
         B::Checked,
         false,
         false,
         kNeutral,
         kBlue},
        {"none change, none coloured",
         {entry(0, 0, 1, 0, 0), entry(0, 0, 1, 0, 0)},
         0,
         B::Unchecked,
         B::Unchecked,
         false,
         false,
         0,
         0},
        {"none change, mixed fonts",
         {entry(0, 0, 1, 0, kRed), entry(0, 0, 2, 0, kBlue)},
         0,
         B::Unchecked,
         B::MixedIndeterminate,
         false,
         false,
         0,
         kBlue},
    };
    for (const Case& c : cases) {
        std::vector<const WallpaperEntry*> selection;
        for (const WallpaperEntry& e : c.entries)
            selection.push_back(&e);
        const SelectionSummary s = summariseSelection(selection.data(), selection.size(), kNeutral);
        EXPECT_EQ(s.style, c.style) << c.name;
        EXPECT_EQ(s.changeColoursBox, c.colours) << c.name;
        EXPECT_EQ(s.fontBox, c.font) << c.name;
        EXPECT_EQ(s.showBackground, c.showBackground) << c.name;
        EXPECT_EQ(s.showFont, c.showFont) << c.name;
        EXPECT_EQ(s.background, c.background) << c.name;
        EXPECT_EQ(s.font, c.fontColour) << c.name;
    }
}

TEST(CollectionPageRules, IconSampleKindsAndLabelColours) {
    constexpr uint32_t kBack = 0x403020, kFont = 0x00FF00, kWhite = 0xFFFFFF;
    struct Case {
        bool shadow;
        int32_t changeColours, fontMode;
        bool draw, frame, opaque;
        uint32_t text;
    } cases[] = {
        {true, 0, 2, true, false, false, kWhite},   {true, 1, 1, true, true, false, kWhite},
        {false, 1, 2, true, true, false, kFont},    {false, 1, 1, true, true, true, kWhite},
        {false, 0, 2, false, false, false, kWhite},
    };
    for (const Case& c : cases) {
        const IconSample s = chooseIconSample(c.shadow, c.changeColours, c.fontMode, kBack, kFont);
        const std::string name =
            std::to_string(c.shadow) + std::to_string(c.changeColours) + std::to_string(c.fontMode);
        EXPECT_EQ(s.draw, c.draw) << name;
        if (!s.draw)
            continue;
        EXPECT_EQ(s.frame, c.frame) << name;
        EXPECT_EQ(s.opaque, c.opaque) << name;
        EXPECT_EQ(s.text, c.text) << name;
    }
    struct Label {
        uint32_t background, text;
    } labels[] = {{0x000000, kWhite}, {0x000097, 0}, {0x969696, kWhite}, {0x970000, 0}, {0x009700, 0}};
    for (const Label& l : labels)
        EXPECT_EQ(labelTextColour(l.background), l.text) << std::hex << l.background;
}

TEST(CollectionPageRules, SelectionMovesOnlyAwayFromItsEdge) {
    struct Case {
        std::vector<int32_t> positions;
        int32_t items;
        bool up, down;
    } cases[] = {
        {{1, 2}, 4, true, true},      {{0, 2}, 4, false, true}, {{1, 3}, 4, true, false},
        {{0, 1, 2}, 3, false, false}, {{}, 3, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(canMoveSelection(c.positions.data(), c.positions.size(), c.items, true), c.up);
        EXPECT_EQ(canMoveSelection(c.positions.data(), c.positions.size(), c.items, false), c.down);
    }
}
