// The frame of the configuration window: the tab control with its pages and
// the button tooltips. The main window reaches it only through these calls.
#pragma once

#include <windows.h>

// Builds the tab control and the first page; false when that failed.
bool buildConfigFrame(HWND mainWindow);
void destroyConfigFrame();
// The page shown now, or null.
HWND currentConfigPage();
// Whether the "Kolekce" tab is the one shown.
bool isCollectionTabSelected();
// Selects the "Kolekce" tab (the window is being shown); the page is made
// anew from the present collection.
void showCollectionTab();
// The collection is about to be replaced: the collection page lets go of the
// entries it holds.
void releaseCollectionPage();
// The collection was replaced: the collection page lists it again.
void refreshCollectionPage();
// WM_NOTIFY of the main window; true when it was the tab control's.
bool onConfigFrameNotify(const NMHDR* header);
void createButtonTooltips(HWND mainWindow);
// The window has taken its place at a new DPI: the frame is laid out anew.
void onConfigFrameDpiChanged();
// Tests make the frame fail as a missing resource would.
void setConfigFrameFails(bool fails);
