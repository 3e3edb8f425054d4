// What the benchmarks that run the real window under Wine share: a clock and
// the smallest picture a collection accepts.
#pragma once

#include <chrono>

namespace winebench {

using Clock = std::chrono::steady_clock;
inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A 1x1 24-bit BMP.
inline constexpr unsigned char kTinyBmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0,
                                             0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0,
                                             0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 255, 0};

} // namespace winebench
