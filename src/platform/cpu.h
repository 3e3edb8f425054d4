// Processor features the picture pipeline adapts to.
#pragma once

#include <cstdint>

// Whether the processor runs MMX/SIMD code: the JPEG decoder's fast path is
// chosen by it. Set once at start-up by detectMmx.
extern int32_t HasMmx;

// IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE) on Windows; on
// other systems whether the build targets x86 with SSE2.
int32_t detectMmx();
