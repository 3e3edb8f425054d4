// Adding pictures dragged from the shell onto the collection page's list:
// dropped files are added at once, dropped folders are searched for
// pictures while a wait window on a thread of its own counts them and lets
// the user stop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

// Shared by the search (GUI thread) and the wait window's thread; read and
// written only under the adding lock.
struct AddProgress {
    int32_t stop;  // set by "&Přerušit", or by the GUI thread when the drop is done
    int32_t added; // pictures added so far in this drop, published by the search
};

// SearchFolder's results.
enum SearchResult : int { kSearchDone = 0, kSearchStopped = 1, kSearchCancelled = 3 };

// The list's drop filter lives from the page's creation to its destruction.
void installDropFilter(HWND list);
void removeDropFilter(HWND list);

// After an adding run: with nothing selected the first item is selected
// (and the page hears of it), the list gets the focus and the position field
// shows where the one selected item is.
void showAddedPictures(HWND page);

// kDropFilesMessage of the collection page: wParam is the HDROP.
void onDropFiles(HWND page, HDROP drop);

// Searches folder and its sub-folders for pictures and hands each to the
// page; *counter grows by the pictures added.
int SearchFolder(HWND page, const char16_t* folder, int32_t* counter, AddProgress* progress);

// Under the adding lock.
AddProgress readAddProgress(const AddProgress* progress);
void requestAddStop(AddProgress* progress);

// The wait window's thread: runs dialog 134 for progress until it ends; a
// null progress ends at once.
DWORD WINAPI addWaitThread(void* progress);
