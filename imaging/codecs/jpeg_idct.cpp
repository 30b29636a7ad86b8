// Inverse DCT of the JPEG decoder: the Arai-Agui-Nakajima fast 8 x 8 transform in
// 8-bit fixed point (constants 362, 473, 277, 669 = sqrt 2, 1.847759065,
// 1.082392200, 2.613125930 x 256), columns then rows, with the dequantisation
// folded into the AAN-scaled tables. Output samples go through the range-limit table.
#include "jpeg_state.h"

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

void jpeg_idct_block(const int16_t* coef, const int32_t* quant, const uint8_t* range_limit,
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
