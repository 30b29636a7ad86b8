// Targa pages (Truevision TGA 2.0 file format): the header and colour map are read
// here; raw image types keep or convert their stored rows, run-length types (packets
// of one repeated pixel or of literal pixels) are expanded. Grey pages become bilevel.
// The image descriptor (byte 17) gives the pixel order: bit 5 set, the first stored
// row is the top one (else the bottom one: the page gets the bottom-up layout); bit 4
// set, each row is stored right to left (mirrored here, so rows leave left to right).
// Targa has no signature: identify tries it last, and the quick test wants a plausible header.
#include <cstring>

#include "base/checked_math.h"
#include "codecs/run_form.h"
#include "formats/file_scanning.h"
#include "formats/page_reading.h"

namespace {

enum { TGA_HEADER = 18, TGA_DESCRIPTOR = 17, TGA_TOP_FIRST = 0x20, TGA_RIGHT_FIRST = 0x10 };

bool grey_type(int type) { return type == 3 || type == 11; }
bool mapped_type(int type) { return type == 1 || type == 9; }

// Bytes of one stored pixel: the depth byte of the header (15 counts as 16).
int stored_pixel_bytes(const PageBitmap* page, int header_depth) {
    if (page->bits_per_pixel == 1) return 1;
    return (header_depth + 7) / 8;
}

// A 5-5-5 colour to 5-6-5: green gains a low bit, red moves up one place.
uint16_t to_565(unsigned v) { return (uint16_t)(((v >> 5) << 6) | (v & 0x1F)); }

uint8_t widen5(unsigned v) { return (uint8_t)((v << 3) | (v >> 2)); }

// Colour-map entries from `at`: 5-5-5 words, blue-green-red bytes, or those plus alpha.
int read_colour_map(ByteReader& r, size_t at, int origin, int length, int entry_bits, uint8_t* palette) {
    if (origin + length > 256) return ERR_BAD_HEADER;
    const int size = (entry_bits + 7) / 8;
    if (size < 2 || size > 4) return ERR_BAD_HEADER;
    for (int i = 0; i < length; ++i) {
        uint8_t* out = palette + 3 * (origin + i);
        const size_t e = at + (size_t)i * size;
        if (size == 2) {
            const unsigned v = r.u16_at(e);
            out[0] = widen5(v & 0x1F);
            out[1] = widen5((v >> 5) & 0x1F);
            out[2] = widen5((v >> 10) & 0x1F);
        } else {
            for (int k = 0; k < 3; ++k) out[k] = r.u8_at(e + k);
        }
    }
    return r.ok() ? IMG_OK : ERR_BAD_HEADER;
}

// Packets of the run-length image types, served one pixel at a time.
class PacketReader {
public:
    PacketReader(const uint8_t* data, size_t size, int pixel_bytes)
        : data_(data), size_(size), bytes_(pixel_bytes) {}
    // Copies the next pixel to `out`; false at the end of the data.
    bool next(uint8_t* out) {
        if (left_ == 0 && !start_packet()) return false;
        if (!repeat_) {
            if (size_ - pos_ < (size_t)bytes_) return false;
            std::memcpy(pixel_, data_ + pos_, (size_t)bytes_);
            pos_ += (size_t)bytes_;
        }
        std::memcpy(out, pixel_, (size_t)bytes_);
        --left_;
        return true;
    }

private:
    bool start_packet() {
        if (pos_ >= size_) return false;
        const uint8_t h = data_[pos_++];
        left_ = (h & 0x7F) + 1;
        repeat_ = (h & 0x80) != 0;
        if (!repeat_) return true;
        if (size_ - pos_ < (size_t)bytes_) return false;
        std::memcpy(pixel_, data_ + pos_, (size_t)bytes_);
        pos_ += (size_t)bytes_;
        return true;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    int bytes_;
    int left_ = 0;
    bool repeat_ = false;
    uint8_t pixel_[4] = {};
};

// Stores one decoded pixel of `bytes` stored bytes at `out` in the page's form.
void put_pixel(uint8_t* out, const uint8_t* px, int bytes) {
    if (bytes == 2) {
        const uint16_t v = to_565(px[0] | px[1] << 8);
        out[0] = (uint8_t)v;
        out[1] = (uint8_t)(v >> 8);
    } else {
        std::memcpy(out, px, bytes == 4 ? 3 : (size_t)bytes);
    }
}

// Grey bytes to packed bits: a non-zero byte is a set (white) bit, the first byte the
// top bit (the last byte when the row is stored right to left).
void pack_grey(const uint8_t* in, int32_t width, bool mirrored, uint8_t* out) {
    std::memset(out, 0, (size_t)(width + 7) / 8);
    for (int32_t x = 0; x < width; ++x)
        if (in[mirrored ? width - 1 - x : x]) out[x >> 3] |= (uint8_t)(0x80 >> (x & 7));
}

// Rows stored right to left: the column that stored pixel `i` of a row belongs to.
inline int32_t column_of(int32_t i, int32_t width, bool mirrored) { return mirrored ? width - 1 - i : i; }

bool right_first(const ImageFileInfo* info) { return (info->view[TGA_DESCRIPTOR] & TGA_RIGHT_FIRST) != 0; }

uint8_t* alloc_rows(const PageBitmap* page, size_t* size) {
    if (!checked_mul((size_t)page->pitch, (size_t)page->height, size, (size_t)kMaxPageBytes)) return nullptr;
    return static_cast<uint8_t*>(mem_alloc(*size));
}

void own_rows(PageBitmap* page, uint8_t* rows, size_t size) {
    page->data = rows;
    page->data_offset = 0;
    page->data_length = (int32_t)size;
    page->ownership = OWN_ALLOCATED;
}

int rle_bilevel(PageBitmap* page, PacketReader& in, bool mirrored) {
    RunsBuilder b;
    if (int rc = runs_begin(&b, page->width, page->height, (size_t)page->height * 16)) return rc;
    uint8_t* grey = static_cast<uint8_t*>(mem_alloc((size_t)page->width * 2 + 8));
    if (!grey) {
        runs_abort(&b);
        return ERR_MEMORY;
    }
    uint8_t* bits = grey + page->width + 4;
    bool more = true;
    for (int32_t y = 0; y < page->height; ++y) {
        std::memset(grey, 0, (size_t)page->width);
        for (int32_t x = 0; x < page->width && more; ++x) more = in.next(grey + x);
        pack_grey(grey, page->width, mirrored, bits);
        runs_add_packed_row(&b, bits, (size_t)(page->width + 7) / 8, false);
    }
    mem_free(grey);
    const bool bottom_up = (page->layout & LAYOUT_BOTTOM_UP) != 0;
    const bool inverted = page->black_is_one != 0;
    runs_finish(&b, page);
    if (bottom_up) {
        page->layout |= LAYOUT_BOTTOM_UP;
        runs_reverse_rows(page);
    }
    return inverted ? runs_invert_page(page) : IMG_OK;
}

// Run-length image types (9, 10, 11). `page` arrives with the header fields,
// palette and data_offset filled by read_targa_page.
int targa_read_rle(PageBitmap* page, const ImageFileInfo* info) {
    const uint8_t* data = info->view + page->data_offset;
    const int header_depth = info->view[16] == 15 ? 16 : info->view[16];
    const int bytes = stored_pixel_bytes(page, header_depth);
    // A packet of one header byte and one pixel gives at most 128 pixels: data that
    // could not fill the picture even so is refused before its rows are allocated
    // (a few bytes must not claim gigabytes).
    const uint64_t most_pixels = ((uint64_t)page->data_length / (uint64_t)(1 + bytes) + 1) * 128;
    if ((uint64_t)page->width * (uint64_t)page->height > most_pixels) return ERR_DECOMPRESS;
    PacketReader in(data, (size_t)page->data_length, bytes);
    const bool mirrored = right_first(info);
    if (page->bits_per_pixel == 1) return rle_bilevel(page, in, mirrored);
    size_t size = 0;
    uint8_t* rows = alloc_rows(page, &size);
    if (!rows) return ERR_MEMORY;
    const int out_bytes = bytes == 4 ? 3 : bytes;
    uint8_t px[4];
    bool more = true;
    for (int32_t y = 0; y < page->height && more; ++y) {
        uint8_t* out = rows + (size_t)y * page->pitch;
        for (int32_t x = 0; x < page->width && (more = in.next(px)); ++x)
            put_pixel(out + (size_t)column_of(x, page->width, mirrored) * out_bytes, px, bytes);
    }
    own_rows(page, rows, size);
    return IMG_OK;
}

// Raw image types (1, 2, 3).
int targa_read_raw(PageBitmap* page, const ImageFileInfo* info) {
    const int header_depth = info->view[16] == 15 ? 16 : info->view[16];
    const int bytes = stored_pixel_bytes(page, header_depth);
    size_t in_pitch = (size_t)page->width * bytes, need = 0;
    if (!checked_mul(in_pitch, (size_t)page->height, &need) || (size_t)page->data_length < need) return ERR_IO;
    const uint8_t* in = info->view + page->data_offset;
    const bool mirrored = right_first(info);
    if (!mirrored && ((bytes == 1 && page->bits_per_pixel == 8) || bytes == 3)) return IMG_OK;  // stored rows kept
    size_t size = 0;
    uint8_t* rows = alloc_rows(page, &size);
    if (!rows) return ERR_MEMORY;
    for (int32_t y = 0; y < page->height; ++y) {
        const uint8_t* row = in + (size_t)y * in_pitch;
        uint8_t* out = rows + (size_t)y * page->pitch;
        if (page->bits_per_pixel == 1) {
            pack_grey(row, page->width, mirrored, out);
            continue;
        }
        const int out_bytes = bytes == 4 ? 3 : bytes;
        for (int32_t x = 0; x < page->width; ++x)
            put_pixel(out + (size_t)column_of(x, page->width, mirrored) * out_bytes, row + (size_t)x * bytes, bytes);
    }
    own_rows(page, rows, size);
    return IMG_OK;
}

}  // namespace

// Describes the page from the header and colour map, then runs one of the readers.
int read_targa_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    (void)page_index;
    ByteReader r = file_reader(info);
    const int id_length = r.u8_at(0), map_type = r.u8_at(1), type = r.u8_at(2);
    const int map_origin = r.u16_at(3), map_length = r.u16_at(5), map_bits = r.u8_at(7);
    const int32_t width = r.u16_at(12), height = r.u16_at(14);
    int depth = r.u8_at(16);
    const int descriptor = r.u8_at(17);
    if (!r.ok() || width == 0 || height == 0) return ERR_BAD_HEADER;
    if (depth == 15) depth = 16;
    if (grey_type(type) ? depth != 8 : mapped_type(type) ? depth != 8 : (depth != 16 && depth != 24 && depth != 32))
        return ERR_BIT_DEPTH;
    page->width = width;
    page->height = height;
    page->bits_per_pixel = (int8_t)(grey_type(type) ? 1 : depth == 32 ? 24 : depth);
    page->pitch = row_bytes_packed(width, page->bits_per_pixel);
    page->layout = (descriptor & TGA_TOP_FIRST) ? LAYOUT_TOP_DOWN : LAYOUT_BOTTOM_UP;
    page->compression = COMP_NONE;
    page->planes = 1;
    const size_t map_at = TGA_HEADER + (size_t)id_length;
    const size_t map_bytes = map_type == 1 ? (size_t)map_length * ((map_bits + 7) / 8) : 0;
    if (mapped_type(type)) {
        if (map_type != 1) return ERR_BAD_HEADER;
        if (!(page->palette = new_palette())) return ERR_MEMORY;
        if (int rc = read_colour_map(r, map_at, map_origin, map_length, map_bits, page->palette)) return rc;
    }
    if (map_at + map_bytes > r.size()) return ERR_BAD_HEADER;
    borrow_range(info, page, map_at + map_bytes, r.size() - map_at - map_bytes);
    const int rc = type > 8 ? targa_read_rle(page, info) : targa_read_raw(page, info);
    if (rc == IMG_OK && page->bits_per_pixel == 1 && page->compression == COMP_NONE) page->black_is_one = 0;
    return rc;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_targa_type(uint8_t image_type) {
    return image_type == 1 || image_type == 2 || image_type == 3 || image_type == 9 || image_type == 10 ||
           image_type == 11;
}
// Targa passes the quick test only with a plausible size and pixel depth.
bool is_plausible_targa(const IdentifyHeader& h) {
    const uint16_t width = h.le16(12), height = h.le16(14);
    const uint8_t depth = h.at(16);
    return h.at(1) <= 1 && is_targa_type(h.at(2)) && width > 0 && width < 32768 && height > 0 &&
           height < 32768 && (depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32);
}
