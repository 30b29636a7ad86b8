// The drawing passes behind scale_page, one per kind of page: sampled pixel rows
// (4, 8, 16 and 24 bits, with the quarter turns and box averaging) and bilevel
// run-length pages (drawn run by run, optionally anti-aliased into 4-bit grey).
#pragma once

#include <cstdint>

#include "base/records.h"
#include "process/process.h"

// The part of the output that the page covers: `cols` x `rows` pixels from the
// window origin, which lies inside the turned picture.
struct DrawExtent {
    int32_t cols;
    int32_t rows;
};

// Output row r of a buffer filled top-down or from its last row upwards.
inline uint8_t* output_row(uint8_t* pixels, int32_t pitch, int32_t height, int top_down, int32_t r) {
    const int32_t index = top_down ? r : height - 1 - r;
    return pixels + (ptrdiff_t)index * pitch;
}

// Fewest output pixels (or rows) that cover the rest of the picture from `origin`.
inline int32_t covered_outputs(int32_t limit, int32_t size, int32_t origin, int32_t scale) {
    const int64_t n = ((int64_t)(size - origin) * 256) / scale;
    return n < limit ? (int32_t)n : limit;
}

int scale_pixels(const PageBitmap& page, const ViewParams& view, int top_down, const uint8_t* tone);
int scale_bilevel(const PageBitmap& page, const ViewParams& view, int top_down);
