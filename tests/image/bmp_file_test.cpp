// BMP files in and out: readBmp and the header check against truncated and
// lying files, the pixels' place, and the writing procedure. Whether the
// header check and readBmp agree on arbitrary bytes is the fuzzer's.
#include <gtest/gtest.h>

#include "image/bmp_file.h"
#include "image_test_util.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace imgtest;

namespace {

// readBmp, counting its reads (a refusal must come before the pixels), and
// the header check alone.
struct Read : MemoryInput {
    explicit Read(const Bytes& file, int32_t flagIn = 0) : MemoryInput(file.data(), uint32_t(file.size())) {
        flag = flagIn, dib = readBmp(*this, &flag);
        MemoryInput headers(file.data(), uint32_t(file.size()));
        DibLayout layout;
        judged = readBmpLayout(headers, &layout);
    }
    bool read(void* buffer, uint32_t n, uint32_t* got) override { return ++reads, MemoryInput::read(buffer, n, got); }
    Bytes block() const { return dib ? Bytes(dib.data(), dib.data() + dib.size()) : Bytes(); }
    int reads = 0;
    int32_t flag;
    PackedDib dib;
    bool judged;
};

} // namespace

TEST(ReadBmp, PicturesComeOutPackedWhereverThePixelsStart) {
    const Dib d = dib(3, 2, 8, {1, 2, 3, 0, 4, 5, 6, 0}, Bytes(8, 0x11));
    Dib core = dib(1, 1, 1, {0x80, 0, 0, 0}, {0, 0, 0, 255, 255, 255}); // 36 bytes in all
    core.headerSize = 12;
    Bytes trailing = d.file();
    trailing.push_back(0); // bytes after bfSize are no harm
    const std::pair<Bytes, Bytes> cases[] = {
        {d.file(), d.build()}, {d.file(6), d.build()}, {trailing, d.build()}, {core.file(), core.build()}};
    for (const auto& [file, block] : cases) {
        Read r(file);
        EXPECT_TRUE(r.judged) << file.size();
        EXPECT_EQ(r.block(), block) << file.size();
    }
}

TEST(ReadBmp, RefusesLyingHeadersBeforeReadingThePixels) {
    const Bytes good = dib(4, 4, 8, Bytes(16, 0), Bytes(16, 0x11)).file();
    ASSERT_TRUE(Read(good).dib);
    auto with = [&](size_t at, uint32_t v) {
        Bytes b = good;
        put32(b, at, v);
        return b;
    };
    const struct {
        const char* what;
        Bytes file;
        int reads; // 1: refused on the file header alone, nothing allocated; 0: any
    } refused[] = {
        {"not BM", with(0, 0x00564D58), 1},
        {"file header cut", Bytes(good.begin(), good.begin() + 13), 1},
        {"bfSize 2 GB", with(2, 0x7FFFFFFF), 1},
        {"bfSize near 4 GB", with(2, 0xFFFFFFF0), 1},
        {"truncated by one byte", Bytes(good.begin(), good.end() - 1), 1},
        {"bfSize below bfOffBits", with(2, 20), 1},
        {"bfOffBits inside the file header", with(10, 13), 1},
        {"DIB header beyond the block", with(14, 5000), 0},
        {"neither core nor info header", with(14, 16), 0},
        {"table runs past the pixels", with(14 + 32, 1000), 0},
        {"entries x 4 wraps in 32 bits", with(14 + 32, 0x40000000), 0},
        {"stride x rows beyond 32 bits", with(14 + 4, 0x7FFFFFFF), 0},
        {"negative width", with(14 + 4, uint32_t(-4)), 0},
        {"INT32_MIN height", with(14 + 8, 0x80000000), 0},
        {"zero bit count", with(14 + 12, 1), 0},
    };
    for (const auto& c : refused) {
        Read r(c.file);
        EXPECT_FALSE(r.dib || r.judged) << c.what;
        EXPECT_TRUE(c.reads == 0 || r.reads == c.reads) << c.what << ": " << r.reads << " reads";
    }
}

#ifndef _WIN32 // the native poll hook stands in for the message queue
TEST(ReadBmp, ReadsPixelsInChunksAndPollsBetweenThem) {
    const Bytes file = dib(int32_t(kBmpReadChunkBytes / 2), 4, 8, Bytes(2 * kBmpReadChunkBytes, 0x5A), Bytes(4, 0)).file();
    for (int from : {0, 1}) { // two chunks: two polls, no empty third read; or cancelled after the first
        PollGuard guard(from);
        Read r(file, 1);
        const Bytes b = r.block();
        ASSERT_FALSE(b.empty());
        EXPECT_EQ(std::make_tuple(r.flag, PollGuard::calls, PollGuard::lastAllowInput), std::make_tuple(from, 2 - from, 1));
        EXPECT_EQ(b[b.size() - kBmpReadChunkBytes - 1], 0x5A); // the rest of a cancelled read stays zero
        EXPECT_EQ(Bytes(b.end() - kBmpReadChunkBytes, b.end()), Bytes(kBmpReadChunkBytes, from ? 0 : 0x5A));
    }
}
#endif

TEST(WriteBmpFile, WritesTheWholeFileOrNone) {
    TempDir dir;
    std::u16string name = dir.file(u"out.bmp"), other = dir.file(u"other.bmp");
    uint8_t header[40];
    makeInfoHeader(header, 3, 2, 8, 2, 0);
    const uint8_t table[8] = {1, 2, 3, 0, 4, 5, 6, 0}, pixels[8] = {0, 1, 0, 0, 1, 0, 1, 0};
    ASSERT_EQ(writeBmpFile(name.c_str(), header, table, 2, pixels, 4, 2), 1);
    EXPECT_EQ(readAll(name), dib(3, 2, 8, Bytes(pixels, pixels + 8), Bytes(table, table + 8)).file());
    EXPECT_EQ(writeBmpFile(dir.file(u"no-such-folder/x.bmp").c_str(), header, nullptr, 0, pixels, 4, 1), 0);
    // A size that does not fit the 32-bit file header: nothing is created.
    EXPECT_EQ(writeBmpFile(other.c_str(), header, nullptr, 0, pixels, 0x10000, 0x10000), 0);
    EXPECT_FALSE(fileExists(other));
#ifndef _WIN32
    // A write that fails half way (file size limit) deletes the partial file.
    struct rlimit old, small;
    getrlimit(RLIMIT_FSIZE, &old);
    small = old, small.rlim_cur = 100;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const Bytes rows(400, 7);
    const int r = writeBmpFile(other.c_str(), header, nullptr, 0, rows.data(), 4, 100);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(fileExists(other));
#endif
}
