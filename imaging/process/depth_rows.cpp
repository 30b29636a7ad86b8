// Source and target rows of the bit-depth conversions: picture-order reading of
// packed and run-length pages, allocation and hand-over of the new pixel buffer,
// and the run-length encoding of 1-bit results (white and black runs per row).
#include <cstring>

#include "process/depth_rows.h"
#include "process/process.h"
#include "process/scale_runs.h"

SourceRows::SourceRows(const PageBitmap& page)
    : page_(page),
      runs_(page.compression == COMP_RUNS),
      invert_(page.bits_per_pixel == 1 && page.black_is_one && page.compression != COMP_RUNS),
      bottom_up_(page.compression != COMP_RUNS && (page.layout & LAYOUT_BOTTOM_UP)) {
    if (runs_ || invert_) scratch_.resize((size_t)converted_pitch(page.width, 1));
}

const uint8_t* SourceRows::row(int32_t y) {
    if (runs_) {
        std::memset(scratch_.data(), 0xFF, scratch_.size());
        runs_paint_row(run_row(page_, y), scratch_.data(), page_.width);
        return scratch_.data();
    }
    const int32_t stored = bottom_up_ ? page_.height - 1 - y : y;
    const uint8_t* r = page_.data + page_.data_offset + (ptrdiff_t)stored * page_.pitch;
    if (!invert_) return r;
    const size_t bytes = ((size_t)page_.width + 7) / 8;
    for (size_t i = 0; i < bytes; ++i) scratch_[i] = (uint8_t)~r[i];
    return scratch_.data();
}

int32_t converted_pitch(int32_t width, int bpp) { return view_row_bytes(width, bpp); }

uint8_t* alloc_pixels(const PageBitmap& page, int bpp, int32_t* pitch) {
    *pitch = converted_pitch(page.width, bpp);
    const int64_t size = (int64_t)*pitch * page.height;
    if (*pitch == 0 || size > INT32_MAX) return nullptr;
    return static_cast<uint8_t*>(mem_alloc((size_t)size));
}

namespace {
// Palettes of 4- and 8-bit pages belong to the page; others are left to their owner.
bool owns_palette(const PageBitmap& page) { return page.bits_per_pixel == 4 || page.bits_per_pixel == 8; }

void drop_palette(PageBitmap& page) {
    if (owns_palette(page)) mem_free(page.palette);
    page.palette = nullptr;
}

void replace_data(PageBitmap& page, uint8_t* data, int32_t length) {
    if (page_owns_data(page)) mem_free(page.data);
    page.data = data;
    page.data_offset = 0;
    page.data_length = length;
    page.ownership = OWN_ALLOCATED;
}
}  // namespace

int commit_pixels(PageBitmap& page, RebuildPlan plan, uint8_t* data, int32_t pitch, uint8_t* palette,
                  bool bottom_up) {
    if (plan.palette == NewPalette::none && page.bits_per_pixel != 16 && page.bits_per_pixel != 24)
        drop_palette(page);
    if (palette) {
        drop_palette(page);
        page.palette = palette;
    }
    if (page.compression == COMP_RUNS || !bottom_up)
        page.layout = (uint8_t)((page.layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    replace_data(page, data, pitch * page.height);
    page.pitch = pitch;
    page.bits_per_pixel = (int8_t)plan.bpp;
    page.compression = COMP_NONE;
    page.black_is_one = 0;
    return IMG_OK;
}

int add_white_row(RunsBuilder* b, const uint8_t* white, std::vector<int>& runs) {
    runs.clear();
    const int32_t width = b->width;
    for (int32_t x = 0; x < width;) {
        const int32_t w0 = x;
        while (x < width && white[x]) ++x;
        const int32_t b0 = x;
        while (x < width && !white[x]) ++x;
        runs.push_back(b0 - w0);
        runs.push_back(x - b0);
    }
    return runs_add_row(b, runs.data(), runs.size());
}

int commit_runs(PageBitmap& page, RunsBuilder* runs) {
    PageBitmap built = page;
    runs_finish(runs, &built);
    drop_palette(page);
    replace_data(page, built.data, built.data_length);
    page.pitch = converted_pitch(page.width, 1);
    page.bits_per_pixel = 1;
    page.compression = COMP_RUNS;
    page.black_is_one = 0;
    page.layout = (uint8_t)((page.layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    return IMG_OK;
}
