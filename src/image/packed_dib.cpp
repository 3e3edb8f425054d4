#include "image/packed_dib.h"

#include <cstring>
#include <new>

PackedDib PackedDib::allocate(uint32_t size) {
    PackedDib dib;
    if (size == UINT32_MAX) // size + 1 would wrap where size_t is 32 bits
        return dib;
    // The spare byte past the end keeps a zero after the pixels, as blocks
    // read from files have always had; nothing counts on it.
    dib.bytes_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size) + 1]());
    if (dib.bytes_)
        dib.size_ = size;
    return dib;
}

void PackedDib::shrink(uint32_t size) {
    if (size >= size_)
        return;
    std::memset(bytes_.get() + size, 0, size_ - size);
    size_ = size;
}

uint32_t dibStride(uint32_t width, uint32_t bitCount) {
    uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    return stride > UINT32_MAX ? 0 : static_cast<uint32_t>(stride);
}

bool locateDib(const uint8_t* block, uint32_t size, DibLayout* out) { return locateDibHeader(block, size, size, out); }

bool locateDibHeader(const uint8_t* block, uint32_t headBytes, uint32_t size, DibLayout* out) {
    if (!block || !out || size < 12 || headBytes < (size < kDibFieldBytes ? size : kDibFieldBytes))
        return false;
    DibLayout d;
    d.headerSize = readLe32(block);
    int64_t height = 0;
    if (d.headerSize == 12) {
        d.coreHeader = true;
        d.width = readLe16(block + 4);
        height = readLe16(block + 6);
        d.bitCount = readLe16(block + 10);
        d.tableOffset = 12;
        d.entryBytes = 3;
        if (d.bitCount <= 8)
            d.tableEntries = 1u << d.bitCount;
    } else {
        // Headers between the core and the info header (OS/2 2.x short forms)
        // would put fields we read into the colour table: not a picture.
        if (d.headerSize < 40 || d.headerSize > size)
            return false;
        int32_t width = static_cast<int32_t>(readLe32(block + 4));
        height = static_cast<int32_t>(readLe32(block + 8));
        if (width < 0)
            return false;
        d.width = width;
        d.bitCount = readLe16(block + 14);
        d.compression = readLe32(block + 16);
        d.sizeImage = readLe32(block + 20);
        uint32_t clrUsed = readLe32(block + 32);
        d.clrImportant = readLe32(block + 36);
        d.entryBytes = 4;
        d.tableOffset = d.headerSize;
        if (d.headerSize == 40 && d.compression == kBiBitfields)
            d.tableOffset = 52;
        if (d.compression == kBiBitfields) {
            // The masks follow the 40 bytes of the info header in every
            // header form; they must be inside the block.
            if (size < 52)
                return false;
            for (int i = 0; i < 3; ++i)
                d.masks[i] = readLe32(block + 40 + 4 * i);
        }
        if (clrUsed != 0)
            d.tableEntries = clrUsed;
        else if (d.bitCount <= 8)
            d.tableEntries = 1u << d.bitCount;
    }
    if (d.bitCount < 1 || d.bitCount > 32)
        return false;
    if (height < 0) {
        d.topDown = true;
        height = -height;
    }
    if (d.width > kMaxDibSide || height > kMaxDibSide)
        return false;
    d.rows = static_cast<int32_t>(height);

    uint64_t pixelOffset = static_cast<uint64_t>(d.tableOffset) + static_cast<uint64_t>(d.tableEntries) * d.entryBytes;
    if (pixelOffset > size)
        return false;
    d.pixelOffset = static_cast<uint32_t>(pixelOffset);
    d.pixelBytes = size - d.pixelOffset;
    d.stride = dibStride(static_cast<uint32_t>(d.width), d.bitCount);
    if (d.compression == kBiRgb || d.compression == kBiBitfields) {
        uint64_t needed = static_cast<uint64_t>(d.stride) * static_cast<uint64_t>(d.rows);
        if (needed > d.pixelBytes)
            return false;
    }
    *out = d;
    return true;
}

void makeInfoHeader(uint8_t* header, int32_t width, int32_t height, uint16_t bitCount, uint32_t clrUsed,
                    uint32_t clrImportant) {
    std::memset(header, 0, kInfoHeaderBytes);
    writeLe32(header, kInfoHeaderBytes);
    writeLe32(header + 4, static_cast<uint32_t>(width));
    writeLe32(header + 8, static_cast<uint32_t>(height));
    writeLe16(header + 12, 1);
    writeLe16(header + 14, bitCount);
    writeLe32(header + 32, clrUsed);
    writeLe32(header + 36, clrImportant);
}
