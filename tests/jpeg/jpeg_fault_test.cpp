// Crafted streams: every fault code the decoder can raise, and the header
// rules around them.
#include <gtest/gtest.h>

#include <string>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/memory_source.h"
#include "jpeg_stream_builder.h"
#include "jpeg_test_support.h"

using namespace jpegtest;

namespace {

const std::vector<Component> kGrey = {{1, 1, 1, 0}};
const std::vector<Component> kColour = {{1, 2, 2, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}};

Bytes flatScan(int32_t blocks) {
    ScanWriter w;
    for (int32_t i = 0; i < blocks; ++i) w.flatBlock();
    return w.finish();
}

Bytes greyWith(const Bytes& beforeFrame, const Bytes& frameSegment, const Bytes& afterFrame) {
    return join({soi(), quantTable(), dcTable(), acTable(), beforeFrame, frameSegment, afterFrame,
                 scanHeader({1}), flatScan(4), eoi()});
}

// The fault a stream ends in, on both paths: the constructor's, begin's or
// the rows'. 0 when the picture decodes.
struct Outcome {
    int32_t code;
    const char* stage; // "constructor", "begin", "rows" or "none"
};

Outcome outcome(const Bytes& stream, bool fast) {
    const Decoded d = decode(stream, fast);
    if (d.constructorCode != 0) return {d.constructorCode, "constructor"};
    if (d.beginResult != 0) return {d.errorCode, "begin"};
    if (d.lastResult != 1) {
        EXPECT_EQ(d.lastResult, -227); // every fault while delivering rows reads -227
        return {d.errorCode, "rows"};
    }
    return {0, "none"};
}

void expectFault(const Bytes& stream, int32_t code, const std::string& stage, const char* what) {
    for (bool fast : {false, true}) {
        const Outcome o = outcome(stream, fast);
        EXPECT_EQ(o.code, code) << what << (fast ? " (fast)" : " (accurate)");
        EXPECT_EQ(std::string(o.stage), stage) << what;
    }
}

TEST(JpegFaults, HuffmanAndQuantisationSegments) {
    Bytes tooMany = {0x00, 0, 0, 0, 0, 0, 0, 0, 255, 1, 0, 0, 0, 0, 0, 0, 0};
    expectFault(greyWith(segment(0xC4, tooMany), frame(0xC0, 16, 16, kGrey), {}), -200, "constructor",
                "256 symbols");
    expectFault(greyWith(acTable(0, 0x14), frame(0xC0, 16, 16, kGrey), {}), -201, "constructor", "slot 8");
    expectFault(greyWith({0xFF, 0xC4, 0x00, 0x01}, frame(0xC0, 16, 16, kGrey), {}), -202, "constructor",
                "DHT length 1");
    // Length covers the counts but not the one symbol they announce.
    Bytes shortTable = {0xFF, 0xC4, 0x00, 19, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    expectFault(greyWith(shortTable, frame(0xC0, 16, 16, kGrey), {}), -202, "constructor", "DHT too short");
    expectFault(greyWith({0xFF, 0xDB, 0x00, 0x01}, frame(0xC0, 16, 16, kGrey), {}), -203, "constructor",
                "DQT length 1");
    expectFault(greyWith(quantTable(4), frame(0xC0, 16, 16, kGrey), {}), -204, "constructor", "DQT id 4");
    Bytes shortQuant = quantTable(1);
    shortQuant[3] -= 1; // one byte of the table lies outside the segment
    expectFault(greyWith(shortQuant, frame(0xC0, 16, 16, kGrey), {}), -219, "constructor", "DQT too short");

    // A DHT byte 04 (class 0, identifier 4) is AC table 0; 16-bit DQT values are fine.
    Bytes p = {0x11};
    for (int32_t i = 0; i < 64; ++i) p.insert(p.end(), {0x00, 0x01});
    const Bytes stream = join({soi(), segment(0xDB, p), dcTable(), acTable(0, 0x04),
                               frame(0xC0, 16, 16, {{1, 1, 1, 1}}), scanHeader({1}), flatScan(4), eoi()});
    expectFault(stream, 0, "none", "class 0 id 4 and 16-bit DQT");
}

TEST(JpegFaults, FrameHeader) {
    expectFault(greyWith({}, frame(0xC0, 16, 16, kGrey, 12), {}), -205, "constructor", "12-bit");
    expectFault(greyWith({}, frame(0xC0, 16, 0, kGrey), {}), -206, "constructor", "height 0");
    expectFault(greyWith({}, frame(0xC0, 16, 8193, kGrey), {}), -206, "constructor", "height 8193");
    expectFault(greyWith({}, frame(0xC0, 0, 16, kGrey), {}), -207, "constructor", "width 0");
    expectFault(greyWith({}, frame(0xC0, 8193, 16, kGrey), {}), -207, "constructor", "width 8193");
    const std::vector<Component> five = {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 0}, {5, 1, 1, 0}};
    expectFault(greyWith({}, frame(0xC0, 16, 16, five), {}), -208, "constructor", "5 components");
    Bytes badLength = frame(0xC0, 16, 16, kGrey);
    badLength[3] += 1;
    badLength.push_back(0);
    expectFault(greyWith({}, badLength, {}), -209, "constructor", "SOF length");
    expectFault(greyWith({}, frame(0xC3, 16, 16, kGrey), {}), -218, "constructor", "lossless SOF3");
    expectFault(greyWith({}, frame(0xCA, 16, 16, kGrey), {}), -218, "constructor", "SOF10");
    expectFault(greyWith({}, frame(0xC9, 16, 16, kGrey), {}), -215, "constructor", "SOF9 arithmetic");
    expectFault(join({soi(), eoi()}), -218, "constructor", "EOI before a frame");
    expectFault(join({soi(), scanHeader({1})}), -218, "constructor", "SOS before a frame");
}

TEST(JpegFaults, MarkerLoop) {
    expectFault(greyWith(segment(0xE0, Bytes{}) /* length 2 is fine */, frame(0xC0, 16, 16, kGrey), {}), 0, "none",
                "empty APP0");
    expectFault(greyWith({0xFF, 0xE1, 0x00, 0x01}, frame(0xC0, 16, 16, kGrey), {}), -210, "constructor",
                "APP1 length 1");
    expectFault(greyWith(segment(0xDD, {0, 0, 1}), frame(0xC0, 16, 16, kGrey), {}), -211, "constructor",
                "DRI length 5");
    expectFault(greyWith(segment(0xCC, {0, 0}), frame(0xC0, 16, 16, kGrey), {}), -215, "constructor", "DAC");
    expectFault(greyWith({0xFF, 0x01}, frame(0xC0, 16, 16, kGrey), {}), -216, "constructor", "TEM");
    expectFault(greyWith({0xFF, 0xC8}, frame(0xC0, 16, 16, kGrey), {}), -216, "constructor", "JPG");
    expectFault(greyWith({0xFF, 0xD3}, frame(0xC0, 16, 16, kGrey), {}), -216, "constructor", "RST3");
    // Segments the decoder has no use for are skipped anywhere, also between
    // the last scan and EOI; fill bytes FF before a marker are fine.
    const Bytes com = segment(0xFE, {'h', 'i'});
    const Bytes dnl = segment(0xDC, {0, 16});
    const Bytes stream = join({soi(), com, segment(0xE0, {'J', 'F', 'I', 'F', 0}), quantTable(), dcTable(),
                               {0xFF, 0xFF}, acTable(), frame(0xC0, 16, 16, kGrey), com, scanHeader({1}),
                               flatScan(4), dnl, com, segment(0xEF, {1, 2, 3}), eoi()});
    expectFault(stream, 0, "none", "APPn, COM and DNL");
}

TEST(JpegFaults, StartOfImageSearch) {
    const Bytes picture = flatGrey(16, 16);
    Bytes behind100(100, 0x20);
    behind100.insert(behind100.end(), picture.begin(), picture.end());
    expectFault(behind100, 0, "none", "SOI after 100 bytes");
    Bytes behind511(511, 0x00);
    behind511.insert(behind511.end(), picture.begin(), picture.end());
    expectFault(behind511, 0, "none", "SOI ending at offset 512");
    Bytes behind512(512, 0x00);
    behind512.insert(behind512.end(), picture.begin(), picture.end());
    expectFault(behind512, -217, "constructor", "SOI ending at offset 513");
    Bytes behind600(600, 0x20);
    behind600.insert(behind600.end(), picture.begin(), picture.end());
    expectFault(behind600, -217, "constructor", "SOI after 600 bytes");
    Bytes notFollowed = {0x00, 0xFF, 0xD8, 0x00};
    notFollowed.insert(notFollowed.end(), picture.begin() + 2, picture.end());
    expectFault(notFollowed, -217, "constructor", "searched SOI without FF after it");
    expectFault(Bytes{}, -217, "constructor", "empty stream");
}

TEST(JpegFaults, ScanHeaderAndTables) {
    const Bytes f = frame(0xC0, 16, 16, kGrey);
    auto withScan = [&](const Bytes& tables, const Bytes& sos) {
        return join({soi(), tables, f, sos, flatScan(4), eoi()});
    };
    const Bytes all = join({quantTable(), dcTable(), acTable()});
    expectFault(withScan(all, segment(0xDA, {0, 0, 63, 0})), -212, "begin", "SOS with 0 components");
    expectFault(withScan(all, segment(0xDA, {1, 1, 0, 0, 63})), -212, "begin", "SOS length");
    expectFault(withScan(all, scanHeader({1, 1, 1, 1, 1})), -212, "begin", "SOS with 5 components");
    expectFault(withScan(all, scanHeader({7})), -213, "begin", "unknown component");
    expectFault(withScan(join({quantTable(), acTable()}), scanHeader({1})), -223, "begin", "no DC table");
    expectFault(withScan(join({quantTable(), dcTable()}), scanHeader({1})), -223, "begin", "no AC table");
    expectFault(withScan(all, segment(0xDA, {1, 1, 0x40, 0, 63, 0})), -223, "begin", "DC selector 4");
    expectFault(withScan(join({dcTable(), acTable()}), scanHeader({1})), -222, "begin", "no quantisation table");
    expectFault(join({soi(), all, frame(0xC0, 16, 16, {{1, 1, 1, 9}}), scanHeader({1}), flatScan(4), eoi()}),
                -222, "begin", "quantisation selector 9");
    expectFault(join({soi(), all, f, eoi()}), -216, "begin", "no scan at all");
    expectFault(join({soi(), all, f, frame(0xC0, 16, 16, kGrey), eoi()}), -216, "begin", "second frame");
    // Three times Y and Cb in a 2x2 frame: more than 10 blocks per MCU.
    expectFault(join({soi(), all, frame(0xC0, 16, 16, kColour), scanHeader({1, 1, 1, 2}), flatScan(20), eoi()}),
                -229, "begin", "14 blocks per MCU");
}

TEST(JpegFaults, ComponentsAndSampling) {
    const Bytes all = join({quantTable(), dcTable(), acTable()});
    auto picture = [&](const std::vector<Component>& comps, const std::vector<uint8_t>& ids) {
        return join({soi(), all, frame(0xC0, 16, 16, comps), scanHeader(ids), flatScan(24), eoi()});
    };
    expectFault(picture({{1, 1, 1, 0}, {2, 1, 1, 0}}, {1, 2}), -225, "begin", "2 components");
    expectFault(picture({{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}, {4, 1, 1, 0}}, {1, 2, 3, 4}), -225, "begin",
                "4 components");
    expectFault(picture({{1, 2, 2, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}}, {1, 2, 3}), -226, "begin", "Cb 2x1");
    expectFault(picture({{1, 3, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}, {1, 2, 3}), -226, "begin", "Y 3x1");
    expectFault(picture({{1, 4, 4, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}, {1, 2, 3}), -226, "begin", "Y 4x4");
    expectFault(picture({{1, 0, 1, 0}}, {1}), -226, "begin", "grey factor 0");
    expectFault(picture({{1, 1, 0, 0}}, {1}), -226, "begin", "grey factor 0 down");
    // One component with any other factors decodes in 8x8 units.
    expectFault(picture({{1, 3, 2, 0}}, {1}), 0, "none", "grey 3x2");
}

TEST(JpegFaults, CoefficientsBeyondTheBlock) {
    const Bytes head = join({soi(), quantTable(), dcTable(), acTable(), frame(0xC0, 8, 8, kGrey), scanHeader({1})});
    auto run = [&](void (*fill)(ScanWriter&)) {
        ScanWriter w;
        fill(w);
        return join({head, w.finish(), eoi()});
    };
    // 0x21: run 2 at position 62.
    expectFault(run([](ScanWriter& w) {
                    w.dc(0);
                    for (int i = 0; i < 61; ++i) w.ac(0x01, 1);
                    w.ac(0x21, 1);
                }),
                -227, "rows", "run past 63");
    // Four ZRLs from position 1 reach 65.
    expectFault(run([](ScanWriter& w) {
                    w.dc(0);
                    for (int i = 0; i < 3; ++i) w.ac(0xF0, 0);
                    w.ac(0x0A, 1);
                    w.ac(0xF0, 0);
                }),
                -227, "rows", "ZRL past 63");
    // Up to the last position is fine: 62 ones, then run 0 at 63.
    expectFault(run([](ScanWriter& w) {
                    w.dc(0);
                    for (int i = 0; i < 63; ++i) w.ac(0x01, -1);
                }),
                0, "none", "all 63 AC positions");
}

TEST(JpegFaults, RestartMarkers) {
    // 32x16 grey, one MCU per interval: 8 MCUs need RST0..RST6.
    auto stream = [](const std::vector<uint8_t>& markers) {
        Bytes b = join({soi(), quantTable(), dcTable(), acTable(), restartInterval(1), frame(0xC0, 32, 16, kGrey),
                        scanHeader({1})});
        for (size_t i = 0; i < 8; ++i) {
            ScanWriter w;
            w.flatBlock(i == 0 ? 40 : 0); // each interval starts its prediction anew
            const Bytes data = w.finish();
            b.insert(b.end(), data.begin(), data.end());
            if (i < markers.size()) b.insert(b.end(), {0xFF, markers[i]});
        }
        b.insert(b.end(), {0xFF, 0xD9});
        return b;
    };
    expectFault(stream({0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6}), 0, "none", "RST0..RST6");
    expectFault(stream({0xD0, 0xD1, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7}), -228, "rows", "RST out of sequence");
    expectFault(stream({0xD0, 0xD1, 0xD2}), -228, "rows", "RST missing");
    // The marker is looked for within 1536 bytes of what follows the data.
    auto withJunk = [&](size_t junk) {
        Bytes b = stream({0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6});
        size_t firstMarker = 0;
        while (!(b[firstMarker] == 0xFF && b[firstMarker + 1] == 0xD0)) ++firstMarker;
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(firstMarker), junk, 0x5A);
        return b;
    };
    expectFault(withJunk(1000), 0, "none", "1000 bytes before RST0");
    expectFault(withJunk(1600), -228, "rows", "1600 bytes before RST0");
}

TEST(JpegFaults, ProgressiveScans) {
    const Bytes head = join({soi(), quantTable(), dcTable(), acTable(), frame(0xC2, 16, 16, kColour)});
    auto with = [&](const Bytes& sos) { return join({head, sos, flatScan(6), eoi()}); };
    expectFault(with(scanHeader({1, 2}, 1, 63, 0)), -230, "begin", "AC scan over 2 components");
    expectFault(with(scanHeader({1}, 5, 4, 0)), -230, "begin", "end before start");
    expectFault(with(scanHeader({1}, 1, 64, 0)), -230, "begin", "end 64");
    expectFault(with(scanHeader({1, 2, 3}, 0, 5, 0)), -230, "begin", "DC scan with AC");
    expectFault(with(scanHeader({1, 2, 3}, 0, 0, 0x20)), -231, "begin", "Ah 2 Al 0");
    expectFault(with(scanHeader({1, 2, 3}, 0, 0, 0x01)), 0, "none", "DC first with Al 1");
    // AC refinement accepts only sizes 0 and 1.
    ScanWriter w;
    w.ac(0x02, 1);
    const Bytes refine = join({head, scanHeader({2}, 1, 63, 0x10), w.finish(), eoi()});
    expectFault(refine, -227, "begin", "refinement size 2");
    // AC first: a run beyond 63.
    ScanWriter w2;
    w2.ac(0x0A, 1);
    for (int i = 0; i < 3; ++i) w2.ac(0xF0, 0);
    w2.ac(0x0A, 1);
    w2.ac(0xF0, 0);
    expectFault(join({head, scanHeader({2}, 1, 63, 0), w2.finish(), eoi()}), -227, "begin", "AC first past 63");
    // A progressive picture without scans decodes to mid-grey.
    const Decoded empty = decode(join({head, eoi()}), false);
    EXPECT_EQ(empty.errorCode, 0);
    EXPECT_EQ(empty.rows, 16);
    EXPECT_EQ(empty.picture.samples[0], 128);
}

TEST(JpegFaults, SourceFailureAndFaultsAreFinal) {
    const Bytes picture = flatGrey(16, 16);
    MemorySource failing(picture.data(), picture.size());
    failing.failAtRead = 1;
    JpegDecoder d(&failing, false);
    EXPECT_EQ(d.errorCode(), -232);
    EXPECT_EQ(failing.detaches, 1);
    const int32_t reads = failing.reads;
    const uint8_t* line = nullptr;
    uint32_t bytes = 0;
    EXPECT_EQ(d.begin(), -1);
    EXPECT_EQ(d.decodeScanLine(&line, &bytes), -1);
    EXPECT_EQ(failing.reads, reads); // never touched again
    EXPECT_EQ(failing.detaches, 1);

    // A fault while delivering rows: -227 once, then -1; the source is let go.
    const Bytes head = join({soi(), quantTable(), dcTable(), acTable(), frame(0xC0, 8, 24, kGrey), scanHeader({1})});
    ScanWriter w;
    w.flatBlock();
    w.dc(0);
    for (int i = 0; i < 4; ++i) w.ac(0xF0, 0);
    const Bytes bad = join({head, w.finish(), eoi()});
    MemorySource source(bad.data(), bad.size());
    JpegDecoder d2(&source, true);
    ASSERT_EQ(d2.begin(), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(d2.decodeScanLine(&line, &bytes), 0);
    EXPECT_EQ(d2.decodeScanLine(&line, &bytes), -227);
    EXPECT_EQ(d2.errorCode(), -227);
    EXPECT_EQ(source.detaches, 1);
    EXPECT_EQ(d2.decodeScanLine(&line, &bytes), -1);
    EXPECT_EQ(d2.begin(), -1);

    // A source failing later, during the scan.
    const Bytes big = flatGrey(8192, 64); // 8 KB of scan data, read 100 bytes at a time
    MemorySource late(big.data(), big.size(), 100);
    late.failAtRead = 45; // after the first 4096 bytes
    JpegDecoder d3(&late, false);
    EXPECT_EQ(d3.errorCode(), 0);
    EXPECT_EQ(d3.begin(), 0);
    int32_t r;
    while ((r = d3.decodeScanLine(&line, &bytes)) == 0) {
    }
    EXPECT_EQ(r, -227);
    EXPECT_EQ(d3.errorCode(), -232);
}

} // namespace
