// Several monitors. Windows 7 and older show one wallpaper for all monitors:
// a tiled one is drawn across them all, repeated from the primary monitor's
// top-left corner and wrapping round to the monitors left of and above it
// (users of spanning wallpapers describe it so: "Windows starts drawing the
// image in the top left of the primary display then wraps to the other
// displays", B. Brabson, "Windows 7 dual monitor wallpaper tiles in the
// wrong direction", 2012; Maximum PC, "multimon-friendly wallpaper", 2007).
// There we compose one bitmap of the virtual screen and rotate it to that
// origin. Windows 8 on takes a file per monitor through IDesktopWallpaper.
#include "desktop/apply_monitors.h"

#include <windows.h>

#include <objbase.h>

#include "app_core/app_state.h"
#include "app_core/format_text.h"
#include "collection/wallpaper_collection.h"
#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "desktop/desktop_texts.h"
#include "image/compose.h"
#include "image/picture_rows.h"
#include "image/scale.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "platform/win_layer.h"
#include "settings/app_settings.h"

// IDesktopWallpaper of Windows 8, declared here: older SDK headers lack it.
// Only the methods used are called; the order is the interface's. Outside
// the unnamed namespace: there, with no class of ours implementing it, GCC
// takes every call through it for unreachable and drops it.
struct DesktopWallpaper : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitorId, LPCWSTR wallpaper) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitorId, LPWSTR* wallpaper) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* monitorId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitorId, RECT* rect) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPosition(int position) = 0;
};

namespace {

enum { kPositionCentre = 0 }; // DWPOS_CENTER
const CLSID kClsidDesktopWallpaper = {0xC2CF3110, 0x460E, 0x4FC1, {0xB9, 0xD0, 0x8A, 0x1C, 0x0C, 0x9C, 0xC4, 0xBD}};
const IID kIidDesktopWallpaper = {0xB92B56A9, 0x8B55, 0x4E14, {0x9A, 0x89, 0x01, 0x99, 0xBB, 0xB6, 0xF9, 0x3B}};

bool g_overridden = false;
std::vector<desk::MonitorRect> g_pretended;

void tell(const char16_t* format, const char16_t* path) {
    char16_t message[plat::kPathUnits + 200];
    formatText(message, sizeof message / sizeof message[0], format, FormatArg(path));
    plat::messageBox(nullptr, message, desk::text::kCaption, MB_ICONERROR);
}

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    // Present from Windows 98 and 2000 on, as EnumDisplayMonitors. MONITORINFO
    // holds no text, so the ANSI function serves every system.
    using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    static const GetMonitorInfoFn info = win::systemFunction<GetMonitorInfoFn>("user32.dll", "GetMonitorInfoA");
    MONITORINFO mi;
    mi.cbSize = sizeof mi;
    if (info && info(monitor, &mi)) {
        desk::MonitorRect m{mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom,
                            (mi.dwFlags & MONITORINFOF_PRIMARY) != 0};
        reinterpret_cast<std::vector<desk::MonitorRect>*>(list)->push_back(m);
    }
    return TRUE;
}

// The entry `offset` places after the current one in the collection, round
// its end; the current one when it is not in the collection.
WallpaperEntry entryAfter(const WallpaperEntry& current, int32_t offset) {
    WallpaperEntry* e = offset > 0 ? ActiveCollection.findByPath(current.path) : nullptr;
    if (!e)
        return current;
    for (int32_t k = 0; k < offset; ++k) {
        e = ActiveCollection.nextOf(e);
        if (!e)
            e = ActiveCollection.first();
    }
    return *e;
}

// The picture's size as it is shown: a photo turned upright by a quarter
// (orientations 5 to 8) swaps its width and height.
bool pictureSize(const WallpaperEntry& entry, int32_t* w, int32_t* h) {
    PictureRows rows;
    rows.openFile(entry.path, 0);
    const bool quarterTurn = ExtraSettings.uprightPhotos && rows.orientation() >= 5 && rows.orientation() <= 8;
    *w = quarterTurn ? rows.layout().rows : rows.layout().width;
    *h = quarterTurn ? rows.layout().width : rows.layout().rows;
    return rows.ready() && *w > 0 && *h > 0;
}

