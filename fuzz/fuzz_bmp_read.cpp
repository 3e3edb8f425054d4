// readBmp, the header check and the PackedDib locator on arbitrary bytes: a
// BMP file read from memory, and the same bytes taken as a DIB block. Every
// part the locator reports is read in full, so a wrong bound shows up as an
// overflow; the header check must agree with the block readBmp makes, and
// the rows a row-by-row reader finds through it must be the block's.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/bmp_file.h"
#include "image/packed_dib.h"

namespace {

volatile uint32_t g_sink;

void touchAll(const uint8_t* block, uint32_t size) {
    DibLayout l;
    if (!locateDib(block, size, &l))
        return;
    uint32_t sum = 0;
    const uint8_t* table = block + l.tableOffset;
    for (uint64_t i = 0; i < static_cast<uint64_t>(l.tableEntries) * l.entryBytes; ++i)
        sum += table[i];
    const uint8_t* pixels = block + l.pixelOffset;
    if (l.compression == kBiRgb || l.compression == kBiBitfields) {
        for (int32_t y = 0; y < l.rows; ++y) {
            const uint8_t* row = pixels + static_cast<size_t>(y) * l.stride;
            sum += row[0] + row[l.stride ? l.stride - 1 : 0];
        }
    } else {
        for (uint32_t i = 0; i < l.pixelBytes; ++i)
            sum += pixels[i];
    }
    g_sink = sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    MemoryInput input(data, static_cast<uint32_t>(size));
    int32_t abortFlag = 0;
    PackedDib dib = readBmp(input, &abortFlag);
    if (dib)
        touchAll(dib.data(), dib.size());
    MemoryInput headers(data, static_cast<uint32_t>(size));
    DibLayout fromHeaders, fromBlock;
    uint32_t pixelsAt = 0;
    bool judged = readBmpLayout(headers, &fromHeaders, &pixelsAt);
    if (judged != static_cast<bool>(dib) ||
        (dib && (!locateDib(dib, &fromBlock) || fromBlock.pixelOffset != fromHeaders.pixelOffset ||
                 fromBlock.pixelBytes != fromHeaders.pixelBytes)))
        __builtin_trap();
    if (dib && (fromBlock.compression == kBiRgb || fromBlock.compression == kBiBitfields)) {
        const uint64_t rowBytes = static_cast<uint64_t>(fromBlock.stride) * static_cast<uint32_t>(fromBlock.rows);
        if (pixelsAt + rowBytes > size ||
            std::memcmp(data + pixelsAt, dib.data() + fromBlock.pixelOffset, static_cast<size_t>(rowBytes)) != 0)
            __builtin_trap();
    }
    if (size >= 14) {
        PackedDib raw = PackedDib::allocate(static_cast<uint32_t>(size - 14));
        if (raw) {
            for (size_t i = 14; i < size; ++i)
                raw.data()[i - 14] = data[i];
            touchAll(raw.data(), raw.size());
        }
    }
    return 0;
}
