// The convert_page codecs between compression 0 and the run-length form (compression
// 11) for bilevel pages: packed rows (8 pixels a byte, most significant bit first) are
// measured into the form and painted back from it by the run-form module.
#include "codecs/bilevel_runs.h"

#include <cstring>

#include "base/checked_math.h"
#include "codecs/fax_tables.h"
#include "codecs/run_form.h"

namespace {

// Packed bytes of one stored row of a bilevel page, following strips when present.
const uint8_t* packed_row(const PageBitmap* page, int32_t y, size_t* avail) {
    const size_t pitch = (size_t)page->pitch;
    if (page->strip_count > 1 && page->strip_offsets && page->strip_lengths && page->rows_per_strip > 0) {
        const int32_t strip = y / page->rows_per_strip;
        if (strip >= page->strip_count) return nullptr;
        const size_t in_strip = (size_t)(y % page->rows_per_strip) * pitch;
        const size_t length = page->strip_lengths[strip];
        if (in_strip >= length) return nullptr;
        *avail = length - in_strip < pitch ? length - in_strip : pitch;
        return page->data + page->strip_offsets[strip] + in_strip;
    }
    const size_t at = (size_t)y * pitch;
    if (page->data_length < 0 || at >= (size_t)page->data_length) return nullptr;
    *avail = (size_t)page->data_length - at < pitch ? (size_t)page->data_length - at : pitch;
    return page->data + page->data_offset + at;
}

// Deeper uncompressed pages are already in decoded form: the result refers to the
// source's rows (and so never frees them), or to a gathered copy of multi-strip rows.
int pass_through_rows(const PageBitmap* source, PageBitmap* work) {
    work->data = source->data;
    work->data_offset = source->data_offset;
    work->ownership = OWN_BORROWED;
    if (source->strip_count <= 1) return IMG_OK;
    size_t size = 0;
    if (source->pitch <= 0 || !checked_mul((size_t)source->pitch, (size_t)source->height, &size, (size_t)kMaxPageBytes))
        return ERR_UNSUPPORTED;
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(size));
    if (!out) return ERR_MEMORY;
    for (int32_t y = 0; y < source->height; ++y) {
        size_t avail = 0;
        const uint8_t* row = packed_row(source, y, &avail);
        if (row) std::memcpy(out + (size_t)y * source->pitch, row, avail);
    }
    work->data = out;
    work->data_offset = 0;
    work->data_length = (int32_t)size;
    work->ownership = OWN_ALLOCATED;
    return IMG_OK;
}

}  // namespace

int bilevel_decode_packed(const PageBitmap* source, PageBitmap* work, int flags) {
    (void)flags;
    if (source->bits_per_pixel != 1) return pass_through_rows(source, work);
    if (source->pitch <= 0 || !source->data) return ERR_PARAMETER;
    // Rows stored least significant bit first are measured from a turned copy.
    uint8_t* turned = source->fill_order == 1 ? static_cast<uint8_t*>(mem_alloc((size_t)source->pitch)) : nullptr;
    RunsBuilder b;
    int rc = source->fill_order == 1 && !turned ? ERR_MEMORY
                                                : runs_begin(&b, source->width, source->height, (size_t)source->height * 16);
    for (int32_t y = 0; rc == IMG_OK && y < source->height; ++y) {
        size_t avail = 0;
        const uint8_t* row = packed_row(source, y, &avail);
        if (row && turned) {
            for (size_t i = 0; i < avail; ++i) turned[i] = kBitReverse[row[i]];
            row = turned;
        }
        rc = row ? runs_add_packed_row(&b, row, avail, source->black_is_one != 0)
                 : runs_add_row(&b, nullptr, 0);  // rows beyond the data stay white
    }
    mem_free(turned);
    if (rc) {
        runs_abort(&b);
        return rc;
    }
    work->fill_order = 0;
    work->strip_count = 0;
    work->layout = source->layout;
    runs_finish(&b, work);  // inverted already when black_is_one was set
    if (source->layout & LAYOUT_BOTTOM_UP) runs_reverse_rows(work);
    return IMG_OK;
}

int bilevel_encode_packed(const PageBitmap* source, PageBitmap* target, int flags) {
    (void)flags;
    if (source->bits_per_pixel != 1 || source->compression != COMP_RUNS) {
        *target = *source;  // deeper pages: the decoded pixels as they are
        return IMG_OK;
    }
    const int32_t pitch = row_bytes_aligned(source->width, 1);
    size_t size = 0;
    if (pitch <= 0 || !checked_mul((size_t)pitch, (size_t)source->height, &size, (size_t)kMaxPageBytes))
        return ERR_UNSUPPORTED;
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(size));
    if (!out) return ERR_MEMORY;
    for (int32_t y = 0; y < source->height; ++y) {
        uint8_t* row = out + (size_t)y * pitch;
        const RunRow runs = run_row(*source, y);
        if (runs.bytes) runs_paint_row(runs, row, source->width);
        else std::memset(row, 0xFF, (size_t)pitch);  // a row that cannot be found is white
    }
    *target = *source;
    target->data = out;
    target->data_offset = 0;
    target->data_length = (int32_t)size;
    target->pitch = pitch;
    target->compression = COMP_NONE;
    target->ownership = OWN_ALLOCATED;
    target->layout = (uint8_t)((source->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    return IMG_OK;
}

int runs_decode_none(const PageBitmap* source, PageBitmap* work, int flags) {
    (void)work;
    (void)flags;
    return source->bits_per_pixel == 1 ? IMG_OK : ERR_PARAMETER;
}

int runs_encode_copy(const PageBitmap* source, PageBitmap* target, int flags) {
    (void)flags;
    if (source->bits_per_pixel != 1 || source->compression != COMP_RUNS || source->data_length <= 0)
        return ERR_PARAMETER;
    uint8_t* copy = static_cast<uint8_t*>(mem_alloc((size_t)source->data_length));
    if (!copy) return ERR_MEMORY;
    const uint8_t* from = source->data + source->data_offset;
    std::memcpy(copy, from, (size_t)source->data_length);
    runs_rebase_rows(copy, from, source->height);
    *target = *source;
    target->data = copy;
    target->data_offset = 0;
    target->ownership = OWN_ALLOCATED;
    return IMG_OK;
}
