// Helpers shared by the JPEG decoder tests: test pictures, the command-line
// tools of libjpeg-turbo, and a whole-picture decode through JpegDecoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jpegtest {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t components = 0;       // 1 grey, 3 RGB
    std::vector<uint8_t> samples; // row-major, components per pixel
};

// Photo-like: smooth gradients with texture and noise; deterministic per seed.
Picture makePhoto(int32_t width, int32_t height, int32_t components, uint32_t seed);
// Synthetic: hard edges, stripes, saturated colours and flat areas.
Picture makeSynthetic(int32_t width, int32_t height, int32_t components);

bool writePnm(const std::string& path, const Picture& picture);
bool readPnm(const std::string& path, Picture& picture);
std::vector<uint8_t> readFile(const std::string& path);
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Runs a shell command; true when it exits with 0.
bool run(const std::string& command);
// A folder under the build tree for generated files (created on demand).
std::string workDir();

struct Decoded {
    int32_t constructorCode = 0; // errorCode after the constructor
    int32_t beginResult = 0;
    int32_t lastResult = 0;      // result of the last decodeScanLine
    int32_t errorCode = 0;       // errorCode at the end
    int32_t rows = 0;            // rows delivered
    bool rowsWellFormed = true;  // every row had the right length and a zero fourth byte
    Picture picture;             // RGB (3) or grey (1), as much as was delivered
};

// Drives a decoder over the bytes to the end or to a fault. chunkLimit > 0
// makes the source hand out at most that many bytes per read.
Decoded decode(const std::vector<uint8_t>& bytes, bool fast, int32_t chunkLimit = 0);

struct Difference {
    int32_t maxAbs = 0;
    double meanAbs = 0;
    double meanSigned = 0; // bias of a against b
    double psnr = 0; // infinity when identical
};
Difference compare(const Picture& a, const Picture& b);

} // namespace jpegtest
