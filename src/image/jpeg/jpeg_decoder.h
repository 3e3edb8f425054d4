// Our own baseline, extended-sequential and progressive JPEG decoder. It
// delivers the picture one row at a time, top row first: 1 byte per pixel for
// grey pictures, 4 bytes (R, G, B, 0) for colour ones. Every fault is a
// negative code in errorCode(); nothing is printed or shown.
//
// The public operations below are the whole contract; the state behind them
// belongs to the decoder's implementation.
#pragma once

#include <cstdint>

#include "image/jpeg/jpeg_source.h"

class JpegDecoder {
  public:
    // Reads the stream up to and including the frame header. On a fault the
    // object stays valid with errorCode() non-zero and the source detached.
    // useMmx selects the fast path (16-bit transform, coefficients kept
    // undequantised); both paths read the entropy-coded data the same way.
    JpegDecoder(JpegSource* source, bool useMmx);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // 0 when ready to deliver rows (also when called again), -1 on a fault.
    int32_t begin();

    // 0 with the next row in *line (lineBytes = unpadded row length), 1 when
    // all rows were delivered, -1 before a successful begin or after an
    // earlier fault, -227 when a fault happens during this call.
    int32_t decodeScanLine(const uint8_t** line, uint32_t* lineBytes);

    int32_t width() const;
    int32_t height() const;
    int32_t componentCount() const;
    int32_t bytesPerPixel() const; // after begin: 1 grey, 4 colour
    int32_t errorCode() const;

  private:
    struct State;
    State* state_;
};
