// Dropping files and folders on the collection page's list, through the real
// page, its drop filter and the wait window's thread.
#include "app_test_support.h"
#include "drop_support.h"

#include <commctrl.h>

#include "app/config_frame.h"
#include "app/shell.h"
#include "resource_ids.h"

namespace apptest {
namespace {

namespace fs = std::filesystem;

// Whenever a box comes up: the wait windows open, the first of them, and
// whether the configuration window was visible.
struct Moment {
    int waitWindows;
    HWND wait;
    bool configVisible;
};
std::vector<Moment> Moments;
bool PressStopAtDuplicate = false;
bool Dropping = false; // boxes before the drop (at start-up) wait for nothing
int32_t EntriesAtStop = -1;
// Asked of the main window from inside the search, at its first box.
bool PokeWindowAtBox = false;
// Another tab clicked under the duplicate notice: it lands only when the
// notice leaves the window usable, as one owned by nothing in it does.
bool ClickTabAtDuplicate = false;

int answerAndWatch(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
    const wchar_t* title = L"Plochar - prosím čekejte...";
    // The wait window's thread starts with the search; give it time (a busy
    // machine may be slow). The window is found while its controls are still
    // being made, so wait until it shows: a click before that reaches no button.
    for (int i = 0; Dropping && i < 500 && !IsWindowVisible(MainWindow) &&
                    !IsWindowVisible(FindWindowW(nullptr, title));
         ++i)
        Sleep(20);
    Moment m = {0, FindWindowW(nullptr, title), IsWindowVisible(MainWindow) != 0};
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, title)) != nullptr;)
        ++m.waitWindows;
    Moments.push_back(m);
    if (PokeWindowAtBox && Dropping) {
        PokeWindowAtBox = false;
        SendMessageW(MainWindow, WM_TIMER, kTimerChange, 0);
        SendMessageW(MainWindow, WM_COMMAND, ID_SETTINGS, 0); // the tray's "Nastavení"
    }
    if (ClickTabAtDuplicate && (flags & 0xF) == plat::kMbYesNoCancel &&
        (!owner || GetAncestor(static_cast<HWND>(owner), GA_ROOT) != MainWindow)) {
        HWND tabs = FindWindowExW(MainWindow, nullptr, WC_TABCONTROLW, nullptr);
        SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
        NMHDR header = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(MainWindow, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    if (PressStopAtDuplicate && (flags & 0xF) == plat::kMbYesNoCancel && m.wait) {
        EntriesAtStop = ActiveCollection.entryCount();
        SendMessageW(GetDlgItem(m.wait, IDC_WAIT_STOP), BM_CLICK, 0, 0);
    }
    return answerBox(owner, text, caption, flags);
}

class CollectionDropTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        plat::setMessageBoxHook(answerAndWatch);
        PressStopAtDuplicate = false;
        ClickTabAtDuplicate = false;
    }
    // A path in the test folder; with a file name, an empty file is made
    // (adding only asks whether the file exists), else a folder.
    std::u16string make(const std::string& relative) {
        const fs::path p = (folder / fs::u8path(relative)).make_preferred();
        fs::create_directories(p.has_extension() ? p.parent_path() : p);
        if (p.has_extension())
            std::ofstream(p) << "BM";
        return p.u16string();
    }
    // Opens the window on a collection holding `present`.
    HWND openPage(const std::vector<std::u16string>& present = {}) {
        start();
        for (const auto& p : present)
            ActiveCollection.addPath(p.c_str());
        command(ID_SETTINGS);
        refreshCollectionPage(); // an empty collection opened the window at start
        Boxes.clear();
        Moments.clear();
        return currentConfigPage();
    }
    // Drops through the list as the shell does.
    void drop(HWND page, const std::vector<std::u16string>& paths) {
        Dropping = true;
        SendMessageW(GetDlgItem(page, IDC_COLL_LIST), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(paths)),
                     0);
        Dropping = false;
    }
    // The collection's paths relative to the test folder, in order.
    std::vector<std::string> entries() {
        std::vector<std::string> names;
        for (WallpaperEntry* e = ActiveCollection.first(); e; e = ActiveCollection.nextOf(e))
            names.push_back(fs::relative(fs::path(std::u16string(e->path)), folder).generic_string());
        return names;
    }
    std::u16string lastBox() { return Boxes.empty() ? u"" : Boxes.back().text; }
};

