// The collection page under Wine through its real dialog: what the controls
// show for a selection, the edits they make in the entries, the list
// commands, adding pictures and the preview.
#include "app_test_support.h"

#include <cderr.h>

#include <utility>

#include "app/config_frame.h"
#include "app/shell.h"
#include "image/image_test_util.h"
#include "pages/pages.h"
#include "resource_ids.h"

namespace apptest {
namespace {

// What the page's dialogs and the desktop answer in these tests.
std::u16string g_openAnswer; // folder "\0" names "\0", or one full path
DWORD g_openRoom = 0, g_openError = 0;
DWORD WINAPI openError() { return g_openError; }
// "&Konec" from the tray while the dialog is open; its loop hands it on.
bool g_quitUnderOpenDialog = false;
COLORREF g_colourAnswer = 0;
int g_applyResult = 1;
std::vector<std::u16string> g_applied;
BOOL WINAPI answerOpen(OPENFILENAMEW* o) {
    g_openRoom = o->nMaxFile;
    if (std::exchange(g_quitUnderOpenDialog, false)) {
        SendMessageW(MainWindow, WM_COMMAND, ID_QUIT, 0);
        pumpUntil([] { return false; }, 100);
    }
    if (g_openAnswer.empty())
        return FALSE;
    std::copy(g_openAnswer.begin(), g_openAnswer.end(), reinterpret_cast<char16_t*>(o->lpstrFile));
    o->lpstrFile[g_openAnswer.size()] = 0;
    o->lpstrFile[g_openAnswer.size() + 1] = 0;
    o->nFileExtension = g_openAnswer.find(u'\0') == std::u16string::npos ? 1 : 0;
    return TRUE;
}
BOOL WINAPI answerColour(CHOOSECOLORW* c) {
    c->rgbResult = g_colourAnswer;
    return g_colourAnswer != 0;
}
int recordTest(const WallpaperEntry& e, int allowAbort) {
    EXPECT_EQ(allowAbort, 1);
    g_applied.push_back(e.path);
    return g_applyResult;
}

class CollectionPageTest : public AppWindowTest {
  protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        static const CollectionPageHooks hooks{answerOpen, answerColour, recordTest, openError};
        setCollectionPageHooks(&hooks);
        g_openAnswer.clear(), g_applied.clear(), g_colourAnswer = 0, g_applyResult = 1, g_openError = 0;
    }
    void TearDown() override {
        setCollectionPageHooks(nullptr);
        plat::overrideDisplayBits(nullptr);
        AppWindowTest::TearDown();
    }
    void openWindow(const std::vector<std::string>& names = {"a.bmp", "b.bmp", "c.bmp"}) {
        makeCollection(names);
        start();
        command(ID_SETTINGS);
        page = currentConfigPage();
        ASSERT_TRUE(page);
        Boxes.clear();
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
    WallpaperEntry& entry(int k) { return *ActiveCollection.nthEntry(k + 1); }
    template <class T> std::vector<T> all(T WallpaperEntry::*field) {
        return {entry(0).*field, entry(1).*field, entry(2).*field};
    }
    void set(int k, int32_t style, int32_t changeColours, int32_t fontMode, uint32_t background = 0x0000FF,
             uint32_t font = 0xFF0000) {
        WallpaperEntry& e = entry(k);
        e.style = style, e.changeColours = changeColours, e.fontMode = fontMode;
        e.backgroundColour = background, e.fontColour = font;
    }
    void select(const std::vector<int>& items) {
        SendDlgItemMessageW(page, IDC_COLL_LIST, LB_SETSEL, FALSE, -1);
        for (int i : items)
            SendDlgItemMessageW(page, IDC_COLL_LIST, LB_SETSEL, TRUE, i);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COLL_LIST, LBN_SELCHANGE), 0);
    }
    void click(int id) { SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0); }
    void chooseStyle(int index) {
        SendDlgItemMessageW(page, IDC_COLL_STYLE, CB_SETCURSEL, index, 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COLL_STYLE, CBN_SELCHANGE), 0);
    }
    std::u16string text(int id) {
        wchar_t buffer[600] = {};
        GetDlgItemTextW(page, id, buffer, 600);
        return reinterpret_cast<const char16_t*>(buffer);
    }
    bool enabled(int id) { return IsWindowEnabled(GetDlgItem(page, id)) != 0; }
    bool visible(int id) { return IsWindowVisible(GetDlgItem(page, id)) != 0; }
    UINT box(int id) { return IsDlgButtonChecked(page, id); }
    bool threeState(int id) { return (GetWindowLongW(GetDlgItem(page, id), GWL_STYLE) & 0xF) == BS_3STATE; }
    std::vector<std::u16string> itemTexts() {
        std::vector<std::u16string> texts;
        for (int i = 0; i < itemCount(); ++i) {
            wchar_t t[300] = {};
            SendDlgItemMessageW(page, IDC_COLL_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(t));
            texts.emplace_back(reinterpret_cast<const char16_t*>(t));
        }
        return texts;
    }
    std::vector<int> selected() {
        std::vector<int> items(itemCount());
        items.resize(
            std::max<LRESULT>(0, SendDlgItemMessageW(page, IDC_COLL_LIST, LB_GETSELITEMS, items.size(),
                                                     reinterpret_cast<LPARAM>(items.data()))));
        return items;
    }
    void writePicture(int k, const std::vector<uint8_t>& bytes) {
        std::ofstream(std::filesystem::path(pictures[k]), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    HWND page = nullptr;
};

TEST_F(CollectionPageTest, EveryControlShowsTheSelection) {
    openWindow();
    set(0, 2, 1, 2), set(1, 0, 0, 1), set(2, 0, 0, 1);
    enum : UINT { U = BST_UNCHECKED, C = BST_CHECKED, I = BST_INDETERMINATE };
    struct Case {
        std::vector<int> items;
        int style, styleItems;
        UINT colours, font;
        bool mixedColours, backgroundSwatch, fontSwatch;
        const char16_t* position;
        bool one, up, down;
    } cases[] = {
        {{0}, 2, 4, C, C, false, true, true, u"# 1/3", true, false, true},
        {{0, 1}, 4, 5, I, I, true, true, true, u"", false, false, true},
        {{1, 2}, 0, 4, U, U, false, false, false, u"", false, true, false},
        {{}, 0, 4, U, U, false, false, false, u"", false, true, true},
    };
    for (const Case& c : cases) {
        select(c.items);
        const std::string name = std::to_string(c.items.size()) + " selected";
        const bool any = !c.items.empty();
        EXPECT_EQ(SendDlgItemMessageW(page, IDC_COLL_STYLE, CB_GETCURSEL, 0, 0), c.style) << name;
        EXPECT_EQ(SendDlgItemMessageW(page, IDC_COLL_STYLE, CB_GETCOUNT, 0, 0), c.styleItems) << name;
        EXPECT_EQ(box(IDC_COLL_CHANGE_COLOURS), c.colours) << name;
        EXPECT_EQ(box(IDC_COLL_FONT_MODE), c.font) << name;
        EXPECT_EQ(threeState(IDC_COLL_CHANGE_COLOURS), c.mixedColours) << name;
        EXPECT_EQ(visible(IDC_COLL_BACKGROUND_SWATCH), c.backgroundSwatch) << name;
        EXPECT_EQ(visible(IDC_COLL_FONT_SWATCH), c.fontSwatch) << name;
        EXPECT_EQ(text(IDC_COLL_POSITION), c.position) << name;
        EXPECT_EQ(text(IDC_COLL_PATH).empty(), !c.one) << name;
        for (int id : {IDC_COLL_TEST, IDC_COLL_FULL_PATH, IDC_COLL_PATH_LABEL})
            EXPECT_EQ(enabled(id), c.one) << name << " " << id;
        for (int id : {IDC_COLL_REMOVE, IDC_COLL_STYLE, IDC_COLL_CHANGE_COLOURS})
            EXPECT_EQ(enabled(id), any) << name << " " << id;
        EXPECT_EQ(enabled(IDC_COLL_PICK_BACKGROUND), c.backgroundSwatch) << name;
        EXPECT_EQ(enabled(IDC_COLL_PICK_FONT), c.fontSwatch) << name;
        EXPECT_EQ(enabled(IDC_COLL_UP), c.up) << name;
        EXPECT_EQ(enabled(IDC_COLL_DOWN), c.down) << name;
    }
}

TEST_F(CollectionPageTest, EditsReachEveryChosenEntry) {
    openWindow();
    set(0, 0, 1, 2, 0x11), set(1, 1, 0, 1, 0x22), set(2, 2, 0, 1, 0x33);
    // Mixed styles: " " keeps them, a real style sets all and goes away.
    select({0, 1, 2});
    chooseStyle(4);
    EXPECT_EQ(all(&WallpaperEntry::style), (std::vector<int32_t>{0, 1, 2}));
    chooseStyle(3);
    EXPECT_EQ(all(&WallpaperEntry::style), (std::vector<int32_t>{3, 3, 3}));
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_COLL_STYLE, CB_GETCOUNT, 0, 0), 4);
    // A background chosen while the colour box is mixed goes only to the
    // entries that change colours.
    g_colourAnswer = 0x123456;
    click(IDC_COLL_PICK_BACKGROUND);
    EXPECT_EQ(all(&WallpaperEntry::backgroundColour), (std::vector<uint32_t>{0x123456, 0x22, 0x33}));
    // The mixed box clicked becomes checked for all and an ordinary box.
    click(IDC_COLL_CHANGE_COLOURS);
    EXPECT_EQ(all(&WallpaperEntry::changeColours), (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(box(IDC_COLL_CHANGE_COLOURS), UINT(BST_CHECKED));
    EXPECT_FALSE(threeState(IDC_COLL_CHANGE_COLOURS));
    // The mixed font box clicked: every entry gets the coloured font.
    EXPECT_EQ(box(IDC_COLL_FONT_MODE), UINT(BST_INDETERMINATE));
    click(IDC_COLL_FONT_MODE);
    EXPECT_EQ(all(&WallpaperEntry::fontMode), (std::vector<int32_t>{2, 2, 2}));
    // Estimates: one picture, then several of which one is no picture.
    writePicture(0, imgtest::solid24(2, 2, 0x646464).file());
    writePicture(2, imgtest::solid24(2, 2, 0x0A141E).file());
    select({0});
    click(IDC_COLL_ESTIMATE);
    EXPECT_EQ(entry(0).backgroundColour, 0x696969u);
    select({0, 1, 2});
    click(IDC_COLL_ESTIMATE);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(all(&WallpaperEntry::backgroundColour), (std::vector<uint32_t>{0x696969, 0x22, 0x1F150A}));
}

TEST_F(CollectionPageTest, ListCommandsKeepListAndCollectionTogether) {
    openWindow({"c.bmp", "a.bmp", "d.bmp", "b.bmp"});
    struct Step {
        int command;
        std::vector<int> items;
        std::vector<std::u16string> order;
        std::vector<int> selectedAfter;
    } steps[] = {
        {IDC_COLL_UP, {0}, {u"c", u"a", u"d", u"b"}, {0}},
        {IDC_COLL_DOWN, {3}, {u"c", u"a", u"d", u"b"}, {3}},
        {IDC_COLL_UP, {0, 1, 2, 3}, {u"c", u"a", u"d", u"b"}, {0, 1, 2, 3}},
        {IDC_COLL_UP, {1, 3}, {u"a", u"c", u"b", u"d"}, {0, 2}},
        {IDC_COLL_DOWN, {0, 2}, {u"c", u"a", u"d", u"b"}, {1, 3}},
        {IDC_COLL_SORT, {2}, {u"a", u"b", u"c", u"d"}, {0}},
        {IDC_COLL_REMOVE, {2}, {u"a", u"b", u"d"}, {1}},
        {IDC_COLL_REMOVE, {0, 2}, {u"b"}, {0}},
    };
    AppSettings.confirmRemove = 0;
    for (const Step& s : steps) {
        select(s.items);
        click(s.command);
        EXPECT_EQ(itemTexts(), s.order) << s.command;
        EXPECT_EQ(selected(), s.selectedAfter) << s.command;
        expectListMatchesCollection();
    }
    // Removing asks first when the setting says so; No keeps the picture.
    AppSettings.confirmRemove = 1;
    Answers = {plat::kIdNo};
    click(IDC_COLL_REMOVE);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].text, u"Opravdu chcete tapetu \"" + pictures[3] + u"\" odebrat?");
    EXPECT_EQ(itemCount(), 1);
    // "&Test" puts the picture on the desktop and remembers it only on success.
    const std::vector<uint8_t> before = readValue(kKey212, L"LastTapeta");
    g_applyResult = 2;
    click(IDC_COLL_TEST);
    EXPECT_EQ(Boxes.back().text, u"Operace byla zrušena uživatelem (kliknutí, stisk klávesy...).");
    EXPECT_EQ(readValue(kKey212, L"LastTapeta"), before);
    g_applyResult = 1;
    click(IDC_COLL_TEST);
    EXPECT_EQ(g_applied, (std::vector<std::u16string>{pictures[3], pictures[3]}));
    EXPECT_EQ(std::u16string(CurrentWallpaper.path), pictures[3]);
    EXPECT_NE(readValue(kKey212, L"LastTapeta"), before);
}

