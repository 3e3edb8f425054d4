// Picture files in and out: BMP reading against lying headers (arbitrary
// bytes are the fuzzer's), the pixels' place and writing; JPEG to BMP.
#include <gtest/gtest.h>

#include "image/bmp_file.h"
#include "image/jpeg_to_bmp.h"
#include "image_test_util.h"
#include "platform/cpu.h"
#include "platform/file_io.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace imgtest;

namespace {

// readBmp, counting its reads (a refusal must come before the pixels), and
// the header check alone.
struct Read : MemoryInput {
    explicit Read(const Bytes& file) : MemoryInput(file.data(), uint32_t(file.size())) {
        dib = readBmp(*this, &flag);
        MemoryInput headers(file.data(), uint32_t(file.size()));
        DibLayout layout;
        judged = readBmpLayout(headers, &layout);
    }
    bool read(void* buffer, uint32_t n, uint32_t* got) override { return ++reads, MemoryInput::read(buffer, n, got); }
    Bytes block() const { return dib ? Bytes(dib.data(), dib.data() + dib.size()) : Bytes(); }
    int reads = 0;
    int32_t flag = 0;
    PackedDib dib;
    bool judged;
};

std::u16string dataFile(const char* name) { return u16(std::string(PLOCHAR_SOURCE_DIR "/tests/image/data/") + name); }

// The accurate decoder path throughout, so results are exact.
class ConvertJpeg : public ::testing::Test {
  protected:
    ConvertJpeg() { HasMmx = 0; }
    ~ConvertJpeg() override { HasMmx = saved_; }
    PackedDib toMemory(const std::u16string& in) {
        PackedDib dib;
        return convertJpeg(nullptr, in.c_str(), u"", &abortFlag, &dib) ? std::move(dib) : PackedDib();
    }
    int32_t abortFlag = 0, saved_ = HasMmx;
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
    getrlimit(RLIMIT_FSIZE, &old), small = old, small.rlim_cur = 100;
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

// Through a borrowed handle, which wins over the path, is rewound and stays
// open. The picture's top row (10, 128, 250) is the last stored row.
TEST_F(ConvertJpeg, GreyPictureIsAnEightBitFileWithAGreyTable) {
    TempDir dir;
    std::u16string out = dir.file(u"grey.bmp");
    plat::FileHandle handle = plat::openForRead(dataFile("grey_3x2.jpg").c_str());
    ASSERT_TRUE(handle && plat::seekTo(handle, 100));
    abortFlag = 1;
    ASSERT_EQ(convertJpeg(handle, u"/no/such/picture.jpg", out.c_str(), &abortFlag, nullptr), 1);
    uint32_t size = 0;
    EXPECT_TRUE(plat::fileSize(handle, &size));
    plat::closeFile(handle);
    EXPECT_EQ(abortFlag, 0);
    Bytes greys;
    for (int i = 0; i < 256; ++i)
        greys.insert(greys.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
    Dib expected = dib(3, 2, 8, {59, 93, 198, 0, 9, 128, 251, 0}, greys);
    expected.clrUsed = 0; // the whole table
    EXPECT_EQ(readAll(out), expected.file());
    // Neither a path nor a handle; no output at all.
    PackedDib dib;
    EXPECT_EQ(convertJpeg(nullptr, u"", nullptr, &abortFlag, &dib), 0);
    EXPECT_EQ(convertJpeg(nullptr, dataFile("grey_3x2.jpg").c_str(), nullptr, &abortFlag, nullptr), 0);
}

// djpeg reads the pixel as red 199, green 40, blue 10; a BMP stores blue first.
TEST_F(ConvertJpeg, ColourPixelIsStoredBlueFirst) {
    PackedDib block = toMemory(dataFile("colour_1x1.jpg"));
    EXPECT_EQ(Bytes(block.data(), block.data() + block.size()), dib(1, 1, 24, {10, 40, 199, 0}).build());
}

TEST_F(ConvertJpeg, FirstRowIsStoredLastAndCancelLeavesBlackBelowIt) {
    for (int cancel : {0, 1}) {
        AbortRequest = cancel; // the cancel menu, seen by the first poll
        PackedDib dib = toMemory(dataFile("colour_24x20_top_white.jpg"));
        AbortRequest = 0;
        DibLayout l;
        ASSERT_TRUE(locateDib(dib, &l));
        EXPECT_EQ(abortFlag, cancel);
        EXPECT_EQ(std::make_pair(l.width, l.rows), std::make_pair(24, 20));
        EXPECT_FALSE(l.topDown);
        const uint8_t* pixels = dib.data() + l.pixelOffset;
        EXPECT_GT(pixels[19 * l.stride], 200);
        EXPECT_LT(pixels[0], 50);
        EXPECT_TRUE(!cancel || Bytes(pixels, pixels + 19 * l.stride) == Bytes(19 * l.stride, 0));
    }
}

TEST_F(ConvertJpeg, DecoderFaultHalfWayGivesNoPicture) {
    TempDir dir;
    Bytes jpeg = readAll(dataFile("grey_8x32_restart.jpg"));
    ASSERT_EQ(jpeg.at(351), 0xD1);
    EXPECT_TRUE(toMemory(dataFile("grey_8x32_restart.jpg"))); // intact, it converts
    jpeg[351] = 0xD5;                                         // the second restart marker out of sequence
    std::u16string in = writeTemp(dir, jpeg, u".jpg"), out = dir.file(u"broken.bmp");
    EXPECT_EQ(convertJpeg(nullptr, in.c_str(), out.c_str(), &abortFlag, nullptr), 0);
    EXPECT_FALSE(fileExists(out));
    EXPECT_FALSE(toMemory(in));
}
