// Colour output of the JPEG decoder: YCbCr to RGB in 12-bit fixed point with the
// conversion terms and the clamp (24-bit, stored blue-green-red) or RGB565 tables
// looked up per value (T.81 with the JFIF colour space); chroma sampled 1x1, 1x2,
// 2x1 or 2x2 against luma, replicated at full size and averaged at half size.
#include "jpeg_state.h"

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

template <int BPP>
void put_full(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
              const uint8_t* cr, int x0, int y0) {
    const McuShape m = shape_of(s->sampling);
    const JpegColorTerms& t = jpeg_color_terms();
    const int w = (8 << m.hs) < out->width - x0 ? (8 << m.hs) : out->width - x0;
    const int h = (8 << m.vs) < out->height - y0 ? (8 << m.vs) : out->height - y0;
    for (int py = 0; py < h; ++py) {
        uint8_t* p = out->pixels + (size_t)(y0 + py) * out->pitch + (size_t)x0 * (BPP / 8);
        const int crow = (py >> m.vs) * 8;
        for (int px = 0; px < w; ++px, p += BPP / 8) {
            const int c = crow + (px >> m.hs);
            put_rgb<BPP>(s, t, p, luma_at(y, m, px, py) << 12, cb[c], cr[c]);
        }
    }
}

template <int BPP>
void put_half(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
              const uint8_t* cr, int x0, int y0) {
    const McuShape m = shape_of(s->sampling);
    const JpegColorTerms& t = jpeg_color_terms();
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
            put_rgb<BPP>(s, t, p, sum << 10, sb >> shift, sr >> shift);
        }
    }
}

}  // namespace

void jpeg_put_mcu(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y, const uint8_t* cb,
                  const uint8_t* cr, int x0, int y0, bool half) {
    if (out->bpp == 24) (half ? put_half<24> : put_full<24>)(s, out, y, cb, cr, x0, y0);
    else (half ? put_half<16> : put_full<16>)(s, out, y, cb, cr, x0, y0);
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
    else if (out->bpp == 24) put_rgb<24>(s, jpeg_color_terms(), p + 3 * (size_t)x, lum << 12, cb, cr);
    else put_rgb<16>(s, jpeg_color_terms(), p + 2 * (size_t)x, lum << 12, cb, cr);
}
