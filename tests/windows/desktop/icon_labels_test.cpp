// The icon label colours against a real list view inside windows of the
// shell's classes that the test makes itself.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "desktop_test_support.h"
#include "platform/system_info.h"

using namespace desktest;

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kAdvancedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

int g_setTextColour = 0;
int g_iniChanges = 0;
WNDPROC g_listViewProc = nullptr;

LRESULT CALLBACK countingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == LVM_SETTEXTCOLOR)
        ++g_setTextColour;
    if (m == WM_WININICHANGE)
        ++g_iniChanges;
    return CallWindowProcW(g_listViewProc, w, m, wp, lp);
}

void registerClass(const wchar_t* name) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

void setShadow(DWORD value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kAdvancedKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExW(k, L"ListviewShadow", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(k);
    }
}

// A desktop of our own: Progman "Program Manager" > SHELLDLL_DefView >
// SysListView32, the list view subclassed to count messages.
class IconLabelsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        registerClass(L"Progman");
        registerClass(L"SHELLDLL_DefView");
        registerClass(L"Internet Explorer_Server");
        progman = CreateWindowExW(0, L"Progman", L"Program Manager", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(progman, nullptr);
        defView = CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, progman, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        listView = CreateWindowExW(0, WC_LISTVIEWW, L"FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, 300, 200,
                                   defView, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(listView, nullptr);
        g_listViewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProc)));
        if (FindDesktopListView() != listView)
            GTEST_SKIP() << "another \"Program Manager\" window is in the way";
        plat::overrideOsVersion(&plat::kWindows2000); // no ListviewShadow
        setUserString(kDesktopKey, L"Wallpaper", programFile(u"desktop.bmp"));
        g_setTextColour = 0;
        g_iniChanges = 0;
    }
    void TearDown() override {
        plat::overrideOsVersion(nullptr);
        if (progman)
            DestroyWindow(progman);
    }
    WallpaperEntry coloured(COLORREF font) {
        WallpaperEntry e = entryFor(u"C:\\nic.bmp", 0);
        e.fontMode = kFontColoured;
        e.changeColours = 1;
        e.fontColour = font;
        return e;
    }
    void paintLabels(COLORREF text, COLORREF background) {
        ListView_SetTextColor(listView, text);
        ListView_SetTextBkColor(listView, background);
        g_setTextColour = 0;
    }
    HWND makeBrowser() {
        return CreateWindowExW(0, L"Internet Explorer_Server", L"", WS_CHILD, 0, 0, 10, 10, defView, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    COLORREF textColour() { return ListView_GetTextColor(listView); }
    COLORREF backColour() { return ListView_GetTextBkColor(listView); }

    HWND progman = nullptr, defView = nullptr, listView = nullptr;
};

} // namespace

TEST_F(IconLabelsTest, ColouredLabelsGetTheirColourAndATransparentBackground) {
    paintLabels(RGB(0, 0, 0), RGB(0, 128, 128));
    RefreshIconLabels(coloured(RGB(255, 255, 0)));
    EXPECT_EQ(textColour(), RGB(255, 255, 0));
    EXPECT_EQ(backColour(), CLR_NONE);
    EXPECT_EQ(g_setTextColour, 1);

    // The timer's next calls find the colour in place and send nothing more.
    RefreshIconLabels(coloured(RGB(255, 255, 0)));
    RefreshIconLabels(coloured(RGB(255, 255, 0)));
    EXPECT_EQ(g_setTextColour, 1);

    // White is set every time: a list view reports white before it was ever
    // told, so the transparent background must be checked too.
    paintLabels(RGB(255, 255, 255), RGB(0, 0, 128));
    RefreshIconLabels(coloured(RGB(255, 255, 255)));
    EXPECT_EQ(g_setTextColour, 1);
    EXPECT_EQ(backColour(), CLR_NONE);
}

TEST_F(IconLabelsTest, LabelsAreLeftAloneWhenNotOursToColour) {
    paintLabels(RGB(10, 20, 30), RGB(0, 128, 128));
    WallpaperEntry keep = coloured(RGB(255, 0, 0));
    keep.fontMode = kFontKeep;
    RefreshIconLabels(keep);
    WallpaperEntry noColours = coloured(RGB(255, 0, 0));
    noColours.changeColours = 0;
    RefreshIconLabels(noColours);

    // Someone else's wallpaper on the desktop.
    setUserString(kDesktopKey, L"Wallpaper", u"C:\\windows\\jiná tapeta.bmp");
    RefreshIconLabels(coloured(RGB(255, 0, 0)));
    // A path longer than 139 units cannot be read whole.
    setUserString(kDesktopKey, L"Wallpaper", std::u16string(150, u'x'));
    RefreshIconLabels(coloured(RGB(255, 0, 0)));
    EXPECT_EQ(g_setTextColour, 0);
    EXPECT_EQ(textColour(), RGB(10, 20, 30));

    // The comparison ignores case.
    std::u16string upper = programFile(u"desktop.bmp");
    CharUpperW(reinterpret_cast<wchar_t*>(&upper[0]));
    setUserString(kDesktopKey, L"Wallpaper", upper);
    RefreshIconLabels(coloured(RGB(255, 0, 0)));
    EXPECT_EQ(textColour(), RGB(255, 0, 0));
}

