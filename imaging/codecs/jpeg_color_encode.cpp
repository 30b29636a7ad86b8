// Colour conversion of the JPEG encoder: 24-bit pixels (blue, green, red) to JFIF
// YCbCr (T.81 with the JFIF colour space) in 12-bit fixed point, rounded to the
// nearest, level-shifted to signed samples, optionally with chroma taken over 2 x 2
// groups (the four pixels' terms summed, then rounded and shifted right by 14); grey
// levels minus 128. Cutting the fraction off instead would make every saved picture
// half a level darker and shift its colours, a little more each time it is saved.
//
// The vector versions compute the same integer terms: a pixel's blue and red bytes
// sit in one 32-bit lane as two 16-bit halves (green in another), so each colour term
// is one multiply-add of the halves; sums of 2 x 2 groups are added in those halves
// before the multiply (at most 1,020 each, no carry into the next half).
#include <cstring>

#include "codecs/jpeg_encode.h"

#if defined(__SSE2__) || defined(_M_X64)
#define JPEG_YCC_SSE2 1
#include <emmintrin.h>
#endif
#if defined(JPEG_YCC_SSE2) && defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define JPEG_YCC_AVX2 1
#include <immintrin.h>
#endif

namespace {

// Coefficients x 4096: 0.299, 0.587, 0.114; 0.5, 0.33126, 0.16874; 0.41869, 0.08131.
constexpr int kYr = 1225, kYg = 2404, kYb = 467;
constexpr int kCbB = 2048, kCbG = -1357, kCbR = -691;
constexpr int kCrR = 2048, kCrG = -1715, kCrB = -333;

inline int16_t luma(int b, int g, int r) { return (int16_t)(((kYr * r + kYg * g + kYb * b + 2048) >> 12) - 128); }
// Chroma of sums over n pixels, `shift` = 12 + log2 n.
inline int16_t chroma_b(int b, int g, int r, int shift) {
    return (int16_t)((kCbB * b + kCbG * g + kCbR * r + (1 << (shift - 1))) >> shift);
}
inline int16_t chroma_r(int b, int g, int r, int shift) {
    return (int16_t)((kCrR * r + kCrG * g + kCrB * b + (1 << (shift - 1))) >> shift);
}

void ycc_row_scalar(const uint8_t* bgr, int width, int16_t* y, int16_t* cb, int16_t* cr) {
    for (int x = 0; x < width; ++x, bgr += 3) {
        y[x] = luma(bgr[0], bgr[1], bgr[2]);
        cb[x] = chroma_b(bgr[0], bgr[1], bgr[2], 12);
        cr[x] = chroma_r(bgr[0], bgr[1], bgr[2], 12);
    }
}

void ycc_rows_420_scalar(const uint8_t* row0, const uint8_t* row1, int width, int16_t* y0, int16_t* y1,
                         int16_t* cb, int16_t* cr) {
    for (int x = 0; x < width; ++x) {
        y0[x] = luma(row0[3 * x], row0[3 * x + 1], row0[3 * x + 2]);
        y1[x] = luma(row1[3 * x], row1[3 * x + 1], row1[3 * x + 2]);
    }
    for (int g = 0; 2 * g < width; ++g) {
        const size_t a = 6 * (size_t)g, b = 2 * g + 1 < width ? a + 3 : a;
        int sum[3];
        for (int c = 0; c < 3; ++c) sum[c] = row0[a + c] + row0[b + c] + row1[a + c] + row1[b + c];
        cb[g] = chroma_b(sum[0], sum[1], sum[2], 14);
        cr[g] = chroma_r(sum[0], sum[1], sum[2], 14);
    }
}

void grey_row_scalar(const uint8_t* src, int width, int16_t* y) {
    for (int x = 0; x < width; ++x) y[x] = (int16_t)(src[x] - 128);
}

// Two 16-bit factors of a multiply-add: `lo` for the lane's low half, `hi` for its high.
constexpr int32_t pair16(int lo, int hi) { return (int32_t)((uint32_t)(uint16_t)hi << 16 | (uint16_t)lo); }
// Y with its rounding and level shift: ((terms + 2048 - 128 x 4096) >> 12) equals
// ((terms + 2048) >> 12) - 128.
constexpr int32_t kLumaBias = 2048 - (128 << 12);

}  // namespace

