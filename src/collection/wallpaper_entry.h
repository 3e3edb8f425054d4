// One picture of a collection: its path and the five display settings that
// travel with it, plus a cached preview that the collection page draws.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/text.h"

// Arrangement styles, as listed in the collection page's style box.
enum WallpaperStyle : int32_t {
    kStyleCentred = 0,
    kStyleTiled = 1,
    kStyleStretched = 2,
    kStyleStretchedProportionally = 3,
};

// Icon label modes: 1 keeps the label font colour, 2 sets fontColour with a
// transparent label background.
enum FontMode : int32_t { kFontKeep = 1, kFontColoured = 2 };

class WallpaperEntry {
  public:
    static constexpr size_t kPreviewInfoUnits = 200;
    // A newly constructed entry's label colour; setPath and every reset use white.
    static constexpr uint32_t kNewEntryFontColour = 0xFFE1FF;
    static constexpr uint32_t kResetFontColour = 0xFFFFFF;

    WallpaperEntry();
    // Copies the path verbatim and the five settings; never the preview.
    WallpaperEntry(const WallpaperEntry& other);
    // Re-checks the source's path with setPath (a vanished file leaves an
    // empty path) and then takes the source's five settings.
    WallpaperEntry& operator=(const WallpaperEntry& other);
    virtual ~WallpaperEntry();

    // Path (case-sensitive) and the five settings; the preview is ignored.
    bool equals(const WallpaperEntry& other) const;

    // Takes at most 269 units of p. When the file exists the settings are
    // reset and true returned; otherwise the path is cleared and the settings
    // are left as they were.
    bool setPath(const char16_t* p);

    bool fileExists() const;
    bool hasPath() const { return path[0] != 0; }

    void releasePreview();

    // The record stored in collection files and in the registry: a zero-filled
    // block of *length + 1 bytes. Null with *length 0 when memory runs out.
    std::unique_ptr<uint8_t[]> serialize(int32_t* length) const;

    // Reads a record of `length` bytes; never reads outside them. The entry is
    // reset first; the five settings are taken even when the path check fails.
    // A wrong record magic is reported to the user.
    bool parse(const uint8_t* buffer, int32_t length);

    char16_t path[plat::kPathUnits];
    // The five settings, always handled together in this order.
    int32_t style;
    int32_t fontMode;
    int32_t changeColours;
    uint32_t backgroundColour; // COLORREF 0x00BBGGRR
    uint32_t fontColour;       // COLORREF
    // Preview cache: GDI handles created by the collection page.
    void* previewBitmap;
    void* previewPalette;
    char16_t previewInfo[kPreviewInfoUnits];

  private:
    void resetSettings();
};

// The picture applied last; what "re-apply" shows again and what is kept in
// the registry between runs.
extern WallpaperEntry CurrentWallpaper;
