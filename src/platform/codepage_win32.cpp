#include "platform/codepage.h"

#include <cstring>
#include <vector>
#include <windows.h>

namespace plat {

size_t ansiToUtf16(const char* src, size_t srcBytes, char16_t* dst, size_t dstUnits) {
    if (!dst || dstUnits == 0)
        return 0;
    dst[0] = 0;
    if (!src)
        return 0;
    size_t length = 0;
    while (length < srcBytes && src[length])
        ++length;
    if (length == 0)
        return 0;
    // Convert in full first: MultiByteToWideChar fails outright when the
    // destination is too small, and a long path is to be cut, not lost.
    int units = MultiByteToWideChar(CP_ACP, 0, src, static_cast<int>(length), nullptr, 0);
    if (units <= 0)
        return 0;
    std::vector<wchar_t> wide(static_cast<size_t>(units));
    units = MultiByteToWideChar(CP_ACP, 0, src, static_cast<int>(length), wide.data(), units);
    if (units <= 0)
        return 0;
    size_t n = static_cast<size_t>(units) < dstUnits - 1 ? static_cast<size_t>(units) : dstUnits - 1;
    std::memcpy(dst, wide.data(), n * sizeof(char16_t));
    dst[n] = 0;
    return n;
}

} // namespace plat
