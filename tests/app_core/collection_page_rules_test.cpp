#include "app_core/collection_page_rules.h"

#include <gtest/gtest.h>

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
