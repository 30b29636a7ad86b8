// PackBits (the TIFF 6.0 document, section 9; Apple Technical Note TN1023): a header
// byte h below 128 is followed by h + 1 literal bytes, h of 129 to 255 by one byte that
// repeats 257 - h times, and h = 128 is no operation. Decoding fills the page's packed
// rows strip by strip, runs continuing across row ends; encoding packs each row alone.
#include "codecs/rle_packbits.h"

#include <cstring>
#include <utility>

#include "base/checked_math.h"
#include "codecs/codec_strips.h"
#include "codecs/encoder_pages.h"
#include "codecs/fax_tables.h"
#include "codecs/run_form.h"

namespace {

// ---- Decoding -------------------------------------------------------------------------

enum Unpacked { UNPACK_FULL, UNPACK_SHORT, UNPACK_OVERRUN };

// Unpacks `in` (n bytes) into out[0, size). FULL once the output is filled (input left
// over is not looked at); SHORT when the input ends first, a literal cut by the end
// keeping what is there; OVERRUN when a run would pass the end of the output, which
// gets what fits. Nothing is written outside the output.
Unpacked unpack(const uint8_t* in, size_t n, uint8_t* out, size_t size) {
    size_t i = 0, o = 0;
    // While a whole piece (a header and 128 bytes in, 128 bytes out) fits on both
    // sides, pieces are copied or filled as fixed 128-byte blocks; the bytes written
    // past a shorter piece are written over by the pieces that follow.
    while (size - o >= 128 && n - i >= 129) {
        const unsigned h = in[i++];
        if (h < 128) {
            std::memcpy(out + o, in + i, 128);
            i += h + 1;
            o += h + 1;
        } else if (h > 128) {
            std::memset(out + o, in[i++], 128);
            o += 257 - h;
        }
    }
    while (o < size) {
        if (i >= n) return UNPACK_SHORT;
        const unsigned h = in[i++];
        if (h < 128) {
            size_t c = h + 1;
            const bool cut = c > n - i;
            if (cut) c = n - i;
            const bool over = c > size - o;
            if (over) c = size - o;
            std::memcpy(out + o, in + i, c);
            i += c;
            o += c;
            if (over) return UNPACK_OVERRUN;
            if (cut) return UNPACK_SHORT;
        } else if (h > 128) {
            if (i >= n) return UNPACK_SHORT;
            size_t c = 257 - h;
            const bool over = c > size - o;
            if (over) c = size - o;
            std::memset(out + o, in[i++], c);
            o += c;
            if (over) return UNPACK_OVERRUN;
        }
    }
    return UNPACK_FULL;
}

// Bilevel data stored least significant bit first has every stored byte, headers
// included, bit-reversed (as TIFF writers store it): each strip is unpacked from a
// turned copy, and the stored data is never written.
struct StripReader {
    const PageBitmap* src;
    uint8_t* turned = nullptr;
    size_t turned_cap = 0;

