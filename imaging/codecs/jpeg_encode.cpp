// The JPEG encoder's entry: writes an 8-bit, 16-bit RGB565 or 24-bit page as one
// baseline stream (ITU-T T.81 sequential DCT, Huffman-coded, the standard tables of
// Annex K): SOI, a JFIF ("AVI1" for movie frames) APP0, the quantisation tables at
// one of four scalings, SOF0 with chroma at full size or 2 x 2, the standard Huffman
// tables, one scan, EOI.
//
// The picture is taken one row of MCUs at a time: its rows are converted to Y, Cb,
// Cr planes (16-bit pixels widened to 24 bits first, as the library widens them;
// 8-bit pages with a palette looked up in it, so a colour palette gives a colour
// stream), then each MCU's blocks are transformed, quantised and coded into the stream.
// Blocks that reach past the picture's right or bottom edge are filled by repeating
// the last column and row, so the edge pixels keep their own values instead of
// ringing against a grey border.
#include "codecs/jpeg_encode.h"

#include <cstring>
#include <initializer_list>

#include "base/checked_math.h"

namespace {

enum {
    M_SOI = 0xD8, M_EOI = 0xD9, M_APP0 = 0xE0, M_DQT = 0xDB, M_SOF0 = 0xC0, M_DHT = 0xC4, M_SOS = 0xDA,
    HEADER_BYTES = 1024,  // everything before the entropy-coded data
    MAX_SIDE = 65535,     // the frame header's 16-bit sizes
};
// The first output buffer holds a third of the samples, up to this; it grows beyond.
constexpr size_t kFirstOutputCap = 64u << 20;

// Standard Huffman tables inside kJpegStandardDht: each a class byte, 16 counts and
// the symbols.
struct DhtPart {
    size_t offset, length;
};
constexpr DhtPart kLumaDc{4, 29}, kChromaDc{33, 29}, kLumaAc{62, 179}, kChromaAc{241, 179};

// How source pixels become samples: grey levels as they are; 8-bit pages through
// their palette, as grey levels when every entry is grey, else as colours; RGB565
// widened; 24-bit pixels as they are.
enum class SourceKind { grey, grey_palette, colour_palette, rgb565, bgr24 };

// Rows of the source page, top-down whatever the stored order.
struct SourceRows {
    const uint8_t* base;
    size_t pitch;
    int32_t width, height;
    SourceKind kind;
    const uint8_t* palette;  // blue, green, red entries of an 8-bit page
    bool bottom_up;
    const uint8_t* row(int32_t y) const { return base + (size_t)(bottom_up ? height - 1 - y : y) * pitch; }
};

SourceKind kind_of_8bit(const uint8_t* palette) {
    if (!palette) return SourceKind::grey;
    bool identity = true;
    for (int i = 0; i < 256; ++i) {
        const uint8_t* e = palette + 3 * i;
        if (e[0] != e[1] || e[1] != e[2]) return SourceKind::colour_palette;
        identity = identity && e[0] == i;
    }
    return identity ? SourceKind::grey : SourceKind::grey_palette;
}

struct Encoder {
    JpegDecoderState tables;  // quantisation tables (zigzag, as written), frame, DHT tables
    JpegQuantDivisors divisors[2];
    JpegHuffmanCodes codes[2];  // luminance, chrominance
    int32_t dc_pred[3];
    JpegBitWriter w;
    const JpegEncodeKernels* k;
    SourceRows src;
    bool colour, subsample;
    int mcu_size, mcus_x, mcus_y;
    int16_t *y, *cb, *cr;  // the planes of one MCU row
    size_t y_stride, c_stride;
    uint8_t* wide[2];  // source rows turned into 24-bit pixels or grey levels
    int16_t blocks[12][64];
};

// The source must be a page of decoded rows that lie inside its data.
int check_source(const PageBitmap* p, SourceRows* out) {
    const int bpp = p->bits_per_pixel;
    if (bpp != 8 && bpp != 16 && bpp != 24) return ERR_PARAMETER;
    if (!p->data || p->width <= 0 || p->height <= 0 || p->width > MAX_SIDE || p->height > MAX_SIDE)
        return ERR_PARAMETER;
    const int32_t packed = row_bytes_packed(p->width, bpp);
    if (packed <= 0 || p->pitch < packed || p->data_offset < 0 || p->data_length <= 0) return ERR_PARAMETER;
    size_t before_last = 0;
    if (!checked_mul((size_t)p->pitch, (size_t)(p->height - 1), &before_last) ||
        !range_fits(before_last, (uint64_t)packed, (uint64_t)p->data_length))
        return ERR_PARAMETER;
    const SourceKind kind = bpp == 8 ? kind_of_8bit(p->palette) : bpp == 16 ? SourceKind::rgb565 : SourceKind::bgr24;
    *out = SourceRows{p->data + p->data_offset, (size_t)p->pitch, p->width, p->height, kind, p->palette,
                      (p->layout & LAYOUT_BOTTOM_UP) != 0};
    return IMG_OK;
}

// ---- Headers ---------------------------------------------------------------------

struct HeaderOut {
    uint8_t* p;
    void byte(int v) { *p++ = (uint8_t)v; }
    void word(int v) { byte(v >> 8), byte(v); }
    void marker(int m, int length) { byte(0xFF), byte(m), word(length); }
    void bytes(const uint8_t* b, size_t n) { std::memcpy(p, b, n), p += n; }
};

int density(int32_t dpi) { return dpi < 0 ? 0 : dpi > 0xFFFF ? 0xFFFF : dpi; }

void write_headers(Encoder& e, const PageBitmap* source, bool movie_frame) {
    HeaderOut h{e.w.buf};
    h.byte(0xFF), h.byte(M_SOI);
    h.marker(M_APP0, 16);
    h.bytes(reinterpret_cast<const uint8_t*>(movie_frame ? "AVI1" : "JFIF"), 5);  // with its zero byte
    h.byte(1), h.byte(1);  // version 1.01
    h.byte(1);             // densities in dots per inch
    h.word(density(source->x_dpi)), h.word(density(source->y_dpi));
    h.byte(0), h.byte(0);  // no thumbnail
    const int tables = e.colour ? 2 : 1;
    for (int t = 0; t < tables; ++t) {
        h.marker(M_DQT, 67);
        h.byte(t);
        for (int i = 0; i < 64; ++i) h.byte(e.tables.quant[t][i]);
    }
    h.marker(M_SOF0, e.colour ? 17 : 11);
    h.byte(8), h.word(e.src.height), h.word(e.src.width), h.byte(e.colour ? 3 : 1);
    h.byte(0), h.byte(e.subsample ? 0x22 : 0x11), h.byte(0);
    if (e.colour) h.byte(1), h.byte(0x11), h.byte(1), h.byte(2), h.byte(0x11), h.byte(1);
    const DhtPart luma[2] = {kLumaDc, kLumaAc}, chroma[2] = {kChromaDc, kChromaAc};
    for (int t = 0; t < tables; ++t)
        for (const DhtPart& part : t == 0 ? luma : chroma) {
            h.marker(M_DHT, (int)part.length + 2);
            h.bytes(kJpegStandardDht + part.offset, part.length);
        }
    h.marker(M_SOS, e.colour ? 12 : 8);
    h.byte(e.colour ? 3 : 1), h.byte(0), h.byte(0x00);
    if (e.colour) h.byte(1), h.byte(0x11), h.byte(2), h.byte(0x11);
    h.byte(0), h.byte(63), h.byte(0);  // Ss, Se, Ah/Al
    e.w.pos = (size_t)(h.p - e.w.buf);
}

// ---- Tables --------------------------------------------------------------------------

// The base table scaled by the quality: Highest q / 4, High q / 2, Medium q, Low 2 q.
void make_quant(Encoder& e, int t, const uint8_t* base, int quality) {
    int32_t natural[64];
    for (int i = 0; i < 64; ++i) {
        const int q = base[i];
        natural[i] = quality == 0 ? q >> 2 : quality == 1 ? q >> 1 : quality == 2 ? q : q << 1;
    }
    for (int z = 0; z < 64; ++z) e.tables.quant[t][z] = natural[kJpegZigzag[z]];
    jpeg_make_divisors(natural, &e.divisors[t]);
}

int prepare_tables(Encoder& e, int quality) {
    make_quant(e, 0, kJpegLuminanceQuant, quality);
    make_quant(e, 1, kJpegChrominanceQuant, quality);
    if (int rc = jpeg_parse_dht(&e.tables, kJpegStandardDht + 2, sizeof kJpegStandardDht - 2)) return rc;
    jpeg_make_codes(e.tables.huff_raw[0], e.tables.huff_raw[4], &e.codes[0]);
    jpeg_make_codes(e.tables.huff_raw[1], e.tables.huff_raw[5], &e.codes[1]);
    return IMG_OK;
}

// ---- Rows into planes ----------------------------------------------------------------

// A 16-bit row widened to 24 bits as the library's depth conversion does it.
const uint8_t* widen_565(const uint8_t* row, int32_t width, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x) {
        const unsigned v = (unsigned)row[2 * x] | (unsigned)row[2 * x + 1] << 8;
        out[3 * x] = (uint8_t)(v << 3);
        out[3 * x + 1] = (uint8_t)((v >> 3) & 0xFC);
        out[3 * x + 2] = (uint8_t)((v >> 8) & 0xF8);
    }
    return out;
}