// What each monitor shows: its entry and the placement for its size.
struct MonitorPlan {
    std::vector<WallpaperEntry> entries;
    std::vector<desk::Placement> placements;
};

bool planMonitors(const WallpaperEntry& current, const std::vector<desk::MonitorRect>& monitors, MonitorPlan* plan) {
    std::vector<int32_t> offsets(monitors.size());
    pictureOffsets(monitors.data(), monitors.size(), ExtraSettings.nextPicturePerMonitor != 0, offsets.data());
    int32_t currentW = 0, currentH = 0;
    if (!pictureSize(current, &currentW, &currentH)) {
        tell(desk::text::kPictureUnreadable, current.path);
        return false;
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        WallpaperEntry entry = entryAfter(current, offsets[i]);
        int32_t w = currentW, h = currentH;
        // A further picture that cannot be read leaves its monitor the current one.
        if (offsets[i] != 0 && !pictureSize(entry, &w, &h)) {
            entry = current;
            w = currentW, h = currentH;
        }
        const desk::MonitorRect& m = monitors[i];
        desk::StyleDecision decision = desk::effectiveStyle(entry.style, AppSettings.autoStretch,
                                                            plat::ScreenSize{m.width(), m.height()}, w, h,
                                                            plat::osVersion());
        plan->placements.push_back(desk::placePicture(decision, m.width(), m.height(), w, h));
        plan->entries.push_back(entry);
    }
    return true;
}

uint32_t backgroundColour(const WallpaperEntry& entry) {
    return entry.changeColours ? entry.backgroundColour : GetSysColor(COLOR_BACKGROUND);
}

// Composes the monitors (rotated for tiling when asked) into path.
int composeToFile(const std::vector<desk::MonitorRect>& monitors, const MonitorPlan& plan, size_t first,
                  uint32_t colour, bool forTiling, const char16_t* path, int allowAbort) {
    ScaledPicture composed;
    int r = composeMonitors(
        monitors.data(), plan.placements.data() + first, monitors.size(), colour, forTiling,
        [&](size_t i, int32_t w, int32_t h, PackedDib* out) {
            SampledPicture s = readSampledPicture(plan.entries[first + i].path, w, h, allowAbort,
                                                   ExtraSettings.uprightPhotos);
            *out = std::move(s.dib);
            return s.cancelled ? 2 : (*out ? 0 : 1);
        },
        &composed);
    if (r == 1)
        tell(desk::text::kStretchFailed, plan.entries[first].path);
    if (r != 0)
        return r == 2 ? kApplyCancelled : kApplyFailed;
    if (!composed.write(path)) {
        tell(desk::text::kFileNotWritten, path);
        return kApplyFailed;
    }
    return kApplied;
}

