// JPEG to BMP: drives the JPEG decoder row by row into a BmpRowSink and
// gives the picture as a BMP file or as a PackedDib.
#pragma once

#include <cstdint>

#include "image/packed_dib.h"
#include "platform/file_io.h"

// The picture is read from `file` when given (the caller keeps it open; it is
// rewound to 0), otherwise from `sourcePath`. With a non-empty `outputPath`
// the BMP file is written there; otherwise the picture goes to *memoryResult.
// *abortFlag is CheckUserAbort's allowInput on entry, cleared, and 1 when the
// user cancelled between rows: the result then holds the rows decoded so far
// and black below them, and the caller decides what to do with it.
// 1 = written / delivered, 0 = failed (nothing is left behind; a decoder
// fault never yields a partial picture). With `upright` the picture is turned
// by its Exif orientation before it is delivered (the turn needs a second
// picture's memory for a moment; failing that, the conversion fails).
int convertJpeg(plat::FileHandle file, const char16_t* sourcePath, const char16_t* outputPath, int32_t* abortFlag,
                PackedDib* memoryResult, int32_t upright = 0);
