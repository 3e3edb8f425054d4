#include "image/jpeg/jpeg_idct.h"

#include "image/jpeg/jpeg_sample.h"
#include "image/jpeg/jpeg_simd.h"
#include "platform/cpu.h"

namespace jpeg {

namespace {

// The last stage of the accurate flow, shared by the scalar and SIMD
// versions. Always inlined: built outside the SSE2 code, it could not take
// in the vector additions itself, and would call each of them.
template <class T>
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline void accurateOutputs(T* y, T t10, T t11, T t12, T t13, T d0, T d1, T d2, T d3) {
    y[0] = t10 + d3;
    y[7] = t10 - d3;
    y[1] = t11 + d2;
    y[6] = t11 - d2;
    y[2] = t12 + d1;
    y[5] = t12 - d1;
    y[3] = t13 + d0;
    y[4] = t13 - d0;
}

// One 8-point accurate transform. The products are folded sums of the
// Loeffler-Ligtenberg-Moschytz factors at 2^13; the caller descales.
struct Accurate8 {
    int32_t y[8];
    void run(int32_t x0, int32_t x1, int32_t x2, int32_t x3, int32_t x4, int32_t x5, int32_t x6,
             int32_t x7) {
        const int32_t e = 10703 * x2 + 4433 * x6;
        const int32_t o = 4433 * x2 - 10704 * x6;
        const int32_t a = (x0 + x4) * 8192;
        const int32_t b = (x0 - x4) * 8192;
        const int32_t t10 = a + e, t13 = a - e, t11 = b + o, t12 = b - o;
        const int32_t d3 = 11363 * x1 + 9633 * x3 + 6437 * x5 + 2260 * x7;
        const int32_t d2 = 9633 * x1 - 2259 * x3 - 11362 * x5 - 6436 * x7;
        const int32_t d1 = 6437 * x1 - 11362 * x3 + 2261 * x5 + 9633 * x7;
        const int32_t d0 = 2260 * x1 - 6436 * x3 + 9633 * x5 - 11363 * x7;
        accurateOutputs(y, t10, t11, t12, t13, d0, d1, d2, d3);
    }
};

// 16-bit lane arithmetic of the fast transform; every result wraps like a
// 16-bit register does.
inline int16_t add16(int32_t a, int32_t b) { return static_cast<int16_t>(a + b); }
inline int16_t sub16(int32_t a, int32_t b) { return static_cast<int16_t>(a - b); }
// High half of (a << 2) * c, the shift done in 16 bits as the SIMD code does.
inline int16_t mulHigh(int16_t a, int32_t c) {
    const int16_t shifted = static_cast<int16_t>(static_cast<uint16_t>(a) << 2);
    return static_cast<int16_t>((static_cast<int32_t>(shifted) * c) >> 16);
}

constexpr int32_t kSqrt2 = 23170;
constexpr int32_t kC2 = 30273;
constexpr int32_t kC6Neg = -12540;
constexpr int32_t kZ10 = -30353; // not the exact -30274: the path's output is defined with it

struct Fast8 {
    int16_t out[8];
    void run(int16_t in0, int16_t in1, int16_t in2, int16_t in3, int16_t in4, int16_t in5,
             int16_t in6, int16_t in7) {
        const int16_t t10 = add16(in0, in4), t11 = sub16(in0, in4);
        const int16_t t13 = add16(in2, in6);
        const int16_t t12 = sub16(mulHigh(sub16(in2, in6), kSqrt2), t13);
        const int16_t e0 = add16(t10, t13), e3 = sub16(t10, t13);
        const int16_t e1 = add16(t11, t12), e2 = sub16(t11, t12);
        const int16_t z13 = add16(in5, in3), z10 = sub16(in5, in3);
        const int16_t z11 = add16(in1, in7), z12 = sub16(in1, in7);
        const int16_t o7 = add16(z11, z13);
        const int16_t o11 = mulHigh(sub16(z11, z13), kSqrt2);
        const int16_t o10 = add16(mulHigh(z10, kZ10), mulHigh(z12, kC6Neg));
        const int16_t o12 = add16(mulHigh(z10, kC6Neg), mulHigh(z12, kC2));
        const int16_t o6 = sub16(o12, o7);
        const int16_t o5 = sub16(o11, o6);
        const int16_t o4 = add16(o10, o5);
        out[0] = add16(e0, o7);
        out[7] = sub16(e0, o7);
        out[1] = add16(e1, o6);
        out[6] = sub16(e1, o6);
        out[2] = add16(e2, o5);
        out[5] = sub16(e2, o5);
        out[4] = add16(e3, o4);
        out[3] = sub16(e3, o4);
    }
};

} // namespace

void idctAccurateScalar(const int16_t* in, uint8_t* out, int32_t stride) {
    int16_t ws[64];
    Accurate8 t;
    for (int r = 0; r < 8; ++r) {
        const int16_t* x = in + r * 8;
        int16_t* w = ws + r * 8;
        if ((x[1] | x[2] | x[3] | x[4] | x[5] | x[6] | x[7]) == 0) {
            const int16_t dc = static_cast<int16_t>(x[0] * 4);
            for (int i = 0; i < 8; ++i) w[i] = dc;
            continue;
        }
        t.run(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7]);
        for (int i = 0; i < 8; ++i) w[i] = static_cast<int16_t>((t.y[i] + 1024) >> 11);
    }
    for (int c = 0; c < 8; ++c) {
        const int16_t* x = ws + c;
        if ((x[8] | x[16] | x[24] | x[32] | x[40] | x[48] | x[56]) == 0) {
            const uint8_t v = clampSample(((x[0] + 16) >> 5) + 128);
            for (int i = 0; i < 8; ++i) out[i * stride + c] = v;
            continue;
        }
        t.run(x[0], x[8], x[16], x[24], x[32], x[40], x[48], x[56]);
        for (int i = 0; i < 8; ++i) out[i * stride + c] = clampSample(((t.y[i] + 131072) >> 18) + 128);
    }
}

