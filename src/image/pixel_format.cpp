#include "image/pixel_format.h"

#include <cstring>

Channel channelFromMask(uint32_t mask) {
    Channel c;
    if (mask == 0)
        return c;
    c.mask = mask;
    uint32_t right = 0;
    while (!((mask >> right) & 1))
        ++right;
    uint32_t width = 0;
    while (right + width < 32 && ((mask >> (right + width)) & 1))
        ++width;
    if (width > 8) {
        // Wider than a byte (10-bit channels): keep the top 8 bits instead of
        // shifting left by a negative amount.
        c.rightShift = right + (width - 8);
        c.leftShift = 0;
    } else {
        c.rightShift = right;
        c.leftShift = 8 - width;
    }
    return c;
}

ChannelSet describeChannels(const DibLayout& layout) {
    ChannelSet set;
    if (layout.compression == kBiBitfields) {
        set.red = channelFromMask(layout.masks[0]);
        set.green = channelFromMask(layout.masks[1]);
        set.blue = channelFromMask(layout.masks[2]);
    } else if (layout.bitCount == 16) {
        set.red = channelFromMask(0x7C00);
        set.green = channelFromMask(0x03E0);
        set.blue = channelFromMask(0x001F);
    } else {
        set.red = channelFromMask(0xFF0000);
        set.green = channelFromMask(0x00FF00);
        set.blue = channelFromMask(0x0000FF);
    }
    return set;
}

void loadIndexColours(const uint8_t* block, const DibLayout& layout, IndexColours* out) {
    std::memset(out->bgr0, 0, sizeof out->bgr0);
    uint32_t n = layout.tableEntries < 256 ? layout.tableEntries : 256;
    out->tableEntries = n;
    const uint8_t* table = block + layout.tableOffset;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* e = table + static_cast<size_t>(i) * layout.entryBytes;
        out->bgr0[i][0] = e[0];
        out->bgr0[i][1] = e[1];
        out->bgr0[i][2] = e[2];
    }
}
