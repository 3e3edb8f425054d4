// ApplyWallpaper against the real registry, files and system calls, and the
// cancel poll against a real message queue.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <string>

#include "app_core/app_state.h"
#include "desktop/apply_monitors.h"
#include "desktop/desktop.h"
#include "desktop/desktop_texts.h"
#include "desktop_test_support.h"
#include "image/bmp_file.h"
#include "image/jpeg_to_bmp.h"
#include "image/orient_picture.h"
#include "image/picture_loader.h"
#include "image/quantize.h"
#include "image/scale.h"
#include "platform/working_folder.h"
#include "settings/app_settings.h"

using namespace desktest;
namespace text = desk::text;

namespace {

const bool g_boxesGuarded = (plat::setMessageBoxHook(ScriptedBoxes::unexpected), true);
const plat::ScreenSize kScreen{1024, 768};
const int32_t kTrueColour = 32, kEightBits = 8;
using Texts = std::vector<std::u16string>;

std::u16string told(std::u16string format, const std::u16string& path) { return format.replace(format.find(u"%s"), 2, path); }

class ApplyWallpaperTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AppSettings = defaultSettings();
        AppSettings.autoStretch = 1, AppSettings.reduceColours = 1;
        plat::overrideScreenSize(&kScreen);
        plat::overrideOsVersion(&plat::kWindowsXp);
        plat::overrideDisplayBits(&kTrueColour);
        remove(shown), remove(temp);
    }
    void TearDown() override {
        plat::overrideScreenSize(nullptr), plat::overrideOsVersion(nullptr), plat::overrideDisplayBits(nullptr);
        AbortRequest = 0;
        EXPECT_FALSE(exists(temp)) << "the intermediate file must not outlive a call";
    }
    // The texts of the boxes shown while applying the picture at `path`.
    Texts apply(const std::u16string& path, int result, int allowAbort = 0, int32_t style = kStyleCentred) {
        ScriptedBoxes boxes;
        EXPECT_EQ(ApplyWallpaper(entryFor(path, style), allowAbort), result);
        return boxes.texts();
    }
    std::u16string bmp(uint16_t bits, int32_t w, int32_t h) { return writeTemp(dir, pattern(w, h, bits).file()); }
    TempDir dir;
    const std::u16string shown = programFile(u"desktop.bmp"), temp = programFile(u"~krok1.bmp");
};

} // namespace

