// Receivers of decoded picture rows. BmpRowSink collects the rows of a JPEG
// into an upright, bottom-up DIB of 8 bits (grey, with a grey ramp) or 24 bits
// (colour).
#pragma once

#include <cstdint>

#include "image/packed_dib.h"

class RowSink {
  public:
    virtual ~RowSink() = default;
    // 1 = ready for `height` rows, 0 = out of memory (or a size no DIB holds).
    virtual int begin(int32_t width, int32_t height, int32_t componentCount) = 0;
    // Rows arrive top row first. 1 = taken, 0 = failed.
    virtual int putRow(const uint8_t* row, uint32_t length) = 0;
    // The collected picture, or empty.
    virtual PackedDib finish() = 0;
};

class BmpRowSink : public RowSink {
  public:
    BmpRowSink() = default;
    ~BmpRowSink() override;
    BmpRowSink(const BmpRowSink&) = delete;
    BmpRowSink& operator=(const BmpRowSink&) = delete;

    int begin(int32_t width, int32_t height, int32_t componentCount) override;
    // Colour rows are 4 bytes a pixel (red, green, blue, unused) and become
    // blue, green, red; grey rows are copied. The first row delivered lands
    // in the last row of the bottom-up block. A row shorter than the width
    // needs, or one more than the height, is refused.
    int putRow(const uint8_t* row, uint32_t length) override;
    // A copy of header, grey table (8 bits) and pixels; the sink keeps its own.
    PackedDib finish() override;
    // The collected picture itself, without a copy: the sink is empty after.
    // The conversion's memory result uses it so that a large picture is
    // never held twice.
    PackedDib takePicture();
    // Writes the collected picture as a BMP file: bfOffBits 1078 for 8 bits,
    // 54 for 24 bits. 1 = written, 0 = failed (no file left behind).
    int saveToFile(const char16_t* path);

    // Both point into one block laid out as a PackedDib.
    uint8_t* header = nullptr; // 40 bytes, then 1024 bytes of grey ramp for 8 bits
    uint8_t* pixels = nullptr; // stride x height bytes
    int32_t stride = 0;
    int32_t rowsLeft = 0;

  private:
    void release();
    uint32_t tableEntries() const;
    PackedDib block_;
};
