#include "app_test_support.h"

#include <shlwapi.h>

#include <cstring>
#include <fstream>

#include "app/tray.h"
#include "app_core/app_state.h"
#include "app_core/auto_pause_match.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "settings/settings_store.h"

namespace apptest {

std::vector<ShownBox> Boxes;
std::deque<int> Answers;
std::vector<AppliedPicture> Applied;
int ApplyResult = 1;

namespace {

int answerBox(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
    Boxes.push_back({text, caption, flags, static_cast<HWND>(owner)});
    if ((flags & 0xF) != plat::kMbYesNo)
        return plat::kIdOk;
    if (Answers.empty())
        return plat::kIdNo;
    const int answer = Answers.front();
    Answers.pop_front();
    return answer;
}

int recordApply(const WallpaperEntry& entry, void*) {
    Applied.push_back({entry.path, trayIconResource(), BusyFlag.load()});
    return ApplyResult;
}

} // namespace

void writeValue(HKEY hive, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(hive, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(k);
}

void writeString(HKEY hive, const wchar_t* key, const wchar_t* name, const std::u16string& text) {
    writeValue(hive, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

std::vector<uint8_t> readValue(HKEY hive, const wchar_t* key, const wchar_t* name) {
    HKEY k = nullptr;
    std::vector<uint8_t> data(4096);
    DWORD size = static_cast<DWORD>(data.size());
    if (RegOpenKeyExW(hive, key, 0, KEY_READ, &k) != ERROR_SUCCESS)
        size = 0;
    else if (RegQueryValueExW(k, name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
        size = 0;
    RegCloseKey(k);
    data.resize(size);
    return data;
}

std::u16string readString(HKEY hive, const wchar_t* key, const wchar_t* name) {
    std::vector<uint8_t> data = readValue(hive, key, name);
    if (data.size() < 2)
        return u"<missing>";
    return std::u16string(reinterpret_cast<const char16_t*>(data.data()), data.size() / 2 - 1);
}

std::u16string tip() { return reinterpret_cast<const char16_t*>(trayRecord().szTip); }

std::u16string windowTitle(HWND w) {
    wchar_t text[300] = {};
    GetWindowTextW(w, text, 300);
    return reinterpret_cast<const char16_t*>(text);
}

static void clearOurRegistry() {
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Vorsan");
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Vorsan");
}

void AppWindowTest::SetUp() {
    clearOurRegistry();
    Boxes.clear();
    Answers.clear();
    Applied.clear();
    ApplyResult = 1;
    plat::setMessageBoxHook(answerBox);
    setTrayShellEnabled(false);
    setApplyOperation(recordApply, nullptr);
    plat::overrideOsVersion(&plat::kWindowsXp);
    std::memset(IgnoredTitles, 0, sizeof(IgnoredTitles));
    std::memset(MruList, 0, sizeof(MruList));
    CollectionFileName[0] = 0;
    CurrentWallpaper = WallpaperEntry();
    AutoPauseList.reset();
    LastDir = new char16_t[kLastDirUnits]();
    SaveAsIfUnnamed = 1;
    folder = std::filesystem::temp_directory_path() /
             ("plochar-app-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder);
}

void AppWindowTest::TearDown() {
    if (MainWindow)
        DestroyWindow(MainWindow);
    pumpUntil([] { return false; }, 0);
    plat::setMessageBoxHook(nullptr);
    setTrayShellEnabled(true);
    setApplyOperation(nullptr, nullptr);
    plat::overrideOsVersion(nullptr);
    delete[] LastDir;
    LastDir = nullptr;
    AppSettings.PauseState = 0;
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    clearOurRegistry();
}

std::u16string AppWindowTest::makeCollection(const std::vector<std::string>& names) {
    WallpaperCollection c;
    pictures.clear();
    for (const auto& n : names) {
        const std::filesystem::path p = folder / n;
        std::ofstream(p) << "BM";
        pictures.push_back(p.u16string());
        EXPECT_EQ(c.addPath(pictures.back().c_str()), AddOutcome::Added);
    }
    const std::u16string file = (folder / "Hory.plk").u16string();
    EXPECT_TRUE(c.saveToFile(file.c_str()));
    return file;
}

void AppWindowTest::storeSettings(void (*edit)(AppSettingsRecord&)) {
    AppSettingsRecord s = defaultSettings();
    edit(s);
    writeValue(HKEY_CURRENT_USER, kKey212, L"Nastaveni", REG_BINARY, &s, sizeof(s));
}

HWND AppWindowTest::start() {
    window = createMainWindow(GetModuleHandleW(nullptr), false);
    EXPECT_TRUE(window);
    EXPECT_EQ(window, MainWindow);
    return window;
}

void AppWindowTest::command(UINT id) { SendMessageW(window, WM_COMMAND, id, 0); }
void AppWindowTest::timer(UINT_PTR id, int times) {
    for (int i = 0; i < times; ++i)
        SendMessageW(window, WM_TIMER, id, 0);
}

void AppWindowTest::quit() {
    command(40004);
    EXPECT_TRUE(pumpUntil([] { return MainWindow == nullptr; }, 5000));
    EXPECT_FALSE(IsWindow(window));
    // The loop's quit message is meant for WinMain; take it out of the queue.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

} // namespace apptest
