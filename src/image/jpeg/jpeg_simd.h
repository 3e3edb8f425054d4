// Which vector instructions the decoder's files are built with. SSE2 is the
// floor where the compiler targets it; AVX2 code is built beside it and chosen
// at run time (platform/cpu.h asks the processor). MSVC has no per-function
// target, so there AVX2 is left out.
#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define PLOCHAR_JPEG_SSE2 1
#include <emmintrin.h>
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PLOCHAR_JPEG_AVX2 1
#include <immintrin.h>
#endif
#endif
