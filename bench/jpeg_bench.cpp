// Decoding speed of our JPEG decoder (fast and accurate path) against
// libjpeg-turbo and stb_image, on the same files in one run. Prints megapixels
// per second (median of several runs) and our/their ratios.
//
//   jpeg_bench [runs]          files are made on first use with ImageMagick and cjpeg
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <ctime>
#include <vector>

#include <turbojpeg.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#include "stb_image.h"
#pragma GCC diagnostic pop

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/memory_source.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct TestFile {
    const char* name;
    const char* cjpegArgs;
};

const TestFile kFiles[] = {
    {"photo_420.jpg", "-quality 85 -sample 2x2"},
    {"photo_420_progressive.jpg", "-quality 85 -sample 2x2 -progressive"},
    {"photo_444.jpg", "-quality 85 -sample 1x1"},
    {"photo_grey.jpg", "-quality 85 -grayscale"},
};

bool makeFiles(const std::string& dir) {
    std::filesystem::create_directories(dir);
    const std::string source = dir + "/photo.ppm";
    if (!std::filesystem::exists(source)) {
        std::printf("making a 4000x3000 photo-like picture with ImageMagick...\n");
        const std::string cmd = "convert -size 4000x3000 -seed 7 plasma:fractal -blur 0x2 -attenuate 0.4 "
                                "+noise Gaussian " + source;
        if (std::system(cmd.c_str()) != 0) return false;
    }
    for (const TestFile& f : kFiles) {
        const std::string out = dir + "/" + f.name;
        if (std::filesystem::exists(out)) continue;
        const std::string cmd = std::string("cjpeg ") + f.cjpegArgs + " -outfile " + out + " " + source;
        if (std::system(cmd.c_str()) != 0) return false;
    }
    return true;
}

Bytes readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Our decoder, rows copied into one picture as a caller would keep them.
bool decodeOurs(const Bytes& file, bool fast, std::vector<uint8_t>& picture, int& width, int& height) {
    MemorySource source(file.data(), file.size());
    JpegDecoder decoder(&source, fast);
    if (decoder.errorCode() != 0 || decoder.begin() != 0) return false;
    width = decoder.width();
    height = decoder.height();
    const size_t stride = size_t(width) * decoder.bytesPerPixel();
    picture.resize(stride * height);
    const uint8_t* line = nullptr;
    uint32_t lineBytes = 0;
    for (int y = 0; y < height; ++y) {
        if (decoder.decodeScanLine(&line, &lineBytes) != 0) return false;
        std::memcpy(picture.data() + stride * y, line, lineBytes);
    }
    return true;
}

bool decodeTurbo(tjhandle tj, const Bytes& file, std::vector<uint8_t>& picture, int& width, int& height) {
    int subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(tj, file.data(), static_cast<unsigned long>(file.size()), &width, &height,
                            &subsampling, &colourspace) != 0) {
        return false;
    }
    const int format = colourspace == TJCS_GRAY ? TJPF_GRAY : TJPF_RGB;
    picture.resize(size_t(width) * height * tjPixelSize[format]);
    return tjDecompress2(tj, file.data(), static_cast<unsigned long>(file.size()), picture.data(), width, 0,
                         height, format, 0) == 0;
}

bool decodeStb(const Bytes& file, int& width, int& height) {
    int components = 0;
    stbi_uc* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &components, 0);
    if (p == nullptr) return false;
    stbi_image_free(p);
    return true;
}

// Thread CPU time: the machine may be shared, and waiting for a core is not
// decoding time.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Megapixels per second of one decode; 0 when decoding failed.
double rate(const std::function<bool(int&, int&)>& decode) {
    int w = 0, h = 0;
    const double start = cpuSeconds();
    if (!decode(w, h)) return 0;
    return double(w) * h / 1e6 / (cpuSeconds() - start);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string dir = PLOCHAR_BENCH_DIR;
    if (!makeFiles(dir)) {
        std::fprintf(stderr, "could not make the test files in %s (needs convert and cjpeg)\n", dir.c_str());
        return 1;
    }
    tjhandle tj = tjInitDecompress();
    std::printf("JPEG decoding, 4000x3000, median of %d runs, megapixels per CPU second\n\n", runs);
    std::printf("%-28s %9s %9s %9s %9s   %-12s %-12s %-12s %-12s\n", "file", "ours-fast", "ours-acc", "turbo",
                "stb", "fast/turbo", "fast/stb", "acc/turbo", "acc/stb");
    std::vector<uint8_t> picture;
    for (const TestFile& f : kFiles) {
        const Bytes file = readFile(dir + "/" + f.name);
        // The decoders take turns, so that each run sees the same conditions.
        std::vector<double> fastRuns, accurateRuns, turboRuns, stbRuns;
        for (int i = 0; i < runs; ++i) {
            fastRuns.push_back(rate([&](int& w, int& h) { return decodeOurs(file, true, picture, w, h); }));
            accurateRuns.push_back(rate([&](int& w, int& h) { return decodeOurs(file, false, picture, w, h); }));
            turboRuns.push_back(rate([&](int& w, int& h) { return decodeTurbo(tj, file, picture, w, h); }));
            stbRuns.push_back(rate([&](int& w, int& h) { return decodeStb(file, w, h); }));
        }
        const double fast = median(fastRuns), accurate = median(accurateRuns);
        const double turbo = median(turboRuns), stb = median(stbRuns);
        auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
        std::printf("%-28s %9.1f %9.1f %9.1f %9.1f   %-12.2f %-12.2f %-12.2f %-12.2f\n", f.name, fast, accurate,
                    turbo, stb, ratio(fast, turbo), ratio(fast, stb), ratio(accurate, turbo), ratio(accurate, stb));
    }
    tjDestroy(tj);
    return 0;
}
