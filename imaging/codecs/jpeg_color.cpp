// Colour output of the JPEG decoder: YCbCr to RGB in 12-bit fixed point with the
// conversion terms and the clamp (24-bit, stored blue-green-red) or RGB565 tables
// looked up per value (T.81 with the JFIF colour space); chroma sampled 1x1, 1x2,
// 2x1 or 2x2 against luma, replicated at full size and averaged at half size.
// With SSE2 a row of an MCU is converted eight pixels at a time with the same
// integer arithmetic (the clamp table's values are computed, not looked up).
// Streams whose three components are red, green and blue themselves (an Adobe APP14
// transform 0, or identifiers 'R', 'G', 'B') skip the conversion: the same sampling
// rules apply, with green and blue in the places of Cb and Cr.
#include <cstring>

#include "codecs/jpeg_state.h"

#if defined(__SSE2__) || defined(_M_X64)
#define JPEG_COLOR_SSE2 1
#include <emmintrin.h>
#endif

namespace {

// Writes one pixel from Y' (Y with 12 fractional bits) and chroma samples.
template <int BPP>
inline void put_rgb(const JpegDecoderState* s, const JpegColorTerms& t, uint8_t* p, int32_t yy, int cb, int cr) {
    const int r = ((yy + t.r_cr[cr]) >> 12) & 1023;
    const int g = ((yy + t.g_cb[cb] + t.g_cr[cr]) >> 12) & 1023;
    const int b = ((yy + t.b_cb[cb]) >> 12) & 1023;
    if constexpr (BPP == 24) {
        p[0] = s->color_clamp[b];
        p[1] = s->color_clamp[g];
        p[2] = s->color_clamp[r];
    } else {
        const uint16_t v = (uint16_t)(s->rgb565[0][r] | s->rgb565[1][g] | s->rgb565[2][b]);
        p[0] = (uint8_t)v;
        p[1] = (uint8_t)(v >> 8);
    }
}

// Writes one pixel from red, green and blue samples (0..255) as they are.
template <int BPP>
inline void put_plain(const JpegDecoderState* s, uint8_t* p, int r, int g, int b) {
    if constexpr (BPP == 24) {
        p[0] = (uint8_t)b;
        p[1] = (uint8_t)g;
        p[2] = (uint8_t)r;
    } else {
        const uint16_t v = (uint16_t)(s->rgb565[0][r] | s->rgb565[1][g] | s->rgb565[2][b]);
        p[0] = (uint8_t)v;
        p[1] = (uint8_t)(v >> 8);
    }
}

struct McuShape {
    int hs, vs;       // chroma shift: 1 when luma has two blocks in that direction
    int blocks_x;     // luma blocks across
};

McuShape shape_of(uint8_t sampling) {
    const int h = sampling >> 4, v = sampling & 15;
    return McuShape{h == 2 ? 1 : 0, v == 2 ? 1 : 0, h == 2 ? 2 : 1};
}

inline int luma_at(const uint8_t* y, const McuShape& m, int px, int py) {
    return y[((py >> 3) * m.blocks_x + (px >> 3)) * 64 + (py & 7) * 8 + (px & 7)];
}

// PLAIN: the three planes are red, green and blue, written as they are.
template <int BPP, bool PLAIN = false>
void put_full_scalar(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
              const uint8_t* cr, int x0, int y0) {
    const McuShape m = shape_of(s->sampling);
    [[maybe_unused]] const JpegColorTerms& t = jpeg_color_terms();
    const int w = (8 << m.hs) < out->width - x0 ? (8 << m.hs) : out->width - x0;
    const int h = (8 << m.vs) < out->height - y0 ? (8 << m.vs) : out->height - y0;
    for (int py = 0; py < h; ++py) {
        uint8_t* p = out->pixels + (size_t)(y0 + py) * out->pitch + (size_t)x0 * (BPP / 8);
        const int crow = (py >> m.vs) * 8;
        for (int px = 0; px < w; ++px, p += BPP / 8) {
            const int c = crow + (px >> m.hs);
            if constexpr (PLAIN) put_plain<BPP>(s, p, luma_at(y, m, px, py), cb[c], cr[c]);
            else put_rgb<BPP>(s, t, p, luma_at(y, m, px, py) << 12, cb[c], cr[c]);
        }
    }
}

template <int BPP, bool PLAIN = false>
void put_half_scalar(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
              const uint8_t* cr, int x0, int y0) {
    const McuShape m = shape_of(s->sampling);
    [[maybe_unused]] const JpegColorTerms& t = jpeg_color_terms();
    const int nx = 2 >> m.hs, ny = 2 >> m.vs, shift = (1 - m.hs) + (1 - m.vs);
    const int w = (4 << m.hs) < out->width - x0 ? (4 << m.hs) : out->width - x0;
    const int h = (4 << m.vs) < out->height - y0 ? (4 << m.vs) : out->height - y0;
    for (int oy = 0; oy < h; ++oy) {
        uint8_t* p = out->pixels + (size_t)(y0 + oy) * out->pitch + (size_t)x0 * (BPP / 8);
        for (int ox = 0; ox < w; ++ox, p += BPP / 8) {
            const int px = 2 * ox, py = 2 * oy;
            const int sum = luma_at(y, m, px, py) + luma_at(y, m, px + 1, py) + luma_at(y, m, px, py + 1) +
                            luma_at(y, m, px + 1, py + 1);
            const int cx = px >> m.hs, cy = py >> m.vs;
            int sb = 0, sr = 0;
            for (int j = 0; j < ny; ++j)
                for (int i = 0; i < nx; ++i) {
                    sb += cb[(cy + j) * 8 + cx + i];
                    sr += cr[(cy + j) * 8 + cx + i];
                }
            if constexpr (PLAIN) put_plain<BPP>(s, p, sum >> 2, sb >> shift, sr >> shift);
            else put_rgb<BPP>(s, t, p, sum << 10, sb >> shift, sr >> shift);
        }
    }
}

#ifdef JPEG_COLOR_SSE2
// ---- Vector conversion ------------------------------------------------------------

// Two 16-bit factors side by side, for _mm_madd_epi16 over (a, b) lane pairs.
inline __m128i pair(int a, int b) { return _mm_set1_epi32((int32_t)((uint32_t)(uint16_t)b << 16 | (uint16_t)a)); }

// (v >> 12) & 1023 read through the clamp table is the low 10 bits of v >> 12 read as
// a signed number, clamped to 0..255; here as 16-bit lanes still to be clamped.
inline __m128i wrapped(__m128i lo, __m128i hi) {
    return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(lo, 10), 22), _mm_srai_epi32(_mm_slli_epi32(hi, 10), 22));
}

