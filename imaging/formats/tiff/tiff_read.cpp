// TIFF directory reader: walks the 12-byte entries of one image file directory and
// maps them onto a PageBitmap (size, depth, compression, strip layout, resolution,
// palette, texts). Entry layout, byte orders and tag meanings follow TIFF 6.0;
// pixel data is left to the codecs. Everything read is checked against the view.
#include <algorithm>
#include <cstring>

#include "base/checked_math.h"
#include "formats/tiff/tiff.h"

// ---- Value readers -----------------------------------------------------------

bool tiff_u16(const TiffBytes& t, uint64_t offset, uint16_t* out) {
    if (!range_fits(offset, 2, t.size)) return false;
    const uint8_t* p = t.data + offset;
    *out = t.big_endian ? (uint16_t)(p[0] << 8 | p[1]) : (uint16_t)(p[0] | p[1] << 8);
    return true;
}

bool tiff_u32(const TiffBytes& t, uint64_t offset, uint32_t* out) {
    if (!range_fits(offset, 4, t.size)) return false;
    const uint8_t* p = t.data + offset;
    *out = t.big_endian
               ? (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]
               : (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    return true;
}

bool tiff_read_entry(const TiffBytes& t, uint64_t offset, TiffEntry* e) {
    if (!range_fits(offset, 12, t.size)) return false;
    tiff_u16(t, offset, &e->tag);
    tiff_u16(t, offset + 2, &e->type);
    tiff_u32(t, offset + 4, &e->count);
    tiff_u32(t, offset + 8, &e->field);
    tiff_u16(t, offset + 8, &e->field16);
    return true;
}

uint32_t tiff_entry_value(const TiffEntry& e) {
    if (e.count >= 2) return e.field;
    switch (e.type) {
    case TIFF_TYPE_ASCII:
    case TIFF_TYPE_LONG:
    case TIFF_TYPE_RATIONAL:
    case TIFF_TYPE_SRATIONAL: return e.field;
    case TIFF_TYPE_SHORT: return e.field16;
    default: return 0;
    }
}

bool tiff_rational(const TiffBytes& t, uint64_t offset, uint32_t* num, uint32_t* den) {
    return tiff_u32(t, offset, num) && tiff_u32(t, offset + 4, den);
}

namespace {

constexpr uint32_t kMaxEntries = 256;
// More strips than rows a page may have cannot describe a real page.
constexpr uint32_t kMaxStrips = (uint32_t)kMaxPageSide;

// What the entries say, before it is resolved into the page.
struct Directory {
    uint32_t width = 0, height = 0;
    uint32_t depth = 1;
    uint32_t tiff_compression = 1;
    uint32_t photometric = 0;
    uint32_t fill_order = 1;
    uint32_t strip_offset = 0, strip_offset_type = TIFF_TYPE_LONG, strip_offset_count = 0;
    uint32_t byte_count = 0, byte_count_type = TIFF_TYPE_LONG, byte_count_count = 0;
    uint32_t rows_per_strip = 0;
    uint32_t t4_options = 0, predictor = 1;
    uint32_t colormap = 0;
    bool has_colormap = false;
    bool single_strip = false;  // private tag 999
    uint32_t jpeg_tables = 0, jpeg_tables_length = 0;  // JPEGTables (347)
};

// TIFF Compression values and the library's codes.
struct CompressionPair {
    uint32_t tiff;
    int8_t code;
};
constexpr CompressionPair kCompressionMap[] = {
    {1, COMP_NONE}, {2, COMP_HUFFMAN}, {3, COMP_G3_1D},   {4, COMP_G4},
    {5, COMP_LZW_TIFF}, {6, COMP_JPEG}, {7, COMP_JPEG}, {32773, COMP_PACKBITS},
};

int8_t library_compression(uint32_t tiff) {
    for (const CompressionPair& p : kCompressionMap)
        if (p.tiff == tiff) return p.code;
    return COMP_NONE;
}

// Copies an ASCII entry into a 128-byte text field: a count of 4 or less lies in the
// value field itself, a longer text at the value offset (cut to the view).
void read_text(const TiffBytes& t, uint64_t entry_offset, const TiffEntry& e, char* out) {
    if (e.count == 0) return;
    uint64_t from = e.count <= 4 ? entry_offset + 8 : e.field;
    uint64_t length = std::min<uint64_t>(e.count, TEXT_FIELD_SIZE - 1);
    if (from >= t.size) length = 0;
    else length = std::min<uint64_t>(length, t.size - from);
    if (length) std::memcpy(out, t.data + from, (size_t)length);
    out[length] = 0;
}

// Bits per pixel from BitsPerSample: one sample as given; three 8-bit samples are
// 24-bit colour. Other sample layouts (16-bit samples, four samples) are refused
// later as depth 0, since reading them as 24-bit pixels would give wrong colours.
uint32_t depth_of(const TiffBytes& t, const TiffEntry& e) {
    if (e.count <= 1) return tiff_entry_value(e);
    if (e.count != 3) return 0;
    uint16_t first = 8;
    if (e.type == TIFF_TYPE_SHORT) tiff_u16(t, e.field, &first);  // unreadable: take 8
    return first == 8 ? 24 : 0;
}

// A rational that ends exactly at the end of the file is still whole, so the test is
// that all 8 bytes fit.
void read_resolution(const TiffBytes& t, uint32_t offset, int32_t* dpi) {
    uint32_t num = 0, den = 0;
    if (!tiff_rational(t, offset, &num, &den)) return;
    *dpi = den == 0 ? 0 : (int32_t)std::min<uint32_t>(num / den, INT32_MAX);
}

// Where a strip list lies: two 16-bit values fit in the entry's value field and are
// stored there; longer lists lie at the value offset. A single value is the value.
uint32_t list_at(uint64_t entry_offset, const TiffEntry& e) {
    if (e.count == 2 && e.type == TIFF_TYPE_SHORT) return (uint32_t)(entry_offset + 8);
    return tiff_entry_value(e);
}

void read_entry_into(const TiffBytes& t, uint64_t at, const TiffEntry& e, Directory& d,
                     PageBitmap* page) {
    const uint32_t v = tiff_entry_value(e);
    switch (e.tag) {
    case 256: d.width = v; break;
    case 257: d.height = v; break;
    case 258: d.depth = depth_of(t, e); break;
    case 259: d.tiff_compression = v; break;
    case 262: d.photometric = v; break;
    case 266: d.fill_order = v; break;
    case 270: read_text(t, at, e, page->description); break;
    case 271:
    case 305: read_text(t, at, e, page->maker); break;
    case 272:
    case 33432: read_text(t, at, e, page->model); break;
    case 273:
        d.strip_offset = list_at(at, e), d.strip_offset_type = e.type, d.strip_offset_count = e.count;
        break;
    case 278: d.rows_per_strip = v; break;
    case 279:
        d.byte_count = list_at(at, e), d.byte_count_type = e.type, d.byte_count_count = e.count;
        break;
    case 282: read_resolution(t, v, &page->x_dpi); break;
    case 283: read_resolution(t, v, &page->y_dpi); break;
    case 292: d.t4_options = v; break;
    case 317: d.predictor = v; break;
    case 320: d.colormap = v, d.has_colormap = true; break;
    // A JPEG interchange stream holds the whole page: it replaces the strips.
    case 513: d.strip_offset = v, d.strip_offset_type = TIFF_TYPE_LONG, d.strip_offset_count = 1; break;
    case 514: d.byte_count = v, d.byte_count_type = TIFF_TYPE_LONG, d.byte_count_count = 1; break;
    case 999: d.single_strip = true; break;
    case 347: d.jpeg_tables = e.field, d.jpeg_tables_length = e.count; break;
    case 34665: page->delay_or_exif = (int32_t)v; break;
    default: break;
    }
}

// Reads the entry count and every entry that lies inside the view.
int read_entries(const TiffBytes& t, uint32_t dir_offset, Directory& d, PageBitmap* page) {
    uint16_t count = 0;
    if (!tiff_u16(t, dir_offset, &count)) return ERR_BAD_HEADER;
    if (count > kMaxEntries) return ERR_BAD_HEADER;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = (uint64_t)dir_offset + 2 + 12ull * i;
        TiffEntry e;
        if (!tiff_read_entry(t, at, &e)) break;  // a directory cut by the end of the file
        read_entry_into(t, at, e, d, page);
    }
    return IMG_OK;
}

// Entry i of a strip list of 16- or 32-bit values at `list`.
bool list_value(const TiffBytes& t, uint32_t list, uint32_t type, uint32_t i, uint32_t* out) {
    if (type == TIFF_TYPE_SHORT) {
        uint16_t v = 0;
        if (!tiff_u16(t, (uint64_t)list + 2ull * i, &v)) return false;
        *out = v;
        return true;
    }
    return tiff_u32(t, (uint64_t)list + 4ull * i, out);
}

// Keeps [offset, offset + length) inside the view: an offset past the end becomes the
// end, a length that would run past it is cut.
void clamp_strip(uint64_t size, uint32_t* offset, uint32_t* length) {
    if (*offset > size) *offset = (uint32_t)size;
    *length = (uint32_t)std::min<uint64_t>(*length, size - *offset);
}

// How many strips both lists really hold inside the view.
uint32_t readable_strips(const TiffBytes& t, const Directory& d) {
    uint32_t n = std::min(d.strip_offset_count, kMaxStrips);
    if (d.byte_count_count >= 2) n = std::min(n, d.byte_count_count);
    const uint64_t off_size = d.strip_offset_type == TIFF_TYPE_SHORT ? 2 : 4;
    const uint64_t len_size = d.byte_count_type == TIFF_TYPE_SHORT ? 2 : 4;
    if (d.strip_offset > t.size || d.byte_count > t.size) return 0;
    n = (uint32_t)std::min<uint64_t>(n, (t.size - d.strip_offset) / off_size);
    if (d.byte_count_count >= 2)
        n = (uint32_t)std::min<uint64_t>(n, (t.size - d.byte_count) / len_size);
    return n;
}

// Several strips: the two tables, each strip kept inside the view, and the sum of
// their lengths as data_length.
int lay_out_strip_tables(const TiffBytes& t, const Directory& d, uint32_t n, PageBitmap* page) {
    page->strip_offsets = static_cast<int32_t*>(mem_alloc(sizeof(int32_t) * n));
    page->strip_lengths = static_cast<uint32_t*>(mem_alloc(sizeof(uint32_t) * n));
    if (!page->strip_offsets || !page->strip_lengths) return ERR_MEMORY;
    uint64_t total = 0;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t offset = 0, length = 0;
        list_value(t, d.strip_offset, d.strip_offset_type, i, &offset);
        list_value(t, d.byte_count, d.byte_count_type, i, &length);
        clamp_strip(t.size, &offset, &length);
        page->strip_offsets[i] = (int32_t)offset;
        page->strip_lengths[i] = length;
        total += length;
    }
    if (total == 0) return ERR_BAD_HEADER;
    page->strip_count = (int32_t)n;
    page->data_offset = 0;
    // Strips that overlap add up to more than the file holds; whoever copies the
    // stored data reads data_length bytes from the view, so it stays inside it.
    page->data_length = (int32_t)std::min<uint64_t>({total, (uint64_t)t.size, (uint64_t)INT32_MAX});
    return IMG_OK;
}

