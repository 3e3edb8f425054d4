// Dropping files and folders on the collection page's list, through the real
// page, its drop filter and the wait window's thread.
#include "app_test_support.h"
#include "drop_support.h"

#include <filesystem>
#include <fstream>
#include <set>

#include "app/config_frame.h"
#include "resource_ids.h"

namespace apptest {
namespace {

namespace fs = std::filesystem;

HWND waitWindow() { return FindWindowW(nullptr, L"Plochar - prosím čekejte..."); }
int waitWindows() {
    int count = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, L"Plochar - prosím čekejte...")) != nullptr;)
        ++count;
    return count;
}

// What the wait window showed whenever a box came up during the drop: the
// window, its thread, and whether the configuration window was visible.
struct Moment {
    HWND wait;
    int waitCount;
    bool configVisible;
};
std::vector<Moment> Moments;
bool PressStopAtDuplicate = false;
int32_t EntriesAtStop = -1;

int answerAndWatch(void* owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
    // The wait window's thread starts with the search; give it a moment.
    for (int i = 0; i < 100 && MainWindow && !IsWindowVisible(MainWindow) && !waitWindow(); ++i)
        Sleep(20);
    HWND wait = waitWindow();
    Moments.push_back({wait, waitWindows(), IsWindowVisible(MainWindow) != 0});
    if (PressStopAtDuplicate && (flags & 0xF) == plat::kMbYesNoCancel && wait) {
        EntriesAtStop = ActiveCollection.entryCount();
        SendMessageW(GetDlgItem(wait, IDC_WAIT_STOP), BM_CLICK, 0, 0);
    }
    return answerBox(owner, text, caption, flags);
}

class CollectionDropTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        plat::setMessageBoxHook(answerAndWatch);
        Moments.clear();
        PressStopAtDuplicate = false;
        EntriesAtStop = -1;
    }
    // Empty files are enough: adding only asks whether a file exists.
    std::u16string make(const std::string& relative) {
        const fs::path p = (folder / fs::u8path(relative)).make_preferred();
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "BM";
        return p.u16string();
    }
    std::u16string dir(const std::string& relative) {
        const fs::path p = (folder / fs::u8path(relative)).make_preferred();
        fs::create_directories(p);
        return p.u16string();
    }
    // Opens the window on a collection holding `present`.
    HWND openPage(const std::vector<std::u16string>& present = {}) {
        start();
        for (const auto& p : present)
            EXPECT_EQ(ActiveCollection.addPath(p.c_str()), AddOutcome::Added);
        command(ID_SETTINGS);
        refreshCollectionPage(); // an empty collection opened the window at start
        Boxes.clear();
        Moments.clear();
        return currentConfigPage();
    }
    // Drops through the list as the shell would.
    void drop(HWND page, const std::vector<std::u16string>& paths) {
        SendMessageW(GetDlgItem(page, IDC_COLL_LIST), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(paths)), 0);
    }
    // The collection's paths relative to the test folder, in order.
    std::vector<std::string> entries() {
        std::vector<std::string> names;
        const size_t base = folder.u16string().size() + 1;
        for (WallpaperEntry* e = ActiveCollection.first(); e; e = ActiveCollection.nextOf(e))
            names.push_back(fs::path(std::u16string(e->path).substr(base)).generic_string());
        return names;
    }
    std::u16string lastBox() { return Boxes.empty() ? u"" : Boxes.back().text; }
};

TEST_F(CollectionDropTest, FilesAloneAreAddedWithoutAWaitWindow) {
    const std::vector<std::u16string> files = {make("stara.jpg"), make("a.jpg"), make("b.txt"), make("c.JPEG"),
                                               make("d.bmp.txt"), (folder / "chybi.jpg").u16string()};
    HWND page = openPage({files[0]});
    drop(page, files);
    EXPECT_EQ(entries(), (std::vector<std::string>{"stara.jpg", "a.jpg", "c.JPEG"}));
    ASSERT_EQ(Boxes.size(), 2u) << "the duplicate notice and the count";
    EXPECT_EQ(lastBox(), u"Přidáno 2 souborů.");
    EXPECT_EQ(Boxes[1].flags, uint32_t(plat::kMbIconInformation | MB_TASKMODAL));
    EXPECT_EQ(Moments[0].waitCount + Moments[1].waitCount, 0);
    EXPECT_TRUE(Moments[0].configVisible);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_COLL_LIST, LB_GETCOUNT, 0, 0), 3);
    // The message comes after every drop, also when nothing was added.
    drop(page, {files[1]});
    EXPECT_EQ(lastBox(), u"Přidáno 0 souborů.");
}

