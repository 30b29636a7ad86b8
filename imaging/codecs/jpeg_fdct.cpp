// Forward DCT and quantisation of the JPEG encoder: the Arai-Agui-Nakajima fast 8 x 8
// transform in 8-bit fixed point (constants 181, 98, 139, 334 = 0.707106781,
// 0.382683433, 0.541196100, 1.306562965 x 256, each product shifted right by 8),
// rows first, then columns; its output scaling is folded into the quantisation
// divisors, and each coefficient is divided with rounding half away from zero
// (ITU-T T.81 A.3.3 and Annex K.1).
//
// The vector versions keep every value in 16-bit lanes. That is exact: from samples
// in -128..127 no intermediate value of either pass exceeds 12,921 in magnitude, and
// (x * c) >> 8 is the high half of x * (c << 8), or for c above 127 the high half of
// x * ((c - 256) << 8) plus x. The quotient comes from a reciprocal multiplication
// that equals the division for every magnitude below 32,768.
#include "codecs/jpeg_encode.h"
#include "codecs/jpeg_simd.h"

#if defined(__SSE2__) || defined(_M_X64)
#define JPEG_FDCT_SSE2 1
#include <emmintrin.h>
#endif
// AVX2 is chosen at run time. Not in the Windows build, whose compiler does not
// align the stack for 32-byte vectors it spills.
#if defined(JPEG_FDCT_SSE2) && defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define JPEG_FDCT_AVX2 1
#include <immintrin.h>
#endif

namespace {

inline int32_t mul8(int32_t x, int32_t c) { return (x * c) >> 8; }

// One 1-D pass over the eight values d[0], d[step], ... in place.
inline void fdct_1d(int32_t* d, int step) {
    const int32_t tmp0 = d[0] + d[7 * step], tmp7 = d[0] - d[7 * step];
    const int32_t tmp1 = d[step] + d[6 * step], tmp6 = d[step] - d[6 * step];
    const int32_t tmp2 = d[2 * step] + d[5 * step], tmp5 = d[2 * step] - d[5 * step];
    const int32_t tmp3 = d[3 * step] + d[4 * step], tmp4 = d[3 * step] - d[4 * step];
    // Even part.
    int32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
    int32_t tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
    d[0] = tmp10 + tmp11;
    d[4 * step] = tmp10 - tmp11;
    const int32_t z1 = mul8(tmp12 + tmp13, 181);
    d[2 * step] = tmp13 + z1;
    d[6 * step] = tmp13 - z1;
    // Odd part.
    tmp10 = tmp4 + tmp5;
    tmp11 = tmp5 + tmp6;
    tmp12 = tmp6 + tmp7;
    const int32_t z5 = mul8(tmp10 - tmp12, 98);
    const int32_t z2 = mul8(tmp10, 139) + z5;
    const int32_t z4 = mul8(tmp12, 334) + z5;
    const int32_t z3 = mul8(tmp11, 181);
    const int32_t z11 = tmp7 + z3, z13 = tmp7 - z3;
    d[5 * step] = z13 + z2;
    d[3 * step] = z13 - z2;
    d[step] = z11 + z4;
    d[7 * step] = z11 - z4;
}

inline int16_t quantize(int32_t c, int32_t d) {
    return (int16_t)(c >= 0 ? (c + (d >> 1)) / d : -(((d >> 1) - c) / d));
}

void fdct_quant_scalar(const int16_t* samples, ptrdiff_t stride, const JpegQuantDivisors* q, int16_t* out) {
    int32_t ws[64];
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) ws[r * 8 + c] = samples[r * stride + c];
        fdct_1d(ws + r * 8, 1);
    }
    for (int c = 0; c < 8; ++c) fdct_1d(ws + c, 8);
    for (int i = 0; i < 64; ++i) out[i] = quantize(ws[i], q->divisor[i]);
}

void fdct_pair_scalar(const int16_t* a, const int16_t* b, ptrdiff_t stride, const JpegQuantDivisors* q,
                      int16_t* out_a, int16_t* out_b) {
    fdct_quant_scalar(a, stride, q, out_a);
    if (b != a) fdct_quant_scalar(b, stride, q, out_b);
}

}  // namespace

void jpeg_set_divisor(JpegQuantDivisors* q, int i, int32_t d) {
    if (d < 1) d = 1;
    q->divisor[i] = d;
    q->correction[i] = q->reciprocal[i] = q->scale[i] = 0;
    if (d < 3 || d > 32767) {
        q->vector_ok = false;
        return;
    }
    // floor((x + d/2) / d) as ((x + c) * m) >> (16 + k), with b = floor(log2 d): the
    // multiplier 2^(16+b) / d rounded down, with 1 added to x, when the remainder is at
    // most d / 2, else rounded up; a power of two only shifts. (The second high-half
    // multiplication by 2^(16-k) is the shift by k; k is at least 1 for d >= 3.)
    const int b = 31 - __builtin_clz((uint32_t)d);
    const uint32_t r = 16 + (uint32_t)b;
    uint32_t m = (uint32_t)((1ull << r) / (uint32_t)d);
    const uint32_t rem = (uint32_t)((1ull << r) % (uint32_t)d);
    uint32_t c = (uint32_t)d >> 1;
    int k = b;
    if (rem == 0) {
        m = 1u << 15;
        k = b - 1;
    } else if (rem <= (uint32_t)d / 2) {
        ++c;
    } else {
        ++m;
    }
    q->correction[i] = (uint16_t)c;
    q->reciprocal[i] = (uint16_t)m;
    q->scale[i] = (uint16_t)(1u << (16 - k));
}