// One strip starting at `offset`; a length of 0 means "to the end of the file".
void lay_out_single(const TiffBytes& t, uint32_t offset, uint32_t length, PageBitmap* page) {
    if (length == 0) length = (uint32_t)std::min<uint64_t>(t.size, UINT32_MAX);
    clamp_strip(t.size, &offset, &length);
    page->strip_count = 0;
    page->data_offset = (int32_t)offset;
    page->data_length = (int32_t)length;
}

// Pages marked with tag 999 keep their strips back to back: one strip from the first
// offset over the lengths of all of them.
void lay_out_marked(const TiffBytes& t, const Directory& d, PageBitmap* page) {
    if (d.strip_offset_count <= 1) {
        lay_out_single(t, d.strip_offset, d.byte_count_count <= 1 ? d.byte_count : 0, page);
        return;
    }
    uint32_t first = 0;
    list_value(t, d.strip_offset, d.strip_offset_type, 0, &first);
    uint64_t total = 0;
    const uint32_t n = readable_strips(t, d);
    for (uint32_t i = 0; i < n && total < t.size; ++i) {
        uint32_t length = 0;
        list_value(t, d.byte_count, d.byte_count_type, i, &length);
        total += length;
    }
    lay_out_single(t, first, (uint32_t)std::min<uint64_t>(total, t.size), page);
}

