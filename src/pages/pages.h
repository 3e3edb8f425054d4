// The tab pages of the configuration window. The frame creates one page at a
// time from its template with one of these procedures; each page keeps its
// state in a struct held in the window's user data and freed in WM_DESTROY.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "collection/wallpaper_entry.h"

INT_PTR CALLBACK collectionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK logoPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK settingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK settings2PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK settings3PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK extraPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Appends every entry of ActiveCollection to the collection page's list and
// selects the first item.
void FillCollectionList(HWND page);

// The page's answer to kAddFileMessage (wParam: the full path of one picture),
// its DWLP_MSGRESULT. Stop: the user cancelled the duplicate notice.
enum class AddFileResult : LRESULT { NotAdded = 1, Added = 2, Stop = 3 };

// An adding run (the open dialog, a drop) ends with endAddingRun, which makes
// the duplicate notice show again, and then showAddedPictures: with nothing
// selected the first item is selected (and the page hears of it), the list
// gets the focus and the position field shows where the one selected item is.
void endAddingRun(HWND page);
void showAddedPictures(HWND page);

// What the collection page asks of the user and the desktop; tests hand in
// their own answers (null members, or null hooks: the real ones).
struct CollectionPageHooks {
    BOOL(WINAPI* openFiles)(OPENFILENAMEW*) = nullptr;             // GetOpenFileNameW
    BOOL(WINAPI* chooseColour)(CHOOSECOLORW*) = nullptr;           // ChooseColorW
    int (*apply)(const WallpaperEntry&, int allowAbort) = nullptr; // ApplyWallpaper
    DWORD(WINAPI* dialogError)() = nullptr;                        // CommDlgExtendedError
};
void setCollectionPageHooks(const CollectionPageHooks* hooks);