    ~StripReader() { mem_free(turned); }
    // Strip s as the unpacker reads it; null when there is none (or no memory).
    const uint8_t* strip(int s, size_t* n) {
        const uint8_t* in = page_strip(src, s, n);
        if (!in || src->fill_order != 1 || src->bits_per_pixel != 1) return in;
        if (*n > turned_cap) {
            mem_free(turned);
            turned = static_cast<uint8_t*>(mem_alloc(*n));
            turned_cap = turned ? *n : 0;
            if (!turned) return nullptr;
        }
        for (size_t i = 0; i < *n; ++i) turned[i] = kBitReverse[in[i]];
        return turned;
    }
};

// Unpacks every strip into its rows; false when any strip is missing, ends early or
// runs past its rows (the rows it could not fill stay zero).
bool unpack_strips(const PageBitmap* src, uint8_t* rows, size_t row_bytes) {
    const int32_t per_strip = page_rows_per_strip(src);
    StripReader reader{src};
    bool whole = true;
    for (int32_t y = 0, s = 0; y < src->height; y += per_strip, ++s) {
        const int32_t count = per_strip < src->height - y ? per_strip : src->height - y;
        size_t n = 0;
        const uint8_t* in = reader.strip(s, &n);
        if (!in || unpack(in, n, rows + (size_t)y * row_bytes, (size_t)count * row_bytes) != UNPACK_FULL)
            whole = false;
    }
    return whole;
}

// Compressed bytes the page holds in all its strips.
size_t stored_bytes(const PageBitmap* src) {
    if (!page_has_strip_tables(src)) return src->data_length > 0 ? (size_t)src->data_length : 0;
    size_t total = 0;
    for (int32_t s = 0; s < src->strip_count; ++s) total += src->strip_lengths[s];
    return total;
}

// Two input bytes give at most 128 output bytes: a page that its data could fill to
// less than a 256th is refused before its rows are allocated.
bool too_large_for_data(size_t size, size_t stored) { return size > 65536 && size / 256 / 64 > stored; }

void swap_red_blue(uint8_t* rows, size_t size) {
    for (size_t i = 0; i + 2 < size; i += 3) std::swap(rows[i], rows[i + 2]);
}

// Bilevel rows go into the run-length form; the rows buffer is freed either way.
int finish_bilevel(const PageBitmap* src, uint8_t* rows, size_t row_bytes, PageBitmap* work) {
    RunsBuilder b;
    int rc = runs_begin(&b, src->width, src->height, (size_t)src->height * 16);
    for (int32_t y = 0; rc == IMG_OK && y < src->height; ++y)
        rc = runs_add_packed_row(&b, rows + (size_t)y * row_bytes, row_bytes, src->black_is_one != 0);
    mem_free(rows);
    if (rc != IMG_OK) {
        runs_abort(&b);
        return rc;
    }
    runs_finish(&b, work);  // inverted already when black_is_one was set
    if (src->layout & LAYOUT_BOTTOM_UP) runs_reverse_rows(work);
    return IMG_OK;
}

void finish_packed(const PageBitmap* src, uint8_t* rows, size_t row_bytes, size_t size, PageBitmap* work) {
    work->data = rows;
    work->data_offset = 0;
    work->data_length = (int32_t)size;
    work->pitch = (int32_t)row_bytes;
    work->compression = COMP_NONE;
    work->ownership = OWN_ALLOCATED;
    work->layout = (uint8_t)(src->layout & (LAYOUT_TOP_DOWN | LAYOUT_BOTTOM_UP | LAYOUT_BMP));
}

bool supported_depth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24; }

// ---- Encoding -------------------------------------------------------------------------

// A repeat run of k >= 1 equal bytes: pieces of 128, then the remainder (a single
// byte as a literal of one).
uint8_t* put_repeat(uint8_t* o, uint8_t v, size_t k) {
    for (; k >= 128; k -= 128) {
        *o++ = 0x81;
        *o++ = v;
    }
    if (k > 0) {
        *o++ = (uint8_t)(k >= 2 ? 257 - k : 0);
        *o++ = v;
    }
    return o;
}

// A literal run of `k` bytes in pieces of at most 128. A short one with 16 bytes of
// input behind it is copied as one 16-byte block (the output has that slack).
uint8_t* put_literal(uint8_t* o, const uint8_t* in, size_t k, size_t in_left) {
    if (k <= 16 && in_left >= 16) {
        *o++ = (uint8_t)(k - 1);
        std::memcpy(o, in, 16);
        return o + k;
    }
    while (k > 0) {
        const size_t piece = k < 128 ? k : 128;
        *o++ = (uint8_t)(piece - 1);
        std::memcpy(o, in, piece);
        o += piece;
        in += piece;
        k -= piece;
    }
    return o;
}

// The bytes of picture row y as the encoder packs them: bilevel rows painted from their
// runs (set bits white), 24-bit rows turned to red, green, blue; null when the row
// cannot be found.
const uint8_t* encoder_row(const PageBitmap& p, int32_t y, uint8_t* scratch) {
    if (p.bits_per_pixel == 1) {
        const RunRow runs = run_row(p, y);
        if (!runs.bytes) return nullptr;
        runs_paint_row(runs, scratch, p.width);
        return scratch;
    }
    const uint8_t* row = picture_row(p, y);
    if (p.bits_per_pixel != 24) return row;
    for (int32_t x = 0; x < p.width; ++x) {
        scratch[3 * x] = row[3 * x + 2];
        scratch[3 * x + 1] = row[3 * x + 1];
        scratch[3 * x + 2] = row[3 * x];
    }
    return scratch;
}

uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Index of the lowest zero byte of a little-endian word that has one.
int first_zero_byte(uint64_t d) {
    const uint64_t zero = (d - 0x0101010101010101ull) & ~d & 0x8080808080808080ull;
    return __builtin_ctzll(zero) >> 3;
}

// First index at or after j where the bytes stop being v (n when they never do).
size_t repeat_end(const uint8_t* in, size_t j, size_t n, uint8_t v) {
    const uint64_t pattern = 0x0101010101010101ull * v;
    for (; j + 8 <= n; j += 8)
        if (const uint64_t d = load64(in + j) ^ pattern) return j + (size_t)(__builtin_ctzll(d) >> 3);
    while (j < n && in[j] == v) ++j;
    return j;
}

