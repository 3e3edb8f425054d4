// Dropping files and folders on the collection page's list. The search runs
// on the GUI thread inside the drop message; only the wait window has a
// thread of its own.
#include "pages/collection_drop.h"

#include <iterator>

#include "app/shell.h"
#include "app_core/collection_drop_rules.h"
#include "app_core/format_text.h"
#include "pages/page_messages.h"
#include "pages/page_texts.h"
#include "platform/win_system.h"
#include "pages/pages.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "platform/win_messages.h"
#include "platform/win_newer.h"
#include "platform/win_windows.h"

namespace {

// One collection page exists at a time; its GUI thread installs and removes
// the filter.
WNDPROC ListProcedure = nullptr;
// The record the wait window reads. Not on the drop handler's stack, so
// that nothing dangles even if the wait window's thread outlived its drop.
AddProgress DropProgress = {0, 0};

// The adding lock, made on first use and kept for the process: a drop's
// message boxes let the window be closed while its search and wait window
// still run, and they must never find the lock deleted.
CRITICAL_SECTION& addingLock() {
    struct Lock {
        Lock() { InitializeCriticalSection(&section); }
        CRITICAL_SECTION section;
    };
    static Lock lock;
    return lock.section;
}

class AddingLockHeld {
  public:
    AddingLockHeld() { EnterCriticalSection(&addingLock()); }
    ~AddingLockHeld() { LeaveCriticalSection(&addingLock()); }
    AddingLockHeld(const AddingLockHeld&) = delete;
    AddingLockHeld& operator=(const AddingLockHeld&) = delete;
};

// Publishes the count for the wait window; true when the user asked to stop.
bool publishAdded(AddProgress* progress, int32_t added) {
    AddingLockHeld held;
    progress->added = added;
    return progress->stop != 0;
}

LRESULT CALLBACK dropFilterProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES) {
        win::SendMessageW(GetParent(list), kDropFilesMessage, wParam, lParam);
        return 0;
    }
    return win::CallWindowProcW(ListProcedure, list, message, wParam, lParam);
}

void reportFolder(const char16_t* folder) {
    char16_t text[drop::kFolderUnits + 100];
    formatText(text, std::size(text), page_text::kDropFolderFailed, folder);
    plat::messageBox(MainWindow, text, page_text::kCaption, plat::kMbIconWarning);
}

// As the page reports a picture it cannot add.
void reportPicture(const char16_t* path) {
    char16_t text[drop::kFolderUnits + 100];
    formatText(text, std::size(text), page_text::kAddPathFailed, path);
    plat::messageBox(MainWindow, text, page_text::kCaption,
                     plat::kMbIconWarning | plat::kMbSetForeground | plat::kMbTopmost);
}

AddFileResult addFile(HWND page, const char16_t* path) {
    if (!IsWindow(page)) // the window was closed from a message box
        return AddFileResult::Stop;
    return static_cast<AddFileResult>(win::SendMessageW(page, kAddFileMessage, reinterpret_cast<WPARAM>(path), 0));
}

// A dropped item's name; false for one that cannot be read whole (a cut
// name would be another file).
bool droppedName(HDROP drop, UINT index, char16_t* name) {
    const UINT length = win::DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0 || length >= plat::kPathUnits)
        return false;
    return win::DragQueryFileW(drop, index, reinterpret_cast<LPWSTR>(name), plat::kPathUnits) == length;
}

const char16_t* namePart(const char16_t* path) {
    const char16_t* name = path;
    for (const char16_t* c = path; *c; ++c)
        if (*c == u'\\' || *c == u'/')
            name = c + 1;
    return name;
}

HANDLE startWaitWindow(AddProgress* progress) {
    HANDLE thread = CreateThread(nullptr, 0, addWaitThread, progress, 0, nullptr);
    if (thread)
        SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
    return thread;
}

// The wait window closes at its next tick once stop is set. Waiting for it
// keeps one drop's window from reading the next drop's record; messages
// other threads send meanwhile are still answered.
void waitForWaitWindow(HANDLE thread) {
    if (!thread)
        return;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED)
            break;
        MSG msg;
        win::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(thread);
}

void showDropOutcome(HWND page, int32_t counter, bool stopped) {
    char16_t text[200];
    formatText(text, std::size(text), stopped ? page_text::kDropStopped : page_text::kDropAdded, counter);
    plat::messageBox(page, text, page_text::kCaption, plat::kMbIconInformation | MB_TASKMODAL);
}

} // namespace

void installDropFilter(HWND list) {
    if (!list || ListProcedure)
        return;
    ListProcedure = reinterpret_cast<WNDPROC>(
        win::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dropFilterProc)));
    DragAcceptFiles(list, TRUE);
}

void removeDropFilter(HWND list) {
    if (list && ListProcedure &&
        win::GetWindowLongPtrW(list, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(dropFilterProc))
        win::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProcedure));
    ListProcedure = nullptr;
}

AddProgress readAddProgress(const AddProgress* progress) {
    AddingLockHeld held;
    return *progress;
}

void requestAddStop(AddProgress* progress) {
    AddingLockHeld held;
    progress->stop = 1;
}

