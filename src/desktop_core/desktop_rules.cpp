#include "desktop_core/desktop_rules.h"

#include "collection/random.h"
#include "platform/text.h"

namespace desk {

PictureKind pictureKind(const uint8_t* firstBytes, uint32_t got) {
    if (!firstBytes || got < 3)
        return PictureKind::Unknown;
    if (firstBytes[0] == 'B' && firstBytes[1] == 'M')
        return PictureKind::Bmp;
    if (firstBytes[0] == 0xFF && firstBytes[1] == 0xD8 && firstBytes[2] == 0xFF)
        return PictureKind::Jpeg;
    return PictureKind::Unknown;
}

bool isWindows95(const plat::OsVersion& os) {
    return os.platformId == plat::kPlatformWin9x && os.major == 4 && os.minor < 10;
}

StyleDecision effectiveStyle(int32_t entryStyle, int32_t autoStretch, plat::ScreenSize screen, int32_t pictureWidth,
                             int32_t pictureHeight, const plat::OsVersion& os) {
    StyleDecision d{entryStyle, 1};
    if (d.style < kCentred || d.style > kFitted)
        d.style = kCentred;
    bool screenKnown = screen.width > 0 && screen.height > 0;
    if (autoStretch && screenKnown && d.style != kStretched && d.style != kFitted &&
        (screen.width < pictureWidth || screen.height < pictureHeight))
        d.style = kFitted;
    if (d.style == kStretched && isWindows95(os)) {
        d.style = kFitted;
        d.keepAspect = 0;
    }
    return d;
}

bool needsColourReduction(int32_t reduceColours, bool displayKnown, int32_t displayBits, int32_t pictureBits) {
    return reduceColours && displayKnown && displayBits <= 8 && pictureBits > 8;
}

void colourText(uint32_t colour, char16_t* out, size_t units) {
    if (!out || units == 0)
        return;
    char16_t text[16];
    size_t n = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        unsigned value = (colour >> shift) & 0xFF;
        if (shift)
            text[n++] = u' ';
        char16_t digits[3];
        int count = 0;
        do {
            digits[count++] = static_cast<char16_t>(u'0' + value % 10);
            value /= 10;
        } while (value);
        while (count)
            text[n++] = digits[--count];
    }
    text[n] = 0;
    plat::copyText(out, units, text);
}

WallpaperRegistryValues registryValuesForStyle(int32_t style) {
    switch (style) {
    case kTiled:
        return {u"1", u"0"};
    case kStretched:
        return {u"0", u"2"};
    default: // centred, and the program's own stretch, which is shown centred
        return {u"0", u"0"};
    }
}

uint32_t activeDesktopStyle(int32_t style) {
    if (style == kTiled || style == kStretched)
        return static_cast<uint32_t>(style);
    return 0;
}

uint32_t activeDesktopApplyFlags(int32_t activeDesktopFix) {
    const uint32_t save = 1, htmlGen = 2, refresh = 4, force = 8;
    return save | htmlGen | refresh | (activeDesktopFix ? force : 0);
}

bool listviewShadowAvailable(const plat::OsVersion& os) {
    return os.platformId == plat::kPlatformNt && (os.major > 5 || (os.major == 5 && os.minor >= 1));
}

bool labelColourNeedsSetting(uint32_t currentTextColour, uint32_t fontColour) {
    const uint32_t white = 0xFFFFFF;
    return currentTextColour != fontColour || fontColour == white;
}

bool windowsRootFile(const char16_t* windowsDir, const char16_t* name, char16_t* out, size_t units) {
    if (!out || units == 0)
        return false;
    out[0] = 0;
    if (!windowsDir || plat::textLength(windowsDir) < 3)
        return false;
    char16_t root[4] = {windowsDir[0], windowsDir[1], windowsDir[2], 0};
    plat::copyText(out, units, root);
    plat::appendText(out, units, name);
    return true;
}

int32_t logoEntryNumber(int32_t r, int32_t count) {
    if (count <= 0)
        return 0;
    if (r < 0)
        r = -(r + 1); // the generator never gives one; keep the modulo non-negative anyway
    // Beyond 32,768 entries further draws decide, so the later ones can come too.
    return randomEntryNumber(r, count);
}

bool logoBackupExpected(bool valueRead, uint32_t logoSaved) { return !(valueRead && logoSaved == 2); }

} // namespace desk
