#include "jpeg_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/memory_source.h"

namespace jpegtest {

Bytes readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

Decoded decode(const Bytes& bytes, bool fast, int32_t chunkLimit, int32_t failAtRead) {
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
        d.width = decoder.width(), d.height = decoder.height();
        while (d.beginResult == 0 && (d.lastResult = decoder.decodeScanLine(&line, &lineBytes)) == 0) {
            ++d.rows;
            if (lineBytes != uint32_t(d.width * bpp)) d.rowsWellFormed = false;
            for (int32_t x = 0; x < d.width; ++x) {
                if (bpp == 1) {
                    d.samples.push_back(line[x]);
                } else {
                    d.samples.insert(d.samples.end(), line + 4 * x, line + 4 * x + 3);
                    if (line[4 * x + 3] != 0) d.rowsWellFormed = false;
                }
            }
        }
        d.errorCode = decoder.errorCode();
        const int32_t reads = source.reads;
        if (d.errorCode == 0) {
            rule(decoder.decodeScanLine(&line, &lineBytes) == 1, "no 1 after the last row");
        } else {
            rule(source.detaches == 1, "source kept after a fault");
            rule(decoder.begin() == -1 && decoder.decodeScanLine(&line, &lineBytes) == -1, "not -1 after a fault");
            rule(source.reads == reads && decoder.errorCode() == d.errorCode, "state changed after a fault");
        }
    }
    rule(source.attaches == 1 && source.detaches == 1, "source not attached and detached once");
    return d;
}

void ScanWriter::bits(uint32_t value, int32_t count) {
    for (int32_t i = count - 1; i >= 0; --i) {
        acc_ = (acc_ << 1) | ((value >> i) & 1);
        if (++count_ == 8) {
            out_.push_back(static_cast<uint8_t>(acc_));
            if (acc_ == 0xFF) out_.push_back(0x00);
            acc_ = 0, count_ = 0;
        }
    }
}

namespace {
int32_t sizeOf(int32_t v) {
    int32_t s = 0;
    while ((std::abs(v) >> s) != 0) ++s;
    return s;
}
// The bits JPEG stores for a value of size s: negative ones offset by 2^s - 1.
uint32_t valueBits(int32_t v, int32_t s) { return static_cast<uint32_t>(v >= 0 ? v : v + (1 << s) - 1); }
} // namespace

void ScanWriter::dc(int32_t difference) {
    const int32_t s = sizeOf(difference);
    bits(static_cast<uint32_t>(s), 4);
    bits(valueBits(difference, s), s);
}

void ScanWriter::ac(uint8_t symbol, int32_t value) {
    const uint8_t* at = std::find(kAcSymbols, kAcSymbols + 15, symbol);
    if (at == kAcSymbols + 15) std::abort(); // a test asked for a symbol the table does not have
    bits(static_cast<uint32_t>(at - kAcSymbols), 4);
    bits(valueBits(value, symbol & 15), symbol & 15);
}

Bytes ScanWriter::finish() {
    if (count_ != 0) bits(0xFF, 8 - count_);
    return out_;
}

Bytes segment(uint8_t marker, const Bytes& payload) {
    Bytes b = {0xFF, marker, uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)};
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes quantTable(uint8_t id) {
    Bytes p(65, 1);
    p[0] = id;
    return segment(0xDB, p);
}

Bytes dcTable() {
    Bytes p = {0x00, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint8_t s = 0; s < 12; ++s) p.push_back(s);
    return segment(0xC4, p);
}

Bytes acTable(uint8_t classAndId) {
    Bytes p = {classAndId, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    p.insert(p.end(), kAcSymbols, kAcSymbols + 15);
    return segment(0xC4, p);
}

Bytes frame(uint8_t marker, int32_t width, int32_t height, const std::vector<Component>& components,
            uint8_t precision) {
    Bytes p = {precision, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width),
               uint8_t(components.size())};
    for (const Component& c : components) p.insert(p.end(), {c.id, uint8_t((c.h << 4) | c.v), c.quant});
    return segment(marker, p);
}

Bytes scanHeader(const std::vector<uint8_t>& ids, uint8_t ss, uint8_t se, uint8_t ahal) {
    Bytes p = {uint8_t(ids.size())};
    for (uint8_t id : ids) p.insert(p.end(), {id, 0x00});
    p.insert(p.end(), {ss, se, ahal});
    return segment(0xDA, p);
}

Bytes flatScan(int32_t blocks) {
    ScanWriter w;
    for (int32_t i = 0; i < blocks; ++i) w.flatBlock();
    return w.finish();
}

Bytes flatGrey(int32_t width, int32_t height) {
    return join({soi(), tables(), frame(0xC0, width, height, {{1, 1, 1, 0}}), scanHeader({1}),
                 flatScan(((width + 7) / 8) * ((height + 7) / 8)), eoi()});
}

Bytes flatColour(int32_t width, int32_t height, uint8_t h, uint8_t v, int32_t yDc, int32_t cbDc, int32_t crDc) {
    ScanWriter w;
    const int32_t mcus = ((width + 8 * h - 1) / (8 * h)) * ((height + 8 * v - 1) / (8 * v));
    for (int32_t i = 0; i < mcus; ++i) {
        for (int32_t b = 0; b < h * v; ++b) w.flatBlock(i == 0 && b == 0 ? yDc : 0);
        w.flatBlock(i == 0 ? cbDc : 0);
        w.flatBlock(i == 0 ? crDc : 0);
    }
    return join({soi(), tables(), frame(0xC0, width, height, {{1, h, v, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}),
                 scanHeader({1, 2, 3}), w.finish(), eoi()});
}

} // namespace jpegtest
