#include "platform/system_info.h"

#ifdef _WIN32
#include <windows.h>
#include "platform/win_system.h"
#endif

namespace plat {
namespace {
bool g_hasVersion = false;
OsVersion g_version;
bool g_hasScreen = false;
ScreenSize g_screen;
bool g_hasBits = false;
int32_t g_bits = 32;
} // namespace

void overrideOsVersion(const OsVersion* version) {
    g_hasVersion = version != nullptr;
    if (version)
        g_version = *version;
}
void overrideScreenSize(const ScreenSize* size) {
    g_hasScreen = size != nullptr;
    if (size)
        g_screen = *size;
}
void overrideDisplayBits(const int32_t* bits) {
    g_hasBits = bits != nullptr;
    if (bits)
        g_bits = *bits;
}

OsVersion osVersion() {
    if (g_hasVersion)
        return g_version;
    OsVersion v;
#ifdef _WIN32
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    // The version the system reports is the one wanted here, compatibility
    // shims included: that is how Wine (and Windows) present an old system.
    if (win::GetVersionExW(&info)) {
        v.platformId = info.dwPlatformId;
        v.major = info.dwMajorVersion;
        v.minor = info.dwMinorVersion;
    }
#endif
    return v;
}

bool isWindows9x() { return osVersion().platformId == kPlatformWin9x; }

ScreenSize screenSize() {
    if (g_hasScreen)
        return g_screen;
    ScreenSize s;
#ifdef _WIN32
    s.width = GetSystemMetrics(SM_CXSCREEN);
    s.height = GetSystemMetrics(SM_CYSCREEN);
#endif
    return s;
}

int32_t displayBitsPerPixel() {
    if (g_hasBits)
        return g_bits;
    int32_t bits = 32;
#ifdef _WIN32
    HDC dc = GetDC(nullptr);
    if (dc) {
        bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
        ReleaseDC(nullptr, dc);
    }
#endif
    return bits;
}

} // namespace plat

#include "platform/text.h"
#ifndef _WIN32
#include <unistd.h>
#endif

namespace plat {

bool programFolderFile(const char16_t* fileName, char16_t* out, size_t units) {
    if (!out || units == 0)
        return false;
    out[0] = 0;
    char16_t module[kPathUnits] = {};
#ifdef _WIN32
    DWORD n = win::GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(module), kPathUnits);
    if (n == 0 || n >= kPathUnits)
        return false;
#else
    char raw[4096];
    ssize_t n = readlink("/proc/self/exe", raw, sizeof(raw) - 1);
    if (n <= 0)
        return false;
    raw[n] = 0;
    std::u16string wide = fromUtf8(raw);
    copyText(module, kPathUnits, wide.c_str());
#endif
    size_t cut = 0;
    for (size_t i = 0; module[i]; ++i)
        if (module[i] == u'\\' || module[i] == u'/')
            cut = i + 1;
    if (cut == 0)
        return false;
    module[cut] = 0;
    copyText(out, units, module);
    appendText(out, units, fileName);
    return true;
}

} // namespace plat
