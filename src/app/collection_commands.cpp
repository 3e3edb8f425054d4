#include "app/collection_commands.h"

#include <windows.h>
#include <commdlg.h>

#include "app/config_frame.h"
#include "app/shell.h"
#include "app_core/app_state.h"
#include "app_core/app_texts.h"
#include "app_core/config_rules.h"
#include "app_core/format_text.h"
#include "app_core/mru.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/win_messages.h"
#include "platform/win_windows.h"
#include "settings/settings_store.h"

bool CollectionLoaded = false;

namespace {

bool showFileDialog(HWND owner, bool save, char16_t* path, size_t units) {
    path[0] = 0;
    OPENFILENAMEW record = {};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    record.hwndOwner = owner;
    record.lpstrFilter = reinterpret_cast<LPCWSTR>(app_texts::kDialogFilter);
    record.lpstrFile = reinterpret_cast<LPWSTR>(path);
    record.nMaxFile = static_cast<DWORD>(units);
    record.lpstrDefExt = reinterpret_cast<LPCWSTR>(app_texts::kDialogExtension);
    record.lpstrTitle = reinterpret_cast<LPCWSTR>(save ? app_texts::kSaveTitle : app_texts::kOpenTitle);
    record.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    return (save ? win::GetSaveFileNameW(&record) : win::GetOpenFileNameW(&record)) != 0;
}

CollectionFileDialog g_dialog = showFileDialog;

bool chooseFile(HWND window, bool save, char16_t* path) {
    const plat::OpenDialog open;
    return g_dialog(window, save, path, plat::kPathUnits);
}

int ask(HWND owner, const char16_t* text, uint32_t flags) {
    return plat::messageBox(owner, text, app_texts::kCaption, flags);
}

void saveNameGroup() { saveSettings(kSaveName, CollectionFileName); }

// The collection now has another name (or none).
void nameCollection(HWND window, const char16_t* path) {
    if (path && path[0])
        mruMoveToFront(MruList, path);
    plat::copyText(CollectionFileName, plat::kPathUnits, path ? path : u"");
    setWindowTitle(window, CollectionFileName);
    saveNameGroup();
}

// Before the collection is replaced. False when the user wanted it saved and
// that did not happen: the replacement is then called off, so nothing is lost.
bool askToSave(HWND window) {
    if (!CollectionFileName[0] && ActiveCollection.isEmpty())
        return true;
    if (ask(window, app_texts::kAskToSave, plat::kMbYesNo | plat::kMbIconQuestion) != plat::kIdYes)
        return true;
    return saveCollection(window);
}

} // namespace

void setCollectionFileDialog(CollectionFileDialog dialog) { g_dialog = dialog ? dialog : showFileDialog; }

void newCollection(HWND window) {
    if (!askToSave(window))
        return;
    releaseCollectionPage();
    ActiveCollection.clear();
    SavedCollection.clear();
    CollectionLoaded = true;
    refreshCollectionPage();
    nameCollection(window, u"");
}

void openCollection(HWND window, const char16_t* path) {
    char16_t chosen[plat::kPathUnits] = {};
    if (path)
        plat::copyText(chosen, plat::kPathUnits, path);
    else if (!chooseFile(window, false, chosen))
        return;
    if (!chosen[0] || !askToSave(window))
        return;
    releaseCollectionPage();
    // A file that cannot be read must not mix its entries into the collection
    // in use: they would be saved under the old name at exit.
    WallpaperCollection before = ActiveCollection;
    bool loaded;
    {
        const plat::DefaultBoxOwner owner(window);
        loaded = ActiveCollection.loadFromFile(chosen);
    }
    if (!loaded) {
        ActiveCollection = before;
        refreshCollectionPage();
        ask(window, app_texts::kOpenFailed, plat::kMbIconWarning);
        return;
    }
    SavedCollection = ActiveCollection;
    CollectionLoaded = true;
    refreshCollectionPage();
    nameCollection(window, chosen);
}

// What is saved is what Storno goes back to: it undoes the changes made
// since the last save.
bool saveCollection(HWND window) {
    if (!CollectionFileName[0])
        return SaveAsIfUnnamed && saveCollectionAs(window);
    if (ActiveCollection.saveToFile(CollectionFileName)) {
        SavedCollection = ActiveCollection;
        return true;
    }
    ask(window, app_texts::kSaveFailed, plat::kMbIconWarning);
    return false;
}

bool saveCollectionAs(HWND window) {
    char16_t chosen[plat::kPathUnits] = {};
    if (!chooseFile(window, true, chosen) || !chosen[0])
        return false;
    if (!ActiveCollection.saveToFile(chosen)) {
        ask(window, app_texts::kSaveFailed, plat::kMbIconWarning);
        return false;
    }
    SavedCollection = ActiveCollection;
    CollectionLoaded = true;
    nameCollection(window, chosen);
    return true;
}

void removeMissingPictures(HWND window) {
    if (ask(window, app_texts::kRemoveMissingQuestion, plat::kMbYesNo | plat::kMbIconQuestion | plat::kMbDefButton2) !=
        plat::kIdYes)
        return;
    releaseCollectionPage();
    HCURSOR previous = SetCursor(win::LoadCursorW(nullptr, IDC_WAIT));
    const int32_t removed = removeMissingEntries(ActiveCollection);
    SetCursor(previous);
    refreshCollectionPage();
    char16_t text[100];
    formatText(text, 100, app_texts::kRemovedCount, FormatArg(removed));
    ask(window, text, plat::kMbIconInformation);
}

void openRecentCollection(HWND window, int slot) {
    if (slot < 0 || slot >= static_cast<int>(kMruSlots) || !MruList[slot][0])
        return;
    // The slot moves as the file is opened; open a copy of its path.
    char16_t path[plat::kPathUnits];
    plat::copyText(path, plat::kPathUnits, MruList[slot]);
    openCollection(window, path);
}
