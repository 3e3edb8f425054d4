#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/file_io.h"
#include "test_support.h"

using testing_support::readAll;
using testing_support::TempDir;

TEST(FileIo, WriteReadPositionAndSize) {
    TempDir dir;
    std::u16string p = dir.file(u"Soubor s háčky – ěščř.bin");
    plat::FileHandle out = plat::createForWrite(p.c_str());
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(plat::writeBytes(out, "hello, world", 12));
    EXPECT_TRUE(plat::flushFile(out));
    plat::closeFile(out);

    plat::FileHandle in = plat::openForRead(p.c_str(), true);
    ASSERT_NE(in, nullptr);
    uint32_t size = 0, position = 99;
    ASSERT_TRUE(plat::fileSize(in, &size));
    EXPECT_EQ(size, 12u);
    char buffer[32] = {};
    uint32_t got = 0;
    ASSERT_TRUE(plat::seekTo(in, 7));
    ASSERT_TRUE(plat::readBytes(in, buffer, 32, &got));
    EXPECT_EQ(got, 5u);
    EXPECT_EQ(std::string(buffer, got), "world");
    ASSERT_TRUE(plat::currentPosition(in, &position));
    EXPECT_EQ(position, 12u);
    ASSERT_TRUE(plat::readBytes(in, buffer, 32, &got));
    EXPECT_EQ(got, 0u) << "the end reads as zero bytes";
    plat::closeFile(in);

    EXPECT_EQ(plat::openForRead(dir.file(u"missing").c_str()), nullptr);
    EXPECT_EQ(plat::openForRead(u""), nullptr);
    EXPECT_EQ(plat::openForRead(dir.path().u16string().c_str()), nullptr) << "a folder is no file";
    EXPECT_EQ(plat::createForWrite(dir.file(u"no/such/folder").c_str()), nullptr);
}

TEST(FileIo, CreateTruncatesAnExistingFile) {
    TempDir dir;
    std::u16string p = dir.file(u"a.bin");
    testing_support::writeText(p, "a long old content");
    plat::FileHandle out = plat::createForWrite(p.c_str());
    ASSERT_NE(out, nullptr);
    plat::writeBytes(out, "new", 3);
    plat::closeFile(out);
    EXPECT_EQ(readAll(p).size(), 3u);
}

TEST(FileIo, MoveCopyDeleteAndExistence) {
    TempDir dir;
    std::u16string a = dir.file(u"a.txt"), b = dir.file(u"b.txt"), c = dir.file(u"č.txt");
    testing_support::writeText(a, "first");
    testing_support::writeText(b, "second");
    EXPECT_TRUE(plat::pathExists(a.c_str()));
    EXPECT_TRUE(plat::pathExists(dir.path().u16string().c_str())) << "a folder exists too";
    EXPECT_FALSE(plat::pathExists(c.c_str()));
    EXPECT_FALSE(plat::pathExists(u""));

    EXPECT_FALSE(plat::moveFile(a.c_str(), b.c_str())) << "a plain move does not replace";
    EXPECT_TRUE(plat::moveReplace(a.c_str(), b.c_str()));
    EXPECT_FALSE(plat::pathExists(a.c_str()));
    EXPECT_EQ(readAll(b), std::vector<uint8_t>({'f', 'i', 'r', 's', 't'}));

    EXPECT_TRUE(plat::copyFile(b.c_str(), c.c_str(), true));
    EXPECT_FALSE(plat::copyFile(b.c_str(), c.c_str(), true)) << "the target exists";
    EXPECT_TRUE(plat::copyFile(b.c_str(), c.c_str(), false));
    EXPECT_EQ(readAll(c), readAll(b));
    EXPECT_FALSE(plat::copyFile(dir.file(u"missing").c_str(), a.c_str(), false));

    EXPECT_TRUE(plat::setNormalAttributes(c.c_str()));
    EXPECT_TRUE(plat::deleteFile(c.c_str()));
    EXPECT_FALSE(plat::deleteFile(c.c_str()));
    EXPECT_TRUE(plat::moveFile(b.c_str(), a.c_str()));
    EXPECT_TRUE(plat::pathExists(a.c_str()));
}
