#include "image/picture_loader.h"

#include "image/bmp_file.h"
#include "image/jpeg_to_bmp.h"
#include "platform/cancel.h"
#include "platform/file_io.h"

WaitCursor::WaitCursor() : previous_(plat::showWaitCursor()) {}
WaitCursor::~WaitCursor() { plat::restoreCursor(previous_); }

LoadResult loadPicture(const char16_t* path, int32_t allowInput, PackedDib* picture, int32_t upright) {
    if (!path || !*path || !picture)
        return LoadResult::Failed;
    plat::FileHandle file = plat::openForRead(path, true);
    if (!file)
        return LoadResult::Failed;
    uint8_t magic[3] = {};
    uint32_t got = 0;
    if (!plat::seekTo(file, 0) || !plat::readBytes(file, magic, 3, &got) || got != 3 || !plat::seekTo(file, 0)) {
        plat::closeFile(file);
        return LoadResult::Failed;
    }
    int32_t abortFlag = allowInput;
    PackedDib dib;
    {
        WaitCursor wait;
        if (magic[0] == 'B' && magic[1] == 'M')
            dib = readBmp(file, &abortFlag);
        else if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
            convertJpeg(file, nullptr, nullptr, &abortFlag, &dib, upright);
        plat::closeFile(file);
    }
    if (!dib)
        return LoadResult::Failed;
    if (abortFlag)
        return LoadResult::Cancelled;
    *picture = std::move(dib);
    return LoadResult::Loaded;
}
