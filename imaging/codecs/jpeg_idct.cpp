// Inverse DCT of the JPEG decoder: the Arai-Agui-Nakajima fast 8 x 8 transform in
// 8-bit fixed point (constants 362, 473, 277, 669 = sqrt 2, 1.847759065,
// 1.082392200, 2.613125930 x 256), columns then rows, with the dequantisation
// folded into the AAN-scaled tables. Output samples go through the range-limit table.
// An SSE2 version does the same integer arithmetic on four or eight lanes at once.
#include <algorithm>
#include <cstdlib>

#include "codecs/jpeg_simd.h"
#include "codecs/jpeg_state.h"

#if defined(__SSE2__) || defined(_M_X64)
#define JPEG_IDCT_SSE2 1
#include <emmintrin.h>
#endif
// AVX2 is chosen at run time on processors that have it. Not in the Windows build:
// its compiler does not align the stack for 32-byte vectors it spills.
#if defined(JPEG_IDCT_SSE2) && defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define JPEG_IDCT_AVX2 1
#include <immintrin.h>
#endif

namespace {

inline int32_t mul(int32_t v, int32_t c) { return (int32_t)(((int64_t)v * c) >> 8); }

// Dequantised coefficient; legal 8-bit data stays far below the cap, which only keeps
// absurd tables and coefficients from overflowing the transform.
inline int32_t dequant(int32_t c, int32_t q) {
    const int64_t v = (int64_t)c * q;
    return (int32_t)(v > (1 << 24) ? (1 << 24) : v < -(1 << 24) ? -(1 << 24) : v);
}

// One 1-D AAN pass over eight values in `v`, results in `o` (T.81 A.3.3 by AAN).
inline void aan_1d(const int32_t v[8], int32_t o[8]) {
    // Even part.
    int32_t tmp10 = v[0] + v[4], tmp11 = v[0] - v[4];
    int32_t tmp13 = v[2] + v[6];
    int32_t tmp12 = mul(v[2] - v[6], 362) - tmp13;
    const int32_t e0 = tmp10 + tmp13, e3 = tmp10 - tmp13;
    const int32_t e1 = tmp11 + tmp12, e2 = tmp11 - tmp12;
    // Odd part.
    const int32_t z13 = v[5] + v[3], z10 = v[5] - v[3];
    const int32_t z11 = v[1] + v[7], z12 = v[1] - v[7];
    const int32_t t7 = z11 + z13;
    tmp11 = mul(z11 - z13, 362);
    const int32_t z5 = mul(z10 + z12, 473);
    tmp10 = mul(z12, 277) - z5;
    tmp12 = mul(z10, -669) + z5;
    const int32_t t6 = tmp12 - t7, t5 = tmp11 - t6, t4 = tmp10 + t5;
    o[0] = e0 + t7;
    o[7] = e0 - t7;
    o[1] = e1 + t6;
    o[6] = e1 - t6;
    o[2] = e2 + t5;
    o[5] = e2 - t5;
    o[4] = e3 + t4;
    o[3] = e3 - t4;
}

}  // namespace

void jpeg_idct_dc(int32_t dc, const int32_t* quant, const uint8_t* range_limit, uint8_t* out) {
    const uint8_t v = range_limit[(((int64_t)dc * quant[0]) >> 5) & 1023];
    for (int i = 0; i < 64; ++i) out[i] = v;
}

void jpeg_idct_block_scalar(const int16_t* coef, const int32_t* quant, const uint8_t* range_limit,
                            uint8_t* out) {
    int16_t work[64];
    for (int c = 0; c < 8; ++c) {
        if ((coef[8 + c] | coef[16 + c] | coef[24 + c] | coef[32 + c] | coef[40 + c] | coef[48 + c] |
             coef[56 + c]) == 0) {
            const int16_t dc = (int16_t)dequant(coef[c], quant[c]);
            for (int r = 0; r < 8; ++r) work[r * 8 + c] = dc;
            continue;
        }
        int32_t v[8], o[8];
        for (int r = 0; r < 8; ++r) v[r] = dequant(coef[r * 8 + c], quant[r * 8 + c]);
        aan_1d(v, o);
        for (int r = 0; r < 8; ++r) work[r * 8 + c] = (int16_t)o[r];
    }
    for (int r = 0; r < 8; ++r) {
        const int16_t* w = work + r * 8;
        uint8_t* row = out + r * 8;
        if ((w[1] | w[2] | w[3] | w[4] | w[5] | w[6] | w[7]) == 0) {
            const uint8_t s = range_limit[(w[0] >> 5) & 1023];
            for (int i = 0; i < 8; ++i) row[i] = s;
            continue;
        }
        int32_t v[8], o[8];
        for (int i = 0; i < 8; ++i) v[i] = w[i];
        aan_1d(v, o);
        for (int i = 0; i < 8; ++i) row[i] = range_limit[(o[i] >> 5) & 1023];
    }
}

