// Drops a folder tree of 10,000 small pictures (three levels, some already in
// the collection) on the real collection page and prints how long it took,
// whether every new picture came once and in the order of the folder walk,
// what the wait window showed, and how soon "&Přerušit" stopped a second
// drop. Also times adding the same paths to a bare collection.
//
//   xvfb-run -a scripts/wine-run.sh build/windows-x86/bench/drop_bench.exe [pictures]
#include <windows.h>
#include <shlwapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "bench_thread.h"
#include "wine_bench_support.h"
#include "app/config_frame.h"
#include "app/main_window.h"
#include "app/tray.h"
#include "app_core/app_state.h"
#include "platform/message_box.h"
#include "resource_ids.h"
#include "windows/app/drop_support.h"

namespace fs = std::filesystem;

namespace {

using winebench::Clock;
using winebench::kTinyBmp;
using winebench::secondsSince;

// root/aN/bN/cN with the pictures in the third level, a text file and a
// dot folder beside them; returns the pictures in creation order.
std::vector<fs::path> makeTree(const fs::path& root, int pictures) {
    std::vector<fs::path> made;
    const int perFolder = 10;
    for (int n = 0; n < pictures; ++n) {
        const fs::path leaf = root / ("a" + std::to_string(n / 1000)) / ("b" + std::to_string(n / 100 % 10)) /
                              ("c" + std::to_string(n / perFolder % 10));
        if (n % perFolder == 0) {
            fs::create_directories(leaf / ".cache");
            std::ofstream(leaf / "popis.txt") << "x";
            std::ofstream(leaf / ".cache" / "skryta.jpg") << "x";
        }
        made.push_back(leaf / ("foto" + std::to_string(n) + (n % 3 ? ".jpg" : ".BMP")));
        std::ofstream(made.back(), std::ios::binary).write(reinterpret_cast<const char*>(kTinyBmp), sizeof(kTinyBmp));
    }
    return made;
}

// What the drop should add, in order: a walk that enters each folder where
// the listing meets it, skipping dot folders.
std::vector<std::u16string> expectedOrder(const fs::path& root, const std::set<std::u16string>& already) {
    std::vector<std::u16string> order;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::u16string name = it->path().filename().u16string();
        if (it->is_directory()) {
            if (name[0] == u'.')
                it.disable_recursion_pending();
            continue;
        }
        const std::u16string ext = it->path().extension().u16string();
        if (!StrCmpIW(reinterpret_cast<LPCWSTR>(ext.c_str()), L".jpg") ||
            !StrCmpIW(reinterpret_cast<LPCWSTR>(ext.c_str()), L".bmp")) {
            const std::u16string p = it->path().u16string();
            if (!already.count(p))
                order.push_back(p);
        }
    }
    return order;
}

// Boxes answered in place of the user; the hook runs on the GUI thread.
std::vector<std::u16string> Boxes;
void (*OnDuplicate)() = nullptr;
int answerBox(void*, const char16_t* text, const char16_t*, uint32_t flags) {
    Boxes.emplace_back(text);
    if ((flags & 0xF) == 3) { // the duplicate notice
        if (OnDuplicate)
            OnDuplicate();
        return IDNO;
    }
    return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
}

HWND waitWindow() { return FindWindowW(nullptr, L"Plochar - prosím čekejte..."); }

// Reads the wait window's count from a third thread while the drop runs.
struct CountWatcher {
    std::atomic<bool> done{false};
    winebench::Lock lock;
    std::vector<std::wstring> seen;
    double firstSeen = -1;
    Clock::time_point from;
    winebench::Thread thread;
    void start(Clock::time_point startedAt) {
        from = startedAt;
        thread.start([](void* self) { static_cast<CountWatcher*>(self)->watch(); }, this);
    }
    void watch() {
        while (!done) {
            if (HWND w = waitWindow()) {
                wchar_t text[64] = {};
                GetDlgItemTextW(w, IDC_WAIT_COUNT, text, 64);
                winebench::Lock::Held held(lock);
                if (firstSeen < 0)
                    firstSeen = secondsSince(from);
                if (*text && (seen.empty() || seen.back() != text))
                    seen.emplace_back(text);
            }
            Sleep(20);
        }
    }
    void stop() {
        done = true;
        thread.join();
    }
};

std::vector<std::u16string> collectionPaths() {
    std::vector<std::u16string> paths;
    for (WallpaperEntry* e = ActiveCollection.first(); e; e = ActiveCollection.nextOf(e))
        paths.emplace_back(e->path);
    return paths;
}

