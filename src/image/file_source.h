// The file-backed JpegSource: the decoder reads JPEG bytes through it. Used
// as a local object of the conversion; the decoder never owns it.
#pragma once

#include <cstdint>

#include "image/jpeg/jpeg_source.h"
#include "platform/file_io.h"

class FileSource : public JpegSource {
  public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Opens the file for reading and rewinds it. 1 = open, 0 = failed (the
    // source then holds no file).
    int openFile(const char16_t* path);

    // Reads from a file the caller keeps open (and closes). The position is
    // reset to 0, so whatever the caller read before does not matter. 1 =
    // attached, 0 = the rewind failed and the handle was let go.
    int attachHandle(plat::FileHandle file);

    // Closes an owned file, lets go of a borrowed one; all fields become zero.
    void close();

    // -1 without a file or after a failed read; 0 with *endOfData set once
    // the last byte was delivered; else the count read, setting *endOfData
    // when the file position has reached the file's size.
    int32_t read(uint8_t* buffer, int32_t maxBytes, bool* endOfData) override;

    plat::FileHandle handle = nullptr;
    int32_t endReached = 0;
    int32_t failed = 0;
    int32_t borrowed = 0;
};
