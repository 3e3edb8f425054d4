#include "image/jpeg/exif_orientation.h"

#include <cstring>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr uint32_t kEntryBytes = 12;

struct Tiff {
    const uint8_t* p;
    uint32_t size;
    bool bigEndian;
    uint16_t u16(uint32_t at) const {
        return bigEndian ? static_cast<uint16_t>((p[at] << 8) | p[at + 1])
                         : static_cast<uint16_t>(p[at] | (p[at + 1] << 8));
    }
    uint32_t u32(uint32_t at) const {
        const uint32_t hi = u16(bigEndian ? at : at + 2), lo = u16(bigEndian ? at + 2 : at);
        return (hi << 16) | lo;
    }
};

} // namespace

int32_t exifOrientation(const uint8_t* segment, uint32_t size) {
    static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    constexpr uint32_t kTiffHeader = 8;
    if (segment == nullptr || size < sizeof kExif + kTiffHeader) return 1;
    if (std::memcmp(segment, kExif, sizeof kExif) != 0) return 1;
    Tiff t{segment + sizeof kExif, size - uint32_t(sizeof kExif), false};
    if (std::memcmp(t.p, "II*\0", 4) == 0) {
        t.bigEndian = false;
    } else if (std::memcmp(t.p, "MM\0*", 4) == 0) {
        t.bigEndian = true;
    } else {
        return 1;
    }
    // Only the first directory is read and its link to the next is never
    // followed, so a chain of directories that loops costs nothing. One that
    // points back into the header is a lie.
    const uint32_t ifd = t.u32(4);
    if (ifd < kTiffHeader || ifd > t.size || t.size - ifd < 2) return 1;
    const uint32_t entries = t.u16(ifd);
    // 65535 entries of 12 bytes stay far inside 32 bits.
    if (entries * kEntryBytes > t.size - ifd - 2) return 1;
    int32_t found = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t at = ifd + 2 + i * kEntryBytes;
        if (t.u16(at) != kOrientationTag) continue;
        if (found != 0) return 1; // two answers: trust neither
        if (t.u16(at + 2) != kTypeShort || t.u32(at + 4) != 1) return 1;
        const uint16_t value = t.u16(at + 8); // a single SHORT sits first in the value field
        if (value < 1 || value > 8) return 1;
        found = value;
    }
    return found != 0 ? found : 1;
}
