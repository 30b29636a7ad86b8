// LZW decoding for TIFF (TIFF 6.0 section 13: codes most significant bit first, the
// width growing one code early, strips, horizontal predictor, RGB order) and GIF
// (GIF89a: codes least significant bit first, framing bytes, interlaced rows). Each
// table entry is kept as a place in the output already written, so a code's string
// is one copy from earlier output.
#include "codecs/lzw.h"

#include <algorithm>
#include <cstring>

#include "base/checked_math.h"
#include "codecs/codec_strips.h"
#include "codecs/lzw_code.h"
#include "codecs/run_form.h"

namespace {
enum LzwEnd { LZW_EOI, LZW_DATA_END, LZW_BAD, LZW_FULL };

// Output buffers keep this many writable bytes after their end, so that short strings
// are copied as one 16-byte block (the bytes beyond the string are written over next).
constexpr size_t kSlack = 16;

// Copies `len` bytes from earlier output or the root block; `from` + `len` <= `to`
// for output.
inline void copy_string(uint8_t* to, const uint8_t* from, size_t len) {
    if (len <= kSlack) {
        uint64_t a, b;
        std::memcpy(&a, from, 8);
        std::memcpy(&b, from + 8, 8);
        std::memcpy(to, &a, 8);
        std::memcpy(to + 8, &b, 8);
    } else {
        std::memcpy(to, from, len);
    }
}

// Each code's string is found where it was written: earlier output, or for the
// root codes this block of every byte value (with room for a 16-byte read).
constexpr struct RootBytes {
    uint8_t b[256 + 16];
    constexpr RootBytes() : b() {
        for (int i = 0; i < 256; ++i) b[i] = (uint8_t)i;
    }
} kRootBytes;

struct LzwTable {
    const uint8_t* string[kLzwTableSize];
    uint16_t length[kLzwTableSize];
};

// Code reader over one strip, most (TIFF) or least (GIF) significant bit first.
template <bool Gif>
struct CodeReader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    uint64_t acc = 0;
    int count = 0;

    // The next code of `width` bits, or -1 when the data ends.
    int read(int width) {
        if (count < width && pos + 4 <= size) {  // four bytes at once
            uint32_t v;
            std::memcpy(&v, data + pos, 4);
            if (Gif) acc |= (uint64_t)v << count;
            else acc = acc << 32 | __builtin_bswap32(v);
            pos += 4;
            count += 32;
        }
        while (count < width) {
            if (pos >= size) return -1;
            if (Gif) acc |= (uint64_t)data[pos++] << count;
            else acc = acc << 8 | data[pos++];
            count += 8;
        }
        count -= width;
        const uint32_t mask = (1u << width) - 1;
        if (Gif) {
            const int code = (int)(acc & mask);
            acc >>= width;
            return code;
        }
        return (int)((acc >> count) & mask);
    }
};

