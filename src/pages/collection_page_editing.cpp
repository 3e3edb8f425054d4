// The collection page's selection: what its controls show for the selected
// entries, and the edits of their style and colours, written straight into
// the entries.
#include <windows.h>

#include <memory>
#include <new>

#include "app_core/app_state.h"
#include "desktop/desktop.h"
#include "image/background.h"
#include "pages/collection_page_internal.h"
#include "pages/page_texts.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "platform/win_messages.h"
#include "platform/win_newer.h"
#include "platform/win_windows.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

namespace collection_page {

namespace {

bool isConfigWindowVisible(HWND page) {
    return IsWindowVisible(win::GetAncestor(page, GA_ROOT)) != 0;
}

void removeMixedStyleItem(HWND page) {
    HWND combo = item(page, IDC_COLL_STYLE);
    if (win::SendMessageW(combo, CB_GETCOUNT, 0, 0) > kStyleItems)
        win::SendMessageW(combo, CB_DELETESTRING, kStyleItems, 0);
}
void selectStyle(HWND page, int32_t style) {
    HWND combo = item(page, IDC_COLL_STYLE);
    if (style < 0) {
        win::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(page_text::kMixedStyle));
        style = kStyleItems;
    }
    win::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(style), 0);
}

void showPath(HWND page, const char16_t* path) {
    HWND field = item(page, IDC_COLL_PATH);
    RECT client = {};
    GetClientRect(field, &client);
    TEXTMETRICW metrics = {};
    HDC dc = GetWindowDC(field);
    HGDIOBJ old =
        dc ? SelectObject(dc, reinterpret_cast<HFONT>(win::SendMessageW(field, WM_GETFONT, 0, 0))) : nullptr;
    if (dc) {
        win::GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(field, dc);
    }
    char16_t shown[plat::kPathUnits + 8];
    shortenPath(path, pathFieldChars(client.right, metrics.tmAveCharWidth), shown, plat::kPathUnits + 8);
    setControlText(page, IDC_COLL_PATH, shown);
}

void showOne(HWND page, WallpaperEntry* e, int index) {
    showPath(page, e->path);
    setPosition(page, index);
    win::SendMessageW(item(page, IDC_COLL_STYLE), CB_SETCURSEL, static_cast<WPARAM>(e->style), 0);
    setSwatchColours(page, e->backgroundColour, e->fontColour);
    const bool coloured = e->fontMode == kFontColoured;
    setChecked(page, IDC_COLL_CHANGE_COLOURS, e->changeColours);
    setChecked(page, IDC_COLL_FONT_MODE, coloured);
    if (e->changeColours) {
        showControl(page, IDC_COLL_BACKGROUND_SWATCH, true);
        showControl(page, IDC_COLL_FONT_SWATCH, coloured);
    }
    applyEnableRules(page);
    if (AppSettings.showPreview && isConfigWindowVisible(page))
        showPreview(page, e);
}

void showSeveral(HWND page, const Selection& selection) {
    CollectionPage* s = state(page);
    const SelectionSummary summary =
        summariseSelection(selection.entries.get(), static_cast<size_t>(selection.count), s ? s->neutral : 0);
    selectStyle(page, summary.style);
    setBox(page, IDC_COLL_CHANGE_COLOURS, summary.changeColoursBox);
    setBox(page, IDC_COLL_FONT_MODE, summary.fontBox);
    setSwatchColours(page, summary.background, summary.font);
    showControl(page, IDC_COLL_BACKGROUND_SWATCH, summary.showBackground);
    showControl(page, IDC_COLL_FONT_SWATCH, summary.showFont);
    applyEnableRules(page);
}

} // namespace

void onSelectionChange(HWND page) {
    CollectionPage* s = state(page);
    releasePreview(page);
    setSwatchColours(page, s ? s->neutral : 0, s ? s->neutral : 0);
    removeMixedStyleItem(page);
    setBoxForm(page, IDC_COLL_CHANGE_COLOURS, false);
    setBoxForm(page, IDC_COLL_FONT_MODE, false);
    const Selection selection = readSelection(page);
    if (!selection.ok || selection.count == 0) {
        setControlText(page, IDC_COLL_PATH, u"");
        setControlText(page, IDC_COLL_POSITION, u"");
        win::SendMessageW(item(page, IDC_COLL_STYLE), CB_SETCURSEL, 0, 0);
        setChecked(page, IDC_COLL_CHANGE_COLOURS, 0);
        setChecked(page, IDC_COLL_FONT_MODE, 0);
        applyEnableRules(page);
        return;
    }
    if (selection.count == 1) {
        showOne(page, selection.entries[0], selection.positions[0]);
        return;
    }
    setControlText(page, IDC_COLL_PATH, u"");
    setControlText(page, IDC_COLL_POSITION, u"");
    showSeveral(page, selection);
}

