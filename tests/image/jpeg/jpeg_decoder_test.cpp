// A crafted stream for every fault the decoder raises, accepted ones at its
// limits, and the SIMD transform (real pictures: djpeg's; random: fuzzer's).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <tuple>

#include "image/jpeg/jpeg_colour.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_idct.h"
#include "image/jpeg/memory_source.h"
#include "jpeg_test_support.h"

using namespace jpegtest;

namespace {

const std::vector<Component> kGrey = {{1, 1, 1, 0}};
const std::vector<Component> kColour = {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};

// A 16x16 picture: tables, extra segments, the frame and scan headers, 24 flat blocks.
Bytes picture(const Bytes& extra, const Bytes& sof = frame(0xC0, 16, 16, kGrey),
              const Bytes& sos = scanHeader({1}), const Bytes& tablesFirst = tables()) {
    return join({soi(), tablesFirst, extra, sof, sos, flatScan(24), eoi()});
}
Bytes withSof(const Bytes& sof) { return picture({}, sof); }
Bytes withSos(const Bytes& sos, const Bytes& t = tables()) { return picture({}, frame(0xC0, 16, 16, kGrey), sos, t); }
// 8x16 grey: a flat block, then a DC of 0, `ones` AC coefficients -1 and one more.
Bytes secondBlock(int32_t ones, uint8_t symbol = 0x00, int32_t value = 0) {
    ScanWriter w;
    w.flatBlock(), w.dc(0);
    for (int32_t i = 0; i < ones; ++i) w.ac(0x01, -1);
    w.ac(symbol, value);
    return join({soi(), tables(), frame(0xC0, 8, 16, kGrey), scanHeader({1}), w.finish(), eoi()});
}
Bytes progressive(const Bytes& sos, const Bytes& data = flatScan(6)) {
    return join({soi(), tables(), frame(0xC2, 16, 16, kColour), sos, data, eoi()});
}
Bytes behind(const Bytes& front) { return join({front, flatGrey(16, 16)}); }
// 32x16 grey with a restart after every MCU: these markers after the first
// MCUs, junk bytes before the first marker.
Bytes restarts(const Bytes& markers, size_t junk = 0) {
    Bytes b = join({soi(), tables(), segment(0xDD, {0, 1}), frame(0xC0, 32, 16, kGrey), scanHeader({1})});
    for (size_t i = 0; i < 8; ++i) {
        ScanWriter w;
        w.flatBlock(i == 0 ? 40 : 0); // each interval starts its prediction anew
        b = join({b, w.finish(), Bytes(i == 0 ? junk : 0, 0x5A)});
        if (i < markers.size()) b.insert(b.end(), {0xFF, markers[i]});
    }
    return join({b, eoi()});
}

enum Stage { kNone, kConstructor, kBegin, kRows };

struct FaultCase {
    const char* what;
    Bytes stream;
    int32_t code; // 0: the whole picture decodes
    Stage stage;
    int32_t chunkLimit = 0, failAtRead = 0;
};

std::vector<FaultCase> faultCases() {
    const Bytes rst = {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6};
    Bytes shortQuant = quantTable(1), longSof = frame(0xC0, 16, 16, kGrey), wideQuant = {0x11};
    shortQuant[3] -= 1; // one byte of the table lies outside the segment
    longSof[3] += 1, longSof.push_back(0);
    for (int32_t i = 0; i < 64; ++i) wideQuant.insert(wideQuant.end(), {0x00, 0x01});
    const Bytes com = segment(0xFE, {'h', 'i'});
    Bytes cutScan = flatGrey(256, 64); // 256 blocks of 8 bits
    cutScan.resize(cutScan.size() - 100);
    const std::vector<Component> five = {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 0}, {5, 1, 1, 0}};
    const Bytes c3 = {1, 2, 3};
    return {
        {"DHT of 256 symbols", picture(segment(0xC4, {0, 0, 0, 0, 0, 0, 0, 0, 255, 1, 0, 0, 0, 0, 0, 0, 0})),
         kJpegHuffmanTooManySymbols, kConstructor},
        {"DHT slot 8", picture(acTable(0x14)), kJpegHuffmanBadId, kConstructor},
        {"DHT without its symbol",
         picture({0xFF, 0xC4, 0, 19, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), kJpegHuffmanBadLength, kConstructor},
        {"DQT length 1", picture({0xFF, 0xDB, 0x00, 0x01}), kJpegQuantBadLength, kConstructor},
        {"DQT id 4", picture(quantTable(4)), kJpegQuantBadId, kConstructor},
        {"DQT shorter than its table", picture(shortQuant), kJpegQuantTruncated, kConstructor},
        {"DHT class 0 id 4 is AC 0; 16-bit DQT", picture({}, frame(0xC0, 16, 16, {{1, 1, 1, 1}}), scanHeader({1}),
                                                          join({segment(0xDB, wideQuant), dcTable(), acTable(4)})),
         0, kNone},
        {"12-bit", withSof(frame(0xC0, 16, 16, kGrey, 12)), kJpegBadPrecision, kConstructor},
        {"height 8193", withSof(frame(0xC0, 16, 8193, kGrey)), kJpegBadHeight, kConstructor},
        {"width 8193", withSof(frame(0xC0, 8193, 16, kGrey)), kJpegBadWidth, kConstructor},
        {"5 components", withSof(frame(0xC0, 16, 16, five)), kJpegTooManyComponents, kConstructor},
        {"SOF length", withSof(longSof), kJpegFrameBadLength, kConstructor},
        {"lossless SOF3", withSof(frame(0xC3, 16, 16, kGrey)), kJpegUnsupportedFrame, kConstructor},
        {"SOF9 arithmetic", withSof(frame(0xC9, 16, 16, kGrey)), kJpegArithmeticCoding, kConstructor},
        {"APP1 length 1", picture({0xFF, 0xE1, 0x00, 0x01}), kJpegSegmentBadLength, kConstructor},
        {"DRI length 5", picture(segment(0xDD, {0, 0, 1})), kJpegRestartBadLength, kConstructor},
        {"TEM", picture({0xFF, 0x01}), kJpegUnexpectedMarker, kConstructor},
        {"APPn, COM and DNL anywhere, fill bytes",
         join({soi(), com, segment(0xE0, {}), tables(), frame(0xC0, 16, 16, kGrey), com, {0xFF, 0xFF},
               scanHeader({1}), flatScan(4), segment(0xDC, {0, 16}), com, segment(0xEF, {1, 2, 3}), eoi()}),
         0, kNone},
        // SOI must end within the first 512 bytes and be followed by FF.
        {"SOI ending at offset 512", behind(Bytes(511, 0x00)), 0, kNone},
        {"SOI ending at offset 513", behind(Bytes(512, 0x00)), kJpegNoStartOfImage, kConstructor},
        {"SOS of 0 components", withSos(segment(0xDA, {0, 0, 63, 0})), kJpegScanBadHeader, kBegin},
        {"unknown component", withSos(scanHeader({7})), kJpegScanUnknownComponent, kBegin},
        {"no DC table", withSos(scanHeader({1}), join({quantTable(), acTable()})), kJpegMissingHuffmanTable, kBegin},
        {"no quantisation table", withSos(scanHeader({1}), join({dcTable(), acTable()})), kJpegMissingQuantTable, kBegin},
        {"14 blocks per MCU", picture({}, frame(0xC0, 16, 16, kColour), scanHeader({1, 1, 1, 2})), kJpegLimitExceeded, kBegin},
        {"2 components", picture({}, frame(0xC0, 16, 16, {{1, 1, 1, 0}, {2, 1, 1, 0}}), scanHeader({1, 2})), kJpegUnsupportedComponents, kBegin},
        {"Cb 2x1", picture({}, frame(0xC0, 16, 16, {{1, 2, 2, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}}), scanHeader(c3)), kJpegUnsupportedSampling, kBegin},
        {"grey 3x2, decoded in 8x8 units", picture({}, frame(0xC0, 16, 16, {{1, 3, 2, 0}}), scanHeader({1})), 0, kNone},
        // Coefficients beyond the block (0x21: run 2 at position 62).
        {"run past 63", secondBlock(61, 0x21, 1), kJpegBadScanData, kRows},
        {"all 63 AC positions", secondBlock(63), 0, kNone},
        // Restart markers, looked for within 1536 bytes of the data.
        {"1000 bytes before RST0", restarts(rst, 1000), 0, kNone},
        {"RST out of sequence", restarts({0xD0, 0xD1, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7}), kJpegBadRestart, kRows},
        // A file cut inside the scan reads on as 1-bits.
        {"cut scan without restarts", cutScan, 0, kNone},
        {"source failing inside the scan", flatGrey(8192, 64), kJpegSourceFailed, kRows, 100, 45},
        {"AC scan over 2 components", progressive(scanHeader({1, 2}, 1, 63, 0)), kJpegBadSpectralSelection, kBegin},
        {"Ah 2 Al 0", progressive(scanHeader(c3, 0, 0, 0x20)), kJpegBadApproximation, kBegin},
        {"DC first with Al 1", progressive(scanHeader(c3, 0, 0, 0x01)), 0, kNone},
        {"progressive without any scan", progressive({}, {}), 0, kNone},
        {"8192 wide", flatGrey(8192, 8), 0, kNone},
        {"8192 high", flatGrey(8, 8192), 0, kNone},
    };
}

TEST(JpegFaults, EveryCraftedStreamEndsInItsCodeAtItsStage) {
    for (const FaultCase& c : faultCases())
        for (bool fast : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (fast ? " (fast)" : " (accurate)"));
            const Decoded d = decode(c.stream, fast, c.chunkLimit, c.failAtRead);
            const Stage stage = d.constructorCode ? kConstructor : d.beginResult ? kBegin : d.lastResult != 1 ? kRows : kNone;
            EXPECT_EQ(std::make_tuple(d.errorCode, stage, d.brokenRule), std::make_tuple(c.code, c.stage, std::string()));
            EXPECT_EQ(stage == kRows ? d.lastResult : kJpegBadScanData, kJpegBadScanData); // every fault while delivering rows reads the one code
        }
}

