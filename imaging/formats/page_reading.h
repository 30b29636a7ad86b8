// The per-format page readers behind read_page and the small helpers they share:
// a bounds-checked reader over the mapped file, palettes, and borrowed data ranges.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/byte_reader.h"
#include "base/records.h"

enum { PALETTE_BYTES = 768 };

// One reader per readable format; the page arrives prepared by read_page.
using PageReader = int (*)(ImageFileInfo* info, PageBitmap* page, int page_index);

int read_bmp_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_pcx_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_tiff_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_jfif_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_ioca_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_awd_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_targa_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_pdf_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_gif_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_png_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_pseg_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_pc_fax_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_cals_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_fli_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_movie_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_winfax10_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_fritz_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int read_raw_preview_page(ImageFileInfo* info, PageBitmap* page, int page_index);

// Reader over the whole mapped file (empty for a streamed record).
inline ByteReader file_reader(const ImageFileInfo* info, bool big_endian = false) {
    return ByteReader(info->view, info->view && info->file_size > 0 ? (size_t)info->file_size : 0, big_endian);
}
inline size_t file_length(const ImageFileInfo* info) {
    return info->view && info->file_size > 0 ? (size_t)info->file_size : 0;
}

// Points the page at [offset, offset + length) of the mapped view (ownership 2);
// false when the range does not lie within the file.
bool borrow_range(const ImageFileInfo* info, PageBitmap* page, size_t offset, size_t length);
// Reads `length` bytes at `offset` of the record's file (mapped or streamed) into an
// owned buffer with `slack` spare zero bytes.
int read_file_bytes(const ImageFileInfo* info, int64_t offset, int32_t length, size_t slack, PageBitmap* page);
// A zeroed 768-byte palette from the library's allocator, or null.
uint8_t* new_palette();
// A grey ramp for 4-bit (steps of 17) or 8-bit (steps of 1) pages.
void fill_grey_palette(uint8_t* palette, int bpp);
// Swaps bytes 0 and 2 of the first `entries` palette entries (red-green-blue order
// into the library's blue-green-red).
void swap_red_blue(uint8_t* palette, int entries);
// Copies at most 127 characters of `text` (length `length`) into a text field.
void copy_text_field(char* field, const uint8_t* text, size_t length);
// Scans JPEG markers from `start` within [0, size) for a start-of-frame (0xFFC0 to
// 0xFFC3); returns its offset or -1.
long find_jpeg_sof(const uint8_t* data, size_t size, size_t start);
// Fills width, height and depth (8-bit grey with a grey palette for one component,
// else 24) from the start-of-frame at `sof`; -8 when the segment is cut.
int describe_jpeg_frame(const uint8_t* data, size_t size, size_t sof, PageBitmap* page);
