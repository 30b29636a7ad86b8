// IBM image formats: MO:DCA pages holding an IOCA image segment (structured fields,
// then the segment's self-defining parameters), and PSEG page segments whose raster
// cells are painted here into one bilevel bitmap; their detection tests and the
// Begin Page scanner of identify.
#include <cstring>

#include "base/checked_math.h"
#include "formats/file_scanning.h"
#include "formats/page_reading.h"

namespace {

enum : uint32_t {
    IOCA_DESCRIPTOR = 0xA6FB,
    IOCA_PICTURE = 0xEEFB,
    IOCA_END_PAGE = 0xA9AF,
    PSEG_INPUT = 0xD3A67B,
    PSEG_CELL = 0xD3AC7B,
    PSEG_RASTER = 0xD3EE7B,
    PSEG_END = 0xD3A97B,
    SEGMENT_SPARE = 1028
};

// Image Encoding algorithm bytes and their compression codes.
struct Encoding {
    uint8_t algorithm;
    int8_t compression;
};
constexpr Encoding kEncodings[] = {{0x01, COMP_IBM_MMR}, {0x03, COMP_NONE}, {0x80, COMP_G3_1D},
                                   {0x81, COMP_G3_2D},   {0x82, COMP_G4},   {0x83, COMP_JPEG}};

// Gathers the Image Picture Data payloads of the page into one owned buffer and
// takes the size and resolution from the Image Data Descriptor.
int gather_segment(const ImageFileInfo* info, size_t pos, PageBitmap* page, size_t* length) {
    ByteReader r = file_reader(info, true);
    const size_t file = r.size();
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(file + SEGMENT_SPARE));
    if (!out) return ERR_MEMORY;
    page->data = out;
    page->ownership = OWN_ALLOCATED;
    size_t n = 0;
    while (pos + 8 <= file) {
        const size_t L = r.u16_at(pos);
        const uint32_t type = (uint32_t)r.u8_at(pos + 3) << 8 | r.u8_at(pos + 4);
        if (r.u8_at(pos + 2) != 0xD3 || L < 8 || !r.ok()) break;
        if (type == IOCA_END_PAGE) break;
        const size_t body = L - 8 > file - pos - 8 ? file - pos - 8 : L - 8;
        if (type == IOCA_DESCRIPTOR) {
            page->x_dpi = r.u16_at(pos + 9) / 10;
            page->y_dpi = r.u16_at(pos + 11) / 10;
            page->width = r.u16_at(pos + 13);
            page->height = r.u16_at(pos + 15);
        } else if (type == IOCA_PICTURE) {
            std::memcpy(out + n, info->view + pos + 8, body);
            n += body;
        }
        pos += L;
    }
    *length = n;
    return IMG_OK;
}

// Walks the segment's parameters: Image Encoding sets the compression and bit order,
// the long-form Image Data parameter is unwrapped in place so only image bytes stay.
size_t unwrap_segment(uint8_t* seg, size_t length, PageBitmap* page) {
    size_t in = 0, out = 0;
    while (in < length) {
        const uint8_t id = seg[in];
        if (id == 0xFE) {  // long form: 0xFE, id, 16-bit length
            if (in + 4 > length) break;
            const size_t len = (size_t)(seg[in + 2] << 8 | seg[in + 3]);
            const size_t take = len > length - in - 4 ? length - in - 4 : len;
            if (seg[in + 1] == 0x92) {
                std::memmove(seg + out, seg + in + 4, take);
                out += take;
            }
            in += 4 + take;
            continue;
        }
        if (in + 2 > length) break;  // short form: id, 8-bit length, data
        const size_t len = seg[in + 1];
        if (id == 0x95 && in + 4 <= length) {
            for (const Encoding& e : kEncodings)
                if (seg[in + 2] == e.algorithm) page->compression = e.compression;
            if (len != 2 && in + 4 < length) page->fill_order = (int8_t)(seg[in + 4] == 1 ? 1 : 0);
        }
        in += 2 + len;
    }
    return out;
}

// Painting PSEG raster cells into the page bitmap.
struct Cell {
    int32_t x = 0, y = 0, width = 0, row = 0;
    size_t bit = 0;  // next bit within the current row
};

void paint_raster(PageBitmap* page, Cell& cell, const uint8_t* bits, size_t count) {
    const size_t row_bytes = (size_t)(page->width + 7) / 8;
    const int32_t cell_width = cell.width > 0 ? cell.width : page->width;
    const size_t stored_row = ((size_t)cell_width + 7) / 8 * 8;
    for (size_t i = 0; i < count * 8; ++i) {
        const bool set = (bits[i >> 3] >> (7 - (i & 7))) & 1;
        const int32_t px = cell.x + (int32_t)cell.bit, py = cell.y + cell.row;
        if (set && cell.bit < (size_t)cell_width && px < page->width && py < page->height)
            page->data[(size_t)py * row_bytes + (px >> 3)] |= (uint8_t)(0x80 >> (px & 7));
        if (++cell.bit == stored_row) {
            cell.bit = 0;
            ++cell.row;
        }
    }
}

