// scale_page: checks the display transform and hands the page to the pass for its
// kind (pixel rows or bilevel runs). Positions are fixed point with 8 fractional
// bits; see scale_pixels.cpp and scale_bilevel.cpp for the drawing itself.
#include "base/records.h"
#include "process/process.h"
#include "process/scale_draw.h"

int32_t view_row_bytes(int32_t out_width, int bpp) {
    // Computed without the 16-bit cut of row_bytes_aligned, so that very wide
    // outputs never get rows that overlap.
    const int64_t bits = (int64_t)out_width * bpp;
    const int64_t bytes = ((bits + 7) / 8 + 3) & ~(int64_t)3;
    return bytes > INT32_MAX ? 0 : (int32_t)bytes;
}

namespace {
bool transform_ok(const ViewParams& v) {
    return v.x_scale >= VIEW_MIN_SCALE && v.y_scale >= VIEW_MIN_SCALE && v.pixels &&
           v.out_width > 0 && v.out_height > 0;
}

bool pixel_depth(int bpp) { return bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24; }

bool angle_ok(int32_t angle) { return angle == 0 || angle == 90 || angle == 180 || angle == 270; }
}  // namespace

int scale_page(const PageBitmap* page, const ViewParams* view, int top_down, const uint8_t* tone) {
    if (!page || !view || !transform_ok(*view)) return ERR_PARAMETER;
    if (!page->data || page->width <= 0 || page->height <= 0) return ERR_PARAMETER;
    const int bpp = page->bits_per_pixel;
    if (bpp == 1) return scale_bilevel(*page, *view, top_down);
    if (!pixel_depth(bpp) || !angle_ok(view->angle)) return ERR_PARAMETER;
    if (page->compression != COMP_NONE || page->data_offset < 0) return ERR_PARAMETER;
    if (page->pitch < row_bytes_packed(page->width, bpp)) return ERR_PARAMETER;
    if (view_row_bytes(view->out_width, bpp) == 0) return ERR_PARAMETER;
    return scale_pixels(*page, *view, top_down, tone);
}
