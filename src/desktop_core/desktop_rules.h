// The decisions of putting a picture on the desktop, kept free of Win32 so
// that they are tested natively: what a picture file's header says, the
// arrangement actually used, when colours are reduced, what goes into the
// registry, which label colours still need setting and where the Windows 9x
// start-up logo lives.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/system_info.h"

namespace desk {

// What the header of a picture file tells: all zero when nothing was read.
struct PictureFacts {
    int32_t width = 0;
    int32_t height = 0; // never negative (top-down BMPs count their rows)
    int32_t bitsPerPixel = 0;
    bool jpeg = false;
};

enum class PictureKind { Unknown, Bmp, Jpeg };

// By content: "BM" or FF D8 FF in the first three bytes (got = bytes read).
PictureKind pictureKind(const uint8_t* firstBytes, uint32_t got);

// Nothing at all could be read: the picture is unusable.
inline bool nothingKnown(const PictureFacts& f) { return f.width == 0 && f.height == 0 && f.bitsPerPixel == 0; }

// The arrangement styles of an entry.
enum : int32_t { kCentred = 0, kTiled = 1, kStretched = 2, kFitted = 3 };

struct StyleDecision {
    int32_t style;      // the style to apply for this call
    int32_t keepAspect; // for the program's own stretch (style kFitted)
};

// Windows 95 (platform 1, 4.0 to 4.9) cannot stretch a wallpaper itself.
bool isWindows95(const plat::OsVersion& os);

// The style used for one apply: a centred or tiled picture larger than the
// screen is fitted to it by the program when autoStretch is on; on Windows 95
// a stretched picture is stretched by the program to the exact screen size.
// Styles outside 0..3 (a damaged record) are shown centred.
StyleDecision effectiveStyle(int32_t entryStyle, int32_t autoStretch, plat::ScreenSize screen, int32_t pictureWidth,
                             int32_t pictureHeight, const plat::OsVersion& os);

// Whether the picture is reduced to 256 colours: only with the option on, on
// a display of 8 bits or fewer whose depth is known, for a picture of more
// than 8 bits (by its file header, also when it was stretched first).
bool needsColourReduction(int32_t reduceColours, bool displayKnown, int32_t displayBits, int32_t pictureBits);

// "R G B" in decimal, red first, for "Control Panel\Colors" and win.ini.
// colour is a COLORREF (red in its lowest byte). Bounded by units.
void colourText(uint32_t colour, char16_t* out, size_t units);

// "TileWallpaper" and "WallpaperStyle" for the registry path.
struct WallpaperRegistryValues {
    const char16_t* tile;
    const char16_t* style;
};
WallpaperRegistryValues registryValuesForStyle(int32_t style);

// WALLPAPEROPT style for Active Desktop (WPSTYLE_CENTER, _TILE, _STRETCH).
uint32_t activeDesktopStyle(int32_t style);
// ApplyChanges flags: save, regenerate HTML, refresh; plus force with the
// user's workaround option.
uint32_t activeDesktopApplyFlags(int32_t activeDesktopFix);

// "ListviewShadow" exists from Windows XP (NT 5.1) on, later versions included.
bool listviewShadowAvailable(const plat::OsVersion& os);

// Whether the label text colour must be set: always for white (the list view
// may report white before its background was made transparent), otherwise
// only when it differs.
bool labelColourNeedsSetting(uint32_t currentTextColour, uint32_t fontColour);

// A file in the root folder of the Windows drive: the first three characters
// of the Windows folder ("C:\") and name. False when the folder is shorter.
bool windowsRootFile(const char16_t* windowsDir, const char16_t* name, char16_t* out, size_t units);

// Which non-empty entry (1-based) the start-up logo is made from, for the
// random value r (0..32767) and count entries; 0 when there are none. More
// than 32,768 entries take further draws of the generator.
int32_t logoEntryNumber(int32_t r, int32_t count);

// Whether the first start saved a backup of the logo: unless "LogoSaved"
// was read and says 2 (there was no logo to save).
bool logoBackupExpected(bool valueRead, uint32_t logoSaved);

} // namespace desk