// ---- SSE2: eight pixels a step ----------------------------------------------------
#ifdef JPEG_YCC_SSE2
namespace {

// Four pixels from 16 bytes at p: blue | red << 16 in `br`, green in `g`, a lane each.
inline void split4(const uint8_t* p, __m128i* br, __m128i* g) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lanes = _mm_unpacklo_epi64(_mm_unpacklo_epi32(v, _mm_srli_si128(v, 3)),
                                             _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9)));
    *br = _mm_and_si128(lanes, _mm_set1_epi32(0x00FF00FF));
    *g = _mm_and_si128(_mm_srli_epi32(lanes, 8), _mm_set1_epi32(0xFF));
}

inline __m128i terms(__m128i br, __m128i g, int32_t k_br, int32_t k_g) {
    return _mm_add_epi32(_mm_madd_epi16(br, _mm_set1_epi32(k_br)), _mm_madd_epi16(g, _mm_set1_epi32(k_g)));
}
inline __m128i luma4(__m128i br, __m128i g) {
    return _mm_srai_epi32(_mm_add_epi32(terms(br, g, pair16(kYb, kYr), kYg), _mm_set1_epi32(kLumaBias)), 12);
}
inline __m128i rounded(__m128i v, int shift) {
    return _mm_sra_epi32(_mm_add_epi32(v, _mm_set1_epi32(1 << (shift - 1))), _mm_cvtsi32_si128(shift));
}
inline __m128i cb4(__m128i br, __m128i g, int shift) { return rounded(terms(br, g, pair16(kCbB, kCbR), kCbG), shift); }
inline __m128i cr4(__m128i br, __m128i g, int shift) { return rounded(terms(br, g, pair16(kCrB, kCrR), kCrG), shift); }
inline void store8(int16_t* p, __m128i a, __m128i b) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_packs_epi32(a, b));
}

// Loads read 16 bytes from the start of each group of four pixels: the vector loop
// stops where the next eight pixels and those bytes lie inside the row.
void ycc_row_sse2(const uint8_t* bgr, int width, int16_t* y, int16_t* cb, int16_t* cr) {
    int x = 0;
    for (; x + 10 <= width; x += 8) {
        __m128i br0, g0, br1, g1;
        split4(bgr + 3 * x, &br0, &g0);
        split4(bgr + 3 * x + 12, &br1, &g1);
        store8(y + x, luma4(br0, g0), luma4(br1, g1));
        store8(cb + x, cb4(br0, g0, 12), cb4(br1, g1, 12));
        store8(cr + x, cr4(br0, g0, 12), cr4(br1, g1, 12));
    }
    ycc_row_scalar(bgr + 3 * x, width - x, y + x, cb + x, cr + x);
}

// Sums of horizontal pairs of lanes, in lanes 0 and 2, then moved to lanes 0 and 1.
inline __m128i pair_sums(__m128i v) {
    return _mm_shuffle_epi32(_mm_add_epi32(v, _mm_srli_epi64(v, 32)), 0x08);
}

void ycc_rows_420_sse2(const uint8_t* row0, const uint8_t* row1, int width, int16_t* y0, int16_t* y1,
                       int16_t* cb, int16_t* cr) {
    int x = 0;
    for (; x + 10 <= width; x += 8) {
        __m128i br[4], g[4];  // row 0 pixels 0-3, 4-7; row 1 pixels 0-3, 4-7
        split4(row0 + 3 * x, &br[0], &g[0]);
        split4(row0 + 3 * x + 12, &br[1], &g[1]);
        split4(row1 + 3 * x, &br[2], &g[2]);
        split4(row1 + 3 * x + 12, &br[3], &g[3]);
        store8(y0 + x, luma4(br[0], g[0]), luma4(br[1], g[1]));
        store8(y1 + x, luma4(br[2], g[2]), luma4(br[3], g[3]));
        const __m128i sbr = _mm_unpacklo_epi64(pair_sums(_mm_add_epi32(br[0], br[2])),
                                               pair_sums(_mm_add_epi32(br[1], br[3])));
        const __m128i sg = _mm_unpacklo_epi64(pair_sums(_mm_add_epi32(g[0], g[2])),
                                              pair_sums(_mm_add_epi32(g[1], g[3])));
        const __m128i b4 = cb4(sbr, sg, 14), r4 = cr4(sbr, sg, 14);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cb + x / 2), _mm_packs_epi32(b4, b4));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cr + x / 2), _mm_packs_epi32(r4, r4));
    }
    ycc_rows_420_scalar(row0 + 3 * x, row1 + 3 * x, width - x, y0 + x, y1 + x, cb + x / 2, cr + x / 2);
}

