// isChanged against the snapshots of the settings, the list and the collection.
#include <gtest/gtest.h>

#include "app_core/app_state.h"
#include "settings/settings_store.h"
#include "test_pictures.h"

namespace {

class SnapshotTest : public testing::Test {
  protected:
    void SetUp() override {
        AppSettings = defaultSettings();
        setAutoPauseList(u"Nero\n");
        ActiveCollection.clear();
        ASSERT_EQ(ActiveCollection.addPath(pictures[0]), AddOutcome::Added);
        takeSnapshots();
    }
    void TearDown() override {
        ActiveCollection.clear();
        SavedCollection.clear();
        AutoPauseList.reset();
        AutoPauseSnapshot.reset();
    }
    TestPictures pictures{{"a.bmp", "b.bmp"}};
};

TEST_F(SnapshotTest, EachKindOfChangeCounts) {
    EXPECT_FALSE(isChanged());
    AppSettings.customColours[15] = 0;
    EXPECT_TRUE(isChanged()) << "the last bytes of the record count";
    AppSettings = SettingsSnapshot;
    setAutoPauseList(u"Nero\nWord\n");
    EXPECT_TRUE(isChanged());
    setAutoPauseList(u"Nero\n");
    EXPECT_FALSE(isChanged());
    ASSERT_EQ(ActiveCollection.addPath(pictures[1]), AddOutcome::Added);
    EXPECT_TRUE(isChanged());
    takeSnapshots();
    EXPECT_FALSE(isChanged());
}

TEST_F(SnapshotTest, AnEmptyListEqualsItsNullSnapshot) {
    setAutoPauseList(u"");
    takeSnapshots();
    EXPECT_EQ(AutoPauseSnapshot, nullptr);
    EXPECT_FALSE(isChanged()) << "a cleared list must not count as a change for ever";
    AutoPauseList.reset();
    EXPECT_FALSE(isChanged());
    setAutoPauseList(u"x\n");
    EXPECT_TRUE(isChanged());
}

} // namespace
