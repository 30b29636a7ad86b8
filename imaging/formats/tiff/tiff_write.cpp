// TIFF writer: one page as a complete little-endian TIFF file with a single image
// file directory: header, entries in ascending tag order, a value block (texts,
// sample sizes, resolutions, colour map, notice), then the image data. Field layout
// follows the TIFF 6.0 document.
#include <algorithm>
#include <cstring>

#include "base/checked_math.h"
#include "formats/tiff/tiff.h"

namespace {

constexpr int kMaxWriteEntries = 20;
constexpr int kHeaderSize = 8;
// Our notice in tag 33432: 28 characters followed by zeros in a 37-byte field.
constexpr uint32_t kNoticeField = 37;
constexpr char kNoticeText[] = "Written by the Glimra viewer";
static_assert(sizeof kNoticeText - 1 == 28, "the notice is 28 characters long");
constexpr char kNotice[kNoticeField] = "Written by the Glimra viewer";

// Library compression codes and the TIFF Compression values written for them.
struct WrittenCompression {
    int8_t code;
    uint16_t tiff;
};
constexpr WrittenCompression kWrittenCompression[] = {
    {COMP_NONE, 1}, {COMP_G3_1D, 3}, {COMP_G3_2D, 3},         {COMP_G4, 4},
    {COMP_PACKBITS, 32773}, {COMP_HUFFMAN, 2}, {COMP_LZW_TIFF, 5}, {COMP_JPEG, 7},
};

bool tiff_compression_of(int8_t code, uint16_t* out) {
    for (const WrittenCompression& c : kWrittenCompression)
        if (c.code == code) return (*out = c.tiff), true;
    return false;
}

void put16(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

struct OutEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;
    bool in_block;  // value is a position in the value block
    uint8_t inline_bytes[4];
    bool is_inline;  // value field holds these bytes as they are
};

// The value block, assembled in the caller's scratch buffer.
struct ValueBlock {
    uint8_t* data;
    size_t size = 0;
    bool ok = true;

    uint32_t add(const void* bytes, size_t n, size_t align) {
        const size_t at = (size + align - 1) / align * align;
        if (at + n > TIFF_SCRATCH_SIZE) return (ok = false), 0;
        std::memset(data + size, 0, at - size);
        if (bytes) std::memcpy(data + at, bytes, n);
        else std::memset(data + at, 0, n);
        size = at + n;
        return (uint32_t)at;
    }
};

struct Layout {
    OutEntry entries[kMaxWriteEntries];
    int count = 0;
    ValueBlock block;
    uint32_t strip_list = 0, length_list = 0;  // block positions of multi-strip lists
    uint32_t strips = 1;