// ---- commands that edit the selected entries

void onStyle(HWND page) {
    const LRESULT chosen = win::SendMessageW(item(page, IDC_COLL_STYLE), CB_GETCURSEL, 0, 0);
    if (chosen < 0 || chosen >= kStyleItems) // the " " of a mixed selection keeps every style
        return;
    const Selection selection = readSelection(page);
    if (!selection.ok)
        return;
    for (int i = 0; i < selection.count; ++i)
        selection.entries[i]->style = static_cast<int32_t>(chosen);
    if (selection.count > 1)
        removeMixedStyleItem(page);
}

void onChangeColours(HWND page) {
    const Selection selection = readSelection(page);
    if (!selection.ok || selection.count == 0)
        return;
    if (selection.count == 1) {
        WallpaperEntry* e = selection.entries[0];
        e->changeColours = checkedValue(page, IDC_COLL_CHANGE_COLOURS);
        if (e->changeColours) {
            showControl(page, IDC_COLL_BACKGROUND_SWATCH, true);
            setChecked(page, IDC_COLL_FONT_MODE, e->fontMode == kFontColoured);
            showControl(page, IDC_COLL_FONT_SWATCH, e->fontMode == kFontColoured);
        }
        applyEnableRules(page);
        if (AppSettings.showPreview)
            redrawPreview(page);
        return;
    }
    bool again = false;
    if (boxState(page, IDC_COLL_CHANGE_COLOURS) == BST_INDETERMINATE) {
        setBoxForm(page, IDC_COLL_CHANGE_COLOURS, false);
        CheckDlgButton(page, IDC_COLL_CHANGE_COLOURS, BST_CHECKED);
        again = true;
    }
    const int32_t on = checkedValue(page, IDC_COLL_CHANGE_COLOURS);
    bool allColoured = true;
    for (int i = 0; i < selection.count; ++i) {
        selection.entries[i]->changeColours = on;
        allColoured = allColoured && selection.entries[i]->fontMode == kFontColoured;
    }
    if (again) {
        sendSelectionChange(page);
        return;
    }
    if (on) {
        showControl(page, IDC_COLL_BACKGROUND_SWATCH, true);
        if (allColoured) {
            setChecked(page, IDC_COLL_FONT_MODE, 1);
            showControl(page, IDC_COLL_FONT_SWATCH, true);
        }
    }
    applyEnableRules(page);
}

void onFontMode(HWND page) {
    const Selection selection = readSelection(page);
    if (!selection.ok || selection.count == 0)
        return;
    if (selection.count == 1) {
        WallpaperEntry* e = selection.entries[0];
        const bool coloured = isChecked(page, IDC_COLL_FONT_MODE);
        e->fontMode = coloured ? kFontColoured : kFontKeep;
        showControl(page, IDC_COLL_FONT_SWATCH, coloured);
        applyEnableRules(page);
        redrawSampleIfWanted(page);
        return;
    }
    const bool coloursOn = boxState(page, IDC_COLL_CHANGE_COLOURS) == BST_CHECKED;
    bool again = false;
    if (boxState(page, IDC_COLL_FONT_MODE) == BST_INDETERMINATE) {
        if (coloursOn) {
            setBoxForm(page, IDC_COLL_FONT_MODE, false);
            CheckDlgButton(page, IDC_COLL_FONT_MODE, BST_CHECKED);
            again = true;
        } else {
            CheckDlgButton(page, IDC_COLL_FONT_MODE, BST_UNCHECKED);
        }
    } else if (isThreeState(page, IDC_COLL_FONT_MODE)) {
        if (coloursOn) {
            setBoxForm(page, IDC_COLL_FONT_MODE, false);
            again = true;
        }
        if (boxState(page, IDC_COLL_FONT_MODE) == BST_UNCHECKED)
            CheckDlgButton(page, IDC_COLL_FONT_MODE, BST_INDETERMINATE);
    }
    const int32_t mode = isOn(page, IDC_COLL_FONT_MODE) ? kFontColoured : kFontKeep;
    const bool onlyChanging = boxState(page, IDC_COLL_CHANGE_COLOURS) == BST_INDETERMINATE;
    for (int i = 0; i < selection.count; ++i)
        if (!onlyChanging || selection.entries[i]->changeColours)
            selection.entries[i]->fontMode = mode;
    if (again) {
        sendSelectionChange(page);
        return;
    }
    if (mode == kFontColoured)
        showControl(page, IDC_COLL_FONT_SWATCH, true);
    applyEnableRules(page);
}

