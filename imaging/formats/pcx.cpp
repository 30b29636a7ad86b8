// PCX and DCX pages (ZSoft PCX header; DCX: a magic number and a table of page
// offsets): describes the run-length data that the PCX decoder expands, with the
// 16-colour header palette or the 256-colour palette at the end of the page; the
// PCX and DCX signatures and the DCX page-table scanner of identify.
#include <cstring>

#include "formats/file_scanning.h"
#include "formats/page_reading.h"

namespace {

enum { PCX_HEADER = 128, DCX_TABLE_END = 4096 };

// [start, end) of page n: the whole file for PCX, the n-th table entry up to the
// next one (or the end of the file) for DCX.
int page_span(ImageFileInfo* info, int page_index, size_t* start, size_t* end) {
    ByteReader r = file_reader(info);
    *start = 0;
    *end = r.size();
    if (info->format == FMT_DCX) {
        const size_t entry = 4 + 4 * (size_t)page_index;
        if (entry + 4 > DCX_TABLE_END) return ERR_PAGE_NOT_FOUND;
        *start = r.u32_at(entry);
        const uint32_t next = entry + 8 <= DCX_TABLE_END ? r.u32_at(entry + 4) : 0;
        if (next > *start && next < *end) *end = next;
    }
    if (!r.ok() || *start > *end || *end - *start < PCX_HEADER) return ERR_BAD_HEADER;
    return IMG_OK;
}

int header_palette(const uint8_t* header, PageBitmap* page) {
    page->palette = new_palette();
    if (!page->palette) return ERR_MEMORY;
    std::memcpy(page->palette, header + 16, 48);
    swap_red_blue(page->palette, 16);
    return IMG_OK;
}

// 8-bit pages: the last 768 bytes of the page, taken out of the data.
int trailing_palette(const uint8_t* view, size_t data_start, size_t* end, PageBitmap* page) {
    if (*end - data_start < PALETTE_BYTES) return ERR_BAD_HEADER;
    *end -= PALETTE_BYTES;
    page->palette = new_palette();
    if (!page->palette) return ERR_MEMORY;
    std::memcpy(page->palette, view + *end, PALETTE_BYTES);
    swap_red_blue(page->palette, 256);
    return IMG_OK;
}

}  // namespace

int read_pcx_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    size_t start = 0, end = 0;
    if (int rc = page_span(info, page_index, &start, &end)) return rc;
    ByteReader r(info->view + start, end - start);
    const int bits = r.u8_at(3);
    const int planes = r.u8_at(65);
    const int32_t width = (int32_t)r.u16_at(8) + 1 - r.u16_at(4);
    const int32_t height = (int32_t)r.u16_at(10) + 1 - r.u16_at(6);
    if (width <= 0 || height <= 0 || planes == 0) return ERR_BAD_HEADER;
    page->compression = COMP_PCX_RLE;
    page->bits_per_pixel = (int8_t)(bits * planes);
    page->planes = (int8_t)planes;
    page->width = width;
    page->height = height;
    page->x_dpi = r.u16_at(12);
    page->y_dpi = r.u16_at(14);
    page->pitch = (int32_t)r.u16_at(66) * planes;
    page->layout = LAYOUT_TOP_DOWN;
    if (page->bits_per_pixel == 1) page->black_is_one = (int8_t)(r.u8_at(16) != 0);
    const size_t data_start = start + PCX_HEADER;
    if (page->bits_per_pixel == 8 && planes == 1) {
        if (int rc = trailing_palette(info->view, data_start, &end, page)) return rc;
    } else if (page->bits_per_pixel == 4) {
        if (int rc = header_palette(r.data(), page)) return rc;
    }
    borrow_range(info, page, data_start, end - data_start);
    return IMG_OK;
}

// ---- Page scanning (identify) -----------------------------------------------

// DCX: the first page offset is at 4; the table runs to the first zero entry and
// ends within the first 4,096 bytes at the latest.
int scan_dcx_pages(const FileSpan&, const IdentifyHeader& header, ImageFileInfo* info) {
    int32_t count = 1;
    for (size_t offset = 8; offset + 4 <= IdentifyHeader::kSize && header.le32(offset) != 0; offset += 4) ++count;
    info->page_count = count;
    return IMG_OK;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_dcx(const IdentifyHeader& h) { return h.le32(0) == 0x3ADE68B1; }
bool is_pcx(const IdentifyHeader& h) { return h.at(0) == 0x0A && h.at(1) < 6 && h.at(2) == 1; }
