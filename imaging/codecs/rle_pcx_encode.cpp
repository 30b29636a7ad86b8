// PCX run-length encoder (ZSoft PCX format): a run of 2 to 63 equal bytes is a count
// byte 0xC0 | n and the byte, longer runs go in pieces of 63; a single byte below 0xC0
// stands for itself and one of 0xC0 or more is written as a run of one (0xC1). Each
// row is coded alone; 24-bit rows as three planes (red, green, blue bytes).
#include "codecs/encoder_pages.h"
#include "codecs/rle_pcx.h"
#include "codecs/run_form.h"

namespace {

// Codes one plane of `n` bytes into `out` (room for 2 n bytes); answers the end.
uint8_t* pack_plane(const uint8_t* in, size_t n, uint8_t* out) {
    size_t i = 0;
    while (i < n) {
        const uint8_t v = in[i];
        size_t j = i + 1;
        while (j < n && in[j] == v && j - i < 63) ++j;
        const size_t k = j - i;
        if (k >= 2 || v >= 0xC0) *out++ = (uint8_t)(0xC0 | k);
        *out++ = v;
        i = j;
    }
    return out;
}

// Bytes of one plane of a row: packed 1-bit and 4-bit rows, one byte a pixel for 8-bit
// and for each plane of 24-bit rows; 0 for other depths.
size_t plane_bytes(const PageBitmap& p) {
    switch (p.bits_per_pixel) {
    case 1: return (size_t)(p.width + 7) / 8;
    case 4: return (size_t)(p.width + 1) / 2;
    case 8:
    case 24: return (size_t)p.width;
    default: return 0;
    }
}

// Codes picture row y: 0, -1, or -6 for a row that cannot be found.
int pack_row(const PageBitmap& p, int32_t y, size_t plane, uint8_t* scratch, EncodedOutput& out) {
    uint8_t* at = out.reserve(6 * plane + 8);
    if (!at) return ERR_MEMORY;
    if (p.bits_per_pixel == 1) {
        const RunRow runs = run_row(p, y);
        if (!runs.bytes) return ERR_PARAMETER;
        runs_paint_row(runs, scratch, p.width);  // set bits white
        out.commit(pack_plane(scratch, plane, at));
        return IMG_OK;
    }
    const uint8_t* row = picture_row(p, y);
    if (p.bits_per_pixel != 24) {
        out.commit(pack_plane(row, plane, at));
        return IMG_OK;
    }
    for (int c = 2; c >= 0; --c) {  // red, green, blue from blue-green-red pixels
        for (int32_t x = 0; x < p.width; ++x) scratch[x] = row[3 * x + c];
        at = pack_plane(scratch, plane, at);
    }
    out.commit(at);
    return IMG_OK;
}

}  // namespace

int pcx_encode(const PageBitmap* src, PageBitmap* target, int flags) {
    (void)flags;
    if (!src || !target || src->width <= 0 || src->height <= 0 || src->width > kMaxPageSide) return ERR_PARAMETER;
    const size_t plane = plane_bytes(*src);
    const int planes = src->bits_per_pixel == 24 ? 3 : 1;
    if (plane == 0) return ERR_PARAMETER;
    const bool rows_ok = src->bits_per_pixel == 1
                             ? src->compression == COMP_RUNS
                             : packed_rows_present(*src, (size_t)row_bytes_packed(src->width, src->bits_per_pixel));
    if (!rows_ok) return ERR_PARAMETER;
    size_t expected = 0;
    checked_mul(plane * planes, (size_t)src->height, &expected, (size_t)kMaxPageBytes);
    EncoderBuffers b;
    int rc = b.begin(expected, plane + 8);
    for (int32_t y = 0; y < src->height && rc == IMG_OK; ++y) rc = pack_row(*src, y, plane, b.work, b.out);
    if ((rc = b.end(rc, target, COMP_PCX_RLE)) != IMG_OK) return rc;
    target->planes = (int8_t)planes;
    target->pitch = (int32_t)(plane * planes);
    return IMG_OK;
}
