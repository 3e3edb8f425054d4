// JPEG to BMP: the rows' layout and the conversion's handling of the decoder
// (row order, faults, cancel, handle versus path).
#include <gtest/gtest.h>

#include "image/jpeg_to_bmp.h"
#include "image_test_util.h"
#include "platform/cpu.h"
#include "platform/file_io.h"

using namespace imgtest;

namespace {

std::u16string dataFile(const char* name) {
    return u16(std::string(PLOCHAR_SOURCE_DIR) + "/tests/image/data/" + name);
}

// The accurate decoder path throughout, so results are exact.
class ConvertJpeg : public ::testing::Test {
  protected:
    ConvertJpeg() { HasMmx = 0; }
    ~ConvertJpeg() override { HasMmx = saved_; }
    int32_t abortFlag = 0;
    int toFile(const std::u16string& in, const std::u16string& out) {
        return convertJpeg(nullptr, in.c_str(), out.c_str(), &abortFlag, nullptr);
    }
    PackedDib toMemory(const std::u16string& in) {
        PackedDib dib;
        return convertJpeg(nullptr, in.c_str(), u"", &abortFlag, &dib) ? std::move(dib) : PackedDib();
    }

  private:
    int32_t saved_ = HasMmx;
};

} // namespace

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
    EXPECT_EQ(toFile(in, out), 0);
    EXPECT_FALSE(fileExists(out));
    EXPECT_FALSE(toMemory(in));
}