// Decodes one code stream into out[0, size) (with kSlack more bytes writable);
// *produced receives the bytes written.
template <bool Gif>
LzwEnd decode_stream(const uint8_t* in, size_t in_size, int root, LzwTable& t, uint8_t* out,
                     size_t size, size_t* produced) {
    CodeReader<Gif> codes{in, in_size};
    const int clear = 1 << root, eoi = clear + 1;
    for (int r = 0; r < clear; ++r) {
        t.string[r] = kRootBytes.b + r;
        t.length[r] = 1;
    }
    int width = root + 1, next = clear + 2, prev = -1;
    size_t at = 0;
    LzwEnd end = LZW_DATA_END;
    for (;;) {
        const int code = codes.read(width);
        if (code < 0) break;
        if (code == clear) {
            width = root + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (code == eoi) {
            end = LZW_EOI;
            break;
        }
        const size_t start = at;
        if (code < next && (prev >= 0 || code < clear)) {
            const size_t n = std::min<size_t>(t.length[code], size - at);
            copy_string(out + at, t.string[code], n);
            at += n;
        } else if (code == next && prev >= 0) {  // the code being defined: prev + its first byte
            const size_t len = t.length[prev];
            if (at + len + 1 > size) {
                end = LZW_FULL;
                break;
            }
            copy_string(out + at, t.string[prev], len);
            out[at + len] = out[at];
            at += len + 1;
        } else {
            end = LZW_BAD;
            break;
        }
        if (prev >= 0 && next < kLzwTableSize) {
            // The new entry is prev's string followed by the first byte just written,
            // which is exactly the output from prev's start.
            t.string[next] = out + start - t.length[prev];
            t.length[next] = (uint16_t)(t.length[prev] + 1);
            ++next;
            if (lzw_width_grows(Gif, next + 1, width)) ++width;
        }
        prev = code;
        if (at >= size) {
            end = LZW_FULL;
            break;
        }
    }
    *produced = at;
    return end;
}

// Rows of `row_bytes` bytes that a decoded byte count fills completely.
int32_t whole_rows(size_t produced, size_t row_bytes) { return (int32_t)(produced / row_bytes); }

// Undoes the horizontal-differencing predictor: each byte adds the one `step` bytes
// to its left (the same channel of the pixel before, for 24-bit rows).
void integrate_row(uint8_t* row, size_t bytes, size_t step) {
    for (size_t i = step; i < bytes; ++i) row[i] = (uint8_t)(row[i] + row[i - step]);
}

void swap_red_blue(uint8_t* row, int32_t width) {
    for (int32_t x = 0; x < width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
}

// Finishes a page of packed rows: bilevel rows become the run-length form, deeper
// rows are the result as they are.
int finish_packed(uint8_t* rows, size_t pitch, PageBitmap* work, bool set_is_black) {
    // The result is one buffer: the source's strip tables are not its own.
    work->strip_count = 0;
    work->strip_offsets = nullptr;
    work->strip_lengths = nullptr;
    work->rows_per_strip = work->height;
    work->fill_order = 0;
    if (work->bits_per_pixel != 1) {
        work->data = rows;
        work->data_offset = 0;
        work->data_length = (int32_t)(pitch * (size_t)work->height + 1);
        work->pitch = (int32_t)pitch;
        work->compression = COMP_NONE;
        work->ownership = OWN_ALLOCATED;
        return IMG_OK;
    }
    RunsBuilder b;
    int rc = runs_begin(&b, work->width, work->height, pitch * (size_t)work->height / 4);
    for (int32_t y = 0; rc == IMG_OK && y < work->height; ++y)
        rc = runs_add_packed_row(&b, rows + (size_t)y * pitch, pitch, set_is_black);
    const int8_t black_is_one = work->black_is_one;
    if (rc == IMG_OK) rc = runs_finish(&b, work);
    else runs_abort(&b);
    work->black_is_one = black_is_one;
    mem_free(rows);
    return rc;
}

// Buffer of `rows` rows of `row_bytes` bytes, one spare byte and the decoder's slack;
// null when too large.
uint8_t* alloc_rows(size_t row_bytes, int32_t rows) {
    size_t total = 0;
    if (row_bytes == 0 || rows <= 0 || !checked_mul(row_bytes, (size_t)rows, &total, kMaxPageBytes - 1))
        return nullptr;
    return static_cast<uint8_t*>(mem_alloc(total + 1 + kSlack));
}

// Rows that a decode left undone beyond the one row that may end short.
bool too_short(int32_t missing, int flags) { return missing > 1 && !(flags & JPEG_ACCEPT_DAMAGED); }

// Picture row of the n-th decoded row of an interlaced GIF: passes of (start, step)
// (0, 8), (4, 8), (2, 4), (1, 2).
int32_t interlaced_row(int32_t n, int32_t height) {
    static constexpr int32_t kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int32_t rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
        if (n < rows) return kStart[pass] + n * kStep[pass];
        n -= rows;
    }
    return height - 1;
}

// Packs one row of palette indices (one a byte) at the page's depth.
void pack_indices(const uint8_t* in, int32_t width, int bpp, uint8_t* out) {
    if (bpp == 8) {
        std::memcpy(out, in, (size_t)width);
    } else if (bpp == 4) {
        for (int32_t x = 0; x < width; ++x) out[x >> 1] |= (uint8_t)((in[x] & 15) << ((x & 1) ? 0 : 4));
    } else {
        for (int32_t x = 0; x < width; ++x) out[x >> 3] |= (uint8_t)((in[x] & 1) << (7 - (x & 7)));
    }
}

// Undoes the predictor and turns 24-bit rows blue first, while the strip is hot.
void finish_tiff_rows(const PageBitmap* src, uint8_t* rows, size_t row_bytes, int32_t count) {
    const int bpp = src->bits_per_pixel;
    for (int32_t y = 0; y < count; ++y) {
        uint8_t* row = rows + (size_t)y * row_bytes;
        if (src->layout & LAYOUT_PREDICTOR) integrate_row(row, row_bytes, bpp == 24 ? 3 : 1);
        if (bpp == 24) swap_red_blue(row, src->width);
    }
}

// TIFF: each strip decodes into its own rows; the table is reset per strip.
void decode_tiff_strips(const PageBitmap* src, uint8_t* rows, size_t row_bytes, LzwTable& table, int32_t* missing) {
    const int32_t per_strip = page_rows_per_strip(src);
    *missing = 0;
    for (int32_t y = 0, s = 0; y < src->height; y += per_strip, ++s) {
        const int32_t count = std::min(per_strip, src->height - y);
        uint8_t* strip_rows = rows + (size_t)y * row_bytes;
        size_t in_size = 0;
        const uint8_t* in = page_strip(src, s, &in_size);
        size_t produced = 0;
        if (in) decode_stream<false>(in, in_size, 8, table, strip_rows, (size_t)count * row_bytes, &produced);
        *missing += count - whole_rows(produced, row_bytes);
        finish_tiff_rows(src, strip_rows, row_bytes, count);
    }
}
}  // namespace

