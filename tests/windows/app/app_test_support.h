// The in-process window tests' clean registry, boxes, apply, pictures and window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/tray.h"
#include "app_core/app_state.h"
#include "app_core/auto_pause_match.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "settings/settings_store.h"

namespace apptest {

inline constexpr wchar_t kKey212[] = L"Software\\Vorsan\\Plochar 2.12";

struct ShownBox {
    std::u16string text, caption;
    uint32_t flags;
    void* owner;
};
// Every message box; questions take answers from the queue (No when empty).
inline std::vector<ShownBox> Boxes;
inline std::deque<int> Answers;

inline int answerBox(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
    Boxes.push_back({text, caption, flags, owner});
    const bool question = (flags & 0xF) == plat::kMbYesNo || (flags & 0xF) == plat::kMbYesNoCancel;
    const int answer = !question ? plat::kIdOk : Answers.empty() ? plat::kIdNo : Answers.front();
    if (question && !Answers.empty())
        Answers.pop_front();
    return answer;
}

// The pictures applied, with the tray icon at that moment.
inline std::vector<std::pair<std::u16string, int32_t>> Applied;
inline int ApplyResult = 1;
inline int recordApply(const WallpaperEntry& entry, void*) {
    EXPECT_EQ(BusyFlag.load(), 1);
    Applied.emplace_back(entry.path, trayIconResource());
    return ApplyResult;
}

inline void writeValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size,
                       HKEY hive = HKEY_CURRENT_USER) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(hive, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(k);
}
inline void writeString(const wchar_t* key, const wchar_t* name, const std::u16string& text) {
    writeValue(key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}
// Empty when the value is missing.
inline std::vector<uint8_t> readValue(const wchar_t* key, const wchar_t* name, HKEY hive = HKEY_CURRENT_USER) {
    HKEY k = nullptr;
    std::vector<uint8_t> data(4096);
    DWORD size = static_cast<DWORD>(data.size());
    if (RegOpenKeyExW(hive, key, 0, KEY_READ, &k) != ERROR_SUCCESS ||
        RegQueryValueExW(k, name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS)
        size = 0;
    RegCloseKey(k);
    data.resize(size);
    return data;
}
inline AppSettingsRecord storedSettings() {
    AppSettingsRecord s{};
    const std::vector<uint8_t> data = readValue(kKey212, L"Nastaveni");
    std::memcpy(&s, data.data(), std::min(data.size(), sizeof(s)));
    return s;
}

// Handles messages until done() or the time is up; true when done.
template <typename Done>
bool pumpUntil(Done done, DWORD milliseconds) {
    for (const DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT)) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (done())
            return true;
        if (GetTickCount() - start > milliseconds)
            return false;
    }
}

inline std::u16string tip() { return reinterpret_cast<const char16_t*>(trayRecord().szTip); }

class AppWindowTest : public testing::Test {
  protected:
    void SetUp() override {
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
        LastDir = new char16_t[kLastDirUnits]();
        SaveAsIfUnnamed = true;
        folder = std::filesystem::temp_directory_path() /
                 ("plochar-app-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder, ec);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
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
        std::filesystem::remove_all(folder, ec);
        clearOurRegistry();
    }
    static void clearOurRegistry() {
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            SHDeleteKeyW(hive, L"Software\\Vorsan");
    }
    // Pictures and the last collection holding them; returns its file.
    std::u16string makeCollection(const std::vector<std::string>& names) {
        WallpaperCollection c;
        pictures.clear();
        for (const auto& n : names) {
            std::ofstream(folder / n) << "BM";
            pictures.push_back((folder / n).u16string());
            EXPECT_EQ(c.addPath(pictures.back().c_str()), AddOutcome::Added);
        }
        const std::u16string file = (folder / "Hory.plk").u16string();
        EXPECT_TRUE(c.saveToFile(file.c_str()));
        writeString(kKey212, L"LastKolekce", file);
        return file;
    }
    // Settings of this version with a few fields changed.
    void storeSettings(void (*edit)(AppSettingsRecord&)) {
        AppSettingsRecord s = defaultSettings();
        edit(s);
        writeValue(kKey212, L"Nastaveni", REG_BINARY, &s, sizeof(s));
    }
    HWND start() {
        window = createMainWindow(GetModuleHandleW(nullptr), false);
        EXPECT_EQ(window, MainWindow);
        return window;
    }
    void command(UINT id) { SendMessageW(window, WM_COMMAND, id, 0); }
    void timer(UINT_PTR id, int times = 1) {
        for (int i = 0; i < times; ++i)
            SendMessageW(window, WM_TIMER, id, 0);
    }
    void trayClick(UINT mouseMessage) { SendMessageW(window, 1124, 1, mouseMessage); }
    // Closes through the tray's "&Konec" and waits for the window to go.
    void quit() {
        command(40004);
        EXPECT_TRUE(pumpUntil([] { return MainWindow == nullptr; }, 5000));
        MSG msg; // the loop's quit message is meant for WinMain
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    std::error_code ec;
    std::filesystem::path folder;
    std::vector<std::u16string> pictures;
    HWND window = nullptr;
};

// Three pictures, changing forward every 3 minutes, no change at start.
class ChangeCycleTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        makeCollection({"a.bmp", "b.bmp", "c.bmp"});
        storeSettings([](AppSettingsRecord& s) {
            s.intervalMinutes = 3;
            s.changeAtStart = 0;
            s.changeOrder = 1;
        });
    }
};

} // namespace apptest
