// A desktop spanning several monitors: each monitor's part of the composed
// picture against a reference made pixel by pixel from the sampling rule
// (output i of n takes source floor((2i + 1) x S / 2n)).
#include <gtest/gtest.h>

#include <vector>

#include "desktop_core/monitor_layout.h"
#include "image/compose.h"
#include "image_test_util.h"

using namespace desk;

namespace {

struct Source {
    int32_t w, h;
    uint8_t red;
    // Every pixel distinct: blue from the column, green from the row.
    uint32_t bgr(int32_t x, int32_t y) const {
        return static_cast<uint32_t>((x * 4) & 0xFF) | static_cast<uint32_t>((y * 6) & 0xFF) << 8 |
               static_cast<uint32_t>(red) << 16;
    }
    PackedDib dib() const {
        imgtest::Dib d;
        d.width = w, d.height = h;
        uint32_t stride = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
        d.pixels.assign(stride * static_cast<uint32_t>(h), 0);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint32_t c = bgr(x, y);
                uint8_t* p = &d.pixels[(h - 1 - y) * stride + 3 * x];
                p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
            }
        return d.packed();
    }
};

const Source kPhoto{60, 40, 0x77}, kPattern{7, 5, 0x99};
const uint32_t kColour = 0x00302010; // COLORREF: red 0x10, blue 0x30
const uint32_t kBackground = 0x102030; // as blue, green, red

struct Screen {
    MonitorRect rect;
    const Source* source;
    StyleDecision decision;
    Placement expected;
};

int32_t sampled(int32_t i, int32_t sourceN, int32_t n) { return int32_t((2ll * i + 1) * sourceN / (2ll * n)); }

// What a single screen of the monitor's size shows at virtual (x, y).
uint32_t reference(const std::vector<Screen>& screens, int32_t x, int32_t y) {
    for (const Screen& s : screens) {
        const MonitorRect& m = s.rect;
        if (x < m.left || x >= m.right || y < m.top || y >= m.bottom)
            continue;
        const Placement& p = s.expected;
        int32_t px = x - m.left, py = y - m.top;
        px = p.tiled ? px % p.width : px - p.x;
        py = p.tiled ? py % p.height : py - p.y;
        if (px < 0 || py < 0 || px >= p.width || py >= p.height)
            return kBackground;
        return s.source->bgr(sampled(px, s.source->w, p.width), sampled(py, s.source->h, p.height));
    }
    return kBackground;
}

uint32_t pixelAt(ScaledPicture& out, int32_t x, int32_t y) {
    const uint8_t* p = out.row(uint32_t(y)) + 3 * x;
    return p[0] | p[1] << 8 | uint32_t(p[2]) << 16;
}

void checkComposition(const char* name, const std::vector<Screen>& screens) {
    SCOPED_TRACE(name);
    std::vector<MonitorRect> rects;
    std::vector<Placement> placements;
    for (const Screen& s : screens) {
        rects.push_back(s.rect);
        Placement p = placePicture(s.decision, s.rect.width(), s.rect.height(), s.source->w, s.source->h);
        EXPECT_EQ(p.width, s.expected.width);
        EXPECT_EQ(p.height, s.expected.height);
        EXPECT_EQ(p.x, s.expected.x);
        EXPECT_EQ(p.y, s.expected.y);
        EXPECT_EQ(p.tiled, s.expected.tiled);
        placements.push_back(s.expected);
    }
    auto fetch = [&](size_t i, int32_t w, int32_t h, PackedDib* out) {
        ScaledPicture scaled;
        int r = scalePicture(screens[i].source->dib(), w, h, 0, &scaled);
        *out = std::move(scaled.dib);
        return r;
    };
    const MonitorRect box = virtualBox(rects.data(), rects.size());
    for (bool rotated : {false, true}) {
        ScaledPicture out;
        ASSERT_EQ(composeMonitors(rects.data(), placements.data(), rects.size(), kColour, rotated, fetch, &out), 0);
        ASSERT_EQ(out.width, box.width());
        ASSERT_EQ(out.height, box.height());
        int wrong = 0;
        for (int32_t y = box.top; y < box.bottom; ++y)
            for (int32_t x = box.left; x < box.right; ++x) {
                // Rotated, the system's tiling from the primary's top-left
                // puts the result's (0, 0) at virtual (0, 0).
                int32_t bx = rotated ? ((x % out.width) + out.width) % out.width : x - box.left;
                int32_t by = rotated ? ((y % out.height) + out.height) % out.height : y - box.top;
                if (pixelAt(out, bx, by) != reference(screens, x, y) && ++wrong < 4)
                    ADD_FAILURE() << (rotated ? "rotated " : "") << "pixel " << x << "," << y;
            }
        EXPECT_EQ(wrong, 0);
    }
}

const StyleDecision kFit{kFitted, 1};

} // namespace

TEST(ComposeMonitors, EachMonitorShowsWhatItsOwnScreenWould) {
    checkComposition("one monitor", {{{0, 0, 32, 24, true}, &kPhoto, kFit, {32, 21, 0, 1, false}}});
    checkComposition("side by side, different sizes",
                     {{{0, 0, 32, 24, true}, &kPhoto, kFit, {32, 21, 0, 1, false}},
                      {{32, 0, 56, 18, false}, &kPhoto, kFit, {24, 16, 0, 1, false}}});
    checkComposition("left of and above the primary",
                     {{{0, 0, 32, 24, true}, &kPhoto, kFit, {32, 21, 0, 1, false}},
                      {{-40, -8, 0, 12, false}, &kPhoto, kFit, {30, 20, 5, 0, false}}});
    checkComposition("portrait beside landscape",
                     {{{0, 0, 18, 32, true}, &kPhoto, kFit, {18, 12, 0, 10, false}},
                      {{18, 4, 50, 28, false}, &kPhoto, kFit, {32, 21, 0, 1, false}}});
    // Three monitors with a style each: stretched, fitted, a centred picture
    // larger than its monitor (cropped) and a tiled pattern.
    checkComposition("three monitors",
                     {{{-16, 0, 0, 12, false}, &kPhoto, {kStretched, 1}, {16, 12, 0, 0, false}},
                      {{0, 0, 32, 24, true}, &kPhoto, {kFitted, 0}, {32, 24, 0, 0, false}},
                      {{32, 6, 56, 24, false}, &kPhoto, {kCentred, 1}, {60, 40, -18, -11, false}}});
    checkComposition("tiled and small centred",
                     {{{0, 0, 32, 24, true}, &kPattern, {kTiled, 1}, {7, 5, 0, 0, true}},
                      {{-17, -3, 0, 9, false}, &kPattern, {kCentred, 1}, {7, 5, 5, 3, false}}});
}

TEST(ComposeMonitors, FurtherMonitorsTakeTheNextPicturesAcrossTheDesk) {
    // Enumeration order: right, primary, left bottom, left top.
    const MonitorRect monitors[] = {
        {32, 0, 56, 18, false}, {0, 0, 32, 24, true}, {-16, 0, 0, 12, false}, {-16, -12, 0, 0, false}};
    int32_t offsets[4];
    pictureOffsets(monitors, 4, true, offsets);
    EXPECT_EQ(std::vector<int32_t>(offsets, offsets + 4), (std::vector<int32_t>{3, 0, 2, 1}));
    pictureOffsets(monitors, 4, false, offsets);
    EXPECT_EQ(std::vector<int32_t>(offsets, offsets + 4), (std::vector<int32_t>{0, 0, 0, 0}));
}
