// JPEG to BMP: the row sink's layout and the conversion's handling of the
// decoder (row order, faults, cancel, handle versus path).
#include <gtest/gtest.h>

#include <cstring>

#include "image/background.h"
#include "image/bmp_file.h"
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
std::u16string dataPath(const char* name) { return plat::fromUtf8(dataFile(name)); }

// The accurate decoder path throughout, so results are exact.
struct AccuratePath {
    int32_t saved = HasMmx;
    AccuratePath() { HasMmx = 0; }
    ~AccuratePath() { HasMmx = saved; }
};

PackedDib toMemory(const std::u16string& path, int32_t* abortFlag) {
    PackedDib dib;
    if (!convertJpeg(nullptr, path.c_str(), u"", abortFlag, &dib))
        return {};
    return dib;
}

} // namespace

TEST(BmpRowSink, GreyRowsGoBottomUpUnderAGreyRamp) {
    BmpRowSink sink;
    ASSERT_EQ(sink.begin(3, 2, 1), 1);
    EXPECT_EQ(sink.stride, 4);
    EXPECT_EQ(sink.rowsLeft, 2);
    const uint8_t top[3] = {1, 2, 3}, bottom[3] = {4, 5, 6};
    ASSERT_EQ(sink.putRow(top, 3), 1);
    ASSERT_EQ(sink.putRow(bottom, 3), 1);
    EXPECT_EQ(sink.putRow(top, 3), 0); // never more rows than the height

    PackedDib dib = sink.finish();
    ASSERT_TRUE(dib);
    ASSERT_EQ(dib.size(), 40u + 1024 + 8);
    EXPECT_EQ(readLe32(dib.data()), 40u);
    EXPECT_EQ(readLe32(dib.data() + 8), 2u); // positive: bottom-up
    EXPECT_EQ(readLe16(dib.data() + 14), 8);
    EXPECT_EQ(readLe32(dib.data() + 32), 0u); // biClrUsed 0: 256 by the bit count
    EXPECT_EQ(readLe32(dib.data() + 40 + 4 * 200), 0x00C8C8C8u);
    const uint8_t rows[8] = {4, 5, 6, 0, 1, 2, 3, 0};
    EXPECT_EQ(0, std::memcmp(dib.data() + 1064, rows, 8));

    // Taking the picture hands over the same bytes and empties the sink.
    PackedDib taken = sink.takePicture();
    ASSERT_EQ(taken.size(), dib.size());
    EXPECT_EQ(0, std::memcmp(taken.data(), dib.data(), dib.size()));
    EXPECT_FALSE(sink.finish());
    EXPECT_EQ(sink.putRow(top, 3), 0);
}

TEST(BmpRowSink, ColourRowsBecomeBlueGreenRedWithZeroPadding) {
    BmpRowSink sink;
    ASSERT_EQ(sink.begin(1, 1, 3), 1);
    EXPECT_EQ(sink.stride, 4);
    const uint8_t row[4] = {10, 20, 30, 99};
    EXPECT_EQ(sink.putRow(row, 3), 0); // shorter than one 4-byte pixel
    ASSERT_EQ(sink.putRow(row, 4), 1);
    PackedDib dib = sink.finish();
    ASSERT_EQ(dib.size(), 44u);
    const uint8_t pixel[4] = {30, 20, 10, 0};
    EXPECT_EQ(0, std::memcmp(dib.data() + 40, pixel, 4));
    EXPECT_EQ(readLe16(dib.data() + 14), 24);

    EXPECT_EQ(sink.begin(0, 5, 3), 0);
    EXPECT_EQ(sink.putRow(row, 4), 0);
}

TEST(ConvertJpeg, GreyPictureIsAnEightBitFileWithAGreyTable) {
    AccuratePath accurate;
    TempDir dir;
    std::string out = dir.file("grey.bmp");
    int32_t abortFlag = 1;
    ASSERT_EQ(convertJpeg(nullptr, dataPath("grey_3x2.jpg").c_str(), plat::fromUtf8(out).c_str(), &abortFlag, nullptr),
              1);
    EXPECT_EQ(abortFlag, 0);
    Bytes f = readFile(out);
    ASSERT_EQ(f.size(), 1078u + 2 * 4);
    EXPECT_EQ(get32(f, 10), 1078u);
    EXPECT_EQ(get32(f, 2), f.size());
    EXPECT_EQ(get32(f, 54 + 4 * 255), 0x00FFFFFFu);
    // Top row of the picture (10, 128, 250) is the last stored row.
    EXPECT_NEAR(f[1078 + 4], 10, 3);
    EXPECT_NEAR(f[1078 + 6], 250, 3);
    EXPECT_NEAR(f[1078 + 0], 60, 3);
    EXPECT_EQ(f[1078 + 3], 0);
}