// An 8-bit row looked up in its palette: 24-bit pixels, or (grey) one byte each.
const uint8_t* look_up(const uint8_t* row, int32_t width, const uint8_t* palette, bool grey, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t* e = palette + 3 * row[x];
        if (grey) {
            out[x] = e[0];
        } else {
            out[3 * x] = e[0], out[3 * x + 1] = e[1], out[3 * x + 2] = e[2];
        }
    }
    return out;
}

// Picture row y (the last row for rows below the picture) as 24-bit pixels, or as
// grey levels for grey pictures.
const uint8_t* source_row(Encoder& e, int32_t y, int slot) {
    const uint8_t* row = e.src.row(y < e.src.height ? y : e.src.height - 1);
    switch (e.src.kind) {
    case SourceKind::rgb565: return widen_565(row, e.src.width, e.wide[slot]);
    case SourceKind::grey_palette: return look_up(row, e.src.width, e.src.palette, true, e.wide[slot]);
    case SourceKind::colour_palette: return look_up(row, e.src.width, e.src.palette, false, e.wide[slot]);
    default: return row;
    }
}

// Repeats the last sample of a plane row up to the end of its blocks.
void extend_row(int16_t* row, size_t filled, size_t stride) {
    for (size_t x = filled; x < stride; ++x) row[x] = row[filled - 1];
}

