// Truncated, corrupted and mutated streams: each ends in a fault code of the
// decoder's table or in a complete picture, never in a crash (the sanitizer
// build checks every access).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "jpeg_stream_builder.h"
#include "jpeg_test_support.h"

using namespace jpegtest;

namespace {

const std::set<int32_t> kFaultCodes = {-200, -201, -202, -203, -204, -205, -206, -207, -208, -209, -210,
                                       -211, -212, -213, -215, -216, -217, -218, -219, -221, -222, -223,
                                       -225, -226, -227, -228, -229, -230, -231, -232, -233};

std::vector<Bytes> seeds() {
    std::vector<Bytes> files;
    const std::filesystem::path dir = std::filesystem::path(PLOCHAR_SOURCE_DIR) / "fuzz/corpus/fuzz_jpeg_decoder";
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() == ".jpg") files.push_back(readFile(entry.path().string()));
    }
    return files;
}

// Either a documented fault or every row of the picture.
void expectFaultOrPicture(const Bytes& stream, const char* what, size_t index) {
    for (bool fast : {false, true}) {
        const Decoded d = decode(stream, fast);
        if (d.errorCode != 0) {
            EXPECT_TRUE(kFaultCodes.count(d.errorCode)) << what << " " << index << ": " << d.errorCode;
        } else {
            EXPECT_EQ(d.lastResult, 1) << what << " " << index;
            EXPECT_EQ(d.rows, d.picture.height) << what << " " << index;
            EXPECT_TRUE(d.rowsWellFormed) << what << " " << index;
        }
    }
}

TEST(JpegBadInput, EveryTruncationOfTheSeedFiles) {
    const std::vector<Bytes> files = seeds();
    ASSERT_GE(files.size(), 4u);
    for (const Bytes& file : files) {
        for (size_t length = 0; length < file.size(); ++length) {
            expectFaultOrPicture(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)),
                                 "truncated at", length);
        }
    }
}

TEST(JpegBadInput, MutatedSeedFiles) {
    std::mt19937 rng(4242);
    for (const Bytes& file : seeds()) {
        for (size_t round = 0; round < 400; ++round) {
            Bytes b = file;
            const int32_t edits = 1 + int32_t(rng() % 4);
            for (int32_t e = 0; e < edits; ++e) {
                const size_t at = rng() % b.size();
                switch (rng() % 4) {
                case 0: b[at] = static_cast<uint8_t>(rng()); break;
                case 1: b[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
                case 2: b[at] = 0xFF; break;
                default: b.erase(b.begin() + static_cast<std::ptrdiff_t>(at)); break;
                }
            }
            expectFaultOrPicture(b, "mutation round", round);
        }
    }
}

// A stream that stops inside the scan data reads on as 1-bits; only a
// restart due after the end notices (the marker found is the padding's EOI).
TEST(JpegBadInput, StreamEndingInsideTheScan) {
    const Bytes whole = flatGrey(256, 64); // 256 blocks of 8 bits
    const Bytes cut(whole.begin(), whole.end() - 100);
    for (bool fast : {false, true}) {
        const Decoded d = decode(cut, fast);
        EXPECT_EQ(d.errorCode, 0);
        EXPECT_EQ(d.rows, 64);
        EXPECT_EQ(d.lastResult, 1);
    }

    const std::vector<Component> grey = {{1, 1, 1, 0}};
    Bytes withRestarts = join({soi(), quantTable(), dcTable(), acTable(), restartInterval(4),
                               frame(0xC0, 256, 64, grey), scanHeader({1})});
    for (int32_t i = 0; i < 64; ++i) {
        ScanWriter w;
        for (int32_t b = 0; b < 4; ++b) w.flatBlock();
        const Bytes data = w.finish();
        withRestarts.insert(withRestarts.end(), data.begin(), data.end());
        if (i < 63) withRestarts.insert(withRestarts.end(), {0xFF, static_cast<uint8_t>(0xD0 + i % 8)});
    }
    withRestarts.insert(withRestarts.end(), {0xFF, 0xD9});
    ASSERT_EQ(decode(withRestarts, false).errorCode, 0);
    const Bytes restartsCut(withRestarts.begin(), withRestarts.begin() + 300);
    for (bool fast : {false, true}) {
        const Decoded d = decode(restartsCut, fast);
        EXPECT_EQ(d.errorCode, -228);
        EXPECT_EQ(d.lastResult, -227);
    }
}

// Scan data bytes: FF 00 is a data byte FF; FF FF D9 is an EOI after a fill byte.
TEST(JpegBadInput, StuffingAndFillBytes) {
    // DC differences chosen so that the coded bits contain FF bytes.
    ScanWriter w;
    for (int32_t i = 0; i < 16; ++i) w.flatBlock(i % 2 == 0 ? 1023 : -1023);
    Bytes data = w.finish();
    size_t stuffed = 0;
    for (size_t i = 0; i + 1 < data.size(); ++i) stuffed += data[i] == 0xFF && data[i + 1] == 0;
    ASSERT_GT(stuffed, 0u);
    const std::vector<Component> grey = {{1, 1, 1, 0}};
    const Bytes head = join({soi(), quantTable(), dcTable(), acTable(), frame(0xC0, 32, 32, grey), scanHeader({1})});
    const Bytes stream = join({head, data, {0xFF, 0xFF, 0xD9}});
    for (bool fast : {false, true}) {
        const Decoded d = decode(stream, fast);
        ASSERT_EQ(d.errorCode, 0);
        ASSERT_EQ(d.rows, 32);
        // Alternating +1023 / -1023 differences: blocks of 255 and 0... then 128
        // after the difference back: the values are 128 + 1023/8 and 128.
        EXPECT_EQ(d.picture.samples[0], 255);
        EXPECT_EQ(d.picture.samples[8], 128);
    }
}

} // namespace
