// The picture of a preview, read the way the collection page shows it: BMP or
// JPEG by its first bytes, the texts its description shows on failure, and a
// read cancelled with Esc or a click keeps what was read (the rest is black).
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/packed_dib.h"

namespace preview_text {
inline constexpr char16_t kCannotOpen[] = u"Nelze otevřít obrázek.";
inline constexpr char16_t kCannotRead[] = u"Nelze číst obrázek.";
inline constexpr char16_t kJpegFailed[] = u"Nelze dekomprimovat JPEG.";
inline constexpr char16_t kUnknownType[] = u"Neznámý typ obrázku.";
inline constexpr char16_t kNoMemory[] = u"Nedostatek paměti.";
inline constexpr char16_t kPreviewFailed[] = u"Chyba náhledu.";
inline constexpr char16_t kDescription[] = u"%i x %i, %i bpp";
} // namespace preview_text

struct PreviewPicture {
    PackedDib dib;                     // the picture at the preview's size; empty when nothing could be read
    DibLayout layout;                  // dib's layout, valid when dib is not empty
    DibLayout source;                  // the picture's own size and depth, for the description
    const char16_t* failure = nullptr; // the description when dib is empty
};

// Reads the picture at path straight into width x height (its proportions
// not kept, each preview pixel taken from the source pixel under it, as a
// COLORONCOLOR stretch would), so a large photograph never has to be held
// whole. Shows the wait cursor while it reads. With `upright` a JPEG is shown
// turned by its Exif orientation (the description keeps its stored size).
PreviewPicture readPreviewPicture(const char16_t* path, int32_t width, int32_t height, int32_t upright = 0);

// "640 x 480, 8 bpp": the picture's own width, height as stored (negative
// for a top-down picture) and bit count.
void describePreview(const PreviewPicture& picture, char16_t* out, size_t units);

// The picture's colour table as red, green, blue triples for a palette;
// returns the entry count (0 for a picture without a table).
uint32_t previewPaletteColours(const PreviewPicture& picture, uint8_t (*rgb)[3], uint32_t capacity);