TEST_F(IconLabelsTest, ActiveDesktopAndListviewShadowTakeTheLabelsOver) {
    EXPECT_FALSE(IsActiveDesktopOn());
    paintLabels(RGB(10, 20, 30), RGB(0, 128, 128));
    // Windows XP with "ListviewShadow" on draws the labels itself.
    plat::overrideOsVersion(&plat::kWindowsXp);
    setShadow(1);
    EXPECT_EQ(ReadListviewShadow(), 1);
    RefreshIconLabels(coloured(RGB(255, 0, 0)));
    EXPECT_EQ(g_setTextColour, 0);
    setShadow(0);
    EXPECT_EQ(ReadListviewShadow(), 0);
    plat::overrideOsVersion(&plat::kWindows98);
    EXPECT_EQ(ReadListviewShadow(), -1);

    // Active Desktop: the view holds a browser window.
    plat::overrideOsVersion(&plat::kWindowsXp);
    HWND browser = makeBrowser();
    EXPECT_TRUE(IsActiveDesktopOn());
    EXPECT_EQ(ReadListviewShadow(), -2);
    RefreshIconLabels(coloured(RGB(255, 0, 0)));
    EXPECT_EQ(g_setTextColour, 0);
    DestroyWindow(browser);
    EXPECT_FALSE(IsActiveDesktopOn());
}

TEST_F(IconLabelsTest, ApplyingAPictureSetsTheDesktopColourAndColoursTheLabelsAtOnce) {
    testing_support::TempDir dir;
    std::u16string source = dir.file(u"štítky.bmp");
    writeTestBmp(source, 40, 30, 24);
    WallpaperEntry e = entryFor(source, kStyleCentred);
    e.fontMode = kFontColoured;
    e.changeColours = 1;
    e.backgroundColour = RGB(0, 128, 255);
    e.fontColour = RGB(255, 255, 0);
    paintLabels(RGB(0, 0, 0), RGB(0, 0, 80));
    ScriptedBoxes boxes({IDOK});
    ASSERT_EQ(ApplyWallpaper(e, 0), 1);
    EXPECT_EQ(textColour(), RGB(255, 255, 0));
    EXPECT_EQ(backColour(), CLR_NONE);
    // The colour for this session, the next logon and win.ini.
    EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(0, 128, 255));
    EXPECT_EQ(userString(L"Control Panel\\Colors", L"Background"), u"0 128 255");
    wchar_t ini[32] = {};
    GetProfileStringW(L"colors", L"Background", L"", ini, 32);
    EXPECT_STREQ(ini, L"0 128 255");

    // With Active Desktop on, the COM object is asked first; where it is
    // missing the registry path takes over silently and labels stay.
    HWND browser = makeBrowser();
    paintLabels(RGB(0, 0, 0), RGB(0, 0, 80));
    setUserString(kDesktopKey, L"WallpaperStyle", u"9");
    e.style = kStyleStretched;
    ASSERT_EQ(ApplyWallpaper(e, 0), 1);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(ComInitialized, 1);
    EXPECT_EQ(userString(kDesktopKey, L"WallpaperStyle"), u"2");
    EXPECT_EQ(textColour(), RGB(0, 0, 0));
    DestroyWindow(browser);

    // Without changeColours neither the colour nor the labels change.
    e.changeColours = 0;
    e.backgroundColour = RGB(1, 2, 3);
    ASSERT_EQ(ApplyWallpaper(e, 0), 1);
    EXPECT_EQ(userString(L"Control Panel\\Colors", L"Background"), u"0 128 255");
    EXPECT_EQ(textColour(), RGB(0, 0, 0));
}

TEST_F(IconLabelsTest, ListviewShadowSwitchUpdatesTheDesktopOrSaysWhy) {
    setShadow(0);
    {
        ScriptedBoxes boxes({IDOK});
        EXPECT_TRUE(SetListviewShadow(true));
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_EQ(g_iniChanges, 1);
        plat::overrideOsVersion(&plat::kWindowsXp);
        EXPECT_EQ(ReadListviewShadow(), 1);
    }
    {
        // No desktop list view: stored, but only a restart shows it.
        DestroyWindow(progman);
        progman = nullptr;
        ScriptedBoxes boxes({IDOK});
        EXPECT_TRUE(SetListviewShadow(false));
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text,
                  u"Chyba při aktualizaci plochy. Nastavení se určitě projeví po restartu počítače.");
        EXPECT_EQ(boxes.boxes()[0].flags, static_cast<uint32_t>(MB_ICONWARNING));
        EXPECT_EQ(ReadListviewShadow(), 0);
    }
    {
        // The key is opened, never created: without it nothing is written.
        if (RegDeleteKeyW(HKEY_CURRENT_USER, kAdvancedKey) != ERROR_SUCCESS)
            GTEST_SKIP() << "the Advanced key has subkeys here";
        ScriptedBoxes boxes({IDOK});
        EXPECT_FALSE(SetListviewShadow(true));
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, u"Chyba při zapisování do registru systému, pravděpodobně nemáte příslušná "
                                         u"práva. Nastavení nebylo nastaveno.");
        HKEY k = nullptr;
        EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kAdvancedKey, 0, KEY_READ, &k), ERROR_SUCCESS);
        setShadow(0);
    }
}
