// The MainWindow: the configuration dialog (resource 106), created hidden at
// start. It owns the tray icon, the timers, the change cycle and every command.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/shell.h"
#include "collection/wallpaper_collection.h"

// Creates the main window from dialog 106. showAtStart: the window is shown
// at the end of its start-up ("-d"). Null when the dialog could not be made
// (tabsFailed then tells whether the frame failed and was already reported).
HWND createMainWindow(HINSTANCE instance, bool showAtStart, bool* tabsFailed = nullptr);

// The operation that puts a picture on the desktop for changes and re-apply:
// ApplyWallpaper without keyboard cancel. Tests hand in their own (null
// restores the desktop's).
void setApplyOperation(ApplyFunction apply, void* context);
