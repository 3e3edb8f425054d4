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
    TestPictures pictures{{"Hory.bmp", "More.jpg", "Les.v2.bmp"}};
    WallpaperCollection collection;
    WallpaperEntry current;
};

TEST_F(TrayMenuPlanTest, DefaultItemFollowsTheLastManualCommand) {
    EXPECT_EQ(planTrayMenu(state(0, false, 0)).defaultCommand, kCmdRandom);
    EXPECT_EQ(planTrayMenu(state(0, false, 1)).defaultCommand, kCmdNext);
    EXPECT_EQ(planTrayMenu(state(0, false, 2)).defaultCommand, kCmdPrevious);
    EXPECT_EQ(planTrayMenu(state(0, false, 7)).defaultCommand, kCmdRandom);
    EXPECT_EQ(doubleClickCommand(state(0, false, 2)), kCmdPrevious);
    EXPECT_EQ(doubleClickCommand(state(1, false, 2)), 0) << "paused: a double-click does nothing";
    EXPECT_EQ(doubleClickCommand(state(0, true, 1)), 0) << "window open: nothing";
}

TEST_F(TrayMenuPlanTest, NamesOfTheNextAndPreviousPictureWrapAround) {
    TrayMenuPlan p = planTrayMenu(state());
    EXPECT_EQ(std::u16string(p.nextName), u"Hory") << "no current: next is the first";
    EXPECT_EQ(std::u16string(p.previousName), u"Les.v2") << "no current: previous is the last";
    collection.current = collection.last();
    p = planTrayMenu(state());
    EXPECT_EQ(std::u16string(p.nextName), u"Hory");
    EXPECT_EQ(std::u16string(p.previousName), u"More");
    collection.current = collection.first();
    p = planTrayMenu(state());
    EXPECT_EQ(std::u16string(p.nextName), u"More");
    EXPECT_EQ(std::u16string(p.previousName), u"Les.v2");
    EXPECT_FALSE(p.deleteRandomAndNext);
}

TEST_F(TrayMenuPlanTest, GreyingAndThePauseItem) {
    TrayMenuPlan p = planTrayMenu(state());
    EXPECT_FALSE(p.changesGreyed);
    EXPECT_FALSE(p.settingsGreyed);
    EXPECT_FALSE(p.pauseChecked);
    EXPECT_TRUE(p.reapplyGreyed) << "nothing applied yet";
    p = planTrayMenu(state(1));
    EXPECT_TRUE(p.changesGreyed);
    EXPECT_TRUE(p.pauseChecked);
    EXPECT_FALSE(p.pauseIsCancelAuto);
    p = planTrayMenu(state(2));
    EXPECT_FALSE(p.pauseChecked) << "automatic pause: no check mark";
    EXPECT_TRUE(p.pauseIsCancelAuto);
    p = planTrayMenu(state(0, true));
    EXPECT_TRUE(p.changesGreyed);
    EXPECT_TRUE(p.settingsGreyed);
    EXPECT_TRUE(p.pauseGreyed);

    ASSERT_TRUE(current.setPath(pictures[1]));
    p = planTrayMenu(state());
    EXPECT_FALSE(p.reapplyGreyed);
    EXPECT_EQ(std::u16string(p.reapplyName), u"More");
}

TEST_F(TrayMenuPlanTest, AnEmptyCollectionOffersOnlyTheSettings) {
    collection.clear();
    const TrayMenuPlan p = planTrayMenu(state());
    EXPECT_EQ(p.defaultCommand, kCmdSettings);
    EXPECT_TRUE(p.deleteRandomAndNext);
    EXPECT_TRUE(p.previousIsEmptyText);
    EXPECT_TRUE(p.changesGreyed);
    EXPECT_EQ(doubleClickCommand(state(1, true)), kCmdSettings) << "even paused and open";
}

TEST(AppendNameTest, IsBoundedByTheItemBuffer) {
    char16_t item[12] = u"&Obnovit";
    appendNameToItem(item, 12, u"Hory");
    EXPECT_EQ(std::u16string(item), u"&Obnovit (H");
}

TEST(CollectionMenuPlanTest, RecentFilesAndGreying) {
    char16_t mru[3][plat::kPathUnits] = {};
    CollectionMenuPlan p = planCollectionMenu(0, mru);
    EXPECT_TRUE(p.removeMissingGreyed);
    EXPECT_TRUE(p.recentSubmenuGreyed);
    EXPECT_FALSE(p.keepMru[0] || p.keepMru[1] || p.keepMru[2]);
    std::char_traits<char16_t>::copy(mru[1], u"C:\\b.plk", 9);
    p = planCollectionMenu(3, mru);
    EXPECT_FALSE(p.removeMissingGreyed);
    EXPECT_FALSE(p.recentSubmenuGreyed);
    EXPECT_FALSE(p.keepMru[0]);
    EXPECT_TRUE(p.keepMru[1]);
}

std::u16string slots(char16_t (*mru)[plat::kPathUnits]) {
    return std::u16string(mru[0]) + u"|" + mru[1] + u"|" + mru[2];
}

TEST(MruTest, MoveToFrontKeepsEachPathOnce) {
    char16_t mru[3][plat::kPathUnits] = {};
    mruMoveToFront(mru, u"a");
    EXPECT_EQ(slots(mru), u"a||");
    mruMoveToFront(mru, u"b");
    mruMoveToFront(mru, u"c");
    EXPECT_EQ(slots(mru), u"c|b|a");
    mruMoveToFront(mru, u"B"); // slot 2, found without regard to case
    EXPECT_EQ(slots(mru), u"B|c|a");
    mruMoveToFront(mru, u"a"); // slot 3
    EXPECT_EQ(slots(mru), u"a|B|c");
    mruMoveToFront(mru, u"A"); // slot 1: nothing moves
    EXPECT_EQ(slots(mru), u"a|B|c");
    mruMoveToFront(mru, u"d"); // new: the oldest drops out
    EXPECT_EQ(slots(mru), u"d|a|B");
    mruMoveToFront(mru, mru[2]); // a slot's own text as the argument
    EXPECT_EQ(slots(mru), u"B|d|a");
    mruMoveToFront(mru, u"");
    EXPECT_EQ(slots(mru), u"B|d|a");
}

} // namespace
