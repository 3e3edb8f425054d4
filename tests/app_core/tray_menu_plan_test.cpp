// How the tray menu and the collection menu look in each state, the
// double-click rule and the order of the recently used files.
#include <gtest/gtest.h>

#include <string>

#include "app_core/change_cycle.h"
#include "app_core/mru.h"
#include "app_core/tray_menu_plan.h"
#include "test_pictures.h"

namespace {

class TrayMenuPlanTest : public testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(collection.addPath(pictures[i]), AddOutcome::Added);
    }
    TrayMenuState state(int32_t pause = 0, bool visible = false, int32_t last = 0) {
        return TrayMenuState{&collection, &current, pause, visible, last};
    }
    std::u16string names() {
        const TrayMenuPlan p = planTrayMenu(state());
        return std::u16string(p.nextName) + u"|" + p.previousName;
    }
    TestPictures pictures{{"Hory.bmp", "More.jpg", "Les.v2.bmp"}};
    WallpaperCollection collection;
    WallpaperEntry current;
};

TEST_F(TrayMenuPlanTest, DefaultItemAndDoubleClickFollowTheLastManualCommand) {
    const std::pair<int32_t, int32_t> defaults[] = {{0, kCmdRandom}, {1, kCmdNext}, {2, kCmdPrevious}, {7, kCmdRandom}};
    for (const auto& [last, command] : defaults)
        EXPECT_EQ(planTrayMenu(state(0, false, last)).defaultCommand, command) << last;
    EXPECT_EQ(doubleClickCommand(state(0, false, 2)), kCmdPrevious);
    EXPECT_EQ(doubleClickCommand(state(1, false, 2)), 0) << "paused: a double-click does nothing";
    EXPECT_EQ(doubleClickCommand(state(0, true, 1)), 0) << "window open: nothing";
}

TEST_F(TrayMenuPlanTest, NamesOfTheNextAndPreviousPictureWrapAround) {
    EXPECT_EQ(names(), u"Hory|Les.v2") << "no current: the first and the last";
    collection.current = collection.last();
    EXPECT_EQ(names(), u"Hory|More");
    collection.current = collection.first();
    EXPECT_EQ(names(), u"More|Les.v2");
    EXPECT_FALSE(planTrayMenu(state()).deleteRandomAndNext);
}

TEST_F(TrayMenuPlanTest, GreyingAndThePauseItem) {
    TrayMenuPlan p = planTrayMenu(state());
    EXPECT_FALSE(p.changesGreyed || p.settingsGreyed || p.pauseChecked);
    EXPECT_TRUE(p.reapplyGreyed) << "nothing applied yet";
    p = planTrayMenu(state(1));
    EXPECT_TRUE(p.changesGreyed && p.pauseChecked);
    EXPECT_FALSE(p.pauseIsCancelAuto);
    p = planTrayMenu(state(2));
    EXPECT_FALSE(p.pauseChecked) << "automatic pause: no check mark";
    EXPECT_TRUE(p.pauseIsCancelAuto);
    p = planTrayMenu(state(0, true));
    EXPECT_TRUE(p.changesGreyed && p.settingsGreyed && p.pauseGreyed);

    ASSERT_TRUE(current.setPath(pictures[1]));
    p = planTrayMenu(state());
    EXPECT_FALSE(p.reapplyGreyed);
    EXPECT_EQ(std::u16string(p.reapplyName), u"More");
    char16_t item[12] = u"&Obnovit";
    appendNameToItem(item, 12, u"Hory");
    EXPECT_EQ(std::u16string(item), u"&Obnovit (H") << "bounded by the item buffer";
}

TEST_F(TrayMenuPlanTest, AnEmptyCollectionOffersOnlyTheSettings) {
    collection.clear();
    const TrayMenuPlan p = planTrayMenu(state());
    EXPECT_EQ(p.defaultCommand, kCmdSettings);
    EXPECT_TRUE(p.deleteRandomAndNext && p.previousIsEmptyText && p.changesGreyed);
    EXPECT_EQ(doubleClickCommand(state(1, true)), kCmdSettings) << "even paused and open";
}

TEST(CollectionMenuPlanTest, RecentFilesAndGreying) {
    char16_t mru[3][plat::kPathUnits] = {};
    CollectionMenuPlan p = planCollectionMenu(0, mru);
    EXPECT_TRUE(p.removeMissingGreyed && p.recentSubmenuGreyed);
    EXPECT_FALSE(p.keepMru[0] || p.keepMru[1] || p.keepMru[2]);
    std::char_traits<char16_t>::copy(mru[1], u"C:\\b.plk", 9);
    p = planCollectionMenu(3, mru);
    EXPECT_FALSE(p.removeMissingGreyed || p.recentSubmenuGreyed || p.keepMru[0] || p.keepMru[2]);
    EXPECT_TRUE(p.keepMru[1]);
}

TEST(MruTest, MoveToFrontKeepsEachPathOnce) {
    char16_t mru[3][plat::kPathUnits] = {};
    // Each step: the path moved to the front and the slots afterwards.
    const std::pair<const char16_t*, std::u16string> steps[] = {
        {u"a", u"a||"},   {u"b", u"b|a|"},  {u"c", u"c|b|a"},
        {u"B", u"B|c|a"}, // slot 2, found without regard to case
        {u"a", u"a|B|c"}, // slot 3
        {u"A", u"a|B|c"}, // slot 1: nothing moves
        {u"d", u"d|a|B"}, // new: the oldest drops out
        {u"", u"d|a|B"},
    };
    const auto slots = [&] { return std::u16string(mru[0]) + u"|" + mru[1] + u"|" + mru[2]; };
    for (const auto& [path, expected] : steps) {
        mruMoveToFront(mru, path);
        EXPECT_EQ(slots(), expected) << std::u16string(path).size();
    }
    mruMoveToFront(mru, mru[2]); // a slot's own text as the argument
    EXPECT_EQ(slots(), u"B|d|a");
}

} // namespace