void fill_planes(Encoder& e, int32_t y0) {
    const JpegEncodeKernels& k = *e.k;
    const size_t width = (size_t)e.src.width;
    if (!e.colour) {
        for (int r = 0; r < 8; ++r) {
            int16_t* out = e.y + r * e.y_stride;
            k.grey_row(source_row(e, y0 + r, 0), e.src.width, out);
            extend_row(out, width, e.y_stride);
        }
        return;
    }
    if (!e.subsample) {
        for (int r = 0; r < 8; ++r) {
            int16_t *y = e.y + r * e.y_stride, *cb = e.cb + r * e.c_stride, *cr = e.cr + r * e.c_stride;
            k.ycc_row(source_row(e, y0 + r, 0), e.src.width, y, cb, cr);
            extend_row(y, width, e.y_stride), extend_row(cb, width, e.c_stride), extend_row(cr, width, e.c_stride);
        }
        return;
    }
    const size_t chroma_width = (width + 1) / 2;
    for (int r = 0; r < 16; r += 2) {
        int16_t *y_a = e.y + r * e.y_stride, *y_b = y_a + e.y_stride;
        int16_t *cb = e.cb + (r / 2) * e.c_stride, *cr = e.cr + (r / 2) * e.c_stride;
        k.ycc_rows_420(source_row(e, y0 + r, 0), source_row(e, y0 + r + 1, 1), e.src.width, y_a, y_b, cb, cr);
        extend_row(y_a, width, e.y_stride), extend_row(y_b, width, e.y_stride);
        extend_row(cb, chroma_width, e.c_stride), extend_row(cr, chroma_width, e.c_stride);
    }
}

