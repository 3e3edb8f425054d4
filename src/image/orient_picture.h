// Turning a decoded picture upright by the orientation its camera recorded
// (the numbers of image/jpeg/exif_orientation.h).
#pragma once

#include <cstdint>

#include "image/packed_dib.h"

// Replaces `picture` (an uncompressed info-header picture of 8, 24 or 32 bits,
// rows either way up) with the upright picture for `orientation`: 2 mirrored
// left-right, 3 turned half round, 4 mirrored top-bottom, 5 transposed, 6
// turned a quarter clockwise, 7 transversed, 8 turned a quarter
// anticlockwise. The result keeps the header's other fields and the colour
// table, with bottom-up rows. 1 and values outside 1..8 leave it as it is.
// False (and the picture untouched) for another layout or when memory runs out.
bool orientToUpright(PackedDib& picture, int32_t orientation);
