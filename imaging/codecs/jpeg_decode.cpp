// Baseline JPEG decoding (ITU-T T.81 F.2, Huffman-coded sequential DCT with 8-bit
// samples): MCU by MCU through the Huffman look-ups, the inverse DCT (a DC-only
// block skips it) and colour conversion, at full, half or one-eighth size, with
// restart intervals and a stop at the end of the data (-4).
#include <cstring>

#include "jpeg_state.h"

namespace {

struct HuffPair {
    const uint16_t *dc_fast, *dc_full, *ac_fast, *ac_full;
};

enum Size { FULL, HALF, EIGHTH };

struct Baseline {
    JpegDecoderState* s;
    JpegBits bits;
    const JpegOutput* out;
    Size size;
    HuffPair huff[3];
    int32_t pred[3];
    const int32_t* quant[3];
};

// Decodes one block into natural-order `coef` (cleared by the caller); returns 1
// when it has AC coefficients, 0 when DC only, -4 on an undefined code.
inline int decode_block(JpegBits* b, const HuffPair& h, int32_t* pred, int16_t* coef, bool keep_ac) {
    const int s = jpeg_huff_symbol(b, h.dc_fast, h.dc_full, 6, 12);
    if (s < 0 || s > 16) return ERR_DECOMPRESS;
    *pred = (int32_t)((uint32_t)*pred + (uint32_t)jpeg_extend(jpeg_bits_get(b, s), s));  // wraps on absurd data
    coef[0] = (int16_t)*pred;
    int has_ac = 0;
    for (int k = 1; k < 64; ++k) {
        const int sym = jpeg_huff_symbol(b, h.ac_fast, h.ac_full, 8, 16);
        if (sym < 0) return ERR_DECOMPRESS;
        const int run = sym >> 4, size = sym & 15;
        if (size == 0) {
            if (run != 15) break;  // end of block
            k += 15;               // sixteen zeros
            continue;
        }
        k += run;
        const int32_t v = jpeg_extend(jpeg_bits_get(b, size), size);
        if (keep_ac) {
            coef[kJpegZigzag[k > 63 ? 63 : k]] = (int16_t)v;
            has_ac = 1;
        }
    }
    return has_ac;
}

inline uint8_t dc_sample(const Baseline& d, int c, int32_t dc) {
    return d.s->range_limit[(((int64_t)dc * d.quant[c][0]) >> 5) & 1023];
}

// Decodes a block and turns it into samples (or, one-eighth size, its DC sample).
int block_samples(Baseline& d, int c, uint8_t* samples, int16_t* coef) {
    const bool eighth = d.size == EIGHTH;
    std::memset(coef, 0, 64 * sizeof(int16_t));
    const int rc = decode_block(&d.bits, d.huff[c], &d.pred[c], coef, !eighth);
    if (rc < 0) return rc;
    if (eighth) samples[0] = dc_sample(d, c, coef[0]);
    else if (rc == 0) jpeg_idct_dc(coef[0], d.quant[c], d.s->range_limit, samples);
    else jpeg_idct_block(coef, d.quant[c], d.s->range_limit, samples);
    return IMG_OK;
}

void restart_step(Baseline& d) {
    JpegDecoderState* s = d.s;
    if (!s->restart_interval || --s->restart_countdown > 0) return;
    s->restart_countdown = s->restart_interval;
    d.pred[0] = d.pred[1] = d.pred[2] = 0;
    jpeg_bits_align(&d.bits);
}

int decode_grey(Baseline& d, int blocks_x, int blocks_y) {
    alignas(16) uint8_t samples[64];
    alignas(16) int16_t coef[64];
    for (int by = 0; by < blocks_y; ++by)
        for (int bx = 0; bx < blocks_x; ++bx) {
            jpeg_input_advance(d.bits.in);
            if (int rc = block_samples(d, 0, samples, coef)) return rc;
            if (jpeg_bits_overrun(&d.bits)) return ERR_DECOMPRESS;
            if (d.size == EIGHTH) jpeg_put_pixel(d.s, d.out, bx, by, samples[0], 128, 128);
            else if (d.size == HALF) jpeg_put_grey_block(d.out, samples, bx * 4, by * 4, true);
            else jpeg_put_grey_block(d.out, samples, bx * 8, by * 8, false);
            restart_step(d);
        }
    return IMG_OK;
}

int decode_colour(Baseline& d, const JpegFrameGeometry& g) {
    alignas(16) uint8_t y[4 * 64], cb[64], cr[64];
    alignas(16) int16_t coef[64];
    const int bx = g.mcu_w / 8;
    for (int my = 0; my < g.mcus_y; ++my)
        for (int mx = 0; mx < g.mcus_x; ++mx) {
            jpeg_input_advance(d.bits.in);
            for (int i = 0; i < g.luma_blocks; ++i)
                if (int rc = block_samples(d, 0, y + 64 * i, coef)) return rc;
            if (int rc = block_samples(d, 1, cb, coef)) return rc;
            if (int rc = block_samples(d, 2, cr, coef)) return rc;
            if (jpeg_bits_overrun(&d.bits)) return ERR_DECOMPRESS;
            if (d.size == EIGHTH) {
                for (int i = 0; i < g.luma_blocks; ++i)
                    jpeg_put_pixel(d.s, d.out, mx * bx + i % bx, my * (g.mcu_h / 8) + i / bx, y[64 * i], cb[0], cr[0]);
            } else {
                const int shift = d.size == HALF ? 1 : 0;
                jpeg_put_mcu(d.s, d.out, y, cb, cr, (mx * g.mcu_w) >> shift, (my * g.mcu_h) >> shift, shift);
            }
            restart_step(d);
        }
    return IMG_OK;
}

}  // namespace

