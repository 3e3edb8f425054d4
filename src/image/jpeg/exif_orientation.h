// The orientation a camera records in a JPEG's Exif block: how the stored
// picture must be turned to stand upright (1 as stored, 2 mirrored left-right,
// 3 turned half round, 4 mirrored top-bottom, 5 transposed, 6 to be turned a
// quarter clockwise, 7 transversed, 8 to be turned a quarter anticlockwise).
#pragma once

#include <cstdint>

// The orientation recorded in an APP1 segment: `segment` holds its `size`
// bytes after the length field ("Exif\0\0", then the TIFF block). Anything
// that is not a plain, consistent record (another kind of APP1, an offset or
// count reaching past the segment, a wrong type or count, a value outside
// 1..8, the tag given twice) is 1. Never reads outside the segment.
int32_t exifOrientation(const uint8_t* segment, uint32_t size);
