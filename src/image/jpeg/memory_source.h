// A JpegSource over bytes already in memory (tests, fuzzing, benchmarks).
// chunkLimit > 0 hands the bytes out in pieces of at most that size, so the
// decoder's refill across short reads is exercised too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/jpeg/jpeg_source.h"

class MemorySource : public JpegSource {
  public:
    MemorySource(const uint8_t* data, size_t size, int32_t chunkLimit = 0)
        : data_(data), size_(size), chunkLimit_(chunkLimit) {}

    int32_t read(uint8_t* buffer, int32_t maxBytes, bool* endOfData) override {
        ++reads;
        if (failAtRead > 0 && reads >= failAtRead) return -1;
        if (maxBytes < 0) return -1;
        size_t n = static_cast<size_t>(maxBytes);
        if (chunkLimit_ > 0 && n > static_cast<size_t>(chunkLimit_)) n = static_cast<size_t>(chunkLimit_);
        if (n > size_ - pos_) n = size_ - pos_;
        if (n > 0) std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        if (pos_ == size_) *endOfData = true;
        return static_cast<int32_t>(n);
    }
    void attach() override { ++attaches; }
    void detach() override { ++detaches; }

    // Observations and fault injection for tests.
    int32_t reads = 0;
    int32_t attaches = 0;
    int32_t detaches = 0;
    int32_t failAtRead = 0; // the n-th read (1-based) and every later one fail

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    int32_t chunkLimit_;
};
