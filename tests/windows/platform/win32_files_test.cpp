// The Win32 side of the platform layer: real handles, lstrcmpiW, Czech file
// names and the system code page.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "collection/wallpaper_collection.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "test_support.h"

namespace {
LPCWSTR W(const std::u16string& s) { return reinterpret_cast<LPCWSTR>(s.c_str()); }
} // namespace

TEST(Win32Files, HandlesAreRealWin32Handles) {
    testing_support::TempDir dir;
    std::u16string p = dir.file(u"data.bin");
    plat::FileHandle out = plat::createForWrite(p.c_str());
    ASSERT_NE(out, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(static_cast<HANDLE>(out), "abcdef", 6, &written, nullptr));
    plat::closeFile(out);

    HANDLE h = CreateFileW(W(p), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileType(h), static_cast<DWORD>(FILE_TYPE_DISK));
    ASSERT_TRUE(plat::seekTo(h, 2));
    char buffer[8] = {};
    uint32_t got = 0;
    ASSERT_TRUE(plat::readBytes(h, buffer, 8, &got));
    EXPECT_EQ(std::string(buffer, got), "cdef");
    CloseHandle(h);

    // Opened for reading, shared for reading: a second reader is welcome, a
    // writer is not.
    plat::FileHandle reader = plat::openForRead(p.c_str());
    ASSERT_NE(reader, nullptr);
    HANDLE writer = CreateFileW(W(p), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    plat::closeFile(reader);
}

TEST(Win32Files, CaseInsensitiveComparisonIsTheSystems) {
    EXPECT_EQ(plat::compareTextNoCase(u"ŽLUŤOUČKÝ KŮŇ", u"žluťoučký kůň"), 0);
    EXPECT_EQ(lstrcmpiW(L"ŘEŠENÍ", L"řešení"), 0);
    EXPECT_EQ(plat::compareTextNoCase(u"Čáp.jpg", u"ČÁP.JPG"), 0);
    EXPECT_NE(plat::compareTextNoCase(u"cap.jpg", u"čáp.jpg"), 0);
}

TEST(Win32Files, PicturesWithCzechNamesJoinAndSurviveACollectionFile) {
    testing_support::TempDir dir;
    std::u16string picture = dir.file(u"Třeboňské rybníky – západ slunce.jpg");
    HANDLE h = CreateFileW(W(picture), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    WallpaperCollection c;
    ASSERT_EQ(c.addPath(picture.c_str()), AddOutcome::Added);
    std::u16string upper = dir.file(u"TŘEBOŇSKÉ RYBNÍKY – ZÁPAD SLUNCE.JPG");
    EXPECT_EQ(c.addPath(upper.c_str()), AddOutcome::AlreadyPresent);
    std::u16string file = dir.file(u"Jižní Čechy.plk");
    ASSERT_TRUE(c.saveToFile(file.c_str()));
    EXPECT_NE(GetFileAttributesW(W(file)), INVALID_FILE_ATTRIBUTES);

    WallpaperCollection loaded;
    ASSERT_TRUE(loaded.loadFromFile(file.c_str()));
    ASSERT_EQ(loaded.entryCount(), 1);
    EXPECT_EQ(std::u16string(loaded.slots[0]->path), picture);
    EXPECT_TRUE(loaded.slots[0]->fileExists());
}

TEST(Win32Files, EightBitRecordsUseTheSystemCodePage) {
    // The stored text is whatever the system code page makes of the name, so
    // build it with the system's own conversion and expect it back.
    const wchar_t* name = L"C:\\Obrázky\\Léto v Tatrách.jpg";
    char ansi[128] = {};
    BOOL lossy = FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, &lossy);
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
    if (!lossy) {
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(e.path)), std::wstring(name));
    }
}
