// The cancel poll: a cancel chosen on the popup's thread reaches only the
// operation it was opened for, even when it arrives after that one ended (a
// stale request once cancelled the next change); the cancel menu's request
// counts once and only for unattended work.
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

TEST(CheckUserAbort, RequestFromTheCancelMenuCountsOnceAndOnlyUnattended) {
    AbortRequest = 1;
    EXPECT_EQ(CheckUserAbort(1), 0); // with input allowed it is neither read nor cleared
    EXPECT_EQ(AbortRequest.load(), 1);
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(AbortRequest.load(), 0);
    EXPECT_EQ(CheckUserAbort(0), 0);
#ifndef _WIN32
    // a pending close (the poll) wins before the request is looked at
    plat::setAbortPoll([](int32_t) { return 1; });
    AbortRequest = 1;
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(AbortRequest.load(), 1);
    EXPECT_EQ(CheckUserAbort(1), 1);
    plat::setAbortPoll(nullptr);
    AbortRequest = 0;
#endif
}
