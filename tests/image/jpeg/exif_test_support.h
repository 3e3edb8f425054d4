// Exif APP1 payloads built entry by entry, in either byte order.
#pragma once

#include <cstdint>
#include <vector>

namespace exiftest {

struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
};

// "Exif\0\0", the TIFF header, IFD0 with the entries and a zero link to the
// next directory; the header says IFD0 is at ifdOffset (where it is: 8).
inline std::vector<uint8_t> app1(bool bigEndian, const std::vector<Entry>& entries, uint32_t ifdOffset = 8) {
    std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> 8 * (bigEndian ? bytes - 1 - i : i)));
    };
    if (bigEndian) b.insert(b.end(), {'M', 'M', 0, 42});
    else b.insert(b.end(), {'I', 'I', 42, 0});
    put(ifdOffset, 4);
    put(uint32_t(entries.size()), 2);
    for (const Entry& e : entries) {
        put(e.tag, 2), put(e.type, 2), put(e.count, 4);
        if (e.type == 3) put(e.value, 2), put(0, 2); // a SHORT sits in the first half
        else put(e.value, 4);
    }
    put(0, 4);
    return b;
}

// The orientation entry (SHORT, count 1) of value v.
inline Entry orientation(uint32_t v) { return {0x0112, 3, 1, v}; }

} // namespace exiftest
