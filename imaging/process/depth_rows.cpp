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
        uint8_t* bits = scratch_.data();
        for_each_black_run(run_row(page_, y), page_.width,
                           [bits](int32_t start, int32_t length) { clear_span(bits, start, start + length); });
        return bits;
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

void RunBuilder::add_row(const uint8_t* white, int32_t width) {
    starts.push_back(bytes.size());
    uint8_t pair[4];
    int32_t x = 0;
    for (;;) {
        const int32_t w0 = x;
        while (x < width && white[x]) ++x;
        const int32_t b0 = x;
        while (x < width && !white[x]) ++x;
        int n = run_write(pair, b0 - w0);
        n += run_write(pair + n, x - b0);
        bytes.insert(bytes.end(), pair, pair + n);
        if (x == b0) return;  // an empty black run ends the row
    }
}

int commit_runs(PageBitmap& page, const RunBuilder& runs) {
    const size_t table = runs_table_bytes(page.height);
    const size_t total = table + runs.bytes.size();
    if (total > INT32_MAX) return ERR_MEMORY;
    uint8_t* data = static_cast<uint8_t*>(mem_alloc(total));
    if (!data) return ERR_MEMORY;
    std::memcpy(data + table, runs.bytes.data(), runs.bytes.size());
    for (int32_t y = 0; y < page.height; ++y) {
        const uint8_t* row = data + table + runs.starts[(size_t)y];
        std::memcpy(data + (size_t)y * sizeof(void*), &row, sizeof row);
    }
    drop_palette(page);
    replace_data(page, data, (int32_t)total);
    page.pitch = converted_pitch(page.width, 1);
    page.bits_per_pixel = 1;
    page.compression = COMP_RUNS;
    page.black_is_one = 0;
    page.layout = (uint8_t)((page.layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    return IMG_OK;
}
