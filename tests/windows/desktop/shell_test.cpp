// The icon label colours on a list view inside shell windows made here, and
// the start-up logo (in the root of the Wine prefix's Windows drive).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <set>
#include <tuple>

#include "collection/random.h"
#include "collection/wallpaper_collection.h"
#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "desktop/desktop_texts.h"
#include "desktop_test_support.h"
#include "platform/system_info.h"
#include "settings/app_settings.h"

using namespace desktest;
namespace text = desk::text;

namespace {

const COLORREF kNone = CLR_NONE;
int g_setTextColour = 0;
WNDPROC g_listViewProc = nullptr;

LRESULT CALLBACK countingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    g_setTextColour += m == LVM_SETTEXTCOLOR;
    return CallWindowProcW(g_listViewProc, w, m, wp, lp);
}

// A desktop of our own: Progman "Program Manager" > SHELLDLL_DefView >
// SysListView32, the list view subclassed to count messages.
class IconLabelsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        for (const wchar_t* name : {L"Progman", L"SHELLDLL_DefView", L"Internet Explorer_Server"}) {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = DefWindowProcW, wc.hInstance = GetModuleHandleW(nullptr), wc.lpszClassName = name;
            RegisterClassW(&wc);
        }
        progman = CreateWindowExW(0, L"Progman", L"Program Manager", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        defView = child(L"SHELLDLL_DefView", progman, WS_VISIBLE);
        listView = child(WC_LISTVIEWW, defView, WS_VISIBLE | LVS_ICON);
        ASSERT_NE(listView, nullptr);
        g_listViewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProc)));
        if (FindDesktopListView() != listView)
            GTEST_SKIP() << "another \"Program Manager\" window is in the way";
        plat::overrideOsVersion(&plat::kWindows2000); // no ListviewShadow
        setUserString(kDesktopKey, L"Wallpaper", programFile(u"desktop.bmp"));
        g_setTextColour = 0;
    }
    void TearDown() override {
        plat::overrideOsVersion(nullptr);
        if (progman)
            DestroyWindow(progman);
    }
    HWND child(const wchar_t* cls, HWND parent, DWORD style = 0) {
        return CreateWindowExW(0, cls, L"", WS_CHILD | style, 0, 0, 300, 200, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    WallpaperEntry coloured(COLORREF font) {
        WallpaperEntry e = entryFor(u"C:\\nic.bmp", 0);
        e.fontMode = kFontColoured, e.changeColours = 1, e.fontColour = font;
        return e;
    }
    void paintLabels(COLORREF text, COLORREF background) {
        ListView_SetTextColor(listView, text);
        ListView_SetTextBkColor(listView, background);
        g_setTextColour = 0;
    }
    // Text and background colour, and how often the text colour was set.
    std::tuple<COLORREF, COLORREF, int> labels() {
        return {ListView_GetTextColor(listView), ListView_GetTextBkColor(listView), g_setTextColour};
    }

    HWND progman = nullptr, defView = nullptr, listView = nullptr;
};

} // namespace

TEST_F(IconLabelsTest, OnlyOurLabelsGetTheirColourAndATransparentBackground) {
    paintLabels(RGB(0, 0, 0), RGB(0, 128, 128));
    RefreshIconLabels(coloured(RGB(255, 255, 0)));
    RefreshIconLabels(coloured(RGB(255, 255, 0))); // the timer's next call finds it in place
    EXPECT_EQ(labels(), std::make_tuple(RGB(255, 255, 0), kNone, 1));
    // White is set every time: a list view reports white before it was ever
    // told, so the transparent background must be checked too.
    paintLabels(RGB(255, 255, 255), RGB(0, 0, 128));
    RefreshIconLabels(coloured(RGB(255, 255, 255)));
    EXPECT_EQ(labels(), std::make_tuple(RGB(255, 255, 255), kNone, 1));
    // Left alone when not ours to colour.
    paintLabels(RGB(10, 20, 30), RGB(0, 128, 128));
    WallpaperEntry keep = coloured(RGB(255, 0, 0)), noColours = keep;
    keep.fontMode = kFontKeep, noColours.changeColours = 0;
    RefreshIconLabels(keep);
    RefreshIconLabels(noColours);
    setUserString(kDesktopKey, L"Wallpaper", u"C:\\windows\\jiná tapeta.bmp"); // someone else's wallpaper
    RefreshIconLabels(coloured(RGB(255, 0, 0)));
    EXPECT_EQ(labels(), std::make_tuple(RGB(10, 20, 30), RGB(0, 128, 128), 0));
    std::u16string upper = programFile(u"desktop.bmp"); // the comparison ignores case
    CharUpperW(reinterpret_cast<wchar_t*>(&upper[0]));
    setUserString(kDesktopKey, L"Wallpaper", upper);
    RefreshIconLabels(coloured(RGB(255, 0, 0)));
    EXPECT_EQ(std::get<0>(labels()), RGB(255, 0, 0));
}