// Several strips: both lists must be there; a list cut down to one strip by the end
// of the file leaves a single strip.
int lay_out_strips(const TiffBytes& t, const Directory& d, PageBitmap* page) {
    if (d.byte_count_count < 2) return ERR_BAD_HEADER;
    const uint32_t n = readable_strips(t, d);
    if (n == 0) return ERR_BAD_HEADER;
    if (n > 1) return lay_out_strip_tables(t, d, n, page);
    uint32_t offset = 0, length = 0;
    list_value(t, d.strip_offset, d.strip_offset_type, 0, &offset);
    list_value(t, d.byte_count, d.byte_count_type, 0, &length);
    if (length == 0) return ERR_BAD_HEADER;
    lay_out_single(t, offset, length, page);
    return IMG_OK;
}

int lay_out_data(const TiffBytes& t, const Directory& d, PageBitmap* page) {
    if (d.single_strip) {
        lay_out_marked(t, d, page);
    } else if (d.strip_offset_count > 1) {
        const int rc = lay_out_strips(t, d, page);
        if (rc) return rc;
    } else {
        lay_out_single(t, d.strip_offset, d.byte_count, page);
    }
    // RowsPerStrip defaults to the whole page.
    const bool own_rows = page->strip_count > 1 && d.rows_per_strip > 0 && d.rows_per_strip < d.height;
    page->rows_per_strip = (int32_t)(own_rows ? d.rows_per_strip : d.height);
    return IMG_OK;
}

