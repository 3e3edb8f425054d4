// isChanged against the snapshots of the settings, the list and the collection.
#include <gtest/gtest.h>

#include "app_core/app_state.h"
#include "settings/settings_store.h"
#include "test_pictures.h"

namespace {

TEST(SnapshotTest, EachKindOfChangeCounts) {
    TestPictures pictures{{"a.bmp", "b.bmp"}};
    AppSettings = defaultSettings();
    setAutoPauseList(u"Nero\n");
    ActiveCollection.clear();
    ASSERT_EQ(ActiveCollection.addPath(pictures[0]), AddOutcome::Added);
    takeSnapshots();
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

    // An empty list equals its null snapshot: a cleared list must not count
    // as a change for ever.
    setAutoPauseList(u"");
    takeSnapshots();
    EXPECT_EQ(AutoPauseSnapshot, nullptr);
    EXPECT_FALSE(isChanged());
    AutoPauseList.reset();
    EXPECT_FALSE(isChanged());
    setAutoPauseList(u"x\n");
    EXPECT_TRUE(isChanged());

    ActiveCollection.clear();
    SavedCollection.clear();
    AutoPauseList.reset();
    AutoPauseSnapshot.reset();
}

} // namespace