TEST_F(CollectionPageTest, AddingThroughTheOpenDialogAsksOnceAboutDuplicates) {
    openWindow();
    for (const char* n : {"x.bmp", "y.jpg", "z.bmp"})
        std::ofstream(folder / n) << "BM";
    const std::u16string dir = folder.u16string(), z = (folder / "z.bmp").u16string();
    const auto several = [&](std::vector<std::u16string> names) {
        g_openAnswer = dir;
        for (const std::u16string& n : names)
            g_openAnswer += u'\0' + n;
        click(IDC_COLL_ADD);
    };
    // No to the first duplicate silences the notice for the rest of the run.
    Answers = {plat::kIdNo};
    several({u"a.bmp", u"x.bmp", u"none.bmp", u"b.bmp", u"y.jpg"});
    EXPECT_EQ(itemTexts(), (std::vector<std::u16string>{u"a", u"b", u"c", u"x", u"y"}));
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].text.rfind(u"Tapeta \"" + pictures[0] + u"\" již v kolekci je zařazena.\r\n\r\n", 0),
              0u);
    EXPECT_EQ(Boxes[0].flags,
              plat::kMbYesNoCancel | plat::kMbIconInformation | plat::kMbSetForeground | plat::kMbTopmost);
    EXPECT_EQ(Boxes[1].text, u"Chyba programu při přidávání plochar \"" + dir + u"\\none.bmp\" do seznamu.");
    EXPECT_EQ(std::u16string(LastDir), dir);
    // The next run asks again; Cancel stops it with what was added kept.
    Answers = {plat::kIdCancel};
    several({u"x.bmp", u"z.bmp"});
    EXPECT_EQ(Boxes.size(), 3u);
    EXPECT_EQ(itemCount(), 5);
    expectListMatchesCollection();
    // One file, with Konec chosen in the tray while the dialog is open: the
    // program waits for the dialog. The folder is cut from the path and stored.
    g_openAnswer = z;
    g_quitUnderOpenDialog = true;
    click(IDC_COLL_ADD);
    ASSERT_EQ(currentConfigPage(), page);
    EXPECT_EQ(itemCount(), 6);
    const std::vector<uint8_t> stored = readValue(kKey212, L"LastDir");
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(stored.data())), dir);
    EXPECT_EQ(SendMessageW(page, kAddFileMessage, 0, 0), FALSE); // no path: not handled
    // The buffer takes the most the dialog can ask for; should it still be
    // too small, nothing is added and the user hears why.
    g_openAnswer.clear(), g_openError = FNERR_BUFFERTOOSMALL;
    click(IDC_COLL_ADD);
    EXPECT_GE(g_openRoom, 65535u);
    EXPECT_EQ(Boxes.back().text.rfind(u"Vybrali jste najednou příliš mnoho tapet, žádná", 0), 0u);
    EXPECT_EQ(Boxes.back().owner, page);
}

