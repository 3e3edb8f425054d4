#include "platform/cpu.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win_newer.h"
#endif

int32_t HasMmx = 0;
int32_t HasSse2 = -1;

int32_t detectMmx() {
#ifdef _WIN32
    return win::IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE) ? 1 : 0;
#elif defined(__SSE2__)
    return 1;
#else
    return 0;
#endif
}

int32_t detectSse2() {
#if defined(__SSE2__) || defined(_M_X64)
    return 1;
#elif defined(_WIN32)
    // The system's answer covers both the processor and whether the system
    // saves the registers; a system that cannot answer predates SSE2.
    return win::IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) ? 1 : 0;
#elif defined(__GNUC__) && defined(__i386__)
    return __builtin_cpu_supports("sse2") ? 1 : 0;
#else
    return 0;
#endif
}

bool cpuHasAvx2() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    // The AVX2 paths fall back on the SSE2 ones for their last pixels.
    return cpuHasSse2() && __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

bool cpuHasFastBmi2() {
#if defined(__GNUC__) && defined(__x86_64__)
    return __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt") && !__builtin_cpu_is("znver1") &&
           !__builtin_cpu_is("znver2");
#else
    return false;
#endif
}
