// Transforms, colour conversion and row delivery.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "image/jpeg/jpeg_colour.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_idct.h"
#include "image/jpeg/memory_source.h"
#include "jpeg_stream_builder.h"
#include "jpeg_test_support.h"

using namespace jpegtest;

namespace {

// Floating-point inverse DCT of a dequantised block, the reference both
// integer transforms approximate.
void idctReference(const int16_t* in, double* out) {
    const double pi = 3.14159265358979323846;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            double sum = 0;
            for (int v = 0; v < 8; ++v) {
                for (int u = 0; u < 8; ++u) {
                    const double cu = u == 0 ? std::sqrt(0.5) : 1, cv = v == 0 ? std::sqrt(0.5) : 1;
                    sum += cu * cv * in[v * 8 + u] * std::cos((2 * x + 1) * u * pi / 16) *
                           std::cos((2 * y + 1) * v * pi / 16);
                }
            }
            out[y * 8 + x] = sum / 4 + 128;
        }
    }
}

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
            int32_t q = kind == 3 ? int32_t(rng() % 65536) : 1 + int32_t(rng() % 100);
            quant[z] = scaledQuant(q, z);
            int32_t c = 0;
            if (kind == 0) c = int32_t(rng() % 61) - 30;
            if (kind == 1 && rng() % 8 == 0) c = int32_t(rng() % 2047) - 1023;
            if (kind == 2 || kind == 3) c = int32_t(rng() % 65536) - 32768;
            coefs[z] = static_cast<int16_t>(c);
        }
        jpeg::idctFastSimd(coefs, quant, simd);
        jpeg::idctFastScalar(coefs, quant, scalar);
        ASSERT_EQ(std::memcmp(simd, scalar, 64), 0) << "round " << round;
    }
}

TEST(JpegTransforms, BothTransformsFollowTheExactInverseDct) {
    std::mt19937 rng(7);
    int32_t worstAccurate = 0, worstFast = 0, skipped = 0;
    for (int32_t round = 0; round < 3000; ++round) {
        int16_t coefs[64] = {}, dequantised[64] = {}, quant[64];
        const int32_t count = 1 + round % 20;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t z = round % 3 == 0 ? i : int32_t(rng() % 64);
            coefs[z] = static_cast<int16_t>(int32_t(rng() % 13) - 6);
        }
        for (int32_t z = 0; z < 64; ++z) {
            const int32_t q = 8 + int32_t(rng() % 24); // below 8 the scaled table loses the high frequencies
            quant[z] = scaledQuant(q, z);
            dequantised[z] = static_cast<int16_t>(coefs[z] * q);
        }
        double reference[64];
        idctReference(dequantised, reference);
        // Far outside 0..255 the 16-bit path wraps; such blocks are not
        // judged here (the fuzzer and the corpus cover them).
        bool inRange = true;
        for (double v : reference) inRange = inRange && v > -64 && v < 320;
        if (!inRange) {
            ++skipped;
            continue;
        }
        uint8_t accurate[64], fast[64];
        jpeg::idctAccurate(dequantised, accurate);
        jpeg::idctFast(coefs, quant, fast);
        for (int32_t i = 0; i < 64; ++i) {
            const double r = std::fmin(255, std::fmax(0, reference[i]));
            worstAccurate = std::max(worstAccurate, int32_t(std::lround(std::fabs(accurate[i] - r) + 0.49)));
            worstFast = std::max(worstFast, int32_t(std::lround(std::fabs(fast[i] - r) + 0.49)));
        }
    }
    std::printf("  worst error against the exact transform: accurate %d, fast %d (%d extreme blocks left out)\n",
                worstAccurate, worstFast, skipped);
    EXPECT_LE(worstAccurate, 1);
    EXPECT_LE(worstFast, 6); // 16-bit products, truncation and -30353
    // A block without coefficients is mid-grey on both paths.
    const int16_t zero[64] = {};
    int16_t ones[64];
    for (int16_t& q : ones) q = 1;
    uint8_t out[64];
    jpeg::idctAccurate(zero, out);
    EXPECT_EQ(out[0], 128);
    EXPECT_EQ(out[63], 128);
    jpeg::idctFast(zero, ones, out);
    EXPECT_EQ(out[0], 128);
    EXPECT_EQ(out[63], 128);
}

