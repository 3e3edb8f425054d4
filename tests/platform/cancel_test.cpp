// A cancel chosen on the popup's thread reaches only the operation the popup
// was opened for. The popup's steps run here in the order that once let a
// stale request cancel the next change.
#include <gtest/gtest.h>

#include "platform/cancel.h"

TEST(Cancel, ARequestReachesOnlyItsOwnOperation) {
    const uint32_t first = plat::beginOperation();
    // The popup opened for the first operation decides only after it ended.
    plat::endOperation();
    plat::requestCancel(first);
    const uint32_t second = plat::beginOperation();
    EXPECT_NE(second, first);
    EXPECT_EQ(CheckUserAbort(0), 0) << "a stale request cancelled a later operation";
    plat::requestCancel(second);
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(CheckUserAbort(0), 0) << "a request counts once";
    plat::endOperation();
    EXPECT_EQ(plat::runningOperation(), 0u);
}
