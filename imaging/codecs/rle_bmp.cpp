// BMP run-length coding (Microsoft BI_RLE4 and BI_RLE8, OS/2 24-bit RLE): pairs
// (n, v) repeat a pixel n times (RLE4: the two 4-bit values of v in turn; 24-bit: v and
// the next two bytes); escapes (0, e) end a row (0), end the picture (1), move right and
// up (2, then two bytes) or copy e literal pixels padded to an even byte count (e >= 3).
// Rows run from the bottom of the picture up.
#include "codecs/rle_bmp.h"

#include <cstring>

#include "base/checked_math.h"
#include "codecs/encoder_pages.h"

namespace {

// ---- Decoding -------------------------------------------------------------------------

// Where decoded pixels go: column x of row y, rows counted from the bottom of the
// picture and stored top-down. A row holds `cap` pixels, its padding included; a pixel
// beyond them continues on the next row up.
struct RleCanvas {
    uint8_t* pixels;
    size_t pitch;
    int32_t width;
    int32_t height;
    int32_t cap;
    int bpp;
    int32_t x = 0;
    int32_t y = 0;

    void set(uint8_t* row, int32_t at, uint32_t v) const {
        if (bpp == 8) {
            row[at] = (uint8_t)v;
        } else if (bpp == 4) {
            row[at >> 1] = (at & 1) ? (uint8_t)((row[at >> 1] & 0xF0) | (v & 15)) : (uint8_t)((row[at >> 1] & 15) | v << 4);
        } else {
            row[3 * at] = (uint8_t)v;
            row[3 * at + 1] = (uint8_t)(v >> 8);
            row[3 * at + 2] = (uint8_t)(v >> 16);
        }
    }
    // True when every pixel of the picture has had its turn.
    bool complete() const { return y >= height || (y == height - 1 && x >= width); }
};

// Writes n pixels, the i-th being at(i), wrapping onto the rows above; false when they
// would pass the top of the picture (what fits is written).
template <class PixelAt>
bool put_pixels(RleCanvas& c, int32_t n, PixelAt at) {
    for (int32_t i = 0; i < n;) {
        if (c.x >= c.cap) {
            c.x = 0;
            ++c.y;
        }
        if (c.y >= c.height) return false;
        const int32_t k = n - i < c.cap - c.x ? n - i : c.cap - c.x;
        uint8_t* row = c.pixels + (size_t)(c.height - 1 - c.y) * c.pitch;
        for (int32_t j = 0; j < k; ++j) c.set(row, c.x + j, at(i + j));
        c.x += k;
        i += k;
    }
    return true;
}

// The e literal pixels at `in` (avail bytes there); false when the data ends inside
// them or they pass the top of the picture.
bool put_literal(RleCanvas& c, const uint8_t* in, size_t avail, int32_t e) {
    const size_t bytes = c.bpp == 8 ? (size_t)e : c.bpp == 4 ? (size_t)(e + 1) / 2 : 3 * (size_t)e;
    int32_t n = e;
    if (bytes > avail) n = c.bpp == 8 ? (int32_t)avail : c.bpp == 4 ? (int32_t)(2 * avail) : (int32_t)(avail / 3);
    const bool fits = put_pixels(c, n, [&](int32_t i) -> uint32_t {
        if (c.bpp == 8) return in[i];
        if (c.bpp == 4) return (in[i >> 1] >> ((i & 1) ? 0 : 4)) & 15;
        return in[3 * i] | in[3 * i + 1] << 8 | (uint32_t)in[3 * i + 2] << 16;
    });
    return fits && n == e;
}

enum RleEnd { RLE_DONE, RLE_DAMAGED };

// A move right by dx and up by dy; a move past the picture is damage, one just past
// its top row ends it.
RleEnd move(RleCanvas& c, int dx, int dy, bool* ended) {
    if (c.x + dx > c.cap || c.y + dy > c.height) return RLE_DAMAGED;
    c.x += dx;
    c.y += dy;
    *ended = c.y >= c.height;
    return RLE_DONE;
}

// Decodes the pairs of `in` onto the canvas until the end of the picture, or until the
// rows run out.
RleEnd decode_pairs(const uint8_t* in, size_t n, RleCanvas& c) {
    size_t pos = 0;
    for (;;) {
        if (n - pos < 2) return c.complete() ? RLE_DONE : RLE_DAMAGED;  // no end of picture
        const uint8_t count = in[pos], value = in[pos + 1];
        pos += 2;
        if (count > 0) {
            uint32_t pixel = value;
            if (c.bpp == 24) {
                if (n - pos < 2) return RLE_DAMAGED;
                pixel |= (uint32_t)in[pos] << 8 | (uint32_t)in[pos + 1] << 16;
                pos += 2;
            }
            const bool fits = put_pixels(c, count, [&](int32_t i) -> uint32_t {
                return c.bpp == 4 ? ((i & 1) ? value & 15 : value >> 4) : pixel;
            });
            if (!fits) return RLE_DAMAGED;
        } else if (value == 0) {  // end of row
            c.x = 0;
            if (++c.y >= c.height) return RLE_DONE;
        } else if (value == 1) {  // end of picture
            return RLE_DONE;
        } else if (value == 2) {  // move
            if (n - pos < 2) return RLE_DAMAGED;
            bool ended = false;
            if (move(c, in[pos], in[pos + 1], &ended) != RLE_DONE) return RLE_DAMAGED;
            if (ended) return RLE_DONE;
            pos += 2;
        } else {  // literal pixels, padded to an even byte count
            const size_t bytes = c.bpp == 8 ? value : c.bpp == 4 ? (size_t)(value + 1) / 2 : 3 * (size_t)value;
            if (!put_literal(c, in + pos, n - pos, value)) return RLE_DAMAGED;
            const size_t padded = bytes + (bytes & 1);
            pos += padded < n - pos ? padded : n - pos;  // the last pad byte may be missing
        }
    }
}

// ---- Encoding -------------------------------------------------------------------------

// Codes one row of `n` bytes: RLE8 one pixel a byte, RLE4 two (the last byte of an
// odd-width row holds one). Runs of equal bytes as (count, byte) in pieces; stretches
// of differing bytes longer than 2 as (0, count) and the bytes padded to an even
// length, in pieces; shorter stretches as runs of one byte; the row ends with (0, 0).
// Counts are pixels: RLE4 pieces are at most 127 bytes, so every piece but the row's
// last covers whole bytes.
uint8_t* encode_row(const uint8_t* b, size_t n, int32_t pixels, bool rle4, uint8_t* o) {
    const size_t max_run = rle4 ? 127 : 255, max_literal = rle4 ? 127 : 254;
    auto count = [&](size_t from, size_t k) -> uint8_t {
        if (!rle4) return (uint8_t)k;
        return (uint8_t)(2 * k - (from + k == n && (pixels & 1) ? 1 : 0));
    };
    size_t i = 0;
    while (i < n) {
        size_t j = i + 1;
        if (j < n && b[j] == b[i]) {
            while (j < n && b[j] == b[i]) ++j;
            for (size_t p = i; p < j;) {
                const size_t piece = j - p < max_run ? j - p : max_run;
                *o++ = count(p, piece);
                *o++ = b[i];
                p += piece;
            }
        } else {
            while (j < n && !(j + 1 < n && b[j] == b[j + 1])) ++j;
            for (size_t p = i; p < j;) {
                const size_t piece = j - p < max_literal ? j - p : max_literal;
                if (piece < 3) {
                    for (size_t q = p; q < p + piece; ++q) {
                        *o++ = count(q, 1);
                        *o++ = b[q];
                    }
                } else {
                    *o++ = 0;
                    *o++ = count(p, piece);
                    std::memcpy(o, b + p, piece);
                    o += piece;
                    if (piece & 1) *o++ = 0;
                }
                p += piece;
            }
        }
        i = j;
    }
    *o++ = 0;
    *o++ = 0;
    return o;
}

}  // namespace

