// One 24-bit picture for a desktop that spans several monitors: every
// monitor's part is its own picture placed as on a single screen of its
// size, the rest is the desktop colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "desktop_core/monitor_layout.h"
#include "image/packed_dib.h"
#include "image/scale.h"

// Gives monitor i's picture read at width x height, in any uncompressed DIB
// form (see readSampledPicture). 0 = done, 1 = failed, 2 = cancelled.
using FetchMonitorPicture = std::function<int(size_t monitor, int32_t width, int32_t height, PackedDib* out)>;

// Composes the virtual box of `monitors` (placements[i] for monitor i) on a
// background of `colour` (a COLORREF). Each picture is fetched, put in place
// and let go before the next is fetched, so at most one of them is held
// beside the result. Without rotation the result's top-left is the box's;
// with tileFromPrimary it is rotated (wrapped round) so that its top-left is
// the primary's, for systems that tile a wallpaper across the monitors from
// there. 0 = done, 1 = failed, 2 = cancelled.
int composeMonitors(const desk::MonitorRect* monitors, const desk::Placement* placements, size_t count,
                    uint32_t colour, bool tileFromPrimary, const FetchMonitorPicture& fetch, ScaledPicture* out);
