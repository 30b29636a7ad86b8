// AVI and QuickTime video frames: copied whole from the file (read through the
// record's stream) and handed to the movie decoders with the record's decoder state.
#include "formats/page_reading.h"

namespace {
enum { FRAME_SLACK = 256 };
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