TEST_F(CollectionDropTest, FilesAloneAreAddedWithoutAWaitWindow) {
    const std::vector<std::u16string> files = {make("stara.jpg"), make("a.jpg"),     make("b.txt"),
                                               make("c.JPEG"),    make("d.bmp.txt"), u"C:\\chybi.jpg"};
    HWND page = openPage({files[0]});
    ClickTabAtDuplicate = true;
    drop(page, files);
    EXPECT_EQ(currentConfigPage(), page);
    EXPECT_EQ(entries(), (std::vector<std::string>{"stara.jpg", "a.jpg", "c.JPEG"}));
    ASSERT_EQ(Boxes.size(), 2u) << "the duplicate notice and the count";
    EXPECT_EQ(Boxes[1].text, u"Přidáno 2 souborů.");
    EXPECT_EQ(Boxes[1].flags, uint32_t(plat::kMbIconInformation | MB_TASKMODAL));
    EXPECT_EQ(Moments[0].waitWindows + Moments[1].waitWindows, 0);
    EXPECT_TRUE(Moments[0].configVisible);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_COLL_LIST, LB_GETCOUNT, 0, 0), 3);
    drop(page, {files[2]}); // the count comes after every drop
    EXPECT_EQ(lastBox(), u"Přidáno 0 souborů.");
}

// Each folder's pictures come where the listing meets the folder; dot
// folders are left alone and a folder named like a picture is searched.
TEST_F(CollectionDropTest, AFolderTreeIsSearchedInListingOrder) {
    for (const char* f :
         {"Hory/zima.jpg", "Hory/leto/a.bmp", "Hory/leto/hluboko/b.dib", "Hory/x.jpg/uvnitr.jpg",
          "Hory/.nahledy/skryty.jpg", "Hory/poznamky.txt", "Hory/.skryta.jpg", "More/vlny.jpeg"})
        make(f);
    HWND page = openPage();
    drop(page, {make("Hory"), make("More")});
    std::vector<std::string> expected; // in the order the listing gives
    for (const char* top : {"Hory", "More"})
        for (auto it = fs::recursive_directory_iterator(folder / top);
             it != fs::recursive_directory_iterator(); ++it)
            if (it->path().filename().string()[0] == '.' && it->is_directory())
                it.disable_recursion_pending();
            else if (!it->is_directory() && it->path().extension() != ".txt")
                expected.push_back(fs::relative(it->path(), folder).generic_string());
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(expected.size(), 6u);
    // The wait window is gone before the count, and the window is back.
    EXPECT_EQ(lastBox(), u"Přidáno 6 souborů.");
    EXPECT_EQ(Moments.back().waitWindows, 0);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(CollectionDropTest, SeveralFoldersShareOneWaitWindowAndCancelEndsTheDrop) {
    const std::u16string first = make("A/1.jpg"), second = make("B/2.jpg");
    make("A/3.jpg");
    HWND page = openPage({first, second});
    Answers = {plat::kIdYes, plat::kIdYes};
    const int32_t countdown = ChangeCountdown;
    PokeWindowAtBox = true;
    drop(page, {make("A"), make("B")});
    ASSERT_EQ(Moments.size(), 3u) << "a notice in each folder and the count";
    EXPECT_EQ(Moments[0].waitWindows + Moments[1].waitWindows, 2);
    EXPECT_EQ(Moments[1].wait, Moments[0].wait);
    // Hidden for the wait window, yet open: no countdown, no new page.
    EXPECT_FALSE(Moments[0].configVisible);
    EXPECT_EQ(ChangeCountdown, countdown);
    EXPECT_EQ(currentConfigPage(), page);
    EXPECT_EQ(lastBox(), u"Přidáno 1 souborů.");
    make("A/4.jpg");
    Answers = {plat::kIdCancel};
    drop(page, {make("B"), make("A")});
    EXPECT_EQ(lastBox(), u"Akce zastavena uživatelem, přidání nekompletní. Přidáno 0 souborů.");
}

TEST_F(CollectionDropTest, StopInTheWaitWindowEndsTheSearchWithin20Pictures) {
    for (int i = 0; i < 200; ++i)
        make("Velka/" + std::to_string(i / 50) + "/f" + std::to_string(i) + ".jpg");
    HWND page = openPage({make("Velka/1/f60.jpg")});
    PressStopAtDuplicate = true;
    drop(page, {make("Velka")});
    ASSERT_GE(EntriesAtStop, 1);
    EXPECT_LE(ActiveCollection.entryCount() - EntriesAtStop, 20);
    const std::string added = std::to_string(ActiveCollection.entryCount() - 1);
    EXPECT_EQ(lastBox(), u"Akce zastavena uživatelem, přidání nekompletní. Přidáno " +
                             std::u16string(added.begin(), added.end()) + u" souborů.");
}

// A dropped name or a found path longer than an entry holds is left out
// whole: cut, it would name another file (here the one beside it).
TEST_F(CollectionDropTest, NamesTooLongForAnEntryAreNeverCutIntoAnotherFile) {
    const std::u16string dropped = make("Dlouhe"), found = make("Nalezene");
    const auto padTo = [](const std::u16string& in, const std::u16string& ending) { // 269 units
        return in + u"\\" + std::u16string(269 - in.size() - 1 - ending.size(), u'n') + ending;
    };
    const std::u16string cutDropped = padTo(dropped, u".jpg"), cutFound = padTo(found, u".jp");
    for (const auto& p : {cutDropped, cutDropped + u"x", cutFound, cutFound + u"g"})
        std::ofstream(fs::path(p)) << "BM";
    HWND page = openPage();
    drop(page, {cutDropped + u"x"});
    drop(page, {found});
    EXPECT_EQ(ActiveCollection.entryCount(), 0);
    ASSERT_EQ(Boxes.size(), 3u);
    EXPECT_EQ(Boxes[1].text, u"Chyba programu při přidávání plochar \"" + cutFound + u"\" do seznamu.");
    EXPECT_EQ(Boxes[0].text + lastBox(), u"Přidáno 0 souborů.Přidáno 0 souborů.");
}

// Runs commands in folder through a Unix shell, as Wine can; the process
// cannot be waited for, so watched is. False where there is no Wine.
bool unixShell(const fs::path& folder, const std::string& commands, const fs::path& watched, bool appears) {
    STARTUPINFOA start = {sizeof(start)};
    PROCESS_INFORMATION process = {};
    std::string line = "/bin/sh -c \"" + commands + "\"";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.string().c_str(),
                        &start, &process))
        return false;
    CloseHandle(process.hProcess), CloseHandle(process.hThread);
    const std::wstring at = watched.wstring();
    for (int i = 0; i < 500 && (GetFileAttributesW(at.c_str()) != INVALID_FILE_ATTRIBUTES) != appears; ++i)
        Sleep(20);
    return (GetFileAttributesW(at.c_str()) != INVALID_FILE_ATTRIBUTES) == appears;
}

