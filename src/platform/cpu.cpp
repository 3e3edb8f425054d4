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
