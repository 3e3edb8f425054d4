// The JPEG tests' whole-picture decode that checks the decoder's contract,
// and a builder of small streams whose every byte a test chooses.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/memory_source.h"

namespace jpegtest {

using Bytes = std::vector<uint8_t>;

inline Bytes readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// lastResult: of the last decodeScanLine; rows: delivered, samples: RGB or
// grey as far as delivered; rowsWellFormed: right length, zero fourth byte;
// brokenRule: the first rule of the contract the decoder broke, if any.
struct Decoded {
    int32_t constructorCode = 0, beginResult = 0, lastResult = 0, errorCode = 0, rows = 0, width = 0;
    bool rowsWellFormed = true;
    Bytes samples;
    std::string brokenRule;
};

// To the end or the first fault; chunkLimit > 0 hands out at most that many
// bytes per read, failAtRead > 0 fails that read and all later ones.
inline Decoded decode(const Bytes& bytes, bool fast, int32_t chunkLimit = 0, int32_t failAtRead = 0) {
    Decoded d;
    MemorySource source(bytes.data(), bytes.size(), chunkLimit);
    source.failAtRead = failAtRead;
    const uint8_t* line = nullptr;
    uint32_t lineBytes = 0;
    auto rule = [&](bool kept, const char* text) {
        if (!kept && d.brokenRule.empty()) d.brokenRule = text;
    };
    {
        JpegDecoder decoder(&source, fast);
        d.constructorCode = decoder.errorCode();
        rule(decoder.decodeScanLine(&line, &lineBytes) == -1, "rows before begin");
        d.beginResult = decoder.begin();
        rule(decoder.begin() == d.beginResult, "second begin differs");
        const int32_t bpp = decoder.bytesPerPixel();
        d.width = decoder.width();
        while (d.beginResult == 0 && (d.lastResult = decoder.decodeScanLine(&line, &lineBytes)) == 0) {
            ++d.rows;
            d.rowsWellFormed = d.rowsWellFormed && lineBytes == uint32_t(d.width * bpp);
            for (int32_t x = 0; x < d.width; ++x) {
                d.samples.insert(d.samples.end(), line + bpp * x, line + bpp * x + std::min(bpp, 3));
                d.rowsWellFormed = d.rowsWellFormed && (bpp == 1 || line[4 * x + 3] == 0);
            }
        }
        d.errorCode = decoder.errorCode();
        const int32_t reads = source.reads;
        rule(d.errorCode || decoder.decodeScanLine(&line, &lineBytes) == 1, "no 1 after the last row");
        if (d.errorCode) { // -1 everywhere after a fault, the source let go and left alone
            rule(source.detaches == 1, "source kept after a fault");
            rule(decoder.begin() == -1 && decoder.decodeScanLine(&line, &lineBytes) == -1, "not -1 after a fault");
            rule(source.reads == reads && decoder.errorCode() == d.errorCode, "state changed after a fault");
        }
    }
    rule(source.attaches == 1 && source.detaches == 1, "source not attached and detached once");
    return d;
}

// Default tables: every quantisation value 1; DC: 4-bit code s for size
// s = 0..11; AC: 4-bit code i for kAcSymbols[i]. Code 1111 is unused in both.
inline constexpr uint8_t kAcSymbols[15] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                           0x08, 0x0A, 0xF0, 0xF1, 0x11, 0x12, 0x21};

// Entropy-coded data with FF bytes stuffed, padded with 1-bits by finish().
class ScanWriter {
  public:
    void bits(uint32_t value, int32_t count) {
        for (int32_t i = count - 1; i >= 0; --i) {
            acc_ = (acc_ << 1) | ((value >> i) & 1);
            if (++count_ < 8) continue;
            out_.push_back(uint8_t(acc_));
            if (acc_ == 0xFF) out_.push_back(0x00);
            acc_ = 0, count_ = 0;
        }
    }
    void value(int32_t v, int32_t s) { bits(uint32_t(v >= 0 ? v : v + (1 << s) - 1), s); } // negative: + 2^s - 1
    void dc(int32_t difference) {
        int32_t s = 0;
        while ((std::abs(difference) >> s) != 0) ++s;
        bits(uint32_t(s), 4), value(difference, s);
    }
    void ac(uint8_t symbol, int32_t v) { // symbol must be in kAcSymbols
        const uint8_t* at = std::find(kAcSymbols, kAcSymbols + 15, symbol);
        if (at == kAcSymbols + 15) std::abort();
        bits(uint32_t(at - kAcSymbols), 4), value(v, symbol & 15);
    }
    void flatBlock(int32_t difference = 0) { dc(difference), ac(0x00, 0); }
    Bytes finish() {
        if (count_ != 0) bits(0xFF, 8 - count_);
        return out_;
    }

  private:
    Bytes out_;
    uint32_t acc_ = 0;
    int32_t count_ = 0;
};

struct Component {
    uint8_t id, h, v, quant;
};
inline Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}
inline Bytes segment(uint8_t marker, const Bytes& payload) {
    return join({{0xFF, marker, uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)}, payload});
}
inline Bytes soi() { return {0xFF, 0xD8}; }
inline Bytes eoi() { return {0xFF, 0xD9}; }
inline Bytes quantTable(uint8_t id = 0) { return segment(0xDB, join({{id}, Bytes(64, 1)})); }
inline Bytes dcTable() { return segment(0xC4, {0, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}); }
inline Bytes acTable(uint8_t classAndId = 0x10) {
    return segment(0xC4, join({{classAndId, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, Bytes(kAcSymbols, kAcSymbols + 15)}));
}
inline Bytes tables() { return join({quantTable(), dcTable(), acTable()}); }
inline Bytes frame(uint8_t marker, int32_t width, int32_t height, const std::vector<Component>& components,
                   uint8_t precision = 8) {
    Bytes p = {precision, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width),
               uint8_t(components.size())};
    for (const Component& c : components) p.insert(p.end(), {c.id, uint8_t((c.h << 4) | c.v), c.quant});
    return segment(marker, p);
}
// Tables 0 for every component; spectral selection and successive approximation.
inline Bytes scanHeader(const std::vector<uint8_t>& ids, uint8_t ss = 0, uint8_t se = 63, uint8_t ahal = 0) {
    Bytes p = {uint8_t(ids.size())};
    for (uint8_t id : ids) p.insert(p.end(), {id, 0x00});
    return segment(0xDA, join({p, {ss, se, ahal}}));
}
inline Bytes flatScan(int32_t blocks) {
    ScanWriter w;
    for (int32_t i = 0; i < blocks; ++i) w.flatBlock();
    return w.finish();
}
// A grey picture of flat blocks.
inline Bytes flatGrey(int32_t width, int32_t height) {
    return join({soi(), tables(), frame(0xC0, width, height, {{1, 1, 1, 0}}), scanHeader({1}),
                 flatScan(((width + 7) / 8) * ((height + 7) / 8)), eoi()});
}

} // namespace jpegtest
