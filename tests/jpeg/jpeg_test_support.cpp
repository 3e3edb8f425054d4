#include "jpeg_test_support.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/memory_source.h"

namespace jpegtest {

namespace {

uint32_t nextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

uint8_t clamp255(double v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v + 0.5)); }

} // namespace

Picture makePhoto(int32_t width, int32_t height, int32_t components, uint32_t seed) {
    Picture p{width, height, components, {}};
    p.samples.resize(size_t(width) * height * components);
    uint32_t rng = seed * 2654435761u + 12345u;
    const double fx = 6.2831853 / (width + 7), fy = 6.2831853 / (height + 5);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double base = 128 + 70 * std::sin(x * fx * 1.3 + seed) * std::cos(y * fy * 0.9);
            const double texture = 18 * std::sin(x * 0.45 + y * 0.31) * std::sin(y * 0.23 - x * 0.05);
            for (int32_t c = 0; c < components; ++c) {
                const double tint = c == 0 ? 0 : (c == 1 ? 30 * std::cos(y * fy * 2) : -25 * std::sin(x * fx * 3));
                const double noise = static_cast<int32_t>(nextRandom(rng) % 13) - 6;
                p.samples[(size_t(y) * width + x) * components + c] = clamp255(base + texture + tint + noise);
            }
        }
    }
    return p;
}

Picture makeSynthetic(int32_t width, int32_t height, int32_t components) {
    Picture p{width, height, components, {}};
    p.samples.resize(size_t(width) * height * components);
    static const uint8_t palette[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255},
                                          {255, 255, 255}, {0, 0, 0}, {255, 255, 0}};
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int32_t cell = ((x / 5) + (y / 3) * 2) % 6;
            for (int32_t c = 0; c < components; ++c) {
                uint8_t v = palette[cell][c];
                if (x % 11 == 0) v = 128;
                p.samples[(size_t(y) * width + x) * components + c] = v;
            }
        }
    }
    return p;
}

bool writePnm(const std::string& path, const Picture& picture) {
    std::ofstream f(path, std::ios::binary);
    f << (picture.components == 1 ? "P5\n" : "P6\n") << picture.width << " " << picture.height << "\n255\n";
    f.write(reinterpret_cast<const char*>(picture.samples.data()),
            static_cast<std::streamsize>(picture.samples.size()));
    return static_cast<bool>(f);
}

bool readPnm(const std::string& path, Picture& picture) {
    const std::vector<uint8_t> bytes = readFile(path);
    size_t pos = 0;
    auto token = [&]() {
        while (pos < bytes.size() && std::isspace(bytes[pos])) ++pos;
        std::string t;
        while (pos < bytes.size() && !std::isspace(bytes[pos])) t += static_cast<char>(bytes[pos++]);
        return t;
    };
    const std::string magic = token();
    if (magic != "P5" && magic != "P6") return false;
    picture.components = magic == "P5" ? 1 : 3;
    picture.width = std::atoi(token().c_str());
    picture.height = std::atoi(token().c_str());
    if (std::atoi(token().c_str()) != 255) return false;
    ++pos; // the single white-space byte after the maximum
    const size_t size = size_t(picture.width) * picture.height * picture.components;
    if (bytes.size() < pos + size) return false;
    picture.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                           bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
    return true;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string workDir() {
    const std::string dir = PLOCHAR_JPEG_WORK_DIR;
    std::filesystem::create_directories(dir);
    return dir;
}

Decoded decode(const std::vector<uint8_t>& bytes, bool fast, int32_t chunkLimit) {
    Decoded d;
    MemorySource source(bytes.data(), bytes.size(), chunkLimit);
    JpegDecoder decoder(&source, fast);
    d.constructorCode = decoder.errorCode();
    d.beginResult = decoder.begin();
    if (d.beginResult == 0) {
        Picture& p = d.picture;
        p.width = decoder.width();
        p.height = decoder.height();
        const int32_t bpp = decoder.bytesPerPixel();
        p.components = bpp == 1 ? 1 : 3;
        p.samples.reserve(size_t(p.width) * p.height * p.components);
        for (;;) {
            const uint8_t* line = nullptr;
            uint32_t lineBytes = 0;
            d.lastResult = decoder.decodeScanLine(&line, &lineBytes);
            if (d.lastResult != 0) break;
            ++d.rows;
            if (lineBytes != uint32_t(p.width * bpp)) d.rowsWellFormed = false;
            for (int32_t x = 0; x < p.width; ++x) {
                if (bpp == 1) {
                    p.samples.push_back(line[x]);
                } else {
                    p.samples.insert(p.samples.end(), line + 4 * x, line + 4 * x + 3);
                    if (line[4 * x + 3] != 0) d.rowsWellFormed = false;
                }
            }
        }
    }
    d.errorCode = decoder.errorCode();
    return d;
}

Difference compare(const Picture& a, const Picture& b) {
    Difference d;
    if (a.samples.size() != b.samples.size() || a.samples.empty()) {
        d.maxAbs = 256;
        d.meanAbs = 256;
        return d;
    }
    double sum = 0, squares = 0, signedSum = 0;
    for (size_t i = 0; i < a.samples.size(); ++i) {
        signedSum += int32_t(a.samples[i]) - int32_t(b.samples[i]);
        const int32_t diff = std::abs(int32_t(a.samples[i]) - int32_t(b.samples[i]));
        if (diff > d.maxAbs) d.maxAbs = diff;
        sum += diff;
        squares += double(diff) * diff;
    }
    const double n = double(a.samples.size());
    d.meanAbs = sum / n;
    d.meanSigned = signedSum / n;
    d.psnr = squares == 0 ? std::numeric_limits<double>::infinity()
                          : 10 * std::log10(255.0 * 255.0 / (squares / n));
    return d;
}

} // namespace jpegtest
