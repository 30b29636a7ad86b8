// PNG files: the page is the whole file, copied, with the size from the IHDR chunk;
// the handheld build's platform library decodes it.
#include "formats/file_scanning.h"
#include "formats/page_reading.h"

namespace {
enum { PNG_WIDTH_AT = 16, PNG_HEIGHT_AT = 20 };
}  // namespace

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

// ---- Detection (identify) -----------------------------------------------------

bool is_png(const IdentifyHeader& h) { return h.be32(0) == 0x89504E47; }
