// The bounded text helpers every fixed buffer relies on, and the file-name
// part shown in titles and menus. (Case folding and the code page are the
// system's on Windows: tested there.)
#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

TEST(Text, CopiesAreBoundedAndAlwaysTerminated) {
    char16_t small[5];
    EXPECT_EQ(plat::copyText(small, 5, u"abcdefgh"), 4u);
    EXPECT_EQ(std::u16string(small), u"abcd");
    char16_t path[8] = u"ab";
    EXPECT_EQ(plat::appendText(path, 8, u"cdefghij"), 5u);
    EXPECT_EQ(std::u16string(path), u"abcdefg");
    char16_t unterminated[3] = {u'a', u'b', u'c'};
    plat::appendText(unterminated, 3, u"d");
    EXPECT_EQ(unterminated[2], 0) << "a buffer without terminator gets one";
}

TEST(Text, FileNamePartDropsFolderAndExtension) {
    const std::pair<const char16_t*, std::u16string> cases[] = {
        {u"C:\\Obrázky\\léto.2024.jpg", u"léto.2024"}, {u"C:\\složka.d\\soubor", u"soubor"},
        {u"C:\\.skryty", u".skryty"},                  {u"D:obraz.bmp", u"obraz"},
        {u"C:\\konec\\", u""},                         {nullptr, u""},
    };
    for (const auto& [path, name] : cases) {
        char16_t out[plat::kPathUnits] = {};
        plat::fileNamePart(out, plat::kPathUnits, path);
        EXPECT_EQ(std::u16string(out), name);
    }
    char16_t cut[4];
    plat::fileNamePart(cut, 4, u"C:\\dlouhy.jpg");
    EXPECT_EQ(std::u16string(cut), u"dlo");
}
