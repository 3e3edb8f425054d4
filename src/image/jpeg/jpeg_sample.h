// The one 0..255 clamp of the JPEG decoder's samples: transforms, flat
// blocks and colour conversion all round into a byte through it.
#pragma once

#include <cstdint>

namespace jpeg {

inline uint8_t clampSample(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

} // namespace jpeg
