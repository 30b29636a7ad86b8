// Windows and OS/2 BMP pages (Microsoft BITMAPINFOHEADER and its V4/V5 extensions,
// OS/2 BITMAPCOREHEADER): rows are borrowed from the mapped file bottom-up; 16-bit
// pixels are brought to 5-6-5, 32-bit to 24-bit and 2-bit to 4-bit in owned buffers.
// Detection: the "BM" signature and the header size that tells the two kinds apart.
#include <cstring>

#include "base/checked_math.h"
#include "formats/file_scanning.h"
#include "formats/page_reading.h"

namespace {

enum { FILE_HEADER = 14 };

struct BmpHeader {
    uint32_t header_size;
    int32_t width;
    int32_t height;
    int depth;
    uint32_t compression;
    uint32_t pixel_offset;
    bool top_down;
    int palette_entry_size;  // 3 for the OS/2 core header, else 4
};

// Bits per pixel: bit count times planes, 0 for absurd products (refused later).
int bmp_depth(uint32_t bit_count, uint32_t planes) {
    const uint32_t depth = bit_count * planes;  // at most 0xFFFE0001
    return depth > 64 ? 0 : (int)depth;
}

// Reads the info header. A negative height (rows stored top-down) is accepted as
// the header's magnitude with a top-down layout.
int read_header(ByteReader& r, int format, BmpHeader* h) {
    h->header_size = r.u32_at(FILE_HEADER);
    h->pixel_offset = r.u32_at(10);
    if (h->header_size == 12) {
        h->width = r.u16_at(18);
        h->height = r.u16_at(20);
        h->depth = bmp_depth(r.u16_at(24), r.u16_at(22));
        h->compression = 0;
        h->palette_entry_size = 3;
    } else {
        h->width = (int32_t)r.u32_at(18);
        h->height = (int32_t)r.u32_at(22);
        h->depth = bmp_depth(r.u16_at(28), r.u16_at(26));
        h->compression = format == FMT_OS2_BMP ? r.u8_at(30) : r.u32_at(30);
        h->palette_entry_size = 4;
    }
    if (!r.ok()) return ERR_BAD_HEADER;
    h->top_down = h->height < 0;
    if (h->height == INT32_MIN) return ERR_BAD_HEADER;
    if (h->top_down) h->height = -h->height;
    // Sides wider than 16 bits would be cut by the row-size helpers: refuse them.
    if (h->width <= 0 || h->height <= 0 || h->width > 0xFFFF || h->height > 0xFFFF) return ERR_BAD_HEADER;
    return IMG_OK;
}

bool run_length(const BmpHeader& h, int format) {
    if (format == FMT_OS2_BMP) return h.compression == 1 || h.compression == 2 || h.compression == 4;
    return h.compression != 0 && (h.depth == 4 || h.depth == 8);
}

// 4- and 8-bit pages: 2^depth entries from the colour table after the info header.
int copy_palette(ByteReader& r, const BmpHeader& h, PageBitmap* page) {
    page->palette = new_palette();
    if (!page->palette) return ERR_MEMORY;
    const size_t base = FILE_HEADER + (size_t)h.header_size;
    const int entries = 1 << (h.depth == 2 ? 2 : h.depth);
    for (int i = 0; i < entries; ++i) {
        const size_t at = base + (size_t)i * h.palette_entry_size;
        if (at + 3 > r.size()) break;  // a cut table leaves the rest black
        std::memcpy(page->palette + 3 * i, r.data() + at, 3);
    }
    return IMG_OK;
}

// 16-bit pixels are 5-6-5 already only with bit-field masks whose green is 0x07E0.
bool already_565(ByteReader& r, const BmpHeader& h) {
    return h.compression == 3 && r.u8_at(58) == 0xE0 && r.u8_at(59) == 0x07;
}

uint8_t* owned_rows(PageBitmap* page, size_t* size) {
    if (!checked_mul((size_t)page->pitch, (size_t)page->height, size, (size_t)kMaxPageBytes)) return nullptr;
    return static_cast<uint8_t*>(mem_alloc(*size));
}

// The page's rows move into `out` (owned); the source rows were range-checked.
void adopt_rows(PageBitmap* page, uint8_t* out, size_t size) {
    page->data = out;
    page->data_offset = 0;
    page->data_length = (int32_t)size;
    page->ownership = OWN_ALLOCATED;
}

int widen_16_to_565(PageBitmap* page, const uint8_t* rows) {
    size_t size = 0;
    uint8_t* out = owned_rows(page, &size);
    if (!out) return ERR_MEMORY;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const unsigned v = rows[i] | rows[i + 1] << 8;
        const unsigned w = ((v >> 5) << 6) | (v & 0x1F);
        out[i] = (uint8_t)w;
        out[i + 1] = (uint8_t)(w >> 8);
    }
    adopt_rows(page, out, size);
    return IMG_OK;
}

