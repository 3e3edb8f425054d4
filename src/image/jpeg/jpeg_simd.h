// Which vector instructions the decoder's files are built with. SSE2 is the
// floor where the compiler targets it throughout; AVX2 code is built beside it
// and chosen at run time (platform/cpu.h asks the processor). MSVC has no
// per-function target, so there AVX2 is left out.
//
// The 32-bit GCC build targets processors and systems without SSE2 (Windows
// 95 and NT 4 refuse SSE instructions): there the SSE2 code is built between
// PLOCHAR_JPEG_SSE2_BEGIN and _END only, and taken when cpuHasSse2() says so.
#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define PLOCHAR_JPEG_SSE2 1
#define PLOCHAR_JPEG_SSE2_ALWAYS 1
#elif defined(__GNUC__) && !defined(__clang__) && defined(__i386__)
#define PLOCHAR_JPEG_SSE2 1
#define PLOCHAR_JPEG_SSE2_ALWAYS 0
#endif

#if PLOCHAR_JPEG_SSE2
#include <emmintrin.h>
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PLOCHAR_JPEG_AVX2 1
#include <immintrin.h>
#endif
#endif

#if PLOCHAR_JPEG_SSE2 && !PLOCHAR_JPEG_SSE2_ALWAYS
#define PLOCHAR_JPEG_SSE2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"sse2\")")
#define PLOCHAR_JPEG_SSE2_END _Pragma("GCC pop_options")
#else
#define PLOCHAR_JPEG_SSE2_BEGIN
#define PLOCHAR_JPEG_SSE2_END
#endif
