// Processor features the picture pipeline adapts to. Every question the
// program asks the processor is answered here.
#pragma once

#include <cstdint>

// Whether the processor runs MMX/SIMD code: the JPEG decoder's fast path is
// chosen by it. Set once at start-up by detectMmx.
extern int32_t HasMmx;

// IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE) on Windows (0
// where the system cannot say: Windows 95); on other systems whether the
// build targets x86 with SSE2.
int32_t detectMmx();

// Whether SSE2 code may run: the processor has it and the system saves its
// registers (Windows 95 and NT 4 do not, and then the processor refuses SSE
// instructions). Asked once, on first use, unless set before: 1 yes, 0 no,
// -1 not asked yet. Builds that target SSE2 throughout always run it.
extern int32_t HasSse2;
int32_t detectSse2();
inline bool cpuHasSse2() {
    if (HasSse2 < 0) HasSse2 = detectSse2();
    return HasSse2 != 0;
}

// AVX2: the JPEG transform takes two blocks at once and colour conversion
// 16 pixels. False where the compiler cannot ask (MSVC, other processors).
bool cpuHasAvx2();

// BMI2 and POPCNT, each one fast instruction: the progressive decoder's bit
// counting and rank search. False on the older AMD processors that run pdep
// as a slow microcode loop, and where the compiler cannot ask.
bool cpuHasFastBmi2();