void drop(HWND list, const std::vector<std::u16string>& paths) {
    SendMessageW(list, WM_DROPFILES, reinterpret_cast<WPARAM>(apptest::makeDrop(paths)), 0);
}

size_t StopClickedAt = 0;

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int pictures = argc > 1 ? _wtoi(argv[1]) : 10000;
    const fs::path root = fs::temp_directory_path() / "plochar-drop-bench";
    std::error_code ec;
    fs::remove_all(root, ec);
    auto t = Clock::now();
    const std::vector<fs::path> made = makeTree(root / "Fotky", pictures);
    std::printf("tree: %d pictures in %.1f s\n", pictures, secondsSince(t));

    // The collection alone: the duplicate check of every add.
    {
        WallpaperCollection bare;
        t = Clock::now();
        for (const fs::path& p : made)
            bare.addPath(p.u16string().c_str());
        const double first = secondsSince(t);
        t = Clock::now();
        int present = 0;
        for (const fs::path& p : made)
            present += bare.addPath(p.u16string().c_str()) == AddOutcome::AlreadyPresent;
        std::printf("collection alone: %d adds %.3f s, %d duplicate checks %.3f s\n", bare.entryCount(), first,
                    present, secondsSince(t));
    }

    plat::setMessageBoxHook(answerBox);
    setTrayShellEnabled(false);
    HWND window = createMainWindow(GetModuleHandleW(nullptr), false);
    if (!window) {
        std::printf("no main window\n");
        return 1;
    }
    // Every 97th picture is in the collection already.
    std::set<std::u16string> already;
    for (size_t i = 0; i < made.size(); i += 97) {
        already.insert(made[i].u16string());
        ActiveCollection.addPath(made[i].u16string().c_str());
    }
    SendMessageW(window, WM_COMMAND, ID_SETTINGS, 0);
    refreshCollectionPage();
    HWND page = currentConfigPage();
    HWND list = GetDlgItem(page, IDC_COLL_LIST);

    CountWatcher watcher;
    t = Clock::now();
    watcher.start(t);
    drop(list, {(root / "Fotky").u16string()});
    const double whole = secondsSince(t);
    watcher.stop();
    const std::vector<std::u16string> order = expectedOrder(root / "Fotky", already);
    std::vector<std::u16string> added = collectionPaths();
    added.erase(added.begin(), added.begin() + static_cast<long>(already.size()));
    const long listed = static_cast<long>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    std::printf("drop of %d pictures (%zu already present): %.2f s, %zu added, %s, list holds %ld\n", pictures,
                already.size(), whole, added.size(), added == order ? "every new one once in walk order" : "ORDER WRONG",
                listed);
    std::printf("wait window: first seen after %.2f s, %zu different counts shown, last \"%ls\"\n", watcher.firstSeen,
                watcher.seen.size(), watcher.seen.empty() ? L"" : watcher.seen.back().c_str());
    for (const std::u16string& box : Boxes)
        std::printf("box: %s\n", fs::path(box).string().c_str());

    // Second drop: "&Přerušit" pressed when the search meets a duplicate half
    // way through; at most 20 more pictures may follow.
    Boxes.clear();
    SendMessageW(window, WM_COMMAND, ID_COLLECTION_NEW, 0);
    const fs::path middle = made[made.size() / 2];
    ActiveCollection.addPath(middle.u16string().c_str());
    refreshCollectionPage();
    page = currentConfigPage();
    list = GetDlgItem(page, IDC_COLL_LIST);
    OnDuplicate = [] {
        StopClickedAt = static_cast<size_t>(ActiveCollection.entryCount());
        SendMessageW(GetDlgItem(waitWindow(), IDC_WAIT_STOP), BM_CLICK, 0, 0);
    };
    t = Clock::now();
    drop(list, {(root / "Fotky").u16string()});
    const size_t total = static_cast<size_t>(ActiveCollection.entryCount());
    std::printf("stop: pressed at %zu entries, the drop took %.2f s and ended with %zu (%zu after the press, limit 20)\n",
                StopClickedAt, secondsSince(t), total, total - StopClickedAt);
    for (const std::u16string& box : Boxes)
        std::printf("box: %s\n", fs::path(box).string().c_str());

    DestroyWindow(window);
    fs::remove_all(root, ec);
    return 0;
}