// Ordinary blocks, sparse ones, and wild values that overflow 16 bits, also
// with wild quantisation; samples written with a stride wider than a block.
TEST(JpegTransforms, SimdAndScalarTransformsAgreeOnEverySample) {
    if (!jpeg::idctHasSimd()) GTEST_SKIP() << "this build has no SIMD transform";
    std::mt19937 rng(20261206);
    int16_t coefs[64], quant[64], dequantised[64];
    constexpr int32_t kStride = 24;
    uint8_t simd[8 * kStride], scalar[8 * kStride];
    for (int32_t round = 0; round < 200000; ++round) {
        const int32_t kind = round % 4;
        for (int32_t z = 0; z < 64; ++z) {
            const int32_t q = kind == 3 ? int32_t(rng() % 65536) : 1 + int32_t(rng() % 100);
            quant[z] = int16_t((int64_t(q) * jpeg::kAanScale[z] + 2048) >> 12);
            coefs[z] = int16_t(kind == 0   ? int32_t(rng() % 61) - 30
                               : kind == 1 ? (rng() % 8 ? 0 : int32_t(rng() % 2047) - 1023)
                                           : int32_t(rng() % 65536) - 32768);
            dequantised[z] = int16_t(coefs[z] * q);
        }
        std::memset(simd, 7, sizeof simd);
        std::memset(scalar, 7, sizeof scalar);
        jpeg::idctFastSimd(coefs, quant, simd, kStride);
        jpeg::idctFastScalar(coefs, quant, scalar, kStride);
        ASSERT_EQ(std::memcmp(simd, scalar, sizeof simd), 0) << "fast, round " << round;
        jpeg::idctAccurateSimd(dequantised, simd, kStride);
        jpeg::idctAccurateScalar(dequantised, scalar, kStride);
        ASSERT_EQ(std::memcmp(simd, scalar, sizeof simd), 0) << "accurate, round " << round;
        if (jpeg::idctHasPair()) {
            // beside a second block with a table of its own, so that mixed-up halves show
            int16_t ones[64];
            std::fill(std::begin(ones), std::end(ones), int16_t(1));
            uint8_t second[8 * 8];
            jpeg::idctFastPairAvx2(coefs, quant, simd, kStride, ones, coefs, second, 8);
            jpeg::idctFastScalar(coefs, quant, scalar, kStride);
            ASSERT_EQ(std::memcmp(simd, scalar, sizeof simd), 0) << "first of a pair, round " << round;
            jpeg::idctFastScalar(ones, coefs, scalar, 8);
            ASSERT_EQ(std::memcmp(second, scalar, sizeof second), 0) << "second of a pair, round " << round;
        }
    }
}

