// The Exif orientation, read by itself and by the decoder from the header of
// a real picture, for sound records and for damaged or lying ones.
#include <gtest/gtest.h>

#include "exif_test_support.h"
#include "image/jpeg/exif_orientation.h"
#include "jpeg_test_support.h"

using namespace jpegtest;
using exiftest::app1;
using exiftest::Entry;
using exiftest::orientation;

namespace {

const Entry kWidth = {0x0100, 4, 1, 4000}, kMake = {0x010F, 2, 6, 0x26};

Bytes picture() { return readFile(PLOCHAR_SOURCE_DIR "/tests/image/data/colour_24x20_top_white.jpg"); }

// The picture with these segments right after its SOI.
Bytes withSegments(const Bytes& jpeg, std::initializer_list<Bytes> segments) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    for (const Bytes& s : segments) out.insert(out.end(), s.begin(), s.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

int32_t decoderOrientation(const Bytes& jpeg) {
    MemorySource source(jpeg.data(), jpeg.size(), 0);
    JpegDecoder decoder(&source, false);
    return decoder.orientation();
}

Bytes cut(Bytes b, size_t size) {
    b.resize(size);
    return b;
}

} // namespace

TEST(ExifOrientation, SoundRecordsAndEveryKindOfDamage) {
    const Bytes le6 = app1(false, {kWidth, orientation(6), kMake});
    struct Case {
        const char* name;
        Bytes segment;
        int32_t expected;
    } cases[] = {
        {"little-endian", le6, 6},
        {"big-endian", app1(true, {kMake, orientation(8)}), 8},
        {"each value", app1(true, {orientation(3)}), 3},
        {"no orientation entry", app1(false, {kWidth, kMake}), 1},
        {"not Exif", join({{'h', 't', 't', 'p', ':', '/'}, Bytes(le6.begin() + 6, le6.end())}), 1},
        {"no byte order", join({Bytes(le6.begin(), le6.begin() + 6), {'I', 'M', 42, 0}, Bytes(le6.begin() + 10, le6.end())}), 1},
        {"directory past the end", app1(false, {orientation(6)}, 26), 1},
        {"directory offset wrapping", app1(true, {orientation(6)}, 0xFFFFFFFEu), 1},
        {"directory inside the header", app1(false, {orientation(6)}, 0), 1},
        {"entries past the end", cut(le6, le6.size() - 10), 1},
        {"header only", cut(le6, 14), 1},
        {"cut inside the header", cut(le6, 9), 1},
        {"type LONG", app1(false, {{0x0112, 4, 1, 6}}), 1},
        {"count 2", app1(true, {{0x0112, 3, 2, 6}}), 1},
        {"value 0", app1(false, {orientation(0)}), 1},
        {"value 9", app1(true, {orientation(9)}), 1},
        {"entry twice", app1(false, {orientation(6), orientation(6)}), 1},
    };
    const Bytes jpeg = picture();
    ASSERT_FALSE(jpeg.empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(exifOrientation(c.segment.data(), uint32_t(c.segment.size())), c.expected);
        // The decoder reads the segment from its stream, and never fails over it.
        const Bytes file = withSegments(jpeg, {segment(0xE1, c.segment)});
        EXPECT_EQ(decoderOrientation(file), c.expected);
        const Decoded d = decode(file, false);
        EXPECT_EQ(d.errorCode, 0);
        EXPECT_EQ(d.brokenRule, "");
    }
    EXPECT_EQ(exifOrientation(nullptr, 0), 1);
}

TEST(ExifOrientation, DecoderTakesOneExifBlockAheadOfTheFrameAndDecodesAsBefore) {
    const Bytes jpeg = picture();
    ASSERT_FALSE(jpeg.empty());
    const Bytes exif6 = segment(0xE1, app1(false, {orientation(6)}));
    const Bytes exif8 = segment(0xE1, app1(true, {orientation(8)}));
    const Bytes xmp = segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0});
    EXPECT_EQ(decoderOrientation(jpeg), 1);
    EXPECT_EQ(decoderOrientation(withSegments(jpeg, {exif6, xmp})), 6);
    EXPECT_EQ(decoderOrientation(withSegments(jpeg, {xmp, exif8})), 8);
    EXPECT_EQ(decoderOrientation(withSegments(jpeg, {exif6, exif8})), 1);
    EXPECT_EQ(decoderOrientation(withSegments(jpeg, {exif6, exif6})), 1);

    // The rows are those of the picture without the block.
    const Decoded plain = decode(jpeg, false), oriented = decode(withSegments(jpeg, {exif6, xmp}), false);
    EXPECT_EQ(oriented.errorCode, 0);
    EXPECT_EQ(oriented.samples, plain.samples);

    // A stream that ends inside the block: no orientation, no read past it.
    const Bytes cutShort = cut(withSegments(jpeg, {exif6}), 2 + exif6.size() - 4);
    EXPECT_EQ(decoderOrientation(cutShort), 1);
}