struct Rgb {
    __m128i r, g, b;  // 16-bit lanes, -512..511
};

// Eight pixels from 16-bit lanes of luma (times `ky`: 4096, or 1024 for a sum of
// four), Cb and Cr: the arithmetic of put_rgb.
inline Rgb convert8(__m128i y, __m128i cb, __m128i cr, int ky) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i ycr_lo = _mm_unpacklo_epi16(y, cr), ycr_hi = _mm_unpackhi_epi16(y, cr);
    const __m128i ycb_lo = _mm_unpacklo_epi16(y, cb), ycb_hi = _mm_unpackhi_epi16(y, cb);
    const __m128i cr_lo = _mm_unpacklo_epi16(cr, zero), cr_hi = _mm_unpackhi_epi16(cr, zero);
    const __m128i kr = pair(ky, 5742), kg = pair(ky, -1409), kgr = pair(-2925, 0), kb = pair(ky, 7258);
    const __m128i cr0 = _mm_set1_epi32(-734976), cg0 = _mm_set1_epi32(554752), cb0 = _mm_set1_epi32(-929024);
    Rgb o;
    o.r = wrapped(_mm_add_epi32(_mm_madd_epi16(ycr_lo, kr), cr0), _mm_add_epi32(_mm_madd_epi16(ycr_hi, kr), cr0));
    o.g = wrapped(_mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(ycb_lo, kg), _mm_madd_epi16(cr_lo, kgr)), cg0),
                  _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(ycb_hi, kg), _mm_madd_epi16(cr_hi, kgr)), cg0));
    o.b = wrapped(_mm_add_epi32(_mm_madd_epi16(ycb_lo, kb), cb0), _mm_add_epi32(_mm_madd_epi16(ycb_hi, kb), cb0));
    return o;
}