void idctFastScalar(const int16_t* in, const int16_t* q, uint8_t* out, int32_t stride) {
    int16_t ws[64];
    for (int i = 0; i < 64; ++i) ws[i] = static_cast<int16_t>(in[i] * q[i]);
    Fast8 t;
    for (int c = 0; c < 8; ++c) {
        int16_t* x = ws + c;
        t.run(x[0], x[8], x[16], x[24], x[32], x[40], x[48], x[56]);
        for (int i = 0; i < 8; ++i) x[i * 8] = t.out[i];
    }
    for (int r = 0; r < 8; ++r) {
        const int16_t* x = ws + r * 8;
        t.run(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7]);
        for (int i = 0; i < 8; ++i) {
            int32_t v = (t.out[i] >> 5) + 128; // cannot leave 16 bits: |out >> 5| <= 1024
            out[r * stride + i] = clampSample(v);
        }
    }
}

#if PLOCHAR_JPEG_SSE2

PLOCHAR_JPEG_SSE2_BEGIN

namespace {

inline __m128i mulHighV(__m128i a, __m128i c) { return _mm_mulhi_epi16(_mm_slli_epi16(a, 2), c); }

// The same flow as Fast8 on eight lanes at once.
inline void fast8V(__m128i* v) {
    const __m128i sqrt2 = _mm_set1_epi16(static_cast<int16_t>(kSqrt2));
    const __m128i c2 = _mm_set1_epi16(static_cast<int16_t>(kC2));
    const __m128i c6n = _mm_set1_epi16(static_cast<int16_t>(kC6Neg));
    const __m128i z10c = _mm_set1_epi16(static_cast<int16_t>(kZ10));
    const __m128i t10 = _mm_add_epi16(v[0], v[4]), t11 = _mm_sub_epi16(v[0], v[4]);
    const __m128i t13 = _mm_add_epi16(v[2], v[6]);
    const __m128i t12 = _mm_sub_epi16(mulHighV(_mm_sub_epi16(v[2], v[6]), sqrt2), t13);
    const __m128i e0 = _mm_add_epi16(t10, t13), e3 = _mm_sub_epi16(t10, t13);
    const __m128i e1 = _mm_add_epi16(t11, t12), e2 = _mm_sub_epi16(t11, t12);
    const __m128i z13 = _mm_add_epi16(v[5], v[3]), z10 = _mm_sub_epi16(v[5], v[3]);
    const __m128i z11 = _mm_add_epi16(v[1], v[7]), z12 = _mm_sub_epi16(v[1], v[7]);
    const __m128i o7 = _mm_add_epi16(z11, z13);
    const __m128i o11 = mulHighV(_mm_sub_epi16(z11, z13), sqrt2);
    const __m128i o10 = _mm_add_epi16(mulHighV(z10, z10c), mulHighV(z12, c6n));
    const __m128i o12 = _mm_add_epi16(mulHighV(z10, c6n), mulHighV(z12, c2));
    const __m128i o6 = _mm_sub_epi16(o12, o7);
    const __m128i o5 = _mm_sub_epi16(o11, o6);
    const __m128i o4 = _mm_add_epi16(o10, o5);
    v[0] = _mm_add_epi16(e0, o7);
    v[7] = _mm_sub_epi16(e0, o7);
    v[1] = _mm_add_epi16(e1, o6);
    v[6] = _mm_sub_epi16(e1, o6);
    v[2] = _mm_add_epi16(e2, o5);
    v[5] = _mm_sub_epi16(e2, o5);
    v[4] = _mm_add_epi16(e3, o4);
    v[3] = _mm_sub_epi16(e3, o4);
}

inline void transpose8(__m128i* v) {
    const __m128i a0 = _mm_unpacklo_epi16(v[0], v[1]), a1 = _mm_unpackhi_epi16(v[0], v[1]);
    const __m128i a2 = _mm_unpacklo_epi16(v[2], v[3]), a3 = _mm_unpackhi_epi16(v[2], v[3]);
    const __m128i a4 = _mm_unpacklo_epi16(v[4], v[5]), a5 = _mm_unpackhi_epi16(v[4], v[5]);
    const __m128i a6 = _mm_unpacklo_epi16(v[6], v[7]), a7 = _mm_unpackhi_epi16(v[6], v[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    v[0] = _mm_unpacklo_epi64(b0, b4);
    v[1] = _mm_unpackhi_epi64(b0, b4);
    v[2] = _mm_unpacklo_epi64(b1, b5);
    v[3] = _mm_unpackhi_epi64(b1, b5);
    v[4] = _mm_unpacklo_epi64(b2, b6);
    v[5] = _mm_unpackhi_epi64(b2, b6);
    v[6] = _mm_unpacklo_epi64(b3, b7);
    v[7] = _mm_unpackhi_epi64(b3, b7);
}

// Eight rows of 16-bit samples, saturated to bytes.
inline void storeRows(const __m128i* v, uint8_t* out, int32_t stride) {
    for (int r = 0; r < 8; r += 2) {
        const __m128i two = _mm_packus_epi16(v[r], v[r + 1]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + r * stride), two);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (r + 1) * stride), _mm_unpackhi_epi64(two, two));
    }
}

} // namespace

