#include "jpeg_stream_builder.h"

#include <cstdlib>

namespace jpegtest {

void ScanWriter::bits(uint32_t value, int32_t count) {
    for (int32_t i = count - 1; i >= 0; --i) {
        acc_ = (acc_ << 1) | ((value >> i) & 1);
        if (++count_ == 8) {
            out_.push_back(static_cast<uint8_t>(acc_));
            if (acc_ == 0xFF) out_.push_back(0x00);
            acc_ = 0;
            count_ = 0;
        }
    }
}

namespace {
int32_t magnitudeSize(int32_t v) {
    int32_t a = std::abs(v), s = 0;
    while (a != 0) {
        a >>= 1;
        ++s;
    }
    return s;
}
uint32_t magnitudeBits(int32_t v, int32_t size) {
    return static_cast<uint32_t>(v >= 0 ? v : v + (1 << size) - 1);
}
} // namespace

void ScanWriter::dc(int32_t difference) {
    const int32_t s = magnitudeSize(difference);
    bits(static_cast<uint32_t>(s), 4);
    if (s != 0) bits(magnitudeBits(difference, s), s);
}

void ScanWriter::ac(uint8_t symbol, int32_t value) {
    for (uint32_t i = 0; i < 15; ++i) {
        if (kAcSymbols[i] == symbol) {
            bits(i, 4);
            const int32_t s = symbol & 15;
            if (s != 0) bits(magnitudeBits(value, s), s);
            return;
        }
    }
    std::abort(); // a test asked for a symbol the table does not have
}

Bytes ScanWriter::finish() {
    if (count_ != 0) bits(0xFF, 8 - count_);
    return out_;
}

Bytes segment(uint8_t marker, const Bytes& payload) {
    Bytes b = {0xFF, marker, static_cast<uint8_t>((payload.size() + 2) >> 8),
               static_cast<uint8_t>(payload.size() + 2)};
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes segment(uint8_t marker, std::initializer_list<uint8_t> payload) { return segment(marker, Bytes(payload)); }

Bytes soi() { return {0xFF, 0xD8}; }
Bytes eoi() { return {0xFF, 0xD9}; }

Bytes quantTable(uint8_t id, uint8_t value) {
    Bytes p = {id};
    p.insert(p.end(), 64, value);
    return segment(0xDB, p);
}

Bytes dcTable(uint8_t id) {
    Bytes p = {id, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint8_t s = 0; s < 12; ++s) p.push_back(s);
    return segment(0xC4, p);
}

Bytes acTable(uint8_t id, uint8_t classAndIdByte) {
    Bytes p = {static_cast<uint8_t>(classAndIdByte | id), 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    p.insert(p.end(), kAcSymbols, kAcSymbols + 15);
    return segment(0xC4, p);
}

Bytes frame(uint8_t marker, int32_t width, int32_t height, const std::vector<Component>& components,
            uint8_t precision) {
    Bytes p = {precision, static_cast<uint8_t>(height >> 8), static_cast<uint8_t>(height),
               static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(width),
               static_cast<uint8_t>(components.size())};
    for (const Component& c : components) {
        p.push_back(c.id);
        p.push_back(static_cast<uint8_t>((c.h << 4) | c.v));
        p.push_back(c.quant);
    }
    return segment(marker, p);
}

Bytes scanHeader(const std::vector<uint8_t>& ids, uint8_t ss, uint8_t se, uint8_t ahal) {
    Bytes p = {static_cast<uint8_t>(ids.size())};
    for (uint8_t id : ids) {
        p.push_back(id);
        p.push_back(0x00);
    }
    p.push_back(ss);
    p.push_back(se);
    p.push_back(ahal);
    return segment(0xDA, p);
}

Bytes restartInterval(uint16_t mcus) {
    return segment(0xDD, {static_cast<uint8_t>(mcus >> 8), static_cast<uint8_t>(mcus)});
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes flatGrey(int32_t width, int32_t height) {
    ScanWriter w;
    const int32_t blocks = ((width + 7) / 8) * ((height + 7) / 8);
    for (int32_t i = 0; i < blocks; ++i) w.flatBlock();
    return join({soi(), quantTable(), dcTable(), acTable(), frame(0xC0, width, height, {{1, 1, 1, 0}}),
                 scanHeader({1}), w.finish(), eoi()});
}

Bytes flatColour(int32_t width, int32_t height, uint8_t h, uint8_t v, int32_t yDc, int32_t cbDc, int32_t crDc) {
    ScanWriter w;
    const int32_t mcus = ((width + 8 * h - 1) / (8 * h)) * ((height + 8 * v - 1) / (8 * v));
    for (int32_t i = 0; i < mcus; ++i) {
        for (int32_t b = 0; b < h * v; ++b) w.flatBlock(i == 0 && b == 0 ? yDc : 0);
        w.flatBlock(i == 0 ? cbDc : 0);
        w.flatBlock(i == 0 ? crDc : 0);
    }
    return join({soi(), quantTable(), dcTable(), acTable(),
                 frame(0xC0, width, height, {{1, h, v, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}),
                 scanHeader({1, 2, 3}), w.finish(), eoi()});
}

} // namespace jpegtest
