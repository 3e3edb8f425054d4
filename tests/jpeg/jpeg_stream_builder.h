// Builds small JPEG streams segment by segment, with a tiny entropy coder, so
// that a test can say exactly which bytes a stream holds.
//
// Tables used by default: every quantisation value 1; DC table: 4-bit code s
// for each size s = 0..11; AC table: the 4-bit code i for symbol kAcSymbols[i].
// As in real tables, the all-ones code 1111 is unused in both.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace jpegtest {

using Bytes = std::vector<uint8_t>;

inline constexpr uint8_t kAcSymbols[15] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                           0x08, 0x0A, 0xF0, 0xF1, 0x11, 0x12, 0x21};

// Entropy-coded data with stuffing of FF bytes.
class ScanWriter {
  public:
    void bits(uint32_t value, int32_t count);
    void dc(int32_t difference);            // DC size code and the difference's bits
    void ac(uint8_t symbol, int32_t value); // AC symbol (must be in kAcSymbols) and value bits
    void eob() { ac(0x00, 0); }
    void flatBlock(int32_t difference = 0) { dc(difference), eob(); }
    Bytes finish(); // pads the last byte with 1-bits
  private:
    Bytes out_;
    uint32_t acc_ = 0;
    int32_t count_ = 0;
};

struct Component {
    uint8_t id, h, v, quant;
};

Bytes segment(uint8_t marker, std::initializer_list<uint8_t> payload);
Bytes segment(uint8_t marker, const Bytes& payload);
Bytes soi();
Bytes eoi();
Bytes quantTable(uint8_t id = 0, uint8_t value = 1);
Bytes dcTable(uint8_t id = 0);
Bytes acTable(uint8_t id = 0, uint8_t classAndIdByte = 0x10);
Bytes frame(uint8_t marker, int32_t width, int32_t height, const std::vector<Component>& components,
            uint8_t precision = 8);
// Scan over the given component ids with DC/AC table 0 and the given spectral
// selection and successive approximation.
Bytes scanHeader(const std::vector<uint8_t>& ids, uint8_t ss = 0, uint8_t se = 63, uint8_t ahal = 0);
Bytes restartInterval(uint16_t mcus);

Bytes join(std::initializer_list<Bytes> parts);

// A complete grey picture of flat mid-grey blocks.
Bytes flatGrey(int32_t width, int32_t height);
// A complete colour picture (Y factors h x v, chroma 1x1) of flat blocks
// whose DC differences come from the callback-free list: each MCU gets
// (Y difference, Cb difference, Cr difference) on its first block of each.
Bytes flatColour(int32_t width, int32_t height, uint8_t h, uint8_t v, int32_t yDc = 0, int32_t cbDc = 0,
                 int32_t crDc = 0);

} // namespace jpegtest
