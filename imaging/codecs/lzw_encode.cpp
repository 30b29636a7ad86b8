// LZW encoding for TIFF (TIFF 6.0 section 13: 8-bit roots, codes most significant
// bit first, width growing one code early, a clear code when 4095 entries are used)
// and GIF (GIF89a: roots of the page depth, least significant bit first, 4096
// entries), with an open-addressing hash table of 5003 slots for the string table.
#include "codecs/lzw.h"

#include <cstring>
#include <new>

#include "base/checked_math.h"
#include "codecs/lzw_code.h"
#include "codecs/run_form.h"

namespace {
constexpr int kHashSize = 5003;

// Growing output that packs codes in either bit order.
struct CodeWriter {
    bool gif;
    uint8_t* buf = nullptr;
    size_t cap = 0;
    size_t used = 0;
    uint64_t acc = 0;
    int count = 0;
    bool ok = true;

    void byte(uint8_t b) {
        if (used == cap && !grow()) return;
        buf[used++] = b;
    }
    bool grow() {
        const size_t want = cap ? cap * 2 : 4096;
        uint8_t* bigger = want < kMaxPageBytes ? static_cast<uint8_t*>(mem_alloc(want)) : nullptr;
        if (!bigger) return ok = false;
        if (used) std::memcpy(bigger, buf, used);
        mem_free(buf);
        buf = bigger;
        cap = want;
        return true;
    }
    void put(int code, int width) {
        if (gif) {
            acc |= (uint64_t)code << count;
            count += width;
            for (; count >= 8; count -= 8, acc >>= 8) byte((uint8_t)acc);
        } else {
            acc = acc << width | (uint64_t)code;
            count += width;
            for (; count >= 8; count -= 8) byte((uint8_t)(acc >> (count - 8)));
        }
    }
    // The last partial byte counts, its unused bits zero.
    void flush() {
        if (count > 0) byte(gif ? (uint8_t)acc : (uint8_t)(acc << (8 - count)));
        count = 0;
    }
};

struct LzwEncoder {
    int32_t keys[kHashSize];
    uint16_t codes[kHashSize];
    bool gif;
    int root, clear, width, next, limit;
    int prefix = -1;
    int since_clear = 0;  // codes written since the last clear code
    CodeWriter out;