// Four pixels of blue, green, red and a zero byte (32-bit lanes) as 12 bytes of
// blue-green-red triples, followed by four zero bytes.
inline __m128i packed_bgr(__m128i px) {
    const __m128i even = _mm_set_epi32(0, -1, 0, -1), first6 = _mm_set_epi32(0, 0, 0xFFFF, -1);
    // Each 64-bit half: pixel a | pixel b << 32 becomes a | b << 24 (six bytes).
    const __m128i six = _mm_or_si128(_mm_and_si128(px, even), _mm_srli_epi64(_mm_andnot_si128(even, px), 8));
    // The second half's six bytes move down to follow the first half's.
    return _mm_or_si128(_mm_and_si128(six, first6), _mm_srli_si128(_mm_andnot_si128(first6, six), 2));
}

// Writes the first `w` (1..8) of eight converted pixels at `p`.
template <int BPP>
inline void store8(const Rgb& c, int w, uint8_t* p) {
    const __m128i zero = _mm_setzero_si128();
    if constexpr (BPP == 24) {
        // Blue, green, red and a spare byte per pixel; each pixel is stored as four
        // bytes whose spare byte the next pixel overwrites, the last one as three.
        const __m128i r = _mm_packus_epi16(c.r, zero), g = _mm_packus_epi16(c.g, zero), b = _mm_packus_epi16(c.b, zero);
        const __m128i bg = _mm_unpacklo_epi8(b, g), r0 = _mm_unpacklo_epi8(r, zero);
        const __m128i lo = _mm_unpacklo_epi16(bg, r0), hi = _mm_unpackhi_epi16(bg, r0);
        if (w == 8) {
            // Eight whole pixels: 24 bytes, the first 12 with a 16-byte store that the
            // second group overwrites, the second as 8 and 4 bytes (nothing past them).
            const __m128i b1 = packed_bgr(hi);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), packed_bgr(lo));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 12), b1);
            const uint32_t tail = (uint32_t)_mm_cvtsi128_si32(_mm_srli_si128(b1, 8));
            std::memcpy(p + 20, &tail, 4);
            return;
        }
        alignas(16) uint32_t px[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(px), lo);
        _mm_store_si128(reinterpret_cast<__m128i*>(px + 4), hi);
        for (int i = 0; i < w - 1; ++i) std::memcpy(p + 3 * i, px + i, 4);
        std::memcpy(p + 3 * (w - 1), px + (w - 1), 3);
    } else {
        const __m128i top = _mm_set1_epi16(255);
        const __m128i r = _mm_min_epi16(_mm_max_epi16(c.r, zero), top), g = _mm_min_epi16(_mm_max_epi16(c.g, zero), top),
                      b = _mm_min_epi16(_mm_max_epi16(c.b, zero), top);
        const __m128i v = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_srli_epi16(r, 3), 11), _mm_slli_epi16(_mm_srli_epi16(g, 2), 5)),
                                       _mm_srli_epi16(b, 3));
        if (w == 8) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
            return;
        }
        alignas(16) uint16_t px[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(px), v);
        std::memcpy(p, px, 2 * (size_t)w);
    }
}

inline __m128i load8(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }

template <int BPP>
void put_full(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
              const uint8_t* cr, int x0, int y0) {
    const McuShape m = shape_of(s->sampling);
    const int w = (8 << m.hs) < out->width - x0 ? (8 << m.hs) : out->width - x0;
    const int h = (8 << m.vs) < out->height - y0 ? (8 << m.vs) : out->height - y0;
    if (w <= 0) return;
    const __m128i zero = _mm_setzero_si128();
    for (int py = 0; py < h; ++py) {
        uint8_t* p = out->pixels + (size_t)(y0 + py) * out->pitch + (size_t)x0 * (BPP / 8);
        const uint8_t* yrow = y + (py >> 3) * m.blocks_x * 64 + (py & 7) * 8;
        const int crow = (py >> m.vs) * 8;
        __m128i cb8 = load8(cb + crow), cr8 = load8(cr + crow);
        if (m.hs) cb8 = _mm_unpacklo_epi8(cb8, cb8), cr8 = _mm_unpacklo_epi8(cr8, cr8);  // one per two pixels
        for (int half = 0; half <= m.hs && 8 * half < w; ++half) {
            const __m128i y16 = _mm_unpacklo_epi8(load8(yrow + 64 * half), zero);
            const __m128i cb16 = half ? _mm_unpackhi_epi8(cb8, zero) : _mm_unpacklo_epi8(cb8, zero);
            const __m128i cr16 = half ? _mm_unpackhi_epi8(cr8, zero) : _mm_unpacklo_epi8(cr8, zero);
            const int n = w - 8 * half < 8 ? w - 8 * half : 8;
            store8<BPP>(convert8(y16, cb16, cr16, 4096), n, p + 8 * half * (BPP / 8));
        }
    }
}

