// convert_page: turns a page description into the compression the caller asks for,
// by an owned copy when the codes are equal, otherwise by one decoder and one encoder
// from the codec registry, with the run-length form between them for bilevel pages.
//
// Ownership travels with the records, never by comparing pointers: the working
// record borrows the source's data (ownership 2) until a decoder gives it buffers of
// its own (ownership 1); buffers move from record to record, and whatever the
// working record still owns at the end is freed.
#include <cstring>

#include "base/checked_math.h"
#include "codecs/run_form.h"
#include "imaging.h"
#include "pipeline/codec_table.h"

namespace {

enum { PALETTE_BYTES = 768 };

bool has_own_palette(const PageBitmap& p) {
    return p.palette && (p.bits_per_pixel == 4 || p.bits_per_pixel == 8);
}

// Moves every buffer out of `from` into the returned record; `from` keeps none.
PageBitmap take(PageBitmap* from) {
    PageBitmap moved = *from;
    from->data = nullptr;
    from->palette = nullptr;
    from->aux_buffer = nullptr;
    from->ownership = OWN_NONE;
    return moved;
}

// Frees what the working record still owns: its data when it holds its own, its
// palette copy and its aux buffer.
void release_work(PageBitmap* work) {
    if (work->data && page_owns_data(*work)) mem_free(work->data);
    mem_free(work->palette);
    mem_free(work->aux_buffer);
    *work = PageBitmap{};
}

// Reverses the rows of a bottom-up packed page in place.
void reverse_packed_rows(PageBitmap* page) {
    const size_t pitch = (size_t)page->pitch;
    size_t total = 0;
    if (page->pitch <= 0 || !checked_mul(pitch, (size_t)page->height, &total) ||
        total > (size_t)page->data_length)
        return;
    uint8_t* base = page->data + page->data_offset;
    uint8_t* tmp = static_cast<uint8_t*>(mem_alloc(pitch));
    if (!tmp) return;
    for (int32_t i = 0, j = page->height - 1; i < j; ++i, --j) {
        std::memcpy(tmp, base + i * pitch, pitch);
        std::memcpy(base + i * pitch, base + j * pitch, pitch);
        std::memcpy(base + j * pitch, tmp, pitch);
    }
    mem_free(tmp);
}

// A streamed page's window holds only the start of its data: the whole stored data
// is read from the file instead.
bool read_streamed(const PageBitmap* source, uint8_t* copy) {
    if (source->stream_file == FILE_HANDLE_INVALID || !source->stream_file) return false;
    if (file_seek(source->stream_file, source->data_offset, 0) != source->data_offset) return false;
    return file_read(source->stream_file, copy, source->data_length) == source->data_length;
}

// Source and target in the same compression: the working record gets an owned copy,
// turned upright.
int copy_page(const PageBitmap* source, PageBitmap* work) {
    if (!source->data || source->data_length <= 0) return ERR_PARAMETER;
    uint8_t* copy = static_cast<uint8_t*>(mem_alloc((size_t)source->data_length));
    if (!copy) return ERR_MEMORY;
    const uint8_t* from = source->data + source->data_offset;
    if (source->ownership == OWN_STREAM && source->data_length > source->stream_buffer_size) {
        if (!read_streamed(source, copy)) {
            mem_free(copy);
            return ERR_IO;
        }
    } else {
        std::memcpy(copy, from, (size_t)source->data_length);
    }
    const bool runs = source->compression == COMP_RUNS;
    if (runs) runs_rebase_rows(copy, from, source->height);
    work->data = copy;
    work->data_offset = 0;
    work->ownership = OWN_ALLOCATED;
    // Only rows can be turned: compressed data (a BMP page's run-length rows, say)
    // keeps its order and says so in its layout.
    const bool rows = runs || source->compression == COMP_NONE;
    if (rows && (work->layout & LAYOUT_BOTTOM_UP)) {
        if (runs) runs_reverse_rows(work);
        else reverse_packed_rows(work);
        work->layout = (uint8_t)((work->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    }
    return IMG_OK;
}

// Decoder, then encoder, from the registry. A decoder writes `work` only when it
// succeeds (or gives back what it allocated when it fails); an encoder likewise
// writes `out` only when it succeeds. On success `result` holds the page and `work`
// what is left of the intermediate.
int decode_then_encode(const PageBitmap* source, PageBitmap* work, PageBitmap* result, int wanted, int flags) {
    const PageCodec decode = codec_entry(source->compression).decode;
    if (!decode) return ERR_PARAMETER;
    if (int rc = decode(source, work, flags)) return rc;
    if (wanted == COMP_NONE && work->bits_per_pixel > 1) {
        *result = take(work);  // decoded rows are the result as they are
        result->compression = COMP_NONE;
        return IMG_OK;
    }
    const PageCodec encode = codec_entry(wanted).encode;
    if (!encode) return ERR_PARAMETER;
    PageBitmap out = *work;
    out.data = nullptr;
    out.data_length = 0;
    out.data_offset = 0;
    out.ownership = OWN_NONE;
    out.compression = (int8_t)wanted;
    if (int rc = encode(work, &out, flags)) return rc;
    // The palette and aux buffer move on with the encoded page.
    out.palette = work->palette;
    out.aux_buffer = work->aux_buffer;
    work->palette = nullptr;
    work->aux_buffer = nullptr;
    *result = out;
    return IMG_OK;
}

// The decoder's input: the source's description with its data borrowed, and no
// strip tables or aux buffer (those stay with the source), and an own copy of a 4-
// or 8-bit page's palette. With JPEG_INTO_BUFFER the caller's target lends its
// buffers for the decoder to reuse; they go back to it unchanged on failure.
int working_copy(const PageBitmap* source, PageBitmap* target, int flags, PageBitmap* work) {
    *work = *source;
    work->strip_count = 0;
    work->strip_offsets = nullptr;
    work->strip_lengths = nullptr;
    work->palette = nullptr;
    work->aux_buffer = nullptr;
    work->ownership = OWN_BORROWED;
    if (flags & JPEG_INTO_BUFFER) {
        work->data = target->data;
        work->aux_buffer = target->aux_buffer;
        work->decoder_state = target->decoder_state;
        work->palette = target->palette;
    }
    if (has_own_palette(*source)) {
        if (!work->palette) work->palette = static_cast<uint8_t*>(mem_alloc(PALETTE_BYTES));
        if (!work->palette) return ERR_MEMORY;
        std::memcpy(work->palette, source->palette, PALETTE_BYTES);
    }
    return IMG_OK;
}

}  // namespace

int convert_page(const PageBitmap* source, PageBitmap* target, int flags) {
    if (!source || !target) return ERR_PARAMETER;
    const int wanted = target->compression;
    const bool reuse = (flags & JPEG_INTO_BUFFER) != 0;
    const bool palette_lent = reuse && target->palette;
    PageBitmap work;
    int rc = working_copy(source, target, flags, &work);
    PageBitmap result{};
    if (rc == IMG_OK && source->compression == wanted) {
        rc = copy_page(source, &work);
        if (rc == IMG_OK) result = take(&work);
    } else if (rc == IMG_OK) {
        rc = decode_then_encode(source, &work, &result, wanted, flags);
    }
    if (rc == IMG_OK && result.compression == COMP_RUNS && result.black_is_one == 1)
        rc = runs_invert_page(&result);  // replaces (and frees) the rows it owned
    if (rc != IMG_OK) {
        if (result.data && page_owns_data(result)) mem_free(result.data);
        if (reuse) {
            // The caller's buffers stay with the caller's target.
            work.data = nullptr;
            work.ownership = OWN_NONE;
            work.aux_buffer = nullptr;
            if (palette_lent) work.palette = nullptr;
        }
        release_work(&work);
        return rc;
    }
    release_work(&work);
    result.strip_count = 0;
    result.strip_offsets = nullptr;
    result.strip_lengths = nullptr;
    *target = result;
    return IMG_OK;
}
