#include "image/jpeg/jpeg_colour.h"

#include "image/jpeg/jpeg_simd.h"
#include "platform/cpu.h"

namespace jpeg {

void ColourTables::build() {
    for (int32_t i = 0; i < 256; ++i) {
        const int32_t x = i - 128;
        rFromCr[i] = (91882 * x + 32768) >> 16;
        bFromCb[i] = (116130 * x + 32768) >> 16;
        gFromCr[i] = -46802 * x;
        gFromCb[i] = -22554 * x + 32768;
    }
}

void yccRowScalar(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb,
                  const uint8_t* cr, uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross) {
    const int32_t shift = replicateAcross ? 1 : 0;
    for (int32_t x = 0; x < pixels; ++x) {
        yccPixel(t, y0[x], cb[x >> shift], cr[x >> shift], out0 + 4 * x);
        if (y1 != nullptr) yccPixel(t, y1[x], cb[x >> shift], cr[x >> shift], out1 + 4 * x);
    }
}

#if PLOCHAR_JPEG_SSE2

PLOCHAR_JPEG_SSE2_BEGIN

namespace {

// The table entries computed on 8 lanes. Each constant above 32767 is split
// into a multiple of 65536 (added as a whole) and a 16-bit remainder, so the
// results are exactly the tables':
//   91882 x  = 65536 x + 26346 x
//   116130 x = 131072 x - 14942 x
//   -46802 x = -65536 x + 18734 x
struct ChromaTerms {
    __m128i r, g, b;
};

inline __m128i high16(__m128i lo32, __m128i hi32) {
    return _mm_packs_epi32(_mm_srai_epi32(lo32, 16), _mm_srai_epi32(hi32, 16));
}

inline ChromaTerms chromaTerms(const uint8_t* cbBytes, const uint8_t* crBytes) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i xb = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cbBytes)), zero), bias);
    const __m128i xr = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(crBytes)), zero), bias);
    const __m128i two = _mm_set1_epi16(2);
    const __m128i kR = _mm_set_epi16(16384, 26346, 16384, 26346, 16384, 26346, 16384, 26346);
    const __m128i kB = _mm_set_epi16(16384, -14942, 16384, -14942, 16384, -14942, 16384, -14942);
    const __m128i kG = _mm_set_epi16(18734, -22554, 18734, -22554, 18734, -22554, 18734, -22554);
    const __m128i half = _mm_set1_epi32(32768);
    ChromaTerms t;
    // (26346 x + 2 * 16384) >> 16, then + x
    t.r = _mm_add_epi16(high16(_mm_madd_epi16(_mm_unpacklo_epi16(xr, two), kR),
                               _mm_madd_epi16(_mm_unpackhi_epi16(xr, two), kR)),
                        xr);
    t.b = _mm_add_epi16(high16(_mm_madd_epi16(_mm_unpacklo_epi16(xb, two), kB),
                               _mm_madd_epi16(_mm_unpackhi_epi16(xb, two), kB)),
                        _mm_add_epi16(xb, xb));
    t.g = _mm_sub_epi16(high16(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(xb, xr), kG), half),
                               _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(xb, xr), kG), half)),
                        xr);
    return t;
}

inline __m128i loadY(const uint8_t* y) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y)), _mm_setzero_si128());
}

// 8 pixels from 8 luminance values (16-bit lanes) and their chroma terms.
inline void store8(uint8_t* out, __m128i y, __m128i tr, __m128i tg, __m128i tb) {
    const __m128i r = _mm_add_epi16(y, tr), g = _mm_add_epi16(y, tg), b = _mm_add_epi16(y, tb);
    const __m128i r8 = _mm_packus_epi16(r, r), g8 = _mm_packus_epi16(g, g), b8 = _mm_packus_epi16(b, b);
    const __m128i rg = _mm_unpacklo_epi8(r8, g8);
    const __m128i b0 = _mm_unpacklo_epi8(b8, _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(rg, b0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(rg, b0));
}

inline void store16h2(uint8_t* out, const uint8_t* yLeft, const uint8_t* yRight, const ChromaTerms& t) {
    store8(out, loadY(yLeft), _mm_unpacklo_epi16(t.r, t.r), _mm_unpacklo_epi16(t.g, t.g),
           _mm_unpacklo_epi16(t.b, t.b));
    store8(out + 32, loadY(yRight), _mm_unpackhi_epi16(t.r, t.r), _mm_unpackhi_epi16(t.g, t.g),
           _mm_unpackhi_epi16(t.b, t.b));
}

} // namespace