int bmp_rle_decode(const PageBitmap* src, PageBitmap* work, int flags) {
    if (!src || !work || !src->data) return ERR_PARAMETER;
    const int bpp = src->bits_per_pixel;
    if ((bpp != 4 && bpp != 8 && bpp != 24) || src->width <= 0 || src->height <= 0) return ERR_PARAMETER;
    const int32_t pitch = row_bytes_aligned(src->width, bpp);
    size_t size = 0;
    if (pitch <= 0 || pitch < row_bytes_packed(src->width, bpp) ||
        !checked_mul((size_t)pitch, (size_t)src->height, &size, (size_t)INT32_MAX))
        return ERR_UNSUPPORTED;
    uint8_t* pixels = static_cast<uint8_t*>(mem_alloc(size));
    if (!pixels) return ERR_MEMORY;
    RleCanvas c{pixels, (size_t)pitch, src->width, src->height, bpp == 24 ? pitch / 3 : pitch * 8 / bpp, bpp};
    const size_t n = src->data_length > 0 ? (size_t)src->data_length : 0;
    // Damaged data accepted: the pixels decoded stay, the others are 0.
    if (decode_pairs(src->data + src->data_offset, n, c) != RLE_DONE && !(flags & JPEG_ACCEPT_DAMAGED)) {
        mem_free(pixels);
        return ERR_DECOMPRESS;
    }
    work->data = pixels;
    work->data_offset = 0;
    work->data_length = (int32_t)size;
    work->pitch = pitch;
    work->compression = COMP_NONE;
    work->ownership = OWN_ALLOCATED;
    work->layout = LAYOUT_TOP_DOWN;
    work->strip_count = 0;
    work->strip_offsets = nullptr;
    work->strip_lengths = nullptr;
    return IMG_OK;
}

int bmp_rle_encode(const PageBitmap* src, PageBitmap* target, int flags) {
    (void)flags;
    if (!src || !target || (src->bits_per_pixel != 4 && src->bits_per_pixel != 8) || src->width <= 0 ||
        src->height <= 0 || src->width > 0xFFFF)
        return ERR_PARAMETER;
    const bool rle4 = src->bits_per_pixel == 4;
    const size_t row_bytes = (size_t)row_bytes_packed(src->width, src->bits_per_pixel);
    if (!packed_rows_present(*src, row_bytes)) return ERR_PARAMETER;
    size_t expected = 0;
    checked_mul(row_bytes + row_bytes / 2, (size_t)src->height, &expected, (size_t)kMaxPageBytes);
    EncoderBuffers b;
    int rc = b.begin(expected, 0);
    for (int32_t y = src->height - 1; y >= 0 && rc == IMG_OK; --y) {
        uint8_t* at = b.out.reserve(2 * row_bytes + 8);
        if (at) b.out.commit(encode_row(picture_row(*src, y), row_bytes, src->width, rle4, at));
        else rc = ERR_MEMORY;
    }
    static const uint8_t kEndOfPicture[2] = {0, 1};
    if (rc == IMG_OK && !b.out.put(kEndOfPicture, 2)) rc = ERR_MEMORY;
    if ((rc = b.end(rc, target, COMP_BMP_RLE)) != IMG_OK) return rc;
    target->layout = LAYOUT_BMP | LAYOUT_BOTTOM_UP;
    target->pitch = row_bytes_aligned(src->width, src->bits_per_pixel);
    return IMG_OK;
}
