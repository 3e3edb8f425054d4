// Where the JPEG decoder reads its bytes from.
#pragma once

#include <cstdint>

class JpegSource {
  public:
    virtual ~JpegSource() = default;
    // Places 0..maxBytes bytes into buffer and returns how many; sets
    // *endOfData when no bytes follow the ones returned (it may do so with the
    // last bytes). Returns -1 on failure. Never writes false into *endOfData.
    virtual int32_t read(uint8_t* buffer, int32_t maxBytes, bool* endOfData) = 0;
    // Called once by the decoder before its first read.
    virtual void attach() {}
    // Called once when the decoder lets go of the source.
    virtual void detach() {}
};