// ---- Vector transform ---------------------------------------------------------
// Lanes hold 32-bit values, as the scalar transform does. Its products (x * c) >> 8
// are taken from the low 32 bits of the 64-bit products, which is exact while the
// product fits 32 bits: the largest factor is 4 x 473 times the largest dequantised
// coefficient in the column pass, so coefficients with |c x q| <= 2^20 keep every
// product below 2^31. The row pass starts from 16-bit values and always fits.

// Largest dequantised magnitude the column pass takes.
constexpr int32_t kVectorDequantLimit = 1 << 20;

void jpeg_prepare_idct_table(JpegDecoderState* s, int table) {
    int32_t largest = 1;
    for (int i = 0; i < 64; ++i) largest = std::max(largest, std::abs(s->dequant[table][i]));
    const bool fits = largest <= INT16_MAX;
    for (int i = 0; i < 64; ++i) s->dequant16[table][i] = fits ? (int16_t)s->dequant[table][i] : 0;
    s->coef_limit[table] = fits ? kVectorDequantLimit / largest : 0;
}

#ifdef JPEG_IDCT_SSE2
namespace {

// (x * c) >> 8 in each 32-bit lane, for products that fit 32 bits.
inline __m128i mul8(__m128i x, __m128i c) {
    const __m128i even = _mm_mul_epu32(x, c);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(x, 32), c);
    const __m128i lo = _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                          _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
    return _mm_srai_epi32(lo, 8);
}

struct Constants {
    __m128i k362, k473, k277, kneg669;
};

inline Constants constants() {
    return Constants{_mm_set1_epi32(362), _mm_set1_epi32(473), _mm_set1_epi32(277), _mm_set1_epi32(-669)};
}

// aan_1d on four lanes: v[i] holds element i of four independent 1-D transforms.
__attribute__((always_inline)) inline void aan_4(const __m128i v[8], __m128i o[8], const Constants& k) {
    __m128i tmp10 = _mm_add_epi32(v[0], v[4]), tmp11 = _mm_sub_epi32(v[0], v[4]);
    const __m128i tmp13 = _mm_add_epi32(v[2], v[6]);
    __m128i tmp12 = _mm_sub_epi32(mul8(_mm_sub_epi32(v[2], v[6]), k.k362), tmp13);
    const __m128i e0 = _mm_add_epi32(tmp10, tmp13), e3 = _mm_sub_epi32(tmp10, tmp13);
    const __m128i e1 = _mm_add_epi32(tmp11, tmp12), e2 = _mm_sub_epi32(tmp11, tmp12);
    const __m128i z13 = _mm_add_epi32(v[5], v[3]), z10 = _mm_sub_epi32(v[5], v[3]);
    const __m128i z11 = _mm_add_epi32(v[1], v[7]), z12 = _mm_sub_epi32(v[1], v[7]);
    const __m128i t7 = _mm_add_epi32(z11, z13);
    tmp11 = mul8(_mm_sub_epi32(z11, z13), k.k362);
    const __m128i z5 = mul8(_mm_add_epi32(z10, z12), k.k473);
    tmp10 = _mm_sub_epi32(mul8(z12, k.k277), z5);
    tmp12 = _mm_add_epi32(mul8(z10, k.kneg669), z5);
    const __m128i t6 = _mm_sub_epi32(tmp12, t7), t5 = _mm_sub_epi32(tmp11, t6), t4 = _mm_add_epi32(tmp10, t5);
    o[0] = _mm_add_epi32(e0, t7);
    o[7] = _mm_sub_epi32(e0, t7);
    o[1] = _mm_add_epi32(e1, t6);
    o[6] = _mm_sub_epi32(e1, t6);
    o[2] = _mm_add_epi32(e2, t5);
    o[5] = _mm_sub_epi32(e2, t5);
    o[4] = _mm_add_epi32(e3, t4);
    o[3] = _mm_sub_epi32(e3, t4);
}

// Low 16 bits of each 32-bit lane of a and b, as the scalar transform's int16 stores.
inline __m128i truncate16(__m128i a, __m128i b) {
    a = _mm_srai_epi32(_mm_slli_epi32(a, 16), 16);
    b = _mm_srai_epi32(_mm_slli_epi32(b, 16), 16);
    return _mm_packs_epi32(a, b);
}

