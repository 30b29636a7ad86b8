// Progressive JPEG decoding (ITU-T T.81 Annex G): the scans are gathered into one
// buffer with byte stuffing and markers removed (the table segments before each
// scan are recorded), decoded into a coefficient buffer holding every block (DC
// first and refinement scans, AC first scans with end-of-band runs, AC refinement
// with correction bits), then transformed and colour-converted like baseline blocks.
#include <cstring>

#include "base/checked_math.h"
#include "codecs/jpeg_state.h"

namespace {

enum { DHT = 0xC4, SOS = 0xDA, DRI = 0xDD, EOI = 0xD9, SLACK_BLOCKS = 32 };

// ---- Gathering ----------------------------------------------------------------

struct Gathered {
    uint8_t* data;
    size_t size, cap;
};

inline int next_byte(JpegInput* in) {
    if (in->pos > JPEG_WINDOW_MOVE_AT) jpeg_input_advance(in);
    return in->pos < in->len ? in->buf[in->pos++] : -1;
}

inline bool put(Gathered& g, int b) {
    if (g.size >= g.cap) return false;
    g.data[g.size++] = (uint8_t)b;
    return true;
}

// Copies one marker segment (length field included) and records what it means.
int copy_segment(JpegDecoderState* s, JpegInput* in, Gathered& g, int marker) {
    const int hi = next_byte(in), lo = next_byte(in);
    if (lo < 0) return 1;
    const size_t at = g.size, length = (size_t)(hi << 8 | lo);
    if (!put(g, hi) || !put(g, lo)) return 1;
    for (size_t i = 2; i < length; ++i) {
        const int b = next_byte(in);
        if (b < 0 || !put(g, b)) return 1;
    }
    const int next = s->scan_count;  // the scan these tables come before
    if (marker == SOS) {
        if (s->scan_count >= JPEG_MAX_SCANS) return ERR_BAD_HEADER;
        s->scan_start[s->scan_count++] = (int32_t)at;
    } else if (marker == DHT && next < JPEG_MAX_SCANS) {
        int k = 0;
        while (k < JPEG_MAX_SCAN_TABLES && s->scan_tables[next][k]) ++k;
        if (k == JPEG_MAX_SCAN_TABLES) return ERR_BAD_HEADER;
        s->scan_tables[next][k] = (int32_t)at;
    } else if (marker == DRI && next < JPEG_MAX_SCANS && length == 4) {
        s->scan_restart[next] = (int32_t)(g.data[at + 2] << 8 | g.data[at + 3]);
    }
    return 0;
}

// Copies the rest of the stream: FF 00 becomes FF, markers are dropped and the bytes
// of their segments kept. Stops at EOI, at the end of the data or when full.
int gather(JpegDecoderState* s, JpegInput* in, Gathered& g) {
    for (;;) {
        int b = next_byte(in);
        if (b < 0) return IMG_OK;
        if (b != 0xFF) {
            if (!put(g, b)) return IMG_OK;
            continue;
        }
        do b = next_byte(in);
        while (b == 0xFF);
        if (b < 0 || b == EOI) return IMG_OK;
        if (b == 0) {
            if (!put(g, 0xFF)) return IMG_OK;
            continue;
        }
        if ((b >= 0xD0 && b <= 0xD8) || b == 0x01) continue;  // no segment behind it
        const int rc = copy_segment(s, in, g, b);
        if (rc < 0) return rc;
        if (rc > 0) return IMG_OK;
    }
}

// ---- Scan decoding --------------------------------------------------------------

struct Coefs {
    int16_t* base;
    int16_t* comp[3];
    int bw[3], bh[3];        // blocks per row and rows of each component's buffer
    int used_w[3], used_h[3];  // blocks of a component's own (non-interleaved) scan
};

struct Scan {
    JpegDecoderState* s;
    JpegBits bits;
    Coefs* c;
    int32_t pred[3];
    int32_t eobrun;
};

JPEG_INLINE int dc_symbol(Scan& sc, int c) {
    const int t = sc.s->comp[c].dc_table;
    return jpeg_huff_symbol(&sc.bits, sc.s->dc_fast[t], sc.s->dc_full[t], 6, 12);
}
JPEG_INLINE int ac_symbol(Scan& sc, int c) {
    const int t = sc.s->comp[c].ac_table;
    return jpeg_huff_symbol(&sc.bits, sc.s->ac_fast[t], sc.s->ac_full[t], 8, 16);
}

JPEG_INLINE int dc_first(Scan& sc, int c, int16_t* blk) {
    const int s = dc_symbol(sc, c);
    if (s < 0 || s > 16) return ERR_DECOMPRESS;
    sc.pred[c] = (int32_t)((uint32_t)sc.pred[c] + (uint32_t)jpeg_extend(jpeg_bits_get(&sc.bits, s), s));
    blk[0] = (int16_t)((int64_t)sc.pred[c] * (1 << sc.s->al));
    return IMG_OK;
}

JPEG_INLINE int dc_refine(Scan& sc, int, int16_t* blk) {
    if (jpeg_bits_get(&sc.bits, 1)) blk[0] = (int16_t)(blk[0] | (1 << sc.s->al));
    return IMG_OK;
}

JPEG_INLINE int ac_first(Scan& sc, int c, int16_t* blk) {
    if (sc.eobrun > 0) {
        --sc.eobrun;
        return IMG_OK;
    }
    const JpegDecoderState* s = sc.s;
    const int32_t* ahead = s->ac_ahead[s->comp[c].ac_table];
    for (int k = s->ss; k <= s->se; ++k) {
        // A coefficient or sixteen zeros whose code and value bits the look-ahead holds.
        if (sc.bits.bits < 32) jpeg_bits_fill(&sc.bits);
        const int32_t e = ahead[sc.bits.acc >> (64 - JPEG_AHEAD_BITS)];
        if (e && ((e >> 8) & 0xFF) != JPEG_AHEAD_END) {
            jpeg_bits_skip(&sc.bits, e & 0xFF);
            k += (e >> 8) & 0xFF;
            if (e >> 16) blk[kJpegZigzag[k > 63 ? 63 : k]] = (int16_t)((int64_t)(e >> 16) * (1 << s->al));
            continue;
        }
        const int sym = ac_symbol(sc, c);
        if (sym < 0) return ERR_DECOMPRESS;
        const int r = sym >> 4, size = sym & 15;
        if (size) {
            k += r;
            blk[kJpegZigzag[k > 63 ? 63 : k]] = (int16_t)((int64_t)jpeg_extend(jpeg_bits_get(&sc.bits, size), size) * (1 << s->al));
        } else if (r == 15) {
            k += 15;
        } else {
            sc.eobrun = (1 << r) + (int32_t)jpeg_bits_get(&sc.bits, r) - 1;
            break;
        }
    }
    return IMG_OK;
}

// A correction bit for a coefficient already non-zero.
JPEG_INLINE void correct(Scan& sc, int16_t* coef, int p1) {
    if (jpeg_bits_get(&sc.bits, 1) && (*coef & p1) == 0) *coef = (int16_t)(*coef + (*coef >= 0 ? p1 : -p1));
}

JPEG_INLINE int ac_refine(Scan& sc, int c, int16_t* blk) {
    const JpegDecoderState* s = sc.s;
    const int p1 = 1 << s->al;
    int k = s->ss;
    if (sc.eobrun == 0) {
        for (; k <= s->se; ++k) {
            const int sym = ac_symbol(sc, c);
            if (sym < 0) return ERR_DECOMPRESS;
            int r = sym >> 4, value = 0;
            if (sym & 15) {
                if ((sym & 15) != 1) return ERR_DECOMPRESS;
                value = jpeg_bits_get(&sc.bits, 1) ? p1 : -p1;
            } else if (r != 15) {
                sc.eobrun = (1 << r) + (int32_t)jpeg_bits_get(&sc.bits, r);
                break;
            }
            for (; k <= s->se; ++k) {
                int16_t* coef = blk + kJpegZigzag[k];
                if (*coef) correct(sc, coef, p1);
                else if (--r < 0) break;
            }
            if (value) blk[kJpegZigzag[k > 63 ? 63 : k]] = (int16_t)value;
        }
    }
    if (sc.eobrun > 0) {
        for (; k <= s->se; ++k)
            if (blk[kJpegZigzag[k]]) correct(sc, blk + kJpegZigzag[k], p1);
        --sc.eobrun;
    }
    return IMG_OK;
}

using BlockFn = int (*)(Scan&, int, int16_t*);

JPEG_INLINE void restart_step(Scan& sc) {
    JpegDecoderState* s = sc.s;
    if (!s->restart_interval || --s->restart_countdown > 0) return;
    s->restart_countdown = s->restart_interval;
    sc.pred[0] = sc.pred[1] = sc.pred[2] = 0;
    sc.eobrun = 0;
    jpeg_bits_align(&sc.bits);
}

inline int16_t* block_at(Coefs* c, int comp, int bx, int by) {
    return c->comp[comp] + ((size_t)by * c->bw[comp] + bx) * 64;
}

// One component on its own: its blocks in raster order, one per MCU. The block
// function is a template argument so that it is compiled into the loop.
template <BlockFn fn>
int scan_single(Scan& sc, int comp) {
    Coefs* c = sc.c;
    for (int by = 0; by < c->used_h[comp]; ++by)
        for (int bx = 0; bx < c->used_w[comp]; ++bx) {
            if (int rc = fn(sc, comp, block_at(c, comp, bx, by))) return rc;
            if (jpeg_bits_overrun(&sc.bits)) return ERR_DECOMPRESS;
            restart_step(sc);
        }
    return IMG_OK;
}

// Interleaved (DC) scans: every component of the scan in each MCU.
template <BlockFn fn>
int scan_interleaved(Scan& sc, const JpegFrameGeometry& g) {
    const JpegDecoderState* s = sc.s;
    for (int my = 0; my < g.mcus_y; ++my)
        for (int mx = 0; mx < g.mcus_x; ++mx) {
            for (int comp = 0; comp < s->component_count; ++comp) {
                if (!s->comp[comp].in_scan) continue;
                const int h = comp == 0 ? g.mcu_w / 8 : 1, v = comp == 0 ? g.mcu_h / 8 : 1;
                for (int j = 0; j < v; ++j)
                    for (int i = 0; i < h; ++i)
                        if (int rc = fn(sc, comp, block_at(sc.c, comp, mx * h + i, my * v + j))) return rc;
            }
            if (jpeg_bits_overrun(&sc.bits)) return ERR_DECOMPRESS;
            restart_step(sc);
        }
    return IMG_OK;
}

bool tables_present(const JpegDecoderState* s, bool dc) {
    for (int comp = 0; comp < s->component_count; ++comp) {
        if (!s->comp[comp].in_scan) continue;
        const int t = dc ? s->comp[comp].dc_table : s->comp[comp].ac_table;
        if (!(dc ? s->dc_fast[t] : s->ac_fast[t])) return false;
    }
    return true;
}

int decode_scan(JpegDecoderState* s, const Gathered& g, size_t start, Coefs* c, const JpegFrameGeometry& geo) {
    const bool dc = s->ss == 0;
    if (s->se > 63 || s->ss > s->se || (dc && s->se != 0) || (!dc && s->scan_components != 1) || s->al > 13)
        return ERR_BAD_HEADER;
    if (!tables_present(s, dc)) return ERR_BAD_HEADER;
    JpegInput in{};
    in.buf = g.data;
    in.len = g.size;
    in.pos = start;
    in.unstuffed = true;
    Scan sc{};
    sc.s = s;
    sc.c = c;
    sc.bits.in = &in;
    s->restart_countdown = s->restart_interval;
    if (s->scan_components == 1 || s->component_count == 1) {
        for (int comp = 0; comp < s->component_count; ++comp) {
            if (!s->comp[comp].in_scan) continue;
            if (dc) return s->ah ? scan_single<dc_refine>(sc, comp) : scan_single<dc_first>(sc, comp);
            return s->ah ? scan_single<ac_refine>(sc, comp) : scan_single<ac_first>(sc, comp);
        }
        return ERR_BAD_HEADER;
    }
    // Interleaved scans are DC scans (checked above).
    return s->ah ? scan_interleaved<dc_refine>(sc, geo) : scan_interleaved<dc_first>(sc, geo);
}

// Loads the tables recorded for scan `n` and parses its header.
int prepare_scan(JpegDecoderState* s, const Gathered& g, int n, size_t* start) {
    bool tables = false;
    for (int k = 0; k < JPEG_MAX_SCAN_TABLES && s->scan_tables[n][k]; ++k) {
        const size_t at = (size_t)s->scan_tables[n][k];
        if (int rc = jpeg_parse_dht(s, g.data + at, g.size - at)) return rc;
        tables = true;
    }
    if (tables)
        if (int rc = jpeg_build_lookups(s)) return rc;
    if (s->scan_restart[n] >= 0) s->restart_interval = s->scan_restart[n];
    return jpeg_parse_scan(s, g.data, g.size, (size_t)s->scan_start[n], start);
}

// ---- Output ---------------------------------------------------------------------

int coefficient_buffer(const JpegDecoderState* s, const JpegFrameGeometry& g, Coefs* c) {
    size_t blocks = SLACK_BLOCKS;
    for (int comp = 0; comp < s->component_count; ++comp) {
        const bool luma = comp == 0;
        const int h = luma ? g.mcu_w / 8 : 1, v = luma ? g.mcu_h / 8 : 1;
        c->bw[comp] = g.mcus_x * h;
        c->bh[comp] = g.mcus_y * v;
        // A component's own scan covers ceil(its width / 8) blocks per row.
        const int cw = (s->width * h + g.mcu_w / 8 - 1) / (g.mcu_w / 8);
        const int ch = (s->height * v + g.mcu_h / 8 - 1) / (g.mcu_h / 8);
        c->used_w[comp] = (cw + 7) / 8;
        c->used_h[comp] = (ch + 7) / 8;
        blocks += (size_t)c->bw[comp] * c->bh[comp];
    }
    size_t bytes;
    if (!checked_mul(blocks, 64 * sizeof(int16_t), &bytes, (size_t)kMaxPageBytes)) return ERR_MEMORY;
    c->base = static_cast<int16_t*>(mem_alloc(bytes));
    if (!c->base) return ERR_MEMORY;
    int16_t* p = c->base;
    for (int comp = 0; comp < s->component_count; ++comp) {
        c->comp[comp] = p;
        p += (size_t)c->bw[comp] * c->bh[comp] * 64;
    }
    return IMG_OK;
}

inline void block_to_samples(const JpegDecoderState* s, const int16_t* blk, int table, uint8_t* out) {
    bool ac = false;
    for (int i = 1; i < 64 && !ac; ++i) ac = blk[i] != 0;
    if (ac) jpeg_idct_block(blk, s, table, out);
    else jpeg_idct_dc(blk[0], s->dequant[table], s->range_limit, out);
}

inline uint8_t dc_value(const JpegDecoderState* s, const int16_t* blk, int table) {
    return s->range_limit[(((int64_t)blk[0] * s->dequant[table][0]) >> 5) & 1023];
}

void output_grey(const JpegDecoderState* s, Coefs* c, const JpegOutput* out, bool eighth, bool half) {
    alignas(16) uint8_t samples[64];
    const int table = s->comp[0].quant & 3;
    for (int by = 0; by < c->bh[0]; ++by)
        for (int bx = 0; bx < c->bw[0]; ++bx) {
            const int16_t* blk = block_at(c, 0, bx, by);
            if (eighth) {
                jpeg_put_pixel(s, out, bx, by, dc_value(s, blk, table), 128, 128);
                continue;
            }
            block_to_samples(s, blk, table, samples);
            jpeg_put_grey_block(out, samples, bx * (half ? 4 : 8), by * (half ? 4 : 8), half);
        }
}

// Each component goes through the quantisation table its frame header selects.
void output_colour(const JpegDecoderState* s, Coefs* c, const JpegFrameGeometry& g, const JpegOutput* out,
                   bool eighth, bool half) {
    alignas(16) uint8_t y[4 * 64], cb[64], cr[64];
    const int h = g.mcu_w / 8, v = g.mcu_h / 8;
    const int t0 = s->comp[0].quant & 3, t1 = s->comp[1].quant & 3, t2 = s->comp[2].quant & 3;
    for (int my = 0; my < g.mcus_y; ++my)
        for (int mx = 0; mx < g.mcus_x; ++mx) {
            const int16_t* bcb = block_at(c, 1, mx, my);
            const int16_t* bcr = block_at(c, 2, mx, my);
            if (eighth) {
                for (int j = 0; j < v; ++j)
                    for (int i = 0; i < h; ++i)
                        jpeg_put_pixel(s, out, mx * h + i, my * v + j, dc_value(s, block_at(c, 0, mx * h + i, my * v + j), t0),
                                       dc_value(s, bcb, t1), dc_value(s, bcr, t2));
                continue;
            }
            for (int j = 0; j < v; ++j)
                for (int i = 0; i < h; ++i) block_to_samples(s, block_at(c, 0, mx * h + i, my * v + j), t0, y + 64 * (j * h + i));
            block_to_samples(s, bcb, t1, cb);
            block_to_samples(s, bcr, t2, cr);
            const int shift = half ? 1 : 0;
            jpeg_put_mcu(s, out, y, cb, cr, (mx * g.mcu_w) >> shift, (my * g.mcu_h) >> shift, half);
        }
}

}  // namespace