void idctFastSimd(const int16_t* in, const int16_t* q, uint8_t* out, int32_t stride) {
    __m128i v[8];
    for (int r = 0; r < 8; ++r) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + r * 8));
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + r * 8));
        v[r] = _mm_mullo_epi16(c, m);
    }
    fast8V(v);    // columns: lanes are columns, vectors are rows
    transpose8(v);
    fast8V(v);    // rows: lanes are rows, vectors are columns
    const __m128i bias = _mm_set1_epi16(128);
    for (int i = 0; i < 8; ++i) v[i] = _mm_adds_epi16(_mm_srai_epi16(v[i], 5), bias);
    transpose8(v);
    storeRows(v, out, stride);
}

#if PLOCHAR_JPEG_AVX2

namespace {

#define JPEG_AVX2 __attribute__((target("avx2")))

JPEG_AVX2 inline __m256i mulHighW(__m256i a, __m256i c) { return _mm256_mulhi_epi16(_mm256_slli_epi16(a, 2), c); }

// fast8V for two blocks at once, one in each 128-bit half.
JPEG_AVX2 inline void fast8W(__m256i* v) {
    const __m256i sqrt2 = _mm256_set1_epi16(static_cast<int16_t>(kSqrt2));
    const __m256i c2 = _mm256_set1_epi16(static_cast<int16_t>(kC2));
    const __m256i c6n = _mm256_set1_epi16(static_cast<int16_t>(kC6Neg));
    const __m256i z10c = _mm256_set1_epi16(static_cast<int16_t>(kZ10));
    const __m256i t10 = _mm256_add_epi16(v[0], v[4]), t11 = _mm256_sub_epi16(v[0], v[4]);
    const __m256i t13 = _mm256_add_epi16(v[2], v[6]);
    const __m256i t12 = _mm256_sub_epi16(mulHighW(_mm256_sub_epi16(v[2], v[6]), sqrt2), t13);
    const __m256i e0 = _mm256_add_epi16(t10, t13), e3 = _mm256_sub_epi16(t10, t13);
    const __m256i e1 = _mm256_add_epi16(t11, t12), e2 = _mm256_sub_epi16(t11, t12);
    const __m256i z13 = _mm256_add_epi16(v[5], v[3]), z10 = _mm256_sub_epi16(v[5], v[3]);
    const __m256i z11 = _mm256_add_epi16(v[1], v[7]), z12 = _mm256_sub_epi16(v[1], v[7]);
    const __m256i o7 = _mm256_add_epi16(z11, z13);
    const __m256i o11 = mulHighW(_mm256_sub_epi16(z11, z13), sqrt2);
    const __m256i o10 = _mm256_add_epi16(mulHighW(z10, z10c), mulHighW(z12, c6n));
    const __m256i o12 = _mm256_add_epi16(mulHighW(z10, c6n), mulHighW(z12, c2));
    const __m256i o6 = _mm256_sub_epi16(o12, o7);
    const __m256i o5 = _mm256_sub_epi16(o11, o6);
    const __m256i o4 = _mm256_add_epi16(o10, o5);
    v[0] = _mm256_add_epi16(e0, o7);
    v[7] = _mm256_sub_epi16(e0, o7);
    v[1] = _mm256_add_epi16(e1, o6);
    v[6] = _mm256_sub_epi16(e1, o6);
    v[2] = _mm256_add_epi16(e2, o5);
    v[5] = _mm256_sub_epi16(e2, o5);
    v[4] = _mm256_add_epi16(e3, o4);
    v[3] = _mm256_sub_epi16(e3, o4);
}

// The unpacks work within each half, so this transposes both blocks.
JPEG_AVX2 inline void transpose8W(__m256i* v) {
    __m256i a[8], b[8];
    for (int i = 0; i < 8; i += 2) {
        a[i] = _mm256_unpacklo_epi16(v[i], v[i + 1]);
        a[i + 1] = _mm256_unpackhi_epi16(v[i], v[i + 1]);
    }
    for (int i = 0; i < 8; i += 4) {
        b[i] = _mm256_unpacklo_epi32(a[i], a[i + 2]);
        b[i + 1] = _mm256_unpackhi_epi32(a[i], a[i + 2]);
        b[i + 2] = _mm256_unpacklo_epi32(a[i + 1], a[i + 3]);
        b[i + 3] = _mm256_unpackhi_epi32(a[i + 1], a[i + 3]);
    }
    for (int i = 0; i < 4; ++i) {
        v[2 * i] = _mm256_unpacklo_epi64(b[i], b[i + 4]);
        v[2 * i + 1] = _mm256_unpackhi_epi64(b[i], b[i + 4]);
    }
}

} // namespace

