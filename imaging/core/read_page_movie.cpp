// Pages copied whole from the file: AVI and QuickTime video frames (read through the
// record's stream, handed to the movie decoders with the record's decoder state) and
// PNG files (the whole file, decoded by the handheld build's platform library).
#include <cstring>

#include "read_page_formats.h"

namespace {

enum { FRAME_SLACK = 256, PNG_WIDTH_AT = 16, PNG_HEIGHT_AT = 20 };

// Reads `length` bytes at `offset` of the record's file into an owned buffer with
// `slack` spare zero bytes.
int read_file_bytes(const ImageFileInfo* info, int64_t offset, int32_t length, size_t slack, PageBitmap* page) {
    if (offset < 0 || length < 0 || offset + length > info->file_size) return ERR_BAD_HEADER;
    page->data = static_cast<uint8_t*>(mem_alloc((size_t)length + slack));
    if (!page->data) return ERR_MEMORY;
    page->ownership = OWN_ALLOCATED;
    page->data_length = length;
    if (info->view) {
        std::memcpy(page->data, info->view + offset, (size_t)length);
        return IMG_OK;
    }
    if (file_seek(info->file, (int32_t)offset, 0) != offset) return ERR_IO;
    return file_read(info->file, page->data, length) == length ? IMG_OK : ERR_IO;
}

}  // namespace

int read_movie_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets || !info->frame_sizes) return ERR_BAD_HEADER;
    const bool avi = info->format == FMT_AVI;
    const int64_t offset = (int64_t)info->page_offsets[page_index] + (avi ? 8 : 0);
    if (int rc = read_file_bytes(info, offset, info->frame_sizes[page_index], FRAME_SLACK, page)) return rc;
    page->decoder_state = info->video_decoder;
    page->compression = (int8_t)info->video_compression;
    page->width = info->movie_width;
    page->height = info->movie_height;
    page->bits_per_pixel = info->movie_bpp;
    page->pitch = row_bytes_aligned(page->width, page->bits_per_pixel);
    page->layout = LAYOUT_TOP_DOWN;
    if (page->bits_per_pixel == 8) {
        if (!(page->palette = new_palette())) return ERR_MEMORY;
        fill_grey_palette(page->palette, 8);
    }
    // Motion-JPEG frames in AVI files may open with a pad byte before their marker.
    if (avi && page->compression == COMP_MOTION_JPEG && page->data_length > 0 && page->data[0] != 0xFF)
        page->data_offset = 1;
    return IMG_OK;
}

int read_png_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    (void)page_index;
    if (int rc = read_file_bytes(info, 0, info->file_size, 0, page)) return rc;
    ByteReader r(page->data, (size_t)page->data_length, true);
    page->width = (int32_t)r.u32_at(PNG_WIDTH_AT);
    page->height = (int32_t)r.u32_at(PNG_HEIGHT_AT);
    if (!r.ok() || page->width <= 0 || page->height <= 0) return ERR_BAD_HEADER;
    page->compression = COMP_PNG;
    page->bits_per_pixel = 24;
    page->pitch = row_bytes_aligned(page->width, 24);
    page->layout = LAYOUT_TOP_DOWN;
    return IMG_OK;
}