TEST(ConvertJpeg, ColourPixelTakesBlueFromTheDecodersThirdByte) {
    AccuratePath accurate;
    Bytes jpeg = readFile(dataFile("colour_1x1.jpg"));
    MemorySource source(jpeg.data(), jpeg.size());
    JpegDecoder decoder(&source, false);
    ASSERT_EQ(decoder.begin(), 0);
    const uint8_t* row = nullptr;
    uint32_t bytes = 0;
    ASSERT_EQ(decoder.decodeScanLine(&row, &bytes), 0);

    int32_t abortFlag = 0;
    PackedDib dib = toMemory(dataPath("colour_1x1.jpg"), &abortFlag);
    ASSERT_TRUE(dib);
    ASSERT_EQ(dib.size(), 44u);
    EXPECT_EQ(dib.data()[40], row[2]);
    EXPECT_EQ(dib.data()[41], row[1]);
    EXPECT_EQ(dib.data()[42], row[0]);
    EXPECT_EQ(dib.data()[43], 0);
}

TEST(ConvertJpeg, FirstDecodedRowIsTheLastStoredRow) {
    AccuratePath accurate;
    int32_t abortFlag = 0;
    PackedDib dib = toMemory(dataPath("colour_24x20_top_white.jpg"), &abortFlag);
    ASSERT_TRUE(dib);
    DibLayout l;
    ASSERT_TRUE(locateDib(dib, &l));
    EXPECT_EQ(l.rows, 20);
    EXPECT_FALSE(l.topDown);
    EXPECT_GT(dib.data()[l.pixelOffset + 19 * l.stride], 200);
    EXPECT_LT(dib.data()[l.pixelOffset], 50);
}

TEST(ConvertJpeg, DecoderFaultHalfWayGivesNoPicture) {
    AccuratePath accurate;
    TempDir dir;
    Bytes jpeg = readFile(dataFile("grey_8x32_restart.jpg"));
    ASSERT_EQ(jpeg.size(), 369u);
    ASSERT_EQ(jpeg[351], 0xD1);
    jpeg[351] = 0xD5; // the second restart marker out of sequence
    std::string in = dir.file("broken.jpg"), out = dir.file("broken.bmp");
    writeFile(in, jpeg);
    int32_t abortFlag = 0;
    EXPECT_EQ(convertJpeg(nullptr, plat::fromUtf8(in).c_str(), plat::fromUtf8(out).c_str(), &abortFlag, nullptr), 0);
    EXPECT_FALSE(fileExists(out));
    EXPECT_FALSE(toMemory(plat::fromUtf8(in), &abortFlag));

    // Intact, the same stream converts.
    EXPECT_TRUE(toMemory(dataPath("grey_8x32_restart.jpg"), &abortFlag));
}

TEST(ConvertJpeg, CancelAfterTheFirstRowKeepsTheSizeWithBlackBelow) {
    AccuratePath accurate;
    AbortRequest = 1; // the cancel menu, seen by the first poll
    int32_t abortFlag = 0;
    PackedDib dib = toMemory(dataPath("colour_24x20_top_white.jpg"), &abortFlag);
    AbortRequest = 0;
    ASSERT_TRUE(dib);
    EXPECT_EQ(abortFlag, 1);
    DibLayout l;
    ASSERT_TRUE(locateDib(dib, &l));
    EXPECT_EQ(l.rows, 20);
    EXPECT_EQ(l.width, 24);
    EXPECT_GT(dib.data()[l.pixelOffset + 19 * l.stride], 200);
    for (uint32_t i = 0; i < 19 * l.stride; ++i)
        ASSERT_EQ(dib.data()[l.pixelOffset + i], 0) << i;
}

TEST(ConvertJpeg, HandleWinsOverPathAndEmptyOutputSelectsMemory) {
    AccuratePath accurate;
    plat::FileHandle f = plat::openForRead(dataPath("grey_3x2.jpg").c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(plat::seekTo(f, 100)); // the conversion rewinds
    PackedDib dib;
    int32_t abortFlag = 0;
    ASSERT_EQ(convertJpeg(f, u"/no/such/picture.jpg", nullptr, &abortFlag, &dib), 1);
    EXPECT_EQ(dib.size(), 40u + 1024 + 8);
    // The borrowed handle stays open.
    uint32_t size = 0;
    EXPECT_TRUE(plat::fileSize(f, &size));
    plat::closeFile(f);

    EXPECT_EQ(convertJpeg(nullptr, u"", nullptr, &abortFlag, &dib), 0);
    EXPECT_EQ(convertJpeg(nullptr, dataPath("grey_3x2.jpg").c_str(), nullptr, &abortFlag, nullptr), 0);
}

TEST(ConvertJpeg, JpegEstimateEqualsThatOfItsDecodedBmp) {
    AccuratePath accurate;
    TempDir dir;
    std::string bmp = dir.file("decoded.bmp");
    int32_t abortFlag = 0;
    ASSERT_EQ(convertJpeg(nullptr, dataPath("colour_24x20_top_white.jpg").c_str(), plat::fromUtf8(bmp).c_str(),
                          &abortFlag, nullptr),
              1);
    WallpaperEntry fromJpeg, fromBmp;
    plat::copyText(fromJpeg.path, plat::kPathUnits, dataPath("colour_24x20_top_white.jpg").c_str());
    plat::copyText(fromBmp.path, plat::kPathUnits, plat::fromUtf8(bmp).c_str());
    uint32_t a = 1, b = 2;
    ASSERT_EQ(estimateBackground(fromJpeg, &a), 0);
    ASSERT_EQ(estimateBackground(fromBmp, &b), 0);
    EXPECT_EQ(a, b);
}
