// Release of a page record's buffers and the output-file preparation.
#include <cstring>

#include "base/records.h"

int release_page(PageBitmap* page) {
    if (!page) return ERR_PARAMETER;
    const bool had = page->data || page->palette || page->strip_offsets || page->strip_lengths;
    if (page->data && page_owns_data(*page)) mem_free(page->data);
    page->data = nullptr;
    // Palettes belong to 4- and 8-bit pages; a bilevel page's two-entry palette is
    // never allocated separately.
    if (page->palette && (page->bits_per_pixel == 4 || page->bits_per_pixel == 8))
        mem_free(page->palette);
    page->palette = nullptr;
    mem_free(page->aux_buffer);  // ignores null and marker values
    page->aux_buffer = nullptr;
    mem_free(page->strip_offsets);
    page->strip_offsets = nullptr;
    mem_free(page->strip_lengths);
    page->strip_lengths = nullptr;
    page->strip_count = 0;
    return had ? IMG_OK : ERR_PARAMETER;
}

int create_output_file(const PathChar* path, ImageFileInfo* info, int flags, int format) {
    if (!path || !info) return ERR_PARAMETER;
    FileHandle h = FILE_HANDLE_INVALID;
    if (flags & 1) {
        h = file_open_update(path);  // falls back to read-only itself
        if (h == FILE_HANDLE_INVALID) h = file_create(path);
    } else {
        h = file_create(path);
    }
    if (h == FILE_HANDLE_INVALID) return ERR_IO;
    std::memset(info, 0, sizeof *info);
    info->file = h;
    info->access = ACCESS_STREAMED;
    info->format = (int8_t)format;
    return IMG_OK;
}