// Windows 8 on: a file per monitor. kOneMonitor when the system has no
// per-monitor wallpaper (Windows 7 and older, Wine).
int applyPerMonitor(const WallpaperEntry& entry, const char16_t* primaryPath, const char16_t* temp, int allowAbort) {
    if (!ensureComInitialized())
        return kOneMonitor;
    DesktopWallpaper* wallpaper = nullptr;
    if (FAILED(CoCreateInstance(kClsidDesktopWallpaper, nullptr, CLSCTX_ALL, kIidDesktopWallpaper,
                                reinterpret_cast<void**>(&wallpaper))) ||
        !wallpaper)
        return kOneMonitor;
    std::vector<desk::MonitorRect> monitors;
    std::vector<LPWSTR> ids;
    UINT count = 0;
    if (FAILED(wallpaper->GetMonitorDevicePathCount(&count)))
        count = 0;
    for (UINT i = 0; i < count; ++i) {
        LPWSTR id = nullptr;
        RECT r;
        // A monitor that is known but not attached has no rectangle.
        if (FAILED(wallpaper->GetMonitorDevicePathAt(i, &id)) || !id)
            continue;
        if (FAILED(wallpaper->GetMonitorRECT(id, &r)) || r.right <= r.left || r.bottom <= r.top) {
            CoTaskMemFree(id);
            continue;
        }
        monitors.push_back({r.left, r.top, r.right, r.bottom, r.left == 0 && r.top == 0});
        ids.push_back(id);
    }
    int result = kOneMonitor;
    MonitorPlan plan;
    if (!monitors.empty() && planMonitors(entry, monitors, &plan)) {
        const uint32_t colour = backgroundColour(entry);
        wallpaper->SetPosition(kPositionCentre); // our files are fitted already
        wallpaper->SetBackgroundColor(colour);
        int further = 1;
        result = kShownPerMonitor;
        for (size_t i = 0; i < monitors.size() && result == kShownPerMonitor; ++i) {
            desk::MonitorRect own = monitors[i];
            own.right -= own.left, own.bottom -= own.top, own.left = own.top = 0;
            std::vector<desk::MonitorRect> one(1, own);
            // desktop.bmp for the primary, desktop-2.bmp ... beside it.
            char16_t shown[plat::kPathUnits];
            plat::copyText(shown, plat::kPathUnits, primaryPath);
            if (!own.primary) {
                ++further;
                char16_t suffix[16];
                formatText(suffix, 16, u"-%i.bmp", FormatArg(further));
                size_t length = plat::textLength(shown);
                shown[length > 4 ? length - 4 : 0] = 0;
                plat::appendText(shown, plat::kPathUnits, suffix);
            }
            int r = composeToFile(one, plan, i, colour, false, temp, allowAbort);
            if (r == kApplied) {
                // Written beside and moved over, so a failed write keeps the old file.
                plat::deleteFile(shown);
                if (!plat::moveFile(temp, shown)) {
                    plat::deleteFile(temp);
                    tell(desk::text::kFileNotWritten, shown);
                    r = kApplyFailed;
                }
            }
            if (r != kApplied)
                result = r;
            else if (FAILED(wallpaper->SetWallpaper(ids[i], reinterpret_cast<const wchar_t*>(shown))))
                result = kOneMonitor; // an interface without the service: one tiled bitmap instead
        }
    } else if (!monitors.empty()) {
        result = kApplyFailed;
    }
    for (LPWSTR id : ids)
        CoTaskMemFree(id);
    wallpaper->Release();
    return result;
}

} // namespace

std::vector<desk::MonitorRect> listMonitors() {
    if (g_overridden)
        return g_pretended;
    std::vector<desk::MonitorRect> monitors;
    using EnumDisplayMonitorsFn = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
    static const EnumDisplayMonitorsFn enumerate =
        win::systemFunction<EnumDisplayMonitorsFn>("user32.dll", "EnumDisplayMonitors");
    if (enumerate)
        enumerate(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        plat::ScreenSize screen = plat::screenSize();
        monitors.push_back({0, 0, screen.width, screen.height, true});
    }
    return monitors;
}

int32_t MonitorCount() { return static_cast<int32_t>(listMonitors().size()); }

void overrideMonitors(const desk::MonitorRect* monitors, size_t count) {
    g_overridden = monitors != nullptr;
    g_pretended.assign(monitors, monitors + (monitors ? count : 0));
}

int applyToMonitors(const WallpaperEntry& entry, const char16_t* primaryPath, const char16_t* temp, int32_t* style,
                    int allowAbort) {
    std::vector<desk::MonitorRect> monitors = listMonitors();
    if (monitors.size() < 2)
        return kOneMonitor;
    // The per-monitor object names the monitors itself; without it (Windows
    // 7 and older) one bitmap is composed over the monitors listed here.
    int shown = applyPerMonitor(entry, primaryPath, temp, allowAbort);
    if (shown != kOneMonitor)
        return shown;
    MonitorPlan plan;
    if (!planMonitors(entry, monitors, &plan))
        return kApplyFailed;
    int r = composeToFile(monitors, plan, 0, backgroundColour(entry), true, temp, allowAbort);
    if (r == kApplied)
        *style = desk::kTiled;
    return r;
}