void jpeg_make_divisors(const int32_t* q_natural, JpegQuantDivisors* out) {
    const int32_t* aan = jpeg_aan_scales();
    out->vector_ok = true;
    for (int i = 0; i < 64; ++i) jpeg_set_divisor(out, i, (int32_t)(((int64_t)q_natural[i] * aan[i]) >> 11));
}

// ---- SSE2 --------------------------------------------------------------------
#ifdef JPEG_FDCT_SSE2
namespace {

// fdct_1d on 16-bit lanes across eight vectors d[0..7] of type V, with the
// instruction set's ADD, SUB and MULHI (high half of the signed product with a
// constant); (x * c) >> 8 as in the comment at the top. Written as a macro so that
// each instruction set's function holds the whole pass.
#define JPEG_FDCT_LANES(V, ADD, SUB, MULHI, d)                                \
    do {                                                                     \
        const V tmp0 = ADD(d[0], d[7]), tmp7 = SUB(d[0], d[7]);               \
        const V tmp1 = ADD(d[1], d[6]), tmp6 = SUB(d[1], d[6]);               \
        const V tmp2 = ADD(d[2], d[5]), tmp5 = SUB(d[2], d[5]);               \
        const V tmp3 = ADD(d[3], d[4]), tmp4 = SUB(d[3], d[4]);               \
        V tmp10 = ADD(tmp0, tmp3), tmp13 = SUB(tmp0, tmp3);                   \
        V tmp11 = ADD(tmp1, tmp2), tmp12 = SUB(tmp1, tmp2);                   \
        d[0] = ADD(tmp10, tmp11);                                             \
        d[4] = SUB(tmp10, tmp11);                                             \
        const V s1 = ADD(tmp12, tmp13);                                       \
        const V z1 = ADD(MULHI(s1, kMul181), s1);                             \
        d[2] = ADD(tmp13, z1);                                                \
        d[6] = SUB(tmp13, z1);                                                \
        tmp10 = ADD(tmp4, tmp5);                                              \
        tmp11 = ADD(tmp5, tmp6);                                              \
        tmp12 = ADD(tmp6, tmp7);                                              \
        const V z5 = MULHI(SUB(tmp10, tmp12), kMul98);                        \
        const V z2 = ADD(ADD(MULHI(tmp10, kMul139), tmp10), z5);              \
        const V z4 = ADD(ADD(MULHI(tmp12, kMul334), tmp12), z5);              \
        const V z3 = ADD(MULHI(tmp11, kMul181), tmp11);                       \
        const V z11 = ADD(tmp7, z3), z13 = SUB(tmp7, z3);                     \
        d[5] = ADD(z13, z2);                                                  \
        d[3] = SUB(z13, z2);                                                  \
        d[1] = ADD(z11, z4);                                                  \
        d[7] = SUB(z11, z4);                                                  \
    } while (0)
// Factors of MULHI: 98 << 8 gives (x * 98) >> 8 directly; the others, above 127, are
// taken as (c - 256) << 8 and x is added back.
constexpr int16_t kMul98 = 98 << 8, kMul139 = (int16_t)((139 - 256) << 8),
                  kMul181 = (int16_t)((181 - 256) << 8), kMul334 = (int16_t)((334 - 256) << 8);

inline __m128i mulhi_sse2(__m128i a, int16_t k) { return _mm_mulhi_epi16(a, _mm_set1_epi16(k)); }
inline void fdct_lanes_sse2(__m128i d[8]) {
    JPEG_FDCT_LANES(__m128i, _mm_add_epi16, _mm_sub_epi16, mulhi_sse2, d);
}

inline __m128i quantize8(__m128i x, const JpegQuantDivisors* q, int i) {
    const __m128i sign = _mm_srai_epi16(x, 15);
    __m128i a = _mm_sub_epi16(_mm_xor_si128(x, sign), sign);
    a = _mm_add_epi16(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(q->correction + i)));
    a = _mm_mulhi_epu16(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(q->reciprocal + i)));
    a = _mm_mulhi_epu16(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(q->scale + i)));
    return _mm_sub_epi16(_mm_xor_si128(a, sign), sign);
}

