// HP PCL raster graphics of a bilevel page, as a printer takes it: "ESC*b2M" (raster
// compression mode 2, PackBits) and "ESC*r0A" (start raster graphics at the left
// edge), then for each row "ESC*b<n>W" and the row's n packed bytes (set bits black),
// then "ESC*rB" (end raster graphics). Commands of the HP PCL 5 technical reference.
#include "codecs/pcl_raster.h"

#include <cstdio>
#include <cstring>

#include "codecs/encoder_pages.h"
#include "codecs/rle_packbits.h"
#include "codecs/run_form.h"

namespace {

constexpr char kStart[] = "\x1b*b2M\x1b*r0A";
constexpr char kEnd[] = "\x1b*rB";
// "ESC*b" + at most 10 digits + "W".
constexpr size_t kRowCommandMax = 16;

// Paints row y with set bits black: the runs' black, or their white when the runs
// hold the page the other way round (black_is_one). False when the row is missing.
bool paint_row(const PageBitmap& p, int32_t y, uint8_t* row) {
    const RunRow runs = run_row(p, y);
    if (!runs.bytes) return false;
    if (p.black_is_one) runs_paint_row(runs, row, p.width);
    else runs_paint_row_black(runs, row, p.width);
    return true;
}

int encode_rows(const PageBitmap& p, uint8_t* row, size_t row_bytes, EncodedOutput& out) {
    for (int32_t y = 0; y < p.height; ++y) {
        if (!paint_row(p, y, row)) return ERR_PARAMETER;
        uint8_t* at = out.reserve(kRowCommandMax + packbits_row_bound(row_bytes));
        if (!at) return ERR_MEMORY;
        // The packed bytes go after the longest command, which then moves up to them.
        uint8_t* packed = at + kRowCommandMax;
        const size_t n = packbits_pack_row(row, row_bytes, packed);
        char command[kRowCommandMax + 1];
        const int length = std::snprintf(command, sizeof command, "\x1b*b%uW", (unsigned)n);
        std::memcpy(at, command, (size_t)length);
        std::memmove(at + length, packed, n);
        out.commit(at + length + n);
    }
    return IMG_OK;
}

}  // namespace

int pcl_encode(const PageBitmap* src, PageBitmap* target, int flags) {
    (void)flags;
    if (!src || !target || src->bits_per_pixel != 1 || src->compression != COMP_RUNS || src->width <= 0 ||
        src->height <= 0 || src->width > RUN_MAX)
        return ERR_PARAMETER;
    const size_t row_bytes = (size_t)(src->width + 7) / 8;
    size_t expected = 0;
    checked_mul(row_bytes, (size_t)src->height, &expected, (size_t)kMaxPageBytes);
    EncoderBuffers b;
    int rc = b.begin(expected, row_bytes);
    if (rc == IMG_OK && !b.out.put(kStart, sizeof kStart - 1)) rc = ERR_MEMORY;
    if (rc == IMG_OK) rc = encode_rows(*src, b.work, row_bytes, b.out);
    if (rc == IMG_OK && !b.out.put(kEnd, sizeof kEnd - 1)) rc = ERR_MEMORY;
    if ((rc = b.end(rc, target, COMP_PCL)) != IMG_OK) return rc;
    target->black_is_one = 0;
    target->pitch = (int32_t)row_bytes;
    return IMG_OK;
}