// ---- Blocks into the stream --------------------------------------------------------------

// Codes `count` blocks of e.blocks, block i of component comp[i].
int code_blocks(Encoder& e, int count, const int* comp) {
    if (int rc = jpeg_writer_reserve(&e.w, (size_t)count * JPEG_BLOCK_MAX_BYTES)) return rc;
    for (int i = 0; i < count; ++i)
        jpeg_encode_block(&e.w, e.blocks[i], &e.dc_pred[comp[i]], e.codes[comp[i] == 0 ? 0 : 1]);
    return IMG_OK;
}

// One row of MCUs from the planes.
int code_mcu_row(Encoder& e) {
    const JpegEncodeKernels& k = *e.k;
    const ptrdiff_t ys = (ptrdiff_t)e.y_stride, cs = (ptrdiff_t)e.c_stride;
    if (e.subsample) {
        static constexpr int comp[6] = {0, 0, 0, 0, 1, 2};
        for (int mx = 0; mx < e.mcus_x; ++mx) {
            const int16_t* y = e.y + 16 * mx;
            k.fdct_pair(y, y + 8, ys, &e.divisors[0], e.blocks[0], e.blocks[1]);
            k.fdct_pair(y + 8 * ys, y + 8 * ys + 8, ys, &e.divisors[0], e.blocks[2], e.blocks[3]);
            k.fdct_pair(e.cb + 8 * mx, e.cr + 8 * mx, cs, &e.divisors[1], e.blocks[4], e.blocks[5]);
            if (int rc = code_blocks(e, 6, comp)) return rc;
        }
        return IMG_OK;
    }
    // Two MCUs at a time, so the vector transform takes blocks in pairs.
    static constexpr int grey_comp[2] = {0, 0}, colour_comp[6] = {0, 1, 2, 0, 1, 2};
    for (int mx = 0; mx < e.mcus_x; mx += 2) {
        const bool two = mx + 1 < e.mcus_x;
        const size_t a = 8 * (size_t)mx, b = two ? a + 8 : a;
        k.fdct_pair(e.y + a, e.y + b, ys, &e.divisors[0], e.blocks[0], e.blocks[e.colour ? 3 : 1]);
        if (!e.colour) {
            if (int rc = code_blocks(e, two ? 2 : 1, grey_comp)) return rc;
            continue;
        }
        k.fdct_pair(e.cb + a, e.cb + b, cs, &e.divisors[1], e.blocks[1], e.blocks[4]);
        k.fdct_pair(e.cr + a, e.cr + b, cs, &e.divisors[1], e.blocks[2], e.blocks[5]);
        if (int rc = code_blocks(e, two ? 6 : 3, colour_comp)) return rc;
    }
    return IMG_OK;
}

// ---- Set-up and the whole stream ---------------------------------------------------------

void free_encoder(Encoder* e) {
    mem_free(e->y);
    mem_free(e->wide[0]);
    mem_free(e->w.buf);
    mem_free(e);
}

int allocate_buffers(Encoder& e) {
    e.mcu_size = e.subsample ? 16 : 8;
    e.mcus_x = (e.src.width + e.mcu_size - 1) / e.mcu_size;
    e.mcus_y = (e.src.height + e.mcu_size - 1) / e.mcu_size;
    e.y_stride = (size_t)e.mcus_x * e.mcu_size;
    e.c_stride = e.subsample ? (size_t)e.mcus_x * 8 : e.y_stride;
    const size_t y_samples = e.y_stride * e.mcu_size, c_samples = e.colour ? e.c_stride * 8 : 0;
    e.y = static_cast<int16_t*>(mem_alloc((y_samples + 2 * c_samples) * sizeof(int16_t)));
    if (!e.y) return ERR_MEMORY;
    e.cb = e.y + y_samples;
    e.cr = e.cb + c_samples;
    if (e.src.kind != SourceKind::grey && e.src.kind != SourceKind::bgr24) {
        const size_t row = 3 * (size_t)e.src.width + 64;
        e.wide[0] = static_cast<uint8_t*>(mem_alloc(2 * row));
        if (!e.wide[0]) return ERR_MEMORY;
        e.wide[1] = e.wide[0] + row;
    }
    // A first guess at the stream's size; the writer grows the buffer when it must.
    const size_t samples = (size_t)e.src.width * (size_t)e.src.height * (e.colour ? 3 : 1);
    e.w.cap = (samples / 3 < kFirstOutputCap ? samples / 3 : kFirstOutputCap) + HEADER_BYTES +
              16 * JPEG_BLOCK_MAX_BYTES;
    e.w.buf = static_cast<uint8_t*>(mem_alloc(e.w.cap));
    if (!e.w.buf) return ERR_MEMORY;
    e.w.free_bits = 64;
    return IMG_OK;
}