int lzw_decode_tiff(const PageBitmap* src, PageBitmap* work, int flags) {
    if (!src || !work) return ERR_PARAMETER;
    const int bpp = src->bits_per_pixel;
    const size_t row_bytes = (size_t)row_bytes_packed(src->width, bpp);
    if (src->width <= 0 || src->height <= 0 || src->width > kMaxPageSide || row_bytes == 0) return ERR_PARAMETER;
    uint8_t* rows = alloc_rows(row_bytes, src->height);
    if (!rows) return ERR_MEMORY;
    LzwTable* table = static_cast<LzwTable*>(mem_alloc(sizeof(LzwTable)));
    if (!table) {
        mem_free(rows);
        return ERR_MEMORY;
    }
    int32_t missing = 0;
    decode_tiff_strips(src, rows, row_bytes, *table, &missing);
    mem_free(table);
    if (too_short(missing, flags)) {
        mem_free(rows);
        return ERR_DECOMPRESS;
    }
    work->layout = LAYOUT_TOP_DOWN;
    // Bilevel TIFF rows are measured with set bits white; the page's sense flips.
    if (bpp == 1) work->black_is_one = (int8_t)!src->black_is_one;
    return finish_packed(rows, row_bytes, work, false);
}

int lzw_decode_gif(const PageBitmap* src, PageBitmap* work, int flags) {
    if (!src || !work || !src->data) return ERR_PARAMETER;
    const int bpp = src->bits_per_pixel;
    if (src->width <= 0 || src->height <= 0 || src->width > 65535 || (bpp != 1 && bpp != 4 && bpp != 8))
        return ERR_PARAMETER;
    if (src->data_length < 2) return ERR_DECOMPRESS;
    const uint8_t* in = src->data + src->data_offset;
    const bool interlaced = in[0] & 0x40;
    const int root = in[1];
    if (root < 1 || root > 8) return ERR_DECOMPRESS;
    const size_t width = (size_t)src->width;
    uint8_t* indices = alloc_rows(width, src->height);
    LzwTable* table = static_cast<LzwTable*>(mem_alloc(sizeof(LzwTable)));
    // Rows are aligned to 4 bytes; computed here in full, never cut to 16 bits.
    const size_t pitch = ((size_t)row_bytes_packed(src->width, bpp) + 3) & ~(size_t)3;
    uint8_t* rows = alloc_rows(pitch, src->height);
    if (!indices || !table || !rows) {
        mem_free(indices);
        mem_free(table);
        mem_free(rows);
        return ERR_MEMORY;
    }
    size_t produced = 0;
    decode_stream<true>(in + 2, (size_t)src->data_length - 2, root, *table, indices, width * (size_t)src->height,
                        &produced);
    mem_free(table);
    if (too_short(src->height - whole_rows(produced, width), flags)) {
        mem_free(indices);
        mem_free(rows);
        return ERR_DECOMPRESS;
    }
    for (int32_t n = 0; n < src->height; ++n) {
        const int32_t y = interlaced ? interlaced_row(n, src->height) : n;
        pack_indices(indices + (size_t)n * width, src->width, bpp, rows + (size_t)y * pitch);
    }
    mem_free(indices);
    work->layout = LAYOUT_TOP_DOWN;
    return finish_packed(rows, pitch, work, false);
}