// Half size of a 2x2-sampled MCU: output row oy takes luma rows 2 oy and 2 oy + 1
// (summed in pairs across) and chroma row oy as it is.
template <int BPP>
void put_half_420(const JpegOutput* out, const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int x0, int y0, int w,
                  int h) {
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(1);
    for (int oy = 0; oy < h; ++oy) {
        const uint8_t* top = y + (oy >> 2) * 128 + (2 * oy & 7) * 8;  // left block's row; the right block is 64 on
        const __m128i left = _mm_add_epi16(_mm_unpacklo_epi8(load8(top), zero), _mm_unpacklo_epi8(load8(top + 8), zero));
        const __m128i right = _mm_add_epi16(_mm_unpacklo_epi8(load8(top + 64), zero), _mm_unpacklo_epi8(load8(top + 72), zero));
        const __m128i sums = _mm_packs_epi32(_mm_madd_epi16(left, ones), _mm_madd_epi16(right, ones));
        const __m128i cb16 = _mm_unpacklo_epi8(load8(cb + 8 * oy), zero), cr16 = _mm_unpacklo_epi8(load8(cr + 8 * oy), zero);
        uint8_t* p = out->pixels + (size_t)(y0 + oy) * out->pitch + (size_t)x0 * (BPP / 8);
        store8<BPP>(convert8(sums, cb16, cr16, 1024), w, p);
    }
}

// Half size: the sums of luma and the chroma means of a row are gathered as the
// scalar version forms them, then converted eight pixels at a time.
template <int BPP>
void put_half(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
              const uint8_t* cr, int x0, int y0) {
    const McuShape m = shape_of(s->sampling);
    const int nx = 2 >> m.hs, ny = 2 >> m.vs, shift = (1 - m.hs) + (1 - m.vs);
    const int w = (4 << m.hs) < out->width - x0 ? (4 << m.hs) : out->width - x0;
    const int h = (4 << m.vs) < out->height - y0 ? (4 << m.vs) : out->height - y0;
    if (w <= 0) return;
    if (m.hs && m.vs) return put_half_420<BPP>(out, y, cb, cr, x0, y0, w, h);
    for (int oy = 0; oy < h; ++oy) {
        alignas(16) int16_t ys[8] = {}, cbs[8] = {}, crs[8] = {};
        for (int ox = 0; ox < w; ++ox) {
            const int px = 2 * ox, py = 2 * oy;
            ys[ox] = (int16_t)(luma_at(y, m, px, py) + luma_at(y, m, px + 1, py) + luma_at(y, m, px, py + 1) +
                               luma_at(y, m, px + 1, py + 1));
            const int cx = px >> m.hs, cy = py >> m.vs;
            int sb = 0, sr = 0;
            for (int j = 0; j < ny; ++j)
                for (int i = 0; i < nx; ++i) {
                    sb += cb[(cy + j) * 8 + cx + i];
                    sr += cr[(cy + j) * 8 + cx + i];
                }
            cbs[ox] = (int16_t)(sb >> shift);
            crs[ox] = (int16_t)(sr >> shift);
        }
        const auto load = [](const int16_t* v) { return _mm_load_si128(reinterpret_cast<const __m128i*>(v)); };
        uint8_t* p = out->pixels + (size_t)(y0 + oy) * out->pitch + (size_t)x0 * (BPP / 8);
        store8<BPP>(convert8(load(ys), load(cbs), load(crs), 1024), w, p);
    }
}
#else
template <int BPP>
void put_full(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
              const uint8_t* cr, int x0, int y0) {
    put_full_scalar<BPP>(s, out, y, cb, cr, x0, y0);
}
template <int BPP>
void put_half(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
              const uint8_t* cr, int x0, int y0) {
    put_half_scalar<BPP>(s, out, y, cb, cr, x0, y0);
}
#endif

}  // namespace