TEST_F(IconLabelsTest, ApplyingAPictureSetsTheDesktopColourAndColoursTheLabelsAtOnce) {
    TempDir dir;
    WallpaperEntry e = coloured(RGB(255, 255, 0));
    plat::copyText(e.path, plat::kPathUnits, writeTemp(dir, pattern(40, 30, 24).file()).c_str());
    e.backgroundColour = RGB(0, 128, 255);
    paintLabels(RGB(0, 0, 0), RGB(0, 0, 80));
    ScriptedBoxes boxes({IDOK});
    ASSERT_EQ(ApplyWallpaper(e, 0), 1);
    EXPECT_EQ(std::make_pair(std::get<0>(labels()), std::get<1>(labels())), std::make_pair(RGB(255, 255, 0), kNone));
    // The colour for this session, the next logon and win.ini.
    EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(0, 128, 255));
    EXPECT_EQ(userString(L"Control Panel\\Colors", L"Background"), u"0 128 255");

    // With Active Desktop on, the COM object is asked first; where it is
    // missing the registry path takes over silently and labels stay.
    HWND browser = child(L"Internet Explorer_Server", defView);
    paintLabels(RGB(0, 0, 0), RGB(0, 0, 80));
    setUserString(kDesktopKey, L"WallpaperStyle", u"9");
    e.style = kStyleStretched;
    ASSERT_EQ(ApplyWallpaper(e, 0), 1);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(ComInitialized);
    EXPECT_EQ(userString(kDesktopKey, L"WallpaperStyle"), u"2");
    EXPECT_EQ(std::get<0>(labels()), RGB(0, 0, 0));
    DestroyWindow(browser);

    // Without changeColours neither the colour nor the labels change.
    e.changeColours = 0;
    e.backgroundColour = RGB(1, 2, 3);
    ASSERT_EQ(ApplyWallpaper(e, 0), 1);
    EXPECT_EQ(userString(L"Control Panel\\Colors", L"Background"), u"0 128 255");
    EXPECT_EQ(std::get<0>(labels()), RGB(0, 0, 0));
}

namespace {

void setLogoSaved(const DWORD* value) {
    setValue(HKEY_LOCAL_MACHINE, L"Software\\Vorsan\\Plochar 2.01", L"LogoSaved", REG_DWORD, value, sizeof(DWORD));
}
std::string contents(const std::u16string& path) {
    const Bytes bytes = readAll(path);
    return exists(path) ? std::string(bytes.begin(), bytes.end()) : "<removed>";
}

class StartupLogoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        plat::overrideOsVersion(&plat::kWindows98);
        char16_t logoBuffer[270], backupBuffer[270];
        ASSERT_TRUE(startupLogoPaths(logoBuffer, backupBuffer, 270));
        logo = logoBuffer, backup = backupBuffer;
        remove(logo), remove(backup);
    }
    void TearDown() override { plat::overrideOsVersion(nullptr), remove(logo), remove(backup), setLogoSaved(nullptr); }
    std::u16string logo, backup;
};

} // namespace

TEST_F(StartupLogoTest, LogoIsBuiltFromAPictureOfTheCollection) {
    TempDir dir;
    WallpaperCollection empty, gone, collection;
    EXPECT_EQ(BuildStartupLogo(empty), nullptr);
    EXPECT_FALSE(exists(logo));
    for (const char16_t* name : {u"a.bmp", u"b.bmp", u"c.bmp"}) {
        writeAll(dir.file(name), pattern(90, 60, 24).file());
        ASSERT_EQ(collection.addPath(dir.file(name).c_str()), AddOutcome::Added);
    }
    AppSettings = defaultSettings();
    AppSettings.fastLogo = 1;
    seedRandom(1);
    std::set<int32_t> used; // every picture gets its turn
    for (int i = 0; i < 12; ++i) {
        WallpaperEntry* entry = BuildStartupLogo(collection);
        ASSERT_NE(entry, nullptr);
        used.insert(collection.indexOf(entry));
        EXPECT_EQ(readAll(logo).size(), 129078u); // 320 x 400, 8 bits, 256 entries
    }
    EXPECT_EQ(used.size(), 3u);
    // A picture that vanished cannot be made into a logo.
    ASSERT_EQ(gone.addPath(dir.file(u"a.bmp").c_str()), AddOutcome::Added);
    remove(dir.file(u"a.bmp"));
    EXPECT_EQ(BuildStartupLogo(gone), nullptr);
}

TEST_F(StartupLogoTest, RestorePutsTheBackupBackOrRemovesTheLogo) {
    const DWORD saved = 1, noneFound = 2;
    const std::u16string question = text::kRestoreLogoQuestion, noBackup = text::kLogoBackupMissing;
    const std::u16string restored = text::kLogoRestored, maybe = text::kLogoMaybeRestored;
    const struct {
        const char* what;
        const DWORD* logoSaved;
        bool backupThere;
        const plat::OsVersion* os;
        std::vector<int> answers;
        std::vector<std::u16string> texts;
        const char* logoAfter;
    } cases[] = {
        {"No changes nothing", &saved, true, &plat::kWindows98, {IDNO}, {question}, "nové logo"},
        {"the backup is copied back and kept", &saved, true, &plat::kWindows98, {IDYES}, {question, restored},
         "původní logo"},
        {"not Windows 9x: nothing after the question", &saved, true, &plat::kWindowsXp, {IDYES}, {question},
         "nové logo"},
        {"backup vanished, No keeps the logo", nullptr, false, &plat::kWindows98, {IDYES, IDNO},
         {question, noBackup}, "nové logo"},
        {"backup vanished, Yes removes the logo", nullptr, false, &plat::kWindows98, {IDYES, IDYES},
         {question, noBackup, maybe}, "<removed>"},
        {"the first start found no logo: removed without asking again", &noneFound, false, &plat::kWindows98,
         {IDYES}, {question, maybe}, "<removed>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setLogoSaved(c.logoSaved);
        plat::overrideOsVersion(c.os);
        remove(backup);
        EXPECT_TRUE(!c.backupThere || testing_support::writeText(backup, "původní logo"));
        testing_support::writeText(logo, "nové logo");
        ScriptedBoxes boxes(c.answers);
        RestoreStartupLogo(nullptr);
        EXPECT_EQ(boxes.texts(), c.texts);
        EXPECT_EQ(boxes.boxes()[0].flags, uint32_t(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        EXPECT_EQ(contents(logo), c.logoAfter);
        EXPECT_EQ(contents(backup), c.backupThere ? "původní logo" : "<removed>");
    }
}
