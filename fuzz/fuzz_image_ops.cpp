// The image operations on arbitrary DIB blocks: the background estimate
// (with the RLE walks), scaling, the logo and the reduction to 256 colours.
// The first two bytes choose the target size; the rest is the picture. Large
// pictures are skipped so that every run stays fast.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "collection/wallpaper_entry.h"
#include "image/background.h"
#include "image/packed_dib.h"
#include "image/quantize.h"
#include "image/scale.h"

namespace {

PackedDib copyOf(const uint8_t* data, size_t size) {
    PackedDib dib = PackedDib::allocate(static_cast<uint32_t>(size));
    if (dib && size)
        std::memcpy(dib.data(), data, size);
    return dib;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 + 12 || size > 65536)
        return 0;
    int32_t targetW = 1 + data[0] % 64, targetH = 1 + data[1] % 64;
    const uint8_t* block = data + 2;
    size_t blockSize = size - 2;
    PackedDib picture = copyOf(block, blockSize);
    if (!picture)
        return 0;
    DibLayout l;
    if (locateDib(picture, &l) && static_cast<uint64_t>(l.width) * static_cast<uint64_t>(l.rows) > 65536)
        return 0;

    uint32_t colour = 0;
    estimatePictureColour(picture, 1, &colour);

    ScaledPicture scaled;
    scalePicture(picture, targetW, targetH, 1, &scaled);

    static const WallpaperEntry entry;
    PackedDib reduced;
    quantizeTo256(entry, nullptr, nullptr, 1, copyOf(block, blockSize), &reduced);
    if (reduced) {
        DibLayout r;
        if (!locateDib(reduced, &r) || r.bitCount != 8)
            __builtin_trap(); // the reduction must give a readable 8-bit picture
    }

    // The logo costs a 320 x 400 stretch: only for one input in eight.
    if ((data[0] & 0xE0) == 0xE0) {
        ScaledPicture logo;
        buildLogoPicture(entry, copyOf(block, blockSize), data[1] & 1, &logo);
    }
    return 0;
}
