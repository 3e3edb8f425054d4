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
    e.style = style, e.changeColours = changeColours, e.fontMode = fontMode;
    e.backgroundColour = background, e.fontColour = font;
    return e;
}
// Style, the two boxes (U unchecked, C checked, I mixed indeterminate, u mixed
// unchecked), the swatches shown (b, f) and their colours (N: neutral).
std::string summaryText(const SelectionSummary& s) {
    const char boxes[] = "UCIu";
    const auto colour = [](uint32_t c) { return c == 0xFFC0C0C0 ? std::string("N") : std::to_string(c); };
    return std::to_string(s.style) + " " + boxes[int(s.changeColoursBox)] + boxes[int(s.fontBox)] + " " +
           (s.showBackground ? "b" : "") + (s.showFont ? "f" : "") + " " + colour(s.background) + " " +
           colour(s.font);
}
} // namespace

TEST(CollectionPageRules, MixedSelectionBoxesAndSwatches) {
    constexpr uint32_t kRed = 0xFF, kBlue = 0xFF0000;
    const std::vector<std::pair<std::vector<WallpaperEntry>, std::string>> cases = {
        {{entry(1, 1, 2, kRed, kBlue), entry(1, 1, 2, kRed, kBlue)}, "1 CC bf 255 16711680"},
        {{entry(0, 1, 1, kRed, kBlue), entry(0, 1, 1, kBlue, kBlue)}, "0 CU b N 16711680"},
        {{entry(0, 1, 1, kRed, kRed), entry(2, 1, 2, kRed, kBlue)}, "-1 CI bf 255 16711680"},
        {{entry(3, 1, 1, kRed, 0), entry(3, 0, 1, kBlue, 0)}, "3 Iu b 255 0"},
        // With colours mixed, a common coloured font is mixed too.
        {{entry(0, 1, 2, kRed, kBlue), entry(0, 0, 2, kRed, kRed)}, "0 II bf 255 N"},
        {{entry(0, 0, 2, kRed, kBlue), entry(0, 0, 2, kBlue, kBlue)}, "0 UC  N 16711680"},
        {{entry(0, 0, 1, 0, 0), entry(0, 0, 1, 0, 0)}, "0 UU  0 0"},
        {{entry(0, 0, 1, 0, kRed), entry(0, 0, 2, 0, kBlue)}, "0 UI  0 16711680"},
    };
    for (const auto& [entries, expected] : cases) {
        std::vector<const WallpaperEntry*> selection;
        for (const WallpaperEntry& e : entries)
            selection.push_back(&e);
        EXPECT_EQ(summaryText(summariseSelection(selection.data(), selection.size(), 0xFFC0C0C0)), expected);
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
