// BMP files in and out: the checked locator, readBmp against truncated and
// lying files, and the writing procedure.
#include <gtest/gtest.h>

#include <cstring>

#include "image/bmp_file.h"
#include "image/packed_dib.h"
#include "image_test_util.h"
#include "platform/file_io.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace imgtest;

namespace {

PackedDib readBytes(const Bytes& file, int32_t* abortFlag = nullptr) {
    MemoryInput input(file.data(), static_cast<uint32_t>(file.size()));
    int32_t flag = 0;
    return readBmp(input, abortFlag ? abortFlag : &flag);
}

Dib paletted8(int32_t w, int32_t h, uint32_t entries) {
    Dib d;
    d.width = w;
    d.height = h;
    d.bitCount = 8;
    d.clrUsed = entries;
    d.table.assign(4 * entries, 0x11);
    d.pixels.assign(static_cast<size_t>(strideOf(w, 8)) * (h < 0 ? -h : h), 0);
    return d;
}

} // namespace

TEST(LocateDib, PlacesTableAndPixelsForEveryHeaderForm) {
    DibLayout l;
    // Core header: 3-byte entries, 2^bits of them, no compression.
    Dib core;
    core.headerSize = 12;
    core.width = 5;
    core.height = 2;
    core.bitCount = 4;
    core.table.assign(16 * 3, 0);
    core.pixels.assign(2 * strideOf(5, 4), 0);
    ASSERT_TRUE(locateDib(core.packed(), &l));
    EXPECT_TRUE(l.coreHeader);
    EXPECT_EQ(l.tableOffset, 12u);
    EXPECT_EQ(l.tableEntries, 16u);
    EXPECT_EQ(l.pixelOffset, 12u + 48u);
    EXPECT_EQ(l.stride, 4u);

    // 40-byte header with bit fields: masks at 40..51, table at 52.
    Dib fields;
    fields.width = 3;
    fields.height = -2;
    fields.bitCount = 16;
    fields.compression = 3;
    fields.masks[0] = 0xF800, fields.masks[1] = 0x07E0, fields.masks[2] = 0x001F;
    fields.pixels.assign(2 * strideOf(3, 16), 0);
    ASSERT_TRUE(locateDib(fields.packed(), &l));
    EXPECT_TRUE(l.topDown);
    EXPECT_EQ(l.rows, 2);
    EXPECT_EQ(l.pixelOffset, 52u);
    EXPECT_EQ(l.masks[1], 0x07E0u);

    // A V5 header (124 bytes): the table starts at the header size.
    Dib v5 = paletted8(2, 1, 2);
    v5.headerSize = 124;
    ASSERT_TRUE(locateDib(v5.packed(), &l));
    EXPECT_EQ(l.tableOffset, 124u);
    EXPECT_EQ(l.pixelOffset, 124u + 8u);
}

TEST(LocateDib, RefusesHeadersThatDoNotFitTheirBlock) {
    DibLayout l;
    Dib good = paletted8(4, 4, 256);
    ASSERT_TRUE(locateDib(good.packed(), &l));

    Bytes bytes = good.build();
    auto fails = [&](Bytes b) { return !locateDib(b.data(), static_cast<uint32_t>(b.size()), &l); };

    Bytes shortRows = bytes;
    shortRows.pop_back(); // one pixel byte missing
    EXPECT_TRUE(fails(shortRows));

    Bytes hugeTable = bytes;
    put32(hugeTable, 32, 0x40000000); // entries x 4 wraps in 32 bits
    EXPECT_TRUE(fails(hugeTable));

    Bytes hugeHeader = bytes;
    put32(hugeHeader, 0, 0xFFFFFFF0);
    EXPECT_TRUE(fails(hugeHeader));

    Bytes oddHeader = bytes;
    put32(oddHeader, 0, 16); // neither core nor info header
    EXPECT_TRUE(fails(oddHeader));

    Bytes wide = bytes;
    put32(wide, 4, 0x7FFFFFFF); // stride x rows far beyond 32 bits
    EXPECT_TRUE(fails(wide));

    Bytes negativeWidth = bytes;
    put32(negativeWidth, 4, static_cast<uint32_t>(-4));
    EXPECT_TRUE(fails(negativeWidth));

    Bytes minHeight = bytes;
    put32(minHeight, 8, 0x80000000); // INT32_MIN has no absolute value
    EXPECT_TRUE(fails(minHeight));

    Bytes zeroBits = bytes;
    put16(zeroBits, 14, 0);
    EXPECT_TRUE(fails(zeroBits));

    Bytes fieldsCut(bytes.begin(), bytes.begin() + 44);
    put32(fieldsCut, 16, 3); // masks would lie past the block
    put32(fieldsCut, 32, 0);
    put16(fieldsCut, 14, 16);
    put32(fieldsCut, 4, 0);
    EXPECT_TRUE(fails(fieldsCut));

    EXPECT_TRUE(fails(Bytes(8, 0)));
}