int jpeg_decode_progressive(JpegDecoderState* s, JpegInput* in, const uint8_t* first_header,
                            size_t first_header_len, const JpegOutput* out) {
    (void)first_header;
    (void)first_header_len;
    JpegFrameGeometry geo;
    if (int rc = jpeg_geometry(s, &geo)) return rc;
    for (int n = 0; n < JPEG_MAX_SCANS; ++n) s->scan_restart[n] = -1;
    std::memset(s->scan_tables, 0, sizeof s->scan_tables);
    const int64_t rest = in->window ? in->stream_end - in->window_file_pos : (int64_t)in->len;
    Gathered g{};
    g.cap = (size_t)(rest > 0 ? rest : 0) + 1024;
    g.data = static_cast<uint8_t*>(mem_alloc(g.cap));
    if (!g.data) return ERR_MEMORY;
    s->scan_start[0] = 0;
    int rc = gather(s, in, g);
    s->data_end = (int32_t)g.size;
    Coefs c{};
    if (rc == IMG_OK) rc = coefficient_buffer(s, geo, &c);
    if (rc != IMG_OK) {
        mem_free(g.data);
        return rc;
    }
    const bool eighth = (s->options & (JPEG_EIGHTH | JPEG_THUMBNAIL)) != 0;
    const int scans = eighth ? 1 : s->scan_count;
    for (int n = 0; n < scans && rc == IMG_OK; ++n) {
        size_t start = 0;
        if (n > 0) rc = prepare_scan(s, g, n, &start);
        if (rc == IMG_OK) rc = decode_scan(s, g, start, &c, geo);
    }
    // The picture is built from whatever the scans delivered, even after a fault.
    const bool half = (s->options & JPEG_HALF) != 0;
    if (s->component_count == 1) output_grey(s, &c, out, eighth, half);
    else output_colour(s, &c, geo, out, eighth, half);
    mem_free(c.base);
    mem_free(g.data);
    return rc;
}
