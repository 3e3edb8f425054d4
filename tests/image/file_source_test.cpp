// FileSource over the platform file layer, and the native cancel poll.
#include <gtest/gtest.h>

#include "image/file_source.h"
#include "image_test_util.h"
#include "platform/cancel.h"
#include "platform/file_io.h"

using namespace imgtest;

TEST(FileSource, EmptyFileEndsAtTheFirstReadAndStaysEnded) {
    TempDir dir;
    std::string name = dir.file("empty.jpg");
    writeFile(name, {});
    FileSource source;
    ASSERT_EQ(source.openFile(plat::fromUtf8(name).c_str()), 1);
    uint8_t buffer[16];
    bool end = false;
    EXPECT_EQ(source.read(buffer, 16, &end), 0);
    EXPECT_TRUE(end);
    EXPECT_EQ(source.endReached, 1);
    end = false;
    EXPECT_EQ(source.read(buffer, 16, &end), 0);
    EXPECT_TRUE(end);
}

TEST(FileSource, FlagsEndWithTheLastBytesAndNeverClearsTheFlag) {
    TempDir dir;
    std::string name = dir.file("ten.jpg");
    writeFile(name, Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    FileSource source;
    ASSERT_EQ(source.openFile(plat::fromUtf8(name).c_str()), 1);
    uint8_t buffer[8];
    bool end = true; // the caller clears it; read never writes false
    EXPECT_EQ(source.read(buffer, 6, &end), 6);
    EXPECT_TRUE(end);
    end = false;
    EXPECT_EQ(source.read(buffer, 6, &end), 4);
    EXPECT_TRUE(end);
    EXPECT_EQ(buffer[3], 9);
}

TEST(FileSource, AttachedHandleIsRewoundAndNeverClosed) {
    TempDir dir;
    std::string name = dir.file("mid.jpg");
    writeFile(name, Bytes{10, 11, 12, 13});
    std::u16string path = plat::fromUtf8(name);
    plat::FileHandle f = plat::openForRead(path.c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(plat::seekTo(f, 2));
    {
        FileSource source;
        ASSERT_EQ(source.attachHandle(f), 1);
        EXPECT_EQ(source.borrowed, 1);
        uint8_t b[2];
        bool end = false;
        EXPECT_EQ(source.read(b, 2, &end), 2);
        EXPECT_EQ(b[0], 10);
    }
    // Still open after the source is gone.
    uint32_t position = 99;
    EXPECT_TRUE(plat::currentPosition(f, &position));
    EXPECT_EQ(position, 2u);
    plat::closeFile(f);
}

TEST(FileSource, WithoutAFileEveryReadFails) {
    FileSource source;
    uint8_t b[4];
    bool end = false;
    EXPECT_EQ(source.read(b, 4, &end), -1);
    EXPECT_EQ(source.openFile(u"/no/such/file.jpg"), 0);
    EXPECT_EQ(source.read(b, 4, &end), -1);
    EXPECT_EQ(source.attachHandle(nullptr), 0);
    EXPECT_FALSE(end);
}

TEST(CheckUserAbort, RequestFromTheCancelMenuCountsOnceAndOnlyUnattended) {
    AbortRequest = 1;
    // With input allowed the request is neither read nor cleared.
    EXPECT_EQ(CheckUserAbort(1), 0);
    EXPECT_EQ(AbortRequest.load(), 1);
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(AbortRequest.load(), 0);
    EXPECT_EQ(CheckUserAbort(0), 0);
}

#ifndef _WIN32
TEST(CheckUserAbort, NativePollStandsInForPendingMessages) {
    PollGuard guard(1);
    AbortRequest = 1;
    // A pending close (the poll) wins before the request is looked at.
    EXPECT_EQ(CheckUserAbort(0), 1);
    EXPECT_EQ(AbortRequest.load(), 1);
    EXPECT_EQ(CheckUserAbort(1), 1);
}
#endif
