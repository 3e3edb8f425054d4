// The Exif orientation: crafted blocks, sound and damaged, read alone and by
// the decoder; and the eight turns against ImageMagick's -auto-orient.
#include <gtest/gtest.h>

#include <filesystem>

#include "image/jpeg/exif_orientation.h"
#include "image/orient_picture.h"
#include "jpeg_test_support.h"

using namespace jpegtest;

namespace {

struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
};
Entry orientation(uint32_t v) { return {0x0112, 3, 1, v}; }
const Entry kWidth = {0x0100, 4, 1, 4000};

// "Exif\0\0", a TIFF header saying IFD0 is at ifdOffset (it is at 8), the entries, a zero link.
Bytes app1(bool big, const std::vector<Entry>& entries, uint32_t ifdOffset = 8) {
    Bytes b = {'E', 'x', 'i', 'f', 0, 0, uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I'), uint8_t(big ? 0 : 42), uint8_t(big ? 42 : 0)};
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> 8 * (big ? n - 1 - i : i)));
    };
    put(ifdOffset, 4), put(uint32_t(entries.size()), 2);
    for (const Entry& e : entries) {
        put(e.tag, 2), put(e.type, 2), put(e.count, 4);
        e.type == 3 ? (put(e.value, 2), put(0, 2)) : put(e.value, 4); // a SHORT sits in the first half
    }
    put(0, 4);
    return b;
}

Bytes withApp1(const Bytes& jpeg, const std::vector<Bytes>& blocks) { // right after the SOI
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    for (const Bytes& b : blocks) out = join({out, segment(0xE1, b)});
    return join({out, Bytes(jpeg.begin() + 2, jpeg.end())});
}

int32_t decoderOrientation(const Bytes& jpeg) {
    MemorySource source(jpeg.data(), jpeg.size(), 0);
    return JpegDecoder(&source, false).orientation();
}

Bytes cut(Bytes b, size_t size) { return b.resize(size), b; }

} // namespace

TEST(ExifOrientation, SoundRecordsAndEveryKindOfDamage) {
    const Bytes le6 = app1(false, {kWidth, orientation(6), {0x010F, 2, 6, 0x26}}), xmp = {'h', 't', 't', 'p', ':', '/', 0};
    Bytes noByteOrder = le6;
    noByteOrder[7] = 'M';
    struct Case {
        const char* name;
        std::vector<Bytes> blocks; // the function is asked about the first
        int32_t expected;
    } cases[] = {
        {"little-endian, then XMP", {le6, xmp}, 6},
        {"big-endian, after XMP", {app1(true, {kWidth, orientation(8)}), xmp}, 8},
        {"no orientation entry", {app1(false, {kWidth})}, 1},
        {"not Exif", {xmp}, 1},
        {"no byte order", {noByteOrder}, 1},
        {"directory past the end", {app1(false, {orientation(6)}, 26)}, 1},
        {"directory offset wrapping", {app1(true, {orientation(6)}, 0xFFFFFFFEu)}, 1},
        {"entries past the end", {cut(le6, le6.size() - 10)}, 1},
        {"cut inside the header", {cut(le6, 9)}, 1},
        {"type LONG", {app1(false, {{0x0112, 4, 1, 6}})}, 1},
        {"count 2", {app1(true, {{0x0112, 3, 2, 6}})}, 1},
        {"value 9", {app1(true, {orientation(9)})}, 1},
        {"entry twice", {app1(false, {orientation(6), orientation(6)})}, 1},
        {"two Exif blocks", {le6, app1(true, {orientation(8)})}, 1},
    };
    const Bytes jpeg = readFile(PLOCHAR_SOURCE_DIR "/tests/image/data/colour_24x20_top_white.jpg");
    const Decoded plain = decode(jpeg, false);
    ASSERT_EQ(plain.errorCode, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes& first = c.blocks[0];
        if (c.blocks.size() == 1) {
            EXPECT_EQ(exifOrientation(first.data(), uint32_t(first.size())), c.expected);
        }
        // The decoder reads the blocks from its stream and decodes as without them.
        const Bytes file = withApp1(jpeg, c.blocks);
        EXPECT_EQ(decoderOrientation(file), c.expected);
        const Decoded d = decode(file, false);
        EXPECT_EQ(d.samples, plain.samples);
        EXPECT_EQ(d.brokenRule, "");
    }
    const Bytes endsInBlock = withApp1(jpeg, {le6});
    EXPECT_EQ(decoderOrientation(cut(endsInBlock, 2 + 4 + le6.size() - 4)), 1);
}

#ifdef PLOCHAR_JPEG_WORK_DIR
// ImageMagick's own decode of a 7 x 4 picture (every pixel its own colour),
// held as the pipeline holds it and turned by us, must be its upright one.
TEST(ExifOrientation, EightTurnsMatchImageMagick) {
    auto run = [](const std::string& command) { return std::system(command.c_str()) == 0; };
    if (!run("command -v convert >/dev/null && command -v cjpeg >/dev/null")) GTEST_SKIP() << "ImageMagick's convert or cjpeg not installed";
    const std::string dir = PLOCHAR_JPEG_WORK_DIR "/orientation";
    std::filesystem::create_directories(dir);
    const int32_t w = 7, h = 4;
    std::string ppm = "P6 7 4 255\n";
    for (int32_t i = 0; i < w * h; ++i) ppm += {char(i * 9), char(255 - i * 7), char(i * 53 & 255)};
    std::ofstream(dir + "/in.ppm", std::ios::binary) << ppm;
    ASSERT_TRUE(run("cjpeg -quality 100 -sample 1x1 " + dir + "/in.ppm > " + dir + "/in.jpg"));
    for (int32_t o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const Bytes file = withApp1(readFile(dir + "/in.jpg"), {app1(o % 2 == 0, {orientation(uint32_t(o))})});
        EXPECT_EQ(decoderOrientation(file), o);
        const std::string name = dir + "/o" + std::to_string(o);
        std::ofstream(name + ".jpg", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        ASSERT_TRUE(run("convert " + name + ".jpg -depth 8 rgb:" + name + ".rgb && convert " + name +
                        ".jpg -auto-orient -depth 8 rgb:" + name + "_up.rgb"));
        const Bytes plain = readFile(name + ".rgb");
        ASSERT_EQ(plain.size(), size_t(w * h * 3));
        const uint32_t stride = dibStride(w, 24);
        PackedDib dib = PackedDib::allocate(kInfoHeaderBytes + stride * h);
        makeInfoHeader(dib.data(), w, h, 24, 0, 0);
        for (int32_t i = 0; i < w * h * 3; ++i) dib.data()[kInfoHeaderBytes + (h - 1 - i / 3 / w) * stride + i / 3 % w * 3 + 2 - i % 3] = plain[i];
        DibLayout l;
        ASSERT_TRUE(orientToUpright(dib, o) && locateDib(dib, &l));
        EXPECT_EQ(l.width, o >= 5 ? h : w);
        Bytes ours;
        for (int32_t i = 0; i < l.width * l.rows * 3; ++i)
            ours.push_back(dib.data()[l.pixelOffset + (l.rows - 1 - i / 3 / l.width) * l.stride + i / 3 % l.width * 3 + 2 - i % 3]);
        EXPECT_EQ(ours, readFile(name + "_up.rgb"));
    }
}
#endif