// Each folder's pictures come where the listing meets the folder; dot
// folders are left alone and a folder named like a picture is searched.
TEST_F(CollectionDropTest, AFolderTreeIsSearchedInListingOrder) {
    for (const char* f : {"Hory/zima.jpg", "Hory/leto/a.bmp", "Hory/leto/hluboko/b.dib", "Hory/x.jpg/uvnitr.jpg",
                          "Hory/.nahledy/skryty.jpg", "Hory/poznamky.txt", "Hory/.skryta.jpg", "More/vlny.jpeg"})
        make(f);
    HWND page = openPage();
    drop(page, {dir("Hory"), dir("More")});
    std::vector<std::string> expected;
    for (const char* top : {"Hory", "More"})
        for (auto it = fs::recursive_directory_iterator(folder / top); it != fs::recursive_directory_iterator(); ++it) {
            if (it->is_directory() && it->path().filename().string()[0] == '.')
                it.disable_recursion_pending();
            else if (!it->is_directory() && it->path().extension() != ".txt")
                expected.push_back(fs::relative(it->path(), folder).generic_string());
        }
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(expected.size(), 6u);
    EXPECT_EQ(lastBox(), u"Přidáno 6 souborů.");
    // One wait window for both folders, gone before the final message, with
    // the configuration window back.
    EXPECT_TRUE(IsWindowVisible(window));
    ASSERT_EQ(Moments.size(), 1u);
    EXPECT_EQ(Moments[0].wait, nullptr);
}

TEST_F(CollectionDropTest, SeveralFoldersShareOneWaitWindowAndDuplicatesAsk) {
    const std::u16string first = make("A/1.jpg"), second = make("B/2.jpg");
    make("A/3.jpg");
    HWND page = openPage({first, second});
    Answers = {plat::kIdYes, plat::kIdYes};
    drop(page, {dir("A"), dir("B")});
    ASSERT_EQ(Moments.size(), 3u);
    EXPECT_NE(Moments[0].wait, nullptr);
    EXPECT_EQ(Moments[1].wait, Moments[0].wait) << "the same window at the second folder";
    EXPECT_NE(GetWindowThreadProcessId(Moments[0].wait, nullptr), GetCurrentThreadId());
    EXPECT_EQ(Moments[1].waitCount, 1);
    EXPECT_FALSE(Moments[0].configVisible);
    EXPECT_EQ(Moments[2].wait, nullptr) << "closed before the final message";
    EXPECT_EQ(lastBox(), u"Přidáno 1 souborů.");
    // Cancel in the notice ends the whole drop.
    make("A/4.jpg");
    Answers = {plat::kIdCancel};
    drop(page, {dir("B"), dir("A")});
    EXPECT_EQ(lastBox(), u"Akce zastavena uživatelem, přidání nekompletní. Přidáno 0 souborů.");
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(CollectionDropTest, StopInTheWaitWindowEndsTheSearchWithin20Pictures) {
    std::u16string planted;
    for (int i = 0; i < 200; ++i) {
        const std::u16string p = make("Velka/" + std::to_string(i / 50) + "/f" + std::to_string(i) + ".jpg");
        if (i == 60)
            planted = p;
    }
    HWND page = openPage({planted});
    PressStopAtDuplicate = true;
    drop(page, {dir("Velka")});
    ASSERT_GE(EntriesAtStop, 1);
    const int32_t after = ActiveCollection.entryCount() - EntriesAtStop;
    EXPECT_LE(after, 20);
    EXPECT_LT(ActiveCollection.entryCount(), 200);
    const std::string added = std::to_string(ActiveCollection.entryCount() - 1);
    EXPECT_EQ(lastBox(), u"Akce zastavena uživatelem, přidání nekompletní. Přidáno " +
                             std::u16string(added.begin(), added.end()) + u" souborů.");
    EXPECT_EQ(waitWindow(), nullptr);
}

// A dropped name or a found path longer than an entry holds is left out
// whole: cut, it would name another file (here the one beside it).
TEST_F(CollectionDropTest, NamesTooLongForAnEntryAreNeverCutIntoAnotherFile) {
    const std::u16string dropped = dir("Dlouhe"), found = dir("Nalezene");
    const auto padTo = [](const std::u16string& folderPath, size_t total, const std::u16string& ending) {
        return folderPath + u"\\" + std::u16string(total - folderPath.size() - 1 - ending.size(), u'n') + ending;
    };
    // 269 units: the longest path an entry holds.
    const std::u16string cutDropped = padTo(dropped, 269, u".jpg"), cutFound = padTo(found, 269, u".jp");
    for (const auto& p : {cutDropped, cutDropped + u"x", cutFound, cutFound + u"g"})
        std::ofstream(fs::path(p)) << "BM";
    ASSERT_TRUE(fs::exists(fs::path(cutFound + u"g")));
    HWND page = openPage();
    drop(page, {cutDropped + u"x"});
    EXPECT_EQ(lastBox(), u"Přidáno 0 souborů.");
    drop(page, {found});
    EXPECT_EQ(ActiveCollection.entryCount(), 0);
    ASSERT_EQ(Boxes.size(), 3u);
    EXPECT_EQ(Boxes[1].text, u"Chyba programu při přidávání plochar \"" + cutFound + u"\" do seznamu.");
    EXPECT_EQ(lastBox(), u"Přidáno 0 souborů.");
}

} // namespace
} // namespace apptest