TEST(LocateDib, CompressedPicturesNeedOnlyTheirStartInsideTheBlock) {
    Dib rle = paletted8(100, 100, 2);
    rle.compression = 1;
    rle.pixels = {0, 1};
    DibLayout l;
    ASSERT_TRUE(locateDib(rle.packed(), &l));
    EXPECT_EQ(l.pixelBytes, 2u);
}

TEST(ReadBmp, ReadsWholeFileAndKeepsGapInsideTheBlock) {
    Dib d = paletted8(3, 2, 2);
    d.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    Bytes file = d.file();
    // A 6-byte gap between table and pixels, announced by bfOffBits.
    file.insert(file.begin() + 14 + 40 + 8, 6, 0xEE);
    put32(file, 2, static_cast<uint32_t>(file.size()));
    put32(file, 10, 14 + 40 + 8 + 6);
    PackedDib dib = readBytes(file);
    ASSERT_TRUE(dib);
    ASSERT_EQ(dib.size(), file.size() - 14);
    EXPECT_EQ(0, std::memcmp(dib.data(), file.data() + 14, dib.size()));
    // The pixels are taken right after the table: the gap is their start.
    DibLayout l;
    ASSERT_TRUE(locateDib(dib, &l));
    EXPECT_EQ(dib.data()[l.pixelOffset], 0xEE);
}

TEST(ReadBmp, RefusesFilesWhoseHeaderDoesNotDescribeAReadableBlock) {
    Dib d = paletted8(4, 4, 4);
    Bytes good = d.file();
    ASSERT_TRUE(readBytes(good));

    Bytes notBm = good;
    notBm[0] = 'X';
    EXPECT_FALSE(readBytes(notBm));
    EXPECT_FALSE(readBytes(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1}));
    EXPECT_FALSE(readBytes(Bytes(good.begin(), good.begin() + 13)));

    Bytes lyingSize = good; // claims 2 GB: refused before anything is allocated
    put32(lyingSize, 2, 0x7FFFFFFF);
    EXPECT_FALSE(readBytes(lyingSize));

    Bytes truncated(good.begin(), good.end() - 1); // bfSize now exceeds the file
    EXPECT_FALSE(readBytes(truncated));

    Bytes smallSize = good;
    put32(smallSize, 2, 20); // smaller than bfOffBits
    EXPECT_FALSE(readBytes(smallSize));

    Bytes smallOff = good;
    put32(smallOff, 10, 13);
    EXPECT_FALSE(readBytes(smallOff));

    Bytes bigHeader = good;
    put32(bigHeader, 14, 5000); // header size beyond the block
    EXPECT_FALSE(readBytes(bigHeader));

    Bytes bigTable = good;
    put32(bigTable, 14 + 32, 1000); // table runs past the pixels
    EXPECT_FALSE(readBytes(bigTable));

    // Trailing bytes after bfSize are no harm.
    Bytes trailing = good;
    trailing.push_back(0);
    EXPECT_TRUE(readBytes(trailing));
}

TEST(ReadBmp, SizeBeyondTheFileIsRefusedBeforeAnythingIsAllocatedOrRead) {
    // Counts the reads: a refused header is the only read made.
    struct CountingInput : MemoryInput {
        using MemoryInput::MemoryInput;
        int reads = 0;
        bool read(void* buffer, uint32_t n, uint32_t* got) override {
            ++reads;
            return MemoryInput::read(buffer, n, got);
        }
    };
    Bytes file = paletted8(4, 4, 4).file();
    put32(file, 2, 0xFFFFFFF0);
    CountingInput input(file.data(), static_cast<uint32_t>(file.size()));
    int32_t flag = 0;
    EXPECT_FALSE(readBmp(input, &flag));
    EXPECT_EQ(input.reads, 1);
}

