#include "image/bmp_row_sink.h"

#include <cstring>

#include "image/bmp_file.h"

namespace {
constexpr uint32_t kGreyTableBytes = 256 * 4;
}

BmpRowSink::~BmpRowSink() { release(); }

void BmpRowSink::release() {
    block_.reset();
    header = nullptr;
    pixels = nullptr;
    stride = 0;
    rowsLeft = 0;
}

uint32_t BmpRowSink::tableEntries() const { return header && readLe16(header + 14) == 8 ? 256 : 0; }

int BmpRowSink::begin(int32_t width, int32_t height, int32_t componentCount) {
    release();
    if (width < 1 || height < 1 || width > kMaxDibSide || height > kMaxDibSide)
        return 0;
    uint16_t bitCount = componentCount == 3 ? 24 : 8;
    uint32_t headerBytes = kInfoHeaderBytes + (bitCount == 8 ? kGreyTableBytes : 0);
    uint32_t rowBytes = dibStride(static_cast<uint32_t>(width), bitCount);
    uint64_t pixelBytes = static_cast<uint64_t>(rowBytes) * static_cast<uint32_t>(height);
    if (pixelBytes > UINT32_MAX - headerBytes - 1)
        return 0;
    // One zeroed block for header, table and rows: the rows never decoded
    // stay black.
    block_ = PackedDib::allocate(headerBytes + static_cast<uint32_t>(pixelBytes));
    if (!block_)
        return 0;
    header = block_.data();
    makeInfoHeader(header, width, height, bitCount, 0, 0);
    if (bitCount == 8) {
        uint8_t* table = header + kInfoHeaderBytes;
        for (uint32_t i = 0; i < 256; ++i)
            table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(i);
    }
    pixels = header + headerBytes;
    stride = static_cast<int32_t>(rowBytes);
    rowsLeft = height;
    return 1;
}

int BmpRowSink::putRow(const uint8_t* row, uint32_t length) {
    if (!header || !pixels || !row || rowsLeft <= 0)
        return 0;
    uint32_t width = readLe32(header + 4);
    bool colour = readLe16(header + 14) == 24;
    if (length < width * (colour ? 4u : 1u))
        return 0;
    --rowsLeft;
    uint8_t* dst = pixels + static_cast<size_t>(rowsLeft) * static_cast<uint32_t>(stride);
    if (colour) {
        for (uint32_t x = 0; x < width; ++x, row += 4, dst += 3) {
            dst[0] = row[2];
            dst[1] = row[1];
            dst[2] = row[0];
        }
    } else {
        std::memcpy(dst, row, width);
    }
    return 1;
}

PackedDib BmpRowSink::finish() {
    if (!block_)
        return {};
    PackedDib dib = PackedDib::allocate(block_.size());
    if (!dib)
        return {};
    std::memcpy(dib.data(), block_.data(), block_.size());
    return dib;
}

PackedDib BmpRowSink::takePicture() {
    PackedDib dib = std::move(block_);
    release();
    return dib;
}

int BmpRowSink::saveToFile(const char16_t* path) {
    if (!header || !pixels)
        return 0;
    uint32_t height = readLe32(header + 8);
    return writeBmpFile(path, header, header + kInfoHeaderBytes, tableEntries(), pixels, static_cast<uint32_t>(stride),
                        height);
}