TEST_F(ApplyWallpaperTest, EveryKindOfPictureIsShownWithItsRegistryValues) {
    // What desktop.bmp must hold: the source, its conversion, our stretch
    // keeping the aspect or not, our reduction of it, or any 8-bit picture.
    enum Expect { Copied, Converted, OurFit, OurStretch, OurReduction, EightBits };
    Dib core = dib(1, 1, 1, {0x80, 0, 0, 0}, {0, 0, 0, 255, 255, 255}); // 36 bytes in all
    core.headerSize = 12;
    // tiled: TileWallpaper and WallpaperStyle, one character each.
    struct Case {
        const char* what;
        std::u16string source;
        Expect expect;
        int32_t style = kStyleCentred;
        const char16_t* tiled = u"00";
        int32_t displayBits = 32, reduceColours = 1, autoStretch = 1;
        const plat::OsVersion* os = &plat::kWindowsXp;
    } cases[] = {
        {"JPEG 4:2:0", picture(u"small420.jpg"), Converted},
        {"progressive JPEG", picture(u"progressive.jpg"), Converted},
        {"grey JPEG", picture(u"grey.jpg"), Converted},
        {"8-bit BMP", bmp(8, 200, 150), Copied, kStyleTiled, u"10"},
        {"32-bit BMP", bmp(32, 200, 150), Copied, kStyleTiled, u"10"},
        {"1-bit core-header BMP", writeTemp(dir, core.file()), Copied},
        {"larger than the screen: fitted by us, centred", picture(u"large420.jpg"), OurFit, kStyleTiled},
        {"larger, option off: as it is", picture(u"large420.jpg"), Converted, kStyleTiled, u"10", 32, 1, 0},
        {"stretched by the system", bmp(24, 100, 50), Copied, kStyleStretched, u"02"},
        {"proportional: fills the width", bmp(24, 100, 50), OurFit, kStyleStretchedProportionally},
        {"Windows 95: we stretch", bmp(24, 100, 50), OurStretch, kStyleStretched, u"00", 32, 1, 1, &plat::kWindows95},
        {"8-bit display reduces a 24-bit BMP", bmp(24, 120, 90), OurReduction, kStyleCentred, u"00", 8},
        {"8-bit display keeps an 8-bit BMP", bmp(8, 120, 90), Copied, kStyleCentred, u"00", 8},
        {"8-bit display reduces a colour JPEG", picture(u"small420.jpg"), EightBits, kStyleCentred, u"00", 8},
        {"8-bit display keeps a grey JPEG", picture(u"grey.jpg"), Converted, kStyleCentred, u"00", 8},
        {"8-bit display, option off", bmp(24, 120, 90), Copied, kStyleCentred, u"00", 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plat::overrideOsVersion(c.os);
        plat::overrideDisplayBits(&c.displayBits);
        AppSettings.autoStretch = c.autoStretch, AppSettings.reduceColours = c.reduceColours;
        // A read-only picture must not leave a read-only desktop.bmp behind.
        SetFileAttributesW(W(c.source), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(apply(c.source, 1, 0, c.style), Texts());
        SetFileAttributesW(W(c.source), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(GetFileAttributesW(W(shown)) & FILE_ATTRIBUTE_READONLY, 0u);
        EXPECT_EQ(lstrcmpiW(W(userString(kDesktopKey, L"Wallpaper")), W(shown)), 0) << "Wallpaper names desktop.bmp";
        EXPECT_EQ(userString(kDesktopKey, L"TileWallpaper") + userString(kDesktopKey, L"WallpaperStyle"), c.tiled);

        std::u16string expected = dir.file(u"expected.bmp"), copy = dir.file(u"kopie.bmp");
        int32_t w = kScreen.width, h = kScreen.height, flag = 0;
        const bool made =
            c.expect == Converted ? convertJpeg(nullptr, c.source.c_str(), expected.c_str(), &flag, nullptr) == 1
            : c.expect == OurFit || c.expect == OurStretch
                ? scaleToFile(entryFor(c.source, 0), expected.c_str(), &w, &h, c.expect == OurFit, 0) == 0
                : c.expect != OurReduction ||
                      (CopyFileW(W(c.source), W(copy), FALSE) &&
                       quantizeTo256(entryFor(c.source, 0), copy.c_str(), expected.c_str(), 0, PackedDib(), nullptr) == 1);
        ASSERT_TRUE(made);
        const Bytes got = readAll(shown);
        EXPECT_EQ(got, readAll(c.expect == Copied ? c.source : c.expect == EightBits ? shown : expected));
        EXPECT_TRUE(c.expect != EightBits || got.at(28) == 8);
    }
}

TEST_F(ApplyWallpaperTest, PhotosAreShownUprightUnlessTheOptionIsOff) {
    // Stored sideways: a small photo is converted turned; one that fits the
    // screen only as stored (1000 x 700) is fitted by its upright size.
    const std::u16string expected = dir.file(u"expected.bmp");
    for (const char16_t* name : {u"small420.jpg", u"wide1000x700.jpg"})
        for (int32_t upright : {0, 1}) {
            ExtraSettings.uprightPhotos = upright;
            EXPECT_EQ(apply(writeTemp(dir, withOrientation(readAll(picture(name)), 6), u".jpg"), 1), Texts());
            PackedDib whole; // decoded as stored, turned whole, fitted here
            DibLayout l;
            ScaledPicture scaled;
            ASSERT_TRUE(loadPicture(picture(name).c_str(), 0, &whole) == LoadResult::Loaded &&
                        orientToUpright(whole, upright ? 6 : 1) && locateDib(whole, &l));
            const bool fit = l.rows > kScreen.height;
            ASSERT_EQ(scalePicture(whole, fit ? 537 : l.width, fit ? 768 : l.rows, 0, &scaled), 0);
            EXPECT_EQ(readAll(shown), (scaled.write(expected.c_str()), readAll(expected))) << upright;
        }
}

TEST_F(ApplyWallpaperTest, UnusablePicturesAreReportedAndChangeNothing) {
    EXPECT_EQ(apply(bmp(24, 32, 32), 1), Texts());
    const Bytes previous = readAll(shown);
    // BMP headers that do not describe the file are refused before a copy.
    auto broken = [&](size_t at, uint32_t value, int bytes = 4) {
        Bytes b = pattern(20, 10, 24).file();
        for (int i = 0; i < bytes; ++i)
            b[at + i] = uint8_t(value >> (8 * i));
        return writeTemp(dir, b);
    };
    const std::pair<std::u16string, const char16_t*> cases[] = {
        {dir.file(u"chybí.jpg"), text::kPictureNotFound}, {picture(u"not-a-picture.bmp"), text::kPictureUnreadable},
        {picture(u"damaged-header.jpg"), text::kPictureUnreadable}, {picture(u"damaged-data.jpg"), text::kJpegFailed},
        {broken(2, 5000), text::kPictureUnreadable},  // bfSize past the end
        {broken(10, 4000), text::kPictureUnreadable}, // bfOffBits past the end
        {broken(14, 16), text::kPictureUnreadable},   // header size
        {broken(18, 5000), text::kPictureUnreadable}, // width beyond the pixels
        {broken(18, 0), text::kPictureUnreadable},    // no width
        {broken(28, 0, 2), text::kPictureUnreadable}, // bit count
    };
    for (const auto& [path, format] : cases) {
        EXPECT_EQ(apply(path, 0, 1), Texts{told(format, path)});
        EXPECT_EQ(readAll(shown), previous);
    }
}

TEST_F(ApplyWallpaperTest, CancelPopupStopsEveryLongStep) {
    const std::u16string small = bmp(24, 64, 64);
    // Only the final check (a cancel after the move leaves no desktop.bmp);
    // the conversion; our stretch.
    for (const std::u16string& path : {small, picture(u"small420.jpg"), picture(u"large420.jpg")}) {
        AbortRequest = 1;
        EXPECT_EQ(apply(path, 2), Texts());
        EXPECT_FALSE(exists(temp) || (path == small && exists(shown)));
    }
    // On a 256-colour display the reduction can be cancelled too, here by
    // an Esc key press waiting in the queue (the Test button's way).
    plat::overrideDisplayBits(&kEightBits);
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0));
    EXPECT_EQ(apply(small, 2, 1), Texts());
    EXPECT_FALSE(exists(shown));
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST_F(ApplyWallpaperTest, RegistryThatCannotBeOpenedIsReported) {
    // HKEY_CURRENT_USER pointed at an empty key of our own lacks
    // "Control Panel\Desktop", just as when access is denied.
    const wchar_t scratchKey[] = L"Software\\Vorsan\\PlocharTestScratch";
    HKEY scratch = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch, nullptr),
              ERROR_SUCCESS);
    const std::u16string path = bmp(24, 16, 16);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, scratch), ERROR_SUCCESS);
    const Texts texts = apply(path, 0);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(scratch);
    RegDeleteKeyW(HKEY_CURRENT_USER, scratchKey);
    EXPECT_EQ(texts, Texts{text::kRegistryFailed});
    EXPECT_FALSE(exists(shown));
}