// ---- JPEG tables ---------------------------------------------------------------

// The owned copy of a JPEGTables stream that a page carries in aux_buffer.
struct JpegTablesCopy {
    uint32_t magic;
    uint32_t length;  // bytes of the stream that follow this header
};
constexpr uint32_t kJpegTablesMagic = 0x4A544142;  // "JTAB"
// Marker segments before a scan lie in the first 64 KB of a stream; so do the tables.
constexpr uint32_t kMaxJpegTables = 65536;

// JPEG pages (TIFF Compression 7) may keep their quantisation and Huffman tables in
// one abbreviated stream for all strips (TIFF Technical Note 2). The page gets its
// own copy, so it does not depend on the view; a stream that does not lie wholly
// inside the file is ignored (the strips must then carry their own tables).
int attach_jpeg_tables(const TiffBytes& t, const Directory& d, PageBitmap* page) {
    if (d.tiff_compression != 7 || d.jpeg_tables_length <= 4 || !range_fits(d.jpeg_tables, d.jpeg_tables_length, t.size))
        return IMG_OK;
    const uint32_t n = std::min(d.jpeg_tables_length, kMaxJpegTables);
    auto* copy = static_cast<uint8_t*>(mem_alloc(sizeof(JpegTablesCopy) + n));
    if (!copy) return ERR_MEMORY;
    *reinterpret_cast<JpegTablesCopy*>(copy) = JpegTablesCopy{kJpegTablesMagic, n};
    std::memcpy(copy + sizeof(JpegTablesCopy), t.data + d.jpeg_tables, n);
    page->aux_buffer = copy;
    return IMG_OK;
}

// ---- Colour ------------------------------------------------------------------

uint8_t* grey_palette(int depth, bool white_is_zero) {
    uint8_t* pal = static_cast<uint8_t*>(mem_alloc(768));
    if (!pal) return nullptr;
    const int step = depth == 4 ? 17 : 1;
    for (int i = 0; i < 256; ++i) {
        uint8_t v = (uint8_t)(i * step);
        if (white_is_zero) v = (uint8_t)~v;
        pal[3 * i] = pal[3 * i + 1] = pal[3 * i + 2] = v;
    }
    return pal;
}

// The 2^depth-entry ColorMap (all red values, then green, then blue) as a blue,
// green, red palette; null when the map does not lie wholly inside the view. Maps
// hold 16-bit values that scale down by 256, except maps written with 8-bit values,
// recognised by every value being below 256, which are kept as they are. (Judging
// each value alone would keep the small values of a 16-bit map unscaled.)
uint8_t* color_map_palette(const TiffBytes& t, uint32_t offset, int depth) {
    const uint32_t values = 3u << depth;
    if (!range_fits(offset, 2ull * values, t.size)) return nullptr;
    uint16_t map[3 * 256];
    bool eight_bit = true;
    for (uint32_t i = 0; i < values; ++i) {
        tiff_u16(t, offset + 2ull * i, &map[i]);
        eight_bit = eight_bit && map[i] < 256;
    }
    uint8_t* pal = static_cast<uint8_t*>(mem_alloc(768));
    if (!pal) return nullptr;
    const int shift = eight_bit ? 0 : 8;
    const uint32_t entries = 1u << depth;
    for (uint32_t i = 0; i < entries; ++i) {
        pal[3 * i] = (uint8_t)(map[2 * entries + i] >> shift);
        pal[3 * i + 1] = (uint8_t)(map[entries + i] >> shift);
        pal[3 * i + 2] = (uint8_t)(map[i] >> shift);
    }
    return pal;
}

