// What the window tests do not reach of the Win32 platform layer.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "collection/wallpaper_entry.h"
#include "platform/text.h"

TEST(Win32Files, CaseInsensitiveComparisonIsTheSystems) {
    EXPECT_EQ(plat::compareTextNoCase(u"ŽLUŤOUČKÝ KŮŇ.JPG", u"žluťoučký kůň.jpg"), 0);
    EXPECT_NE(plat::compareTextNoCase(u"cap.jpg", u"čáp.jpg"), 0);
}

TEST(Win32Files, EightBitRecordsUseTheSystemCodePage) {
    // The stored text is whatever the system code page makes of the name, so
    // build it with the system's own conversion and expect it back.
    const wchar_t* name = L"C:\\Obrázky\\Léto v Tatrách.jpg";
    char ansi[128] = {};
    int bytes = WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, nullptr);
    ASSERT_GT(bytes, 1);
    wchar_t back[128] = {};
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 128), 0);
    std::vector<uint8_t> record(30 + static_cast<size_t>(bytes), 0);
    record[0] = 0x35;
    record[1] = 0x12;
    record[2] = static_cast<uint8_t>(bytes - 1);
    std::memcpy(record.data() + 28, ansi, static_cast<size_t>(bytes));
    WallpaperEntry e;
    ASSERT_TRUE(e.parse(record.data(), static_cast<int32_t>(record.size())));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(e.path)), std::wstring(back));
}