// First index at or after j whose byte equals the next one, or the last index.
size_t literal_end(const uint8_t* in, size_t j, size_t n) {
    for (; j + 9 <= n; j += 8) {
        const uint64_t d = load64(in + j) ^ load64(in + j + 1);
        if ((d - 0x0101010101010101ull) & ~d & 0x8080808080808080ull) return j + (size_t)first_zero_byte(d);
    }
    while (j + 1 < n && in[j] != in[j + 1]) ++j;
    return j;
}

}  // namespace

size_t packbits_pack_row(const uint8_t* in, size_t n, uint8_t* out) {
    uint8_t* o = out;
    size_t i = 0;
    while (i + 1 < n) {
        const uint8_t v = in[i];
        size_t j;
        if (in[i + 1] == v) {
            j = repeat_end(in, i + 2, n, v);
            o = put_repeat(o, v, j - i);
        } else {
            // Bytes each different from the next; the last of the stretch begins a
            // repeat run or is the row's last byte, and is not part of the literal.
            j = literal_end(in, i + 1, n);
            o = put_literal(o, in + i, j - i, n - i);
        }
        i = j;
    }
    if (i < n) o = put_repeat(o, in[i], 1);
    return (size_t)(o - out);
}

int packbits_decode(const PageBitmap* src, PageBitmap* work, int flags) {
    if (!src || !work || !src->data) return ERR_PARAMETER;
    const int bpp = src->bits_per_pixel;
    if (!supported_depth(bpp) || src->width <= 0 || src->height <= 0) return ERR_PARAMETER;
    if (src->width > kMaxPageSide || src->height > kMaxPageSide) return ERR_UNSUPPORTED;
    const size_t row_bytes = (size_t)row_bytes_packed(src->width, bpp);
    size_t size = 0;
    if (!checked_mul(row_bytes, (size_t)src->height, &size, (size_t)INT32_MAX)) return ERR_UNSUPPORTED;
    if (too_large_for_data(size, stored_bytes(src))) return ERR_DECOMPRESS;
    uint8_t* rows = static_cast<uint8_t*>(mem_alloc(size));
    if (!rows) return ERR_MEMORY;
    // Damaged data accepted: the rows decoded stay, the others are empty.
    if (!unpack_strips(src, rows, row_bytes) && !(flags & JPEG_ACCEPT_DAMAGED)) {
        mem_free(rows);
        return ERR_DECOMPRESS;
    }
    work->strip_count = 0;
    work->strip_offsets = nullptr;
    work->strip_lengths = nullptr;
    work->rows_per_strip = src->height;
    work->fill_order = 0;
    if (bpp == 1) return finish_bilevel(src, rows, row_bytes, work);
    if (bpp == 24) swap_red_blue(rows, size);
    finish_packed(src, rows, row_bytes, size, work);
    return IMG_OK;
}

int packbits_encode(const PageBitmap* src, PageBitmap* target, int flags) {
    (void)flags;
    if (!src || !target || !supported_depth(src->bits_per_pixel) || src->width <= 0 || src->height <= 0 ||
        src->width > kMaxPageSide)
        return ERR_PARAMETER;
    const size_t row_bytes = (size_t)row_bytes_packed(src->width, src->bits_per_pixel);
    const bool rows_ok = src->bits_per_pixel == 1 ? src->compression == COMP_RUNS : packed_rows_present(*src, row_bytes);
    if (!rows_ok) return ERR_PARAMETER;
    size_t expected = 0;
    checked_mul(row_bytes, (size_t)src->height, &expected, (size_t)kMaxPageBytes);
    EncoderBuffers b;
    int rc = b.begin(expected, row_bytes + 8);
    for (int32_t y = 0; y < src->height && rc == IMG_OK; ++y) {
        const uint8_t* row = encoder_row(*src, y, b.work);
        uint8_t* at = row ? b.out.reserve(packbits_row_bound(row_bytes)) : nullptr;
        if (at) b.out.commit(at + packbits_pack_row(row, row_bytes, at));
        else rc = row ? ERR_MEMORY : ERR_PARAMETER;
    }
    if ((rc = b.end(rc, target, COMP_PACKBITS)) != IMG_OK) return rc;
    target->pitch = (int32_t)row_bytes;  // black_is_one stays: painted set bits are the runs' white
    return IMG_OK;
}