// Each folder is searched once: through a link up the tree, a dropped folder
// inside another, a link dropped beside its target, or (9x) another case.
TEST_F(CollectionDropTest, EachFolderIsSearchedOnceWhateverTheRoad) {
    for (const char* f : {"Hory/a.jpg", "Hory/leto/b.jpg", "More/c.jpg"})
        make(f);
    if (!unixShell(folder, "ln -s .. Hory/leto/nahoru && ln -s ../More Hory/more && ln -s More Odkaz",
                   folder / "Odkaz", true))
        GTEST_SKIP() << "no Unix links here";
    HWND page = openPage();
    drop(page, {make("Hory"), make("Hory/leto"), make("Odkaz"), make("More")});
    std::vector<std::string> added = entries();
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added, (std::vector<std::string>{"Hory/a.jpg", "Hory/leto/b.jpg", "Odkaz/c.jpg"}));
    plat::overrideOsVersion(&plat::kWindows98);
    drop(page, {make("More"), make("MORE")});
    EXPECT_EQ(Boxes.size(), 2u) << "no notices nor errors";
    EXPECT_EQ(Boxes[0].text + lastBox(), u"Přidáno 3 souborů.Přidáno 1 souborů.");
    // Removing the test folder would follow them.
    EXPECT_TRUE(unixShell(folder, "rm Hory/leto/nahoru Hory/more Odkaz", folder / "Odkaz", false));
}

} // namespace
} // namespace apptest