void grey_row_sse2(const uint8_t* src, int width, int16_t* y) {
    const __m128i zero = _mm_setzero_si128(), bias = _mm_set1_epi16(128);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + x), _mm_sub_epi16(_mm_unpacklo_epi8(v, zero), bias));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + x + 8), _mm_sub_epi16(_mm_unpackhi_epi8(v, zero), bias));
    }
    grey_row_scalar(src + x, width - x, y + x);
}

}  // namespace
#endif

// ---- AVX2: sixteen pixels a step ----------------------------------------------------
#ifdef JPEG_YCC_AVX2
namespace {

#define JPEG_AVX2 __attribute__((target("avx2"), always_inline)) inline

// Eight pixels at p (24 bytes; 28 are read): the first four in the low half, the
// next four in the high half, split by byte shuffles.
JPEG_AVX2 void split8(const uint8_t* p, __m256i* br, __m256i* g) {
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
    const __m256i k_br = _mm256_setr_epi8(0, -1, 2, -1, 3, -1, 5, -1, 6, -1, 8, -1, 9, -1, 11, -1,  //
                                          0, -1, 2, -1, 3, -1, 5, -1, 6, -1, 8, -1, 9, -1, 11, -1);
    const __m256i k_g = _mm256_setr_epi8(1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1,  //
                                         1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1);
    *br = _mm256_shuffle_epi8(v, k_br);
    *g = _mm256_shuffle_epi8(v, k_g);
}

JPEG_AVX2 __m256i terms8(__m256i br, __m256i g, int32_t k_br, int32_t k_g) {
    return _mm256_add_epi32(_mm256_madd_epi16(br, _mm256_set1_epi32(k_br)),
                            _mm256_madd_epi16(g, _mm256_set1_epi32(k_g)));
}
JPEG_AVX2 __m256i luma8(__m256i br, __m256i g) {
    return _mm256_srai_epi32(_mm256_add_epi32(terms8(br, g, pair16(kYb, kYr), kYg), _mm256_set1_epi32(kLumaBias)),
                             12);
}
template <int SHIFT>
JPEG_AVX2 __m256i rounded8(__m256i v) {
    return _mm256_srai_epi32(_mm256_add_epi32(v, _mm256_set1_epi32(1 << (SHIFT - 1))), SHIFT);
}
template <int SHIFT>
JPEG_AVX2 __m256i cb8(__m256i br, __m256i g) {
    return rounded8<SHIFT>(terms8(br, g, pair16(kCbB, kCbR), kCbG));
}
template <int SHIFT>
JPEG_AVX2 __m256i cr8(__m256i br, __m256i g) {
    return rounded8<SHIFT>(terms8(br, g, pair16(kCrB, kCrR), kCrG));
}
// Sixteen 32-bit values (pixels 0-7 in a, 8-15 in b) stored as 16-bit samples.
JPEG_AVX2 void store16(int16_t* p, __m256i a, __m256i b) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8));
}

