// What the program asks the system about itself: the Windows version, the
// screen size and the display depth. One function each, so that tests can
// pretend to run on Windows 95, 98, NT 4, 2000 or XP.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

// dwPlatformId values of GetVersionExW.
enum : uint32_t { kPlatformWin9x = 1, kPlatformNt = 2 };

struct OsVersion {
    uint32_t platformId = kPlatformNt;
    uint32_t major = 5;
    uint32_t minor = 1;
};

OsVersion osVersion();
bool isWindows9x();

// Screen size in pixels (SM_CXSCREEN, SM_CYSCREEN).
struct ScreenSize {
    int32_t width = 1024;
    int32_t height = 768;
};
ScreenSize screenSize();

// Bits per pixel of the display (GetDeviceCaps BITSPIXEL x PLANES).
int32_t displayBitsPerPixel();

// Test overrides; null returns to the real answers.
void overrideOsVersion(const OsVersion* version);
void overrideScreenSize(const ScreenSize* size);
void overrideDisplayBits(const int32_t* bits);

// The versions tests pretend to be.
inline constexpr OsVersion kWindows95{kPlatformWin9x, 4, 0};
inline constexpr OsVersion kWindows98{kPlatformWin9x, 4, 10};
inline constexpr OsVersion kWindowsNt4{kPlatformNt, 4, 0};
inline constexpr OsVersion kWindows2000{kPlatformNt, 5, 0};
inline constexpr OsVersion kWindowsXp{kPlatformNt, 5, 1};

} // namespace plat

namespace plat {
// The path of a file in the program's own folder (GetModuleFileNameW's
// folder), bounded by units. False when the program's path is unknown.
bool programFolderFile(const char16_t* fileName, char16_t* out, size_t units);
} // namespace plat
