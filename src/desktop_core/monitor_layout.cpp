#include "desktop_core/monitor_layout.h"

#include <algorithm>

#include "image/scale.h"

namespace desk {

MonitorRect virtualBox(const MonitorRect* monitors, size_t count) {
    MonitorRect box;
    for (size_t i = 0; i < count; ++i) {
        const MonitorRect& m = monitors[i];
        if (i == 0) {
            box = m;
            continue;
        }
        box.left = std::min(box.left, m.left);
        box.top = std::min(box.top, m.top);
        box.right = std::max(box.right, m.right);
        box.bottom = std::max(box.bottom, m.bottom);
    }
    box.primary = false;
    return box;
}

void pictureOffsets(const MonitorRect* monitors, size_t count, bool nextPerMonitor, int32_t* offsets) {
    for (size_t i = 0; i < count; ++i) {
        int32_t before = 0;
        if (nextPerMonitor && !monitors[i].primary) {
            // Counted: the primary, then every other monitor earlier in the
            // desk's order (ties keep their enumeration order).
            before = 1;
            for (size_t j = 0; j < count; ++j) {
                const MonitorRect &a = monitors[j], &b = monitors[i];
                if (j == i || a.primary)
                    continue;
                if (a.left < b.left || (a.left == b.left && (a.top < b.top || (a.top == b.top && j < i))))
                    ++before;
            }
        }
        offsets[i] = before;
    }
}

Placement placePicture(const StyleDecision& decision, int32_t monitorW, int32_t monitorH, int32_t pictureW,
                       int32_t pictureH) {
    Placement p;
    switch (decision.style) {
    case kFitted:
        p.width = monitorW, p.height = monitorH;
        if (decision.keepAspect)
            fitInBox(pictureW, pictureH, &p.width, &p.height);
        break;
    case kStretched:
        p.width = monitorW, p.height = monitorH;
        break;
    case kTiled:
        p.width = pictureW, p.height = pictureH;
        p.tiled = true;
        return p;
    default:
        p.width = pictureW, p.height = pictureH;
        break;
    }
    p.x = (monitorW - p.width) / 2;
    p.y = (monitorH - p.height) / 2;
    return p;
}

} // namespace desk