int start_bitmap(PageBitmap* page) {
    size_t size = 0;
    if (page->width <= 0 || page->height <= 0 ||
        !checked_mul((size_t)(page->width + 7) / 8, (size_t)page->height, &size, (size_t)kMaxPageBytes))
        return ERR_BAD_HEADER;
    mem_free(page->data);
    page->data = static_cast<uint8_t*>(mem_alloc(size));
    if (!page->data) return ERR_MEMORY;
    page->data_length = (int32_t)size;
    page->pitch = (page->width + 7) / 8;
    page->ownership = OWN_ALLOCATED;
    return IMG_OK;
}

}  // namespace

int read_ioca_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets) return ERR_BAD_HEADER;
    const int32_t start = info->page_offsets[page_index];
    if (start < 0 || (size_t)start >= file_length(info)) return ERR_BAD_HEADER;
    size_t length = 0;
    if (int rc = gather_segment(info, (size_t)start, page, &length)) return rc;
    page->compression = COMP_NONE;
    page->data_length = (int32_t)unwrap_segment(page->data, length, page);
    page->bits_per_pixel = 1;
    page->black_is_one = 0;
    page->layout = LAYOUT_TOP_DOWN;
    page->pitch = row_bytes_packed(page->width, 1);
    if (page->width <= 0 || page->height <= 0) return ERR_BAD_HEADER;
    return IMG_OK;
}

int read_pseg_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    (void)page_index;
    ByteReader r = file_reader(info, true);
    Cell cell;
    for (size_t pos = 0; pos + 9 <= r.size() && r.u8_at(pos) == 0x5A;) {
        const size_t L = r.u16_at(pos + 1);
        const uint32_t type = (uint32_t)r.u8_at(pos + 3) << 16 | r.u16_at(pos + 4);
        if (L < 8 || !r.ok()) break;
        size_t data = pos + 9;
        if (r.u8_at(pos + 6) & 1) data += 1 + r.u8_at(data);  // extension
        const size_t end = pos + 1 + L < r.size() ? pos + 1 + L : r.size();
        if (type == PSEG_END) break;
        if (type == PSEG_INPUT) {
            page->width = r.u16_at(pos + 27);
            page->height = r.u16_at(pos + 29);
            if (int rc = start_bitmap(page)) return rc;
        } else if (type == PSEG_CELL) {
            cell = Cell{};
            cell.x = r.u16_at(data);
            cell.y = r.u16_at(data + 2);
            cell.width = r.u16_at(data + 4);
        } else if (type == PSEG_RASTER && page->data && data < end) {
            paint_raster(page, cell, info->view + data, end - data);
        }
        pos += 1 + L;
    }
    if (!page->data) return ERR_BAD_HEADER;
    page->compression = COMP_NONE;
    page->bits_per_pixel = 1;
    page->black_is_one = 1;
    page->layout = LAYOUT_TOP_DOWN;
    page->data_offset = 0;
    return IMG_OK;
}

// ---- Page scanning (identify) -----------------------------------------------

// IOCA: structured fields (16-bit big-endian length, 0xD3, two type bytes) from
// offset 0; each Begin Page (D3 A8 AF) starts a page. A field too short to hold its
// own introducer ends the walk, as does the table's capacity.
int scan_ioca_pages(const FileSpan& file, const IdentifyHeader&, ImageFileInfo* info) {
    if (int rc = start_table(info, kPageTableEntries); rc < 0) return rc;
    ByteReader r = file.from(0, true);
    size_t offset = 0;
    while (offset + 5 <= file.size && r.u8_at(offset + 2) == 0xD3) {
        if (r.u8_at(offset + 3) == 0xA8 && r.u8_at(offset + 4) == 0xAF &&
            !add_page(info, kPageTableEntries, offset))
            break;
        const uint16_t length = r.u16_at(offset);
        if (length < 5) break;
        offset += length;
    }
    return IMG_OK;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_pseg(const IdentifyHeader& h) { return h.at(0) == 0x5A && h.at(1 + (size_t)h.be16(1)) == 0x5A; }
bool is_ioca(const IdentifyHeader& h) {
    const uint16_t length = h.be16(0);
    return h.at(2) == 0xD3 && length < 4096 && h.at((size_t)length + 2) == 0xD3;
}
