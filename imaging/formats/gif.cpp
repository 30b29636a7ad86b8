// GIF pages (GIF89a): the screen descriptor and colour tables, the
// extensions before an image (graphic control, comment, application, plain text),
// and the image's LZW sub-blocks compacted into one owned buffer; the "GIF8"
// signature and the frame scanner that fills the page table for identify.
#include <cstring>

#include "formats/file_scanning.h"
#include "formats/page_reading.h"

namespace {

enum { SCREEN_END = 13, EXT_PLAIN_TEXT = 0x01, EXT_CONTROL = 0xF9, EXT_COMMENT = 0xFE, EXT_APPLICATION = 0xFF };

// Depths the decoded form holds: 1, 4 or 8.
int round_depth(int depth) { return depth <= 1 ? 1 : depth <= 4 ? 4 : 8; }

// A colour table of 2^bits red-green-blue entries at `at`; bilevel pages take only
// the sense of entry 0.
int take_table(ByteReader& r, size_t at, int bits, PageBitmap* page) {
    const size_t entries = (size_t)1 << bits;
    const uint8_t* table = r.seek(at) ? r.take(3 * entries) : nullptr;
    if (!table) return ERR_BAD_HEADER;
    if (page->bits_per_pixel <= 1) {
        page->black_is_one = (int8_t)(table[0] != 0);
        return IMG_OK;
    }
    if (!page->palette && !(page->palette = new_palette())) return ERR_MEMORY;
    std::memset(page->palette, 0, PALETTE_BYTES);
    std::memcpy(page->palette, table, 3 * entries);
    swap_red_blue(page->palette, (int)entries);
    return IMG_OK;
}

// Copies the data of the sub-blocks at the reader's position into a text field
// (at most 127 characters); leaves the reader after the terminator.
void sub_blocks_text(ByteReader& r, char* field) {
    size_t n = 0;
    for (uint8_t size = r.u8(); size && r.ok(); size = r.u8()) {
        const uint8_t* block = r.take(size);
        for (size_t i = 0; block && i < size && n < TEXT_FIELD_SIZE - 1; ++i) field[n++] = (char)block[i];
    }
    field[n] = 0;
}

void skip_sub_blocks(ByteReader& r) {
    for (uint8_t size = r.u8(); size && r.ok(); size = r.u8()) r.skip(size);
}

int read_extension(ByteReader& r, PageBitmap* page) {
    const uint8_t label = r.u8();
    if (label == EXT_CONTROL && r.u8_at(r.pos()) == 4) {
        r.skip(1);
        page->gif_flags = r.u8();
        page->delay_or_exif = r.u16le();
        page->transparent_index = r.u8();
        skip_sub_blocks(r);
    } else if (label == EXT_COMMENT) {
        sub_blocks_text(r, page->description);
    } else if (label == EXT_APPLICATION) {
        sub_blocks_text(r, page->maker);
    } else if (label == EXT_PLAIN_TEXT) {
        r.skip(r.u8());  // the 12-byte text grid header
        sub_blocks_text(r, page->model);
    } else {
        return ERR_BAD_HEADER;
    }
    return r.ok() ? IMG_OK : ERR_BAD_HEADER;
}

// The descriptor's packed byte, the code size, then the sub-blocks without their size
// bytes, into an owned buffer; a block running past the page is -4.
int compact_image(ByteReader& r, uint8_t packed, size_t page_end, PageBitmap* page) {
    const size_t start = r.pos();
    page->data = static_cast<uint8_t*>(mem_alloc(page_end - start + 2));
    if (!page->data) return ERR_MEMORY;
    page->ownership = OWN_ALLOCATED;
    size_t n = 0;
    page->data[n++] = packed;
    page->data[n++] = r.u8();
    for (uint8_t size = r.u8(); size; size = r.u8()) {
        if (!r.ok() || r.pos() + size > page_end) return ERR_DECOMPRESS;
        r.copy(page->data + n, size);
        n += size;
    }
    if (!r.ok()) return ERR_DECOMPRESS;
    page->data_offset = 0;
    page->data_length = (int32_t)n;
    return IMG_OK;
}

int read_image(ByteReader& r, size_t page_end, PageBitmap* page) {
    page->left = r.u16le();
    page->top = r.u16le();
    page->width = r.u16le();
    page->height = r.u16le();
    const uint8_t packed = r.u8();
    if (!r.ok() || page->width == 0 || page->height == 0) return ERR_BAD_HEADER;
    if (packed & 0x80) {
        const int bits = (packed & 7) + 1;
        if (bits > page->bits_per_pixel) page->bits_per_pixel = (int8_t)bits;
        page->bits_per_pixel = (int8_t)round_depth(page->bits_per_pixel);
        if (int rc = take_table(r, r.pos(), bits, page)) return rc;
    }
    page->bits_per_pixel = (int8_t)round_depth(page->bits_per_pixel);
    if (page->bits_per_pixel == 1 && page->palette) {
        mem_free(page->palette);  // bilevel pages carry only their sense
        page->palette = nullptr;
    }
    page->pitch = row_bytes_aligned(page->width, page->bits_per_pixel);
    return compact_image(r, packed, page_end, page);
}

}  // namespace

