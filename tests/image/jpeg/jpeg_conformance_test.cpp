// Our decoder against libjpeg-turbo's djpeg ("-dct int -nosmooth": the same
// integer transform, chroma replicated as we do) on a corpus made with cjpeg
// during the test run: within 3 levels per sample and 0.05 on average over
// the corpus. Our rows-first order rounds at other places, so one noisy
// picture may reach 0.06, without a drift (signed mean) beyond 0.05.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "jpeg_test_support.h"

using namespace jpegtest;

namespace {

// Photo-like (gradients, texture, noise; deterministic per seed) or synthetic
// (hard edges, stripes, saturated colours, flat areas) samples.
Bytes makePicture(int32_t width, int32_t height, int32_t components, bool photo, uint32_t seed) {
    Bytes samples;
    static const uint8_t palette[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {255, 255, 0}};
    uint32_t rng = seed * 2654435761u + 12345u;
    const double fx = 6.2831853 / (width + 7), fy = 6.2831853 / (height + 5);
    for (int32_t i = 0; i < width * height * components; ++i) {
        const int32_t x = i / components % width, y = i / components / width, c = i % components;
        const double tint[3] = {0, 30 * std::cos(y * fy * 2), -25 * std::sin(x * fx * 3)};
        rng ^= rng << 13, rng ^= rng >> 17, rng ^= rng << 5;
        const double v = !photo ? (x % 11 == 0 ? 128 : palette[((x / 5) + (y / 3) * 2) % 6][c])
                                : 128 + 70 * std::sin(x * fx * 1.3 + seed) * std::cos(y * fy * 0.9) +
                                      18 * std::sin(x * 0.45 + y * 0.31) * std::sin(y * 0.23 - x * 0.05) + tint[c] +
                                      (int32_t(rng % 13) - 6);
        samples.push_back(uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v + 0.5)));
    }
    return samples;
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

// Largest and mean absolute difference, mean signed difference (a bias of
// a against b) and PSNR.
struct Difference {
    int32_t maxAbs = 0;
    double meanAbs = 0, meanSigned = 0, psnr = 99;
};
Difference compare(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size() || a.empty()) return {256, 256, 256, 0};
    Difference d;
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const int32_t diff = int32_t(a[i]) - int32_t(b[i]);
        d.maxAbs = std::max(d.maxAbs, std::abs(diff));
        d.meanSigned += diff / double(a.size()), d.meanAbs += std::abs(diff) / double(a.size());
        squares += double(diff) * diff;
    }
    if (squares > 0) d.psnr = 10 * std::log10(255.0 * 255.0 * double(a.size()) / squares);
    return d;
}

struct Case {
    std::string name;
    int32_t width, height, components;
    bool photo;
    std::string cjpegArgs, scanScript = ""; // the script is passed with -scans when not empty
};

// Every sampling plain, progressive, with restarts and with optimised
// tables; grey ones, odd sizes, hard edges, scripted scans and qualities.
const std::vector<Case> kCorpus = [] {
    std::vector<Case> cases = {
        {"grey", 96, 80, 1, true, "-quality 85"}, {"prog_grey", 77, 61, 1, true, "-quality 85 -progressive"},
        {"restart_grey_mcu", 40, 40, 1, true, "-quality 60 -restart 1B"},
        {"restart_rows", 150, 100, 3, true, "-quality 85 -restart 2"},
        {"prog_restart", 100, 60, 3, true, "-quality 85 -progressive -restart 1"},
        {"odd_grey_1x1", 1, 1, 1, true, "-quality 85"}, {"odd_33x15", 33, 15, 3, true, "-quality 85 -sample 1x2"},
        {"odd_1000x1", 1000, 1, 3, true, "-quality 85 -sample 1x1"},
        {"odd_1000x1_grey", 1000, 1, 1, true, "-quality 85 -progressive"},
        {"synthetic_2x2", 61, 47, 3, false, "-quality 90"}, {"synthetic_grey", 61, 47, 1, false, "-quality 50"},
        {"synthetic_1x1", 61, 47, 3, false, "-quality 100 -sample 1x1"},
        {"synthetic_prog", 61, 47, 3, false, "-quality 95 -progressive"},
        {"noninterleaved", 90, 70, 3, true, "-quality 85", "0;\n1;\n2;\n"},
        {"noninterleaved_1x1", 45, 37, 3, true, "-quality 85 -sample 1x1", "0;\n2;\n1;\n"},
        {"partly_interleaved", 90, 70, 3, true, "-quality 85 -restart 1B", "0;\n1 2;\n"},
        {"noninterleaved_1x2", 45, 37, 3, true, "-quality 85 -sample 1x2", "2;\n0;\n1;\n"},
        {"custom_progressive", 80, 64, 3, true, "-quality 90",
         "0 1 2: 0-0, 0, 1;\n0: 1-9, 0, 0;\n2: 1-63, 0, 0;\n1: 1-63, 0, 0;\n0: 10-63, 0, 1;\n"
         "0 1 2: 0-0, 1, 0;\n0: 10-63, 1, 0;\n"},
        {"grey_quality_5", 80, 64, 1, true, "-quality 5"}, {"grey_quality_100", 80, 64, 1, true, "-quality 100"},
    };
    for (const char* s : {"1x1", "2x1", "1x2", "2x2"})
        for (const char* mode : {"", " -progressive", " -restart 1B", " -optimize"}) {
            const int32_t n = int32_t(cases.size());
            cases.push_back({"sampled_" + std::to_string(n), 96 - 7 * (n % 5), 80 - 9 * (n % 4), 3, true,
                             std::string("-quality 85 -sample ") + s + mode});
        }
    for (const auto& [w, h] : std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {7, 9}, {17, 17}, {1, 1000}})
        cases.push_back({"odd_" + std::to_string(w) + "x" + std::to_string(h), w, h, 3, true, "-quality 85"});
    for (int32_t q : {5, 10, 25, 50, 75, 90, 95, 100})
        cases.push_back({"quality_" + std::to_string(q), 80, 64, 3, true, "-quality " + std::to_string(q)});
    return cases;
}();

