#include "image/preview_picture.h"

#include "app_core/format_text.h"
#include "image/bmp_file.h"
#include "image/jpeg_to_bmp.h"
#include "image/picture_loader.h"
#include "platform/file_io.h"

PreviewPicture readPreviewPicture(const char16_t* path) {
    PreviewPicture result;
    result.failure = preview_text::kCannotOpen;
    plat::FileHandle file = path && *path ? plat::openForRead(path, true) : nullptr;
    if (!file || !plat::seekTo(file, 0)) {
        plat::closeFile(file);
        return result;
    }
    uint8_t magic[3] = {};
    uint32_t got = 0;
    result.failure = preview_text::kCannotRead;
    if (!plat::readBytes(file, magic, 3, &got) || got != 3 || !plat::seekTo(file, 0)) {
        plat::closeFile(file);
        return result;
    }
    // The user may stop a long read; the preview then shows the part read.
    int32_t abortFlag = 1;
    {
        WaitCursor wait;
        if (magic[0] == 'B' && magic[1] == 'M') {
            result.dib = readBmp(file, &abortFlag);
        } else if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) {
            result.failure = preview_text::kJpegFailed;
            convertJpeg(file, nullptr, nullptr, &abortFlag, &result.dib);
        } else {
            result.failure = preview_text::kUnknownType;
        }
        plat::closeFile(file);
    }
    // A block whose header does not describe it cannot be shown.
    if (result.dib && !locateDib(result.dib, &result.layout))
        result.dib.reset();
    if (result.dib)
        result.failure = nullptr;
    return result;
}

void describePreview(const PreviewPicture& picture, char16_t* out, size_t units) {
    const DibLayout& l = picture.layout;
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
