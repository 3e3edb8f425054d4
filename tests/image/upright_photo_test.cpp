// A photo stored turned is made upright wherever it is shown, exactly as if
// the turned whole picture had been used. Sides that divide evenly are where
// sampling an axis from the wrong end picks the neighbouring pixel.
#include <gtest/gtest.h>

#include "image/picture_loader.h"
#include "image/scale.h"
#include "image_test_util.h"

using namespace imgtest;

TEST(UprightPhotos, FittedPreviewAndLogoEqualTheTurnedWholePicture) {
    TempDir dir;
    const Bytes stored = readAll(u16(PLOCHAR_SOURCE_DIR "/tests/image/data/colour_24x20_every_pixel.jpg"));
    const std::u16string ours = dir.file(u"naše.bmp"), theirs = dir.file(u"celý.bmp");
    auto file = [&](ScaledPicture& p) { return p.write(theirs.c_str()), readAll(theirs); };
    auto bytes = [](const PackedDib& d) { return Bytes(d.data(), d.data() + d.size()); };
    for (uint8_t o = 2; o <= 8; ++o) {
        const std::u16string path = writeTemp(dir, withOrientation(stored, o), u".jpg");
        PackedDib whole; // converted and turned whole
        ScaledPicture fitted, preview, logo;
        int32_t w = 2, h = 2;
        ASSERT_EQ(loadPicture(path.c_str(), 0, &whole, 1), LoadResult::Loaded);
        ASSERT_EQ(scaleToFile(entryFor(path), ours.c_str(), &w, &h, 1, 0, 1) +
                      scalePicture(whole, w, h, 0, &fitted) + scalePicture(whole, 2, 3, 0, &preview),
                  0);
        EXPECT_EQ(readAll(ours), file(fitted)) << int(o);
        EXPECT_EQ(bytes(readSampledPicture(path.c_str(), 2, 3, 0, 1).dib), bytes(preview.dib)) << int(o);
        ASSERT_EQ(buildLogoBitmap(entryFor(path), ours.c_str(), 1, 1) +
                      buildLogoPicture({}, std::move(whole), 1, &logo),
                  1);
        EXPECT_EQ(readAll(ours), file(logo)) << int(o);
    }
}
