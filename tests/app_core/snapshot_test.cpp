// isChanged against the snapshots of the settings, the list and the collection.
#include <gtest/gtest.h>

#include "app_core/app_state.h"
#include "settings/settings_store.h"
#include "test_support.h"

TEST(SnapshotTest, EachKindOfChangeCounts) {
    testing_support::TempDir dir;
    testing_support::writeText(dir.file(u"a.bmp"), "BM");
    setAutoPauseList(u"Nero\n");
    takeSnapshots();
    ASSERT_EQ(ActiveCollection.addPath(dir.file(u"a.bmp").c_str()), AddOutcome::Added);
    EXPECT_TRUE(isChanged());
    // An empty list equals its null snapshot, or a cleared list would count
    // as a change for ever.
    setAutoPauseList(u"");
    takeSnapshots();
    AutoPauseList.reset();
    EXPECT_FALSE(isChanged());
    ActiveCollection.clear();
}
