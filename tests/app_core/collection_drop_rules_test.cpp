#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "app_core/collection_drop_rules.h"

namespace {

TEST(CollectionDropRules, DotFoldersAreSkippedAndFoldersAreNeverPictures) {
    using drop::FoundItem;
    const struct {
        const char16_t* name;
        bool directory;
        FoundItem expected;
    } cases[] = {
        {u"Hory", true, FoundItem::SearchFolder},       {u"x.jpg", true, FoundItem::SearchFolder},
        {u".", true, FoundItem::Skip},                  {u"..", true, FoundItem::Skip},
        {u".náhledy", true, FoundItem::Skip},           {u".x.jpg", true, FoundItem::Skip},
        {u"zima.JPEG", false, FoundItem::AddPicture},   {u".skryta.bmp", false, FoundItem::AddPicture},
        {u"a.dib", false, FoundItem::AddPicture},       {u"a.jpg.txt", false, FoundItem::Skip},
        {u"jpg", false, FoundItem::Skip},               {u"", false, FoundItem::Skip},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(drop::classifyFoundItem(cases[i].name, cases[i].directory), cases[i].expected) << i;
}

// The search pattern needs the folder, one backslash and "*.*" in 274
// units; a folder or a found name that would be cut is refused.
TEST(CollectionDropRules, PathsThatWouldBeCutAreRefused) {
    const std::u16string longest(269, u'a'); // + "\*.*" is 273 units
    const struct {
        std::u16string folder;
        bool fits;
        std::u16string searched;
    } folders[] = {
        {u"D:\\Fotky", true, u"D:\\Fotky\\"},   {u"D:\\", true, u"D:\\"},
        {longest, true, longest + u"\\"},       {longest + u"\\", true, longest + u"\\"},
        {longest + u"b", false, u""},           {u"", false, u""},
    };
    for (const auto& f : folders) {
        char16_t out[drop::kFolderUnits];
        EXPECT_EQ(drop::folderForSearch(out, f.folder.c_str()), f.fits) << f.folder.size();
        EXPECT_EQ(std::u16string(out), f.searched) << f.folder.size();
    }
    const struct {
        size_t folderLength, nameLength, units;
        bool fits;
    } joins[] = {{10, 259, 270, true}, {10, 260, 270, false}, {200, 73, 274, true}, {200, 74, 274, false}};
    for (const auto& j : joins) {
        const std::u16string folder = std::u16string(j.folderLength - 1, u'f') + u"\\";
        const std::u16string name(j.nameLength, u'n');
        char16_t out[drop::kFolderUnits];
        EXPECT_EQ(drop::joinFoundPath(out, j.units, folder.c_str(), name.c_str()), j.fits) << j.nameLength;
        EXPECT_EQ(std::u16string(out), (folder + name).substr(0, j.units - 1)) << j.nameLength;
    }
}

} // namespace