int encode(Encoder& e, const PageBitmap* source, bool movie_frame, int quality) {
    if (int rc = allocate_buffers(e)) return rc;
    if (int rc = prepare_tables(e, quality)) return rc;
    write_headers(e, source, movie_frame);
    for (int my = 0; my < e.mcus_y; ++my) {
        fill_planes(e, my * e.mcu_size);
        if (int rc = code_mcu_row(e)) return rc;
    }
    if (int rc = jpeg_writer_reserve(&e.w, 32)) return rc;
    jpeg_writer_flush_bits(&e.w);
    e.w.buf[e.w.pos++] = 0xFF;
    e.w.buf[e.w.pos++] = M_EOI;
    return e.w.pos <= (size_t)INT32_MAX ? IMG_OK : ERR_MEMORY;  // data_length is 32 bits
}

}  // namespace

const JpegEncodeKernels& jpeg_best_kernels() {
    static const JpegEncodeKernels best = [] {
        JpegEncodeKernels k{};
        for (JpegKernelSet set : {JPEG_KERNELS_AVX2, JPEG_KERNELS_SSE2, JPEG_KERNELS_SCALAR})
            if (jpeg_encode_kernels(set, &k)) break;
        return k;
    }();
    return best;
}

bool jpeg_encode_kernels(JpegKernelSet set, JpegEncodeKernels* out) {
    if (set == JPEG_KERNELS_AVX2 && !jpeg_cpu_has_avx2()) return false;
    JpegEncodeKernels k{};
    jpeg_fdct_kernels(set, &k);
    jpeg_color_kernels(set, &k);
    if (!k.fdct_pair || !k.ycc_row || !k.ycc_rows_420 || !k.grey_row) return false;
    *out = k;
    return true;
}

int jpeg_encode_page_with(const PageBitmap* source, PageBitmap* target, int flags, const JpegEncodeKernels& k) {
    if (!source || !target || (flags & ~JPEG_ENCODE_OPTIONS)) return ERR_PARAMETER;
    if (target->compression != COMP_JPEG && target->compression != COMP_MOTION_JPEG) return ERR_PARAMETER;
    SourceRows rows;
    if (int rc = check_source(source, &rows)) return rc;
    Encoder* e = static_cast<Encoder*>(mem_alloc(sizeof(Encoder)));
    if (!e) return ERR_MEMORY;
    e->k = &k;
    e->src = rows;
    e->colour = rows.kind != SourceKind::grey && rows.kind != SourceKind::grey_palette;
    e->subsample = e->colour && (flags & JPEG_SUBSAMPLE);
    const int rc = encode(*e, source, target->compression == COMP_MOTION_JPEG, flags & JPEG_QUALITY_MASK);
    if (rc != IMG_OK) {
        free_encoder(e);
        return rc;
    }
    target->data = e->w.buf;
    target->data_length = (int32_t)e->w.pos;
    target->data_offset = 0;
    target->ownership = OWN_ALLOCATED;
    // An 8-bit page keeps its depth, so that its palette goes with it when released.
    if (source->bits_per_pixel == 16) target->bits_per_pixel = 24;
    target->pitch = 0;
    target->layout = LAYOUT_TOP_DOWN;
    target->stream_file = FILE_HANDLE_INVALID;
    target->stream_buffer_size = 0;
    e->w.buf = nullptr;
    free_encoder(e);
    return IMG_OK;
}

int jpeg_encode_page(const PageBitmap* source, PageBitmap* target, int flags) {
    return jpeg_encode_page_with(source, target, flags, jpeg_best_kernels());
}
