// The JPEG decoder's one state object, shared by the files that implement
// it; nothing outside src/image/jpeg includes this header.
//
//   jpeg_decoder.cpp   the public operations, faults and the allocation table
//   jpeg_markers.cpp   input refill, markers and segments (DHT, DQT, DRI, SOF,
//                      SOS), Huffman table building, frame and scan set-up
//   jpeg_entropy.cpp   the bit reader and every entropy decoder: sequential
//                      and progressive blocks, restarts, coefficient buffers
//                      (the always-inline hot path lives only there)
//   jpeg_output.cpp    reconstruction: coefficients to samples (transforms),
//                      colour conversion and row delivery
//
// Members are declared here and defined in the file of their concern; the
// small input helpers every file uses are defined here, in the class. The hot
// path is marked JPEG_ALWAYS_INLINE and defined in the one file that calls
// it. Other members get no `inline`: that hint makes the compiler copy
// refillBits into every bit read, which bloats the block loops.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/jpeg/jpeg_colour.h"
#include "image/jpeg/jpeg_decoder.h"

#if defined(_MSC_VER)
#define JPEG_ALWAYS_INLINE __forceinline
#else
#define JPEG_ALWAYS_INLINE inline __attribute__((always_inline))
#endif

// The progressive refinement has a version for processors with BMI2 and
// POPCNT (chosen at run time), built where GCC and clang target x86-64.
#if defined(__GNUC__) && defined(__x86_64__)
#define PLOCHAR_JPEG_BMI2 1
#define JPEG_BMI2_TARGET __attribute__((target("bmi2,popcnt"), noinline))
#else
#define JPEG_BMI2_TARGET
#endif

namespace jpeg {

// Thrown by State::fail and caught only by the public entry points, so no
// exception ever leaves the decoder.
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

// The frame's MCU layout: grey, or colour with the luminance sampling.
enum ScanType : int32_t {
    kScanGrey = 0,     // one component, 8x8 MCUs of one block
    kScanColour11 = 1, // Y 1x1: 8x8 MCUs of Y, Cb, Cr
    kScanColour21 = 2, // Y 2x1: 16x8 MCUs, chroma shared by two pixels across
    kScanColour12 = 3, // Y 1x2: 8x16 MCUs, chroma shared by two rows
    kScanColour22 = 4, // Y 2x2: 16x16 MCUs, chroma shared across and down
};

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

inline int32_t extend(int32_t v, int32_t s) { return v < (1 << (s - 1)) ? v + 1 - (1 << s) : v; }

} // namespace jpeg

struct JpegDecoder::State {
    using HuffDecode = jpeg::HuffDecode;
    using Component = jpeg::Component;
    using CoefBuffer = jpeg::CoefBuffer;
    struct Bits; // the bit window in registers: jpeg_entropy.cpp

    // Source and status.
    JpegSource* source = nullptr;
    int32_t errorCode = 0;
    bool ready = false;
    int64_t totalRead = 0;

    // Options.
    bool fastIdct = false; // the fast transform, on coefficients kept undequantised
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
    jpeg::ScanType scanType = jpeg::kScanGrey;
    int32_t mcuWidth = 8, mcuHeight = 8;
    int32_t blocksPerMcu = 1;
    int32_t mcusPerRow = 0, mcusPerColumn = 0;
    int32_t blocksPerMcuRow = 0;
    int32_t scanBlocksPerMcu = 0;
    int32_t scanMcusPerRow = 0, scanMcusPerColumn = 0;
    int32_t mcuOrder[jpeg::kMaxScanBlocks] = {}; // frame component of each block of the scan's MCU
    int32_t mcuSub[jpeg::kMaxScanBlocks] = {};   // index of the block among its component's blocks
    int32_t mcuSlot[jpeg::kMaxScanBlocks] = {};  // position in the frame's MCU layout
    const HuffDecode* blockDc[jpeg::kMaxScanBlocks] = {};
    const HuffDecode* blockAc[jpeg::kMaxScanBlocks] = {};
    bool buffered = false; // coefficients are collected per component before output

    // Block storage of one MCU row.
    int16_t* blocks = nullptr;
    uint8_t blockEnd[jpeg::kMaxBlocksPerMcuRow]; // previous highest coefficient position + 1
    int32_t slotComponent[6] = {};               // frame component of each slot of the MCU layout
    int32_t mcuRowIndex = 0;                     // next MCU row to load from the buffers

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
    uint8_t in[jpeg::kInReserve + jpeg::kInSize + jpeg::kInTail] = {};
    int32_t inPos = jpeg::kInReserve, inLeft = 0;
    bool endOfData = false;
    bool padNextD9 = false;

    // Exif: the orientation of the first Exif APP1 ahead of the frame, 1 when
    // there is none or more than one; app1 holds a segment while it is read.
    int32_t orientation = 1;
    bool exifSeen = false;
    uint8_t* app1 = nullptr;

