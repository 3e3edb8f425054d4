// YCbCr to RGB conversion of the JPEG decoder, with chroma replicated across
// and shared by two rows where the sampling asks for it. Output pixels are 4
// bytes: R, G, B, 0. Internal to the decoder; exposed for its tests.
#pragma once

#include <cstdint>

#include "image/jpeg/jpeg_sample.h"

namespace jpeg {

// The four tables, index = Cb or Cr sample, x = index - 128:
// R += (91882 x + 32768) >> 16, B += (116130 x + 32768) >> 16,
// G += (-22554 x_b + 32768 - 46802 x_r) >> 16.
struct ColourTables {
    int32_t rFromCr[256];
    int32_t bFromCb[256];
    int32_t gFromCr[256];
    int32_t gFromCb[256];
    void build();
};

inline void yccPixel(const ColourTables& t, int32_t y, int32_t cb, int32_t cr, uint8_t* out) {
    out[0] = clampSample(y + t.rFromCr[cr]);
    out[1] = clampSample(y + ((t.gFromCb[cb] + t.gFromCr[cr]) >> 16));
    out[2] = clampSample(y + t.bFromCb[cb]);
}

// A row of `pixels` pixels (a multiple of 8, or of 16 with chroma
// replicated across) from rows of samples. y1/out1 not null: a second row of
// luminance sharing the same chroma row.
void yccRow(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
            uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross);

// The table-driven version of yccRow, and whether the build has a SIMD one
// (which must give the same bytes).
void yccRowScalar(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb,
                  const uint8_t* cr, uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross);
bool yccHasSimd();

// yccRow with AVX2, only when yccHasAvx2() says the processor can.
bool yccHasAvx2();
void yccRowAvx2(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
                uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross);

} // namespace jpeg
