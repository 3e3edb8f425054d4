// JPEG to BMP: the row sink's layout and the conversion's handling of the
// decoder (row order, faults, cancel, handle versus path).
#include <gtest/gtest.h>

#include <cstring>

#include "image/background.h"
#include "image/bmp_row_sink.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/memory_source.h"
#include "image/jpeg_to_bmp.h"
#include "image_test_util.h"
#include "platform/cpu.h"
#include "platform/file_io.h"

using namespace imgtest;

namespace {

std::string dataFile(const char* name) { return std::string(PLOCHAR_SOURCE_DIR) + "/tests/image/data/" + name; }

// The accurate decoder path throughout, so results are exact.
class ConvertJpeg : public ::testing::Test {
  protected:
    ConvertJpeg() { HasMmx = 0; }
    ~ConvertJpeg() override { HasMmx = saved_; }
    int32_t abortFlag = 0;
    int toFile(const std::string& in, const std::string& out) {
        return convertJpeg(nullptr, u16(in).c_str(), u16(out).c_str(), &abortFlag, nullptr);
    }
    PackedDib toMemory(const std::string& in) {
        PackedDib dib;
        return convertJpeg(nullptr, u16(in).c_str(), u"", &abortFlag, &dib) ? std::move(dib) : PackedDib();
    }

  private:
    int32_t saved_ = HasMmx;
};

} // namespace

TEST(BmpRowSink, RowsGoBottomUpGreyUnderARampColourAsBlueGreenRed) {
    BmpRowSink grey;
    ASSERT_EQ(grey.begin(3, 2, 1), 1);
    EXPECT_EQ(grey.stride, 4);
    const uint8_t top[3] = {1, 2, 3}, bottom[3] = {4, 5, 6};
    ASSERT_EQ(grey.putRow(top, 3), 1);
    ASSERT_EQ(grey.putRow(bottom, 3), 1);
    EXPECT_EQ(grey.putRow(top, 3), 0); // never more rows than the height
    PackedDib dib = grey.finish();
    ASSERT_EQ(dib.size(), 40u + 1024 + 8);
    EXPECT_EQ(readLe32(dib.data() + 8), 2u);  // positive: bottom-up
    EXPECT_EQ(readLe32(dib.data() + 32), 0u); // 256 entries by the bit count
    EXPECT_EQ(readLe32(dib.data() + 40 + 4 * 200), 0x00C8C8C8u);
    EXPECT_EQ(0, std::memcmp(dib.data() + 1064, "\4\5\6\0\1\2\3\0", 8));
    // Taking the picture hands over the same bytes and empties the sink.
    PackedDib taken = grey.takePicture();
    ASSERT_EQ(taken.size(), dib.size());
    EXPECT_EQ(0, std::memcmp(taken.data(), dib.data(), dib.size()));
    EXPECT_FALSE(grey.finish());
    EXPECT_EQ(grey.putRow(top, 3), 0);

    BmpRowSink colour;
    ASSERT_EQ(colour.begin(1, 1, 3), 1);
    const uint8_t row[4] = {10, 20, 30, 99};
    EXPECT_EQ(colour.putRow(row, 3), 0); // shorter than one 4-byte pixel
    ASSERT_EQ(colour.putRow(row, 4), 1);
    dib = colour.finish();
    ASSERT_EQ(dib.size(), 44u);
    EXPECT_EQ(readLe16(dib.data() + 14), 24);
    EXPECT_EQ(readLe32(dib.data() + 40), 0x000A141Eu);
    EXPECT_EQ(colour.begin(0, 5, 3), 0);
    EXPECT_EQ(colour.putRow(row, 4), 0);
}

TEST_F(ConvertJpeg, GreyPictureIsAnEightBitFileWithAGreyTable) {
    TempDir dir;
    std::string out = dir.file("grey.bmp");
    abortFlag = 1;
    ASSERT_EQ(toFile(dataFile("grey_3x2.jpg"), out), 1);
    EXPECT_EQ(abortFlag, 0);
    Bytes f = readFile(out);
    ASSERT_EQ(f.size(), 1078u + 2 * 4); // width 3, rows of 4 bytes
    EXPECT_EQ(get32(f, 10), 1078u);
    EXPECT_EQ(get32(f, 2), f.size());
    EXPECT_EQ(get32(f, 54 + 4 * 255), 0x00FFFFFFu);
    // Top row of the picture (10, 128, 250) is the last stored row.
    EXPECT_NEAR(f[1078 + 4], 10, 3);
    EXPECT_NEAR(f[1078 + 6], 250, 3);
    EXPECT_NEAR(f[1078 + 0], 60, 3);
    EXPECT_EQ(f[1078 + 3], 0);
}