TEST_F(ApplyWallpaperTest, FoldersAndFilesThatCannotBeWrittenAreReported) {
    // A folder in the way of "desktop.bmp" (the last step cannot replace it)
    // or of "~krok1.bmp" (the copy of a BMP cannot be made).
    for (const std::u16string& blocked : {shown, temp}) {
        ASSERT_TRUE(CreateDirectoryW(W(blocked), nullptr));
        const Texts texts = apply(bmp(24, 16, 16), 0);
        RemoveDirectoryW(W(blocked));
        EXPECT_EQ(texts, Texts{told(text::kFileNotWritten, blocked)});
    }

    // A program folder nobody may write in (even root cannot make a folder
    // inside a file): the user's own folder takes over.
    const std::u16string blocker = dir.file(u"soubor"), local = dir.file(u"místní"), ours = local + u"\\Plochar\\";
    testing_support::writeText(blocker, "x");
    wchar_t saved[plat::kPathUnits] = {};
    const bool hadLocal = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, plat::kPathUnits) != 0;
    plat::overrideProgramFolder((blocker + u"\\").c_str());
    ASSERT_TRUE(CreateDirectoryW(W(local), nullptr));
    SetEnvironmentVariableW(L"LOCALAPPDATA", W(local));
    for (const std::u16string& source : {picture(u"small420.jpg"), bmp(24, 16, 16)}) {
        EXPECT_EQ(apply(source, 1), Texts());
        EXPECT_TRUE(exists(ours + u"desktop.bmp") && !exists(ours + u"~krok1.bmp"));
        EXPECT_EQ(lstrcmpiW(W(userString(kDesktopKey, L"Wallpaper")), W(ours + u"desktop.bmp")), 0);
    }
    // Neither can be written: the folder is named.
    SetEnvironmentVariableW(L"LOCALAPPDATA", W(blocker));
    plat::overrideProgramFolder((blocker + u"\\").c_str());
    EXPECT_EQ(apply(bmp(24, 16, 16), 0), Texts{told(text::kFolderNotWritable, blocker + u"\\Plochar")});
    SetEnvironmentVariableW(L"LOCALAPPDATA", hadLocal ? saved : nullptr);
    plat::overrideProgramFolder(nullptr);
}

