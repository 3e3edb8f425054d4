#include "image/file_source.h"

FileSource::~FileSource() { close(); }

int FileSource::openFile(const char16_t* path) {
    close();
    plat::FileHandle file = plat::openForRead(path);
    if (!file)
        return 0;
    if (!plat::seekTo(file, 0)) {
        plat::closeFile(file);
        return 0;
    }
    handle = file;
    return 1;
}

int FileSource::attachHandle(plat::FileHandle file) {
    close();
    if (!file || !plat::seekTo(file, 0))
        return 0; // the handle is the caller's: never closed here
    handle = file;
    borrowed = 1;
    return 1;
}

void FileSource::close() {
    if (handle && !borrowed)
        plat::closeFile(handle);
    handle = nullptr;
    endReached = 0;
    failed = 0;
    borrowed = 0;
}

int32_t FileSource::read(uint8_t* buffer, int32_t maxBytes, bool* endOfData) {
    if (!handle || failed || maxBytes < 0)
        return -1;
    if (endReached) {
        if (endOfData)
            *endOfData = true;
        return 0;
    }
    uint32_t count = 0;
    if (!plat::readBytes(handle, buffer, static_cast<uint32_t>(maxBytes), &count)) {
        failed = 1;
        return -1;
    }
    uint32_t position = 0, size = 0;
    if (plat::currentPosition(handle, &position) && plat::fileSize(handle, &size) && position == size) {
        if (endOfData)
            *endOfData = true;
        endReached = 1;
    }
    return static_cast<int32_t>(count);
}
