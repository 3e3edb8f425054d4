// Helpers shared by the JPEG decoder tests: a whole-picture decode that also
// checks the decoder's contract, and a builder of small streams whose every
// byte a test chooses.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace jpegtest {

using Bytes = std::vector<uint8_t>;

struct Decoded {
    int32_t constructorCode = 0, beginResult = 0;
    int32_t lastResult = 0;     // of the last decodeScanLine
    int32_t errorCode = 0;      // at the end
    int32_t rows = 0;           // delivered
    bool rowsWellFormed = true; // right length, zero fourth byte
    int32_t width = 0, height = 0;
    Bytes samples;              // as much as was delivered, RGB or grey
    // The first rule of the contract the decoder broke, empty when none: no
    // rows before begin, begin again answers the same, 1 again after the last
    // row, after a fault -1 everywhere and the source let go and left alone,
    // the source attached and detached once.
    std::string brokenRule;
};
// To the end or the first fault; chunkLimit > 0 hands out at most that many
// bytes per read, failAtRead > 0 fails that read and all later ones.
Decoded decode(const Bytes& bytes, bool fast, int32_t chunkLimit = 0, int32_t failAtRead = 0);
Bytes readFile(const std::string& path);

// Default tables: every quantisation value 1; DC: 4-bit code s for size
// s = 0..11; AC: 4-bit code i for kAcSymbols[i]. Code 1111 is unused in both.
inline constexpr uint8_t kAcSymbols[15] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                           0x08, 0x0A, 0xF0, 0xF1, 0x11, 0x12, 0x21};

// Entropy-coded data with FF bytes stuffed, padded with 1-bits by finish().
class ScanWriter {
  public:
    void bits(uint32_t value, int32_t count);
    void dc(int32_t difference);
    void ac(uint8_t symbol, int32_t value); // symbol must be in kAcSymbols
    void flatBlock(int32_t difference = 0) { dc(difference), ac(0x00, 0); }
    Bytes finish();
  private:
    Bytes out_;
    uint32_t acc_ = 0;
    int32_t count_ = 0;
};

struct Component {
    uint8_t id, h, v, quant;
};
Bytes segment(uint8_t marker, const Bytes& payload);
Bytes join(std::initializer_list<Bytes> parts);
inline Bytes soi() { return {0xFF, 0xD8}; }
inline Bytes eoi() { return {0xFF, 0xD9}; }
Bytes quantTable(uint8_t id = 0);
Bytes dcTable();
Bytes acTable(uint8_t classAndId = 0x10);
inline Bytes tables() { return join({quantTable(), dcTable(), acTable()}); }
Bytes frame(uint8_t marker, int32_t width, int32_t height, const std::vector<Component>& components,
            uint8_t precision = 8);
// Tables 0 for every component; spectral selection and successive approximation.
Bytes scanHeader(const std::vector<uint8_t>& ids, uint8_t ss = 0, uint8_t se = 63, uint8_t ahal = 0);
Bytes flatScan(int32_t blocks);
// Pictures of flat blocks: grey, or colour with Y factors h x v and the given
// DC differences in the first MCU.
Bytes flatGrey(int32_t width, int32_t height);
Bytes flatColour(int32_t width, int32_t height, uint8_t h, uint8_t v, int32_t yDc = 0, int32_t cbDc = 0,
                 int32_t crDc = 0);

} // namespace jpegtest
