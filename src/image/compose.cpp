#include "image/compose.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/pixel_format.h"

namespace {

// Every pixel of an uncompressed picture as blue, green, red.
class PixelReader {
  public:
    bool open(const PackedDib& dib) {
        if (!locateDib(dib, &l_) || l_.compression == kBiRle8 || l_.compression == kBiRle4)
            return false;
        if (l_.bitCount != 1 && l_.bitCount != 4 && l_.bitCount != 8 && l_.bitCount != 16 && l_.bitCount != 24 &&
            l_.bitCount != 32)
            return false;
        block_ = dib.data();
        if (l_.bitCount <= 8)
            loadIndexColours(block_, l_, &index_);
        channels_ = describeChannels(l_);
        return true;
    }
    int32_t width() const { return l_.width; }
    int32_t height() const { return l_.rows; }
    const uint8_t* row(int32_t top) const {
        uint32_t stored = l_.topDown ? static_cast<uint32_t>(top) : static_cast<uint32_t>(l_.rows - 1 - top);
        return block_ + l_.pixelOffset + static_cast<size_t>(stored) * l_.stride;
    }
    void pixel(const uint8_t* row, uint32_t x, uint8_t* bgr) const {
        if (l_.bitCount <= 8) {
            const uint8_t* c = index_.bgr0[paletteIndex(row, l_.bitCount, x)];
            bgr[0] = c[0], bgr[1] = c[1], bgr[2] = c[2];
            return;
        }
        PixelColour c = pixelColour(row + static_cast<size_t>(x) * (l_.bitCount / 8), l_.bitCount, l_.compression,
                                    channels_);
        bgr[0] = c.blue, bgr[1] = c.green, bgr[2] = c.red;
    }

  private:
    DibLayout l_;
    const uint8_t* block_ = nullptr;
    IndexColours index_;
    ChannelSet channels_;
};

// Puts the picture into the monitor's part of out (the monitor at left, top
// of the result), centred or tiled, clipped to the monitor.
void place(const PixelReader& picture, const desk::Placement& p, int32_t left, int32_t top, int32_t monitorW,
           int32_t monitorH, ScaledPicture* out) {
    const int32_t w = picture.width(), h = picture.height();
    for (int32_t y = 0; y < monitorH; ++y) {
        int32_t sy = p.tiled ? y % h : y - p.y;
        if (sy < 0 || sy >= h)
            continue;
        const uint8_t* source = picture.row(sy);
        uint8_t* target = out->row(static_cast<uint32_t>(top + y)) + static_cast<size_t>(left) * 3;
        int32_t from = p.tiled ? 0 : std::max(0, p.x), to = p.tiled ? monitorW : std::min(monitorW, p.x + w);
        for (int32_t x = from; x < to; ++x)
            picture.pixel(source, static_cast<uint32_t>(p.tiled ? x % w : x - p.x), target + 3 * x);
    }
}

// Wraps the picture round so that the pixel at (dx, dy) comes to (0, 0),
// in place.
void rotate(ScaledPicture* out, int32_t dx, int32_t dy) {
    const size_t rowBytes = static_cast<size_t>(out->width) * 3;
    if (dx > 0) {
        for (int32_t y = 0; y < out->height; ++y) {
            uint8_t* r = out->row(static_cast<uint32_t>(y));
            std::rotate(r, r + static_cast<size_t>(dx) * 3, r + rowBytes);
        }
    }
    if (dy > 0) {
        // Rows are stored bottom-up: the top dy rows are the last stored.
        uint8_t* first = out->row(static_cast<uint32_t>(out->height - 1));
        uint8_t* end = first + static_cast<size_t>(out->height) * out->stride;
        std::rotate(first, end - static_cast<size_t>(dy) * out->stride, end);
    }
}

} // namespace

int composeMonitors(const desk::MonitorRect* monitors, const desk::Placement* placements, size_t count,
                    uint32_t colour, bool tileFromPrimary, const FetchMonitorPicture& fetch, ScaledPicture* out) {
    if (!out || count == 0)
        return 1;
    const desk::MonitorRect box = desk::virtualBox(monitors, count);
    if (!out->allocate(box.width(), box.height(), 24, 0, 0))
        return 1;
    const uint8_t bgr[3] = {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                            static_cast<uint8_t>(colour)};
    for (int32_t y = 0; y < out->height; ++y) {
        uint8_t* r = out->row(static_cast<uint32_t>(y));
        for (int32_t x = 0; x < out->width; ++x)
            std::memcpy(r + 3 * x, bgr, 3);
    }
    for (size_t i = 0; i < count; ++i) {
        const desk::MonitorRect& m = monitors[i];
        const desk::Placement& p = placements[i];
        if (m.width() <= 0 || m.height() <= 0 || p.width <= 0 || p.height <= 0)
            continue;
        PackedDib picture;
        int r = fetch(i, p.width, p.height, &picture);
        if (r != 0)
            return r;
        PixelReader reader;
        if (!reader.open(picture) || reader.width() != p.width || reader.height() != p.height)
            return 1;
        place(reader, p, m.left - box.left, m.top - box.top, m.width(), m.height(), out);
    }
    if (tileFromPrimary)
        rotate(out, -box.left, -box.top);
    return 0;
}
