// A large collection (30,000 pictures by default) in the real configuration
// window: times opening it from the recent files, "Setřídit" on the
// collection page, "&Storno" answered with Yes, removing every other picture
// selected and "Vytřídit neexistující" with every third file gone, and checks
// after each that
// the list holds exactly the collection's entries in order with the first one
// selected. For comparison it times, in the same run, the list filled the
// way it once was: one visible item at a time, the entries walked with nextOf
// (for the first 2,000 entries only: all of them take minutes).
//
//   scripts/collection-bench.sh [pictures] [--reference N]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "wine_bench_support.h"
#include "app/config_frame.h"
#include "app/main_window.h"
#include "app/tray.h"
#include "app_core/app_state.h"
#include "app_core/app_texts.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "settings/settings_store.h"

namespace fs = std::filesystem;

namespace {

using winebench::Clock;
using winebench::kTinyBmp;
using winebench::secondsSince;

// 1,000 pictures a folder, named out of order so that sorting moves them.
std::vector<fs::path> makePictures(const fs::path& root, int pictures) {
    std::vector<fs::path> made;
    for (int n = 0; n < pictures; ++n) {
        const fs::path folder = root / ("d" + std::to_string(n / 1000));
        if (n % 1000 == 0)
            fs::create_directories(folder);
        const long long scrambled = (static_cast<long long>(n) * 7919) % pictures;
        made.push_back(folder / ("Foto " + std::to_string(scrambled) + (n % 3 ? ".jpg" : ".BMP")));
        std::ofstream(made.back(), std::ios::binary).write(reinterpret_cast<const char*>(kTinyBmp), sizeof(kTinyBmp));
    }
    return made;
}

int Boxes = 0;
// Yes to every question but whether to save the collection first.
int answerBox(void*, const char16_t* text, const char16_t*, uint32_t) {
    ++Boxes;
    return plat::compareText(text, app_texts::kAskToSave) == 0 ? IDNO : IDYES;
}

HWND pageList() { return GetDlgItem(currentConfigPage(), IDC_COLL_LIST); }

// The list against the collection: every item's data is the entry in the
// same place, its text the entry's file name; the first item alone selected.
void report(const char* what, double seconds) {
    HWND list = pageList();
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    bool same = count == ActiveCollection.entryCount();
    int i = 0;
    for (int32_t k = 0; same && k < ActiveCollection.slotCount; ++k) {
        const WallpaperEntry* e = ActiveCollection.slots[k];
        if (!e)
            continue;
        wchar_t text[plat::kPathUnits] = {};
        char16_t name[plat::kPathUnits];
        plat::fileNamePart(name, plat::kPathUnits, e->path);
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        same = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == reinterpret_cast<LRESULT>(e) &&
               plat::compareText(reinterpret_cast<const char16_t*>(text), name) == 0;
        ++i;
    }
    int selected = -1;
    const LRESULT selectedCount = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    SendMessageW(list, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&selected));
    wchar_t position[40] = {};
    GetDlgItemTextW(currentConfigPage(), IDC_COLL_POSITION, position, 40);
    std::printf("%-34s %8.3f s   list %d items, %s, %ld selected (item %d), position \"%ls\"\n", what, seconds, count,
                same ? "same as the collection" : "NOT THE COLLECTION", static_cast<long>(selectedCount), selected,
                position);
}

