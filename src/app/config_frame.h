// The frame of the configuration window: the tab control with its pages, the
// button tooltips and the collection file dialogs. The main window reaches it
// only through these calls.
#pragma once

#include <windows.h>

// Builds the tab control and the first page; false when that failed.
bool buildConfigFrame(HWND mainWindow);
void destroyConfigFrame();
// The page shown now, or null.
HWND currentConfigPage();
// Selects the "Kolekce" tab and refills its list (window being shown).
void showCollectionTab();
// The collection was replaced: the collection page reloads its list.
void refreshCollectionPage();
void createButtonTooltips(HWND mainWindow);
void prepareCollectionDialogs(HWND mainWindow);
