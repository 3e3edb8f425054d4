// The collection page's list commands: removing, sorting and moving the
// selected pictures, and adding pictures chosen in the open dialog.
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>

#include "app_core/app_state.h"
#include "collection/wallpaper_collection.h"
#include "pages/collection_page_internal.h"
#include "pages/page_texts.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/win_messages.h"
#include "platform/win_windows.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

namespace collection_page {

namespace {

// The open dialog's buffer: a folder and the names chosen in it. The dialog
// reports at most 65,535 units as needed, so a choice that fails for want
// of room here cannot be made at all.
constexpr DWORD kOpenBufferUnits = 65537;
constexpr size_t kLastDirTaken = 268;

// The selection's entries sorted by address, for a binary search.
struct SortedEntries {
    WallpaperEntry** begin;
    WallpaperEntry** end;
};
bool isAmong(const WallpaperEntry& e, void* sorted) {
    const auto* s = static_cast<const SortedEntries*>(sorted);
    return std::binary_search(s->begin, s->end, &e, std::less<const WallpaperEntry*>());
}

// Takes the selected entries out of the list and the collection, with the
// list's redraw off and in one pass through the collection: one by one,
// removing thousands of pictures took minutes. The selection's entries are
// left sorted by address, no longer in step with its positions.
void removeSelected(HWND page, const Selection& selection) {
    SortedEntries sorted{selection.entries.get(), selection.entries.get() + selection.count};
    std::sort(sorted.begin, sorted.end, std::less<const WallpaperEntry*>());
    CollectionPage* s = state(page);
    if (s && s->previewEntry && isAmong(*s->previewEntry, &sorted))
        releasePreview(page);
    HWND box = list(page);
    win::SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    // The items go before the entries, so no item ever holds a freed entry.
    for (int i = selection.count - 1; i >= 0; --i)
        win::SendMessageW(box, LB_DELETESTRING, static_cast<WPARAM>(selection.positions[i]), 0);
    ActiveCollection.removeEntries(isAmong, &sorted);
    win::SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

// Moves one list item by one place, keeping its item data.
bool moveItem(HWND page, int from, int to) {
    HWND box = list(page);
    const LRESULT length = win::SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(from), 0);
    if (length < 0 || length >= static_cast<LRESULT>(plat::kPathUnits))
        return false;
    char16_t text[plat::kPathUnits] = {};
    win::SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(text));
    const LRESULT data = win::SendMessageW(box, LB_GETITEMDATA, static_cast<WPARAM>(from), 0);
    win::SendMessageW(box, LB_DELETESTRING, static_cast<WPARAM>(from), 0);
    const LRESULT at =
        win::SendMessageW(box, LB_INSERTSTRING, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(text));
    return at >= 0 && win::SendMessageW(box, LB_SETITEMDATA, static_cast<WPARAM>(at), data) != LB_ERR;
}

void cutAtLastBackslash(char16_t* path) {
    char16_t* slash = nullptr;
    for (char16_t* p = path; *p; ++p)
        if (*p == u'\\')
            slash = p;
    if (slash)
        *slash = 0;
}

// Adds one picture to the collection and the list; the duplicate notice
// lets the user stop the adding run.
AddFileResult addFile(HWND page, const char16_t* path) {
    constexpr uint32_t kInFront = plat::kMbSetForeground | plat::kMbTopmost;
    WallpaperEntry* added = nullptr;
    const AddOutcome outcome = plat::textLength(path) < plat::kPathUnits
                                   ? ActiveCollection.addPath(path, &added)
                                   : AddOutcome::Failed;
    switch (outcome) {
    case AddOutcome::Failed:
        askAboutPath(page, page_text::kAddPathFailed, path, plat::kMbIconWarning | kInFront);
        return AddFileResult::NotAdded;
    case AddOutcome::AlreadyPresent: {
        CollectionPage* s = state(page);
        if (s && s->suppressDuplicateNotice)
            return AddFileResult::NotAdded;
        const int answer = askAboutPath(page, page_text::kAlreadyInCollection, path,
                                        plat::kMbYesNoCancel | plat::kMbIconInformation | kInFront);
        if (answer == plat::kIdCancel)
            return AddFileResult::Stop;
        if (answer == plat::kIdNo && s)
            s->suppressDuplicateNotice = true;
        return AddFileResult::NotAdded;
    }
    case AddOutcome::Added:
        break;
    }
    if (appendItem(list(page), added) < 0) {
        // The list and the collection must keep holding the same pictures.
        ActiveCollection.removeEntry(added);
        askAboutPath(page, page_text::kListAddFailed, path, plat::kMbIconError | kInFront);
        return AddFileResult::NotAdded;
    }
    return AddFileResult::Added;
}

} // namespace

