#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "app_core/collection_drop_rules.h"

namespace {

// Dot folders are skipped and never added, whatever their name; a folder or
// a found name that would be cut is refused, not cut.
TEST(CollectionDropRules, WhatASearchFindsAndThePathsItBuilds) {
    using drop::FoundItem;
    const struct {
        const char16_t* name;
        bool directory;
        FoundItem expected;
    } found[] = {{u"x.jpg", true, FoundItem::SearchFolder}, {u"..", true, FoundItem::Skip},
                 {u".x.jpg", true, FoundItem::Skip},        {u".skryta.BMP", false, FoundItem::AddPicture},
                 {u"a.jpg.txt", false, FoundItem::Skip},    {u"", false, FoundItem::Skip}};
    for (size_t i = 0; i < std::size(found); ++i)
        EXPECT_EQ(drop::classifyFoundItem(found[i].name, found[i].directory), found[i].expected) << i;
    const std::u16string longest(269, u'a'); // + "\*.*" fills the 274 units
    const struct {
        std::u16string folder, searched;
    } folders[] = {{u"D:\\Fotky", u"D:\\Fotky\\"},     {u"D:\\", u"D:\\"},    {longest, longest + u"\\"},
                   {longest + u"\\", longest + u"\\"}, {longest + u"b", u""}, {u"", u""}};
    for (const auto& f : folders) {
        char16_t out[drop::kFolderUnits];
        EXPECT_EQ(drop::folderForSearch(out, f.folder.c_str()), !f.searched.empty()) << f.folder.size();
        EXPECT_EQ(std::u16string(out), f.searched) << f.folder.size();
    }
    for (size_t nameLength : {258, 259}) { // 269 units fit in 270
        const std::u16string folder = u"D:\\abcdefg\\", name(nameLength, u'n');
        char16_t out[270];
        EXPECT_EQ(drop::joinFoundPath(out, 270, folder.c_str(), name.c_str()), nameLength == 258);
        EXPECT_EQ(std::u16string(out), (folder + name).substr(0, 269));
    }
}

} // namespace
