// The notification-area icon: its one NOTIFYICONDATAW record, the status it
// shows, the tray menu and the collection menu.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "app_core/tray_status.h"

void addTrayIcon(HWND window);
void removeTrayIcon();
// The taskbar was re-created: add the icon again as it was, then refresh it.
void readdTrayIcon();

// Icon and tooltip from the countdown, the window state and the entry count.
void updateTray(int32_t minutes, bool windowOpen, int32_t entries);
// The same for the present countdown, window and collection.
void refreshTray();
// Loads a menu resource and hands out its first popup; the bar is what the
// caller destroys. Null when either is missing.
HMENU loadMenuBar(UINT id, HMENU* popup);
// Shows a prepared status (the busy one) as it is.
void showTrayStatus(const TrayStatus& status);

// Menu 102 at the cursor; the chosen command is sent to window.
void showTrayMenu(HWND window);
// The command a double click runs now (the menu's default), or 0.
int32_t trayDoubleClickCommand();

// Menu 102 prepared for the present state; the caller destroys the returned
// menu bar (its first popup is the menu shown).
HMENU buildTrayMenu();
// Menu 122 prepared likewise.
HMENU buildCollectionMenu();
void showCollectionMenu(HWND window);

// Off: the record is kept as usual but never handed to the shell. Tests that
// start and stop the window many times use it (removing an icon from Wine's
// tray takes seconds).
void setTrayShellEnabled(bool enabled);

// For tests and diagnostics.
const NOTIFYICONDATAW& trayRecord();
int32_t trayIconResource();
bool trayIconAdded();
HICON trayIconHandle(int32_t resource);