// Largest |coefficient| of the block (saturating, so -32768 counts as 32767).
inline int largest_coefficient(const __m128i c[8]) {
    const __m128i zero = _mm_setzero_si128();
    __m128i m = zero;
    for (int r = 0; r < 8; ++r) m = _mm_max_epi16(m, _mm_max_epi16(c[r], _mm_subs_epi16(zero, c[r])));
    m = _mm_max_epi16(m, _mm_srli_si128(m, 8));
    m = _mm_max_epi16(m, _mm_srli_si128(m, 4));
    m = _mm_max_epi16(m, _mm_srli_si128(m, 2));
    return _mm_cvtsi128_si32(m) & 0xFFFF;
}

// Sign-extends eight 16-bit lanes into two vectors of four 32-bit lanes.
inline void widen(__m128i v, __m128i* lo, __m128i* hi) {
    *lo = _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16);
    *hi = _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16);
}

// The range-limit table's value of (o >> 5): x + 128 clamped, x the low 10 bits of
// o >> 5 read as a signed number; as 16-bit lanes.
inline __m128i range_limited(__m128i a, __m128i b) {
    const __m128i bias = _mm_set1_epi32(128);
    a = _mm_add_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 17), 22), bias);
    b = _mm_add_epi32(_mm_srai_epi32(_mm_slli_epi32(b, 17), 22), bias);
    return _mm_packs_epi32(a, b);
}

void idct_sse2(const int16_t* q16, uint8_t* out, const __m128i c[8]) {
    const Constants k = constants();
    // Columns: lanes are the columns of the block, v[r] its row r (two halves).
    __m128i lo[8], hi[8], olo[8], ohi[8], work[8];
    #pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) {
        const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q16 + 8 * r));
        const __m128i pl = _mm_mullo_epi16(c[r], q), ph = _mm_mulhi_epi16(c[r], q);
        lo[r] = _mm_unpacklo_epi16(pl, ph);
        hi[r] = _mm_unpackhi_epi16(pl, ph);
    }
    aan_4(lo, olo, k);
    aan_4(hi, ohi, k);
    #pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) work[r] = truncate16(olo[r], ohi[r]);
    // Rows: after the transpose lanes are the rows, work[i] their element i.
    jpeg_transpose8x8_sse2(work);
    #pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) widen(work[i], &lo[i], &hi[i]);
    aan_4(lo, olo, k);
    aan_4(hi, ohi, k);
    __m128i res[8];
    #pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) res[i] = range_limited(olo[i], ohi[i]);
    jpeg_transpose8x8_sse2(res);
    #pragma GCC unroll 8
    for (int r = 0; r < 8; r += 2)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * r), _mm_packus_epi16(res[r], res[r + 1]));
}

}  // namespace
#endif

#ifdef JPEG_IDCT_AVX2
namespace {

#define JPEG_AVX2 __attribute__((target("avx2"), always_inline)) inline

JPEG_AVX2 __m256i mul8x(__m256i x, __m256i c) { return _mm256_srai_epi32(_mm256_mullo_epi32(x, c), 8); }

// aan_1d on eight lanes.
JPEG_AVX2 void aan_8(const __m256i v[8], __m256i o[8]) {
    const __m256i k362 = _mm256_set1_epi32(362), k473 = _mm256_set1_epi32(473), k277 = _mm256_set1_epi32(277),
                  kneg669 = _mm256_set1_epi32(-669);
    __m256i tmp10 = _mm256_add_epi32(v[0], v[4]), tmp11 = _mm256_sub_epi32(v[0], v[4]);
    const __m256i tmp13 = _mm256_add_epi32(v[2], v[6]);
    __m256i tmp12 = _mm256_sub_epi32(mul8x(_mm256_sub_epi32(v[2], v[6]), k362), tmp13);
    const __m256i e0 = _mm256_add_epi32(tmp10, tmp13), e3 = _mm256_sub_epi32(tmp10, tmp13);
    const __m256i e1 = _mm256_add_epi32(tmp11, tmp12), e2 = _mm256_sub_epi32(tmp11, tmp12);
    const __m256i z13 = _mm256_add_epi32(v[5], v[3]), z10 = _mm256_sub_epi32(v[5], v[3]);
    const __m256i z11 = _mm256_add_epi32(v[1], v[7]), z12 = _mm256_sub_epi32(v[1], v[7]);
    const __m256i t7 = _mm256_add_epi32(z11, z13);
    tmp11 = mul8x(_mm256_sub_epi32(z11, z13), k362);
    const __m256i z5 = mul8x(_mm256_add_epi32(z10, z12), k473);
    tmp10 = _mm256_sub_epi32(mul8x(z12, k277), z5);
    tmp12 = _mm256_add_epi32(mul8x(z10, kneg669), z5);
    const __m256i t6 = _mm256_sub_epi32(tmp12, t7), t5 = _mm256_sub_epi32(tmp11, t6), t4 = _mm256_add_epi32(tmp10, t5);
    o[0] = _mm256_add_epi32(e0, t7);
    o[7] = _mm256_sub_epi32(e0, t7);
    o[1] = _mm256_add_epi32(e1, t6);
    o[6] = _mm256_sub_epi32(e1, t6);
    o[2] = _mm256_add_epi32(e2, t5);
    o[5] = _mm256_sub_epi32(e2, t5);
    o[4] = _mm256_add_epi32(e3, t4);
    o[3] = _mm256_sub_epi32(e3, t4);
}

JPEG_AVX2 void transpose8x32(__m256i r[8]) {
    __m256i t[8], u[8];
    #pragma GCC unroll 8
    for (int i = 0; i < 8; i += 2) {
        t[i] = _mm256_unpacklo_epi32(r[i], r[i + 1]);
        t[i + 1] = _mm256_unpackhi_epi32(r[i], r[i + 1]);
    }
    #pragma GCC unroll 8
    for (int i = 0; i < 8; i += 4) {
        u[i] = _mm256_unpacklo_epi64(t[i], t[i + 2]);
        u[i + 1] = _mm256_unpackhi_epi64(t[i], t[i + 2]);
        u[i + 2] = _mm256_unpacklo_epi64(t[i + 1], t[i + 3]);
        u[i + 3] = _mm256_unpackhi_epi64(t[i + 1], t[i + 3]);
    }
    #pragma GCC unroll 8
    for (int i = 0; i < 4; ++i) {
        r[i] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x20);
        r[i + 4] = _mm256_permute2x128_si256(u[i], u[i + 4], 0x31);
    }
}

