// Page "Kolekce": the pictures of ActiveCollection. The list's item data is
// the entry itself, so the page must hear of every replacement of the
// collection (the frame sends kReleasePreviewMessage first, then refills).
#include "collection/wallpaper_collection.h"
#include "app_core/app_state.h"
#include "pages/page_controls.h"
#include "pages/pages.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "settings/app_settings.h"

namespace {

BOOL onInit(HWND page) {
    setChecked(page, IDC_COLL_SHOW_PREVIEW, AppSettings.showPreview);
    FillCollectionList(page);
    return TRUE;
}

} // namespace

void FillCollectionList(HWND page) {
    HWND list = GetDlgItem(page, IDC_COLL_LIST);
    for (WallpaperEntry* e = ActiveCollection.first(); e; e = ActiveCollection.nextOf(e)) {
        // Each picture by its file name without folder and extension.
        char16_t text[plat::kPathUnits];
        plat::fileNamePart(text, plat::kPathUnits, e->path);
        const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (index >= 0)
            SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(e));
    }
    SendMessageW(list, LB_SETSEL, TRUE, 0);
}

INT_PTR CALLBACK collectionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return onInit(page);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_COLL_SHOW_PREVIEW && HIWORD(wParam) == BN_CLICKED) {
            AppSettings.showPreview = checkedValue(page, IDC_COLL_SHOW_PREVIEW);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}
