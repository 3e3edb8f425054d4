// The MainWindow: the configuration dialog (resource 106), created hidden at
// start. It owns the tray icon, the timers, the change cycle and every command.
#pragma once

#include <windows.h>

#include <cstdint>

#include "collection/wallpaper_collection.h"

// Private window messages.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 100;
inline constexpr UINT kReleasePreviewMessage = WM_USER + 101;

// Timers of the main window.
enum MainTimer : UINT_PTR {
    kTimerIconLabels = 1, // 1 s: icon label colours of CurrentWallpaper
    kTimerChange = 2,     // 60 s: change countdown
    kTimerLogo = 3,       // 60 s: start-up logo countdown (Windows 9x)
    kTimerAutoPause = 4,  // 2.5 s: automatic pause
};

extern HWND MainWindow;
extern HINSTANCE AppInstance;
// Registered "TaskbarCreated": Explorer has (re)started its taskbar.
extern UINT TaskbarCreatedMessage;

// Creates the main window from dialog 106. showAtStart: the window is shown
// at the end of its start-up ("-d"). Null when the dialog could not be made
// (tabsFailed then tells whether the frame failed and was already reported).
HWND createMainWindow(HINSTANCE instance, bool showAtStart, bool* tabsFailed = nullptr);

bool isMainWindowVisible();

// The operation that puts a picture on the desktop for changes and re-apply:
// ApplyWallpaper without keyboard cancel. Tests hand in their own (null
// restores the desktop's).
void setApplyOperation(ApplyFunction apply, void* context);

// "Plochar - <name>" or "Plochar - nová kolekce".
void setWindowTitle(HWND window, const char16_t* collectionName);
