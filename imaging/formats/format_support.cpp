// Pieces the format readers and scanners share: the page table a scanner fills, and
// the page helpers of the readers (borrowed ranges of the mapped file, palettes,
// text fields).
#include <cstring>

#include "base/checked_math.h"
#include "formats/file_scanning.h"
#include "formats/page_reading.h"

// ---- Page tables of the scanners --------------------------------------------------

int32_t* alloc_offset_table(size_t entries) {
    return static_cast<int32_t*>(mem_alloc((entries ? entries : 1) * sizeof(int32_t)));
}

// Stores `offset` as the next page; false when the table is full.
bool add_page(ImageFileInfo* info, int32_t capacity, size_t offset) {
    if (info->page_count >= capacity) return false;
    info->page_offsets[info->page_count++] = (int32_t)offset;
    return true;
}

int start_table(ImageFileInfo* info, size_t entries) {
    info->page_offsets = alloc_offset_table(entries);
    info->page_count = 0;
    return info->page_offsets ? IMG_OK : ERR_MEMORY;
}

// ---- Page helpers of the readers --------------------------------------------------

bool borrow_range(const ImageFileInfo* info, PageBitmap* page, size_t offset, size_t length) {
    if (!info->view || !range_fits(offset, length, file_length(info)) || length > INT32_MAX) return false;
    page->data = const_cast<uint8_t*>(info->view);
    page->data_offset = (int32_t)offset;
    page->data_length = (int32_t)length;
    page->ownership = OWN_BORROWED;
    return true;
}

uint8_t* new_palette() { return static_cast<uint8_t*>(mem_alloc(PALETTE_BYTES)); }

void fill_grey_palette(uint8_t* palette, int bpp) {
    const int step = bpp == 4 ? 17 : 1;
    for (int i = 0; i < 256; ++i) {
        const uint8_t v = (uint8_t)(i * step);
        palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = v;
    }
}

void swap_red_blue(uint8_t* palette, int entries) {
    for (int i = 0; i < entries && i < 256; ++i) {
        const uint8_t t = palette[3 * i];
        palette[3 * i] = palette[3 * i + 2];
        palette[3 * i + 2] = t;
    }
}

void copy_text_field(char* field, const uint8_t* text, size_t length) {
    if (length > TEXT_FIELD_SIZE - 1) length = TEXT_FIELD_SIZE - 1;
    std::memcpy(field, text, length);
    field[length] = 0;
}

// Reads `length` bytes at `offset` of the record's file into an owned buffer with
// `slack` spare zero bytes.
int read_file_bytes(const ImageFileInfo* info, int64_t offset, int32_t length, size_t slack, PageBitmap* page) {
    if (offset < 0 || length < 0 || offset + length > info->file_size) return ERR_BAD_HEADER;
    page->data = static_cast<uint8_t*>(mem_alloc((size_t)length + slack));
    if (!page->data) return ERR_MEMORY;
    page->ownership = OWN_ALLOCATED;
    page->data_length = length;
    if (info->view) {
        std::memcpy(page->data, info->view + offset, (size_t)length);
        return IMG_OK;
    }
    if (file_seek(info->file, (int32_t)offset, 0) != offset) return ERR_IO;
    return file_read(info->file, page->data, length) == length ? IMG_OK : ERR_IO;
}