TEST(JpegTransforms, ColourConversionMatchesTheTablesForEveryInput) {
    jpeg::ColourTables tables;
    tables.build();
    uint8_t y[256], cb[8], cr[8], fast[32], scalar[32];
    for (int32_t i = 0; i < 256; ++i) y[i] = static_cast<uint8_t>(i);
    for (int32_t b = 0; b < 256; ++b) {
        for (int32_t r = 0; r < 256; ++r) {
            for (int32_t i = 0; i < 8; ++i) {
                cb[i] = static_cast<uint8_t>(b);
                cr[i] = static_cast<uint8_t>((r + i * 37) & 255);
            }
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

struct Rows {
    std::vector<const uint8_t*> pointers;
    std::vector<std::vector<uint8_t>> copies;
    std::vector<uint32_t> lengths;
    int32_t end = 0; // the result that ended the loop
};

Rows readRows(JpegDecoder& d) {
    Rows r;
    for (;;) {
        const uint8_t* line = nullptr;
        uint32_t bytes = 0;
        r.end = d.decodeScanLine(&line, &bytes);
        if (r.end != 0) break;
        r.pointers.push_back(line);
        r.copies.emplace_back(line, line + bytes);
        r.lengths.push_back(bytes);
    }
    return r;
}

TEST(JpegRows, GeometryAndRowBuffers) {
    for (bool fast : {false, true}) {
        // Grey 1x1: one row of one byte, then 1 on every call.
        const Bytes tiny = flatGrey(1, 1);
        MemorySource s1(tiny.data(), tiny.size());
        JpegDecoder d1(&s1, fast);
        ASSERT_EQ(d1.begin(), 0);
        EXPECT_EQ(d1.begin(), 0); // a second begin changes nothing
        EXPECT_EQ(d1.bytesPerPixel(), 1);
        Rows r1 = readRows(d1);
        ASSERT_EQ(r1.copies.size(), 1u);
        EXPECT_EQ(r1.lengths[0], 1u);
        EXPECT_EQ(r1.copies[0][0], 128);
        EXPECT_EQ(r1.end, 1);
        const uint8_t* line = nullptr;
        uint32_t bytes = 0;
        EXPECT_EQ(d1.decodeScanLine(&line, &bytes), 1);

        // Colour 17 wide, 2x2: 68-byte rows, 17 rows over two MCU rows; odd
        // rows of an MCU row come from the second row buffer.
        const Bytes wide = flatColour(17, 17, 2, 2);
        MemorySource s2(wide.data(), wide.size());
        JpegDecoder d2(&s2, fast);
        EXPECT_EQ(d2.componentCount(), 3);
        ASSERT_EQ(d2.begin(), 0);
        EXPECT_EQ(d2.bytesPerPixel(), 4);
        Rows r2 = readRows(d2);
        ASSERT_EQ(r2.copies.size(), 17u);
        EXPECT_EQ(r2.end, 1);
        for (size_t i = 0; i < r2.copies.size(); ++i) {
            EXPECT_EQ(r2.lengths[i], 68u);
            EXPECT_EQ(r2.pointers[i], r2.pointers[i % 2]) << "row " << i;
            for (size_t x = 0; x < 17; ++x) EXPECT_EQ(r2.copies[i][4 * x + 3], 0);
        }
        EXPECT_NE(r2.pointers[0], r2.pointers[1]);

        // Without begin there are no rows.
        MemorySource s3(wide.data(), wide.size());
        JpegDecoder d3(&s3, fast);
        EXPECT_EQ(d3.decodeScanLine(&line, &bytes), -1);
    }
}

TEST(JpegRows, ColourConversionAtTheLimits) {
    struct Expect {
        int32_t yDc, cbDc, crDc;
        uint8_t r, g, b;
    };
    // DC = (sample - 128) * 8 with quantisation 1.
    const Expect cases[] = {
        {-1024, 0, 0, 0, 0, 0},       // Y 0, Cb = Cr = 128: black, G gets (0 + 32768) >> 16 = 0
        {1016, 0, 1016, 255, 164, 255}, // Y 255, Cr 255: R clamps at 255
        {0, 0, 0, 128, 128, 128},
        {0, -1024, -1024, 0, 255, 0},   // Cb = Cr = 0: R and B clamp at 0, G clamps at 255
    };
    for (const Expect& e : cases) {
        for (uint8_t h : {1, 2}) {
            for (bool fast : {false, true}) {
                const Bytes stream = flatColour(8 * h, 8, h, 1, e.yDc, e.cbDc, e.crDc);
                const Decoded d = decode(stream, fast);
                ASSERT_EQ(d.errorCode, 0);
                ASSERT_FALSE(d.picture.samples.empty());
                EXPECT_EQ(d.picture.samples[0], e.r) << e.yDc << " " << e.cbDc << " " << e.crDc;
                EXPECT_EQ(d.picture.samples[1], e.g) << e.yDc << " " << e.cbDc << " " << e.crDc;
                EXPECT_EQ(d.picture.samples[2], e.b) << e.yDc << " " << e.cbDc << " " << e.crDc;
            }
        }
    }
}

TEST(JpegRows, LargestAcceptedPicture) {
    for (bool fast : {false, true}) {
        const Bytes stream = flatGrey(8192, 8);
        const Decoded d = decode(stream, fast);
        EXPECT_EQ(d.errorCode, 0);
        EXPECT_EQ(d.rows, 8);
        EXPECT_EQ(d.picture.width, 8192);
        const Bytes tall = flatColour(16, 8192, 2, 2);
        const Decoded t = decode(tall, fast);
        EXPECT_EQ(t.errorCode, 0);
        EXPECT_EQ(t.rows, 8192);
    }
}

} // namespace
