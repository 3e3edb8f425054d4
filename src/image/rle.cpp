#include "image/rle.h"

#include <cstring>

bool isRlePicture(const DibLayout& l) {
    return (l.compression == kBiRle8 && l.bitCount == 8) || (l.compression == kBiRle4 && l.bitCount == 4);
}

uint32_t rleDataBytes(const DibLayout& l) {
    return (l.sizeImage != 0 && l.sizeImage < l.pixelBytes) ? l.sizeImage : l.pixelBytes;
}

namespace {

void putIndex(uint8_t* row, bool rle4, uint32_t x, uint32_t index) {
    if (!rle4)
        row[x] = static_cast<uint8_t>(index);
    else if (x & 1)
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (index & 0x0F));
    else
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (index << 4));
}

} // namespace

bool expandRle(const PackedDib& source, PackedDib* out) {
    DibLayout l;
    if (!out || !locateDib(source, &l) || !isRlePicture(l))
        return false;
    uint32_t width = static_cast<uint32_t>(l.width), rows = static_cast<uint32_t>(l.rows);
    uint64_t pixelBytes = static_cast<uint64_t>(l.stride) * rows;
    uint64_t tableBytes = static_cast<uint64_t>(l.tableEntries) * 4;
    if (pixelBytes > kMaxExpandedBytes || tableBytes > kMaxExpandedBytes)
        return false;
    PackedDib dib = PackedDib::allocate(static_cast<uint32_t>(kInfoHeaderBytes + tableBytes + pixelBytes));
    if (!dib)
        return false;
    makeInfoHeader(dib.data(), l.width, l.rows, l.bitCount, l.tableEntries, l.clrImportant);
    const uint8_t* table = source.data() + l.tableOffset; // 4-byte entries: RLE needs an info header
    std::memcpy(dib.data() + kInfoHeaderBytes, table, static_cast<size_t>(tableBytes));
    uint8_t* pixels = dib.data() + kInfoHeaderBytes + tableBytes;

    const uint8_t* data = source.data() + l.pixelOffset;
    uint32_t limit = rleDataBytes(l);
    bool rle4 = l.compression == kBiRle4;
    // Rows count from the bottom, as the data is stored.
    uint32_t x = 0, y = 0, pos = 0;
    auto put = [&](uint32_t index) {
        if (x < width && y < rows)
            putIndex(pixels + static_cast<size_t>(y) * l.stride, rle4, x, index);
        ++x;
    };
    while (limit - pos >= 2 && y < rows) {
        uint32_t first = data[pos], second = data[pos + 1];
        pos += 2;
        if (first != 0) {
            for (uint32_t i = 0; i < first && x < width; ++i)
                put(rle4 ? ((i & 1) ? (second & 0x0F) : (second >> 4)) : second);
        } else if (second == 0) {
            x = 0;
            ++y;
        } else if (second == 1) {
            break;
        } else if (second == 2) {
            if (limit - pos < 2)
                break;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else {
            uint32_t dataBytes = rle4 ? (second + 1) / 2 : second;
            if (limit - pos < dataBytes)
                break;
            const uint8_t* run = data + pos;
            for (uint32_t i = 0; i < second && x < width; ++i)
                put(rle4 ? ((i & 1) ? (run[i / 2] & 0x0F) : (run[i / 2] >> 4)) : run[i]);
            pos += dataBytes + (dataBytes & 1);
            if (pos > limit)
                break;
        }
    }
    *out = std::move(dib);
    return true;
}