// Rewrites the stored rows into an owned buffer at a new depth, row by row.
template <typename RowFn>
int convert_rows(PageBitmap* page, const uint8_t* rows, int32_t in_pitch, int depth, RowFn convert) {
    page->bits_per_pixel = (int8_t)depth;
    page->pitch = row_bytes_aligned(page->width, depth);
    size_t size = 0;
    uint8_t* out = owned_rows(page, &size);
    if (!out) return ERR_MEMORY;
    for (int32_t y = 0; y < page->height; ++y)
        convert(rows + (size_t)y * in_pitch, out + (size_t)y * page->pitch, page->width);
    adopt_rows(page, out, size);
    return IMG_OK;
}

// Blue, green, red kept; the fourth byte dropped.
void row_32_to_24(const uint8_t* in, uint8_t* out, int32_t width) {
    for (int32_t x = 0; x < width; ++x) std::memcpy(out + 3 * x, in + 4 * x, 3);
}

// Each 2-bit value becomes the low two bits of a 4-bit pixel.
void row_2_to_4(const uint8_t* in, uint8_t* out, int32_t width) {
    for (int32_t x = 0; x < width; ++x) {
        const int v = (in[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        out[x >> 1] |= (uint8_t)((x & 1) ? v : v << 4);
    }
}

// Uncompressed rows: the file must hold them all.
int normalise_rows(ByteReader& r, const BmpHeader& h, PageBitmap* page) {
    const int32_t pitch = h.depth == 32 ? page->width * 4 : page->pitch;
    size_t need = 0;
    if (!checked_mul((size_t)pitch, (size_t)page->height, &need) || !range_fits(page->data_offset, need, r.size()))
        return ERR_IO;
    const uint8_t* rows = r.data() + page->data_offset;
    if (h.depth == 16 && !already_565(r, h)) return widen_16_to_565(page, rows);
    if (h.depth == 32) return convert_rows(page, rows, pitch, 24, row_32_to_24);
    if (h.depth == 2) return convert_rows(page, rows, pitch, 4, row_2_to_4);
    return IMG_OK;
}

// 32-bit pixels are taken as blue, green, red and an unused byte.
int check_depth(ByteReader& r, const BmpHeader& h, int format, bool rle) {
    const bool masks_are_bgrx = r.u32_at(54) == 0xFF0000u && r.u32_at(58) == 0xFF00u && r.u32_at(62) == 0xFFu;
    if (format == FMT_OS2_BMP && rle && h.depth != 4 && h.depth != 8 && h.depth != 24) return ERR_UNSUPPORTED;
    switch (h.depth) {
    case 1: case 2: case 4: case 8: case 16: case 24: return IMG_OK;
    case 32: return h.compression == 0 || (h.compression == 3 && masks_are_bgrx) ? IMG_OK : ERR_BIT_DEPTH;
    default: return ERR_BIT_DEPTH;
    }
}

}  // namespace

int read_bmp_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    (void)page_index;
    ByteReader r = file_reader(info);
    BmpHeader h{};
    if (int rc = read_header(r, info->format, &h)) return rc;
    const bool rle = run_length(h, info->format);
    if (int rc = check_depth(r, h, info->format, rle)) return rc;
    if (h.pixel_offset > r.size()) return ERR_IO;
    page->width = h.width;
    page->height = h.height;
    page->bits_per_pixel = (int8_t)(h.depth == 32 ? 24 : h.depth);
    page->compression = rle ? COMP_BMP_RLE : COMP_NONE;
    page->pitch = h.depth == 32 ? row_bytes_aligned(h.width, 24) : row_bytes_aligned(h.width, h.depth);
    if (page->pitch <= 0 || row_bytes_packed(h.width, page->bits_per_pixel) > page->pitch) return ERR_UNSUPPORTED;
    page->layout = (uint8_t)(LAYOUT_BMP | (h.top_down ? LAYOUT_TOP_DOWN : LAYOUT_BOTTOM_UP));
    page->planes = 1;
    borrow_range(info, page, h.pixel_offset, r.size() - h.pixel_offset);
    if (h.depth == 1) {
        // Entry 0 not black: set bits are black.
        const size_t entry0 = FILE_HEADER + (size_t)h.header_size;
        page->black_is_one = (int8_t)(r.u8_at(entry0) != 0);
    }
    if (h.depth == 2 || h.depth == 4 || h.depth == 8)
        if (int rc = copy_palette(r, h, page)) return rc;
    if (rle) return IMG_OK;
    return normalise_rows(r, h, page);
}

// ---- Detection (identify) -----------------------------------------------------

bool is_bmp(const IdentifyHeader& h) { return h.has(0, "BM"); }
// Windows BMP, OS/2 BMP, or -9 for a header size no reader knows.
int bmp_kind(const IdentifyHeader& h) {
    if (h.at(14) == 40) return FMT_WINDOWS_BMP;
    const uint16_t header_size = h.le16(14);
    return header_size == 12 || header_size >= 20 ? (int)FMT_OS2_BMP : (int)ERR_UNKNOWN_FORMAT;
}
bool is_known_bmp(const IdentifyHeader& h) { return is_bmp(h) && bmp_kind(h) >= 0; }
