#include "platform/cpu.h"

#ifdef _WIN32
#include <windows.h>
#endif

int32_t HasMmx = 0;

int32_t detectMmx() {
#ifdef _WIN32
    return IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE) ? 1 : 0;
#elif defined(__SSE2__)
    return 1;
#else
    return 0;
#endif
}

bool cpuHasAvx2() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    return __builtin_cpu_supports("avx2");
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
