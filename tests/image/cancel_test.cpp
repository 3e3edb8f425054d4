// The native cancel poll: the cancel menu's request and a pending close.
#include <gtest/gtest.h>

#include "image_test_util.h"

using namespace imgtest;

TEST(CheckUserAbort, RequestFromTheCancelMenuCountsOnceAndOnlyUnattended) {
    AbortRequest = 1;
    EXPECT_EQ(CheckUserAbort(1), 0); // with input allowed it is neither read nor cleared
    EXPECT_EQ(AbortRequest.load(), 1);
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(AbortRequest.load(), 0);
    EXPECT_EQ(CheckUserAbort(0), 0);
#ifndef _WIN32
    PollGuard guard(1); // a pending close (the poll) wins before the request is looked at
    AbortRequest = 1;
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(AbortRequest.load(), 1);
    EXPECT_EQ(CheckUserAbort(1), 1);
#endif
}
