// convert_page: turns a page description into the compression the caller asks for,
// by an owned copy when the codes are equal, otherwise by one decoder and one encoder
// from the codec registry, with the run-length form between them for bilevel pages.
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

// Frees what the working record holds unless the result, the source or the caller's
// reusable buffer uses it.
void release_work(PageBitmap* work, const PageBitmap* source, const PageBitmap* result,
                  const uint8_t* caller_buffer) {
    if (work->data && work->data != result->data && work->data != source->data &&
        work->data != caller_buffer && work->ownership == OWN_ALLOCATED)
        mem_free(work->data);
    if (work->palette && work->palette != result->palette) mem_free(work->palette);
    work->data = nullptr;
    work->palette = nullptr;
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

// Source and target in the same compression: an owned copy, turned upright.
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
    if (work->layout & LAYOUT_BOTTOM_UP) {
        if (runs) runs_reverse_rows(work);
        else reverse_packed_rows(work);
        work->layout = (uint8_t)((work->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    }
    return IMG_OK;
}

// Decoder, then encoder, from the registry.
int decode_then_encode(const PageBitmap* source, PageBitmap* work, PageBitmap* target, int wanted,
                       int flags) {
    const PageCodec decode = codec_entry(source->compression).decode;
    if (!decode) return ERR_PARAMETER;
    if (int rc = decode(source, work, flags)) return rc;
    if (wanted == COMP_NONE && work->bits_per_pixel > 1) {
        *target = *work;  // decoded rows are the result as they are
        target->compression = COMP_NONE;
        return IMG_OK;
    }
    const PageCodec encode = codec_entry(wanted).encode;
    if (!encode) return ERR_PARAMETER;
    PageBitmap result = *work;
    result.data = nullptr;
    result.data_length = 0;
    result.data_offset = 0;
    result.ownership = 0;
    result.compression = (int8_t)wanted;
    if (int rc = encode(work, &result, flags)) {
        if (result.data && result.data != work->data && result.ownership == OWN_ALLOCATED) mem_free(result.data);
        return rc;
    }
    *target = result;
    return IMG_OK;
}

}  // namespace

int convert_page(const PageBitmap* source, PageBitmap* target, int flags) {
    if (!source || !target) return ERR_PARAMETER;
    const int wanted = target->compression;
    PageBitmap work = *source;
    work.strip_count = 0;
    work.strip_offsets = nullptr;
    work.strip_lengths = nullptr;
    work.palette = nullptr;
    work.aux_buffer = nullptr;  // stays with the source, which frees it
    uint8_t* caller_buffer = nullptr;
    if (flags & JPEG_INTO_BUFFER) {
        caller_buffer = target->data;
        work.data = target->data;
        work.aux_buffer = target->aux_buffer;
        work.decoder_state = target->decoder_state;
    }
    target->strip_count = 0;
    target->strip_offsets = nullptr;
    target->strip_lengths = nullptr;
    target->palette = nullptr;
    if (has_own_palette(*source)) {
        work.palette = static_cast<uint8_t*>(mem_alloc(PALETTE_BYTES));
        if (!work.palette) return ERR_MEMORY;
        std::memcpy(work.palette, source->palette, PALETTE_BYTES);
    }

    PageBitmap result{};
    int rc;
    if (source->compression == wanted) {
        rc = copy_page(source, &work);
        if (rc == IMG_OK) result = work;
    } else {
        rc = decode_then_encode(source, &work, &result, wanted, flags);
        // A failed decoder has given back its own output already.
        if (rc != IMG_OK && work.data != source->data) work.data = nullptr;
    }
    if (rc == IMG_OK && result.compression == COMP_RUNS && result.black_is_one == 1) {
        const uint8_t* before = result.data;
        rc = runs_invert_page(&result);
        if (rc == IMG_OK && work.data == before) work.data = nullptr;  // freed by the inversion
    }
    if (rc != IMG_OK) {
        if (result.data && result.data != work.data && result.data != source->data &&
            result.data != caller_buffer && result.ownership == OWN_ALLOCATED)
            mem_free(result.data);
        result = PageBitmap{};
    }
    release_work(&work, source, &result, caller_buffer);
    if (rc != IMG_OK) return rc;
    result.strip_count = 0;
    result.strip_offsets = nullptr;
    result.strip_lengths = nullptr;
    *target = result;
    return IMG_OK;
}