namespace {

void yccRowSse2(const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr, uint8_t* out0,
                uint8_t* out1, int32_t pixels, bool replicateAcross) {
    if (replicateAcross) {
        for (int32_t x = 0; x < pixels; x += 16) {
            const ChromaTerms t = chromaTerms(cb + x / 2, cr + x / 2);
            store16h2(out0 + 4 * x, y0 + x, y0 + x + 8, t);
            if (y1 != nullptr) store16h2(out1 + 4 * x, y1 + x, y1 + x + 8, t);
        }
        return;
    }
    for (int32_t x = 0; x < pixels; x += 8) {
        const ChromaTerms t = chromaTerms(cb + x, cr + x);
        store8(out0 + 4 * x, loadY(y0 + x), t.r, t.g, t.b);
        if (y1 != nullptr) store8(out1 + 4 * x, loadY(y1 + x), t.r, t.g, t.b);
    }
}

} // namespace

#if PLOCHAR_JPEG_AVX2

namespace {

#define JPEG_AVX2 __attribute__((target("avx2")))

JPEG_AVX2 inline __m256i high16W(__m256i lo32, __m256i hi32) {
    return _mm256_packs_epi32(_mm256_srai_epi32(lo32, 16), _mm256_srai_epi32(hi32, 16));
}

// chromaTerms for 16 chroma samples; lanes in sample order.
JPEG_AVX2 inline void chromaTermsW(const uint8_t* cbBytes, const uint8_t* crBytes, __m256i& tr, __m256i& tg,
                                   __m256i& tb) {
    const __m256i bias = _mm256_set1_epi16(128);
    const __m256i xb = _mm256_sub_epi16(
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cbBytes))), bias);
    const __m256i xr = _mm256_sub_epi16(
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(crBytes))), bias);
    const __m256i two = _mm256_set1_epi16(2);
    const __m256i kR = _mm256_set1_epi32((16384 << 16) | 26346);
    const __m256i kB = _mm256_set1_epi32((16384 << 16) | (-14942 & 0xFFFF));
    const __m256i kG = _mm256_set1_epi32((18734 << 16) | (-22554 & 0xFFFF));
    const __m256i half = _mm256_set1_epi32(32768);
    // the unpacks and packs work within each half, so the order comes out right
    tr = _mm256_add_epi16(high16W(_mm256_madd_epi16(_mm256_unpacklo_epi16(xr, two), kR),
                                  _mm256_madd_epi16(_mm256_unpackhi_epi16(xr, two), kR)),
                          xr);
    tb = _mm256_add_epi16(high16W(_mm256_madd_epi16(_mm256_unpacklo_epi16(xb, two), kB),
                                  _mm256_madd_epi16(_mm256_unpackhi_epi16(xb, two), kB)),
                          _mm256_add_epi16(xb, xb));
    tg = _mm256_sub_epi16(high16W(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(xb, xr), kG), half),
                                  _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(xb, xr), kG), half)),
                          xr);
}

// 16 pixels from 16 luminance bytes and their chroma terms.
JPEG_AVX2 inline void store16W(uint8_t* out, const uint8_t* yBytes, __m256i tr, __m256i tg, __m256i tb) {
    const __m256i y = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(yBytes)));
    const __m256i r = _mm256_add_epi16(y, tr), g = _mm256_add_epi16(y, tg), b = _mm256_add_epi16(y, tb);
    const __m256i r8 = _mm256_packus_epi16(r, r), g8 = _mm256_packus_epi16(g, g), b8 = _mm256_packus_epi16(b, b);
    const __m256i rg = _mm256_unpacklo_epi8(r8, g8);
    const __m256i b0 = _mm256_unpacklo_epi8(b8, _mm256_setzero_si256());
    const __m256i lo = _mm256_unpacklo_epi16(rg, b0), hi = _mm256_unpackhi_epi16(rg, b0); // pixels 0-3 | 8-11, 4-7 | 12-15
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(lo, hi, 0x31));
}

} // namespace

