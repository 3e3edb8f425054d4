// Reading a picture straight into a smaller or larger one, row by row: it
// must give what sampling the whole picture gives, keep what it read when
// cancelled, and never leave a half-made file.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "image/bmp_file.h"
#include "image/picture_loader.h"
#include "image/quantize.h"
#include "image/scale.h"
#include "image_test_util.h"

using namespace imgtest;

namespace {

std::u16string dataFile(const char* name) {
    return u16(std::string(PLOCHAR_SOURCE_DIR "/tests/image/data/") + name);
}

// The picture read whole, then sampled: what the row-by-row reader must match.
Bytes wholeThenSampled(const std::u16string& path, int32_t w, int32_t h) {
    PackedDib whole;
    ScaledPicture scaled;
    if (loadPicture(path.c_str(), 0, &whole) != LoadResult::Loaded || scalePicture(whole, w, h, 0, &scaled) != 0)
        return {};
    return Bytes(scaled.dib.data(), scaled.dib.data() + scaled.dib.size());
}

// A copy of the 8 x 32 grey JPEG whose third restart marker is out of
// order: the decoder faults after the first rows.
Bytes faultHalfWay() {
    Bytes jpeg = readAll(dataFile("grey_8x32_restart.jpg"));
    for (size_t i = 0x150; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xD1)
            return jpeg[i + 1] = 0xD6, jpeg;
    return {};
}

// Esc pressed while it reads: the first poll that allows input cancels.
struct EscPending {
#ifdef _WIN32
    EscPending() { PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0); }
    ~EscPending() {
        MSG key;
        while (PeekMessageW(&key, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        }
    }
#else
    PollGuard cancel{1};
#endif
};

} // namespace

TEST(SampledPicture, RowByRowGivesWhatTheWholePictureSampledGives) {
    TempDir dir;
    Dib gap = pattern(13, 11, 4);
    gap.table = Bytes(5 * 4, 0x40), gap.clrUsed = 5;
    Dib core = pattern(9, 7, 8), topDown = pattern(10, 12, 8);
    core.headerSize = 12, core.table = Bytes(256 * 3, 0x22), topDown.height = -12;
    std::u16string gapFile = dir.file(u"gap.bmp");
    writeAll(gapFile, gap.file(37));
    const struct {
        const char* what;
        std::u16string path;
        PictureFile kind;
        int32_t width, rows, bitCount;
        bool topDown;
    } cases[] = {
        {"colour JPEG", dataFile("colour_24x20_top_white.jpg"), PictureFile::Jpeg, 24, 20, 24, false},
        {"red, green and blue differ", dataFile("colour_1x1.jpg"), PictureFile::Jpeg, 1, 1, 24, false},
        {"grey JPEG with restarts", dataFile("grey_8x32_restart.jpg"), PictureFile::Jpeg, 8, 32, 8, false},
        {"24 bits bottom-up", writeTemp(dir, pattern(31, 17, 24).file()), PictureFile::Bmp, 31, 17, 24, false},
        {"8 bits top-down", writeTemp(dir, topDown.file()), PictureFile::Bmp, 10, 12, 8, true},
        {"4 bits behind a gap", gapFile, PictureFile::Bmp, 13, 11, 4, false},
        {"core header", writeTemp(dir, core.file()), PictureFile::Bmp, 9, 7, 8, false},
        {"5-6-5 bit fields", writeTemp(dir, dib(3, 5, 16, Bytes(8 * 5, 0xA7)).withMasks(0xF800, 0x07E0, 0x001F).file()),
         PictureFile::Bmp, 3, 5, 16, false},
        {"RLE8 (read whole)", writeTemp(dir, dib(2, 2, 8, {2, 1, 0, 0, 1, 2, 0, 1}, Bytes(12, 9), kBiRle8).file()),
         PictureFile::Bmp, 2, 2, 8, false},
    };
    const int32_t sizes[][2] = {{5, 3}, {41, 67}, {1, 1}, {24, 20}};
    for (const auto& c : cases) {
        for (const auto& s : sizes) {
            SampledPicture p = readSampledPicture(c.path.c_str(), s[0], s[1], 0);
            EXPECT_EQ(Bytes(p.dib.data(), p.dib.data() + p.dib.size()), wholeThenSampled(c.path, s[0], s[1])) << c.what << " at " << s[0] << "x" << s[1];
            EXPECT_FALSE(p.cancelled);
        }
        SampledPicture p = readSampledPicture(c.path.c_str(), 2, 2, 0);
        EXPECT_EQ(std::make_tuple(p.file, p.source.width, p.source.rows, int32_t(p.source.bitCount), p.source.topDown),
                  std::make_tuple(c.kind, c.width, c.rows, c.bitCount, c.topDown))
            << c.what;
    }
}

