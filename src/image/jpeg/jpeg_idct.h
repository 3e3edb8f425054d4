// The two inverse transforms of the JPEG decoder and the tables they share
// with the entropy decoder. Internal to the decoder; exposed for its tests.
#pragma once

#include <cstdint>

namespace jpeg {

// Zig-zag index -> natural (row-major) position inside an 8x8 block.
inline constexpr uint8_t kNaturalOrder[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// 16384 * s(row) * s(col) with s(0) = 1, s(u) = sqrt(2) * cos(u * pi / 16),
// rounded: the fast transform expects its quantisation table pre-multiplied
// by these (value * scale + 2048) >> 12.
inline constexpr int32_t kAanScale[64] = {
    16384, 22725, 21407, 19266, 16384, 12873, 8867,  4520,
    22725, 31521, 29692, 26722, 22725, 17855, 12299, 6270,
    21407, 29692, 27969, 25172, 21407, 16819, 11585, 5906,
    19266, 26722, 25172, 22654, 19266, 15137, 10426, 5315,
    16384, 22725, 21407, 19266, 16384, 12873, 8867,  4520,
    12873, 17855, 16819, 15137, 12873, 10114, 6967,  3552,
    8867,  12299, 11585, 10426, 8867,  6967,  4799,  2446,
    4520,  6270,  5906,  5315,  4520,  3552,  2446,  1247};

// Both transforms write 8 rows of 8 samples, `stride` bytes apart.

// Accurate 32-bit integer transform (13-bit constants, rows first, then
// columns). coefficients: dequantised, natural order.
void idctAccurate(const int16_t* coefficients, uint8_t* out, int32_t stride);

// Fast 16-bit transform (AAN flow, multiply-high products, truncating final
// shift). coefficients: not dequantised, natural order; scaledQuant: the
// component's table pre-multiplied by kAanScale, natural order.
// Dispatches to the SIMD version when the build has one.
void idctFast(const int16_t* coefficients, const int16_t* scaledQuant, uint8_t* out, int32_t stride);

// The portable versions of the same arithmetic, and whether SIMD versions
// are built; each pair must produce identical samples.
void idctAccurateScalar(const int16_t* coefficients, uint8_t* out, int32_t stride);
void idctFastScalar(const int16_t* coefficients, const int16_t* scaledQuant, uint8_t* out, int32_t stride);
bool idctHasSimd();
void idctAccurateSimd(const int16_t* coefficients, uint8_t* out, int32_t stride);
void idctFastSimd(const int16_t* coefficients, const int16_t* scaledQuant, uint8_t* out, int32_t stride);

// Two blocks of the fast transform at once, each with its own table and
// output; only when idctHasPair() says the processor can (AVX2).
bool idctHasPair();
void idctFastPairAvx2(const int16_t* coefficients0, const int16_t* scaledQuant0, uint8_t* out0, int32_t stride0,
                      const int16_t* coefficients1, const int16_t* scaledQuant1, uint8_t* out1, int32_t stride1);

} // namespace jpeg