JPEG_AVX2 void idctFastPairAvx2(const int16_t* in0, const int16_t* q0, uint8_t* out0, int32_t stride0,
                                const int16_t* in1, const int16_t* q1, uint8_t* out1, int32_t stride1) {
    __m256i v[8];
    for (int r = 0; r < 8; ++r) {
        const __m256i c = _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in1 + r * 8)),
                                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(in0 + r * 8)));
        const __m256i m = _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q1 + r * 8)),
                                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(q0 + r * 8)));
        v[r] = _mm256_mullo_epi16(c, m);
    }
    fast8W(v);
    transpose8W(v);
    fast8W(v);
    const __m256i bias = _mm256_set1_epi16(128);
    for (int i = 0; i < 8; ++i) v[i] = _mm256_adds_epi16(_mm256_srai_epi16(v[i], 5), bias);
    transpose8W(v);
    for (int r = 0; r < 8; r += 2) {
        const __m256i two = _mm256_packus_epi16(v[r], v[r + 1]); // per half: row r, row r + 1
        const __m128i first = _mm256_castsi256_si128(two), second = _mm256_extracti128_si256(two, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out0 + r * stride0), first);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out0 + (r + 1) * stride0), _mm_unpackhi_epi64(first, first));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out1 + r * stride1), second);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out1 + (r + 1) * stride1), _mm_unpackhi_epi64(second, second));
    }
}

bool idctHasPair() { return cpuHasAvx2(); }

#else

bool idctHasPair() { return false; }
void idctFastPairAvx2(const int16_t*, const int16_t*, uint8_t*, int32_t, const int16_t*, const int16_t*, uint8_t*,
                      int32_t) {}

#endif

namespace {

// 4 lanes of a * k.first + b * k.second for 8 lanes of a and b, low and high
// halves; every product and sum fits 32 bits for any 16-bit inputs.
struct Wide {
    __m128i lo, hi;
};
inline Wide maddPair(__m128i a, __m128i b, int16_t k0, int16_t k1) {
    const __m128i k = _mm_set_epi16(k1, k0, k1, k0, k1, k0, k1, k0);
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), k), _mm_madd_epi16(_mm_unpackhi_epi16(a, b), k)};
}
inline Wide operator+(Wide a, Wide b) { return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)}; }
inline Wide operator-(Wide a, Wide b) { return {_mm_sub_epi32(a.lo, b.lo), _mm_sub_epi32(a.hi, b.hi)}; }