void onRemove(HWND page) {
    const Selection selection = readSelection(page);
    if (!selection.ok || selection.count == 0)
        return;
    if (AppSettings.confirmRemove) {
        const uint32_t flags = plat::kMbYesNo | plat::kMbIconQuestion | plat::kMbDefButton2;
        const int answer = selection.count == 1 ? askAboutPath(page, page_text::kRemoveOne,
                                                               selection.entries[0]->path, flags)
                                                : ask(page, page_text::kRemoveSeveral, flags);
        if (answer != plat::kIdYes || !IsWindow(page))
            return;
    }
    // Only the pictures the question named go: a list changed under the
    // question loses nothing.
    for (int i = 0; i < selection.count; ++i)
        if (entryAt(page, selection.positions[i]) != selection.entries[i])
            return;
    removeSelected(page, selection);
    win::SendMessageW(list(page), LB_SETSEL, FALSE, -1);
    const int next = selection.count == 1 && selection.positions[0] > 0 ? selection.positions[0] - 1 : 0;
    win::SendMessageW(list(page), LB_SETSEL, TRUE, next);
    sendSelectionChange(page);
    SetFocus(list(page));
}

void onSort(HWND page) {
    CursorWait wait;
    releasePreview(page);
    ActiveCollection.sortByName();
    win::SendMessageW(list(page), LB_RESETCONTENT, 0, 0);
    FillCollectionList(page);
}

void onMove(HWND page, bool up) {
    const Selection selection = readSelection(page);
    const int n = itemCount(page);
    if (!selection.ok || selection.count == 0 || selection.count == n)
        return;
    CursorWait wait;
    if (!canMoveSelection(selection.positions.get(), static_cast<size_t>(selection.count), n, up))
        return;
    int moved = 0;
    for (int k = 0; k < selection.count; ++k) {
        const int i = up ? k : selection.count - 1 - k;
        const int from = selection.positions[i], to = up ? from - 1 : from + 1;
        WallpaperEntry* neighbour = entryAt(page, to);
        if (!neighbour || !ActiveCollection.swapEntries(selection.entries[i], neighbour))
            break;
        if (!moveItem(page, from, to)) {
            // The list cannot follow: the collection goes back so both agree.
            ActiveCollection.swapEntries(selection.entries[i], neighbour);
            break;
        }
        selection.positions[i] = to;
        ++moved;
    }
    win::SendMessageW(list(page), LB_SETSEL, FALSE, -1);
    for (int k = 0; k < moved; ++k) {
        const int i = up ? k : selection.count - 1 - k;
        win::SendMessageW(list(page), LB_SETSEL, TRUE, selection.positions[i]);
    }
    setPosition(page, moved == 1 && selection.count == 1 ? selection.positions[0] : -1);
    applyEnableRules(page);
}

// Asks for pictures and adds them; the buffer holds one full path, or a
// folder followed by the names chosen in it.
void onAdd(HWND page) {
    CollectionPage* s = state(page);
    if (!s)
        return;
    std::unique_ptr<char16_t[]> buffer(new (std::nothrow) char16_t[kOpenBufferUnits]());
    if (!buffer) {
        ask(page, page_text::kNoMemory, plat::kMbIconError);
        return;
    }
    s->open.lpstrFile = reinterpret_cast<LPWSTR>(buffer.get());
    s->open.nMaxFile = kOpenBufferUnits - 1;
    s->open.lpstrInitialDir = reinterpret_cast<LPCWSTR>(LastDir);
    const plat::OpenDialog dialog;
    const BOOL chosen = (g_hooks.openFiles ? g_hooks.openFiles : win::GetOpenFileNameW)(&s->open);
    s->open.lpstrFile = nullptr;
    if (!chosen) {
        const DWORD error = (g_hooks.dialogError ? g_hooks.dialogError : CommDlgExtendedError)();
        if (error == FNERR_BUFFERTOOSMALL)
            ask(page, page_text::kTooManyChosen, plat::kMbIconWarning);
        return;
    }
    const bool single = s->open.nFileExtension != 0;
    if (LastDir) {
        plat::copyText(LastDir, kLastDirTaken + 1, buffer.get());
        // One chosen file: the buffer holds its full path, keep the folder.
        if (single)
            cutAtLastBackslash(LastDir);
        saveSettings(kSaveLastDir);
    }
    {
        CursorWait wait;
        if (single) {
            addFile(page, buffer.get());
        } else {
            const char16_t* folder = buffer.get();
            const size_t folderLength = plat::textLength(folder);
            const bool slashed = folderLength > 0 && folder[folderLength - 1] == u'\\';
            const char16_t* end = buffer.get() + kOpenBufferUnits - 1;
            for (const char16_t* name = folder + folderLength + 1; name < end && *name;
                 name += plat::textLength(name) + 1) {
                // A joined path too long for an entry is refused whole rather
                // than cut to some other file's name.
                char16_t path[plat::kPathUnits + 2] = {};
                plat::copyText(path, plat::kPathUnits + 2, folder);
                if (!slashed)
                    plat::appendText(path, plat::kPathUnits + 2, u"\\");
                plat::appendText(path, plat::kPathUnits + 2, name);
                // A box of the adding may let the window be closed under it.
                if (!IsWindow(page) || addFile(page, path) == AddFileResult::Stop)
                    break;
            }
        }
    }
    endAddingRun(page);
    showAddedPictures(page);
    applyEnableRules(page);
}

BOOL onAddFileMessage(HWND page, WPARAM wParam) {
    if (!wParam)
        return FALSE;
    win::SetWindowLongPtrW(page, DWLP_MSGRESULT,
                           static_cast<LONG_PTR>(addFile(page, reinterpret_cast<const char16_t*>(wParam))));
    return TRUE;
}

} // namespace collection_page