// The list filled as it once was: one LB_ADDSTRING at a time into the
// visible list, each entry found by nextOf.
double oldVisibleFill(int items) {
    HWND list = pageList();
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    const auto t = Clock::now();
    for (WallpaperEntry* e = ActiveCollection.first(); e && items-- > 0; e = ActiveCollection.nextOf(e)) {
        char16_t text[plat::kPathUnits];
        plat::fileNamePart(text, plat::kPathUnits, e->path);
        const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(e));
    }
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    SendMessageW(list, LB_SETSEL, TRUE, 0);
    UpdateWindow(list);
    return secondsSince(t);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int pictures = 30000;
    int reference = 2000;
    for (int i = 1; i < argc; ++i) {
        if (!std::wcscmp(argv[i], L"--reference") && i + 1 < argc)
            reference = _wtoi(argv[++i]);
        else
            pictures = _wtoi(argv[i]);
    }
    const fs::path root = fs::temp_directory_path() / "plochar-collection-bench";
    std::error_code ec;
    fs::remove_all(root, ec);
    auto t = Clock::now();
    const std::vector<fs::path> made = makePictures(root / "Fotky", pictures);
    WallpaperCollection made30k;
    for (const fs::path& p : made)
        made30k.addPath(p.u16string().c_str());
    const std::u16string file = (root / "velka.plk").u16string();
    if (!made30k.saveToFile(file.c_str())) {
        std::printf("cannot write %s\n", (root / "velka.plk").string().c_str());
        return 1;
    }
    std::printf("%d pictures and their collection file made in %.1f s\n", made30k.entryCount(), secondsSince(t));

    // The collection alone: what the three do besides the list.
    {
        t = Clock::now();
        WallpaperCollection loaded;
        const bool read = loaded.loadFromFile(file.c_str());
        const double load = secondsSince(t);
        t = Clock::now();
        WallpaperCollection copy = loaded;
        const double copied = secondsSince(t);
        t = Clock::now();
        const bool same = copy.equals(loaded);
        const double compared = secondsSince(t);
        t = Clock::now();
        copy.sortByName();
        std::printf("collection alone: load %.3f s%s, copy %.3f s, equals %.3f s%s, sort by name %.3f s\n", load,
                    read ? "" : " (FAILED)", copied, compared, same ? "" : " (DIFFERENT)", secondsSince(t));
    }

    plat::setMessageBoxHook(answerBox);
    setTrayShellEnabled(false);
    HWND window = createMainWindow(GetModuleHandleW(nullptr), false);
    if (!window) {
        std::printf("no main window\n");
        return 1;
    }
    SendMessageW(window, WM_COMMAND, ID_SETTINGS, 0);
    UpdateWindow(window);

    plat::copyText(MruList[0], plat::kPathUnits, file.c_str());
    t = Clock::now();
    SendMessageW(window, WM_COMMAND, ID_MRU1, 0);
    UpdateWindow(window);
    report("open from the recent files", secondsSince(t));

    HWND page = currentConfigPage();
    t = Clock::now();
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COLL_SORT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_COLL_SORT)));
    UpdateWindow(window);
    report("Setřídit", secondsSince(t));

    t = Clock::now();
    SendMessageW(window, WM_COMMAND, IDC_BTN_CANCEL, 0);
    report("Storno + Yes", secondsSince(t));
    std::printf("%d boxes answered, window %s\n", Boxes, IsWindowVisible(window) ? "still shown" : "hidden");

    // Every other picture selected and removed.
    SendMessageW(window, WM_COMMAND, ID_SETTINGS, 0);
    UpdateWindow(window);
    page = currentConfigPage();
    HWND list = pageList();
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (int i = 0; i < pictures; i += 2)
        SendMessageW(list, LB_SETSEL, TRUE, i);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COLL_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    t = Clock::now();
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COLL_REMOVE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_COLL_REMOVE)));
    UpdateWindow(window);
    report("remove of every other picture", secondsSince(t));

    // Every third file of those left goes from the disk.
    int gone = 0;
    for (int32_t k = 0; k < ActiveCollection.slotCount; ++k)
        if (ActiveCollection.slots[k] && k % 3 == 0)
            gone += fs::remove(fs::path(std::u16string(ActiveCollection.slots[k]->path)), ec) ? 1 : 0;
    const int before = ActiveCollection.entryCount();
    t = Clock::now();
    int found = 0;
    for (int32_t k = 0; k < ActiveCollection.slotCount; ++k)
        found += ActiveCollection.slots[k] && ActiveCollection.slots[k]->fileExists() ? 1 : 0;
    const double looked = secondsSince(t);
    t = Clock::now();
    SendMessageW(window, WM_COMMAND, ID_COLLECTION_REMOVE_MISSING, 0);
    UpdateWindow(window);
    const double missing = secondsSince(t);
    std::printf("%d of %d files deleted from the disk; looking for every file alone: %.3f s, %d found\n", gone,
                before, looked, found);
    report("Vytřídit neexistující", missing);

    if (reference > 0) {
        SendMessageW(window, WM_COMMAND, ID_SETTINGS, 0);
        UpdateWindow(window);
        const double old = oldVisibleFill(reference);
        const int filled = static_cast<int>(SendMessageW(pageList(), LB_GETCOUNT, 0, 0));
        std::printf("old visible fill, one at a time: %d items in %.3f s (%.2f ms an item)\n", filled, old,
                    filled > 0 ? old * 1000 / filled : 0.0);
    }

    DestroyWindow(window);
    fs::remove_all(root, ec);
    return 0;
}
