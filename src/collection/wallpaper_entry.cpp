#include "collection/wallpaper_entry.h"

#include <cstring>
#include <new>

#include "collection/collection_texts.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/graphics_handle.h"
#include "platform/message_box.h"

WallpaperEntry CurrentWallpaper;

namespace {

constexpr uint16_t kRecordMagic = 0x1235;
constexpr uint16_t kUtf16Marker = 0xFEFF;
constexpr int32_t kRecordFixedBytes = 132; // L = 2n + 132
constexpr int32_t kPathOffset = 28;
constexpr size_t kParsedPathUnits = 269;   // 268 characters and the terminator

void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

WallpaperEntry::WallpaperEntry()
    : path{}, style(kStyleCentred), fontMode(kFontKeep), changeColours(0), backgroundColour(0),
      fontColour(kNewEntryFontColour), previewBitmap(nullptr), previewPalette(nullptr), previewInfo{} {}

WallpaperEntry::WallpaperEntry(const WallpaperEntry& other) : WallpaperEntry() {
    if (other.path[0]) {
        plat::copyText(path, plat::kPathUnits, other.path);
        style = other.style;
        fontMode = other.fontMode;
        changeColours = other.changeColours;
        backgroundColour = other.backgroundColour;
        fontColour = other.fontColour;
    }
}

WallpaperEntry& WallpaperEntry::operator=(const WallpaperEntry& other) {
    if (this == &other)
        return *this;
    releasePreview();
    resetSettings();
    std::memset(path, 0, sizeof path);
    if (other.path[0]) {
        setPath(other.path);
        style = other.style;
        fontMode = other.fontMode;
        changeColours = other.changeColours;
        backgroundColour = other.backgroundColour;
        fontColour = other.fontColour;
    }
    return *this;
}

WallpaperEntry::~WallpaperEntry() { releasePreview(); }

void WallpaperEntry::resetSettings() {
    style = kStyleCentred;
    fontMode = kFontKeep;
    changeColours = 0;
    backgroundColour = 0;
    fontColour = kResetFontColour;
}

bool WallpaperEntry::equals(const WallpaperEntry& other) const {
    return plat::compareText(path, other.path) == 0 && style == other.style && fontMode == other.fontMode &&
           changeColours == other.changeColours && backgroundColour == other.backgroundColour &&
           fontColour == other.fontColour;
}

bool WallpaperEntry::setPath(const char16_t* p) {
    plat::copyText(path, plat::kPathUnits, p);
    if (path[0] && plat::pathExists(path)) {
        resetSettings();
        return true;
    }
    path[0] = 0;
    return false;
}

bool WallpaperEntry::fileExists() const { return plat::pathExists(path); }

void WallpaperEntry::releasePreview() {
    plat::deleteGraphicsObject(previewBitmap);
    plat::deleteGraphicsObject(previewPalette);
    previewBitmap = nullptr;
    previewPalette = nullptr;
    std::memset(previewInfo, 0, sizeof previewInfo);
}

std::unique_ptr<uint8_t[]> WallpaperEntry::serialize(int32_t* length) const {
    const int32_t n = static_cast<int32_t>(plat::textLength(path));
    const int32_t l = 2 * n + kRecordFixedBytes;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[static_cast<size_t>(l) + 1]());
    if (!buffer) {
        *length = 0;
        return nullptr;
    }
    uint8_t* b = buffer.get();
    put16(b, kRecordMagic);
    put32(b + 2, static_cast<uint32_t>(n));
    put32(b + 6, static_cast<uint32_t>(style));
    put32(b + 10, static_cast<uint32_t>(fontMode));
    put32(b + 14, static_cast<uint32_t>(changeColours));
    put32(b + 18, backgroundColour);
    put32(b + 22, fontColour);
    put16(b + 26, kUtf16Marker);
    for (int32_t i = 0; i < n; ++i)
        put16(b + kPathOffset + 2 * i, path[i]);
    // The terminator and the 102 reserved bytes are already zero.
    *length = l;
    return buffer;
}

bool WallpaperEntry::parse(const uint8_t* buffer, int32_t length) {
    releasePreview();
    resetSettings();
    std::memset(path, 0, sizeof path);
    if (!buffer || length <= 1)
        return false;
    if (get16(buffer) != kRecordMagic) {
        plat::messageBox(nullptr, texts::kBadFileFormat, texts::kCaption, plat::kMbIconWarning);
        return false;
    }
    if (length < 30)
        return false;
    style = static_cast<int32_t>(get32(buffer + 6));
    fontMode = static_cast<int32_t>(get32(buffer + 10));
    changeColours = static_cast<int32_t>(get32(buffer + 14));
    backgroundColour = get32(buffer + 18);
    fontColour = get32(buffer + 22);

    // n is only checked against the record's length; the path itself is read
    // up to its terminator, and never beyond the record's own bytes.
    const int64_t n = static_cast<int32_t>(get32(buffer + 2));
    const uint8_t* text = buffer + kPathOffset;
    const size_t available = static_cast<size_t>(length - kPathOffset);
    if (get16(buffer + 26) == kUtf16Marker) {
        if (n < 0 || 2 * n + 30 > length)
            return false;
        size_t units = available / 2;
        if (units > kParsedPathUnits - 1)
            units = kParsedPathUnits - 1;
        size_t i = 0;
        for (; i < units; ++i) {
            char16_t c = get16(text + 2 * i);
            if (!c)
                break;
            path[i] = c;
        }
        path[i] = 0;
    } else {
        // An older record: 8-bit text in the system code page.
        if (n < 0 || n + 30 > length)
            return false;
        plat::ansiToUtf16(reinterpret_cast<const char*>(text), available, path, kParsedPathUnits);
    }
    return true;
}
