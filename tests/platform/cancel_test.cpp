// A cancel chosen on the popup's thread reaches only the operation it was
// opened for, even when it arrives after that one ended (a stale request once
// cancelled the next change).
#include <gtest/gtest.h>

#include "platform/cancel.h"

TEST(Cancel, ARequestReachesOnlyItsOwnOperation) {
    const uint32_t first = plat::beginOperation();
    plat::endOperation();
    plat::requestCancel(first);
    const uint32_t second = plat::beginOperation();
    EXPECT_EQ(CheckUserAbort(0), 0) << "a stale request cancelled a later operation";
    plat::requestCancel(second);
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(CheckUserAbort(0), 0) << "a request counts once";
    plat::endOperation();
}
