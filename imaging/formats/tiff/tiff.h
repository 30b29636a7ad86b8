// TIFF image file directories: the directory reader that describes one page in a
// PageBitmap, the single-page writer, and the entry value readers that the Exif
// reader shares. Entry layout and byte orders follow the TIFF 6.0 document.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/records.h"

// Reads the directory at `page->data_offset` of the TIFF structure at `page->data`
// (the file's mapped view, `info->file_size` bytes long) and fills in `page`: size,
// depth, compression, strips, resolutions, palette, texts, Exif directory offset.
// Strip tables and values that lie outside the view are cut, never read.
// Returns 0 or ERR_BAD_HEADER, ERR_UNSUPPORTED, ERR_MEMORY.
int tiff_read_directory(ImageFileInfo* info, PageBitmap* page);

// JPEG pages (TIFF Compression 7) whose quantisation and Huffman tables are stored
// once for all strips (JPEGTables, tag 347) carry an owned copy of that abbreviated
// table stream in `aux_buffer`, freed with the page by release_page. Answers the
// stream and its length, or null (length 0) when the page carries none.
const uint8_t* tiff_jpeg_tables(const PageBitmap* page, size_t* length);

// Size of the work buffer tiff_write_page needs.
enum { TIFF_SCRATCH_SIZE = 65536 };

// Writes `page` (compressed data as stored, or uncompressed packed rows of `pitch`
// bytes) as a complete little-endian single-directory TIFF file at the start of
// `out->file`. `scratch` is a work buffer of TIFF_SCRATCH_SIZE bytes.
// Returns 0, ERR_UNSUPPORTED for an unsupported depth, ERR_PARAMETER for a page
// without data, ERR_IO when the file could not be written whole (the caller, which
// holds the path, removes the file then; tiff_save_page does).
int tiff_write_page(ImageFileInfo* out, const PageBitmap* page, uint8_t* scratch);

// Creates `path`, writes `page` into it with tiff_write_page and closes it; a failed
// write removes the file, so no partial file is left behind.
int tiff_save_page(const PathChar* path, const PageBitmap* page);

// One 12-byte directory entry, its value field read in the file's byte order.
struct TiffEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t field;    // the 32-bit value field (a value, or the offset of the values)
    uint16_t field16;  // the 16-bit value at the start of the value field
};

enum TiffType {
    TIFF_TYPE_BYTE = 1,
    TIFF_TYPE_ASCII = 2,
    TIFF_TYPE_SHORT = 3,
    TIFF_TYPE_LONG = 4,
    TIFF_TYPE_RATIONAL = 5,
    TIFF_TYPE_SRATIONAL = 10
};

// Little- or big-endian numbers of a TIFF structure of `size` bytes. Reads that do
// not lie wholly inside the structure answer false (or 0) and are never made.
struct TiffBytes {
    const uint8_t* data;
    size_t size;
    bool big_endian;
};

bool tiff_u16(const TiffBytes& t, uint64_t offset, uint16_t* out);
bool tiff_u32(const TiffBytes& t, uint64_t offset, uint32_t* out);
// The entry at `offset`; false when its 12 bytes do not lie inside the structure.
bool tiff_read_entry(const TiffBytes& t, uint64_t offset, TiffEntry* entry);
// The entry's value: for a count of 0 or 1, the value field for types ASCII, LONG,
// RATIONAL and SRATIONAL, its first 16 bits for SHORT, 0 for other types; for a
// count of 2 or more, the value field (the offset of the values).
uint32_t tiff_entry_value(const TiffEntry& entry);
// Numerator and denominator of the rational at `offset`; false when out of range.
bool tiff_rational(const TiffBytes& t, uint64_t offset, uint32_t* num, uint32_t* den);