// Makes the picture, encodes it with cjpeg and decodes it with djpeg. Returns
// the JPEG file's bytes and djpeg's samples, nothing after reporting a failure.
Bytes prepare(const Case& c, Bytes& reference) {
    std::filesystem::create_directories(PLOCHAR_JPEG_WORK_DIR);
    const std::string base = std::string(PLOCHAR_JPEG_WORK_DIR "/") + c.name;
    const std::string ext = c.components == 1 ? ".pgm" : ".ppm";
    const std::string header = (c.components == 1 ? "P5\n" : "P6\n") + std::to_string(c.width) + " " +
                               std::to_string(c.height) + "\n255\n"; // as djpeg writes it too
    const Bytes samples = makePicture(c.width, c.height, c.components, c.photo, c.width * 31 + c.height);
    std::ofstream(base + ext, std::ios::binary) << header << std::string(samples.begin(), samples.end());
    std::ofstream(base + ".scans") << c.scanScript;
    const std::string args = c.cjpegArgs + " -dct int" + (c.components == 1 ? " -grayscale" : "") +
                             (c.scanScript.empty() ? "" : " -scans " + base + ".scans");
    const bool made = run("cjpeg " + args + " -outfile " + base + ".jpg " + base + ext) &&
                      run("djpeg -dct int -nosmooth -pnm -outfile " + base + "_djpeg" + ext + " " + base + ".jpg");
    reference = readFile(base + "_djpeg" + ext);
    if (!made || reference.size() != header.size() + samples.size() ||
        !std::equal(header.begin(), header.end(), reference.begin())) {
        ADD_FAILURE() << "cjpeg or djpeg failed for " << c.name;
        return {};
    }
    reference.erase(reference.begin(), reference.begin() + std::ptrdiff_t(header.size()));
    return readFile(base + ".jpg");
}

TEST(JpegConformance, AccuratePathMatchesDjpegAndFastPathStaysClose) {
    double meanSum = 0;
    int32_t compared = 0;
    for (const Case& c : kCorpus) {
        SCOPED_TRACE(c.name);
        Bytes reference;
        const Bytes bytes = prepare(c, reference);
        if (bytes.empty()) continue;
        const Decoded accurate = decode(bytes, false), fast = decode(bytes, true);
        for (const Decoded* d : {&accurate, &fast}) {
            EXPECT_EQ(std::make_pair(d->errorCode, d->rows), std::make_pair(0, c.height));
            EXPECT_TRUE(d->rowsWellFormed && d->brokenRule.empty()) << d->brokenRule;
        }
        const Difference a = compare(accurate.samples, reference), f = compare(fast.samples, accurate.samples);
        EXPECT_LE(a.maxAbs, 3);
        EXPECT_LE(a.meanAbs, 0.06);
        EXPECT_LE(std::fabs(a.meanSigned), 0.05); // no drift either way
        meanSum += a.meanAbs, ++compared;
        const bool judged = c.photo && c.cjpegArgs.find("quality 100") == std::string::npos;
        EXPECT_GE(judged ? f.psnr : 99, 30.0);
    }
    ASSERT_GT(compared, 0);
    EXPECT_LE(meanSum / compared, 0.05);
}

} // namespace
