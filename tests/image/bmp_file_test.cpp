// BMP files in and out: readBmp and the header check against truncated and
// lying files, the pixels' place, and the writing procedure.
#include <gtest/gtest.h>

#include <cstring>

#include "image/bmp_file.h"
#include "image_test_util.h"
#include "platform/file_io.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace imgtest;

namespace {

// Counts the reads, so a refusal can be shown to come before the pixels.
struct CountingInput : MemoryInput {
    explicit CountingInput(const Bytes& b) : MemoryInput(b.data(), static_cast<uint32_t>(b.size())) {}
    int reads = 0;
    bool read(void* buffer, uint32_t n, uint32_t* got) override {
        ++reads;
        return MemoryInput::read(buffer, n, got);
    }
};

PackedDib readBytes(const Bytes& file, int32_t flag = 0, int32_t* flagOut = nullptr, int* reads = nullptr) {
    CountingInput input(file);
    PackedDib dib = readBmp(input, &flag);
    if (flagOut)
        *flagOut = flag;
    if (reads)
        *reads = input.reads;
    return dib;
}

Dib paletted8(int32_t w, int32_t h, uint32_t entries) {
    return dib(w, h, 8, Bytes(static_cast<size_t>(strideOf(w, 8)) * (h < 0 ? -h : h), 0),
               Bytes(4 * entries, 0x11));
}

} // namespace

TEST(ReadBmp, PixelsStartAtBfOffBitsAndFollowTheTableInTheBlock) {
    Dib d = paletted8(3, 2, 2);
    d.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    Bytes packed = d.file();
    Bytes gapped = packed; // a gap announced by bfOffBits
    gapped.insert(gapped.begin() + 14 + 40 + 8, 6, 0xEE);
    put32(gapped, 2, static_cast<uint32_t>(gapped.size()));
    put32(gapped, 10, 14 + 40 + 8 + 6);
    Bytes trailing = packed; // bytes after bfSize are no harm
    trailing.push_back(0);
    Bytes core = dib(1, 1, 1, {0x80, 0, 0, 0}).file(); // made a 12-byte header, 36 bytes in all
    core.erase(core.begin() + 14 + 12, core.begin() + 14 + 40);
    put32(core, 14, 12), put16(core, 18, 1), put16(core, 20, 1), put16(core, 22, 1), put16(core, 24, 1);
    core.insert(core.begin() + 26, {0, 0, 0, 255, 255, 255});
    put32(core, 2, 36), put32(core, 10, 32);
    ASSERT_EQ(core.size(), 36u);
    for (const Bytes* file : {&packed, &gapped, &trailing, &core}) {
        PackedDib dib = readBytes(*file);
        ASSERT_TRUE(dib);
        const Bytes& expected = file == &core ? core : packed;
        ASSERT_EQ(dib.size(), get32(expected, 2) - 14);
        EXPECT_EQ(0, std::memcmp(dib.data(), expected.data() + 14, dib.size()));
        // The headers alone tell the same layout.
        MemoryInput input(file->data(), static_cast<uint32_t>(file->size()));
        DibLayout fromHeaders, fromBlock;
        ASSERT_TRUE(readBmpLayout(input, &fromHeaders));
        ASSERT_TRUE(locateDib(dib, &fromBlock));
        EXPECT_EQ(fromHeaders.pixelOffset, fromBlock.pixelOffset);
        EXPECT_EQ(fromHeaders.pixelBytes, fromBlock.pixelBytes);
        EXPECT_EQ(fromHeaders.width, fromBlock.width);
    }
}