    // Bits, most significant first, at the top of the window.
    uint64_t window = 0;
    int32_t bits = 0;

    // Restart.
    int32_t restartInterval = 0, restartsLeft = 0, nextRestart = 0;

    void* allocations[jpeg::kAllocationSlots] = {};

    // ---- faults and memory: jpeg_decoder.cpp ------------------------------

    [[noreturn]] void fail(int32_t code) { throw jpeg::Fault{code}; }
    void release();
    void recordFault(int32_t code);
    size_t checkedMul(size_t a, size_t b);
    void* allocate(size_t size); // zero-filled, 8-byte aligned, owned by the allocation table

    // ---- input, markers, tables, set-up: jpeg_markers.cpp -----------------

    void refillInput();
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
        if (inPos == 0) fail(kJpegLimitExceeded); // more pushed back than the reserve holds: cannot happen
        in[--inPos] = b;
        ++inLeft;
    }
    uint8_t headerByte() {
        bool padding;
        return fetch(padding);
    }
    int32_t header16();
    int32_t nextMarker();
    void skipSegment();
    void readApp1();
    void readHuffmanTables();
    void readQuantTables();
    void readRestartInterval();
    void readFrameHeader();
    void readScanHeader();
    int32_t markerLoop(); // runs segments until SOFn, SOI, EOI or SOS
    void readHeader();    // up to and including the frame header
    void setupFrame();
    void buildHuffman(int32_t slot);
    void setScanGeometry();
    bool setupScan(); // reads up to the next scan; false when EOI ends the picture

    // ---- entropy decoding: jpeg_entropy.cpp -------------------------------

    void resetBits() {
        window = 0;
        bits = 0;
    }
    uint8_t entropyByte();
    void refillBits();
    void processRestart();
    JPEG_ALWAYS_INLINE int32_t decodeDcDifference(Bits& br, const HuffDecode& table);
    template <bool kDequantise>
    JPEG_ALWAYS_INLINE void decodeSequentialBlock(Bits& caller, int16_t* block, uint8_t& end, int32_t b);
    template <bool kDequantise>
    void decodeMcuRowSequential();
    void decodeMcuRow(); // the next MCU row of a streamed sequential scan into the block slots
    void decodeDcFirst(Bits& br, int16_t& dc, int32_t b);
    JPEG_ALWAYS_INLINE void decodeDcRefine(Bits& br, int16_t& dc);
    JPEG_ALWAYS_INLINE void storeFirst(int16_t* block, uint64_t& nonzero, int32_t k, int32_t value);
    void decodeAcFirst(Bits& caller, int16_t* block, uint64_t& nonzero, int32_t b);
    template <bool kBmi2 = false>
    JPEG_ALWAYS_INLINE void refineNonZero(Bits& br, int16_t* block, uint64_t positions, int32_t p1);
    template <bool kBmi2>
    JPEG_ALWAYS_INLINE void decodeAcRefine(Bits& caller, int16_t* block, uint64_t& nonzero, int32_t b);
    JPEG_BMI2_TARGET void decodeAcRefineBmi2(Bits& br, int16_t* block, uint64_t& nonzero);
    size_t bufferIndex(int32_t c, int32_t bx, int32_t by) {
        const CoefBuffer& buf = comp[c].coefs;
        if (bx < 0 || by < 0 || bx >= buf.blocksAcross || by >= buf.blocksDown) fail(kJpegLimitExceeded);
        return size_t(by) * size_t(buf.blocksAcross) + size_t(bx);
    }
    // The buffer index of block b of the MCU at (mx, my). An interleaved MCU
    // holds geomH x geomV blocks of each component, a single-component one
    // one block.
    size_t mcuBlockIndex(int32_t b, int32_t mx, int32_t my, bool interleaved) {
        const int32_t c = mcuOrder[b];
        if (!interleaved) return bufferIndex(c, mx, my);
        const int32_t h = comp[c].geomH;
        return bufferIndex(c, mx * h + mcuSub[b] % h, my * comp[c].geomV + mcuSub[b] / h);
    }
    void allocateCoefficientBuffers();
    enum class ScanKind { Sequential, DcFirst, DcRefine, AcFirst, AcRefine };
    void decodeBandScan(bool refine);
    void decodeScanIntoBuffers(ScanKind kind);
    void decodeProgressiveScan();
    void decodeAllScansIntoBuffers(bool firstScanReady);
    void beginDecoding();

    // ---- reconstruction and output: jpeg_output.cpp -----------------------

    void loadMcuRowFromBuffers();
    void transformMcuRow();
    void convertRows(int32_t r, uint8_t* out0, uint8_t* out1);
    void endOfImage();
    void produceMcuRow();
    const uint8_t* nextRow(); // the next row of the MCU row produced last
};
