// What the files of the collection page share, and nothing else includes:
//   collection_page.cpp          the procedure, creation, the list and its
//                                selection, the check boxes, the enable rules
//   collection_page_drawing.cpp  the drawn controls (swatches, preview, icon
//                                sample), the preview and the palettes
//   collection_page_editing.cpp  the selection shown, and the editing of the
//                                selected entries' style and colours
//   collection_page_list.cpp     the list commands: remove, sort, move, add
// Everything here runs on the GUI thread.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <memory>

#include "app_core/collection_page_rules.h"
#include "collection/wallpaper_entry.h"
#include "pages/page_controls.h"
#include "pages/pages.h"
#include "platform/win_windows.h"
#include "resource_ids.h"

namespace collection_page {

// The styles of the style box; a mixed selection adds one more item.
constexpr int kStyleItems = 4;

extern CollectionPageHooks g_hooks;

struct CollectionPage {
    // The button face with the top byte set: no COLORREF equals it, so it
    // marks "no single colour".
    uint32_t neutral = 0;
    uint32_t backgroundSwatch = 0;
    uint32_t fontSwatch = 0;
    // The entry whose preview is built; released before it is replaced or
    // removed.
    WallpaperEntry* previewEntry = nullptr;
    int32_t displayBits = 0;
    // Set when the user answered No to the duplicate notice; lives for one
    // adding run (the open dialog or a drop).
    bool suppressDuplicateNotice = false;
    // "ListviewShadow" is on: icon labels can only change their font colour.
    bool listviewShadow = false;
    OPENFILENAMEW open = {};
    CHOOSECOLORW colour = {};
    HWND tooltip = nullptr;
};

inline CollectionPage* state(HWND page) {
    return pageState<CollectionPage>(page);
}
inline HWND item(HWND page, int id) {
    return GetDlgItem(page, id);
}
inline HWND list(HWND page) {
    return item(page, IDC_COLL_LIST);
}

int ask(HWND owner, const char16_t* text, uint32_t flags);
// Boxes about one picture: its path in the text.
int askAboutPath(HWND owner, const char16_t* format, const char16_t* path, uint32_t flags);

class CursorWait {
  public:
    CursorWait() : previous_(SetCursor(win::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~CursorWait() { SetCursor(previous_); }
    CursorWait(const CursorWait&) = delete;
    CursorWait& operator=(const CursorWait&) = delete;

  private:
    HCURSOR previous_;
};

// ---- the list and its selection (collection_page.cpp)

int itemCount(HWND page);
int selectedCount(HWND page);
WallpaperEntry* entryAt(HWND page, int index);

// The selected positions in ascending order, and their entries.
struct Selection {
    std::unique_ptr<int[]> positions;
    std::unique_ptr<WallpaperEntry*[]> entries;
    int count = 0;
    bool ok = false;
};
Selection readSelection(HWND page);
// The one selected entry, or null.
WallpaperEntry* singleSelected(HWND page);

// Appends a list item for the entry; the item index, or a negative value
// when the list refused it.
LRESULT appendItem(HWND listBox, WallpaperEntry* e);
// "n / count" for the item at index; empty for a negative index.
void setPosition(HWND page, int index);
void sendSelectionChange(HWND page);

// ---- check boxes in their two forms (collection_page.cpp)

void setBoxForm(HWND page, int id, bool threeState);
bool isThreeState(HWND page, int id);
UINT boxState(HWND page, int id);
// Checked or indeterminate.
bool isOn(HWND page, int id);
void setBox(HWND page, int id, BoxState s);

void applyEnableRules(HWND page);

// ---- drawing and the preview (collection_page_drawing.cpp)

void showBackgroundSwatch(HWND page, uint32_t colour);
void showFontSwatch(HWND page, uint32_t colour);
void setSwatchColours(HWND page, uint32_t background, uint32_t font);
// The subclass of the preview and the two swatches; its reference data is
// the page.
// Lets the preview or a swatch of the page draw itself after its control
// has painted.
void drawAfterControl(HWND control);
void redrawPreview(HWND page);
void redrawSampleIfWanted(HWND page);
void showProductText(HWND page);
void releasePreview(HWND page);
// Builds and shows the preview of the entry, which becomes the preview entry.
void showPreview(HWND page, WallpaperEntry* e);
void onShowPreview(HWND page);
void onIconSample(HWND page);
void onPaint(HWND page);
void onDisplayChange(HWND page, int32_t bits);
BOOL onQueryNewPalette(HWND page);
void onPaletteChanged(HWND page, HWND changer);

// ---- the selection shown and edited (collection_page_editing.cpp)

void onSelectionChange(HWND page);
void onStyle(HWND page);
void onChangeColours(HWND page);
void onFontMode(HWND page);
void onPickColour(HWND page, bool background);
void onEstimate(HWND page);
void onTest(HWND page);
void onFullPath(HWND page);

// ---- commands on the list (collection_page_list.cpp)

void onRemove(HWND page);
void onSort(HWND page);
void onMove(HWND page, bool up);
void onAdd(HWND page);
// kAddFileMessage: false when it carries no path.
BOOL onAddFileMessage(HWND page, WPARAM wParam);

} // namespace collection_page