    void add(uint16_t tag, uint16_t type, uint32_t count_, uint32_t value, bool in_block = false) {
        entries[this->count++] = OutEntry{tag, type, count_, value, in_block, {}, false};
    }
};

// Bytes of image data the page holds for the file.
uint32_t image_bytes(const PageBitmap* p) {
    if (p->compression != COMP_NONE) return (uint32_t)std::max(p->data_length, 0);
    uint64_t n = (uint64_t)row_bytes_packed(p->width, p->bits_per_pixel) * (uint32_t)p->height;
    return (uint32_t)std::min<uint64_t>(n, UINT32_MAX);
}

// PhotometricInterpretation, the inverse of the reader's mapping so that black_is_one
// survives a write and a read: uncompressed and PackBits bilevel rows hold set bits
// for white unless black_is_one says otherwise (1 - black_is_one); the other codings
// store the sense that black_is_one names directly.
uint32_t photometric_of(const PageBitmap* p) {
    if (p->bits_per_pixel == 24) return 2;
    if (p->bits_per_pixel != 1) return 3;
    const bool rows = p->compression == COMP_NONE || p->compression == COMP_PACKBITS;
    const uint32_t b = p->black_is_one ? 1 : 0;
    return rows ? 1 - b : b;
}

// ImageDescription with its terminating NUL; texts of up to 4 bytes lie in the
// value field itself, as readers expect.
void add_description(Layout& l, const PageBitmap* p) {
    const size_t len = strnlen(p->description, TEXT_FIELD_SIZE - 1);
    if (len == 0) return;
    const uint32_t count = (uint32_t)len + 1;
    if (count <= 4) {
        OutEntry e{270, TIFF_TYPE_ASCII, count, 0, false, {}, true};
        std::memcpy(e.inline_bytes, p->description, len);
        l.entries[l.count++] = e;
        return;
    }
    l.add(270, TIFF_TYPE_ASCII, count, l.block.add(p->description, len + 1, 1), true);
}

void add_bits_per_sample(Layout& l, const PageBitmap* p) {
    if (p->bits_per_pixel != 24) return l.add(258, TIFF_TYPE_LONG, 1, (uint32_t)p->bits_per_pixel);
    uint8_t eights[12] = {};
    for (int i = 0; i < 3; ++i) put32(eights + 4 * i, 8);
    l.add(258, TIFF_TYPE_LONG, 3, l.block.add(eights, sizeof eights, 4), true);
}

// StripOffsets: one strip, or for a compressed page kept in several strips the lists
// of their offsets and lengths (filled in once the data's position is known).
void add_strip_offsets(Layout& l, const PageBitmap* p) {
    if (p->compression != COMP_NONE && p->strip_count > 1 && p->strip_offsets && p->strip_lengths) {
        l.strips = (uint32_t)p->strip_count;
        l.strip_list = l.block.add(nullptr, 4ull * l.strips, 4);
        l.add(273, TIFF_TYPE_LONG, l.strips, l.strip_list, true);
        return;
    }
    l.add(273, TIFF_TYPE_LONG, 1, 0);  // set when the data's position is known
}

void add_strip_byte_counts(Layout& l, const PageBitmap* p) {
    if (l.strips > 1) {
        l.length_list = l.block.add(nullptr, 4ull * l.strips, 4);
        for (uint32_t i = 0; i < l.strips && l.block.ok; ++i)
            put32(l.block.data + l.length_list + 4 * i, p->strip_lengths[i]);
        l.add(279, TIFF_TYPE_LONG, l.strips, l.length_list, true);
        return;
    }
    l.add(279, TIFF_TYPE_LONG, 1, image_bytes(p));
}

void add_resolutions(Layout& l, const PageBitmap* p) {
    uint8_t r[16];
    put32(r, (uint32_t)std::max(p->x_dpi, 0));
    put32(r + 4, 1);
    put32(r + 8, (uint32_t)std::max(p->y_dpi, 0));
    put32(r + 12, 1);
    const uint32_t at = l.block.add(r, sizeof r, 4);
    l.add(282, TIFF_TYPE_RATIONAL, 1, at, true);
    l.add(283, TIFF_TYPE_RATIONAL, 1, at + 8, true);
}

// ColorMap: all red values, then green, then blue. Each palette byte v becomes the
// 16-bit value v x 257, so that 255 is full intensity for every reader; v >> 8 gives
// v back. A page without a palette gets the grey ramp it would be read with.
void add_color_map(Layout& l, const PageBitmap* p) {
    const uint32_t entries = 1u << p->bits_per_pixel;
    uint8_t map[6 * 256];
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t grey = (uint8_t)(p->bits_per_pixel == 4 ? i * 17 : i);
        for (uint32_t c = 0; c < 3; ++c) {
            const uint8_t v = p->palette ? p->palette[3 * i + (2 - c)] : grey;  // palette is b, g, r
            put16(map + 2 * (c * entries + i), (uint32_t)v * 257);
        }
    }
    l.add(320, TIFF_TYPE_SHORT, 3 * entries, l.block.add(map, 6ull * entries, 2), true);
}

