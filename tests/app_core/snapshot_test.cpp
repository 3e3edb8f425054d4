// isChanged against the snapshots of the settings, the list and the collection.
#include <gtest/gtest.h>

#include "app_core/app_state.h"
#include "settings/settings_store.h"
#include "test_support.h"

TEST(SnapshotTest, EachKindOfChangeCounts) {
    testing_support::TempDir dir;
    const std::u16string a = dir.file(u"a.bmp");
    testing_support::writeText(a, "BM");
    setAutoPauseList(u"Nero\n");
    takeSnapshots();
    AppSettings.customColours[15] ^= 1;
    EXPECT_TRUE(isChanged()) << "the last bytes of the record count";
    AppSettings = SettingsSnapshot;
    setAutoPauseList(u"Nero\nWord\n");
    EXPECT_TRUE(isChanged());
    setAutoPauseList(u"Nero\n");
    EXPECT_FALSE(isChanged());
    ASSERT_EQ(ActiveCollection.addPath(a.c_str()), AddOutcome::Added);
    EXPECT_TRUE(isChanged());
    // An empty list equals its null snapshot, or a cleared list would count
    // as a change for ever.
    setAutoPauseList(u"");
    takeSnapshots();
    AutoPauseList.reset();
    EXPECT_FALSE(isChanged());
    ActiveCollection.clear();
    SavedCollection.clear();
}
