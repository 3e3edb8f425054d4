// Putting one picture on the desktop. Every picture reaches the system as our
// own "desktop.bmp" in the working folder (next to the program where it may
// write), whatever its format and whatever the Windows version, so that
// every system can show it.
#include <windows.h>
#include "platform/win_system.h"

#include "app_core/format_text.h"
#include "desktop/apply_monitors.h"
#include "desktop/desktop.h"
#include "desktop/desktop_shell.h"
#include "desktop/desktop_texts.h"
#include "desktop_core/desktop_rules.h"
#include "image/bmp_file.h"
#include "image/file_source.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg_to_bmp.h"
#include "image/quantize.h"
#include "image/scale.h"
#include "platform/cancel.h"
#include "platform/cpu.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "platform/win_windows.h"
#include "platform/working_folder.h"
#include "settings/app_settings.h"

namespace {

const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// Shows one of this component's messages about a picture, file or folder.
void tell(const char16_t* format, const char16_t* path, uint32_t icon) {
    char16_t message[plat::kPathUnits + 200];
    formatText(message, sizeof message / sizeof message[0], format, FormatArg(path));
    plat::messageBox(nullptr, message, desk::text::kCaption, icon);
}

// A photo shown upright counts by its upright size: the screen it is fitted to
// and the automatic stretch judge the picture that will be seen.
desk::PictureFacts jpegFacts(plat::FileHandle file) {
    desk::PictureFacts facts;
    facts.jpeg = true;
    FileSource source;
    if (!source.attachHandle(file))
        return facts;
    JpegDecoder decoder(&source, HasMmx != 0);
    if (decoder.errorCode() == 0 && decoder.begin() == 0) {
        const bool sideways = ExtraSettings.uprightPhotos && decoder.orientation() >= 5;
        facts.width = sideways ? decoder.height() : decoder.width();
        facts.height = sideways ? decoder.width() : decoder.height();
        facts.bitsPerPixel = decoder.componentCount() == 3 ? 24 : 8;
    }
    return facts; // the source lets go of the borrowed handle
}

// Size and depth from the picture's header; all zero when unrecognised.
desk::PictureFacts readPictureFacts(plat::FileHandle file) {
    desk::PictureFacts facts;
    uint8_t magic[3];
    uint32_t got = 0;
    if (!plat::seekTo(file, 0) || !plat::readBytes(file, magic, 3, &got))
        got = 0;
    plat::seekTo(file, 0);
    switch (desk::pictureKind(magic, got)) {
    case desk::PictureKind::Bmp: {
        // Checked as the pipeline reads it: a file it would refuse is never
        // copied to the desktop, and a small core-header file is read by its
        // header's own size.
        DibLayout layout;
        if (readBmpLayout(file, &layout) && layout.width > 0 && layout.rows > 0)
            facts = {layout.width, layout.rows, layout.bitCount, false};
        break;
    }
    case desk::PictureKind::Jpeg:
        facts = jpegFacts(file);
        break;
    case desk::PictureKind::Unknown:
        break;
    }
    return facts;
}

// Makes the intermediate BMP at temp: stretched by us, converted from JPEG
// or copied. Returns kApplied when temp holds the picture.
int makeIntermediate(const WallpaperEntry& entry, const desk::PictureFacts& facts, desk::StyleDecision& decision,
                     const char16_t* temp, int allowAbort) {
    if (decision.style == desk::kFitted) {
        plat::ScreenSize screen = plat::screenSize();
        int32_t width = screen.width, height = screen.height;
        int r = scaleToFile(entry, temp, &width, &height, decision.keepAspect, allowAbort, ExtraSettings.uprightPhotos);
        if (r == 1) {
            tell(desk::text::kStretchFailed, entry.path, MB_ICONERROR);
            return kApplyFailed;
        }
        if (r == 2) {
            plat::deleteFile(temp);
            return kApplyCancelled;
        }
        decision.style = desk::kCentred; // our own stretch is shown centred
        return kApplied;
    }
    if (facts.jpeg) {
        int32_t abortFlag = allowAbort;
        if (!convertJpeg(nullptr, entry.path, temp, &abortFlag, nullptr, ExtraSettings.uprightPhotos)) {
            tell(desk::text::kJpegFailed, entry.path, MB_ICONERROR);
            return kApplyFailed;
        }
        if (abortFlag) {
            plat::deleteFile(temp);
            return kApplyCancelled;
        }
        return kApplied;
    }
    plat::deleteFile(temp);
    if (!plat::copyFile(entry.path, temp, false)) {
        plat::deleteFile(temp);
        tell(desk::text::kFileNotWritten, temp, MB_ICONERROR);
        return kApplyFailed;
    }
    // A read-only picture must not leave a read-only copy we cannot replace.
    plat::setNormalAttributes(temp);
    return kApplied;
}

// The display's depth when the desktop window gives a device context.
bool displayDepth(int32_t* bits) {
    HDC dc = GetDC(GetDesktopWindow());
    if (!dc)
        return false;
    ReleaseDC(GetDesktopWindow(), dc);
    *bits = plat::displayBitsPerPixel(); // also answers the tests' pretended depths
    return true;
}

// The colour for this session, for the next logon (registry) and for
// programs that still read win.ini. A "Control Panel\Colors" that cannot be
// opened only costs the next logon its colour.
void setDesktopColour(uint32_t colour) {
    int element = COLOR_BACKGROUND;
    COLORREF value = colour;
    SetSysColors(1, &element, &value);
    char16_t text[16];
    desk::colourText(colour, text, 16);
    HKEY key = nullptr;
    if (win::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Colors", 0, KEY_WRITE, &key) ==
        ERROR_SUCCESS) {
        DWORD bytes = static_cast<DWORD>((plat::textLength(text) + 1) * sizeof(char16_t));
        win::RegSetValueExW(key, L"Background", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
        RegFlushKey(key);
        RegCloseKey(key);
    }
    win::WriteProfileStringW(L"colors", L"Background", wide(text));
}

// "TileWallpaper", "WallpaperStyle" and the system call that shows the file
// and stores its path as "Wallpaper".
bool setWallpaperThroughRegistry(const char16_t* bmpPath, int32_t style) {
    HKEY key = nullptr;
    if (win::RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_WRITE, &key) !=
        ERROR_SUCCESS) {
        plat::messageBox(nullptr, desk::text::kRegistryFailed, desk::text::kCaption, MB_ICONERROR);
        return false;
    }
    // The key opened for writing; a value that still fails to be written
    // leaves the system's previous arrangement, which is all we could do.
    desk::WallpaperRegistryValues values = desk::registryValuesForStyle(style);
    const DWORD oneCharacter = 2 * sizeof(char16_t);
    win::RegSetValueExW(key, L"TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(values.tile),
                        oneCharacter);
    win::RegSetValueExW(key, L"WallpaperStyle", 0, REG_SZ, reinterpret_cast<const BYTE*>(values.style),
                        oneCharacter);
    RegFlushKey(key);
    RegCloseKey(key);
    // No change broadcast: the shell repaints the desktop on its own. A
    // refusal leaves the old picture up; the next change tries again.
    win::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(wide(bmpPath)),
                               SPIF_UPDATEINIFILE);
    return true;
}

} // namespace

