// Fax file formats whose pages the fax decoders take as stored: CALS raster (type 1,
// G4), WinFAX 10 pages, AVM Fritz-Fax, and Microsoft AWD documents, whose strip
// records are gathered from the compound document into one buffer.
#include <cstring>

#include "read_page_formats.h"

namespace {

enum { CALS_DATA = 2048, AWD_WIDTH = 1728, AWD_ROWS_PER_STRIP = 74, AWD_MAX_STRIPS = 65536 };

void bilevel_fax(PageBitmap* page, int compression, int fill_order) {
    page->compression = (int8_t)compression;
    page->bits_per_pixel = 1;
    page->fill_order = (int8_t)fill_order;
    page->black_is_one = 0;
    page->layout = LAYOUT_TOP_DOWN;
    page->pitch = row_bytes_packed(page->width, 1);
}

// The first decimal number at or after `at` within [at, end), moving `at` past it.
long next_number(const uint8_t* view, size_t* at, size_t end) {
    while (*at < end && (view[*at] < '0' || view[*at] > '9')) ++*at;
    long v = 0;
    for (; *at < end && view[*at] >= '0' && view[*at] <= '9'; ++*at)
        if (v < 1000000) v = v * 10 + (view[*at] - '0');
    return v;
}

bool awd_strip_marker(uint32_t marker) { return marker == 0x000A0008u || marker == 0x0010000Au; }

// Walks the strip records of an AWD page from `pos`: 16-bit length, marker at 6,
// row count at 10, image bytes from 14 (length - 12 of them). A record of length 6
// or an unknown marker ends the page.
int awd_gather(const ImageFileInfo* info, size_t pos, PageBitmap* page) {
    ByteReader r = file_reader(info);
    const size_t file = r.size();
    page->data = static_cast<uint8_t*>(mem_alloc(file + 8));
    page->strip_offsets = static_cast<int32_t*>(mem_alloc(AWD_MAX_STRIPS * sizeof(int32_t)));
    page->strip_lengths = static_cast<uint32_t*>(mem_alloc(AWD_MAX_STRIPS * sizeof(uint32_t)));
    if (!page->data || !page->strip_offsets || !page->strip_lengths) return ERR_MEMORY;
    page->ownership = OWN_ALLOCATED;
    size_t n = 0;
    int32_t strips = 0, height = 0;
    while (pos + 14 <= file && strips < AWD_MAX_STRIPS) {
        const size_t length = r.u16_at(pos);
        if (length <= 12 || !awd_strip_marker(r.u32_at(pos + 6))) break;
        const size_t bytes = length - 12 > file - pos - 14 ? file - pos - 14 : length - 12;
        std::memcpy(page->data + n, info->view + pos + 14, bytes);
        page->strip_offsets[strips] = (int32_t)n;
        page->strip_lengths[strips] = (uint32_t)bytes;
        height += r.u16_at(pos + 10);
        n += bytes;
        ++strips;
        pos += length + 2;
    }
    if (strips == 0 || height <= 0) return ERR_BAD_HEADER;
    page->strip_count = strips;
    page->data_length = (int32_t)n;
    page->height = height;
    return IMG_OK;
}

}  // namespace

int read_cals_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    (void)page_index;
    const size_t file = file_length(info);
    if (file <= CALS_DATA) return ERR_BAD_HEADER;
    size_t at = 1033;
    page->width = (int32_t)next_number(info->view, &at, 1152);
    page->height = (int32_t)next_number(info->view, &at, 1152);
    at = 1162;
    page->x_dpi = page->y_dpi = (int32_t)next_number(info->view, &at, 1280);
    if (page->width <= 0 || page->height <= 0) return ERR_BAD_HEADER;
    bilevel_fax(page, COMP_G4, 0);
    borrow_range(info, page, CALS_DATA, file - CALS_DATA);
    return IMG_OK;
}

int read_winfax10_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets) return ERR_BAD_HEADER;
    ByteReader r = file_reader(info);
    const size_t start = (size_t)(uint32_t)info->page_offsets[page_index];
    const uint8_t coding = r.u8_at(start + 7);
    uint32_t length = r.u32_at(start + 116);
    page->width = r.u16_at(start + 3);
    page->height = r.u16_at(start + 5);
    if (!r.ok() || start + 128 > r.size() || page->width == 0 || page->height == 0) return ERR_BAD_HEADER;
    if (length > r.size() - start - 128) length = (uint32_t)(r.size() - start - 128);
    bilevel_fax(page, coding == 1 ? COMP_G4 : COMP_G3_1D, 1);
    borrow_range(info, page, start + 128, length);
    return IMG_OK;
}

int read_fritz_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    (void)page_index;
    ByteReader r = file_reader(info);
    page->width = r.u16_at(34);
    page->height = r.u16_at(28);
    if (!r.ok() || r.size() < 46 || page->width == 0 || page->height == 0) return ERR_BAD_HEADER;
    bilevel_fax(page, COMP_G4, 1);
    borrow_range(info, page, 46, r.size() - 46);
    return IMG_OK;
}

int read_awd_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets) return ERR_BAD_HEADER;
    const int32_t start = info->page_offsets[page_index];
    if (start < 0 || (size_t)start >= file_length(info)) return ERR_BAD_HEADER;
    page->width = AWD_WIDTH;
    if (int rc = awd_gather(info, (size_t)start, page)) return rc;
    bilevel_fax(page, COMP_G4, 1);
    page->rows_per_strip = AWD_ROWS_PER_STRIP;
    page->data_offset = 0;
    return IMG_OK;
}
