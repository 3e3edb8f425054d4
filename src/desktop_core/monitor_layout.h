// Where each monitor's picture goes when the desktop spans several
// monitors: the box around all of them, which picture of the collection each
// one shows, and how a picture sits inside one monitor. A monitor shows
// exactly what a single screen of its size would show.
#pragma once

#include <cstddef>
#include <cstdint>

#include "desktop_core/desktop_rules.h"

namespace desk {

// A monitor in virtual-screen coordinates: the primary's top-left is (0, 0),
// a monitor left of or above it has negative coordinates. right and bottom
// are exclusive.
struct MonitorRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool primary = false;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

// The smallest rectangle holding every monitor (all zero for none).
MonitorRect virtualBox(const MonitorRect* monitors, size_t count);

// Which picture each monitor shows, counted from the current one: the
// primary and, without nextPerMonitor, every monitor shows the current one
// (0); with it, the others take 1, 2, ... from left to right (top to bottom
// where they start at the same left), so that the order follows the desk.
void pictureOffsets(const MonitorRect* monitors, size_t count, bool nextPerMonitor, int32_t* offsets);

// A picture inside one monitor: read at width x height and put with its
// top-left at (x, y) of the monitor (negative: a larger picture is cropped
// on both sides), or repeated from the monitor's top-left when tiled.
struct Placement {
    int32_t width = 0, height = 0;
    int32_t x = 0, y = 0;
    bool tiled = false;
};

// The placement of a picture of pictureW x pictureH for the decided style
// (see effectiveStyle, made for this monitor's size): the program's own fit
// (into the box keeping proportions, or to the exact size) and a centred
// picture are centred, a stretched one fills the monitor, a tiled one starts
// at its top-left. The rest of the monitor shows the desktop colour.
Placement placePicture(const StyleDecision& decision, int32_t monitorW, int32_t monitorH, int32_t pictureW,
                       int32_t pictureH);

} // namespace desk