// The transform with every lane of a row of the block at once: rows of dequantised
// coefficients (columns as lanes), the column pass, the 16-bit cut, a transpose, the
// row pass, the range limit, a transpose back.
__attribute__((target("avx2"))) void idct_avx2(const int16_t* coef, const int32_t* quant, uint8_t* out) {
    __m256i v[8], o[8];
    #pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) {
        const __m256i c = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 8 * r)));
        v[r] = _mm256_mullo_epi32(c, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(quant + 8 * r)));
    }
    aan_8(v, o);
    #pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) v[r] = _mm256_srai_epi32(_mm256_slli_epi32(o[r], 16), 16);
    transpose8x32(v);
    aan_8(v, o);
    const __m256i bias = _mm256_set1_epi32(128);
    #pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) o[i] = _mm256_add_epi32(_mm256_srai_epi32(_mm256_slli_epi32(o[i], 17), 22), bias);
    transpose8x32(o);
    #pragma GCC unroll 8
    for (int r = 0; r < 8; r += 4) {
        const __m256i a = _mm256_permute4x64_epi64(_mm256_packs_epi32(o[r], o[r + 1]), 0xD8);
        const __m256i b = _mm256_permute4x64_epi64(_mm256_packs_epi32(o[r + 2], o[r + 3]), 0xD8);
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * r), bytes);
    }
}

bool have_avx2() {
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}

}  // namespace
#endif

#ifdef JPEG_IDCT_SSE2
namespace {
// True when the vector transforms take the block exactly.
bool in_vector_range(const int16_t* coef, const JpegDecoderState* s, int table, __m128i c[8]) {
    for (int r = 0; r < 8; ++r) c[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 8 * r));
    return largest_coefficient(c) <= s->coef_limit[table];
}
}  // namespace
#endif

bool jpeg_idct_block_sse2(const int16_t* coef, const JpegDecoderState* s, int table, uint8_t* out) {
#ifdef JPEG_IDCT_SSE2
    __m128i c[8];
    if (!in_vector_range(coef, s, table, c)) return false;
    idct_sse2(s->dequant16[table], out, c);
    return true;
#else
    return false;
#endif
}

bool jpeg_idct_block_avx2(const int16_t* coef, const JpegDecoderState* s, int table, uint8_t* out) {
#ifdef JPEG_IDCT_AVX2
    __m128i c[8];
    if (!have_avx2() || !in_vector_range(coef, s, table, c)) return false;
    idct_avx2(coef, s->dequant[table], out);
    return true;
#else
    return false;
#endif
}

void jpeg_idct_block(const int16_t* coef, const JpegDecoderState* s, int table, uint8_t* out) {
    if (jpeg_idct_block_avx2(coef, s, table, out) || jpeg_idct_block_sse2(coef, s, table, out)) return;
    jpeg_idct_block_scalar(coef, s->dequant[table], s->range_limit, out);
}
