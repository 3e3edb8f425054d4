// Each of the eight orientations against ImageMagick's -auto-orient: a small
// non-square picture made with cjpeg, the Exif block put in by hand; our
// decoder must read the orientation, and our turn of ImageMagick's plain
// decode must match its upright one pixel for pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "exif_test_support.h"
#include "image/orient_picture.h"
#include "jpeg_test_support.h"

using namespace jpegtest;

namespace {

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }
bool haveTool(const char* name) { return run(std::string("command -v ") + name + " >/dev/null 2>&1"); }

struct Ppm {
    int32_t width = 0, height = 0;
    Bytes rgb;
};

Ppm readPpm(const std::string& path) {
    Ppm p;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return p;
    int maxval = 0;
    if (std::fscanf(f, "P6 %d %d %d", &p.width, &p.height, &maxval) == 3 && maxval == 255 && std::fgetc(f) != EOF) {
        p.rgb.resize(size_t(p.width) * p.height * 3);
        if (std::fread(p.rgb.data(), 1, p.rgb.size(), f) != p.rgb.size()) p.rgb.clear();
    }
    std::fclose(f);
    return p;
}

void writeFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// The picture as the pipeline holds it: 24 bits, bottom-up, BGR.
PackedDib toDib(const Ppm& p) {
    const uint32_t stride = dibStride(uint32_t(p.width), 24);
    PackedDib dib = PackedDib::allocate(kInfoHeaderBytes + stride * uint32_t(p.height));
    makeInfoHeader(dib.data(), p.width, p.height, 24, 0, 0);
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x)
            for (int32_t c = 0; c < 3; ++c)
                dib.data()[kInfoHeaderBytes + (p.height - 1 - y) * stride + 3 * x + (2 - c)] = p.rgb[(y * p.width + x) * 3 + c];
    return dib;
}

Ppm fromDib(const PackedDib& dib) {
    Ppm p;
    DibLayout l;
    if (!locateDib(dib, &l) || l.bitCount != 24) return p;
    p.width = l.width, p.height = l.rows;
    for (int32_t y = 0; y < l.rows; ++y)
        for (int32_t x = 0; x < l.width; ++x)
            for (int32_t c = 0; c < 3; ++c)
                p.rgb.push_back(dib.data()[l.pixelOffset + (l.topDown ? y : l.rows - 1 - y) * l.stride + 3 * x + (2 - c)]);
    return p;
}

} // namespace

TEST(OrientationConformance, EightOrientationsMatchImageMagick) {
    if (!haveTool("convert") || !haveTool("cjpeg")) GTEST_SKIP() << "ImageMagick's convert or cjpeg not installed";
    const std::string dir = PLOCHAR_JPEG_WORK_DIR "/orientation";
    std::filesystem::create_directories(dir);
    // 7 x 4, every pixel its own colour, so any misplaced pixel shows.
    const int32_t w = 7, h = 4;
    std::string ppm = "P6 7 4 255\n";
    for (int32_t i = 0; i < w * h; ++i) ppm += {char(i * 9), char(255 - i * 7), char((i * 53) & 255)};
    writeFile(dir + "/in.ppm", Bytes(ppm.begin(), ppm.end()));
    ASSERT_TRUE(run("cjpeg -quality 100 -sample 1x1 " + dir + "/in.ppm > " + dir + "/in.jpg"));
    const Bytes jpeg = readFile(dir + "/in.jpg");
    ASSERT_GT(jpeg.size(), 2u);

    for (int32_t o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        for (bool bigEndian : {false, true}) {
            const Bytes exif = segment(0xE1, exiftest::app1(bigEndian, {exiftest::orientation(uint32_t(o))}));
            Bytes file(jpeg.begin(), jpeg.begin() + 2);
            file.insert(file.end(), exif.begin(), exif.end());
            file.insert(file.end(), jpeg.begin() + 2, jpeg.end());
            const std::string base = dir + "/o" + std::to_string(o) + (bigEndian ? "mm" : "ii");
            writeFile(base + ".jpg", file);
            ASSERT_TRUE(run("convert " + base + ".jpg " + base + "_plain.ppm"));
            ASSERT_TRUE(run("convert " + base + ".jpg -auto-orient " + base + "_upright.ppm"));

            MemorySource source(file.data(), file.size(), 0);
            JpegDecoder decoder(&source, false);
            EXPECT_EQ(decoder.orientation(), o);

            const Ppm plain = readPpm(base + "_plain.ppm"), upright = readPpm(base + "_upright.ppm");
            ASSERT_EQ(plain.width, w);
            ASSERT_EQ(plain.height, h);
            PackedDib dib = toDib(plain);
            ASSERT_TRUE(orientToUpright(dib, decoder.orientation()));
            const Ppm ours = fromDib(dib);
            EXPECT_EQ(ours.width, upright.width);
            EXPECT_EQ(ours.height, upright.height);
            EXPECT_TRUE(ours.rgb == upright.rgb);
        }
    }
}