TEST_F(CollectionPageTest, PreviewTextsStretchAndPalette) {
    openWindow({"a.bmp", "b.bmp", "c.jpg", "d.bmp", "e.bmp"});
    AppSettings.showPreview = 1;
    CheckDlgButton(page, IDC_COLL_SHOW_PREVIEW, BST_CHECKED);
    writePicture(
        0, imgtest::rgb24(2, 2, [](int32_t x, int32_t y) { return x == y ? 0xFF0000u : 0x0000FFu; }).file());
    writePicture(1, {'t', 'e', 'x', 't'});
    writePicture(2, {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xD9});
    std::vector<uint8_t> cut = imgtest::solid24(40, 40, 0).file();
    cut.resize(cut.size() / 2);
    writePicture(3, cut);
    std::filesystem::remove(std::filesystem::path(pictures[4]));
    const char16_t* texts[] = {u"2 x 2, 24 bpp", u"Neznámý typ obrázku.", u"Nelze dekomprimovat JPEG.",
                               u"Nelze číst obrázek.", u"Nelze otevřít obrázek."};
    for (int k = 0; k < 5; ++k) {
        select({k});
        EXPECT_EQ(text(IDC_COLL_PREVIEW_INFO), texts[k]) << k;
        EXPECT_EQ(entry(k).previewBitmap != nullptr, k == 0) << k;
    }
    // The 2 x 2 picture fills the control; a selection change lets it go.
    select({0});
    RECT client = {};
    GetClientRect(GetDlgItem(page, IDC_COLL_PREVIEW), &client);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(size_t(client.right) * client.bottom);
    HDC dc = GetDC(nullptr);
    ASSERT_EQ(GetDIBits(dc, static_cast<HBITMAP>(entry(0).previewBitmap), 0, client.bottom, pixels.data(),
                        &info, DIB_RGB_COLORS),
              client.bottom);
    ReleaseDC(nullptr, dc);
    // Bottom-up rows: storage row 0 (x == y red) is the lower row on screen.
    EXPECT_EQ(pixels.front() & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(pixels[size_t(client.right) * (client.bottom - 1)] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels.back() & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(entry(0).previewPalette, nullptr);
    // A control resized (a new DPI) is painted from a preview of its new size.
    HWND preview = GetDlgItem(page, IDC_COLL_PREVIEW);
    SetWindowPos(preview, nullptr, 0, 0, client.right / 2, client.bottom / 2, SWP_NOMOVE | SWP_NOZORDER);
    RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    GetClientRect(preview, &client);
    BITMAP made = {};
    ASSERT_TRUE(GetObjectW(entry(0).previewBitmap, sizeof made, &made));
    EXPECT_EQ(made.bmWidth, client.right);
    EXPECT_EQ(made.bmHeight, client.bottom);
    select({1});
    EXPECT_EQ(entry(0).previewBitmap, nullptr);
    // A pretended 8-bit display gets the halftone palette for a 24-bit picture.
    static const int32_t kEightBits = 8;
    plat::overrideDisplayBits(&kEightBits);
    select({0});
    EXPECT_NE(entry(0).previewPalette, nullptr);
    EXPECT_EQ(text(IDC_COLL_PREVIEW_INFO), u"2 x 2, 24 bpp");
    // Before the frame replaces the collection the page lets go of every entry.
    SendMessageW(page, kReleasePreviewMessage, 1, 0);
    EXPECT_EQ(entry(0).previewBitmap, nullptr);
    EXPECT_EQ(itemCount(), 0);
}

} // namespace
} // namespace apptest
