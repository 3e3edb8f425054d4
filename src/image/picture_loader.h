// Reading an entry's picture, BMP or JPEG recognised by its first bytes, into
// a PackedDib, with the wait cursor shown while it reads.
#pragma once

#include <cstdint>

#include "image/packed_dib.h"

enum class LoadResult { Loaded, Failed, Cancelled };

// "BM" is read as a BMP file, FF D8 FF is decoded as a JPEG; anything else is
// no picture. allowInput goes to the reader's cancel poll. A cancelled read
// drops what was read. With `upright` a JPEG is turned by its Exif orientation.
LoadResult loadPicture(const char16_t* path, int32_t allowInput, PackedDib* picture, int32_t upright = 0);

// Shows the wait cursor for its lifetime.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    void* previous_;
};