TEST(ReadBmp, RefusesLyingHeadersBeforeReadingThePixels) {
    const Bytes good = paletted8(4, 4, 4).file();
    ASSERT_TRUE(readBytes(good));
    auto with = [&](size_t at, uint32_t v) {
        Bytes b = good;
        put32(b, at, v);
        return b;
    };
    Bytes notBm = good;
    notBm[0] = 'X';
    const struct {
        const char* what;
        Bytes file;
        int reads; // 1: refused on the file header alone, nothing allocated; 0: any
    } refused[] = {
        {"not BM", notBm, 1},
        {"JPEG", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1}, 1},
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
        {"negative width", with(14 + 4, static_cast<uint32_t>(-4)), 0},
        {"INT32_MIN height", with(14 + 8, 0x80000000), 0},
        {"zero bit count", with(14 + 12, 1), 0},
    };
    for (const auto& c : refused) {
        int reads = 0;
        EXPECT_FALSE(readBytes(c.file, 0, nullptr, &reads)) << c.what;
        MemoryInput input(c.file.data(), static_cast<uint32_t>(c.file.size()));
        DibLayout l;
        EXPECT_FALSE(readBmpLayout(input, &l)) << c.what;
        EXPECT_TRUE(c.reads == 0 || reads == c.reads) << c.what << ": " << reads << " reads";
    }
}

#ifndef _WIN32 // the native poll hook stands in for the message queue
TEST(ReadBmp, ReadsPixelsInChunksAndPollsBetweenThem) {
    Dib d = paletted8(static_cast<int32_t>(kBmpReadChunkBytes / 2), 4, 1);
    ASSERT_EQ(d.pixels.size(), 2u * kBmpReadChunkBytes);
    std::fill(d.pixels.begin(), d.pixels.end(), 0x5A);
    Bytes file = d.file();
    int32_t flag = -1;
    {
        PollGuard guard(0); // two chunks: two polls, no empty third read
        ASSERT_TRUE(readBytes(file, 1, &flag));
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(PollGuard::calls, 2);
        EXPECT_EQ(PollGuard::lastAllowInput, 1);
    }
    PollGuard guard(1); // cancelled after the first chunk: the rest stays zero
    PackedDib dib = readBytes(file, 1, &flag);
    ASSERT_TRUE(dib);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(dib.data()[dib.size() - kBmpReadChunkBytes - 1], 0x5A);
    EXPECT_EQ(dib.data()[dib.size() - kBmpReadChunkBytes], 0);
    EXPECT_EQ(dib.data()[dib.size() - 1], 0);
}
#endif

TEST(WriteBmpFile, WritesTheWholeFileOrNone) {
    TempDir dir;
    std::u16string name = dir.file(u"out.bmp");
    uint8_t header[40];
    makeInfoHeader(header, 3, 2, 8, 2, 0);
    const uint8_t table[8] = {1, 2, 3, 0, 4, 5, 6, 0}, pixels[8] = {0, 1, 0, 0, 1, 0, 1, 0};
    ASSERT_EQ(writeBmpFile(name.c_str(), header, table, 2, pixels, 4, 2), 1);
    Bytes f = readAll(name);
    ASSERT_EQ(f.size(), 14u + 40 + 8 + 8);
    EXPECT_EQ(get32(f, 0) & 0xFFFF, 0x4D42u);
    EXPECT_EQ(get32(f, 2), f.size());
    EXPECT_EQ(get32(f, 6), 0u);
    EXPECT_EQ(get32(f, 10), 62u);
    PackedDib back = readBytes(f);
    ASSERT_TRUE(back);
    EXPECT_EQ(0, std::memcmp(back.data(), f.data() + 14, back.size()));

    std::u16string missingFolder = dir.file(u"no-such-folder/x.bmp"), big = dir.file(u"big.bmp");
    EXPECT_EQ(writeBmpFile(missingFolder.c_str(), header, nullptr, 0, pixels, 4, 1), 0);
    EXPECT_FALSE(fileExists(missingFolder));
    // A size that does not fit the 32-bit file header: nothing is created.
    EXPECT_EQ(writeBmpFile(big.c_str(), header, nullptr, 0, pixels, 0x10000, 0x10000), 0);
    EXPECT_FALSE(fileExists(big));
#ifndef _WIN32
    // A write that fails half way (file size limit) deletes the partial file.
    std::u16string partial = dir.file(u"partial.bmp");
    struct rlimit old, small;
    getrlimit(RLIMIT_FSIZE, &old);
    small = old;
    small.rlim_cur = 100;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    std::vector<uint8_t> rows(400, 7);
    int r = writeBmpFile(partial.c_str(), header, nullptr, 0, rows.data(), 4, 100);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(fileExists(partial));
#endif
}