void build_entries(Layout& l, const PageBitmap* p, uint16_t tiff_compression) {
    const int depth = p->bits_per_pixel;
    l.add(254, TIFF_TYPE_LONG, 1, 0);
    l.add(256, TIFF_TYPE_LONG, 1, (uint32_t)p->width);
    l.add(257, TIFF_TYPE_LONG, 1, (uint32_t)p->height);
    add_description(l, p);  // its text opens the value block
    add_bits_per_sample(l, p);
    l.add(259, TIFF_TYPE_LONG, 1, tiff_compression);
    l.add(262, TIFF_TYPE_LONG, 1, photometric_of(p));
    l.add(266, TIFF_TYPE_LONG, 1, p->fill_order == 0 || p->fill_order == 1 ? (uint32_t)p->fill_order + 1 : 1);
    add_strip_offsets(l, p);
    l.add(277, TIFF_TYPE_LONG, 1, depth == 24 ? 3 : 1);
    l.add(278, TIFF_TYPE_LONG, 1, l.strips > 1 ? (uint32_t)p->rows_per_strip : (uint32_t)p->height);
    add_strip_byte_counts(l, p);
    add_resolutions(l, p);
    if (p->compression == COMP_G3_2D) l.add(292, TIFF_TYPE_LONG, 1, 1);
    l.add(296, TIFF_TYPE_LONG, 1, 2);
    if (depth == 4 || depth == 8) add_color_map(l, p);
    l.add(33432, TIFF_TYPE_ASCII, kNoticeField, l.block.add(kNotice, kNoticeField, 1), true);
    std::sort(l.entries, l.entries + l.count,
              [](const OutEntry& a, const OutEntry& b) { return a.tag < b.tag; });
}

// Turns block positions into file offsets and points the strips at the image data.
void place_values(Layout& l, const PageBitmap* p) {
    const uint32_t block_start = kHeaderSize + 2 + 12u * (uint32_t)l.count + 4;
    const uint32_t data_start = block_start + (uint32_t)l.block.size;
    for (int i = 0; i < l.count; ++i) {
        OutEntry& e = l.entries[i];
        if (e.in_block) e.value += block_start;
        if (e.tag == 273 && l.strips == 1) e.value = data_start;
    }
    uint32_t at = data_start;
    for (uint32_t i = 0; l.strips > 1 && i < l.strips; ++i) {
        put32(l.block.data + l.strip_list + 4 * i, at);
        at += p->strip_lengths[i];
    }
}

// Header, entry count, entries and the (absent) next-directory link.
size_t encode_directory(const Layout& l, uint8_t* out) {
    out[0] = out[1] = 'I';
    put16(out + 2, 42);
    put32(out + 4, kHeaderSize);
    put16(out + 8, (uint32_t)l.count);
    uint8_t* e = out + 10;
    for (int i = 0; i < l.count; ++i, e += 12) {
        const OutEntry& x = l.entries[i];
        put16(e, x.tag);
        put16(e + 2, x.type);
        put32(e + 4, x.count);
        if (x.is_inline) std::memcpy(e + 8, x.inline_bytes, 4);
        else if (x.type == TIFF_TYPE_SHORT && x.count == 1) put32(e + 8, x.value & 0xFFFF);
        else put32(e + 8, x.value);
    }
    put32(e, 0);
    return (size_t)(e + 4 - out);
}

// ---- Image data ------------------------------------------------------------------

// Buffered output through the scratch buffer; remembers whether every write went whole.
struct Output {
    FileHandle file;
    uint8_t* buf;
    size_t used = 0;
    bool ok = true;

    void flush() {
        if (used && file_write(file, buf, (int32_t)used) != (int32_t)used) ok = false;
        used = 0;
    }
    void write_direct(const uint8_t* p, size_t n) {
        flush();
        while (n && ok) {
            const int32_t part = (int32_t)std::min<size_t>(n, 1u << 30);
            if (file_write(file, p, part) != part) ok = false;
            p += part, n -= (size_t)part;
        }
    }
    // Copies `n` bytes, turning 3-byte pixels around when `swap` is set.
    void put(const uint8_t* p, size_t n, bool swap) {
        while (n && ok) {
            size_t room = TIFF_SCRATCH_SIZE - used;
            if (swap) room -= room % 3;
            if (room == 0) {
                flush();
                continue;
            }
            const size_t part = std::min(n, room);
            std::memcpy(buf + used, p, part);
            for (size_t i = 0; swap && i + 2 < part; i += 3) std::swap(buf[used + i], buf[used + i + 2]);
            used += part, p += part, n -= part;
        }
    }
    void zeros(size_t n) {
        static const uint8_t kZero[256] = {};
        while (n && ok) {
            const size_t part = std::min(n, sizeof kZero);
            put(kZero, part, false);
            n -= part;
        }
    }
};

