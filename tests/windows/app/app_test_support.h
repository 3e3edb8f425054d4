// Shared by the in-process tests of the main window: a clean registry, answered
// message boxes, a recording apply operation, picture files and a running
// main window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "collection/wallpaper_collection.h"
#include "settings/app_settings.h"

namespace apptest {

struct ShownBox {
    std::u16string text;
    std::u16string caption;
    uint32_t flags;
    HWND owner;
};

// Every message box lands here; questions are answered from a queue (No when
// it is empty), other boxes with OK.
extern std::vector<ShownBox> Boxes;
extern std::deque<int> Answers;

struct AppliedPicture {
    std::u16string path;
    int32_t trayIcon;  // the tray icon while the picture was applied
    int32_t busyFlag;
};
extern std::vector<AppliedPicture> Applied;
extern int ApplyResult;

// Registry helpers: writing creates the key; a missing value reads as empty
// (readString: "<missing>").
void writeValue(HKEY hive, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size);
void writeString(HKEY hive, const wchar_t* key, const wchar_t* name, const std::u16string& text);
std::vector<uint8_t> readValue(HKEY hive, const wchar_t* key, const wchar_t* name);
std::u16string readString(HKEY hive, const wchar_t* key, const wchar_t* name);

inline constexpr wchar_t kKey212[] = L"Software\\Vorsan\\Plochar 2.12";
inline constexpr wchar_t kKey210[] = L"Software\\Vorsan\\Plochar 2.10";

// Handles messages until done() or the time is up; true when done.
template <typename Done>
bool pumpUntil(Done done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > milliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::u16string tip();
std::u16string windowTitle(HWND window);

class AppWindowTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates picture files and a collection file holding them; returns its path.
    std::u16string makeCollection(const std::vector<std::string>& names);
    // Settings of this version with a few fields changed.
    void storeSettings(void (*edit)(AppSettingsRecord&));
    HWND start();
    void command(UINT id);
    void timer(UINT_PTR id, int times = 1);
    // Closes through the tray's "&Konec" and waits for the window to go.
    void quit();

    std::filesystem::path folder;
    std::vector<std::u16string> pictures;
    HWND window = nullptr;
};

} // namespace apptest
