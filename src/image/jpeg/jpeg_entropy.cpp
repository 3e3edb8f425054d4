// The entropy decoders of the JPEG decoder (see jpeg_decoder_internal.h):
// the bit reader, sequential blocks streamed an MCU row at a time, the
// progressive scans into per-component coefficient buffers, restarts. The
// always-inline hot path lives in this file alone, so that it is inlined.
#include <cstring>
#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include "image/jpeg/jpeg_decoder_internal.h"
#include "image/jpeg/jpeg_idct.h"

using namespace jpeg;

namespace {

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

// Bits from..63 of a mask; from may be 64.
inline uint64_t bitsFrom(int32_t from) { return from >= 64 ? 0 : ~uint64_t(0) << from; }

// (bits consumed << 8) | symbol of a code longer than the fast lookup:
// the 8-bit lookup, then the tree. w holds the code at its top.
inline int32_t longCode(const HuffDecode& t, uint64_t w) {
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

} // namespace

// The bit window held in registers while blocks are decoded, written
// back to the object only around refills and at the end (its address
// never leaves the inlined code, so it stays in registers). Every read
// first makes sure of 32 bits (a symbol and its value bits), as the
// refill points decide what a damaged stream reads next.
struct JpegDecoder::State::Bits {
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

// Scan data: FF 00 is a data FF; a marker stays in the input and reads as
// FF bytes, so decoding runs on 1-bits until the scan's end. Past the end
// of the stream the padding reads as FF too (whichever of FF D9 is next),
// so a cut-off scan goes on with 1-bits as well.
uint8_t JpegDecoder::State::entropyByte() {
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

// Fills the window to 57..64 bits; called whenever fewer than 32 are
// left, so every scan consumes the input at the same points whatever the
// path: a restart search or the end of a scan sees the same bytes, even
// in damaged data. The bytes go in at once when none of them is FF
// (stuffing or a marker) and the buffer holds plenty; else one by one.
void JpegDecoder::State::refillBits() {
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

void JpegDecoder::State::processRestart() {
    resetBits();
    int32_t budget = 1536;
    uint8_t c;
    do {
        if (budget-- == 0) fail(kJpegBadRestart);
        c = headerByte();
    } while (c != 0xFF);
    do {
        if (budget-- == 0) fail(kJpegBadRestart);
        c = headerByte();
    } while (c == 0xFF);
    if (c != 0xD0 + nextRestart) fail(kJpegBadRestart);
    for (auto& comp1 : comp) comp1.predictor = 0;
    eobRun = 0;
    restartsLeft = restartInterval;
    nextRestart = (nextRestart + 1) & 7;
    resetBits();
}

// The combined lookup serves DC tables too: a size with no run is a
// difference and its bits, and the entry of symbol 0 a zero difference.
JPEG_ALWAYS_INLINE int32_t JpegDecoder::State::decodeDcDifference(Bits& br, const HuffDecode& table) {
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
    if (s > 16) fail(kJpegBadScanData); // no 8-bit picture has such a difference
    return extend(br.get(s), s);
}

// One block of a sequential scan. With kDequantise the plain path's
// values are multiplied by the zig-zag table as they are stored. A block
// slot is reused MCU row after MCU row and cleared whole each time: a
// fixed clear of 128 bytes costs less than clearing only what the
// previous block set, whose length no branch predicts. `end` (highest
// position + 1) tells the transform which blocks hold only a DC value.
template <bool kDequantise>
JPEG_ALWAYS_INLINE void JpegDecoder::State::decodeSequentialBlock(Bits& caller, int16_t* block, uint8_t& end, int32_t b) {
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
            if (k > 63) fail(kJpegBadScanData);
            block[kNaturalOrder[k]] = static_cast<int16_t>(kDequantise ? value * q[k] : value);
            ++k;
        } else if (r == 15) {
            if (k + 15 > 63) fail(kJpegBadScanData);
            k += 16;
        } else {
            break;
        }
    }
    caller.takeFrom(br);
    end = static_cast<uint8_t>(k);
}

template <bool kDequantise>
void JpegDecoder::State::decodeMcuRowSequential() {
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

void JpegDecoder::State::decodeMcuRow() {
    if (fastIdct) {
        decodeMcuRowSequential<false>();
    } else {
        decodeMcuRowSequential<true>();
    }
}

// Progressive decoders (successive approximation as in T.81 G.1.2).
void JpegDecoder::State::decodeDcFirst(Bits& br, int16_t& dc, int32_t b) {
    Component& c = comp[mcuOrder[b]];
    c.predictor = static_cast<int16_t>(c.predictor + decodeDcDifference(br, *blockDc[b]));
    dc = static_cast<int16_t>(c.predictor * (1 << approxLow));
}

JPEG_ALWAYS_INLINE void JpegDecoder::State::decodeDcRefine(Bits& br, int16_t& dc) {
    if (br.get(1)) dc = static_cast<int16_t>(dc | (1 << approxLow));
}

JPEG_ALWAYS_INLINE void JpegDecoder::State::storeFirst(int16_t* block, uint64_t& nonzero, int32_t k, int32_t value) {
    const int16_t stored = static_cast<int16_t>(value * (1 << approxLow));
    block[kNaturalOrder[k]] = stored;
    // a value may wrap to 0 in 16 bits
    nonzero = stored != 0 ? nonzero | (uint64_t(1) << k) : nonzero & ~(uint64_t(1) << k);
}

void JpegDecoder::State::decodeAcFirst(Bits& caller, int16_t* block, uint64_t& nonzero, int32_t b) {
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
            if (k > 63) fail(kJpegBadScanData);
            storeFirst(block, nonzero, k, combined >> 12);
            continue;
        }
        const int32_t rs = br.symbol(ac);
        const int32_t r = rs >> 4, s = rs & 15;
        if (s != 0) {
            k += r;
            if (k > 63) fail(kJpegBadScanData);
            storeFirst(block, nonzero, k, extend(br.get(s), s));
        } else if (r < 15) {
            eobRun = (1 << r) + br.get(r) - 1;
            break;
        } else {
            k += 15;
            if (k > 63) fail(kJpegBadScanData);
        }
    }
    caller.takeFrom(br);
}

// One correction bit for each coefficient of `positions` (zig-zag bits,
// all of them non-zero), in zig-zag order.
template <bool kBmi2>
JPEG_ALWAYS_INLINE void JpegDecoder::State::refineNonZero(Bits& br, int16_t* block, uint64_t positions, int32_t p1) {
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
JPEG_ALWAYS_INLINE void JpegDecoder::State::decodeAcRefine(Bits& caller, int16_t* block, uint64_t& nonzero, int32_t b) {
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
                    if (s != 1) fail(kJpegBadScanData);
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
                if (k > 63) fail(kJpegBadScanData);
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

JPEG_BMI2_TARGET void JpegDecoder::State::decodeAcRefineBmi2(Bits& br, int16_t* block, uint64_t& nonzero) {
#if PLOCHAR_JPEG_BMI2
    decodeAcRefine<true>(br, block, nonzero, 0);
#else
    decodeAcRefine<false>(br, block, nonzero, 0);
#endif
}

void JpegDecoder::State::allocateCoefficientBuffers() {
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

// A scan of one band of AC coefficients (such scans hold one component).
// The blocks of an end-of-band run go by at once: a first scan has
// nothing to do for them, a refinement only corrects the coefficients
// already set.
void JpegDecoder::State::decodeBandScan(bool refine) {
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

void JpegDecoder::State::decodeScanIntoBuffers(ScanKind kind) {
    for (int32_t my = 0; my < scanMcusPerColumn; ++my) {
        for (int32_t mx = 0; mx < scanMcusPerRow; ++mx) {
            if (restartInterval != 0 && restartsLeft == 0) processRestart();
            Bits br(*this);
            for (int32_t b = 0; b < scanBlocksPerMcu; ++b) {
                const int32_t c = mcuOrder[b];
                const size_t index = mcuBlockIndex(b, mx, my, scanCount > 1);
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

void JpegDecoder::State::decodeProgressiveScan() {
    if (spectralEnd < spectralStart || spectralEnd > 63) fail(kJpegBadSpectralSelection);
    if (spectralStart == 0 && spectralEnd != 0) fail(kJpegBadSpectralSelection);
    if (spectralStart > 0 && scanCount > 1) fail(kJpegBadSpectralSelection);
    if (approxHigh != 0 && approxHigh != approxLow + 1) fail(kJpegBadApproximation);
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
void JpegDecoder::State::decodeAllScansIntoBuffers(bool firstScanReady) {
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
        if (q > 3 || quant[q] == nullptr) fail(kJpegMissingQuantTable);
    }
    setScanGeometry();
    mcuRowIndex = 0;
}

void JpegDecoder::State::beginDecoding() {
    setupFrame();
    if (progressive) {
        decodeAllScansIntoBuffers(false);
        return;
    }
    if (!setupScan()) fail(kJpegUnexpectedMarker);
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