// Row `r` of an uncompressed page in picture order (bottom-up pages from their last
// row), or null when the page's data does not hold all of it.
const uint8_t* source_row(const PageBitmap* p, int32_t r, size_t row_bytes) {
    const int32_t stored = (p->layout & LAYOUT_BOTTOM_UP) ? p->height - 1 - r : r;
    if (p->strip_count > 1 && p->strip_offsets && p->strip_lengths && p->rows_per_strip > 0) {
        const int32_t s = stored / p->rows_per_strip;
        if (s >= p->strip_count) return nullptr;
        const uint64_t within = (uint64_t)(stored % p->rows_per_strip) * (uint32_t)p->pitch;
        if (within + row_bytes > p->strip_lengths[s]) return nullptr;
        return p->data + (uint32_t)p->strip_offsets[s] + within;
    }
    const uint64_t at = (uint64_t)stored * (uint32_t)p->pitch;
    if (at + row_bytes > (uint64_t)std::max(p->data_length, 0)) return nullptr;
    return p->data + p->data_offset + at;
}

void write_rows(Output& out, const PageBitmap* p) {
    const size_t row_bytes = (size_t)row_bytes_packed(p->width, p->bits_per_pixel);
    for (int32_t r = 0; r < p->height && out.ok; ++r) {
        const uint8_t* row = source_row(p, r, row_bytes);
        if (row) out.put(row, row_bytes, p->bits_per_pixel == 24);
        else out.zeros(row_bytes);  // rows the page does not hold are written blank
    }
}

void write_compressed(Output& out, const PageBitmap* p, const Layout& l) {
    if (l.strips <= 1) return out.write_direct(p->data + p->data_offset, (size_t)image_bytes(p));
    for (uint32_t i = 0; i < l.strips && out.ok; ++i)
        out.write_direct(p->data + (uint32_t)p->strip_offsets[i], p->strip_lengths[i]);
}

int check_page(const PageBitmap* p, uint16_t* tiff_compression) {
    const int d = p->bits_per_pixel;
    if (d != 1 && d != 4 && d != 8 && d != 24) return ERR_UNSUPPORTED;
    if (!p->data || p->width <= 0 || p->height <= 0 || p->width > kMaxPageSide ||
        p->height > kMaxPageSide || p->data_offset < 0)
        return ERR_PARAMETER;
    if (!tiff_compression_of(p->compression, tiff_compression)) return ERR_PARAMETER;
    if (p->compression == COMP_NONE && p->pitch < row_bytes_packed(p->width, d)) return ERR_PARAMETER;
    return IMG_OK;
}

}  // namespace

int tiff_write_page(ImageFileInfo* out, const PageBitmap* page, uint8_t* scratch) {
    if (!out || !page || !scratch || out->file == FILE_HANDLE_INVALID) return ERR_PARAMETER;
    uint16_t tiff_compression = 1;
    int rc = check_page(page, &tiff_compression);
    if (rc) return rc;
    Layout l;
    l.block.data = scratch;
    build_entries(l, page, tiff_compression);
    if (!l.block.ok) return ERR_PARAMETER;  // more strips than the value block can list
    place_values(l, page);
    uint8_t directory[kHeaderSize + 2 + 12 * kMaxWriteEntries + 4];
    const size_t dir_size = encode_directory(l, directory);
    if (file_seek(out->file, 0, 0) != 0) return ERR_IO;
    Output o{out->file, scratch};
    o.write_direct(directory, dir_size);
    o.write_direct(scratch, l.block.size);
    if (page->compression == COMP_NONE) write_rows(o, page);
    else write_compressed(o, page, l);
    o.flush();
    return o.ok ? IMG_OK : ERR_IO;
}

int tiff_save_page(const PathChar* path, const PageBitmap* page) {
    ImageFileInfo out;
    int rc = create_output_file(path, &out, 0, FMT_TIFF);
    if (rc) return rc;
    uint8_t* scratch = static_cast<uint8_t*>(mem_alloc(TIFF_SCRATCH_SIZE));
    rc = scratch ? tiff_write_page(&out, page, scratch) : ERR_MEMORY;
    mem_free(scratch);
    file_close(out.file);  // the output record holds nothing but the file
    if (rc) file_delete(path);
    return rc;
}
