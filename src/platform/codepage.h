// The system ANSI code page, used only to read old collection records whose
// path was stored as 8-bit text.
#pragma once

#include <cstddef>

namespace plat {

// Converts at most srcBytes bytes of src, stopping at its first NUL, into
// dst (dstUnits units including the terminator; a longer text is cut).
// Windows uses MultiByteToWideChar(CP_ACP); elsewhere the text is read as
// Windows-1250, the code page of Czech Windows. Returns the units written,
// without the terminator.
size_t ansiToUtf16(const char* src, size_t srcBytes, char16_t* dst, size_t dstUnits);

} // namespace plat