TEST(SampledPicture, ACancelKeepsTheRowsReadSoFarAndAFailureGivesNoPicture) {
    TempDir dir;
    // The JPEG delivers its top rows first, a bottom-up BMP its bottom rows.
    const struct {
        const char* what;
        std::u16string path;
        uint32_t keptTopRow, blackTopRow;
    } cancels[] = {
        {"JPEG", dataFile("colour_24x20_top_white.jpg"), 0, 19},
        {"bottom-up BMP", writeTemp(dir, solid24(24, 20, 0xFFFFFF).file()), 19, 0},
    };
    for (const auto& c : cancels) {
        EscPending esc;
        SampledPicture p = readSampledPicture(c.path.c_str(), 24, 20, 1);
        ASSERT_TRUE(p.dib) << c.what;
        EXPECT_TRUE(p.cancelled);
        DibLayout l;
        ASSERT_TRUE(locateDib(p.dib, &l));
        auto pixel = [&](uint32_t topRow) { return p.dib.data()[l.pixelOffset + (19 - topRow) * l.stride]; };
        EXPECT_EQ(pixel(c.keptTopRow), 0xFF) << c.what;
        EXPECT_EQ(pixel(c.blackTopRow), 0) << c.what;
    }
    Bytes cut = pattern(64, 48, 8).file();
    cut.resize(cut.size() - 10);
    const struct {
        const char* what;
        std::u16string path;
        PictureFile kind;
    } failures[] = {
        {"missing", dir.file(u"není.jpg"), PictureFile::CannotOpen},
        {"two bytes", writeTemp(dir, {'B', 'M'}), PictureFile::CannotRead},
        {"text", writeTemp(dir, {'a', 'h', 'o', 'j'}), PictureFile::Unknown},
        {"cut-off BMP", writeTemp(dir, cut), PictureFile::Bmp},
        {"2 bits a pixel", writeTemp(dir, dib(4, 1, 2, {0, 0, 0, 0}, Bytes(16, 0)).file()), PictureFile::Bmp},
        {"JPEG that faults half way", writeTemp(dir, faultHalfWay(), u".jpg"), PictureFile::Jpeg},
    };
    for (const auto& f : failures) {
        SampledPicture p = readSampledPicture(f.path.c_str(), 8, 8, 1);
        EXPECT_EQ(p.file, f.kind) << f.what;
        EXPECT_FALSE(p.dib) << f.what;
    }
}

TEST(Scale, AFailureHalfWayOrACancelLeavesTheOlderFileAsItWas) {
    TempDir dir;
    const std::u16string out = dir.file(u"desktop.bmp");
    const Bytes older = {'o', 'l', 'd'};
    const WallpaperEntry broken = entryFor(writeTemp(dir, faultHalfWay(), u".jpg"));
    const WallpaperEntry sound = entryFor(dataFile("colour_24x20_top_white.jpg"));
    writeAll(out, older);
    int32_t w = 4, h = 4;
    EXPECT_EQ(scaleToFile(broken, out.c_str(), &w, &h, 0, 0), 1);
    EXPECT_EQ(buildLogoBitmap(broken, out.c_str(), 1), 0);
    {
        EscPending esc;
        EXPECT_EQ(scaleToFile(sound, out.c_str(), &w, &h, 1, 1), 2);
    }
    AbortRequest = 1; // the cancel menu stops the unattended logo; cancelled counts as done
    EXPECT_EQ(buildLogoBitmap(sound, out.c_str(), 0), 1);
    AbortRequest = 0;
    EXPECT_EQ(readAll(out), older);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(4, 4));
}

TEST(Logo, TheReductionCountsEveryRowNotOnlyTheSampledOnes) {
    // 1200 rows give 400 logo rows: two of every three rows are never
    // sampled, yet their colours weigh in the palette as in quantizeTo256.
    TempDir dir;
    const Dib picture = rgb24(7, 1200, [](int32_t x, int32_t y) {
        return y % 3 ? 0x2080F0u + uint32_t(y % 97) * 0x010203u : 0x10u * uint32_t(x) + 0x30000u * uint32_t(y % 5);
    });
    PackedDib reduced;
    ASSERT_EQ(quantizeTo256(WallpaperEntry(), nullptr, nullptr, 0, picture.packed(), &reduced), 1);
    DibLayout l;
    ASSERT_TRUE(locateDib(reduced, &l));
    const std::u16string out = dir.file(u"logo.sys"), expected = dir.file(u"expected.sys");
    // The reduced picture's logo keeps its table: the logo of the original
    // must be the same file.
    std::u16string reducedFile = dir.file(u"reduced.bmp");
    ASSERT_EQ(writeBmpFile(reducedFile.c_str(), reduced.data(), reduced.data() + l.tableOffset, l.tableEntries,
                           reduced.data() + l.pixelOffset, l.stride, uint32_t(l.rows)),
              1);
    ASSERT_EQ(buildLogoBitmap(entryFor(reducedFile), expected.c_str(), 0), 1);
    ASSERT_EQ(buildLogoBitmap(entryFor(writeTemp(dir, picture.file())), out.c_str(), 0), 1);
    EXPECT_EQ(readAll(out), readAll(expected));
}
