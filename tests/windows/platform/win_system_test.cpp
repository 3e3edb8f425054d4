// The text layer's system functions. Run in a Windows 98 prefix they take
// the A road; each result is compared with what the system's own W function
// (which Wine keeps working there) says of the same file, key or value.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "collection/wallpaper_collection.h"
#include "platform/file_io.h"
#include "platform/win_layer.h"
#include "platform/win_system.h"
#include "test_support.h"

namespace {

using testing_support::TempDir;

std::wstring wide(const std::u16string& s) {
    return std::wstring(s.begin(), s.end());
}

bool existsW(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The prefix says which system Wine plays; in a Windows 98 one the layer
// must really be on its A road, or these tests prove nothing.
TEST(TextLayerSystem, TakesTheAnsiRoadWhenTheSystemIs9x) {
    wchar_t version[32] = {};
    DWORD bytes = sizeof version - sizeof(wchar_t);
    ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", RRF_RT_REG_SZ, nullptr, version, &bytes);
    EXPECT_EQ(win::unicodeSystem(), std::wstring(version) != L"win98" && std::wstring(version) != L"win95");
    OSVERSIONINFOW mine = {sizeof mine}, system = {sizeof system};
    ASSERT_TRUE(win::GetVersionExW(&mine));
    ASSERT_TRUE(::GetVersionExW(&system));
    EXPECT_EQ(mine.dwPlatformId, system.dwPlatformId);
    EXPECT_EQ(mine.dwMinorVersion, system.dwMinorVersion);
    EXPECT_EQ(std::wstring(mine.szCSDVersion), std::wstring(system.szCSDVersion));
    mine.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    EXPECT_FALSE(win::GetVersionExW(&mine));
}

TEST(TextLayerSystem, CzechPathsRoundTrip) {
    TempDir dir;
    const std::wstring folder = wide(dir.file(u"Obrázky ěščřž"));
    ASSERT_TRUE(win::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(existsW(folder));
    const std::vector<std::wstring> names = {L"čáp.jpg", L"Žluťoučký kůň.jpg", L"a.jpg"};
    for (const std::wstring& name : names) {
        HANDLE h = win::CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        EXPECT_TRUE(existsW(folder + L"\\" + name));
    }
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE search = win::FindFirstFileW((folder + L"\\*.jpg").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do
        found.push_back(data.cFileName);
    while (win::FindNextFileW(search, &data));
    FindClose(search);
    std::vector<std::wstring> expected = names;
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);

    const std::wstring from = folder + L"\\čáp.jpg", copy = folder + L"\\kopie čápa.jpg";
    EXPECT_TRUE(win::CopyFileW(from.c_str(), copy.c_str(), TRUE));
    EXPECT_TRUE(win::MoveFileW(copy.c_str(), (folder + L"\\řeřicha.jpg").c_str()));
    EXPECT_TRUE(existsW(folder + L"\\řeřicha.jpg"));
    EXPECT_TRUE(win::DeleteFileW((folder + L"\\řeřicha.jpg").c_str()));
    EXPECT_FALSE(existsW(folder + L"\\řeřicha.jpg"));
}

// On 9x such a path cannot exist: it is not found, never taken for the file
// that the '?' of its conversion would match.
TEST(TextLayerSystem, PathOutsideTheCodePageIsMissingOn9xAndKeptInTheCollection) {
    TempDir dir;
    ASSERT_TRUE(testing_support::writeText(dir.file(u"x.jpg"), "x"));
    ASSERT_TRUE(testing_support::writeText(dir.file(u"日.jpg"), "sun"));
    const std::wstring unheld = wide(dir.file(u"日.jpg"));
    const bool nt = win::unicodeSystem();
    WIN32_FIND_DATAW data;
    HANDLE search = win::FindFirstFileW(unheld.c_str(), &data);
    if (nt) {
        ASSERT_NE(search, INVALID_HANDLE_VALUE);
        EXPECT_EQ(std::wstring(data.cFileName), L"日.jpg");
        FindClose(search);
    } else {
        EXPECT_EQ(search, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(win::DeleteFileW(unheld.c_str()));
        EXPECT_EQ(win::GetFileAttributesW(unheld.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(existsW(wide(dir.file(u"x.jpg"))));
        EXPECT_TRUE(existsW(unheld));
        // Nor through a "best fit": Ã¡ is written as A! in code page 1250.
        ASSERT_TRUE(testing_support::writeText(dir.file(u"A!.jpg"), "a"));
        EXPECT_EQ(win::GetFileAttributesW(wide(dir.file(u"Ã¡.jpg")).c_str()), INVALID_FILE_ATTRIBUTES);
    }

    // A collection made on NT with that picture: on 9x it is missing, and
    // a save writes it back as it was.
    WallpaperCollection c;
    c.slots = new WallpaperEntry* [1] { new WallpaperEntry() };
    c.slotCount = 1;
    plat::copyText(c.slots[0]->path, plat::kPathUnits, dir.file(u"日.jpg").c_str());
    const std::u16string first = dir.file(u"sbírka.plk"), second = dir.file(u"sbírka znovu.plk");
    ASSERT_TRUE(c.saveToFile(first.c_str()));
    WallpaperCollection loaded;
    ASSERT_TRUE(loaded.loadFromFile(first.c_str()));
    ASSERT_EQ(loaded.entryCount(), 1);
    EXPECT_EQ(loaded.first()->fileExists(), nt);
    ASSERT_TRUE(loaded.saveToFile(second.c_str()));
    EXPECT_EQ(testing_support::readAll(first), testing_support::readAll(second));
}

TEST(TextLayerSystem, ReplacingKeepsTheOldFileWhenTheNewOneCannotMoveIn) {
    TempDir dir;
    const std::u16string from = dir.file(u"nová.plk"), to = dir.file(u"sbírka.plk");
    ASSERT_TRUE(testing_support::writeText(to, "old"));
    ASSERT_TRUE(testing_support::writeText(from, "new"));
    HANDLE held = ::CreateFileW(wide(from).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(plat::moveReplace(from.c_str(), to.c_str()));
    CloseHandle(held);
    EXPECT_EQ(testing_support::readAll(to), std::vector<uint8_t>({'o', 'l', 'd'}));

    ASSERT_TRUE(plat::moveReplace(from.c_str(), to.c_str()));
    EXPECT_EQ(testing_support::readAll(to), std::vector<uint8_t>({'n', 'e', 'w'}));
    EXPECT_FALSE(existsW(wide(from)));
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW((wide(dir.file(u"*"))).c_str(), &data);
    int files = 0;
    do
        files += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (::FindNextFileW(search, &data));
    FindClose(search);
    EXPECT_EQ(files, 1); // nothing left aside
}

TEST(TextLayerSystem, RegistryTextsAndSizesAreThoseOfTheWideForm) {
    HKEY key = nullptr;
    ASSERT_EQ(win::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Plochar zkouška", 0, nullptr, 0,
                                   KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t path[] = L"C:\\Obrázky\\Léto v Tatrách.bmp";
    ASSERT_EQ(
        win::RegSetValueExW(key, L"Tapeta", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path),
        ERROR_SUCCESS);
    wchar_t back[64] = {};
    DWORD bytes = sizeof back, type = 0;
    ASSERT_EQ(::RegQueryValueExW(key, L"Tapeta", nullptr, &type, reinterpret_cast<BYTE*>(back), &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(back), path);

    const wchar_t expand[] = L"%WINDIR%\\Čeština";
    ::RegSetValueExW(key, L"Složka", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
    bytes = 0;
    EXPECT_EQ(win::RegQueryValueExW(key, L"Složka", nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, sizeof expand);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    bytes = sizeof expand - 2;
    EXPECT_EQ(win::RegQueryValueExW(key, L"Složka", nullptr, nullptr, reinterpret_cast<BYTE*>(back), &bytes),
              ERROR_MORE_DATA);
    EXPECT_EQ(bytes, sizeof expand);
    bytes = sizeof back;
    EXPECT_EQ(win::RegQueryValueExW(key, L"Složka", nullptr, nullptr, reinterpret_cast<BYTE*>(back), &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(bytes, sizeof expand);
    EXPECT_EQ(std::wstring(back), expand);

    const DWORD number = 0x12345678;
    ASSERT_EQ(win::RegSetValueExW(key, L"Číslo", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
              ERROR_SUCCESS);
    DWORD read = 0;
    bytes = sizeof read;
    EXPECT_EQ(win::RegQueryValueExW(key, L"Číslo", nullptr, &type, reinterpret_cast<BYTE*>(&read), &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(read, number);
    EXPECT_EQ(bytes, 4u);
    RegCloseKey(key);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Plochar zkouška");
}

TEST(TextLayerSystem, ReceivedTextsAreMeasuredInWideUnits) {
    const wchar_t value[] = L"C:\\Dokumenty a nastavení\\Čeněk\\Ěščř";
    const DWORD length = static_cast<DWORD>(lstrlenW(value));
    ASSERT_TRUE(SetEnvironmentVariableW(L"PLOCHAR_ZKOUSKA", value));
    wchar_t out[64];
    EXPECT_EQ(win::GetEnvironmentVariableW(L"PLOCHAR_ZKOUSKA", out, length), length + 1);
    EXPECT_EQ(win::GetEnvironmentVariableW(L"PLOCHAR_ZKOUSKA", out, length + 1), length);
    EXPECT_EQ(std::wstring(out), value);

    wchar_t windows[MAX_PATH], system[MAX_PATH];
    const UINT n = ::GetWindowsDirectoryW(system, MAX_PATH);
    EXPECT_EQ(win::GetWindowsDirectoryW(windows, MAX_PATH), n);
    EXPECT_EQ(std::wstring(windows), std::wstring(system));
    EXPECT_EQ(win::GetWindowsDirectoryW(windows, n), n + 1);

    EXPECT_NE(win::lstrcmpiW(L"日.jpg", L"月.jpg"), 0);
    EXPECT_EQ(win::lstrcmpiW(L"ŽLUŤOUČKÝ.JPG", L"žluťoučký.jpg"), 0);
}

} // namespace