void onPickColour(HWND page, bool background) {
    CollectionPage* s = state(page);
    const Selection selection = readSelection(page);
    if (!s || !selection.ok || selection.count == 0)
        return;
    s->colour.rgbResult = (background ? s->backgroundSwatch : s->fontSwatch) & 0xFFFFFF;
    s->colour.lpCustColors = reinterpret_cast<COLORREF*>(AppSettings.customColours);
    const plat::OpenDialog dialog;
    if (!(g_hooks.chooseColour ? g_hooks.chooseColour : win::ChooseColorW)(&s->colour))
        return;
    const uint32_t chosen = s->colour.rgbResult & 0xFFFFFF;
    // A mixed box limits the change to the entries that use the colour.
    const bool onlyUsers = isThreeState(page, background ? IDC_COLL_CHANGE_COLOURS : IDC_COLL_FONT_MODE);
    for (int i = 0; i < selection.count; ++i) {
        WallpaperEntry* e = selection.entries[i];
        if (selection.count > 1 && onlyUsers &&
            !(background ? e->changeColours != 0 : e->fontMode == kFontColoured))
            continue;
        (background ? e->backgroundColour : e->fontColour) = chosen;
    }
    if (background)
        showBackgroundSwatch(page, chosen);
    else
        showFontSwatch(page, chosen);
    if (selection.count == 1)
        redrawSampleIfWanted(page);
}

void onEstimate(HWND page) {
    const Selection selection = readSelection(page);
    CollectionPage* s = state(page);
    if (!s || !selection.ok || selection.count == 0)
        return;
    if (selection.count == 1) {
        uint32_t colour = 0;
        const int result = estimateBackground(*selection.entries[0], &colour, ExtraSettings.uprightPhotos);
        if (result == 0) {
            selection.entries[0]->backgroundColour = colour;
            showBackgroundSwatch(page, colour);
            redrawSampleIfWanted(page);
        } else if (result == 2) {
            ask(page, page_text::kCancelled, plat::kMbIconInformation);
        } else {
            ask(page, page_text::kEstimateFailed, plat::kMbIconWarning);
        }
        return;
    }
    // Every estimate first: a cancel leaves every entry as it was.
    std::unique_ptr<uint32_t[]> colours(new (std::nothrow) uint32_t[static_cast<size_t>(selection.count)]);
    std::unique_ptr<bool[]> estimated(new (std::nothrow) bool[static_cast<size_t>(selection.count)]());
    if (!colours || !estimated) {
        ask(page, page_text::kNoMemoryForSelection, plat::kMbIconError);
        return;
    }
    const bool onlyChanging = isThreeState(page, IDC_COLL_CHANGE_COLOURS);
    for (int i = 0; i < selection.count; ++i) {
        if (onlyChanging && !selection.entries[i]->changeColours)
            continue;
        const int result = estimateBackground(*selection.entries[i], &colours[i], ExtraSettings.uprightPhotos);
        if (result == 2) {
            ask(page, page_text::kCancelled, plat::kMbIconInformation);
            return;
        }
        estimated[i] = result == 0;
    }
    ColourVote vote{s->neutral};
    for (int i = 0; i < selection.count; ++i)
        if (estimated[i]) {
            selection.entries[i]->backgroundColour = colours[i];
            vote.add(colours[i]);
        }
    showBackgroundSwatch(page, vote.result());
}

void onTest(HWND page) {
    WallpaperEntry* e = singleSelected(page);
    if (!e)
        return;
    int result = kApplyFailed;
    {
        CursorWait wait;
        result = (g_hooks.apply ? g_hooks.apply : ApplyWallpaper)(*e, 1);
    }
    if (result == kApplied) {
        CurrentWallpaper = *e;
        saveSettings(kSaveLastTapeta);
    } else if (result == kApplyCancelled) {
        ask(page, page_text::kCancelled, plat::kMbIconInformation);
    }
}

void onFullPath(HWND page) {
    if (WallpaperEntry* e = singleSelected(page))
        ask(page, e->path, plat::kMbIconInformation);
}

} // namespace collection_page