void fdct_quant_sse2(const int16_t* samples, ptrdiff_t stride, const JpegQuantDivisors* q, int16_t* out) {
    __m128i d[8];
    #pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) d[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + r * stride));
    jpeg_transpose8x8_sse2(d);  // lanes are rows: the pass below transforms every row
    fdct_lanes_sse2(d);
    jpeg_transpose8x8_sse2(d);  // lanes are columns again
    fdct_lanes_sse2(d);
    #pragma GCC unroll 8
    for (int r = 0; r < 8; ++r)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * r), quantize8(d[r], q, 8 * r));
}

void fdct_pair_sse2(const int16_t* a, const int16_t* b, ptrdiff_t stride, const JpegQuantDivisors* q,
                    int16_t* out_a, int16_t* out_b) {
    if (!q->vector_ok) return fdct_pair_scalar(a, b, stride, q, out_a, out_b);
    fdct_quant_sse2(a, stride, q, out_a);
    if (b != a) fdct_quant_sse2(b, stride, q, out_b);
}

}  // namespace
#endif

// ---- AVX2: two blocks at once, one in each 128-bit half ----------------------------
#ifdef JPEG_FDCT_AVX2
namespace {

#define JPEG_AVX2 __attribute__((target("avx2"), always_inline)) inline

JPEG_AVX2 __m256i mulhi_avx2(__m256i a, int16_t k) { return _mm256_mulhi_epi16(a, _mm256_set1_epi16(k)); }
JPEG_AVX2 __m256i add_avx2(__m256i a, __m256i b) { return _mm256_add_epi16(a, b); }
JPEG_AVX2 __m256i sub_avx2(__m256i a, __m256i b) { return _mm256_sub_epi16(a, b); }
JPEG_AVX2 void fdct_lanes_avx2(__m256i d[8]) { JPEG_FDCT_LANES(__m256i, add_avx2, sub_avx2, mulhi_avx2, d); }

// The transpose of each half.
JPEG_AVX2 void transpose_halves(__m256i r[8]) {
    JPEG_TRANSPOSE_8X8_16(__m256i, r, _mm256_unpacklo_epi16, _mm256_unpackhi_epi16, _mm256_unpacklo_epi32,
                          _mm256_unpackhi_epi32, _mm256_unpacklo_epi64, _mm256_unpackhi_epi64);
}

JPEG_AVX2 __m256i load_both(const uint16_t* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(v), v, 1);
}

JPEG_AVX2 __m256i quantize16(__m256i x, const JpegQuantDivisors* q, int i) {
    const __m256i sign = _mm256_srai_epi16(x, 15);
    __m256i a = _mm256_sub_epi16(_mm256_xor_si256(x, sign), sign);
    a = _mm256_add_epi16(a, load_both(q->correction + i));
    a = _mm256_mulhi_epu16(a, load_both(q->reciprocal + i));
    a = _mm256_mulhi_epu16(a, load_both(q->scale + i));
    return _mm256_sub_epi16(_mm256_xor_si256(a, sign), sign);
}

__attribute__((target("avx2"))) void fdct_pair_avx2(const int16_t* a, const int16_t* b, ptrdiff_t stride,
                                                     const JpegQuantDivisors* q, int16_t* out_a, int16_t* out_b) {
    if (!q->vector_ok) return fdct_pair_scalar(a, b, stride, q, out_a, out_b);
    __m256i d[8];
    if (b == a + 8) {
        #pragma GCC unroll 8
        for (int r = 0; r < 8; ++r) d[r] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + r * stride));
    } else {
        #pragma GCC unroll 8
        for (int r = 0; r < 8; ++r)
            d[r] = _mm256_inserti128_si256(
                _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + r * stride))),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + r * stride)), 1);
    }
    transpose_halves(d);
    fdct_lanes_avx2(d);
    transpose_halves(d);
    fdct_lanes_avx2(d);
    #pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) {
        const __m256i v = quantize16(d[r], q, 8 * r);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out_a + 8 * r), _mm256_castsi256_si128(v));
        if (b != a) _mm_storeu_si128(reinterpret_cast<__m128i*>(out_b + 8 * r), _mm256_extracti128_si256(v, 1));
    }
}

}  // namespace
#endif

bool jpeg_cpu_has_avx2() {
#ifdef JPEG_FDCT_AVX2
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
#else
    return false;
#endif
}

void jpeg_fdct_kernels(JpegKernelSet set, JpegEncodeKernels* k) {
    k->fdct_pair = nullptr;
    if (set == JPEG_KERNELS_SCALAR) k->fdct_pair = fdct_pair_scalar;
#ifdef JPEG_FDCT_SSE2
    if (set == JPEG_KERNELS_SSE2) k->fdct_pair = fdct_pair_sse2;
#endif
#ifdef JPEG_FDCT_AVX2
    if (set == JPEG_KERNELS_AVX2) k->fdct_pair = fdct_pair_avx2;
#endif
}
