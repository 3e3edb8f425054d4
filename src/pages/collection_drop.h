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

// How a folder search ended: every folder searched, stopped by the wait
// window's button, or cancelled at the duplicate notice.
enum class SearchResult { Done, Stopped, Cancelled };

// The list's drop filter lives from the page's creation to its destruction.
void installDropFilter(HWND list);
void removeDropFilter(HWND list);

// kDropFilesMessage of the collection page: wParam is the HDROP.
void onDropFiles(HWND page, HDROP drop);

// Searches folder and its sub-folders for pictures and hands each to the
// page; *counter grows by the pictures added.
SearchResult SearchFolder(HWND page, const char16_t* folder, int32_t* counter, AddProgress* progress);

// Under the adding lock.
AddProgress readAddProgress(const AddProgress* progress);
void requestAddStop(AddProgress* progress);

// The wait window's thread: runs dialog 134 for progress until it ends; a
// null progress ends at once.
DWORD WINAPI addWaitThread(void* progress);
