// The inverse transforms and the colour conversion, block by block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "image/jpeg/jpeg_colour.h"
#include "image/jpeg/jpeg_idct.h"

namespace {

int16_t scaledQuant(int32_t value, int32_t z) {
    return static_cast<int16_t>((int64_t(value) * jpeg::kAanScale[z] + 2048) >> 12);
}

TEST(JpegTransforms, SimdAndScalarFastTransformsAgreeOnEverySample) {
    if (!jpeg::idctFastHasSimd()) GTEST_SKIP() << "this build has no SIMD transform";
    std::mt19937 rng(20261206);
    int16_t coefs[64], quant[64];
    uint8_t simd[64], scalar[64];
    for (int32_t round = 0; round < 200000; ++round) {
        // Ordinary blocks, sparse ones, and wild values that overflow 16 bits.
        const int32_t kind = round % 4;
        for (int32_t z = 0; z < 64; ++z) {
            quant[z] = scaledQuant(kind == 3 ? int32_t(rng() % 65536) : 1 + int32_t(rng() % 100), z);
            int32_t c = 0;
            if (kind == 0) c = int32_t(rng() % 61) - 30;
            if (kind == 1 && rng() % 8 == 0) c = int32_t(rng() % 2047) - 1023;
            if (kind >= 2) c = int32_t(rng() % 65536) - 32768;
            coefs[z] = static_cast<int16_t>(c);
        }
        jpeg::idctFastSimd(coefs, quant, simd);
        jpeg::idctFastScalar(coefs, quant, scalar);
        ASSERT_EQ(std::memcmp(simd, scalar, 64), 0) << "round " << round;
    }
}

// Against the floating-point inverse DCT both integer transforms approximate.
TEST(JpegTransforms, BothTransformsFollowTheExactInverseDct) {
    const double pi = 3.14159265358979323846;
    std::mt19937 rng(7);
    int32_t worstAccurate = 0, worstFast = 0;
    for (int32_t round = 0; round < 3000; ++round) {
        int16_t coefs[64] = {}, dequantised[64] = {}, quant[64];
        for (int32_t i = 0; i < 1 + round % 20; ++i) coefs[round % 3 == 0 ? i : rng() % 64] = int16_t(int32_t(rng() % 13) - 6);
        for (int32_t z = 0; z < 64; ++z) {
            const int32_t q = 8 + int32_t(rng() % 24); // below 8 the scaled table loses the high frequencies
            quant[z] = scaledQuant(q, z);
            dequantised[z] = static_cast<int16_t>(coefs[z] * q);
        }
        double reference[64];
        bool inRange = true; // far outside 0..255 the 16-bit path wraps; the corpus and the fuzzer cover that
        for (int32_t i = 0; i < 64; ++i) {
            double sum = 0;
            for (int32_t k = 0; k < 64; ++k) {
                sum += (k % 8 == 0 ? std::sqrt(0.5) : 1) * (k / 8 == 0 ? std::sqrt(0.5) : 1) * dequantised[k] *
                       std::cos((2 * (i % 8) + 1) * (k % 8) * pi / 16) * std::cos((2 * (i / 8) + 1) * (k / 8) * pi / 16);
            }
            reference[i] = sum / 4 + 128;
            inRange = inRange && reference[i] > -64 && reference[i] < 320;
        }
        if (!inRange) continue;
        uint8_t accurate[64], fast[64];
        jpeg::idctAccurate(dequantised, accurate);
        jpeg::idctFast(coefs, quant, fast);
        for (int32_t i = 0; i < 64; ++i) {
            const double r = std::fmin(255, std::fmax(0, reference[i]));
            worstAccurate = std::max(worstAccurate, int32_t(std::ceil(std::fabs(accurate[i] - r) - 0.01)));
            worstFast = std::max(worstFast, int32_t(std::ceil(std::fabs(fast[i] - r) - 0.01)));
        }
    }
    EXPECT_LE(worstAccurate, 1);
    EXPECT_LE(worstFast, 6); // 16-bit products, truncation and -30353
}

TEST(JpegTransforms, ColourConversionMatchesTheTablesForEveryInput) {
    jpeg::ColourTables tables;
    tables.build();
    uint8_t y[256], cb[8], cr[8], fast[32], scalar[32];
    for (int32_t i = 0; i < 256; ++i) y[i] = static_cast<uint8_t>(i);
    for (int32_t b = 0; b < 256; ++b) {
        for (int32_t r = 0; r < 256; ++r) {
            for (int32_t i = 0; i < 8; ++i) cb[i] = uint8_t(b), cr[i] = uint8_t((r + i * 37) & 255);
            for (int32_t y0 = 0; y0 < 256; y0 += 8) {
                jpeg::ycc8(tables, y + y0, cb, cr, fast);
                jpeg::ycc8Scalar(tables, y + y0, cb, cr, scalar);
                for (int32_t p = 0; p < 8; ++p) {
                    ASSERT_EQ(std::memcmp(fast + 4 * p, scalar + 4 * p, 3), 0)
                        << "Y " << y0 + p << " Cb " << b << " Cr " << int(cr[p]);
                }
            }
        }
    }
}

} // namespace
