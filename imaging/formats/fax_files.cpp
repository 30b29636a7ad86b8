// Fax file formats whose pages the fax decoders take as stored: CALS raster (type 1,
// G4), WinFAX 10 pages, AVM Fritz-Fax, and Microsoft AWD documents, whose strip
// records are gathered from the compound document into one buffer. Their detection
// tests and page scanners (WinFAX 10 page headers, AWD page records) are here too.
#include <cstring>

#include "formats/file_scanning.h"
#include "formats/page_reading.h"

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

// ---- Page scanning (identify) -----------------------------------------------

namespace {

// Position of the first `a b` byte pair in the reader's bytes, or -1.
long find_pair(ByteReader r, uint8_t a, uint8_t b) {
    for (size_t i = 0; i + 1 < r.size(); ++i)
        if (r.data()[i] == a && r.data()[i + 1] == b) return (long)i;
    return -1;
}

// The AWD records that describe a strip of page data.
bool is_awd_section(uint32_t marker) { return marker == 0x000A0008 || marker == 0x0010000A; }

}  // namespace

// WinFAX 10: page n + 1 starts after page n's 128-byte header and its data, or at the
// first 0x0B 0x23 within 2,048 bytes from there. Only pages actually found count.
int scan_winfax10_pages(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info) {
    const int32_t wanted = header.at(101);
    if (int rc = start_table(info, (size_t)wanted); rc < 0) return rc;
    size_t start = 0;
    while (info->page_count < wanted && start < file.size) {
        add_page(info, wanted, start);
        const uint64_t next = (uint64_t)start + file.window(start, 128).u32_at(116) + 128;
        if (next >= file.size) break;
        const long found = find_pair(file.window((size_t)next, 2048), 0x0B, 0x23);
        if (found < 0) break;
        start = (size_t)next + (size_t)found;
    }
    return IMG_OK;
}

// AWD: page 0 starts 30 bytes after the "AWPI" marker; the walk follows the page's
// strip records (16-bit length, marker at offset 6). A 6-byte record ends a page;
// with the section marker 0x000A0008 it ends the document.
int scan_awd_pages(const FileSpan& file, const IdentifyHeader&, ImageFileInfo* info) {
    if (int rc = start_table(info, kPageTableEntries); rc < 0) return rc;
    const long marker = [&] {
        ByteReader head = file.window(0, 10000);
        for (size_t i = 0; i + 4 <= head.size(); ++i)
            if (std::memcmp(head.data() + i, "AWPI", 4) == 0) return (long)i;
        return -1L;
    }();
    uint64_t base = (uint64_t)marker + 30, pos = 0;
    if (marker < 0 || base >= file.size) return IMG_OK;
    ByteReader r = file.from(0);
    add_page(info, kPageTableEntries, (size_t)base);
    // Every step moves base + pos forward, so the walk ends at the end of the file.
    while (base + pos + 10 <= file.size) {
        const size_t at = (size_t)(base + pos);
        const uint16_t length = r.u16_at(at);
        const uint32_t tag = r.u32_at(at + 6);
        if (length == 6) {
            if (tag == 0x000A0008) break;
            if (!add_page(info, kPageTableEntries, (size_t)(base + 8))) break;
            pos += 8;
        } else if (is_awd_section(tag)) {
            base = base + length + pos + 2;
            pos = 0;
        } else {
            base += 512;
            pos = 0;
        }
    }
    return IMG_OK;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_winfax10(const IdentifyHeader& h) { return h.at(0) == 0x0B && h.at(1) == 0x23 && h.at(2) == 0xC8; }
bool is_fritz_fax(const IdentifyHeader& h) { return h.has(0, "Sfff"); }
bool is_cals(const IdentifyHeader& h) { return h.has(0, "srcd"); }
// "rtype: 1" in the seventh 128-byte header record.
bool is_cals_type1(const IdentifyHeader& h) { return is_cals(h) && h.at(775) == '1'; }
// A compound document holding the wide-character name "Root Entry".
bool is_compound_with_root(const IdentifyHeader& h) {
    if (!h.has(0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return false;
    for (size_t i = 0; i + 4 <= h.length; ++i)
        if (std::memcmp(h.bytes + i, "R\0o\0", 4) == 0) return true;
    return false;
}
