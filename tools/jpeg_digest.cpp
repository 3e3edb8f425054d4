// jpeg-digest: decodes JPEG files on both decoder paths and prints one line
// per file and path with the outcome (fault code, rows delivered) and a hash
// of every row. Two builds of the decoder agree byte for byte when their
// outputs are the same text; this is how a speed change proves it changed
// nothing.
//
//   jpeg-digest [--chunk N] [--mutants N] FILE...
//
// --chunk N    the source hands out at most N bytes per read (0: all at once)
// --mutants N  also decodes N damaged copies of each file (cut short, bytes
//              changed, markers planted), made the same way on every run
//
// Exit status 0 when every file could be read, 1 otherwise, 2 on wrong usage.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/memory_source.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Digest {
    int32_t constructorError = 0;
    int32_t beginResult = 0;
    int32_t lastResult = 0; // of the decodeScanLine call that ended the rows
    int32_t errorCode = 0;
    int32_t rows = 0;
    uint64_t hash = 14695981039346656037ull;

    void add(const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    }
};

Digest decode(const Bytes& file, bool fast, int32_t chunk) {
    Digest d;
    MemorySource source(file.data(), file.size(), chunk);
    JpegDecoder decoder(&source, fast);
    d.constructorError = decoder.errorCode();
    if (d.constructorError != 0) return d;
    d.beginResult = decoder.begin();
    if (d.beginResult == 0) {
        const uint8_t* line = nullptr;
        uint32_t lineBytes = 0;
        for (;;) {
            d.lastResult = decoder.decodeScanLine(&line, &lineBytes);
            if (d.lastResult != 0) break;
            ++d.rows;
            const uint8_t size[4] = {uint8_t(lineBytes), uint8_t(lineBytes >> 8), uint8_t(lineBytes >> 16),
                                     uint8_t(lineBytes >> 24)};
            d.add(size, 4);
            d.add(line, lineBytes);
        }
    }
    d.errorCode = decoder.errorCode();
    return d;
}

// Deterministic damage: variant i of a file of n bytes.
Bytes mutant(const Bytes& file, int32_t i) {
    Bytes m = file;
    const size_t n = file.size();
    if (n < 4) return m;
    uint32_t rng = 2654435761u * uint32_t(i + 1) ^ uint32_t(n);
    auto next = [&rng] {
        rng ^= rng << 13, rng ^= rng >> 17, rng ^= rng << 5;
        return rng;
    };
    switch (i % 4) {
    case 0: // cut short
        m.resize(2 + next() % (n - 2));
        break;
    case 1: // a few bytes changed
        for (uint32_t k = 0, count = 1 + next() % 3; k < count; ++k) m[next() % n] ^= uint8_t(1 + next() % 255);
        break;
    case 2: { // a marker planted in the data: restart, EOI, a table or a stray byte
        static const uint8_t kCodes[] = {0xD0, 0xD3, 0xD9, 0xC4, 0xDB, 0xDA, 0x00, 0xFF, 0xE1, 0xDD};
        const size_t at = 2 + next() % (n - 2);
        m.insert(m.begin() + ptrdiff_t(at), {0xFF, kCodes[next() % sizeof kCodes]});
        break;
    }
    default: // a run of bytes changed in the back half, where scan data lies
        for (size_t at = n / 2 + next() % (n / 2), k = 0; k < 16 && at + k < n; ++k) m[at + k] = uint8_t(next());
        break;
    }
    return m;
}

void print(const std::string& name, const Bytes& file, int32_t chunk) {
    for (int32_t path = 0; path < 2; ++path) {
        const Digest d = decode(file, path == 1, chunk);
        std::printf("%s %s ctor=%d begin=%d last=%d error=%d rows=%d hash=%016llx\n", name.c_str(),
                    path == 1 ? "fast" : "accurate", d.constructorError, d.beginResult, d.lastResult, d.errorCode,
                    d.rows, static_cast<unsigned long long>(d.hash));
    }
}

int usage() {
    std::fprintf(stderr, "usage: jpeg-digest [--chunk N] [--mutants N] FILE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int32_t chunk = 0, mutants = 0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--chunk" || arg == "--mutants") && i + 1 < argc) {
            (arg == "--chunk" ? chunk : mutants) = std::atoi(argv[++i]);
        } else if (!arg.empty() && arg[0] == '-') {
            return usage();
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty() || chunk < 0 || mutants < 0) return usage();
    int status = 0;
    for (const std::string& name : files) {
        std::ifstream f(name, std::ios::binary);
        if (!f) {
            std::printf("%s unreadable\n", name.c_str());
            status = 1;
            continue;
        }
        const Bytes file{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
        print(name, file, chunk);
        for (int32_t i = 0; i < mutants; ++i) print(name + "#" + std::to_string(i), mutant(file, i), chunk);
    }
    return status;
}
