// Expanding RLE8 and RLE4 pictures into plain palette rows, so that the
// resampler reads every BMP a user may have.
#pragma once

#include <cstdint>

#include "image/packed_dib.h"

// Pictures larger than this (plain rows) are not expanded: a few bytes of RLE
// data can claim a picture of gigabytes.
constexpr uint32_t kMaxExpandedBytes = 256u << 20;

// True for an RLE8 picture of 8 bits or an RLE4 picture of 4 bits.
bool isRlePicture(const DibLayout& layout);

// Bytes of RLE data to walk from the pixels' start: biSizeImage, or the whole
// rest of the block when it is 0 (writers often leave it so), and never past
// the end of the block.
uint32_t rleDataBytes(const DibLayout& layout);

// The picture with the same header form (40 bytes, BI_RGB, positive height),
// colour table and size, its rows decoded: runs, absolute runs, end of line,
// delta moves and end of picture. Pixels a delta skips or the data never
// reaches stay index 0; pixels past the right edge or the top are dropped.
// The data is read as far as rleDataBytes says. False when the picture is
// not RLE or too large.
bool expandRle(const PackedDib& source, PackedDib* out);