// The accurate 8-point flow on 8 lanes; y[i] in 32 bits.
inline void accurate8V(const __m128i* x, Wide* y) {
    const Wide e = maddPair(x[2], x[6], 10703, 4433);
    const Wide o = maddPair(x[2], x[6], 4433, -10704);
    const Wide a = maddPair(x[0], x[4], 8192, 8192);
    const Wide b = maddPair(x[0], x[4], 8192, -8192);
    const Wide t10 = a + e, t13 = a - e, t11 = b + o, t12 = b - o;
    const Wide d3 = maddPair(x[1], x[3], 11363, 9633) + maddPair(x[5], x[7], 6437, 2260);
    const Wide d2 = maddPair(x[1], x[3], 9633, -2259) + maddPair(x[5], x[7], -11362, -6436);
    const Wide d1 = maddPair(x[1], x[3], 6437, -11362) + maddPair(x[5], x[7], 2261, 9633);
    const Wide d0 = maddPair(x[1], x[3], 2260, -6436) + maddPair(x[5], x[7], 9633, -11363);
    accurateOutputs(y, t10, t11, t12, t13, d0, d1, d2, d3);
}

// (v + round) >> shift, kept to its low 16 bits as a 16-bit store would.
inline __m128i descaleWrap16(Wide v, int32_t round, int shift) {
    const __m128i r = _mm_set1_epi32(round);
    const __m128i lo = _mm_srai_epi32(_mm_slli_epi32(_mm_srai_epi32(_mm_add_epi32(v.lo, r), shift), 16), 16);
    const __m128i hi = _mm_srai_epi32(_mm_slli_epi32(_mm_srai_epi32(_mm_add_epi32(v.hi, r), shift), 16), 16);
    return _mm_packs_epi32(lo, hi);
}

} // namespace

// Rows first as in the scalar version: the rows' shortcut (x1..x7 zero) and
// the columns' one give what the full flow gives, so every block takes it.
void idctAccurateSimd(const int16_t* in, uint8_t* out, int32_t stride) {
    __m128i v[8];
    for (int r = 0; r < 8; ++r) v[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + r * 8));
    transpose8(v); // lanes are rows
    Wide y[8];
    accurate8V(v, y);
    for (int i = 0; i < 8; ++i) v[i] = descaleWrap16(y[i], 1024, 11);
    transpose8(v); // lanes are columns
    accurate8V(v, y);
    const __m128i bias = _mm_set1_epi32(128);
    for (int i = 0; i < 8; ++i) {
        const __m128i r = _mm_set1_epi32(131072);
        const __m128i lo = _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(y[i].lo, r), 18), bias);
        const __m128i hi = _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(y[i].hi, r), 18), bias);
        v[i] = _mm_packs_epi32(lo, hi);
    }
    storeRows(v, out, stride);
}

PLOCHAR_JPEG_SSE2_END

bool idctHasSimd() { return PLOCHAR_JPEG_SSE2_ALWAYS || cpuHasSse2(); }

void idctFast(const int16_t* in, const int16_t* q, uint8_t* out, int32_t stride) {
    if (PLOCHAR_JPEG_SSE2_ALWAYS || cpuHasSse2())
        idctFastSimd(in, q, out, stride);
    else
        idctFastScalar(in, q, out, stride);
}

void idctAccurate(const int16_t* in, uint8_t* out, int32_t stride) {
    if (PLOCHAR_JPEG_SSE2_ALWAYS || cpuHasSse2())
        idctAccurateSimd(in, out, stride);
    else
        idctAccurateScalar(in, out, stride);
}

#else

bool idctHasPair() { return false; }
void idctFastPairAvx2(const int16_t*, const int16_t*, uint8_t*, int32_t, const int16_t*, const int16_t*, uint8_t*,
                      int32_t) {}
bool idctHasSimd() { return false; }
void idctFastSimd(const int16_t* in, const int16_t* q, uint8_t* out, int32_t stride) {
    idctFastScalar(in, q, out, stride);
}
void idctFast(const int16_t* in, const int16_t* q, uint8_t* out, int32_t stride) { idctFastScalar(in, q, out, stride); }
void idctAccurateSimd(const int16_t* in, uint8_t* out, int32_t stride) { idctAccurateScalar(in, out, stride); }
void idctAccurate(const int16_t* in, uint8_t* out, int32_t stride) { idctAccurateScalar(in, out, stride); }

#endif

} // namespace jpeg