JPEG_AVX2 void yccRowAvx2(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb,
                          const uint8_t* cr, uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross) {
    int32_t x = 0;
    __m256i tr, tg, tb;
    if (replicateAcross) {
        for (; x + 32 <= pixels; x += 32) {
            chromaTermsW(cb + x / 2, cr + x / 2, tr, tg, tb);
            // each chroma term twice: samples 0-3 | 8-11 and 4-7 | 12-15 doubled
            const __m256i rLo = _mm256_unpacklo_epi16(tr, tr), rHi = _mm256_unpackhi_epi16(tr, tr);
            const __m256i gLo = _mm256_unpacklo_epi16(tg, tg), gHi = _mm256_unpackhi_epi16(tg, tg);
            const __m256i bLo = _mm256_unpacklo_epi16(tb, tb), bHi = _mm256_unpackhi_epi16(tb, tb);
            const __m256i r0 = _mm256_permute2x128_si256(rLo, rHi, 0x20), r1 = _mm256_permute2x128_si256(rLo, rHi, 0x31);
            const __m256i g0 = _mm256_permute2x128_si256(gLo, gHi, 0x20), g1 = _mm256_permute2x128_si256(gLo, gHi, 0x31);
            const __m256i b0 = _mm256_permute2x128_si256(bLo, bHi, 0x20), b1 = _mm256_permute2x128_si256(bLo, bHi, 0x31);
            store16W(out0 + 4 * x, y0 + x, r0, g0, b0);
            store16W(out0 + 4 * x + 64, y0 + x + 16, r1, g1, b1);
            if (y1 != nullptr) {
                store16W(out1 + 4 * x, y1 + x, r0, g0, b0);
                store16W(out1 + 4 * x + 64, y1 + x + 16, r1, g1, b1);
            }
        }
    } else {
        for (; x + 16 <= pixels; x += 16) {
            chromaTermsW(cb + x, cr + x, tr, tg, tb);
            store16W(out0 + 4 * x, y0 + x, tr, tg, tb);
            if (y1 != nullptr) store16W(out1 + 4 * x, y1 + x, tr, tg, tb);
        }
    }
    if (x < pixels) {
        const int32_t c = replicateAcross ? x / 2 : x;
        (void)t;
        yccRowSse2(y0 + x, y1 != nullptr ? y1 + x : nullptr, cb + c, cr + c, out0 + 4 * x,
                   out1 != nullptr ? out1 + 4 * x : nullptr, pixels - x, replicateAcross);
    }
}

bool yccHasAvx2() { return cpuHasAvx2(); }

#else

bool yccHasAvx2() { return false; }
void yccRowAvx2(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
                uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross) {
    yccRow(t, y0, y1, cb, cr, out0, out1, pixels, replicateAcross);
}

#endif

PLOCHAR_JPEG_SSE2_END

bool yccHasSimd() { return PLOCHAR_JPEG_SSE2_ALWAYS || cpuHasSse2(); }

void yccRow(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
            uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross) {
    if (PLOCHAR_JPEG_SSE2_ALWAYS || cpuHasSse2())
        yccRowSse2(y0, y1, cb, cr, out0, out1, pixels, replicateAcross);
    else
        yccRowScalar(t, y0, y1, cb, cr, out0, out1, pixels, replicateAcross);
}

#else

bool yccHasAvx2() { return false; }
void yccRowAvx2(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
                uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross) {
    yccRowScalar(t, y0, y1, cb, cr, out0, out1, pixels, replicateAcross);
}
bool yccHasSimd() { return false; }

void yccRow(const ColourTables& t, const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
            uint8_t* out0, uint8_t* out1, int32_t pixels, bool replicateAcross) {
    yccRowScalar(t, y0, y1, cb, cr, out0, out1, pixels, replicateAcross);
}

#endif

} // namespace jpeg