namespace {

// The folder as the file system knows it; its path where it gives no
// identity (Windows 9x, or a folder that cannot be opened).
drop::FolderId folderId(const char16_t* folderWithBackslash) {
    drop::FolderId id = {false, 0, 0, folderWithBackslash};
    if (plat::isWindows9x())
        return id;
    HANDLE handle = win::CreateFileW(reinterpret_cast<LPCWSTR>(folderWithBackslash), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(handle, &info)) {
        id.byIndex = true;
        id.volume = info.dwVolumeSerialNumber;
        id.index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    CloseHandle(handle);
    return id;
}

SearchResult searchFolder(HWND page, const char16_t* path, int32_t* counter, AddProgress* progress,
                          drop::SearchedFolders& searched) {
    if (publishAdded(progress, *counter))
        return SearchResult::Stopped;
    char16_t folder[drop::kFolderUnits];
    if (!drop::folderForSearch(folder, path)) {
        reportFolder(path);
        return SearchResult::Done;
    }
    if (!searched.firstVisit(folderId(folder)))
        return SearchResult::Done;
    const size_t folderLength = plat::textLength(folder);
    plat::appendText(folder, drop::kFolderUnits, u"*.*");
    WIN32_FIND_DATAW found;
    HANDLE search = win::FindFirstFileW(reinterpret_cast<LPCWSTR>(folder), &found);
    folder[folderLength] = 0;
    if (search == INVALID_HANDLE_VALUE) {
        reportFolder(folder);
        return SearchResult::Done;
    }
    for (int listed = 0;;) {
        const char16_t* name = reinterpret_cast<const char16_t*>(found.cFileName);
        char16_t full[drop::kFolderUnits];
        switch (drop::classifyFoundItem(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        case drop::FoundItem::SearchFolder: {
            // Junctions and links to folders lead elsewhere, often back up the
            // tree: only folders that are really inside are searched.
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                break;
            const SearchResult result = drop::joinFoundPath(full, drop::kFolderUnits, folder, name)
                                            ? searchFolder(page, full, counter, progress, searched)
                                            : (reportFolder(full), SearchResult::Done);
            if (result != SearchResult::Done) {
                FindClose(search);
                return result;
            }
            break;
        }
        case drop::FoundItem::AddPicture: {
            // A path too long for an entry is not cut: the cut one may name
            // another file.
            const AddFileResult result = drop::joinFoundPath(full, plat::kPathUnits, folder, name)
                                             ? addFile(page, full)
                                             : (reportPicture(full), AddFileResult::NotAdded);
            if (result == AddFileResult::Added)
                ++*counter;
            if (result == AddFileResult::Stop) {
                FindClose(search);
                return SearchResult::Cancelled;
            }
            break;
        }
        case drop::FoundItem::Skip: break;
        }
        if (!win::FindNextFileW(search, &found))
            break;
        if (++listed % 20 == 0 && publishAdded(progress, *counter)) {
            FindClose(search);
            return SearchResult::Stopped;
        }
    }
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
        reportFolder(folder);
    return SearchResult::Done;
}

} // namespace

SearchResult SearchFolder(HWND page, const char16_t* folder, int32_t* counter, AddProgress* progress) {
    drop::SearchedFolders searched;
    return searchFolder(page, folder, counter, progress, searched);
}

void onDropFiles(HWND page, HDROP drop) {
    int32_t counter = 0;
    bool stopped = false;
    HANDLE waitThread = nullptr;
    HWND window = win::GetAncestor(page, GA_ROOT);
    {
        AddingLockHeld held;
        DropProgress = {0, 0};
    }
    const UINT count = win::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    HCURSOR previous = SetCursor(win::LoadCursorW(nullptr, IDC_WAIT));
    bool folders = false;
    drop::SearchedFolders searched; // across the drop's folders
    for (UINT i = 0; i < count && !stopped; ++i) {
        char16_t name[plat::kPathUnits];
        const DWORD attributes = droppedName(drop, i, name)
                                     ? win::GetFileAttributesW(reinterpret_cast<LPCWSTR>(name))
                                     : INVALID_FILE_ATTRIBUTES;
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!folders) {
                folders = true;
                SearchingDroppedFolders = true;
                ShowWindow(window, SW_HIDE);
                waitThread = startWaitWindow(&DropProgress);
            }
            stopped = searchFolder(page, name, &counter, &DropProgress, searched) != SearchResult::Done;
        } else if (drop::classifyFoundItem(namePart(name), false) == drop::FoundItem::AddPicture) {
            const AddFileResult result = addFile(page, name);
            counter += result == AddFileResult::Added ? 1 : 0;
            stopped = result == AddFileResult::Stop;
        }
    }
    DragFinish(drop);
    endAddingRun(page);
    if (folders) {
        requestAddStop(&DropProgress);
        waitForWaitWindow(waitThread);
        ShowWindow(window, SW_SHOW);
        SearchingDroppedFolders = false;
        SetForegroundWindow(window);
    }
    SetCursor(previous);
    showAddedPictures(page);
    showDropOutcome(page, counter, stopped);
}
