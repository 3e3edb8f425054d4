// What every window of the shell shares: the main window and the instance,
// the private window messages, the main window's timers, and the popup menu
// at the cursor. Shell files include this rather than each other.
#pragma once

#include <windows.h>

#include <cstdint>

#include "pages/page_messages.h" // the private window messages

// The main window (dialog 106); null until it is created and after it is gone.
extern HWND MainWindow;
extern HINSTANCE AppInstance;
// Registered "TaskbarCreated": Explorer has (re)started its taskbar.
extern UINT TaskbarCreatedMessage;

// Timers of the main window.
enum MainTimer : UINT_PTR {
    kTimerIconLabels = 1, // 1 s: icon label colours of CurrentWallpaper
    kTimerChange = 2,     // 60 s: change countdown
    kTimerLogo = 3,       // 60 s: start-up logo countdown (Windows 9x)
    kTimerAutoPause = 4,  // 2.5 s: automatic pause
};

// True while a drop's folders are searched: the configuration window is
// hidden then so that the wait window is seen alone, but it stays open (its
// page is in use). Written by the collection page on the GUI thread.
extern bool SearchingDroppedFolders;

// The configuration window is open: visible, or hidden for a folder search.
bool isMainWindowVisible();

// Shows popup at the cursor for owner and returns the chosen command (0 for
// none). The owner is brought to the front first, or the menu would not close
// when the user clicks elsewhere.
UINT trackPopupAtCursor(HWND owner, HMENU popup);

// "Plochar - <name>" or "Plochar - nová kolekce".
void setWindowTitle(HWND window, const char16_t* collectionName);
