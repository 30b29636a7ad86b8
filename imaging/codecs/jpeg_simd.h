// Vector pieces shared by the JPEG transforms: the 8 x 8 transpose of 16-bit values,
// written once for 128-bit vectors and for 256-bit ones (whose unpack instructions
// transpose the two 128-bit halves each on its own).
#pragma once

// Transposes the 8 x 8 block held as eight vectors of rows r[0..7], with the
// instruction set's unpack operations of 16-, 32- and 64-bit elements.
#define JPEG_TRANSPOSE_8X8_16(V, r, LO16, HI16, LO32, HI32, LO64, HI64)       \
    do {                                                                      \
        const V a0 = LO16(r[0], r[1]), a1 = HI16(r[0], r[1]);                 \
        const V a2 = LO16(r[2], r[3]), a3 = HI16(r[2], r[3]);                 \
        const V a4 = LO16(r[4], r[5]), a5 = HI16(r[4], r[5]);                 \
        const V a6 = LO16(r[6], r[7]), a7 = HI16(r[6], r[7]);                 \
        const V b0 = LO32(a0, a2), b1 = HI32(a0, a2);                         \
        const V b2 = LO32(a1, a3), b3 = HI32(a1, a3);                         \
        const V b4 = LO32(a4, a6), b5 = HI32(a4, a6);                         \
        const V b6 = LO32(a5, a7), b7 = HI32(a5, a7);                         \
        r[0] = LO64(b0, b4), r[1] = HI64(b0, b4);                             \
        r[2] = LO64(b1, b5), r[3] = HI64(b1, b5);                             \
        r[4] = LO64(b2, b6), r[5] = HI64(b2, b6);                             \
        r[6] = LO64(b3, b7), r[7] = HI64(b3, b7);                             \
    } while (0)

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>

inline void jpeg_transpose8x8_sse2(__m128i r[8]) {
    JPEG_TRANSPOSE_8X8_16(__m128i, r, _mm_unpacklo_epi16, _mm_unpackhi_epi16, _mm_unpacklo_epi32,
                          _mm_unpackhi_epi32, _mm_unpacklo_epi64, _mm_unpackhi_epi64);
}
#endif