namespace {

// Pixel (x, y) from the top of a 24-bit BMP file, as 0xRRGGBB.
uint32_t bmpPixel(const Bytes& f, int32_t x, int32_t y) {
    const int32_t w = int32_t(readLe32(&f[18])), h = int32_t(readLe32(&f[22]));
    const size_t at = readLe32(&f[10]) + size_t(h - 1 - y) * ((w * 3 + 3) & ~3) + 3 * size_t(x);
    return f.at(at) | f.at(at + 1) << 8 | uint32_t(f.at(at + 2)) << 16;
}

} // namespace

TEST_F(ApplyWallpaperTest, SeveralMonitorsShareOneTiledPictureStartingAtThePrimary) {
    // The picture as one monitor of each size shows it (centred by the system).
    const std::u16string source = bmp(24, 100, 50);
    const plat::ScreenSize sizes[] = {{64, 48}, {32, 24}};
    Bytes single[2];
    for (int i = 0; i < 2; ++i) {
        plat::overrideScreenSize(&sizes[i]);
        apply(source, 1, 0, kStyleStretchedProportionally);
        single[i] = readAll(shown);
    }
    // The second monitor left of and above the primary.
    const desk::MonitorRect monitors[] = {{0, 0, 64, 48, true}, {-32, -8, 0, 16, false}};
    overrideMonitors(monitors, 2);
    EXPECT_EQ(apply(source, 1, 0, kStyleStretchedProportionally), Texts());
    overrideMonitors(nullptr, 0);
    EXPECT_EQ(userString(kDesktopKey, L"TileWallpaper") + userString(kDesktopKey, L"WallpaperStyle"), u"10");
    const Bytes got = readAll(shown);
    ASSERT_GT(got.size(), 54u);
    ASSERT_EQ(readLe32(&got[18]), 96u);
    ASSERT_EQ(readLe32(&got[22]), 56u);
    const uint32_t c = GetSysColor(COLOR_BACKGROUND);
    const uint32_t background = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
    int wrong = 0;
    for (int i = 0; i < 2; ++i) {
        const int32_t pw = int32_t(readLe32(&single[i][18])), ph = int32_t(readLe32(&single[i][22]));
        const int32_t px = (sizes[i].width - pw) / 2, py = (sizes[i].height - ph) / 2;
        for (int32_t y = 0; y < sizes[i].height; ++y)
            for (int32_t x = 0; x < sizes[i].width; ++x) {
                // Tiled from the primary's top-left: virtual (x, y) is pixel (x mod 96, y mod 56).
                const int32_t vx = monitors[i].left + x, vy = monitors[i].top + y;
                const bool inside = x >= px && x < px + pw && y >= py && y < py + ph;
                const uint32_t expected = inside ? bmpPixel(single[i], x - px, y - py) : background;
                wrong += bmpPixel(got, (vx + 96) % 96, (vy + 56) % 56) != expected;
            }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(ApplyWallpaperTest, FurtherMonitorsShowTheNextPicturesOfTheCollection) {
    // Three pictures, the current one last: the monitor right of the primary
    // takes the first again (round the end), the one beyond it the second.
    const std::u16string sources[] = {bmp(24, 32, 24), bmp(24, 16, 12), bmp(24, 8, 6)};
    ActiveCollection.clear();
    for (const auto& path : sources)
        ASSERT_EQ(ActiveCollection.addPath(path.c_str()), AddOutcome::Added);
    const desk::MonitorRect monitors[] = {{0, 0, 32, 24, true}, {64, 0, 96, 24, false}, {32, 0, 64, 24, false}};
    overrideMonitors(monitors, 3);
    ExtraSettings.nextPicturePerMonitor = 1;
    EXPECT_EQ(apply(sources[2], 1), Texts());
    ExtraSettings.nextPicturePerMonitor = 0;
    overrideMonitors(nullptr, 0);
    ActiveCollection.clear();
    const Bytes got = readAll(shown);
    ASSERT_EQ(readLe32(&got[18]), 96u);
    // Each picture centred on its monitor, as the system centres it on one screen.
    const std::pair<int, int32_t> shownOn[] = {{2, 0}, {0, 32}, {1, 64}}; // picture, monitor's left
    for (const auto& [picture, left] : shownOn) {
        const Bytes source = readAll(sources[picture]);
        const int32_t w = int32_t(readLe32(&source[18])), h = int32_t(readLe32(&source[22]));
        int wrong = 0;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                wrong += bmpPixel(got, left + (32 - w) / 2 + x, (24 - h) / 2 + y) != bmpPixel(source, x, y);
        EXPECT_EQ(wrong, 0) << "picture " << picture;
    }
}

namespace {

// Windows 8's per-monitor wallpaper object, in the order of its interface
// (IDesktopWallpaper), played here: Wine has none.
struct DesktopWallpaperMethods : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitorId, LPCWSTR wallpaper) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitorId, LPWSTR* wallpaper) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* monitorId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitorId, RECT* rect) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPosition(int position) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(int* position) = 0;
};
const CLSID kClsidDesktopWallpaper = {0xC2CF3110, 0x460E, 0x4FC1, {0xB9, 0xD0, 0x8A, 0x1C, 0x0C, 0x9C, 0xC4, 0xBD}};
const IID kIidDesktopWallpaper = {0xB92B56A9, 0x8B55, 0x4E14, {0x9A, 0x89, 0x01, 0x99, 0xBB, 0xB6, 0xF9, 0x3B}};