// A bilevel page with a two-colour map: the library keeps bilevel pages black and
// white, so the darker entry stands for black. Answers the photometric value that
// gives the same sense (0: bit 0 is the light one, 1: bit 0 is the dark one).
uint32_t bilevel_sense_of_map(const TiffBytes& t, const Directory& d) {
    if (!d.has_colormap || !range_fits(d.colormap, 12, t.size)) return 1;
    uint16_t c[6] = {};
    for (int i = 0; i < 6; ++i) tiff_u16(t, d.colormap + 2ull * i, &c[i]);
    // Entries: red 0, red 1, green 0, green 1, blue 0, blue 1.
    const uint32_t grey0 = c[0] + 2u * c[2] + c[4], grey1 = c[1] + 2u * c[3] + c[5];
    return grey0 > grey1 ? 0 : 1;
}

void resolve_bilevel(const TiffBytes& t, const Directory& d, PageBitmap* page) {
    uint32_t p = d.photometric;
    if (p == 3) p = bilevel_sense_of_map(t, d);
    else if (p > 1) p = 1;
    const bool packed = page->compression == COMP_NONE || page->compression == COMP_PACKBITS;
    page->black_is_one = (int8_t)(packed ? 1 - p : p);
}

// Sets the depth, palette and black_is_one from PhotometricInterpretation.
int resolve_colour(const TiffBytes& t, const Directory& d, PageBitmap* page) {
    const int depth = page->bits_per_pixel;
    page->black_is_one = 0;
    if (d.photometric == 2) {
        page->bits_per_pixel = 24;
    } else if (depth == 1) {
        resolve_bilevel(t, d, page);
    } else if (d.photometric <= 1 && (depth == 4 || depth == 8)) {
        page->palette = grey_palette(depth, d.photometric == 0);
        if (!page->palette) return ERR_MEMORY;
    } else if (d.photometric == 3 && (depth == 4 || depth == 8)) {
        if (d.has_colormap) page->palette = color_map_palette(t, d.colormap, depth);
        if (!page->palette) page->palette = grey_palette(depth, false);
        if (!page->palette) return ERR_MEMORY;
    }
    return IMG_OK;
}

// ---- Owned copies of uncompressed pages -----------------------------------------

// Copies `length` bytes at `from` of the view to `to` of the buffer, as far as both go.
size_t copy_piece(const TiffBytes& t, uint64_t from, uint64_t length, uint8_t* buf, size_t size,
                  size_t to) {
    if (to >= size || from >= t.size) return 0;
    const size_t n = (size_t)std::min<uint64_t>({length, t.size - from, size - to});
    std::memcpy(buf + to, t.data + from, n);
    return n;
}

// Concatenates the strips of an uncompressed page into an owned buffer of pitch x
// height bytes (zeros where the file holds less) and turns 24-bit pixels from
// red-green-blue into blue-green-red. The strip tables then describe where each strip
// landed in the new buffer.
// A page padded with zeros to more than 256 times what the file holds of it (and
// more than 64 KB) is refused: a few bytes must not claim gigabytes.
int own_page_copy(const TiffBytes& t, PageBitmap* page) {
    size_t size = 0;
    if (!checked_mul((size_t)page->pitch, (size_t)page->height, &size, kMaxPageBytes))
        return ERR_MEMORY;
    if (size == 0) return IMG_OK;
    uint64_t held = 0;
    if (page->strip_count > 1) {
        for (int32_t i = 0; i < page->strip_count; ++i) held += page->strip_lengths[i];
    } else {
        held = (uint32_t)page->data_length;
    }
    if (size > 65536 && size / 256 > held) return ERR_IO;
    uint8_t* buf = static_cast<uint8_t*>(mem_alloc(size));
    if (!buf) return ERR_MEMORY;
    size_t filled = 0;
    if (page->strip_count > 1) {
        for (int32_t i = 0; i < page->strip_count; ++i) {
            const size_t n = copy_piece(t, (uint32_t)page->strip_offsets[i], page->strip_lengths[i],
                                        buf, size, filled);
            page->strip_offsets[i] = (int32_t)filled;
            page->strip_lengths[i] = (uint32_t)n;
            filled += n;
        }
    } else {
        filled = copy_piece(t, (uint32_t)page->data_offset, (uint32_t)page->data_length, buf, size, 0);
    }
    for (size_t i = 0; page->bits_per_pixel == 24 && i + 2 < filled; i += 3) std::swap(buf[i], buf[i + 2]);
    page->data = buf;
    page->ownership = OWN_ALLOCATED;
    page->data_offset = 0;
    page->data_length = (int32_t)size;
    return IMG_OK;
}

