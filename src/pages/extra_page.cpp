// Page "Další": the options for today's Windows (several monitors, pauses for
// full-screen programs and the battery saver, upright photos). Each check box
// writes straight into ExtraSettings; Storno puts back what the window was
// opened with. Like "Nastavení 3" the page holds nothing but its boxes, so
// it keeps no state of its own.
#include "pages/page_controls.h"
#include "pages/pages.h"
#include "resource_ids.h"
#include "settings/app_settings.h"

namespace {

struct ExtraBox {
    int id;
    int32_t ExtraSettingsRecord::*field;
};
constexpr ExtraBox kBoxes[] = {
    {IDC_EXTRA_NEXT_PER_MONITOR, &ExtraSettingsRecord::nextPicturePerMonitor},
    {IDC_EXTRA_FULL_SCREEN, &ExtraSettingsRecord::pauseForFullScreen},
    {IDC_EXTRA_BATTERY_SAVER, &ExtraSettingsRecord::pauseOnBatterySaver},
    {IDC_EXTRA_UPRIGHT_PHOTOS, &ExtraSettingsRecord::uprightPhotos},
};

BOOL onInit(HWND page) {
    for (const ExtraBox& box : kBoxes)
        setChecked(page, box.id, ExtraSettings.*box.field);
    return TRUE;
}

BOOL onClicked(HWND page, int id) {
    for (const ExtraBox& box : kBoxes) {
        if (box.id != id)
            continue;
        ExtraSettings.*box.field = checkedValue(page, id);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK extraPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return onInit(page);
    case WM_COMMAND: return HIWORD(wParam) == BN_CLICKED ? onClicked(page, LOWORD(wParam)) : FALSE;
    default: return FALSE;
    }
}