TEST(ReadBmp, ReadsPixelsInChunksAndPollsBetweenThem) {
#ifdef _WIN32
    GTEST_SKIP() << "the native poll hook stands in for the message queue";
#else
    // Pixels of exactly two chunks: two polls, no empty third read.
    Dib d = paletted8(static_cast<int32_t>(kBmpReadChunkBytes / 2), 4, 0);
    d.clrUsed = 1;
    d.table = {1, 2, 3, 0};
    ASSERT_EQ(d.pixels.size(), 2u * kBmpReadChunkBytes);
    Bytes file = d.file();
    {
        PollGuard guard(0);
        int32_t flag = 1;
        PackedDib dib = readBytes(file, &flag);
        ASSERT_TRUE(dib);
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(ScriptedPoll::calls, 2);
        EXPECT_EQ(ScriptedPoll::lastAllowInput, 1);
    }
    {
        // Cancelled after the first chunk: the block comes back as read so
        // far, the rest zero.
        for (size_t i = file.size() - 2 * kBmpReadChunkBytes; i < file.size(); ++i)
            file[i] = 0x5A;
        PollGuard guard(1);
        int32_t flag = 1;
        PackedDib dib = readBytes(file, &flag);
        ASSERT_TRUE(dib);
        EXPECT_EQ(flag, 1);
        EXPECT_EQ(dib.data()[dib.size() - 2 * kBmpReadChunkBytes], 0x5A);
        EXPECT_EQ(dib.data()[dib.size() - kBmpReadChunkBytes - 1], 0x5A);
        EXPECT_EQ(dib.data()[dib.size() - kBmpReadChunkBytes], 0);
        EXPECT_EQ(dib.data()[dib.size() - 1], 0);
    }
#endif
}

TEST(ReadBmp, ReadsFromAnOpenFileAtItsPosition) {
    TempDir dir;
    Dib d = paletted8(2, 2, 2);
    std::string name = dir.file("a.bmp");
    writeFile(name, d.file());
    std::u16string path = plat::fromUtf8(name);
    plat::FileHandle f = plat::openForRead(path.c_str());
    ASSERT_NE(f, nullptr);
    int32_t flag = 0;
    PackedDib dib = readBmp(f, &flag);
    EXPECT_TRUE(dib);
    // At the end of the file nothing is left to read.
    EXPECT_FALSE(readBmp(f, &flag));
    plat::closeFile(f);
}

TEST(WriteBmpFile, WritesHeaderTableAndRowsWithoutGaps) {
    TempDir dir;
    std::string name = dir.file("out.bmp");
    uint8_t header[40];
    makeInfoHeader(header, 3, 2, 8, 2, 0);
    const uint8_t table[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    const uint8_t pixels[8] = {0, 1, 0, 0, 1, 0, 1, 0};
    ASSERT_EQ(writeBmpFile(plat::fromUtf8(name).c_str(), header, table, 2, pixels, 4, 2), 1);
    Bytes f = readFile(name);
    ASSERT_EQ(f.size(), 14u + 40 + 8 + 8);
    EXPECT_EQ(get16(f, 0), 0x4D42);
    EXPECT_EQ(get32(f, 2), f.size());
    EXPECT_EQ(get32(f, 6), 0u);
    EXPECT_EQ(get32(f, 10), 62u);
    EXPECT_EQ(0, std::memcmp(f.data() + 14, header, 40));
    EXPECT_EQ(0, std::memcmp(f.data() + 54, table, 8));
    EXPECT_EQ(0, std::memcmp(f.data() + 62, pixels, 8));

    // The file reads back as the same picture.
    MemoryInput in(f.data(), static_cast<uint32_t>(f.size()));
    int32_t flag = 0;
    PackedDib back = readBmp(in, &flag);
    ASSERT_TRUE(back);
    EXPECT_EQ(0, std::memcmp(back.data(), f.data() + 14, back.size()));
}

TEST(WriteBmpFile, FailureLeavesNoFile) {
    TempDir dir;
    uint8_t header[40];
    makeInfoHeader(header, 1, 1, 24, 0, 0);
    const uint8_t pixels[4] = {};
    std::string missingFolder = dir.file("no-such-folder") + "/x.bmp";
    EXPECT_EQ(writeBmpFile(plat::fromUtf8(missingFolder).c_str(), header, nullptr, 0, pixels, 4, 1), 0);
    EXPECT_FALSE(fileExists(missingFolder));
    // Sizes that do not fit the 32-bit file header: nothing is created.
    std::string big = dir.file("big.bmp");
    EXPECT_EQ(writeBmpFile(plat::fromUtf8(big).c_str(), header, nullptr, 0, pixels, 0x10000, 0x10000), 0);
    EXPECT_FALSE(fileExists(big));
#ifndef _WIN32
    // A write that fails half way (file size limit) deletes the partial file.
    std::string partial = dir.file("partial.bmp");
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 100;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    std::vector<uint8_t> rows(400, 7);
    int r = writeBmpFile(plat::fromUtf8(partial).c_str(), header, nullptr, 0, rows.data(), 4, 100);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(fileExists(partial));
#endif
}