TEST_F(ConvertJpeg, ColourPixelTakesBlueFromTheDecodersThirdByte) {
    Bytes jpeg = readFile(dataFile("colour_1x1.jpg"));
    MemorySource source(jpeg.data(), jpeg.size());
    JpegDecoder decoder(&source, false);
    ASSERT_EQ(decoder.begin(), 0);
    const uint8_t* row = nullptr;
    uint32_t bytes = 0;
    ASSERT_EQ(decoder.decodeScanLine(&row, &bytes), 0);

    PackedDib dib = toMemory(dataFile("colour_1x1.jpg"));
    ASSERT_EQ(dib.size(), 44u);
    const uint8_t expected[4] = {row[2], row[1], row[0], 0};
    EXPECT_EQ(0, std::memcmp(dib.data() + 40, expected, 4));
}

TEST_F(ConvertJpeg, FirstRowIsStoredLastAndCancelLeavesBlackBelowIt) {
    PackedDib dib = toMemory(dataFile("colour_24x20_top_white.jpg"));
    DibLayout l;
    ASSERT_TRUE(locateDib(dib, &l));
    EXPECT_EQ(l.rows, 20);
    EXPECT_FALSE(l.topDown);
    EXPECT_GT(dib.data()[l.pixelOffset + 19 * l.stride], 200);
    EXPECT_LT(dib.data()[l.pixelOffset], 50);

    AbortRequest = 1; // the cancel menu, seen by the first poll
    dib = toMemory(dataFile("colour_24x20_top_white.jpg"));
    AbortRequest = 0;
    EXPECT_EQ(abortFlag, 1);
    ASSERT_TRUE(locateDib(dib, &l));
    EXPECT_EQ(l.rows, 20);
    EXPECT_EQ(l.width, 24);
    EXPECT_GT(dib.data()[l.pixelOffset + 19 * l.stride], 200);
    for (uint32_t i = 0; i < 19 * l.stride; ++i)
        ASSERT_EQ(dib.data()[l.pixelOffset + i], 0) << i;
}

TEST_F(ConvertJpeg, DecoderFaultHalfWayGivesNoPicture) {
    TempDir dir;
    Bytes jpeg = readFile(dataFile("grey_8x32_restart.jpg"));
    ASSERT_EQ(jpeg.size(), 369u);
    ASSERT_EQ(jpeg[351], 0xD1);
    EXPECT_TRUE(toMemory(dataFile("grey_8x32_restart.jpg"))); // intact, it converts
    jpeg[351] = 0xD5; // the second restart marker out of sequence
    std::string in = dir.write(jpeg, ".jpg"), out = dir.file("broken.bmp");
    EXPECT_EQ(toFile(in, out), 0);
    EXPECT_FALSE(fileExists(out));
    EXPECT_FALSE(toMemory(in));
}

TEST_F(ConvertJpeg, HandleWinsOverPathAndEmptyOutputSelectsMemory) {
    plat::FileHandle f = plat::openForRead(u16(dataFile("grey_3x2.jpg")).c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(plat::seekTo(f, 100)); // the conversion rewinds
    PackedDib dib;
    ASSERT_EQ(convertJpeg(f, u"/no/such/picture.jpg", nullptr, &abortFlag, &dib), 1);
    EXPECT_EQ(dib.size(), 40u + 1024 + 8);
    uint32_t size = 0; // the borrowed handle stays open
    EXPECT_TRUE(plat::fileSize(f, &size));
    plat::closeFile(f);

    EXPECT_EQ(convertJpeg(nullptr, u"", nullptr, &abortFlag, &dib), 0);
    EXPECT_EQ(convertJpeg(nullptr, u16(dataFile("grey_3x2.jpg")).c_str(), nullptr, &abortFlag, nullptr), 0);
}

TEST_F(ConvertJpeg, JpegEstimateEqualsThatOfItsDecodedBmp) {
    TempDir dir;
    std::string bmp = dir.file("decoded.bmp");
    ASSERT_EQ(toFile(dataFile("colour_24x20_top_white.jpg"), bmp), 1);
    uint32_t a = 1, b = 2;
    ASSERT_EQ(estimateBackground(entryFor(dataFile("colour_24x20_top_white.jpg")), &a), 0);
    ASSERT_EQ(estimateBackground(entryFor(bmp), &b), 0);
    EXPECT_EQ(a, b);
}