int ApplyWallpaper(const WallpaperEntry& entry, int allowAbort) {
    plat::FileHandle file = plat::openForRead(entry.path, true);
    if (!file) {
        tell(desk::text::kPictureNotFound, entry.path, MB_ICONWARNING);
        return kApplyFailed;
    }
    desk::PictureFacts facts = readPictureFacts(file);
    plat::closeFile(file);
    if (desk::nothingKnown(facts)) {
        tell(desk::text::kPictureUnreadable, entry.path, MB_ICONWARNING);
        return kApplyFailed;
    }

    desk::StyleDecision decision = desk::effectiveStyle(entry.style, AppSettings.autoStretch, plat::screenSize(),
                                                        facts.width, facts.height, plat::osVersion());
    char16_t temp[plat::kPathUnits];
    char16_t shown[plat::kPathUnits];
    if (!plat::workingFolder(temp, plat::kPathUnits)) {
        tell(desk::text::kFolderNotWritable, temp, MB_ICONERROR);
        return kApplyFailed;
    }
    plat::copyText(shown, plat::kPathUnits, temp);
    plat::appendText(temp, plat::kPathUnits, u"~krok1.bmp");
    plat::appendText(shown, plat::kPathUnits, u"desktop.bmp");
    int made = applyToMonitors(entry, shown, temp, &decision.style, allowAbort);
    if (made == kOneMonitor)
        made = makeIntermediate(entry, facts, decision, temp, allowAbort);
    else if (made == kApplied)
        facts.bitsPerPixel = 24; // the bitmap composed over the monitors, whatever the picture's depth
    if (made == kShownPerMonitor) {
        if (entry.changeColours)
            setDesktopColour(entry.backgroundColour);
        return kApplied;
    }
    if (made != kApplied)
        return made;

    int32_t depth = 0;
    bool depthKnown = AppSettings.reduceColours && displayDepth(&depth);
    if (desk::needsColourReduction(AppSettings.reduceColours, depthKnown, depth, facts.bitsPerPixel)) {
        int r = quantizeTo256(entry, temp, shown, allowAbort, PackedDib(), nullptr);
        plat::deleteFile(temp);
        if (r == 0) {
            tell(desk::text::kReduceFailed, entry.path, MB_ICONERROR);
            return kApplyFailed;
        }
        if (r == 2)
            return kApplyCancelled;
    } else {
        plat::deleteFile(shown);
        if (!plat::moveFile(temp, shown)) {
            plat::deleteFile(temp);
            tell(desk::text::kFileNotWritten, shown, MB_ICONERROR);
            return kApplyFailed;
        }
    }

    if (CheckUserAbort(allowAbort)) {
        plat::deleteFile(shown);
        return kApplyCancelled;
    }

    if (entry.changeColours)
        setDesktopColour(entry.backgroundColour);

    bool activeDesktop = IsActiveDesktopOn();
    if (!activeDesktop ||
        !setWallpaperThroughActiveDesktop(shown, decision.style, AppSettings.activeDesktopFix)) {
        if (!setWallpaperThroughRegistry(shown, decision.style)) {
            plat::deleteFile(shown);
            return kApplyFailed;
        }
    }

    if (entry.changeColours && entry.fontMode == kFontColoured && !IsActiveDesktopOn())
        RefreshIconLabels(entry);
    return kApplied;
}
