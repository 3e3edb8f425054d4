// Page "Kolekce": the pictures of ActiveCollection. The list's item data is
// the entry itself, so the page must hear of every replacement of the
// collection (the frame sends kReleasePreviewMessage first, then refills).
#include "app/shell.h"
#include "app_core/app_state.h"
#include "app_core/format_text.h"
#include "collection/wallpaper_collection.h"
#include "pages/collection_drop.h"
#include "pages/page_controls.h"
#include "pages/page_texts.h"
#include "pages/pages.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "settings/app_settings.h"

namespace {

struct CollectionPage {
    // Set when the user answered No to the duplicate notice; lives for one
    // adding run (the open dialog or a drop).
    bool suppressDuplicateNotice = false;
};

CollectionPage* state(HWND page) {
    return pageState<CollectionPage>(page);
}

// Boxes about one picture: its path in the text, no owner, in front.
int showAboutPath(const char16_t* format, const char16_t* path, uint32_t flags) {
    char16_t text[600];
    formatText(text, 600, format, FormatArg(path));
    return plat::messageBox(nullptr, text, page_text::kCaption, flags);
}

// Appends a list item for the entry; the item index, or a negative value
// when the list refused it.
LRESULT appendItem(HWND list, WallpaperEntry* e) {
    char16_t text[plat::kPathUnits];
    plat::fileNamePart(text, plat::kPathUnits, e->path);
    const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0 && SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(e)) == LB_ERR) {
        SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        return LB_ERR;
    }
    return index;
}

// Results of kAddFileMessage.
enum AddFileResult : LRESULT { kNotAdded = 1, kAdded = 2, kStopAdding = 3 };

LRESULT addFile(HWND page, const char16_t* path) {
    WallpaperEntry* added = nullptr;
    switch (ActiveCollection.addPath(path, &added)) {
    case AddOutcome::Failed:
        showAboutPath(page_text::kAddPathFailed, path,
                      plat::kMbIconWarning | plat::kMbSetForeground | plat::kMbTopmost);
        return kNotAdded;
    case AddOutcome::AlreadyPresent: {
        CollectionPage* s = state(page);
        if (s && s->suppressDuplicateNotice)
            return kNotAdded;
        const int answer = showAboutPath(page_text::kAlreadyInCollection, path,
                                         plat::kMbYesNoCancel | plat::kMbIconInformation |
                                             plat::kMbSetForeground | plat::kMbTopmost);
        if (answer == plat::kIdCancel)
            return kStopAdding;
        if (answer == plat::kIdNo && s)
            s->suppressDuplicateNotice = true;
        return kNotAdded;
    }
    case AddOutcome::Added:
        break;
    }
    if (appendItem(GetDlgItem(page, IDC_COLL_LIST), added) < 0) {
        // The list and the collection must keep holding the same pictures.
        ActiveCollection.removeEntry(added);
        showAboutPath(page_text::kListAddFailed, path,
                      plat::kMbIconError | plat::kMbSetForeground | plat::kMbTopmost);
        return kNotAdded;
    }
    return kAdded;
}

BOOL onAddFileMessage(HWND page, WPARAM wParam) {
    if (!wParam)
        return FALSE;
    SetWindowLongPtrW(page, DWLP_MSGRESULT, addFile(page, reinterpret_cast<const char16_t*>(wParam)));
    return TRUE;
}

BOOL onInit(HWND page) {
    attachPageState<CollectionPage>(page);
    setChecked(page, IDC_COLL_SHOW_PREVIEW, AppSettings.showPreview);
    FillCollectionList(page);
    installDropFilter(GetDlgItem(page, IDC_COLL_LIST));
    return TRUE;
}

} // namespace

void endAddingRun(HWND page) {
    if (CollectionPage* s = state(page))
        s->suppressDuplicateNotice = false;
}

void FillCollectionList(HWND page) {
    HWND list = GetDlgItem(page, IDC_COLL_LIST);
    for (WallpaperEntry* e = ActiveCollection.first(); e; e = ActiveCollection.nextOf(e))
        if (appendItem(list, e) < 0)
            showAboutPath(page_text::kListAddFailed, e->path, plat::kMbIconError);
    SendMessageW(list, LB_SETSEL, TRUE, 0);
}

INT_PTR CALLBACK collectionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return onInit(page);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_COLL_SHOW_PREVIEW && HIWORD(wParam) == BN_CLICKED) {
            AppSettings.showPreview = checkedValue(page, IDC_COLL_SHOW_PREVIEW);
            return TRUE;
        }
        return FALSE;
    case kAddFileMessage:
        return onAddFileMessage(page, wParam);
    case kDropFilesMessage:
        onDropFiles(page, reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_DESTROY:
        removeDropFilter(GetDlgItem(page, IDC_COLL_LIST));
        freePageState<CollectionPage>(page);
        return FALSE;
    default:
        return FALSE;
    }
}
