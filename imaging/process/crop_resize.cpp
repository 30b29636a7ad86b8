// Cropping and resizing decoded pages. Both draw the new page with scale_page: the
// crop at 1:1 with the view's quarter turn, the resize at the scale that maps the old
// size onto the new one with box averaging. Bilevel results return to the run form.
#include <cstring>
#include <vector>

#include "base/checked_math.h"
#include "process/operations.h"
#include "process/process.h"
#include "codecs/run_form.h"

namespace {

constexpr size_t kWordSlack = 8;  // run measuring reads a word past a row's last byte

bool drawable(const PageBitmap* page) {
    if (!page || !page->data) return false;
    if (page->bits_per_pixel == 1) return page->compression == COMP_RUNS;
    return page->compression == COMP_NONE;
}

// A zero-filled buffer of `rows` rows of `pitch` bytes, plus slack for word reads.
uint8_t* alloc_rows(int32_t pitch, int32_t rows) {
    size_t bytes = 0;
    if (pitch <= 0 || rows <= 0 || !checked_mul((size_t)pitch, (size_t)rows, &bytes, kMaxPageBytes)) return nullptr;
    return static_cast<uint8_t*>(mem_alloc(bytes + kWordSlack));
}

// Turns packed bilevel rows (set bits white) into the page's run-length data.
int packed_to_runs(PageBitmap* page, const uint8_t* rows, int32_t pitch, int32_t width, int32_t height) {
    std::vector<std::vector<int>> lists((size_t)height);
    for (int32_t y = 0; y < height; ++y) {
        runs_measure_packed(rows + (size_t)y * (size_t)pitch, (size_t)pitch, width, false, lists[(size_t)y]);
    }
    const int status = runs_page_replace(page, lists, width);
    if (status == IMG_OK) page->width = width;
    return status;
}

}  // namespace

int crop_page(PageBitmap* page, const ViewParams* view) {
    if (!drawable(page) || !view) return ERR_PARAMETER;
    const bool quarter = view->angle == 90 || view->angle == 270;
    const int32_t turned_w = quarter ? page->height : page->width;
    const int32_t turned_h = quarter ? page->width : page->height;
    const int64_t right = (int64_t)view->src_x + view->out_width, bottom = (int64_t)view->src_y + view->out_height;
    if (view->src_x < 0 || view->src_y < 0 || view->out_width <= 0 || view->out_height <= 0 || right > turned_w ||
        bottom > turned_h)
        return ERR_PARAMETER;
    const int bpp = page->bits_per_pixel;
    const int32_t pitch = row_bytes_aligned(view->out_width, bpp);
    if (pitch < row_bytes_packed(view->out_width, bpp)) return ERR_PARAMETER;  // wider than a row can be
    uint8_t* pixels = alloc_rows(pitch, view->out_height + 1);
    if (!pixels) return ERR_MEMORY;
    ViewParams v = *view;
    v.x_scale = v.y_scale = 256;
    v.out_pitch = pitch;
    v.pixels = pixels;
    v.flags = 0;
    int status = scale_page(page, &v, 1, nullptr);
    if (status == IMG_OK && bpp == 1) status = packed_to_runs(page, pixels, pitch, v.out_width, v.out_height);
    if (status != IMG_OK) {
        mem_free(pixels);
        return status;
    }
    if (bpp == 1) {
        mem_free(pixels);
    } else {
        if (page_owns_data(*page)) mem_free(page->data);
        page->data = pixels;
        page->data_offset = 0;
        page->ownership = OWN_ALLOCATED;
        page->pitch = pitch;
        page->data_length = pitch * v.out_height;
        page->width = v.out_width;
    }
    page->height = v.out_height;
    if (quarter) std::swap(page->x_dpi, page->y_dpi);
    return IMG_OK;
}

int resize_page(const PageBitmap* page, PageBitmap* result, int new_width, int new_height) {
    if (!drawable(page) || !result || new_width < 1 || new_height < 1 || new_width > RESIZE_MAX_SIDE ||
        new_height > RESIZE_MAX_SIDE)
        return ERR_PARAMETER;
    const int bpp = page->bits_per_pixel;
    ViewParams v{};
    v.x_scale = (int32_t)((int64_t)page->width * 256 / new_width);
    v.y_scale = (int32_t)((int64_t)page->height * 256 / new_height);
    // Beyond eight times enlargement the drawing refuses the scale; refusing here
    // keeps a blank page from being reported as a success.
    if (v.x_scale < VIEW_MIN_SCALE || v.y_scale < VIEW_MIN_SCALE) return ERR_PARAMETER;
    const int32_t pitch = row_bytes_aligned(new_width, bpp);
    if (pitch < row_bytes_packed(new_width, bpp)) return ERR_PARAMETER;
    uint8_t* pixels = alloc_rows(pitch, new_height);
    if (!pixels) return ERR_MEMORY;
    v.out_width = new_width;
    v.out_height = new_height;
    v.out_pitch = pitch;
    v.pixels = pixels;
    v.flags = VIEW_BOX_AVERAGE;
    int status = scale_page(page, &v, 1, nullptr);
    if (status != IMG_OK) {
        mem_free(pixels);
        return status;
    }
    uint8_t* palette = nullptr;
    if ((bpp == 4 || bpp == 8) && page->palette) {
        palette = static_cast<uint8_t*>(mem_alloc(768));
        if (!palette) {
            mem_free(pixels);
            return ERR_MEMORY;
        }
        std::memcpy(palette, page->palette, 768);
    }
    PageBitmap out = *page;
    out.strip_count = 0;
    out.strip_offsets = nullptr;
    out.strip_lengths = nullptr;
    out.aux_buffer = nullptr;
    out.palette = palette;
    out.width = new_width;
    out.height = new_height;
    out.compression = COMP_NONE;
    out.data = pixels;
    out.data_offset = 0;
    out.ownership = OWN_ALLOCATED;
    out.pitch = pitch;
    out.data_length = pitch * new_height;
    out.layout = LAYOUT_TOP_DOWN;
    if (bpp == 1) {
        out.data = nullptr;
        out.ownership = OWN_NONE;
        status = packed_to_runs(&out, pixels, pitch, new_width, new_height);
        mem_free(pixels);
        if (status != IMG_OK) return status;
    }
    *result = out;
    return IMG_OK;
}
