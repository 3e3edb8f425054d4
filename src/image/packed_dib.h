// PackedDib: a picture in one heap block, laid out as a BMP file without its
// 14-byte file header (DIB header, colour table, pixel rows). Every image
// operation finds the colour table and the rows through locateDib, which
// checks each offset and size against the block, so a lying header is a
// failure and never a read outside the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Sizes of the picture's sides that any operation accepts. A core header
// cannot describe more, and it keeps every size product well inside 64 bits.
constexpr int32_t kMaxDibSide = 65535;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

// The block and its meaningful size. Moving hands the block over; an empty
// PackedDib is the "no picture" result.
class PackedDib {
  public:
    PackedDib() = default;
    PackedDib(PackedDib&&) noexcept = default;
    PackedDib& operator=(PackedDib&&) noexcept = default;

    // A zero-filled block of `size` bytes plus one spare zero byte; empty when
    // memory runs out.
    static PackedDib allocate(uint32_t size);

    explicit operator bool() const { return bytes_ != nullptr; }
    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    uint32_t size() const { return size_; }
    void reset() {
        bytes_.reset();
        size_ = 0;
    }
    // Drops the bytes past `size` (no reallocation); they become zero, so the
    // spare zero byte stays behind the meaningful ones.
    void shrink(uint32_t size);

  private:
    std::unique_ptr<uint8_t[]> bytes_;
    uint32_t size_ = 0;
};

// Where the parts of a PackedDib are, read from its header.
struct DibLayout {
    uint32_t headerSize = 0;
    bool coreHeader = false;
    int32_t width = 0;
    int32_t rows = 0;      // the height as a row count
    bool topDown = false;  // negative height in an info header
    uint16_t bitCount = 0;
    uint32_t compression = 0; // 0 for a core header
    uint32_t sizeImage = 0;
    uint32_t clrImportant = 0; // 0 for a core header
    uint32_t tableOffset = 0;
    uint32_t tableEntries = 0;
    uint32_t entryBytes = 0; // 3 for core, 4 otherwise
    uint32_t pixelOffset = 0;
    uint32_t stride = 0;     // bytes of one uncompressed row, a multiple of 4
    uint32_t pixelBytes = 0; // bytes from pixelOffset to the end of the block
    // Red, green and blue channel masks at offsets 40, 44 and 48 of an info
    // header with BI_BITFIELDS; zero otherwise.
    uint32_t masks[3] = {0, 0, 0};
};

// Reads the header of `block` (size bytes) and places its parts:
//  - header size 12 is a core header, 40 or more an info header (or a larger
//    one that begins like it); anything else fails;
//  - the colour table starts at 12, at 40 (52 with BI_BITFIELDS) for a 40-byte
//    header and at the header size otherwise, with biClrUsed entries, or 2 to
//    the bit count for 8 bits and fewer;
//  - the pixels start right after the table;
//  - bit counts 1 to 32 only; width and row count 0 to kMaxDibSide;
//  - uncompressed pictures (BI_RGB, BI_BITFIELDS) must hold stride x rows
//    bytes of pixels; compressed ones only their start inside the block.
// Every sum and product is checked against the block's size. False when the
// header does not describe a picture that fits in the block.
bool locateDib(const uint8_t* block, uint32_t size, DibLayout* layout);
inline bool locateDib(const PackedDib& dib, DibLayout* layout) {
    return dib && locateDib(dib.data(), dib.size(), layout);
}

// Every field locateDib reads lies in the first 52 bytes of the block (the
// bit-field masks end there).
constexpr uint32_t kDibFieldBytes = 52;

// The same for a block of blockSize bytes of which only the first headBytes
// are at hand: enough to judge a file by its headers before reading it all.
// headBytes must cover min(blockSize, kDibFieldBytes), else false.
bool locateDibHeader(const uint8_t* head, uint32_t headBytes, uint32_t blockSize, DibLayout* layout);

// Bytes of one row of `width` pixels of `bitCount` bits, padded to 4 bytes.
// Zero when it would not fit in 32 bits.
uint32_t dibStride(uint32_t width, uint32_t bitCount);

// Little-endian fields of headers and pixels; no alignment needed.
inline uint16_t readLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t readLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline void writeLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void writeLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The 40-byte BITMAPINFOHEADER every writer of the pipeline produces: positive
// height (bottom-up rows), one plane, the other fields as given or zero.
constexpr uint32_t kInfoHeaderBytes = 40;
void makeInfoHeader(uint8_t* header, int32_t width, int32_t height, uint16_t bitCount, uint32_t clrUsed,
                    uint32_t clrImportant);
