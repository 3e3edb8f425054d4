#include "image/jpeg/jpeg_decoder.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include "image/jpeg/jpeg_colour.h"
#include "image/jpeg/jpeg_idct.h"

using jpeg::kNaturalOrder;

namespace {

// Thrown by State::fail and caught only by the three public entry points, so
// no exception ever leaves the decoder.
struct Fault {
    int32_t code;
};

constexpr int32_t kInReserve = 128; // room in front of the buffer for pushed-back bytes
constexpr int32_t kInSize = 4096;
constexpr int32_t kInTail = 128;    // room behind the data for the FF D9 padding
constexpr int32_t kMaxBlocksPerMcuRow = 6144;
constexpr int32_t kAllocationSlots = 100;
constexpr int32_t kMaxDimension = 8192;
constexpr int32_t kMaxScanBlocks = 10;
constexpr int32_t kFastBits = 11;

// Decoding table of one Huffman slot: a lookup on the next 8 bits, and a
// small binary tree for the codes longer than 8 bits.
struct HuffDecode {
    int16_t lookup[256];   // >= 0: symbol; < 0: -(2 * node + 1), a tree node
    uint8_t codeSize[256]; // code length of each symbol
    int16_t tree[512];     // two entries per node, one per next bit
    // Derived from the above for speed, indexed by the next 10 bits:
    // (bits consumed << 8) | symbol, or -1 when the tree needs more bits;
    // and for AC symbols whose value bits lie within these bits too,
    // (value << 12) | (value size << 8) | (run << 4) | bits consumed; for
    // the end of block and the run of 16 zeros (size 0), (run << 4) | code
    // length; else 0.
    int16_t fast[1 << kFastBits];
    int32_t fastAc[1 << kFastBits];
};

// One component's coefficients for the whole picture: 64 values per block
// (position 0 holds the DC value), natural order, blocks row by row.
struct CoefBuffer {
    int32_t blocksAcross = 0;
    int32_t blocksDown = 0;
    int16_t* data = nullptr;
    // Progressive pictures only: the DC values apart, one per block, so
    // that a DC scan touches two bytes of each block rather than a cache
    // line; and per block, bit k set when the coefficient at zig-zag
    // position k (1..63) is not zero, so that a refinement scan finds the
    // coefficients it corrects without looking at the others.
    int16_t* dc = nullptr;
    uint64_t* nonzero = nullptr;
};

struct Component {
    int32_t id = 0;
    int32_t h = 0, v = 0;                  // sampling factors as written in the frame
    int32_t geomH = 0, geomV = 0;          // factors used for geometry (1x1 for grey)
    int32_t quantSelector = 0;
    int32_t dcTable = 0, acTable = 0;      // selectors of the latest scan
    int32_t predictor = 0;                 // DC prediction, kept in 16 bits
    int32_t blocksAcross = 0, blocksDown = 0;
    int32_t firstSlot = 0;                 // first of its blocks in the frame's MCU layout
    CoefBuffer coefs;
};

#if defined(_MSC_VER)
#define JPEG_ALWAYS_INLINE __forceinline
#else
#define JPEG_ALWAYS_INLINE inline __attribute__((always_inline))
#endif

inline int32_t ceilDiv(int32_t a, int32_t b) { return (a + b - 1) / b; }

inline int32_t extend(int32_t v, int32_t s) { return v < (1 << (s - 1)) ? v + 1 - (1 << s) : v; }

inline uint8_t clampSample(int32_t v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline int32_t lowestBit(uint64_t x) {
#if defined(_MSC_VER) && defined(_M_X64)
    unsigned long i;
    _BitScanForward64(&i, x);
    return static_cast<int32_t>(i);
#elif defined(_MSC_VER)
    unsigned long i;
    if (_BitScanForward(&i, static_cast<uint32_t>(x))) return static_cast<int32_t>(i);
    _BitScanForward(&i, static_cast<uint32_t>(x >> 32));
    return static_cast<int32_t>(i) + 32;
#else
    return __builtin_ctzll(x);
#endif
}

inline int32_t bitCount(uint64_t x) {
#if defined(_MSC_VER)
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int32_t>((x * 0x0101010101010101ull) >> 56);
#else
    return __builtin_popcountll(x);
#endif
}

// kSelectInByte[b][i]: position of the set bit of rank i in byte b.
struct SelectInByte {
    uint8_t at[256][8] = {};
    constexpr SelectInByte() {
        for (int32_t b = 0; b < 256; ++b) {
            int32_t rank = 0;
            for (int32_t i = 0; i < 8; ++i) {
                if ((b >> i) & 1) at[b][rank++] = static_cast<uint8_t>(i);
            }
        }
    }
};
constexpr SelectInByte kSelectInByte;

// Position of the set bit of rank r (0 = lowest) of x, 64 when x has no
// more than r set bits; without a loop, as the rank is hard to predict.
inline int32_t setBitOfRank(uint64_t x, int32_t r) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    uint64_t c = x - ((x >> 1) & 0x5555555555555555ull);
    c = (c & 0x3333333333333333ull) + ((c >> 2) & 0x3333333333333333ull);
    c = (c + (c >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    const uint64_t sums = c * kOnes; // byte i: set bits in bytes 0..i
    // The bytes whose running sum is still r or less lie below the one sought.
    const uint64_t below = ((uint64_t(r) * kOnes | kHigh) - sums) & kHigh;
    const int32_t byte = static_cast<int32_t>(((below >> 7) * kOnes) >> 56);
    if (byte == 8) return 64;
    const int32_t before = byte == 0 ? 0 : static_cast<int32_t>((sums >> (8 * byte - 8)) & 0xFF);
    return 8 * byte + kSelectInByte.at[(x >> (8 * byte)) & 0xFF][r - before];
}

// Processors with BMI2 and POPCNT (chosen at run time) count bits and find
// the set bit of a rank in one instruction each; written as assembly so
// that the code around needs no special target.
#if defined(__GNUC__) && defined(__x86_64__)
#define PLOCHAR_JPEG_BMI2 1
#endif

template <bool kBmi2>
inline int32_t bitCountOn(uint64_t x) {
#if PLOCHAR_JPEG_BMI2
    if constexpr (kBmi2) {
        uint64_t n;
        __asm__("popcntq %1, %0" : "=r"(n) : "rm"(x) : "cc");
        return static_cast<int32_t>(n);
    }
#endif
    return bitCount(x);
}

template <bool kBmi2>
inline int32_t setBitOfRankOn(uint64_t x, int32_t r) {
#if PLOCHAR_JPEG_BMI2
    if constexpr (kBmi2) {
        uint64_t bit;
        __asm__("pdepq %2, %1, %0" : "=r"(bit) : "r"(uint64_t(1) << r), "rm"(x));
        return bit != 0 ? lowestBit(bit) : 64;
    }
#endif
    return setBitOfRank(x, r);
}

inline bool haveBmi2() {
#if PLOCHAR_JPEG_BMI2
    // Older AMD processors run pdep as a slow microcode loop.
    return __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt") && !__builtin_cpu_is("znver1") &&
           !__builtin_cpu_is("znver2");
#else
    return false;
#endif
}

// Bits from..63 of a mask; from may be 64.
inline uint64_t bitsFrom(int32_t from) { return from >= 64 ? 0 : ~uint64_t(0) << from; }

} // namespace

struct JpegDecoder::State {
    // Source and status.
    JpegSource* source = nullptr;
    int32_t errorCode = 0;
    bool ready = false;
    int64_t totalRead = 0;

    // Options.
    bool useMmx = false;
    bool fastIdct = false;
    bool avx2 = false; // the processor runs two fast transforms at once, and 16-pixel conversions
    bool bmi2 = false; // and counts bits (BMI2, POPCNT)

    // Frame.
    int32_t width = 0, height = 0;
    bool progressive = false;
    int32_t componentCount = 0;
    Component comp[4];

    // Tables.
    int16_t* quant[4] = {};     // plain path: zig-zag order; fast path: natural order, AAN-scaled
    uint8_t* huffCounts[8] = {};  // 17 bytes, [0] = 0, [1..16] = codes of each length
    uint8_t* huffSymbols[8] = {}; // 256 bytes
    HuffDecode* huff[8] = {};
    bool huffDirty[8] = {};

    // Scan.
    int32_t scanCount = 0;
    int32_t scanComp[4] = {};
    int32_t spectralStart = 0, spectralEnd = 63;
    int32_t approxHigh = 0, approxLow = 0;
    int32_t eobRun = 0;

    // MCU geometry of the frame and of the current scan.
    int32_t scanType = 0;
    int32_t mcuWidth = 8, mcuHeight = 8;
    int32_t blocksPerMcu = 1;
    int32_t mcusPerRow = 0, mcusPerColumn = 0;
    int32_t blocksPerMcuRow = 0;
    int32_t scanBlocksPerMcu = 0;
    int32_t scanMcusPerRow = 0, scanMcusPerColumn = 0;
    int32_t mcuOrder[kMaxScanBlocks] = {}; // frame component of each block of the scan's MCU
    int32_t mcuSub[kMaxScanBlocks] = {};   // index of the block among its component's blocks
    int32_t mcuSlot[kMaxScanBlocks] = {};  // position in the frame's MCU layout
    const HuffDecode* blockDc[kMaxScanBlocks] = {};
    const HuffDecode* blockAc[kMaxScanBlocks] = {};
    bool buffered = false; // coefficients are collected per component before output

    // Block storage of one MCU row.
    int16_t* blocks = nullptr;
    uint8_t blockEnd[kMaxBlocksPerMcuRow]; // previous highest coefficient position + 1
    int32_t slotComponent[6] = {};         // frame component of each slot of the MCU layout
    int32_t mcuRowIndex = 0;               // next MCU row to load from the buffers

    // Output.
    // Samples of one MCU row, a plane per component: its blocks side by side,
    // so that each sample row is contiguous and a grey row is handed out as is.
    uint8_t* plane[3] = {};
    int32_t planeStride[3] = {};
    uint8_t* rowBuffer[2] = {};
    int32_t linesLeft = 0, mcuLinesLeft = 0;
    int32_t bytesPerPixel = 0, rowBytes = 0, paddedRowBytes = 0;
    jpeg::ColourTables colour = {};

    // Input.
    uint8_t in[kInReserve + kInSize + kInTail] = {};
    int32_t inPos = kInReserve, inLeft = 0;
    bool endOfData = false;
    bool padNextD9 = false;

    // Bits, most significant first, at the top of the window.
    uint64_t window = 0;
    int32_t bits = 0;

    // Restart.
    int32_t restartInterval = 0, restartsLeft = 0, nextRestart = 0;

    void* allocations[kAllocationSlots] = {};

    // ---- faults and memory ------------------------------------------------

    [[noreturn]] void fail(int32_t code) { throw Fault{code}; }

    void release() {
        for (void*& p : allocations) {
            std::free(p);
            p = nullptr;
        }
        for (auto& q : quant) q = nullptr;
        for (int i = 0; i < 8; ++i) {
            huffCounts[i] = nullptr;
            huffSymbols[i] = nullptr;
            huff[i] = nullptr;
        }
        for (auto& c : comp) c.coefs = CoefBuffer{};
        blocks = nullptr;
        for (auto& p : plane) p = nullptr;
        rowBuffer[0] = rowBuffer[1] = nullptr;
        if (source != nullptr) {
            JpegSource* s = source;
            source = nullptr;
            s->detach();
        }
    }

    void recordFault(int32_t code) {
        if (errorCode == 0) errorCode = code;
        ready = false;
        release();
    }

    size_t checkedMul(size_t a, size_t b) {
        if (a != 0 && b > SIZE_MAX / a) fail(-233);
        return a * b;
    }

    // Zero-filled, 8-byte aligned, owned by the allocation table.
    void* allocate(size_t size) {
        int32_t slot = -1;
        for (int32_t i = 0; i < kAllocationSlots; ++i) {
            if (allocations[i] == nullptr) {
                slot = i;
                break;
            }
        }
        if (slot < 0) fail(-221);
        if (size > SIZE_MAX - 8) fail(-233);
        void* p = std::calloc(size + 8, 1);
        if (p == nullptr) fail(-233);
        allocations[slot] = p;
        const uintptr_t aligned = (reinterpret_cast<uintptr_t>(p) + 7) & ~uintptr_t(7);
        return reinterpret_cast<void*>(aligned);
    }

    // ---- input ----------------------------------------------------------------

    void refillInput() {
        inPos = kInReserve;
        inLeft = 0;
        if (endOfData) return;
        while (inLeft < kInSize && !endOfData) {
            bool eod = false;
            const int32_t room = kInSize - inLeft;
            const int32_t n = source->read(in + kInReserve + inLeft, room, &eod);
            if (n < 0 || n > room) fail(-232);
            if (eod) endOfData = true;
            inLeft += n;
            totalRead += n;
            if (n == 0) break; // nothing now; the next fetch asks again
        }
        // A stream that stops early goes on as a run of EOI markers.
        uint8_t* tail = in + kInReserve + inLeft;
        for (int32_t i = 0; i < 64; ++i) {
            tail[2 * i] = 0xFF;
            tail[2 * i + 1] = 0xD9;
        }
    }

    uint8_t fetch(bool& padding) {
        if (inLeft == 0) {
            refillInput();
            if (inLeft == 0) {
                padding = true;
                const uint8_t b = padNextD9 ? 0xD9 : 0xFF;
                padNextD9 = !padNextD9;
                return b;
            }
        }
        padding = false;
        --inLeft;
        return in[inPos++];
    }

    void pushBack(uint8_t b) {
        if (inPos == 0) fail(-229); // more pushed back than the reserve holds: cannot happen
        in[--inPos] = b;
        ++inLeft;
    }

    uint8_t headerByte() {
        bool padding;
        return fetch(padding);
    }

    int32_t header16() {
        const int32_t hi = headerByte();
        return (hi << 8) | headerByte();
    }

    // Scan data: FF 00 is a data FF; a marker stays in the input and reads as
    // FF bytes, so decoding runs on 1-bits until the scan's end. Past the end
    // of the stream the padding reads as FF too (whichever of FF D9 is next),
    // so a cut-off scan goes on with 1-bits as well.
    uint8_t entropyByte() {
        bool padding;
        const uint8_t c = fetch(padding);
        if (padding) return 0xFF;
        if (c != 0xFF) return c;
        const uint8_t d = fetch(padding);
        if (padding) {
            pushBack(0xFF);
            return 0xFF;
        }
        if (d == 0) return 0xFF;
        pushBack(d);
        pushBack(0xFF);
        return 0xFF;
    }

    // ---- bits -----------------------------------------------------------------

    void resetBits() {
        window = 0;
        bits = 0;
    }

    // Fills the window to 57..64 bits; called whenever fewer than 32 are
    // left, so every scan consumes the input at the same points whatever the
    // path: a restart search or the end of a scan sees the same bytes, even
    // in damaged data. The bytes go in at once when none of them is FF
    // (stuffing or a marker) and the buffer holds plenty; else one by one.
    void refillBits() {
        if (inLeft >= 16) {
            const uint8_t* p = in + inPos;
            const uint64_t v = (uint64_t(p[0]) << 56) | (uint64_t(p[1]) << 48) | (uint64_t(p[2]) << 40) |
                               (uint64_t(p[3]) << 32) | (uint64_t(p[4]) << 24) | (uint64_t(p[5]) << 16) |
                               (uint64_t(p[6]) << 8) | uint64_t(p[7]);
            const int32_t n = (64 - bits) >> 3;
            const uint64_t mask = n >= 8 ? ~uint64_t(0) : ~(~uint64_t(0) >> (8 * n));
            // An FF byte among the first n is a zero byte of x.
            const uint64_t x = ~v | ~mask;
            if (((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) == 0) {
                window |= (v & mask) >> bits;
                bits += 8 * n;
                inPos += n;
                inLeft -= n;
                return;
            }
        }
        while (bits <= 56) {
            window |= uint64_t(entropyByte()) << (56 - bits);
            bits += 8;
        }
    }

    // (bits consumed << 8) | symbol of a code longer than the fast lookup:
    // the 8-bit lookup, then the tree. w holds the code at its top.
    static int32_t longCode(const HuffDecode& t, uint64_t w) {
        int32_t e = t.lookup[w >> 56];
        if (e >= 0) return (t.codeSize[e] << 8) | e;
        for (int32_t used = 8; used < 16;) {
            const int32_t bit = static_cast<int32_t>((w << used) >> 63);
            ++used;
            e = t.tree[-e - 1 + bit];
            if (e >= 0) return (used << 8) | e;
        }
        return 16 << 8; // the tree is at most 8 levels deep; not reached
    }

    // The bit window held in registers while blocks are decoded, written
    // back to the object only around refills and at the end (its address
    // never leaves the inlined code, so it stays in registers). Every read
    // first makes sure of 32 bits (a symbol and its value bits), as the
    // refill points decide what a damaged stream reads next.
    struct Bits {
        State& state;
        uint64_t w;
        int32_t n;

        explicit Bits(State& s) : state(s), w(s.window), n(s.bits) {}
        void save() const { state.window = w, state.bits = n; }
        void load() { w = state.window, n = state.bits; }
        // A copy lives in registers for a loop; the original takes it back.
        void takeFrom(const Bits& other) { w = other.w, n = other.n; }

        JPEG_ALWAYS_INLINE void ensure() {
            if (n < 32) {
                save();
                state.refillBits();
                load();
            }
        }
        JPEG_ALWAYS_INLINE void consume(int32_t count) {
            w <<= count;
            n -= count;
        }
        // 0..16 bits; 0 gives 0.
        JPEG_ALWAYS_INLINE int32_t get(int32_t count) {
            if (count == 0) return 0;
            ensure();
            const int32_t v = static_cast<int32_t>(w >> (64 - count));
            consume(count);
            return v;
        }
        // count (1..25) single-bit reads at once, refilled where those
        // reads would refill: at the first one that finds fewer than 32.
        JPEG_ALWAYS_INLINE uint32_t getRun(int32_t count) {
            const int32_t before = n - 31; // reads before a refill is due
            if (before >= count) {
                const uint32_t v = static_cast<uint32_t>(w >> (64 - count));
                consume(count);
                return v;
            }
            uint32_t v = 0;
            int32_t rest = count;
            if (before > 0) {
                v = static_cast<uint32_t>(w >> (64 - before));
                consume(before);
                rest -= before;
            }
            ensure();
            v = (v << rest) | static_cast<uint32_t>(w >> (64 - rest));
            consume(rest);
            return v;
        }
        JPEG_ALWAYS_INLINE int32_t symbol(const HuffDecode& t) {
            ensure();
            const int32_t f = t.fast[w >> (64 - kFastBits)];
            const int32_t code = f >= 0 ? f : longCode(t, w);
            consume(code >> 8);
            return code & 255;
        }
    };

    // ---- markers and segments -----------------------------------------------

    int32_t nextMarker() {
        for (;;) {
            uint8_t c;
            do c = headerByte();
            while (c != 0xFF);
            do c = headerByte();
            while (c == 0xFF);
            if (c != 0) return c;
        }
    }

    void skipSegment() {
        const int32_t length = header16();
        if (length < 2) fail(-210);
        for (int32_t i = 2; i < length; ++i) headerByte();
    }

    void readHuffmanTables() {
        int32_t left = header16();
        if (left < 2) fail(-202);
        left -= 2;
        while (left > 0) {
            const int32_t classAndId = headerByte();
            uint8_t counts[17];
            counts[0] = 0;
            int32_t total = 0;
            for (int32_t i = 1; i <= 16; ++i) {
                counts[i] = headerByte();
                total += counts[i];
            }
            if (total > 255) fail(-200);
            uint8_t symbols[256] = {};
            for (int32_t i = 0; i < total; ++i) symbols[i] = headerByte();
            if (left < 17 + total) fail(-202);
            left -= 17 + total;
            const int32_t slot = (classAndId & 15) + 4 * ((classAndId >> 4) & 1);
            if (slot > 7) fail(-201);
            if (huffCounts[slot] == nullptr) {
                huffCounts[slot] = static_cast<uint8_t*>(allocate(17));
                huffSymbols[slot] = static_cast<uint8_t*>(allocate(256));
            }
            std::memcpy(huffCounts[slot], counts, 17);
            std::memcpy(huffSymbols[slot], symbols, 256);
            huffDirty[slot] = true;
        }
    }

    void readQuantTables() {
        int32_t left = header16();
        if (left < 2) fail(-203);
        left -= 2;
        while (left > 0) {
            const int32_t precisionAndId = headerByte();
            const int32_t id = precisionAndId & 15;
            const bool wide = (precisionAndId >> 4) != 0;
            if (id > 3) fail(-204);
            int32_t values[64];
            for (int32_t k = 0; k < 64; ++k) values[k] = wide ? header16() : headerByte();
            const int32_t size = wide ? 129 : 65;
            if (left < size) fail(-219);
            left -= size;
            if (quant[id] == nullptr) quant[id] = static_cast<int16_t*>(allocate(64 * sizeof(int16_t)));
            int16_t* q = quant[id];
            for (int32_t k = 0; k < 64; ++k) {
                if (fastIdct) {
                    const int32_t z = kNaturalOrder[k];
                    const int64_t scaled = (int64_t(values[k]) * jpeg::kAanScale[z] + 2048) >> 12;
                    q[z] = static_cast<int16_t>(scaled);
                } else {
                    q[k] = static_cast<int16_t>(values[k]);
                }
            }
        }
    }

    void readRestartInterval() {
        if (header16() != 4) fail(-211);
        restartInterval = header16();
    }

    void readFrameHeader() {
        const int32_t length = header16();
        if (headerByte() != 8) fail(-205);
        height = header16();
        if (height < 1 || height > kMaxDimension) fail(-206);
        width = header16();
        if (width < 1 || width > kMaxDimension) fail(-207);
        const int32_t count = headerByte();
        if (count > 4) fail(-208);
        if (length != 3 * count + 8) fail(-209);
        componentCount = count;
        for (int32_t i = 0; i < count; ++i) {
            comp[i].id = headerByte();
            const int32_t factors = headerByte();
            comp[i].h = factors >> 4;
            comp[i].v = factors & 15;
            comp[i].quantSelector = headerByte();
        }
    }

    void readScanHeader() {
        const int32_t length = header16();
        const int32_t count = headerByte();
        if (length != 2 * count + 6 || count < 1 || count > 4) fail(-212);
        scanCount = count;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t id = headerByte();
            int32_t found = -1;
            for (int32_t c = 0; c < componentCount; ++c) {
                if (comp[c].id == id) {
                    found = c;
                    break;
                }
            }
            if (found < 0) fail(-213);
            const int32_t tables = headerByte();
            comp[found].dcTable = tables >> 4;
            comp[found].acTable = tables & 15;
            scanComp[i] = found;
        }
        spectralStart = headerByte();
        spectralEnd = headerByte();
        const int32_t approx = headerByte();
        approxHigh = approx >> 4;
        approxLow = approx & 15;
        if (!progressive) {
            spectralStart = 0;
            spectralEnd = 63;
        }
    }

    // Runs segments until one the caller must handle: SOFn, SOI, EOI, SOS.
    int32_t markerLoop() {
        for (;;) {
            const int32_t m = nextMarker();
            switch (m) {
            case 0xC4: readHuffmanTables(); break;
            case 0xDB: readQuantTables(); break;
            case 0xDD: readRestartInterval(); break;
            case 0xCC: fail(-215);
            case 0x01:
            case 0xC8:
            case 0xD0: case 0xD1: case 0xD2: case 0xD3:
            case 0xD4: case 0xD5: case 0xD6: case 0xD7: fail(-216);
            case 0xC0: case 0xC1: case 0xC2: case 0xC3:
            case 0xC5: case 0xC6: case 0xC7:
            case 0xC9: case 0xCA: case 0xCB:
            case 0xCD: case 0xCE: case 0xCF:
            case 0xD8: case 0xD9: case 0xDA: return m;
            default: skipSegment(); break;
            }
        }
    }

    // ---- construction -----------------------------------------------------------

    void readHeader() {
        refillInput();
        std::memset(blockEnd, 64, sizeof blockEnd);
        const uint8_t b0 = headerByte();
        const uint8_t b1 = headerByte();
        if (!(b0 == 0xFF && b1 == 0xD8)) {
            // Some files carry a few hundred bytes in front of the picture.
            uint8_t last = b1;
            bool found = false;
            for (int32_t i = 0; i < 511; ++i) {
                const uint8_t c = headerByte();
                if (last == 0xFF && c == 0xD8) {
                    found = true;
                    break;
                }
                last = c;
            }
            if (!found) fail(-217);
            const uint8_t next = headerByte();
            if (next != 0xFF) fail(-217);
            pushBack(next);
        }
        const int32_t m = markerLoop();
        if (m == 0xC9) fail(-215);
        if (m != 0xC0 && m != 0xC1 && m != 0xC2) fail(-218);
        progressive = (m == 0xC2);
        readFrameHeader();
    }

    // ---- frame and scan set-up ------------------------------------------------

    void setupFrame() {
        if (componentCount != 1 && componentCount != 3) fail(-225);
        if (componentCount == 1) {
            // Any factors, decoded in 8x8 units; 0 would make no block at all.
            if (comp[0].h == 0 || comp[0].v == 0) fail(-226);
            comp[0].geomH = comp[0].geomV = 1;
            scanType = 0;
            mcuWidth = mcuHeight = 8;
            blocksPerMcu = 1;
        } else {
            if (comp[1].h != 1 || comp[1].v != 1 || comp[2].h != 1 || comp[2].v != 1) fail(-226);
            const int32_t h = comp[0].h, v = comp[0].v;
            if (h == 1 && v == 1) {
                scanType = 1, mcuWidth = 8, mcuHeight = 8, blocksPerMcu = 3;
            } else if (h == 2 && v == 1) {
                scanType = 2, mcuWidth = 16, mcuHeight = 8, blocksPerMcu = 4;
            } else if (h == 1 && v == 2) {
                scanType = 3, mcuWidth = 8, mcuHeight = 16, blocksPerMcu = 4;
            } else if (h == 2 && v == 2) {
                scanType = 4, mcuWidth = 16, mcuHeight = 16, blocksPerMcu = 6;
            } else {
                fail(-226);
            }
            for (int32_t c = 0; c < 3; ++c) {
                comp[c].geomH = comp[c].h;
                comp[c].geomV = comp[c].v;
            }
        }
        int32_t slot = 0;
        for (int32_t c = 0; c < componentCount; ++c) {
            comp[c].firstSlot = slot;
            for (int32_t i = 0; i < comp[c].geomH * comp[c].geomV; ++i) slotComponent[slot++] = c;
        }
        int32_t hMax = 1, vMax = 1;
        for (int32_t c = 0; c < componentCount; ++c) {
            if (comp[c].geomH > hMax) hMax = comp[c].geomH;
            if (comp[c].geomV > vMax) vMax = comp[c].geomV;
        }
        for (int32_t c = 0; c < componentCount; ++c) {
            comp[c].blocksAcross = ceilDiv(ceilDiv(comp[c].geomH * width, hMax), 8);
            comp[c].blocksDown = ceilDiv(ceilDiv(comp[c].geomV * height, vMax), 8);
        }
        mcusPerRow = ceilDiv(width, mcuWidth);
        mcusPerColumn = ceilDiv(height, mcuHeight);
        blocksPerMcuRow = blocksPerMcu * mcusPerRow;
        if (blocksPerMcuRow > kMaxBlocksPerMcuRow) fail(-229);

        bytesPerPixel = scanType == 0 ? 1 : 4;
        rowBytes = width * bytesPerPixel;
        paddedRowBytes = ((width + 15) & 0xFFF0) * bytesPerPixel;
        // Grey rows are handed out straight from their plane.
        if (scanType != 0)
            for (auto& row : rowBuffer) row = static_cast<uint8_t*>(allocate(size_t(paddedRowBytes) + 8));
        blocks = static_cast<int16_t*>(allocate(checkedMul(size_t(blocksPerMcuRow), 64 * sizeof(int16_t))));
        for (int32_t c = 0; c < componentCount; ++c) {
            planeStride[c] = mcusPerRow * comp[c].geomH * 8;
            const size_t rows = size_t(comp[c].geomV) * 8;
            plane[c] = static_cast<uint8_t*>(allocate(checkedMul(size_t(planeStride[c]), rows)));
        }

        colour.build();
        linesLeft = height;
        mcuLinesLeft = 0;
    }

    void buildHuffman(int32_t slot) {
        if (huff[slot] == nullptr) huff[slot] = static_cast<HuffDecode*>(allocate(sizeof(HuffDecode)));
        HuffDecode& t = *huff[slot];
        std::memset(&t, 0, sizeof t);
        const uint8_t* counts = huffCounts[slot];
        const uint8_t* symbols = huffSymbols[slot];
        int32_t nodes = 0;
        uint32_t code = 0;
        int32_t k = 0;
        for (int32_t length = 1; length <= 16; ++length) {
            for (int32_t i = 0; i < counts[length]; ++i, ++k, ++code) {
                const int32_t symbol = symbols[k];
                t.codeSize[symbol] = static_cast<uint8_t>(length);
                const uint32_t c = code & ((1u << length) - 1); // codes of a broken table wrap
                if (length <= 8) {
                    const uint32_t first = c << (8 - length);
                    for (uint32_t j = 0; j < (1u << (8 - length)); ++j) {
                        t.lookup[first + j] = static_cast<int16_t>(symbol);
                    }
                    continue;
                }
                int16_t* entry = &t.lookup[c >> (length - 8)];
                bool placed = true;
                for (int32_t b = length - 9; b >= 0; --b) {
                    if (*entry >= 0) {
                        if (nodes == 256) { // only a broken table gets here
                            placed = false;
                            break;
                        }
                        *entry = static_cast<int16_t>(-(2 * nodes + 1));
                        ++nodes;
                    }
                    entry = &t.tree[-*entry - 1 + static_cast<int32_t>((c >> b) & 1)];
                }
                if (placed) *entry = static_cast<int16_t>(symbol);
            }
            code <<= 1;
        }
        for (int32_t p = 0; p < (1 << kFastBits); ++p) {
            int32_t symbol = -1, length = 0;
            const int32_t e = t.lookup[p >> (kFastBits - 8)];
            if (e >= 0) {
                symbol = e;
                length = t.codeSize[e];
            } else {
                int32_t node = e;
                for (int32_t len = 9; len <= kFastBits && symbol < 0; ++len) {
                    node = t.tree[-node - 1 + ((p >> (kFastBits - len)) & 1)];
                    if (node >= 0) symbol = node, length = len;
                }
            }
            t.fast[p] = static_cast<int16_t>(symbol < 0 ? -1 : (length << 8) | symbol);
            t.fastAc[p] = 0;
            const int32_t size = symbol & 15;
            if (symbol > 0 && size != 0 && length + size <= kFastBits) {
                const int32_t raw = (p >> (kFastBits - length - size)) & ((1 << size) - 1);
                t.fastAc[p] = extend(raw, size) * 4096 + size * 256 + ((symbol >> 4) << 4) + length + size;
            } else if ((symbol == 0x00 || symbol == 0xF0) && length <= kFastBits) {
                // (a symbol twice in a broken table takes its last, maybe
                // longer, code length)
                t.fastAc[p] = symbol + length;
            }
        }
        huffDirty[slot] = false;
    }

    void setScanGeometry() {
        if (scanCount == 1) {
            const int32_t c = scanComp[0];
            scanMcusPerRow = comp[c].blocksAcross;
            scanMcusPerColumn = comp[c].blocksDown;
            scanBlocksPerMcu = 1;
            mcuOrder[0] = c;
            mcuSub[0] = 0;
            mcuSlot[0] = comp[c].firstSlot;
            return;
        }
        int32_t hMax = 1, vMax = 1;
        for (int32_t c = 0; c < componentCount; ++c) {
            if (comp[c].geomH > hMax) hMax = comp[c].geomH;
            if (comp[c].geomV > vMax) vMax = comp[c].geomV;
        }
        scanMcusPerRow = ceilDiv(ceilDiv(width, 8), hMax);
        scanMcusPerColumn = ceilDiv(ceilDiv(height, 8), vMax);
        int32_t n = 0;
        for (int32_t i = 0; i < scanCount; ++i) {
            const int32_t c = scanComp[i];
            const int32_t count = comp[c].geomH * comp[c].geomV;
            if (n + count > kMaxScanBlocks) fail(-229);
            for (int32_t j = 0; j < count; ++j, ++n) {
                mcuOrder[n] = c;
                mcuSub[n] = j;
                mcuSlot[n] = comp[c].firstSlot + j;
            }
        }
        scanBlocksPerMcu = n;
    }

    // Reads up to the next scan; false when EOI ends the picture.
    bool setupScan() {
        const int32_t m = markerLoop();
        if (m == 0xD9) return false;
        if (m != 0xDA) fail(-216);
        readScanHeader();
        setScanGeometry();
        for (int32_t i = 0; i < scanCount; ++i) {
            const Component& c = comp[scanComp[i]];
            if (spectralStart == 0 && (c.dcTable > 3 || huffCounts[c.dcTable] == nullptr)) fail(-223);
            if (spectralEnd > 0 && (c.acTable > 3 || huffCounts[4 + c.acTable] == nullptr)) fail(-223);
        }
        for (int32_t slot = 0; slot < 8; ++slot) {
            if (huffCounts[slot] != nullptr && huffDirty[slot]) buildHuffman(slot);
        }
        for (int32_t b = 0; b < scanBlocksPerMcu; ++b) {
            const Component& c = comp[mcuOrder[b]];
            blockDc[b] = c.dcTable <= 3 ? huff[c.dcTable] : nullptr;
            blockAc[b] = c.acTable <= 3 ? huff[4 + c.acTable] : nullptr;
        }
        for (int32_t i = 0; i < scanCount; ++i) {
            const int32_t q = comp[scanComp[i]].quantSelector;
            if (q > 3 || quant[q] == nullptr) fail(-222);
        }
        for (auto& c : comp) c.predictor = 0;
        eobRun = 0;
        if (restartInterval != 0) {
            restartsLeft = restartInterval;
            nextRestart = 0;
        }
        resetBits();
        return true;
    }

    // ---- entropy decoding ---------------------------------------------------------

    void processRestart() {
        resetBits();
        int32_t budget = 1536;
        uint8_t c;
        do {
            if (budget-- == 0) fail(-228);
            c = headerByte();
        } while (c != 0xFF);
        do {
            if (budget-- == 0) fail(-228);
            c = headerByte();
        } while (c == 0xFF);
        if (c != 0xD0 + nextRestart) fail(-228);
        for (auto& comp1 : comp) comp1.predictor = 0;
        eobRun = 0;
        restartsLeft = restartInterval;
        nextRestart = (nextRestart + 1) & 7;
        resetBits();
    }

    // The combined lookup serves DC tables too: a size with no run is a
    // difference and its bits, and the entry of symbol 0 a zero difference.
    JPEG_ALWAYS_INLINE int32_t decodeDcDifference(Bits& br, const HuffDecode& table) {
        br.ensure();
        const int32_t combined = table.fastAc[br.w >> (64 - kFastBits)];
        if (combined != 0 && (combined & 0xF0) == 0) {
            const int32_t size = (combined >> 8) & 15;
            br.consume((combined & 15) - size);
            br.ensure(); // the value bits are a read of their own
            br.consume(size);
            return combined >> 12;
        }
        const int32_t s = br.symbol(table);
        if (s == 0) return 0;
        if (s > 16) fail(-227); // no 8-bit picture has such a difference
        return extend(br.get(s), s);
    }

    // One block of a sequential scan. With kDequantise the plain path's
    // values are multiplied by the zig-zag table as they are stored. A block
    // slot is reused MCU row after MCU row and cleared whole each time: a
    // fixed clear of 128 bytes costs less than clearing only what the
    // previous block set, whose length no branch predicts. `end` (highest
    // position + 1) tells the transform which blocks hold only a DC value.
    template <bool kDequantise>
    JPEG_ALWAYS_INLINE void decodeSequentialBlock(Bits& caller, int16_t* block, uint8_t& end, int32_t b) {
        Bits br(caller);
        Component& c = comp[mcuOrder[b]];
        const HuffDecode& ac = *blockAc[b];
        const int16_t* q = quant[c.quantSelector];
        std::memset(block, 0, 64 * sizeof(int16_t));
        c.predictor = static_cast<int16_t>(c.predictor + decodeDcDifference(br, *blockDc[b]));
        block[0] = static_cast<int16_t>(kDequantise ? c.predictor * q[0] : c.predictor);
        int32_t k = 1;
        while (k < 64) {
            br.ensure();
            int32_t r, s, value = 0;
            const int32_t combined = ac.fastAc[br.w >> (64 - kFastBits)];
            if ((combined & 0xF00) != 0) {
                br.consume(combined & 15);
                r = (combined >> 4) & 15;
                s = 1; // any size: the value is known
                value = combined >> 12;
            } else if (combined != 0) { // end of block or 16 zeros
                br.consume(combined & 15);
                r = combined >> 4;
                s = 0;
            } else {
                const int32_t rs = br.symbol(ac);
                r = rs >> 4;
                s = rs & 15;
                if (s != 0) value = extend(br.get(s), s);
            }
            if (s != 0) {
                k += r;
                if (k > 63) fail(-227);
                block[kNaturalOrder[k]] = static_cast<int16_t>(kDequantise ? value * q[k] : value);
                ++k;
            } else if (r == 15) {
                if (k + 15 > 63) fail(-227);
                k += 16;
            } else {
                break;
            }
        }
        caller.takeFrom(br);
        end = static_cast<uint8_t>(k);
    }

    template <bool kDequantise>
    void decodeMcuRowSequential() {
        Bits br(*this);
        for (int32_t m = 0; m < mcusPerRow; ++m) {
            if (restartInterval != 0 && restartsLeft == 0) {
                br.save();
                processRestart();
                br.load();
            }
            for (int32_t b = 0; b < blocksPerMcu; ++b) {
                const int32_t slot = m * blocksPerMcu + mcuSlot[b];
                decodeSequentialBlock<kDequantise>(br, blocks + slot * 64, blockEnd[slot], b);
            }
            if (restartInterval != 0) --restartsLeft;
        }
        br.save();
    }

    // Progressive decoders (successive approximation as in T.81 G.1.2).
    void decodeDcFirst(Bits& br, int16_t& dc, int32_t b) {
        Component& c = comp[mcuOrder[b]];
        c.predictor = static_cast<int16_t>(c.predictor + decodeDcDifference(br, *blockDc[b]));
        dc = static_cast<int16_t>(c.predictor * (1 << approxLow));
    }

    void decodeDcRefine(Bits& br, int16_t& dc) {
        if (br.get(1)) dc = static_cast<int16_t>(dc | (1 << approxLow));
    }

    JPEG_ALWAYS_INLINE void storeFirst(int16_t* block, uint64_t& nonzero, int32_t k, int32_t value) {
        const int16_t stored = static_cast<int16_t>(value * (1 << approxLow));
        block[kNaturalOrder[k]] = stored;
        // a value may wrap to 0 in 16 bits
        nonzero = stored != 0 ? nonzero | (uint64_t(1) << k) : nonzero & ~(uint64_t(1) << k);
    }

    void decodeAcFirst(Bits& caller, int16_t* block, uint64_t& nonzero, int32_t b) {
        if (eobRun > 0) {
            --eobRun;
            return;
        }
        Bits br(caller);
        const HuffDecode& ac = *blockAc[b];
        for (int32_t k = spectralStart; k <= spectralEnd; ++k) {
            br.ensure();
            const int32_t combined = ac.fastAc[br.w >> (64 - kFastBits)];
            if ((combined & 0xF00) != 0) {
                // symbol and value bits at once, refilled between them as
                // two reads would be
                const int32_t size = (combined >> 8) & 15;
                br.consume((combined & 15) - size);
                br.ensure();
                br.consume(size);
                k += (combined >> 4) & 15;
                if (k > 63) fail(-227);
                storeFirst(block, nonzero, k, combined >> 12);
                continue;
            }
            const int32_t rs = br.symbol(ac);
            const int32_t r = rs >> 4, s = rs & 15;
            if (s != 0) {
                k += r;
                if (k > 63) fail(-227);
                storeFirst(block, nonzero, k, extend(br.get(s), s));
            } else if (r < 15) {
                eobRun = (1 << r) + br.get(r) - 1;
                break;
            } else {
                k += 15;
                if (k > 63) fail(-227);
            }
        }
        caller.takeFrom(br);
    }

    // One correction bit for each coefficient of `positions` (zig-zag bits,
    // all of them non-zero), in zig-zag order.
    template <bool kBmi2 = false>
    JPEG_ALWAYS_INLINE void refineNonZero(Bits& br, int16_t* block, uint64_t positions, int32_t p1) {
        while (positions != 0) {
            const int32_t all = bitCountOn<kBmi2>(positions);
            const int32_t count = all < 25 ? all : 25;
            uint32_t corrections = br.getRun(count) << (32 - count);
            for (int32_t i = 0; i < count; ++i, corrections <<= 1, positions &= positions - 1) {
                int16_t* coef = &block[kNaturalOrder[lowestBit(positions)]];
                if ((corrections & 0x80000000u) != 0 && (*coef & p1) == 0) {
                    *coef = static_cast<int16_t>(*coef >= 0 ? *coef + p1 : *coef - p1);
                }
            }
        }
    }

    template <bool kBmi2>
    JPEG_ALWAYS_INLINE void decodeAcRefine(Bits& caller, int16_t* block, uint64_t& nonzero, int32_t b) {
        Bits br(caller);
        const int32_t p1 = 1 << approxLow;
        const uint64_t band = bitsFrom(spectralStart) & (~uint64_t(0) >> (63 - spectralEnd));
        int32_t k = spectralStart;
        if (eobRun == 0) {
            const HuffDecode& ac = *blockAc[b];
            for (; k <= spectralEnd; ++k) {
                br.ensure();
                const int32_t combined = ac.fastAc[br.w >> (64 - kFastBits)];
                int32_t r, s;
                if (combined != 0 && ((combined >> 8) & 15) == 1) {
                    // a new coefficient and its sign at once, refilled
                    // between them as two reads would be
                    br.consume((combined & 15) - 1);
                    br.ensure();
                    br.consume(1);
                    r = (combined >> 4) & 15;
                    s = combined > 0 ? p1 : -p1;
                } else {
                    const int32_t rs = br.symbol(ac);
                    r = rs >> 4;
                    s = rs & 15;
                    if (s != 0) {
                        if (s != 1) fail(-227);
                        s = br.get(1) ? p1 : -p1;
                    } else if (r != 15) {
                        eobRun = (1 << r) + br.get(r);
                        break;
                    }
                }
                // Skip r zero coefficients, refining the non-zero ones
                // passed, up to the next zero one (or past the band).
                const uint64_t ahead = band & bitsFrom(k);
                const uint64_t zeros = ahead & ~nonzero;
                const int32_t zero = r == 0 ? (zeros != 0 ? lowestBit(zeros) : 64) : setBitOfRankOn<kBmi2>(zeros, r);
                const int32_t stop = zero < 64 ? zero : spectralEnd + 1;
                refineNonZero<kBmi2>(br, block, ahead & nonzero & ~bitsFrom(stop), p1);
                k = stop;
                if (s != 0) {
                    if (k > 63) fail(-227);
                    block[kNaturalOrder[k]] = static_cast<int16_t>(s);
                    nonzero |= uint64_t(1) << k;
                }
            }
        }
        if (eobRun > 0) {
            if (k <= spectralEnd) refineNonZero<kBmi2>(br, block, band & bitsFrom(k) & nonzero, p1);
            --eobRun;
        }
        caller.takeFrom(br);
    }

#if PLOCHAR_JPEG_BMI2
    __attribute__((target("bmi2,popcnt"), noinline)) void decodeAcRefineBmi2(Bits& br, int16_t* block,
                                                                            uint64_t& nonzero) {
        decodeAcRefine<true>(br, block, nonzero, 0);
    }
#else
    void decodeAcRefineBmi2(Bits& br, int16_t* block, uint64_t& nonzero) { decodeAcRefine<false>(br, block, nonzero, 0); }
#endif

    size_t bufferIndex(int32_t c, int32_t bx, int32_t by) {
        const CoefBuffer& buf = comp[c].coefs;
        if (bx < 0 || by < 0 || bx >= buf.blocksAcross || by >= buf.blocksDown) fail(-229);
        return size_t(by) * size_t(buf.blocksAcross) + size_t(bx);
    }

    int16_t* bufferBlock(int32_t c, int32_t bx, int32_t by) { return comp[c].coefs.data + bufferIndex(c, bx, by) * 64; }

    void allocateCoefficientBuffers() {
        for (int32_t c = 0; c < componentCount; ++c) {
            CoefBuffer& buf = comp[c].coefs;
            buf.blocksAcross = comp[c].geomH * mcusPerRow;
            buf.blocksDown = comp[c].geomV * mcusPerColumn;
            const size_t count = checkedMul(size_t(buf.blocksAcross), size_t(buf.blocksDown));
            buf.data = static_cast<int16_t*>(allocate(checkedMul(count, 64 * sizeof(int16_t))));
            if (progressive) {
                buf.dc = static_cast<int16_t*>(allocate(checkedMul(count, sizeof(int16_t))));
                buf.nonzero = static_cast<uint64_t*>(allocate(checkedMul(count, sizeof(uint64_t))));
            }
        }
    }

    enum class ScanKind { Sequential, DcFirst, DcRefine, AcFirst, AcRefine };

    // A scan of one band of AC coefficients (such scans hold one component).
    // The blocks of an end-of-band run go by at once: a first scan has
    // nothing to do for them, a refinement only corrects the coefficients
    // already set.
    void decodeBandScan(bool refine) {
        const int32_t c = scanComp[0];
        const CoefBuffer& buf = comp[c].coefs;
        const uint64_t band = bitsFrom(spectralStart) & (~uint64_t(0) >> (63 - spectralEnd));
        const int32_t p1 = 1 << approxLow;
        for (int32_t my = 0; my < scanMcusPerColumn; ++my) {
            for (int32_t mx = 0; mx < scanMcusPerRow;) {
                if (restartInterval != 0 && restartsLeft == 0) processRestart();
                int32_t count = 1;
                Bits br(*this);
                if (eobRun > 0) {
                    count = eobRun < scanMcusPerRow - mx ? eobRun : scanMcusPerRow - mx;
                    if (restartInterval != 0 && restartsLeft < count) count = restartsLeft;
                    const size_t first = bufferIndex(c, mx, my);
                    bufferIndex(c, mx + count - 1, my);
                    for (int32_t i = 0; refine && i < count; ++i) {
                        const uint64_t set = buf.nonzero[first + i] & band;
                        if (set != 0) refineNonZero(br, buf.data + (first + i) * 64, set, p1);
                    }
                    eobRun -= count;
                } else {
                    const size_t index = bufferIndex(c, mx, my);
                    if (refine) {
                        if (bmi2) {
                            decodeAcRefineBmi2(br, buf.data + index * 64, buf.nonzero[index]);
                        } else {
                            decodeAcRefine<false>(br, buf.data + index * 64, buf.nonzero[index], 0);
                        }
                    } else {
                        decodeAcFirst(br, buf.data + index * 64, buf.nonzero[index], 0);
                    }
                }
                br.save();
                mx += count;
                if (restartInterval != 0) restartsLeft -= count;
            }
        }
        resetBits(); // the next marker search starts on a byte boundary
    }

    void decodeScanIntoBuffers(ScanKind kind) {
        for (int32_t my = 0; my < scanMcusPerColumn; ++my) {
            for (int32_t mx = 0; mx < scanMcusPerRow; ++mx) {
                if (restartInterval != 0 && restartsLeft == 0) processRestart();
                Bits br(*this);
                for (int32_t b = 0; b < scanBlocksPerMcu; ++b) {
                    const int32_t c = mcuOrder[b];
                    int32_t bx = mx, by = my;
                    if (scanCount > 1) {
                        bx = mx * comp[c].geomH + mcuSub[b] % comp[c].geomH;
                        by = my * comp[c].geomV + mcuSub[b] / comp[c].geomH;
                    }
                    const size_t index = bufferIndex(c, bx, by);
                    int16_t* block = comp[c].coefs.data + index * 64;
                    switch (kind) {
                    case ScanKind::Sequential: {
                        uint8_t end = 64; // clears the whole block
                        decodeSequentialBlock<false>(br, block, end, b);
                        break;
                    }
                    case ScanKind::DcFirst: decodeDcFirst(br, comp[c].coefs.dc[index], b); break;
                    case ScanKind::DcRefine: decodeDcRefine(br, comp[c].coefs.dc[index]); break;
                    case ScanKind::AcFirst:
                    case ScanKind::AcRefine: break; // decodeBandScan
                    }
                }
                br.save();
                if (restartInterval != 0) --restartsLeft;
            }
        }
        resetBits(); // the next marker search starts on a byte boundary
    }

    void decodeProgressiveScan() {
        if (spectralEnd < spectralStart || spectralEnd > 63) fail(-230);
        if (spectralStart == 0 && spectralEnd != 0) fail(-230);
        if (spectralStart > 0 && scanCount > 1) fail(-230);
        if (approxHigh != 0 && approxHigh != approxLow + 1) fail(-231);
        ScanKind kind;
        if (spectralStart == 0) {
            kind = approxHigh == 0 ? ScanKind::DcFirst : ScanKind::DcRefine;
        } else {
            kind = approxHigh == 0 ? ScanKind::AcFirst : ScanKind::AcRefine;
        }
        if (kind == ScanKind::AcFirst || kind == ScanKind::AcRefine) {
            decodeBandScan(kind == ScanKind::AcRefine);
        } else {
            decodeScanIntoBuffers(kind);
        }
    }

    // Every scan of the picture into the per-component buffers; rows are then
    // produced from the buffers.
    void decodeAllScansIntoBuffers(bool firstScanReady) {
        buffered = true;
        allocateCoefficientBuffers();
        bool haveScan = firstScanReady ? true : setupScan();
        while (haveScan) {
            if (progressive) {
                decodeProgressiveScan();
            } else {
                decodeScanIntoBuffers(ScanKind::Sequential);
            }
            haveScan = setupScan();
        }
        // Output goes over all components in frame order.
        scanCount = componentCount;
        for (int32_t c = 0; c < componentCount; ++c) {
            scanComp[c] = c;
            const int32_t q = comp[c].quantSelector;
            if (q > 3 || quant[q] == nullptr) fail(-222);
        }
        setScanGeometry();
        mcuRowIndex = 0;
    }

    void beginDecoding() {
        setupFrame();
        if (progressive) {
            decodeAllScansIntoBuffers(false);
            return;
        }
        if (!setupScan()) fail(-216);
        // Rows stream straight from the entropy decoder only when the first
        // scan holds every component once; otherwise the scans are collected.
        bool interleaved = scanCount == componentCount;
        for (int32_t i = 0; i < scanCount && interleaved; ++i) {
            for (int32_t j = 0; j < i; ++j) {
                if (scanComp[i] == scanComp[j]) interleaved = false;
            }
        }
        if (!interleaved) decodeAllScansIntoBuffers(true);
    }

    // ---- reconstruction ---------------------------------------------------------

    void loadMcuRowFromBuffers() {
        const int32_t row = mcuRowIndex++;
        for (int32_t m = 0; m < mcusPerRow; ++m) {
            for (int32_t b = 0; b < blocksPerMcu; ++b) {
                const int32_t c = mcuOrder[b];
                int32_t bx = m, by = row;
                if (componentCount > 1) {
                    bx = m * comp[c].geomH + mcuSub[b] % comp[c].geomH;
                    by = row * comp[c].geomV + mcuSub[b] / comp[c].geomH;
                }
                const CoefBuffer& buf = comp[c].coefs;
                const size_t index = bufferIndex(c, bx, by);
                const int16_t* src = buf.data + index * 64;
                const int32_t slot = m * blocksPerMcu + mcuSlot[b];
                int16_t* dst = blocks + slot * 64;
                const int16_t* q = quant[comp[c].quantSelector];
                if (progressive && buf.nonzero[index] == 0) {
                    // Only the DC value, which is all the transform looks at.
                    const int16_t dc = buf.dc[index];
                    dst[0] = fastIdct || dc == 0 ? dc : static_cast<int16_t>(dc * q[0]);
                    blockEnd[slot] = 1;
                    continue;
                }
                if (fastIdct) {
                    std::memcpy(dst, src, 64 * sizeof(int16_t));
                    if (progressive) dst[0] = buf.dc[index];
                } else {
                    for (int32_t k = 0; k < 64; ++k) {
                        const int32_t z = kNaturalOrder[k];
                        const int16_t v = z == 0 && progressive ? buf.dc[index] : src[z];
                        dst[z] = v != 0 ? static_cast<int16_t>(v * q[k]) : int16_t(0);
                    }
                }
                blockEnd[slot] = 64;
            }
        }
    }

    void transformMcuRow() {
        // Fast path with AVX2: blocks wait for a partner and go two at a time.
        const bool pairs = fastIdct && avx2;
        const int16_t* waitingCoefs = nullptr;
        const int16_t* waitingQuant = nullptr;
        uint8_t* waitingOut = nullptr;
        int32_t waitingStride = 0;
        // Where each block of the MCU goes in its plane, for the first MCU.
        uint8_t* firstOut[6];
        for (int32_t b = 0; b < blocksPerMcu; ++b) {
            const Component& c = comp[slotComponent[b]];
            const int32_t ci = slotComponent[b], sub = b - c.firstSlot;
            firstOut[b] = plane[ci] + (sub / c.geomH) * 8 * planeStride[ci] + (sub % c.geomH) * 8;
        }
        for (int32_t m = 0; m < mcusPerRow; ++m) {
            for (int32_t b = 0; b < blocksPerMcu; ++b) {
                const int32_t slot = m * blocksPerMcu + b;
                const int16_t* coefs = blocks + slot * 64;
                const Component& c = comp[slotComponent[b]];
                const int32_t stride = planeStride[slotComponent[b]];
                uint8_t* out = firstOut[b] + m * c.geomH * 8;
                const int16_t* q = quant[c.quantSelector];
                if (blockEnd[slot] <= 1) {
                    // Only the DC value: both transforms give one flat value.
                    int32_t v;
                    if (fastIdct) {
                        v = static_cast<int16_t>(coefs[0] * q[0]) >> 5;
                    } else {
                        v = (static_cast<int16_t>(coefs[0] * 4) + 16) >> 5;
                    }
                    for (int32_t r = 0; r < 8; ++r) std::memset(out + r * stride, clampSample(v + 128), 8);
                } else if (pairs) {
                    if (waitingCoefs == nullptr) {
                        waitingCoefs = coefs, waitingQuant = q, waitingOut = out, waitingStride = stride;
                    } else {
                        jpeg::idctFastPairAvx2(waitingCoefs, waitingQuant, waitingOut, waitingStride, coefs, q, out,
                                               stride);
                        waitingCoefs = nullptr;
                    }
                } else if (fastIdct) {
                    jpeg::idctFast(coefs, q, out, stride);
                } else {
                    jpeg::idctAccurate(coefs, out, stride);
                }
            }
        }
        if (waitingCoefs != nullptr) jpeg::idctFast(waitingCoefs, waitingQuant, waitingOut, waitingStride);
    }

    // Row r of the MCU row (and r + 1 when out1 is given, for the layouts
    // whose two rows share a chroma row), every MCU of it.
    void convertRows(int32_t r, uint8_t* out0, uint8_t* out1) {
        const bool across = comp[0].geomH == 2;
        const int32_t chromaRow = comp[0].geomV == 2 ? r >> 1 : r;
        const uint8_t* y0 = plane[0] + r * planeStride[0];
        const auto convert = avx2 ? jpeg::yccRowAvx2 : jpeg::yccRow;
        convert(colour, y0, out1 != nullptr ? y0 + planeStride[0] : nullptr, plane[1] + chromaRow * planeStride[1],
                plane[2] + chromaRow * planeStride[2], out0, out1, planeStride[0], across);
    }

    void endOfImage() {
        resetBits();
        markerLoop(); // reads tables and skips segments up to the next marker
        totalRead -= inLeft;
    }

    void produceMcuRow() {
        if (buffered) {
            loadMcuRowFromBuffers();
        } else {
            if (fastIdct) {
                decodeMcuRowSequential<false>();
            } else {
                decodeMcuRowSequential<true>();
            }
            if (linesLeft <= mcuHeight) endOfImage();
        }
        transformMcuRow();
        mcuLinesLeft = mcuHeight;
    }
};

JpegDecoder::JpegDecoder(JpegSource* source, bool useMmx) : state_(new (std::nothrow) State()) {
    if (state_ == nullptr) {
        if (source != nullptr) {
            source->attach();
            source->detach();
        }
        return;
    }
    State& s = *state_;
    s.useMmx = useMmx;
    s.fastIdct = useMmx;
    s.avx2 = jpeg::idctHasPair() && jpeg::yccHasAvx2();
    s.bmi2 = haveBmi2();
    try {
        if (source == nullptr) s.fail(-232);
        s.source = source;
        source->attach();
        s.readHeader();
    } catch (const Fault& f) {
        s.recordFault(f.code);
    } catch (...) {
        s.recordFault(-233);
    }
}

JpegDecoder::~JpegDecoder() {
    if (state_ != nullptr) state_->release();
    delete state_;
}

int32_t JpegDecoder::begin() {
    if (state_ == nullptr || state_->errorCode != 0) return -1;
    State& s = *state_;
    if (s.ready) return 0;
    try {
        s.beginDecoding();
    } catch (const Fault& f) {
        s.recordFault(f.code);
        return -1;
    } catch (...) {
        s.recordFault(-233);
        return -1;
    }
    s.ready = true;
    return 0;
}

int32_t JpegDecoder::decodeScanLine(const uint8_t** line, uint32_t* lineBytes) {
    if (state_ == nullptr || state_->errorCode != 0 || !state_->ready) return -1;
    State& s = *state_;
    if (s.linesLeft == 0) return 1;
    if (s.mcuLinesLeft == 0) {
        try {
            s.produceMcuRow();
        } catch (const Fault& f) {
            s.recordFault(f.code);
            return -227;
        } catch (...) {
            s.recordFault(-233);
            return -227;
        }
    }
    const int32_t r = s.mcuHeight - s.mcuLinesLeft;
    const uint8_t* row;
    if (s.scanType == 0) {
        row = s.plane[0] + r * s.planeStride[0];
    } else if (s.scanType == 3 || s.scanType == 4) {
        if ((s.mcuLinesLeft & 1) == 0) s.convertRows(r, s.rowBuffer[0], s.rowBuffer[1]);
        row = (s.mcuLinesLeft & 1) == 0 ? s.rowBuffer[0] : s.rowBuffer[1];
    } else {
        s.convertRows(r, s.rowBuffer[0], nullptr);
        row = s.rowBuffer[0];
    }
    if (line != nullptr) *line = row;
    if (lineBytes != nullptr) *lineBytes = static_cast<uint32_t>(s.rowBytes);
    --s.linesLeft;
    --s.mcuLinesLeft;
    return 0;
}

int32_t JpegDecoder::width() const { return state_ != nullptr ? state_->width : 0; }
int32_t JpegDecoder::height() const { return state_ != nullptr ? state_->height : 0; }
int32_t JpegDecoder::componentCount() const { return state_ != nullptr ? state_->componentCount : 0; }
int32_t JpegDecoder::bytesPerPixel() const { return state_ != nullptr ? state_->bytesPerPixel : 0; }
int32_t JpegDecoder::errorCode() const { return state_ != nullptr ? state_->errorCode : -233; }