struct FakeDesktopWallpaper : DesktopWallpaperMethods {
    struct Monitor {
        std::wstring id;
        RECT rect;
    };
    std::vector<Monitor> monitors;
    std::vector<std::pair<std::wstring, std::wstring>> shown; // monitor, file
    int position = -1;
    COLORREF colour = CLR_INVALID;
    HRESULT setResult = S_OK;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == kIidDesktopWallpaper || iid == IID_IUnknown ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR id, LPCWSTR file) override {
        shown.emplace_back(id, file);
        return setResult;
    }
    HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR, LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* id) override {
        if (index >= monitors.size())
            return E_INVALIDARG;
        const std::wstring& name = monitors[index].id;
        *id = static_cast<LPWSTR>(CoTaskMemAlloc((name.size() + 1) * sizeof(wchar_t)));
        lstrcpyW(*id, name.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) override {
        *count = UINT(monitors.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR id, RECT* rect) override {
        for (const Monitor& m : monitors)
            if (m.id == id)
                return *rect = m.rect, S_OK;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF c) override { return colour = c, S_OK; }
    HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPosition(int p) override { return position = p, S_OK; }
    HRESULT STDMETHODCALLTYPE GetPosition(int*) override { return E_NOTIMPL; }
};

struct FakeFactory : IClassFactory {
    FakeDesktopWallpaper* made;
    explicit FakeFactory(FakeDesktopWallpaper* object) : made(object) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IClassFactory || iid == IID_IUnknown ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override {
        return made->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

TEST_F(ApplyWallpaperTest, WindowsEightGivesEveryMonitorItsOwnFile) {
    // Three pictures, the current one first; the monitors listed left, primary, right.
    const std::u16string sources[] = {bmp(24, 100, 50), bmp(24, 40, 60), bmp(24, 30, 30)};
    const plat::ScreenSize sizes[] = {{32, 24}, {64, 48}, {16, 12}};
    const desk::MonitorRect rects[] = {{-32, -8, 0, 16, false}, {0, 0, 64, 48, true}, {64, 0, 80, 12, false}};
    const std::u16string files[] = {programFile(u"desktop-2.bmp"), shown, programFile(u"desktop-3.bmp")};
    const int pictureOn[] = {1, 0, 2}; // with the next picture per monitor
    // What a single monitor of each size shows of each picture (centred by the system).
    Bytes single[3][3];
    for (int m = 0; m < 3; ++m)
        for (int p = 0; p < 3; ++p) {
            plat::overrideScreenSize(&sizes[m]);
            apply(sources[p], 1, 0, kStyleStretchedProportionally);
            single[m][p] = readAll(shown);
        }
    plat::overrideScreenSize(&kScreen);
    ActiveCollection.clear();
    for (const auto& path : sources)
        ASSERT_EQ(ActiveCollection.addPath(path.c_str()), AddOutcome::Added);

    FakeDesktopWallpaper fake;
    FakeFactory factory(&fake);
    for (int m = 0; m < 3; ++m)
        fake.monitors.push_back({L"\\\\?\\DISPLAY#Fake#" + std::to_wstring(m),
                                 RECT{rects[m].left, rects[m].top, rects[m].right, rects[m].bottom}});
    struct Registered { // undone however the test ends
        HRESULT com = CoInitialize(nullptr);
        DWORD cookie = 0;
        ~Registered() {
            CoRevokeClassObject(cookie);
            if (SUCCEEDED(com))
                CoUninitialize();
            overrideMonitors(nullptr, 0);
            ExtraSettings.nextPicturePerMonitor = 0;
            ActiveCollection.clear();
        }
    } registered;
    ASSERT_EQ(CoRegisterClassObject(kClsidDesktopWallpaper, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &registered.cookie),
              S_OK);
    overrideMonitors(rects, 3);
    const uint32_t c = GetSysColor(COLOR_BACKGROUND);
    const uint32_t background = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
    for (int next : {0, 1}) {
        SCOPED_TRACE(next ? "next picture per monitor" : "one picture");
        ExtraSettings.nextPicturePerMonitor = next;
        fake.shown.clear();
        EXPECT_EQ(apply(sources[0], 1, 0, kStyleStretchedProportionally), Texts());
        EXPECT_EQ(fake.position, 0) << "centred: our files are fitted already";
        EXPECT_EQ(fake.colour, c);
        ASSERT_EQ(fake.shown.size(), 3u);
        for (int m = 0; m < 3; ++m) {
            EXPECT_EQ(fake.shown[m], std::make_pair(fake.monitors[m].id, std::wstring(W(files[m]))));
            const Bytes got = readAll(files[m]), &one = single[m][next ? pictureOn[m] : 0];
            ASSERT_GT(got.size(), 54u);
            ASSERT_EQ(readLe32(&got[18]), uint32_t(sizes[m].width));
            ASSERT_EQ(readLe32(&got[22]), uint32_t(sizes[m].height));
            const int32_t pw = int32_t(readLe32(&one[18])), ph = int32_t(readLe32(&one[22]));
            const int32_t px = (sizes[m].width - pw) / 2, py = (sizes[m].height - ph) / 2;
            int wrong = 0;
            for (int32_t y = 0; y < sizes[m].height; ++y)
                for (int32_t x = 0; x < sizes[m].width; ++x) {
                    const bool inside = x >= px && x < px + pw && y >= py && y < py + ph;
                    wrong += bmpPixel(got, x, y) != (inside ? bmpPixel(one, x - px, y - py) : background);
                }
            EXPECT_EQ(wrong, 0) << "monitor " << m;
        }
    }
    // An object that cannot show them: one tiled bitmap over all monitors.
    fake.setResult = E_FAIL;
    EXPECT_EQ(apply(sources[0], 1, 0, kStyleStretchedProportionally), Texts());
    EXPECT_EQ(userString(kDesktopKey, L"TileWallpaper") + userString(kDesktopKey, L"WallpaperStyle"), u"10");
    const Bytes composed = readAll(shown);
    ASSERT_GT(composed.size(), 54u);
    EXPECT_EQ(readLe32(&composed[18]), 112u);
    EXPECT_EQ(readLe32(&composed[22]), 56u);
    remove(files[0]), remove(files[2]);
}

TEST(Win32CheckUserAbort, PendingMessagesCancelAsLongAsTheyWait) {
    const struct {
        const char* what;
        UINT message[2];
        WPARAM wParam[2];
        int withInput, unattended;
    } cases[] = {
        {"nothing pending", {0, 0}, {0, 0}, 0, 0},
        {"Escape (keys only with input allowed)", {WM_KEYDOWN, 0}, {VK_ESCAPE, 0}, 1, 0},
        {"another key first hides Escape", {WM_KEYDOWN, WM_KEYDOWN}, {'A', VK_ESCAPE}, 0, 0},
        {"click", {WM_LBUTTONDOWN, 0}, {0, 0}, 1, 0},
        {"click on the frame", {WM_NCLBUTTONDOWN, 0}, {0, 0}, 1, 0},
        {"close request", {WM_CLOSE, 0}, {0, 0}, 1, 1},
        {"end of session", {WM_ENDSESSION, 0}, {0, 0}, 1, 1},
    };
    MSG msg;
    for (const auto& c : cases) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) { // also gives the thread a queue
        }
        for (int i = 0; i < 2 && c.message[i]; ++i)
            ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), c.message[i], c.wParam[i], 0)) << c.what;
        // Polling removes nothing: the answer stays until the queue is emptied.
        EXPECT_EQ(CheckUserAbort(1), c.withInput) << c.what;
        EXPECT_EQ(CheckUserAbort(0), c.unattended) << c.what;
        EXPECT_EQ(CheckUserAbort(1), c.withInput) << c.what;
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}