int jpeg_geometry(const JpegDecoderState* s, JpegFrameGeometry* g) {
    if (s->component_count == 1) {
        *g = JpegFrameGeometry{8, 8, (s->width + 7) / 8, (s->height + 7) / 8, 1};
        return IMG_OK;
    }
    const int h = s->sampling >> 4, v = s->sampling & 15;
    if (h < 1 || h > 2 || v < 1 || v > 2) return ERR_UNSUPPORTED;
    for (int c = 1; c < 3; ++c)
        if (s->comp[c].h != 1 || s->comp[c].v != 1) return ERR_UNSUPPORTED;
    g->mcu_w = 8 * h;
    g->mcu_h = 8 * v;
    g->mcus_x = (s->width + g->mcu_w - 1) / g->mcu_w;
    g->mcus_y = (s->height + g->mcu_h - 1) / g->mcu_h;
    g->luma_blocks = h * v;
    return IMG_OK;
}

int jpeg_decode_baseline(JpegDecoderState* s, JpegInput* in, const JpegOutput* out) {
    JpegFrameGeometry g;
    if (int rc = jpeg_geometry(s, &g)) return rc;
    Baseline d{};
    d.s = s;
    d.bits.in = in;
    d.out = out;
    d.size = (s->options & (JPEG_EIGHTH | JPEG_THUMBNAIL)) ? EIGHTH : (s->options & JPEG_HALF) ? HALF : FULL;
    const bool grey = s->component_count == 1;
    if (!grey && s->scan_components != 3) return ERR_UNSUPPORTED;  // one scan per component
    for (int c = 0; c < (grey ? 1 : 3); ++c) {
        const int dc = grey ? 0 : s->comp[c].dc_table, ac = grey ? 0 : s->comp[c].ac_table;
        d.huff[c] = HuffPair{s->dc_fast[dc], s->dc_full[dc], s->ac_fast[ac], s->ac_full[ac]};
        if (!d.huff[c].dc_fast || !d.huff[c].ac_fast) return ERR_BAD_HEADER;
        d.quant[c] = s->dequant[c == 0 ? 0 : 1];
    }
    s->restart_countdown = s->restart_interval;
    jpeg_bits_fill(&d.bits);
    return grey ? decode_grey(d, g.mcus_x, g.mcus_y) : decode_colour(d, g);
}
