#include "image/preview_picture.h"

#include "app_core/format_text.h"
#include "image/scale.h"

PreviewPicture readPreviewPicture(const char16_t* path, int32_t width, int32_t height, int32_t upright) {
    PreviewPicture result;
    // The user may stop a long read; the preview then shows the part read.
    SampledPicture sampled = readSampledPicture(path, width, height, 1, upright);
    switch (sampled.file) {
    case PictureFile::CannotOpen: result.failure = preview_text::kCannotOpen; break;
    case PictureFile::Unknown: result.failure = preview_text::kUnknownType; break;
    case PictureFile::Jpeg: result.failure = preview_text::kJpegFailed; break;
    case PictureFile::CannotRead:
    case PictureFile::Bmp: result.failure = preview_text::kCannotRead; break;
    }
    // A block whose header does not describe it cannot be shown.
    if (sampled.dib && locateDib(sampled.dib, &result.layout)) {
        result.dib = std::move(sampled.dib);
        result.source = sampled.source;
        result.failure = nullptr;
    }
    return result;
}

void describePreview(const PreviewPicture& picture, char16_t* out, size_t units) {
    const DibLayout& l = picture.source;
    const int32_t height = l.topDown ? -l.rows : l.rows;
    const FormatArg args[] = {l.width, height, static_cast<int32_t>(l.bitCount)};
    formatText(out, units, preview_text::kDescription, args, 3);
}

uint32_t previewPaletteColours(const PreviewPicture& picture, uint8_t (*rgb)[3], uint32_t capacity) {
    const DibLayout& l = picture.layout;
    if (!picture.dib || l.tableEntries == 0)
        return 0;
    const uint32_t count = l.tableEntries < capacity ? l.tableEntries : capacity;
    const uint8_t* table = picture.dib.data() + l.tableOffset;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = table + i * l.entryBytes; // blue, green, red
        rgb[i][0] = e[2];
        rgb[i][1] = e[1];
        rgb[i][2] = e[0];
    }
    return count;
}
