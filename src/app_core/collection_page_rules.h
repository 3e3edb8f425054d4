// Decisions of the collection page that need no window: which files are
// pictures, how a long path is shortened to fit, what a mixed selection shows
// and which icon sample is drawn over the preview.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether the name ends in ".bmp", ".dib", ".jpg" or ".jpeg" (any case),
// taken after the last dot.
bool hasPictureExtension(const char16_t* name);
