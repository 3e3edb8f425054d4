// FileSource over the platform file layer, and the native cancel poll.
#include <gtest/gtest.h>

#include "image/file_source.h"
#include "image_test_util.h"
#include "platform/file_io.h"

using namespace imgtest;

TEST(FileSource, FlagsEndWithTheLastBytesAndNeverClearsTheFlag) {
    TempDir dir;
    FileSource empty;
    ASSERT_EQ(empty.openFile(writeTemp(dir, {}, u".jpg").c_str()), 1);
    uint8_t buffer[8];
    for (int i = 0; i < 2; ++i) { // an empty file ends at the first read and stays ended
        bool end = false;
        EXPECT_EQ(empty.read(buffer, 8, &end), 0);
        EXPECT_TRUE(end);
    }
    FileSource ten;
    ASSERT_EQ(ten.openFile(writeTemp(dir, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, u".jpg").c_str()), 1);
    bool end = true; // the caller clears it; read never writes false
    EXPECT_EQ(ten.read(buffer, 6, &end), 6);
    EXPECT_TRUE(end);
    end = false;
    EXPECT_EQ(ten.read(buffer, 6, &end), 4);
    EXPECT_TRUE(end);
    EXPECT_EQ(buffer[3], 9);
}

TEST(FileSource, AttachedHandleIsRewoundAndNeverClosed) {
    TempDir dir;
    plat::FileHandle f = plat::openForRead(writeTemp(dir, {10, 11, 12, 13}, u".jpg").c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(plat::seekTo(f, 2));
    {
        FileSource source;
        ASSERT_EQ(source.attachHandle(f), 1);
        uint8_t b[2];
        bool end = false;
        EXPECT_EQ(source.read(b, 2, &end), 2);
        EXPECT_EQ(b[0], 10);
    }
    uint32_t position = 99; // still open after the source is gone
    EXPECT_TRUE(plat::currentPosition(f, &position));
    EXPECT_EQ(position, 2u);
    plat::closeFile(f);
}

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
