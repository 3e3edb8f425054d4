// The order of the recently used collection files. How the menus look in each
// state is tested on the real menus, under Wine.
#include <gtest/gtest.h>

#include <string>

#include "app_core/mru.h"

TEST(MruTest, MoveToFrontKeepsEachPathOnce) {
    char16_t mru[3][plat::kPathUnits] = {};
    // Each step: the path moved to the front, and the slots afterwards.
    const std::pair<const char16_t*, std::u16string> steps[] = {
        {u"a", u"a||"},   {u"b", u"b|a|"}, {u"c", u"c|b|a"}, {u"B", u"B|c|a"}, // from slot 2, any case
        {u"a", u"a|B|c"}, {u"A", u"a|B|c"}, {u"d", u"d|a|B"}, {u"", u"d|a|B"},  // from slot 3; first; new
    };
    for (const auto& [path, expected] : steps) {
        mruMoveToFront(mru, path);
        EXPECT_EQ(std::u16string(mru[0]) + u"|" + mru[1] + u"|" + mru[2], expected) << std::u16string(path).size();
    }
}