__attribute__((target("avx2"))) void ycc_row_avx2(const uint8_t* bgr, int width, int16_t* y, int16_t* cb,
                                                   int16_t* cr) {
    int x = 0;
    for (; x + 18 <= width; x += 16) {
        __m256i br0, g0, br1, g1;
        split8(bgr + 3 * x, &br0, &g0);
        split8(bgr + 3 * x + 24, &br1, &g1);
        store16(y + x, luma8(br0, g0), luma8(br1, g1));
        store16(cb + x, cb8<12>(br0, g0), cb8<12>(br1, g1));
        store16(cr + x, cr8<12>(br0, g0), cr8<12>(br1, g1));
    }
    ycc_row_sse2(bgr + 3 * x, width - x, y + x, cb + x, cr + x);
}

// Sums of horizontal pairs of lanes (pixels 2i and 2i + 1) in lanes 0-3.
JPEG_AVX2 __m256i pair_sums8(__m256i v) {
    const __m256i s = _mm256_add_epi32(v, _mm256_srli_epi64(v, 32));
    return _mm256_permutevar8x32_epi32(s, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
}
// Eight 32-bit values in lanes 0-3 of a and of b stored as 16-bit samples.
JPEG_AVX2 void store8_low(int16_t* p, __m256i a, __m256i b) {
    const __m256i both = _mm256_permute2x128_si256(a, b, 0x20);
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(both, both), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
}

__attribute__((target("avx2"))) void ycc_rows_420_avx2(const uint8_t* row0, const uint8_t* row1, int width,
                                                        int16_t* y0, int16_t* y1, int16_t* cb, int16_t* cr) {
    int x = 0;
    for (; x + 18 <= width; x += 16) {
        __m256i br[4], g[4];  // row 0 pixels 0-7, 8-15; row 1 pixels 0-7, 8-15
        split8(row0 + 3 * x, &br[0], &g[0]);
        split8(row0 + 3 * x + 24, &br[1], &g[1]);
        split8(row1 + 3 * x, &br[2], &g[2]);
        split8(row1 + 3 * x + 24, &br[3], &g[3]);
        store16(y0 + x, luma8(br[0], g[0]), luma8(br[1], g[1]));
        store16(y1 + x, luma8(br[2], g[2]), luma8(br[3], g[3]));
        const __m256i sbr0 = pair_sums8(_mm256_add_epi32(br[0], br[2]));
        const __m256i sg0 = pair_sums8(_mm256_add_epi32(g[0], g[2]));
        const __m256i sbr1 = pair_sums8(_mm256_add_epi32(br[1], br[3]));
        const __m256i sg1 = pair_sums8(_mm256_add_epi32(g[1], g[3]));
        store8_low(cb + x / 2, cb8<14>(sbr0, sg0), cb8<14>(sbr1, sg1));
        store8_low(cr + x / 2, cr8<14>(sbr0, sg0), cr8<14>(sbr1, sg1));
    }
    ycc_rows_420_sse2(row0 + 3 * x, row1 + 3 * x, width - x, y0 + x, y1 + x, cb + x / 2, cr + x / 2);
}

__attribute__((target("avx2"))) void grey_row_avx2(const uint8_t* src, int width, int16_t* y) {
    const __m256i bias = _mm256_set1_epi16(128);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i v = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(y + x), _mm256_sub_epi16(v, bias));
    }
    grey_row_scalar(src + x, width - x, y + x);
}

}  // namespace
#endif

void jpeg_color_kernels(JpegKernelSet set, JpegEncodeKernels* k) {
    k->ycc_row = nullptr;
    k->ycc_rows_420 = nullptr;
    k->grey_row = nullptr;
    if (set == JPEG_KERNELS_SCALAR) *k = JpegEncodeKernels{ycc_row_scalar, ycc_rows_420_scalar, grey_row_scalar, k->fdct_pair};
#ifdef JPEG_YCC_SSE2
    if (set == JPEG_KERNELS_SSE2) *k = JpegEncodeKernels{ycc_row_sse2, ycc_rows_420_sse2, grey_row_sse2, k->fdct_pair};
#endif
#ifdef JPEG_YCC_AVX2
    if (set == JPEG_KERNELS_AVX2) *k = JpegEncodeKernels{ycc_row_avx2, ycc_rows_420_avx2, grey_row_avx2, k->fdct_pair};
#endif
}