// Every luminance with every pair of chroma values, per-pixel chroma and
// chroma replicated across, one row and two rows sharing their chroma.
TEST(JpegColour, SimdAndScalarConversionsAgreeOnEveryValue) {
    if (!jpeg::yccHasSimd()) GTEST_SKIP() << "this build has no SIMD conversion";
    jpeg::ColourTables tables;
    tables.build();
    uint8_t y0[256], y1[256], cb[256], cr[256];
    std::vector<uint8_t> simd(4 * 2 * 256), scalar(4 * 2 * 256);
    for (int32_t x = 0; x < 256; ++x) y0[x] = uint8_t(x), y1[x] = uint8_t(255 - x);
    for (int32_t base = 0; base < 256; ++base)
        for (int32_t offset = 0; offset < 256; ++offset) {
            for (int32_t x = 0; x < 256; ++x) cb[x] = uint8_t(base), cr[x] = uint8_t(x + offset);
            const bool across = (offset & 1) != 0;
            const uint8_t* second = (offset & 2) != 0 ? y1 : nullptr;
            std::fill(simd.begin(), simd.end(), 0);
            std::fill(scalar.begin(), scalar.end(), 0);
            jpeg::yccRow(tables, y0, second, cb, cr, simd.data(), simd.data() + 1024, 256, across);
            jpeg::yccRowScalar(tables, y0, second, cb, cr, scalar.data(), scalar.data() + 1024, 256, across);
            ASSERT_EQ(simd, scalar) << "Cb " << base << " Cr offset " << offset;
            if (jpeg::yccHasAvx2()) {
                // a row length that leaves a tail for the narrower loop
                std::fill(simd.begin(), simd.end(), 0);
                std::fill(scalar.begin(), scalar.end(), 0);
                const int32_t pixels = across ? 240 : 232;
                jpeg::yccRowAvx2(tables, y0, second, cb, cr, simd.data(), simd.data() + 1024, pixels, across);
                jpeg::yccRowScalar(tables, y0, second, cb, cr, scalar.data(), scalar.data() + 1024, pixels, across);
                ASSERT_EQ(simd, scalar) << "AVX2, Cb " << base << " Cr offset " << offset;
            }
        }
}

} // namespace
