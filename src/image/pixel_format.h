// Reading one pixel's colour from the rows of a PackedDib: true-colour pixels
// through channel descriptions, palette pixels through the colour table.
#pragma once

#include <cstdint>

#include "image/packed_dib.h"

// One channel of a true-colour pixel: ((value & mask) >> rightShift) <<
// leftShift, kept to 8 bits.
struct Channel {
    uint32_t mask = 0;
    uint32_t rightShift = 0;
    uint32_t leftShift = 0;
};

struct ChannelSet {
    Channel red, green, blue;
};

// Channels of a mask: the right shift skips its trailing zeros, the left shift
// widens its run of ones to 8 bits. A run wider than 8 bits keeps its top 8
// bits. A zero mask reads as 0.
Channel channelFromMask(uint32_t mask);

// The channels of a true-colour picture: its masks with BI_BITFIELDS, 5-5-5
// for 16-bit BI_RGB, 8-8-8 for 24 and 32 bits.
ChannelSet describeChannels(const DibLayout& layout);

struct PixelColour {
    uint8_t blue = 0, green = 0, red = 0;
    uint8_t status = 0; // 1: the bit count cannot be read this way
};

inline uint8_t channelValue(uint32_t v, const Channel& c) {
    return static_cast<uint8_t>(((v & c.mask) >> c.rightShift) << c.leftShift);
}

// One pixel of 16, 24 or 32 bits. 24 bits and 32-bit BI_RGB are stored blue,
// green, red (a fourth byte is ignored); 16 bits and 32-bit BI_BITFIELDS go
// through the channels. Other bit counts give status 1.
inline PixelColour pixelColour(const uint8_t* p, uint16_t bitCount, uint32_t compression, const ChannelSet& ch) {
    PixelColour c;
    uint32_t v;
    switch (bitCount) {
    case 24:
        c.blue = p[0], c.green = p[1], c.red = p[2];
        return c;
    case 32:
        if (compression != kBiBitfields) {
            c.blue = p[0], c.green = p[1], c.red = p[2];
            return c;
        }
        v = readLe32(p);
        break;
    case 16:
        v = readLe16(p);
        break;
    default:
        c.status = 1;
        return c;
    }
    c.red = channelValue(v, ch.red);
    c.green = channelValue(v, ch.green);
    c.blue = channelValue(v, ch.blue);
    return c;
}

// The colours of every index a palette picture can hold (up to 256): entries
// of the colour table widened to blue, green, red, 0. An index at or beyond
// the table's entry count reads as black, so a short table never sends a
// read outside the block.
struct IndexColours {
    uint8_t bgr0[256][4];
    uint32_t tableEntries; // meaningful entries, at most 256
};
void loadIndexColours(const uint8_t* block, const DibLayout& layout, IndexColours* out);

// Palette index of pixel x in a row of 1, 4 or 8 bits.
inline uint32_t paletteIndex(const uint8_t* row, uint16_t bitCount, uint32_t x) {
    switch (bitCount) {
    case 8:
        return row[x];
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
}
