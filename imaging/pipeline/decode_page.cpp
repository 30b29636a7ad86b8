// Reading a page ready for use: read_page describes the stored page, one
// convert_page decodes it (bilevel pages into the run-length form, deeper pages into
// uncompressed rows), and the result is made to own its data and to stand top-down.
// Every reader of pages goes through here, so these rules are written once.
#include <cstring>

#include "base/checked_math.h"
#include "codecs/run_form.h"
#include "imaging.h"

namespace {

// FLI/FLC frames are drawn over the frame before, so their stored page is kept
// between calls; every other stored page gives its buffers back once decoded (a
// GIF record keeps its depth, which release_page leaves, for the next frame).
bool keeps_stored_page(const ImageFileInfo& info) { return info.format == FMT_FLI; }

bool holds_buffers(const PageBitmap& p) {
    return p.data || p.palette || p.aux_buffer || p.strip_offsets || p.strip_lengths;
}

int decode_flags(const PageBitmap& stored, int flags) {
    flags &= ~JPEG_INTO_BUFFER;
    // The size and colour options are the JPEG and movie decoders'; fax and other
    // bilevel decoders only take the choice to keep damaged data.
    return stored.bits_per_pixel == 1 ? (flags & JPEG_ACCEPT_DAMAGED) : flags;
}

// Packed rows: an owned buffer of at least `pitch` x `height` bytes holding the rows
// top-down. Rows the stored data does not reach stay zero.
int own_packed_rows(PageBitmap* page) {
    const bool bottom_up = (page->layout & LAYOUT_BOTTOM_UP) != 0;
    const bool borrowed = !page_owns_data(*page);
    if (!bottom_up && !borrowed) return IMG_OK;
    const size_t pitch = page->pitch > 0 ? (size_t)page->pitch : 0;
    const size_t length = page->data_length > 0 ? (size_t)page->data_length : 0;
    size_t rows_bytes = 0;
    if (pitch == 0 || !checked_mul(pitch, (size_t)page->height, &rows_bytes, (size_t)INT32_MAX)) return ERR_UNSUPPORTED;
    const size_t size = rows_bytes > length ? rows_bytes : length;
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(size ? size : 1));
    if (!out) return ERR_MEMORY;
    const uint8_t* in = page->data + page->data_offset;
    if (bottom_up) {
        for (int32_t y = 0; y < page->height; ++y) {
            const size_t from = (size_t)(page->height - 1 - y) * pitch;
            if (from + pitch <= length) std::memcpy(out + (size_t)y * pitch, in + from, pitch);
        }
    } else {
        std::memcpy(out, in, length);
    }
    if (!borrowed) mem_free(page->data);
    page->data = out;
    page->data_length = (int32_t)size;
    return IMG_OK;
}

// Run-length pages: an owned copy with its row table rebased, reversed when the rows
// were stored bottom-up.
int own_run_rows(PageBitmap* page) {
    if (!page_owns_data(*page)) {
        if (page->data_length <= 0) return ERR_PARAMETER;
        uint8_t* copy = static_cast<uint8_t*>(mem_alloc((size_t)page->data_length));
        if (!copy) return ERR_MEMORY;
        const uint8_t* from = page->data + page->data_offset;
        std::memcpy(copy, from, (size_t)page->data_length);
        runs_rebase_rows(copy, from, page->height);
        page->data = copy;
    }
    page->data_offset = 0;
    page->ownership = OWN_ALLOCATED;
    if (page->layout & LAYOUT_BOTTOM_UP) runs_reverse_rows(page);
    return IMG_OK;
}

// The one place where a decoded page becomes owned and top-down.
int make_owned_upright(PageBitmap* page) {
    if (!page->data) return ERR_PARAMETER;
    const int rc = page->compression == COMP_RUNS ? own_run_rows(page) : own_packed_rows(page);
    if (rc != IMG_OK) return rc;
    page->data_offset = 0;
    page->ownership = OWN_ALLOCATED;
    page->layout = (uint8_t)((page->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    return IMG_OK;
}

struct FlagsChoice {
    int flags;
    DecodeFlagsRule rule;
    const void* context;
};

int decode_stored(ImageFileInfo* info, int page_index, const FlagsChoice& choice, PageBitmap* stored,
                  PageBitmap* page) {
    if (!keeps_stored_page(*info) && holds_buffers(*stored)) release_page(stored);
    if (int rc = read_page(info, stored, page_index)) return rc;
    const int flags = choice.rule ? choice.rule(stored, choice.context) : choice.flags;
    PageBitmap decoded{};
    decoded.compression = stored->bits_per_pixel == 1 ? COMP_RUNS : COMP_NONE;
    int rc = convert_page(stored, &decoded, decode_flags(*stored, flags));
    if (rc == IMG_OK) rc = make_owned_upright(&decoded);
    if (rc != IMG_OK) {
        if (decoded.data || decoded.palette) release_page(&decoded);
        return rc;
    }
    *page = decoded;
    return IMG_OK;
}

}  // namespace

namespace {

int read_and_decode(ImageFileInfo* info, int page_index, const FlagsChoice& choice, PageBitmap* page,
                    PageBitmap* stored) {
    if (!info || !page) return ERR_PARAMETER;
    *page = PageBitmap{};
    PageBitmap local{};
    PageBitmap* kept = stored ? stored : &local;
    const int rc = decode_stored(info, page_index, choice, kept, page);
    // The stored page is given back now unless the next frame is drawn over it.
    if ((!stored || !keeps_stored_page(*info)) && holds_buffers(*kept)) release_page(kept);
    return rc;
}

}  // namespace

int read_decoded_page(ImageFileInfo* info, int page_index, int flags, PageBitmap* page, PageBitmap* stored) {
    return read_and_decode(info, page_index, FlagsChoice{flags, nullptr, nullptr}, page, stored);
}

int read_decoded_page_by(ImageFileInfo* info, int page_index, DecodeFlagsRule rule, const void* context,
                         PageBitmap* page, PageBitmap* stored) {
    return read_and_decode(info, page_index, FlagsChoice{0, rule, context}, page, stored);
}