// Uncompressed pages deeper than one bit are used as they are stored, rows one after
// another: 24-bit pages always get their own copy (their bytes are reordered), other
// depths when their rows lie in several strips or the file holds fewer than
// pitch x height bytes of them. Bilevel rows are converted strip by strip instead.
bool needs_own_copy(const PageBitmap& page) {
    if (page.bits_per_pixel == 24) return true;
    if (page.bits_per_pixel == 1) return false;
    return page.strip_count > 1 || (uint64_t)page.data_length < (uint64_t)page.pitch * (uint32_t)page.height;
}

void free_tables(PageBitmap* page) {
    mem_free(page->strip_offsets);
    mem_free(page->strip_lengths);
    page->strip_offsets = nullptr;
    page->strip_lengths = nullptr;
    page->strip_count = 0;
}

int check_depth(const Directory& d) {
    const uint32_t depth = d.depth;
    return depth == 1 || depth == 4 || depth == 8 || depth == 24 ? IMG_OK : ERR_UNSUPPORTED;
}

void set_basic_fields(const Directory& d, PageBitmap* page) {
    page->width = (int32_t)d.width;
    page->height = (int32_t)d.height;
    page->bits_per_pixel = (int8_t)d.depth;
    page->compression = library_compression(d.tiff_compression);
    if (page->compression == COMP_G3_1D && (d.t4_options & 1)) page->compression = COMP_G3_2D;
    page->fill_order = (int8_t)(d.fill_order - 1);
    page->layout = LAYOUT_TOP_DOWN | (d.predictor == 2 ? LAYOUT_PREDICTOR : 0);
}

int read_directory(const TiffBytes& t, PageBitmap* page) {
    Directory d;
    int rc = read_entries(t, (uint32_t)page->data_offset, d, page);
    if (rc) return rc;
    if (d.width > (uint32_t)kMaxPageSide || d.height > (uint32_t)kMaxPageSide) return ERR_BAD_HEADER;
    if ((rc = check_depth(d))) return rc;
    set_basic_fields(d, page);
    if ((rc = lay_out_data(t, d, page))) return rc;
    if ((rc = resolve_colour(t, d, page))) return rc;
    if ((rc = attach_jpeg_tables(t, d, page))) return rc;
    page->pitch = row_bytes_packed(page->width, page->bits_per_pixel);
    if (page->compression == COMP_NONE && page->ownership != OWN_ALLOCATED && needs_own_copy(*page))
        return own_page_copy(t, page);
    return IMG_OK;
}

}  // namespace

int tiff_read_directory(ImageFileInfo* info, PageBitmap* page) {
    if (!info || !page || !page->data || info->file_size <= 0 || page->data_offset < 0)
        return ERR_PARAMETER;
    const TiffBytes t{page->data, (size_t)info->file_size, page->data[0] == 'M'};
    page->fill_order = 0;
    page->black_is_one = 0;
    page->bits_per_pixel = 1;
    page->compression = COMP_NONE;
    page->strip_count = 0;
    // A record reused from another page must not keep that page's values.
    page->x_dpi = page->y_dpi = 0;
    page->delay_or_exif = 0;
    // The page arrives without a palette or aux buffer (read_page clears them): any
    // there now were made by this read and are given back when it fails.
    const int rc = read_directory(t, page);
    if (rc) {
        free_tables(page);
        mem_free(page->aux_buffer);
        page->aux_buffer = nullptr;
        mem_free(page->palette);
        page->palette = nullptr;
    }
    return rc;
}

const uint8_t* tiff_jpeg_tables(const PageBitmap* page, size_t* length) {
    *length = 0;
    if (!page || !page->aux_buffer) return nullptr;
    const auto* copy = static_cast<const JpegTablesCopy*>(page->aux_buffer);
    if (copy->magic != kJpegTablesMagic) return nullptr;
    *length = copy->length;
    return reinterpret_cast<const uint8_t*>(copy) + sizeof(JpegTablesCopy);
}