void jpeg_put_mcu(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
                  const uint8_t* cr, int x0, int y0, bool half) {
    if (s->rgb_components) {
        if (out->bpp == 24) (half ? put_half_scalar<24, true> : put_full_scalar<24, true>)(s, out, y, cb, cr, x0, y0);
        else (half ? put_half_scalar<16, true> : put_full_scalar<16, true>)(s, out, y, cb, cr, x0, y0);
        return;
    }
    if (out->bpp == 24) (half ? put_half<24> : put_full<24>)(s, out, y, cb, cr, x0, y0);
    else (half ? put_half<16> : put_full<16>)(s, out, y, cb, cr, x0, y0);
}

void jpeg_put_mcu_scalar(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
                         const uint8_t* cr, int x0, int y0, bool half) {
    if (out->bpp == 24) (half ? put_half_scalar<24> : put_full_scalar<24>)(s, out, y, cb, cr, x0, y0);
    else (half ? put_half_scalar<16> : put_full_scalar<16>)(s, out, y, cb, cr, x0, y0);
}

void jpeg_put_grey_block(const JpegOutput* out, const uint8_t* samples, int x0, int y0, bool half) {
    const int side = half ? 4 : 8;
    const int w = side < out->width - x0 ? side : out->width - x0;
    const int h = side < out->height - y0 ? side : out->height - y0;
    for (int r = 0; r < h; ++r) {
        uint8_t* p = out->pixels + (size_t)(y0 + r) * out->pitch + x0;
        if (!half) {
            for (int c = 0; c < w; ++c) p[c] = samples[r * 8 + c];
            continue;
        }
        const uint8_t* a = samples + 16 * r;
        for (int c = 0; c < w; ++c) p[c] = (uint8_t)((a[2 * c] + a[2 * c + 1] + a[8 + 2 * c] + a[9 + 2 * c]) >> 2);
    }
}

void jpeg_put_pixel(const JpegDecoderState* s, const JpegOutput* out, int x, int y, int lum, int cb, int cr) {
    if (x >= out->width || y >= out->height) return;
    uint8_t* p = out->pixels + (size_t)y * out->pitch;
    if (out->bpp == 8) p[x] = (uint8_t)lum;
    else if (s->rgb_components && out->bpp == 24) put_plain<24>(s, p + 3 * (size_t)x, lum, cb, cr);
    else if (s->rgb_components) put_plain<16>(s, p + 2 * (size_t)x, lum, cb, cr);
    else if (out->bpp == 24) put_rgb<24>(s, jpeg_color_terms(), p + 3 * (size_t)x, lum << 12, cb, cr);
    else put_rgb<16>(s, jpeg_color_terms(), p + 2 * (size_t)x, lum << 12, cb, cr);
}

void jpeg_put_eighth_mcu(const JpegDecoderState* s, const JpegOutput* out, int x0, int y0, int nx, int ny,
                         const uint8_t* lum, int cb, int cr) {
    const JpegColorTerms& t = jpeg_color_terms();
    for (int j = 0; j < ny && y0 + j < out->height; ++j) {
        uint8_t* row = out->pixels + (size_t)(y0 + j) * out->pitch;
        for (int i = 0; i < nx && x0 + i < out->width; ++i) {
            if (s->rgb_components)
                jpeg_put_pixel(s, out, x0 + i, y0 + j, lum[j * nx + i], cb, cr);
            else if (out->bpp == 24) put_rgb<24>(s, t, row + 3 * (size_t)(x0 + i), lum[j * nx + i] << 12, cb, cr);
            else put_rgb<16>(s, t, row + 2 * (size_t)(x0 + i), lum[j * nx + i] << 12, cb, cr);
        }
    }
}