int read_gif_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets) return ERR_BAD_HEADER;
    ByteReader r = file_reader(info);
    const size_t file = r.size();
    const uint8_t screen = r.u8_at(10);
    page->screen_width = r.u16_at(6);
    page->screen_height = r.u16_at(8);
    page->background_index = r.u8_at(11);
    if (!r.ok()) return ERR_BAD_HEADER;
    const bool global = (screen & 0x80) != 0;
    const int global_bits = (screen & 7) + 1;
    const size_t first = SCREEN_END + (global ? 3 * ((size_t)1 << global_bits) : 0);
    // Later pages start from the depth of the page read before into this record.
    if (page_index == 0 || page->bits_per_pixel <= 0) page->bits_per_pixel = (int8_t)global_bits;
    page->bits_per_pixel = (int8_t)round_depth(page->bits_per_pixel);
    if (global)
        if (int rc = take_table(r, SCREEN_END, global_bits, page)) return rc;
    size_t pos = (size_t)info->page_offsets[page_index];
    // The table holds 4,096 entries; the last page then runs to the end of the file.
    size_t end = page_index + 1 < 4096 ? (size_t)info->page_offsets[page_index + 1] : file;
    if (pos < first) pos = first;
    if (end > file || end <= pos) end = file;
    page->compression = COMP_LZW_GIF;
    page->layout = LAYOUT_TOP_DOWN;
    ByteReader blocks(info->view, end);
    blocks.seek(pos);
    for (;;) {
        const uint8_t kind = blocks.u8();
        if (!blocks.ok()) return ERR_BAD_HEADER;
        if (kind == ',') return read_image(blocks, end, page);
        if (kind != '!') return ERR_BAD_HEADER;
        if (int rc = read_extension(blocks, page)) return rc;
    }
}

// ---- Frame scanning (identify) ----------------------------------------------

namespace {

// Skips GIF data sub-blocks up to and past the zero-size terminator. Past the end of
// the file the reader answers 0, which ends the chain there.
size_t skip_sub_blocks(const FileSpan& file, size_t pos) {
    ByteReader r = file.from(0);
    for (;;) {
        const uint8_t n = r.u8_at(pos);
        pos += 1 + (size_t)n;
        if (n == 0 || pos > file.size) return pos;
    }
}

size_t color_table_bytes(uint8_t packed) { return packed & 0x80 ? 3u * (2u << (packed & 7)) : 0; }

}  // namespace

// GIF: entry 0 is 0 (page 0 includes the screen descriptor); each later page starts
// where the previous image's data ends, so extensions belong to the image after
// them. The last entry is the file size. The whole file is walked.
int scan_gif_frames(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info) {
    if (int rc = start_table(info, kPageTableEntries); rc < 0) return rc;
    ByteReader r = file.from(0);
    int32_t i = 1;  // entry 0 is already 0
    size_t pos = 13 + color_table_bytes(header.at(10));
    for (;;) {
        const uint8_t block = r.u8_at(pos);
        if (block == '!') {
            pos = skip_sub_blocks(file, pos + 3 + r.u8_at(pos + 2));
        } else if (block == ',') {
            pos += 10;
            pos = skip_sub_blocks(file, pos + color_table_bytes(r.u8_at(pos - 1)) + 1);
            if (pos >= file.size || r.u8_at(pos) == ';') break;
            if (i >= kPageTableEntries - 1) break;  // the last entry holds the file size
            info->page_offsets[i++] = (int32_t)pos;
        } else {
            --i;  // what follows the last image is not a page
            break;
        }
    }
    info->page_offsets[i] = (int32_t)file.size;
    info->page_count = i;
    return IMG_OK;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_gif(const IdentifyHeader& h) { return h.has(0, "GIF8"); }
