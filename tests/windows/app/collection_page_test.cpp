// The collection page under Wine through its real dialog: what the controls
// show for a selection, the edits they make in the entries, the list
// commands, adding pictures and the preview.
#include "app_test_support.h"

#include "app/config_frame.h"
#include "app/shell.h"
#include "pages/pages.h"
#include "resource_ids.h"

namespace apptest {
namespace {

class CollectionPageTest : public AppWindowTest {
  protected:
    void openWindow(const std::vector<std::string>& names = {"a.bmp", "b.bmp", "c.bmp"}) {
        makeCollection(names);
        start();
        command(ID_SETTINGS);
        page = currentConfigPage();
        ASSERT_TRUE(page);
        Boxes.clear();
    }
    // The page's answer to one kAddFileMessage.
    LRESULT addFile(const std::u16string& path) {
        EXPECT_TRUE(SendMessageW(page, kAddFileMessage, reinterpret_cast<WPARAM>(path.c_str()), 0));
        return GetWindowLongPtrW(page, DWLP_MSGRESULT);
    }
    int itemCount() { return static_cast<int>(SendDlgItemMessageW(page, IDC_COLL_LIST, LB_GETCOUNT, 0, 0)); }
    // The list's entries must be the collection's, in the same order.
    void expectListMatchesCollection() {
        ASSERT_EQ(itemCount(), ActiveCollection.entryCount());
        for (int i = 0; i < itemCount(); ++i)
            EXPECT_EQ(reinterpret_cast<WallpaperEntry*>(
                          SendDlgItemMessageW(page, IDC_COLL_LIST, LB_GETITEMDATA, i, 0)),
                      ActiveCollection.nthEntry(i + 1))
                << i;
    }
    HWND page = nullptr;
};

TEST_F(CollectionPageTest, AddingNewMissingAndDuplicatePictures) {
    openWindow();
    std::ofstream(folder / "d.jpg") << "x";
    const std::u16string fresh = (folder / "d.jpg").u16string();
    const std::u16string missing = (folder / "none.bmp").u16string();
    EXPECT_EQ(SendMessageW(page, kAddFileMessage, 0, 0), FALSE);
    EXPECT_EQ(addFile(fresh), 2);
    EXPECT_EQ(addFile(missing), 1);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, u"Chyba programu při přidávání plochar \"" + missing + u"\" do seznamu.");
    EXPECT_EQ(Boxes[0].flags, plat::kMbIconWarning | plat::kMbSetForeground | plat::kMbTopmost);
    expectListMatchesCollection();
    // A duplicate asks; No silences the notice for the rest of the run only.
    Boxes.clear();
    Answers = {plat::kIdNo};
    EXPECT_EQ(addFile(pictures[0]), 1);
    EXPECT_EQ(addFile(pictures[1]), 1);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text.rfind(u"Tapeta \"" + pictures[0] + u"\" již v kolekci je zařazena.\r\n\r\n", 0),
              0u);
    EXPECT_EQ(Boxes[0].flags,
              plat::kMbYesNoCancel | plat::kMbIconInformation | plat::kMbSetForeground | plat::kMbTopmost);
    endAddingRun(page);
    Answers = {plat::kIdYes, plat::kIdCancel};
    EXPECT_EQ(addFile(pictures[1]), 1);
    EXPECT_EQ(addFile(pictures[2]), 3);
    EXPECT_EQ(Boxes.size(), 3u);
    EXPECT_EQ(ActiveCollection.entryCount(), 4);
    expectListMatchesCollection();
}

} // namespace
} // namespace apptest
