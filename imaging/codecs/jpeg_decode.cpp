// Baseline JPEG decoding (ITU-T T.81 F.2, Huffman-coded sequential DCT with 8-bit
// samples): MCU by MCU through the Huffman look-ups, the inverse DCT (a DC-only
// block skips it) and colour conversion, at full, half or one-eighth size, with
// restart intervals and a stop at the end of the data (-4).
#include <cstring>

#include "codecs/jpeg_state.h"

namespace {

struct HuffPair {
    const uint16_t *dc_fast, *dc_full, *ac_fast, *ac_full;
    const int32_t *dc_ahead, *ac_ahead;
    const uint16_t* ac_skip;
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
    int table[3];  // the quantisation table each component selects
};

inline uint32_t next_bits(const JpegBits* b) { return (uint32_t)(b->acc >> (64 - JPEG_AHEAD_BITS)); }

// The DC difference; false on an undefined code.
JPEG_INLINE bool dc_difference(JpegBits* b, const HuffPair& h, int32_t* diff) {
    if (b->bits < 32) jpeg_bits_fill(b);
    const int32_t e = h.dc_ahead[next_bits(b)];
    if (e) {
        jpeg_bits_skip(b, e & 0xFF);
        *diff = e >> 16;
        return true;
    }
    const int s = jpeg_huff_symbol(b, h.dc_fast, h.dc_full, 6, 12);
    if (s < 0 || s > 16) return false;
    *diff = jpeg_extend(jpeg_bits_get(b, s), s);
    return true;
}

// One AC symbol and its value: *run is the zero run (JPEG_AHEAD_END ends the block),
// *value the coefficient (0 for sixteen zeros). False on an undefined code.
JPEG_INLINE bool ac_coefficient(JpegBits* b, const HuffPair& h, int* run, int32_t* value) {
    if (b->bits < 32) jpeg_bits_fill(b);
    const int32_t e = h.ac_ahead[next_bits(b)];
    if (e) {
        jpeg_bits_skip(b, e & 0xFF);
        *run = (e >> 8) & 0xFF;
        *value = e >> 16;
        return true;
    }
    const int sym = jpeg_huff_symbol(b, h.ac_fast, h.ac_full, 8, 16);
    if (sym < 0) return false;
    const int r = sym >> 4, size = sym & 15;
    *run = size == 0 && r != 15 ? JPEG_AHEAD_END : r;
    *value = jpeg_extend(jpeg_bits_get(b, size), size);
    return true;
}

// Decodes one block into natural-order `coef` (cleared by the caller); returns 1
// when it has AC coefficients, 0 when DC only, -4 on an undefined code. Coefficients
// past the end of the block land on its last position.
JPEG_INLINE int decode_block_with(JpegBits* b, const HuffPair& h, int32_t* pred, int16_t* coef, bool keep_ac) {
    int32_t diff = 0;
    if (!dc_difference(b, h, &diff)) return ERR_DECOMPRESS;
    *pred = (int32_t)((uint32_t)*pred + (uint32_t)diff);  // wraps on absurd data
    coef[0] = (int16_t)*pred;
    int has_ac = 0;
    for (int k = 1; k < 64; ++k) {
        int run = 0;
        int32_t v = 0;
        if (!ac_coefficient(b, h, &run, &v)) return ERR_DECOMPRESS;
        k += run;
        if (v == 0 || !keep_ac) continue;  // end of block, sixteen zeros, or not kept
        coef[kJpegZigzag[k > 63 ? 63 : k]] = (int16_t)v;
        has_ac = 1;
    }
    return has_ac;
}

// Skips the AC codes of a block (one-eighth size), several at a time while they stay
// clear of the block's end, stopping at the end of the block.
JPEG_INLINE bool skip_ac(JpegBits* b, const HuffPair& h) {
    int k = 1;
    while (k < 64) {
        if (b->bits < 32) jpeg_bits_fill(b);
        const uint32_t e = h.ac_skip[b->acc >> (64 - JPEG_SKIP_BITS)];
        if (e && k + (int)((e >> 6) & 63) < 64) {
            jpeg_bits_skip(b, (int)(e >> 12));
            const int last = (int)(e & 63);
            k += (int)((e >> 6) & 63) + (last ? last : 64);
            continue;
        }
        int run = 0;
        int32_t v = 0;
        if (!ac_coefficient(b, h, &run, &v)) return false;
        k += run + 1;
    }
    return true;
}

// An MCU's blocks in order: the component of each.
struct McuBlocks {
    int count;
    int comp[6];
};

// Decodes the blocks of one MCU into coef (64 each, natural order); ac[i] tells whether
// block i has AC coefficients.
// The bit window and the input position are worked on in local copies (see
// LocalBits), which the compiler keeps in registers.
struct LocalBits {
    JpegInput in;
    JpegBits b;
    JpegBits* home;
    explicit LocalBits(JpegBits* from) : in(*from->in), b(*from), home(from) { b.in = &in; }
    ~LocalBits() {
        home->in->pos = in.pos;
        JpegInput* const real = home->in;
        *home = b;
        home->in = real;
    }
};

int decode_mcu(Baseline& d, const McuBlocks& m, int16_t* coef, int* ac) {
    LocalBits local(&d.bits);
    JpegBits& b = local.b;
    int rc = IMG_OK;
    std::memset(coef, 0, (size_t)m.count * 64 * sizeof(int16_t));
    for (int i = 0; i < m.count; ++i) {
        const int c = m.comp[i];
        const int r = decode_block_with(&b, d.huff[c], &d.pred[c], coef + 64 * i, true);
        if (r < 0) {
            rc = r;
            break;
        }
        ac[i] = r;
    }
    return rc;
}

// One-eighth size: only the DC value of each block of the MCU.
int decode_mcu_dc(Baseline& d, const McuBlocks& m, int32_t* dc) {
    LocalBits local(&d.bits);
    JpegBits& b = local.b;
    int rc = IMG_OK;
    for (int i = 0; i < m.count; ++i) {
        const int c = m.comp[i];
        int32_t diff = 0;
        if (!dc_difference(&b, d.huff[c], &diff) || !skip_ac(&b, d.huff[c])) {
            rc = ERR_DECOMPRESS;
            break;
        }
        d.pred[c] = (int32_t)((uint32_t)d.pred[c] + (uint32_t)diff);  // wraps on absurd data
        dc[i] = (int16_t)d.pred[c];
    }
    return rc;
}

inline uint8_t dc_sample(const Baseline& d, int c, int32_t dc) {
    return d.s->range_limit[(((int64_t)dc * d.quant[c][0]) >> 5) & 1023];
}

// Samples of block i of an MCU decoded by decode_mcu.
inline void block_samples(const Baseline& d, int c, const int16_t* coef, int ac, uint8_t* samples) {
    if (ac) jpeg_idct_block(coef, d.s, d.table[c], samples);
    else jpeg_idct_dc(coef[0], d.quant[c], d.s->range_limit, samples);
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
    const McuBlocks m{1, {0}};
    for (int by = 0; by < blocks_y; ++by)
        for (int bx = 0; bx < blocks_x; ++bx) {
            jpeg_input_advance(d.bits.in);
            int32_t dc = 0;
            int ac = 0;
            if (int rc = d.size == EIGHTH ? decode_mcu_dc(d, m, &dc) : decode_mcu(d, m, coef, &ac)) return rc;
            if (jpeg_bits_overrun(&d.bits)) return ERR_DECOMPRESS;
            if (d.size == EIGHTH) {
                jpeg_put_pixel(d.s, d.out, bx, by, dc_sample(d, 0, dc), 128, 128);
            } else {
                block_samples(d, 0, coef, ac, samples);
                jpeg_put_grey_block(d.out, samples, bx * (d.size == HALF ? 4 : 8), by * (d.size == HALF ? 4 : 8), d.size == HALF);
            }
            restart_step(d);
        }
    return IMG_OK;
}

// One-eighth size: each luma block is one pixel; the MCU's chroma is shared by them.
void put_eighth_mcu(const Baseline& d, const JpegFrameGeometry& g, int mx, int my, const int32_t* dc) {
    const int bx = g.mcu_w / 8, by = g.mcu_h / 8, n = g.luma_blocks;
    uint8_t lum[4];
    for (int i = 0; i < n; ++i) lum[i] = dc_sample(d, 0, dc[i]);
    jpeg_put_eighth_mcu(d.s, d.out, mx * bx, my * by, bx, by, lum, dc_sample(d, 1, dc[n]), dc_sample(d, 2, dc[n + 1]));
}

int decode_colour(Baseline& d, const JpegFrameGeometry& g) {
    alignas(16) uint8_t y[4 * 64], cb[64], cr[64];
    alignas(16) int16_t coef[6 * 64];
    int ac[6] = {};
    int32_t dc[6] = {};
    McuBlocks m{g.luma_blocks + 2, {0, 0, 0, 0, 0, 0}};
    m.comp[g.luma_blocks] = 1;
    m.comp[g.luma_blocks + 1] = 2;
    const int n = g.luma_blocks;
    for (int my = 0; my < g.mcus_y; ++my)
        for (int mx = 0; mx < g.mcus_x; ++mx) {
            jpeg_input_advance(d.bits.in);
            if (int rc = d.size == EIGHTH ? decode_mcu_dc(d, m, dc) : decode_mcu(d, m, coef, ac)) return rc;
            if (jpeg_bits_overrun(&d.bits)) return ERR_DECOMPRESS;
            if (d.size == EIGHTH) {
                put_eighth_mcu(d, g, mx, my, dc);
            } else {
                for (int i = 0; i < n; ++i) block_samples(d, 0, coef + 64 * i, ac[i], y + 64 * i);
                block_samples(d, 1, coef + 64 * n, ac[n], cb);
                block_samples(d, 2, coef + 64 * (n + 1), ac[n + 1], cr);
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
        // Each component takes the Huffman tables its scan selects and the
        // quantisation table its frame header selects.
        const int dc = s->comp[c].dc_table, ac = s->comp[c].ac_table;
        d.huff[c] = HuffPair{s->dc_fast[dc], s->dc_full[dc], s->ac_fast[ac], s->ac_full[ac], s->dc_ahead[dc], s->ac_ahead[ac], s->ac_skip[ac]};
        if (!d.huff[c].dc_fast || !d.huff[c].ac_fast) return ERR_BAD_HEADER;
        d.table[c] = s->comp[c].quant & 3;
        d.quant[c] = s->dequant[d.table[c]];
    }
    s->restart_countdown = s->restart_interval;
    jpeg_bits_fill(&d.bits);
    return grey ? decode_grey(d, g.mcus_x, g.mcus_y) : decode_colour(d, g);
}
