#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"
#include "platform/text.h"

namespace {
std::u16string namePart(const char16_t* path, size_t units = plat::kPathUnits) {
    char16_t out[plat::kPathUnits] = {};
    plat::fileNamePart(out, units, path);
    return out;
}
} // namespace

TEST(Text, CopiesAreBoundedAndAlwaysTerminated) {
    char16_t small[5];
    EXPECT_EQ(plat::copyText(small, 5, u"abcdefgh"), 4u);
    EXPECT_EQ(std::u16string(small), u"abcd");
    EXPECT_EQ(plat::copyText(small, 5, nullptr), 0u);
    EXPECT_EQ(small[0], 0);
    EXPECT_EQ(plat::copyText(small, 0, u"x"), 0u);

    char16_t path[8] = u"ab";
    EXPECT_EQ(plat::appendText(path, 8, u"cdefghij"), 5u);
    EXPECT_EQ(std::u16string(path), u"abcdefg");
    EXPECT_EQ(plat::appendText(path, 8, u"x"), 0u) << "a full buffer takes nothing more";
    char16_t unterminated[3] = {u'a', u'b', u'c'};
    plat::appendText(unterminated, 3, u"d");
    EXPECT_EQ(unterminated[2], 0) << "a buffer without terminator gets one";
}

TEST(Text, FileNamePartDropsFolderAndExtension) {
    EXPECT_EQ(namePart(u"C:\\Obrázky\\Hory.plk"), u"Hory");
    EXPECT_EQ(namePart(u"/home/user/léto.2024.jpg"), u"léto.2024");
    EXPECT_EQ(namePart(u"bez přípony"), u"bez přípony");
    EXPECT_EQ(namePart(u"C:\\složka.d\\soubor"), u"soubor") << "a dot in the folder is no extension";
    EXPECT_EQ(namePart(u"C:\\.skryty"), u".skryty");
    EXPECT_EQ(namePart(u"D:obraz.bmp"), u"obraz");
    EXPECT_EQ(namePart(u"C:\\konec\\"), u"");
    EXPECT_EQ(namePart(u"C:\\dlouhy.jpg", 4), u"dlo");
    EXPECT_EQ(namePart(nullptr), u"");
}

TEST(Text, CaseInsensitiveComparisonFoldsCzechLetters) {
    EXPECT_EQ(plat::compareTextNoCase(u"ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY", u"žluťoučký kůň úpěl ďábelské ódy"), 0);
    EXPECT_EQ(plat::compareTextNoCase(u"ŘEŘICHA Š", u"řeřicha š"), 0);
    EXPECT_EQ(plat::compareTextNoCase(u"C:\\OBRAZY\\A.JPG", u"c:\\obrazy\\a.jpg"), 0);
    EXPECT_NE(plat::compareTextNoCase(u"a.jpg", u"á.jpg"), 0) << "accents are not case";
    EXPECT_LT(plat::compareTextNoCase(u"a", u"B"), 0);
    EXPECT_GT(plat::compareTextNoCase(u"b", u"A"), 0);
    EXPECT_LT(plat::compareTextNoCase(u"abc", u"ABCD"), 0);
    EXPECT_NE(plat::compareText(u"abc", u"ABC"), 0);
    EXPECT_EQ(plat::compareText(u"Hory", u"Hory"), 0);
}

TEST(Text, FoldCaseCoversLatinOneAndExtendedA) {
    EXPECT_EQ(plat::foldCase(u'Ä'), u'ä');
    EXPECT_EQ(plat::foldCase(u'×'), u'×');
    EXPECT_EQ(plat::foldCase(u'Ł'), u'ł');
    EXPECT_EQ(plat::foldCase(u'Ÿ'), u'ÿ');
    EXPECT_EQ(plat::foldCase(u'ı'), u'ı');
    for (char16_t c : std::u16string(u"áčďéěíňóřšťúůýž"))
        EXPECT_EQ(plat::foldCase(c), c) << "small letters stay";
}

TEST(Text, Utf8RoundTrip) {
    std::u16string czech = u"Příliš žluťoučký kůň 🐎";
    EXPECT_EQ(plat::fromUtf8(plat::toUtf8(czech.c_str())), czech);
    EXPECT_EQ(plat::toUtf8(u"ž"), "\xC5\xBE");
    EXPECT_EQ(plat::fromUtf8("\xC5"), u"\uFFFD") << "a cut sequence is replaced";
    const char16_t lone[] = {0xD800, u'a', 0};
    EXPECT_EQ(plat::toUtf8(lone), "\xEF\xBF\xBD" "a");
}

TEST(Codepage, ConversionIsBoundedByBothBuffers) {
    char16_t out[6];
    const char text[] = "abcdefghij";
    EXPECT_EQ(plat::ansiToUtf16(text, 3, out, 6), 3u) << "stops at the source's end";
    EXPECT_EQ(std::u16string(out), u"abc");
    EXPECT_EQ(plat::ansiToUtf16(text, sizeof text, out, 6), 5u) << "cut to the destination";
    EXPECT_EQ(std::u16string(out), u"abcde");
    EXPECT_EQ(plat::ansiToUtf16("ab\0cd", 5, out, 6), 2u) << "stops at the NUL";
    EXPECT_EQ(plat::ansiToUtf16(nullptr, 5, out, 6), 0u);
    EXPECT_EQ(out[0], 0);
}

#ifndef _WIN32
TEST(Codepage, ReadsWindows1250OffWindows) {
    char16_t out[64];
    plat::ansiToUtf16("\x8A\x8D\x8E\x9A\x9D\x9E\xC8\xE8\xD8\xF8\xD9\xF9\xCC\xEC\xCF\xEF\xD2\xF2\x80\x81", 64, out, 64);
    EXPECT_EQ(std::u16string(out), u"ŠŤŽšťžČčŘřŮůĚěĎďŇň€\u0081");
}
#endif
