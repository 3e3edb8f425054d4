#include "image/preview_picture.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "image_test_util.h"

namespace imgtest {
namespace {

std::u16string describe(const PreviewPicture& p) {
    char16_t text[WallpaperEntry::kPreviewInfoUnits];
    describePreview(p, text, WallpaperEntry::kPreviewInfoUnits);
    return text;
}

TEST(PreviewPicture, DescriptionOrTheReasonThereIsNone) {
    TempDir dir;
    Dib core = pattern(4, 2, 8);
    core.headerSize = 12;
    core.table = Bytes(256 * 3, 0x11); // a core header always has 2^bits entries
    Bytes cut = pattern(640, 480, 8).file();
    cut.resize(cut.size() - 10);
    const Bytes text = {'a', 'h', 'o', 'j'};
    struct Case {
        const char* name;
        std::u16string path;
        const char16_t* shown;
        uint32_t paletteEntries;
    } cases[] = {
        {"missing", dir.file(u"není.bmp"), u"Nelze otevřít obrázek.", 0},
        {"text named .bmp", writeTemp(dir, text), u"Neznámý typ obrázku.", 0},
        {"two bytes", writeTemp(dir, {'B', 'M'}), u"Nelze číst obrázek.", 0},
        {"cut-off BMP", writeTemp(dir, cut), u"Nelze číst obrázek.", 0},
        {"damaged JPEG", writeTemp(dir, {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xD9}, u".jpg"),
         u"Nelze dekomprimovat JPEG.", 0},
        {"8-bit", writeTemp(dir, pattern(640, 480, 8).file()), u"640 x 480, 8 bpp", 64},
        {"top-down", writeTemp(dir, solid24(3, -2, 0x102030).file()), u"3 x -2, 24 bpp", 0},
        {"core header", writeTemp(dir, core.file()), u"4 x 2, 8 bpp", 256},
        {"JPEG", u16(std::string(PLOCHAR_SOURCE_DIR) + "/tests/image/data/grey_3x2.jpg"), u"3 x 2, 8 bpp",
         256},
    };
    for (const Case& c : cases) {
        const PreviewPicture p = readPreviewPicture(c.path.c_str(), 100, 80);
        EXPECT_EQ(p.failure ? std::u16string(p.failure) : describe(p), c.shown) << c.name;
        uint8_t rgb[256][3] = {};
        EXPECT_EQ(previewPaletteColours(p, rgb, 256), c.paletteEntries) << c.name;
    }
    // A core table has 3-byte entries: blue, green, red.
    core.table[3] = 0x30, core.table[4] = 0x20, core.table[5] = 0x10;
    uint8_t rgb[256][3] = {};
    ASSERT_EQ(previewPaletteColours(readPreviewPicture(writeTemp(dir, core.file()).c_str(), 100, 80), rgb, 256), 256u);
    EXPECT_EQ((std::vector<int>{rgb[1][0], rgb[1][1], rgb[1][2]}), (std::vector<int>{0x10, 0x20, 0x30}));
}

TEST(PreviewPicture, ACancelledReadShowsWhatWasRead) {
    TempDir dir;
    const std::u16string path = writeTemp(dir, solid24(300, 300, 0xFFFFFF).file());
    // Esc pressed while it reads: the reader's poll allows input.
#ifdef _WIN32
    PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
#else
    PollGuard cancel(1);
#endif
    const PreviewPicture p = readPreviewPicture(path.c_str(), 300, 300);
#ifdef _WIN32
    MSG key;
    while (PeekMessageW(&key, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
    }
#endif
    ASSERT_TRUE(p.dib);
    EXPECT_EQ(describe(p), u"300 x 300, 24 bpp");
    // The first chunk was read, the rest is black.
    const uint8_t* pixels = p.dib.data() + p.layout.pixelOffset;
    EXPECT_EQ(pixels[0], 0xFF);
    EXPECT_EQ(pixels[p.layout.stride * 299], 0);
}

} // namespace
} // namespace imgtest