    void reset_table() {
        std::memset(keys, 0xFF, sizeof keys);
        width = root + 1;
        next = clear + 2;
        since_clear = 0;
    }
    void emit(int code) {
        out.put(code, width);
        ++since_clear;
    }
    // One byte of the input string.
    void add(uint8_t c) {
        if (prefix < 0) {
            prefix = c;
            return;
        }
        const int32_t key = prefix + ((int32_t)c << kLzwMaxBits);
        int h = (c << 4) ^ prefix;
        const int step = h == 0 ? 1 : kHashSize - h;
        while (keys[h] >= 0) {
            if (keys[h] == key) {
                prefix = codes[h];
                return;
            }
            h -= step;
            if (h < 0) h += kHashSize;
        }
        emit(prefix);
        keys[h] = key;
        codes[h] = (uint16_t)next++;
        if (next >= limit) {  // table full: start again
            out.put(clear, width);
            reset_table();
        } else if (lzw_width_grows(gif, next, width)) {
            ++width;
        }
        prefix = c;
    }
    void finish() {
        if (prefix >= 0) {
            emit(prefix);
            // The decoder defines one more entry on reading that code and may widen
            // before the end code; follow it.
            if (since_clear > 1 && next < kLzwTableSize && lzw_width_grows(gif, next + 1, width)) ++width;
        }
        out.put(clear + 1, width);
        out.flush();
    }
};

void start(LzwEncoder& e, bool gif, int root, size_t expected) {
    e.gif = gif;
    e.root = root;
    e.clear = 1 << root;
    e.limit = gif ? kLzwTableSize : kLzwTableSize - 1;
    e.out.gif = gif;
    e.reset_table();
    if (expected > 0 && expected < kMaxPageBytes) {
        e.out.buf = static_cast<uint8_t*>(mem_alloc(expected));
        e.out.cap = e.out.buf ? expected : 0;
    }
    if (gif) {
        e.out.byte(0);
        e.out.byte((uint8_t)(root + 1));
    }
    e.out.put(e.clear, e.width);
}

// Row y of the page in picture order as the bytes the variant encodes, in `row`.
bool page_row(const PageBitmap* p, int32_t y, bool gif, uint8_t* row, uint8_t* scratch) {
    const int32_t w = p->width;
    if (p->bits_per_pixel == 1) {
        const RunRow runs = run_row(*p, y);
        if (!runs.bytes) return false;
        runs_paint_row(runs, scratch, w);  // set bits white
        if (gif) {
            for (int32_t x = 0; x < w; ++x) row[x] = (scratch[x >> 3] >> (7 - (x & 7))) & 1;
        } else {
            // TIFF bilevel rows are stored with set bits black (white is zero).
            for (int32_t i = 0; i < row_bytes_packed(w, 1); ++i) row[i] = (uint8_t)~scratch[i];
        }
        return true;
    }
    const int32_t stored = (p->layout & LAYOUT_BOTTOM_UP) ? p->height - 1 - y : y;
    const uint8_t* in = p->data + p->data_offset + (size_t)stored * (size_t)p->pitch;
    if (p->bits_per_pixel == 24) {
        for (int32_t x = 0; x < w; ++x) {
            row[3 * x] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x];
        }
    } else if (gif && p->bits_per_pixel == 4) {
        for (int32_t x = 0; x < w; ++x) row[x] = (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    } else {
        std::memcpy(row, in, (size_t)row_bytes_packed(w, p->bits_per_pixel));
    }
    return true;
}

// Bytes each variant encodes per row; 0 for a depth it does not take.
size_t encoded_row_bytes(const PageBitmap* p, bool gif) {
    const int bpp = p->bits_per_pixel;
    if (gif) return bpp == 1 || bpp == 4 || bpp == 8 ? (size_t)p->width : 0;
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 ? (size_t)row_bytes_packed(p->width, bpp) : 0;
}

// Packed pages must hold every row they claim.
bool rows_present(const PageBitmap* p) {
    if (p->bits_per_pixel == 1) return p->compression == COMP_RUNS;
    size_t need = 0;
    return p->pitch > 0 && p->data && checked_mul((size_t)p->pitch, (size_t)p->height, &need) &&
           (p->data_length <= 0 || need <= (size_t)p->data_length);
}

int encode(const PageBitmap* src, PageBitmap* target, bool gif) {
    if (!src || !target || src->width <= 0 || src->height <= 0 || src->width > kMaxPageSide) return ERR_PARAMETER;
    const size_t row_bytes = encoded_row_bytes(src, gif);
    if (row_bytes == 0 || !rows_present(src)) return ERR_PARAMETER;
    const int root = gif ? (src->bits_per_pixel == 1 ? 2 : src->bits_per_pixel) : 8;
    size_t expected = 0;
    checked_mul((size_t)row_bytes_packed(src->width, src->bits_per_pixel), (size_t)src->height, &expected);
    void* block = mem_alloc(sizeof(LzwEncoder));
    uint8_t* row = static_cast<uint8_t*>(mem_alloc(row_bytes + (size_t)src->width / 8 + 8));
    if (!block || !row) {
        mem_free(block);
        mem_free(row);
        return ERR_MEMORY;
    }
    LzwEncoder* e = new (block) LzwEncoder{};
    start(*e, gif, root, expected + 64);
    uint8_t* scratch = row + row_bytes;
    int rc = IMG_OK;
    for (int32_t y = 0; y < src->height && e->out.ok; ++y) {
        if (!page_row(src, y, gif, row, scratch)) {
            rc = ERR_PARAMETER;
            break;
        }
        for (size_t i = 0; i < row_bytes; ++i) e->add(row[i]);
    }
    if (rc == IMG_OK) e->finish();
    if (rc == IMG_OK && !e->out.ok) rc = ERR_MEMORY;
    if (rc == IMG_OK) {
        target->data = e->out.buf;
        target->data_length = (int32_t)e->out.used;
        target->data_offset = 0;
        target->ownership = OWN_ALLOCATED;
        target->compression = (int8_t)(gif ? COMP_LZW_GIF : COMP_LZW_TIFF);
        target->fill_order = 0;
        target->layout = LAYOUT_TOP_DOWN;
        target->strip_count = 0;
        target->strip_offsets = nullptr;
        target->strip_lengths = nullptr;
        target->rows_per_strip = src->height;
        target->pitch = gif ? row_bytes_aligned(src->width, src->bits_per_pixel)
                            : row_bytes_packed(src->width, src->bits_per_pixel);
    } else {
        mem_free(e->out.buf);
    }
    mem_free(e);
    mem_free(row);
    return rc;
}
}  // namespace

int lzw_encode_tiff(const PageBitmap* source, PageBitmap* target, int) { return encode(source, target, false); }
int lzw_encode_gif(const PageBitmap* source, PageBitmap* target, int) { return encode(source, target, true); }
