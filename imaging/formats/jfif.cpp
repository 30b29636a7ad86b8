// JPEG pages: JFIF files through a 64 KB streaming window, and the JPEG previews
// embedded in Canon, Minolta, Olympus and Fuji camera raw files. The frame size comes
// from the first start-of-frame marker (ITU-T T.81 B.2.2). The signatures of JPEG
// and of the four raw formats are tested here for identify.
#include <cstring>

#include "formats/file_scanning.h"
#include "formats/page_reading.h"

namespace {

enum { MINOLTA_BASE = 48 };

// Marker segments: FFC0..FFC3 are the frames the decoder takes.
bool is_sof(uint16_t marker) { return (marker & 0xFFFC) == 0xFFC0; }
// Markers without a length: SOI, EOI, RSTn and TEM.
bool standalone(uint16_t marker) { return (marker >= 0xFFD0 && marker <= 0xFFD9) || marker == 0xFF01; }

int describe_preview(const ImageFileInfo* info, PageBitmap* page, size_t scan_from) {
    const size_t file = file_length(info);
    const long sof = find_jpeg_sof(info->view, file, scan_from);
    if (sof < 0) return ERR_BAD_HEADER;
    page->compression = COMP_JPEG;
    return describe_jpeg_frame(info->view, file, (size_t)sof, page);
}

// Borrows [start, start + length) as the preview, cut to the file.
int borrow_preview(const ImageFileInfo* info, PageBitmap* page, size_t start, size_t length) {
    const size_t file = file_length(info);
    if (start >= file) return ERR_BAD_HEADER;
    if (length > file - start) length = file - start;
    borrow_range(info, page, start, length);
    return describe_preview(info, page, start + 2);
}

// Canon CRW: the last 28 bytes point at the preview's heap entry.
int canon_preview(const ImageFileInfo* info, PageBitmap* page) {
    const size_t file = file_length(info);
    ByteReader r = file_reader(info);
    const uint32_t e = r.u32_at(file - 28);
    if (!r.ok() || e < file / 2 || (size_t)e + 26 + 64 > file) return ERR_BAD_HEADER;
    borrow_range(info, page, (size_t)e + 26, file - ((size_t)e + 26) - 64);
    return describe_preview(info, page, (size_t)e + 28);
}

// Finds `tag` in the big-endian directory at `dir` (16-bit count, 12-byte entries).
bool minolta_entry(ByteReader& r, size_t dir, uint16_t tag, uint32_t* count, uint32_t* value) {
    const unsigned n = r.u16_at(dir);
    for (unsigned i = 0; i < n && r.ok(); ++i) {
        const size_t e = dir + 2 + 12 * (size_t)i;
        if (r.u16_at(e) == tag) {
            *count = r.u32_at(e + 4);
            *value = r.u32_at(e + 8);
            return r.ok();
        }
    }
    return false;
}

// Minolta MRW: Exif directory, then the maker note, then the preview's entries;
// the preview is copied and its first byte forced to 0xFF.
int minolta_preview(const ImageFileInfo* info, PageBitmap* page) {
    ByteReader r = file_reader(info, true);
    uint32_t count = 0, exif = 0, note = 0, offset = 0, length = 0;
    if (!minolta_entry(r, 56, 0x8769, &count, &exif)) return ERR_BAD_HEADER;
    if (!minolta_entry(r, (size_t)exif + MINOLTA_BASE, 0x927C, &count, &note)) return ERR_BAD_HEADER;
    const size_t notes = (size_t)note + MINOLTA_BASE;
    if (minolta_entry(r, notes, 0x0081, &length, &offset)) {
    } else if (!minolta_entry(r, notes, 0x0088, &count, &offset) || !minolta_entry(r, notes, 0x0089, &count, &length)) {
        return ERR_BAD_HEADER;
    }
    const size_t start = (size_t)offset + MINOLTA_BASE, file = file_length(info);
    if (start >= file || length < 4 || length > file - start) return ERR_BAD_HEADER;
    page->data = static_cast<uint8_t*>(mem_alloc(length));
    if (!page->data) return ERR_MEMORY;
    std::memcpy(page->data, info->view + start, length);
    page->data[0] = 0xFF;
    page->data_length = (int32_t)length;
    page->ownership = OWN_ALLOCATED;
    const long sof = find_jpeg_sof(page->data, length, 2);
    if (sof < 0) return ERR_BAD_HEADER;
    page->compression = COMP_JPEG;
    return describe_jpeg_frame(page->data, length, (size_t)sof, page);
}

// Olympus ORF and Fuji RAF: offset and length of the preview at fixed places.
int fixed_preview(const ImageFileInfo* info, PageBitmap* page, size_t at_offset, size_t at_length, size_t limit) {
    ByteReader r = file_reader(info, true);
    const uint32_t start = r.u32_at(at_offset), length = r.u32_at(at_length);
    if (!r.ok() || start > limit) return ERR_BAD_HEADER;
    return borrow_preview(info, page, start, length);
}

}  // namespace

long find_jpeg_sof(const uint8_t* data, size_t size, size_t start) {
    size_t p = start;
    while (p + 4 <= size) {
        const uint16_t v = (uint16_t)(data[p] << 8 | data[p + 1]);
        if (v < 0xFF00) {
            p += 2;
        } else if (is_sof(v)) {
            return (long)p;
        } else if (v == 0xFFFF) {
            ++p;  // fill byte
        } else if (standalone(v)) {
            p += 2;
        } else {
            p += 2 + (size_t)(data[p + 2] << 8 | data[p + 3]);
        }
    }
    return -1;
}

int describe_jpeg_frame(const uint8_t* data, size_t size, size_t sof, PageBitmap* page) {
    if (sof + 10 > size) return ERR_BAD_HEADER;
    page->height = data[sof + 5] << 8 | data[sof + 6];
    page->width = data[sof + 7] << 8 | data[sof + 8];
    const bool grey = data[sof + 9] == 1;
    page->bits_per_pixel = (int8_t)(grey ? 8 : 24);
    page->pitch = row_bytes_aligned(page->width, page->bits_per_pixel);
    page->layout = LAYOUT_TOP_DOWN;
    if (!grey) {
        mem_free(page->palette);  // 24-bit pages carry none
        page->palette = nullptr;
        return IMG_OK;
    }
    if (!page->palette && !(page->palette = new_palette())) return ERR_MEMORY;
    fill_grey_palette(page->palette, 8);
    return IMG_OK;
}

int read_jfif_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    (void)page_index;
    page->data = static_cast<uint8_t*>(mem_alloc(STREAM_WINDOW_SIZE));
    if (!page->data) return ERR_MEMORY;
    page->ownership = OWN_STREAM;
    page->stream_file = info->file;
    page->stream_buffer_size = STREAM_WINDOW_SIZE;
    file_seek(info->file, 0, 0);
    const int32_t got = file_read(info->file, page->data, STREAM_WINDOW_SIZE);
    if (got <= 0) return ERR_IO;
    const long sof = find_jpeg_sof(page->data, (size_t)got, 2);
    if (sof < 0) return ERR_BAD_HEADER;
    page->compression = COMP_JPEG;
    page->data_offset = 0;
    page->data_length = info->file_size;
    return describe_jpeg_frame(page->data, (size_t)got, (size_t)sof, page);
}

int read_raw_preview_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    (void)page_index;
    const size_t file = file_length(info);
    switch (info->format) {
    case FMT_CANON_RAW: return canon_preview(info, page);
    case FMT_MINOLTA_RAW: return minolta_preview(info, page);
    case FMT_OLYMPUS_RAW: return fixed_preview(info, page, 570, 582, file / 2);
    default: return fixed_preview(info, page, 84, 88, 4096);
    }
}

// ---- Detection (identify) -----------------------------------------------------

bool is_jpeg(const IdentifyHeader& h) { return h.at(0) == 0xFF && h.at(1) == 0xD8 && h.at(2) == 0xFF; }
bool is_fuji_raw(const IdentifyHeader& h) { return h.has(0, "FUJI") && h.has(11, "-RAW"); }
bool is_olympus_raw(const IdentifyHeader& h) { return h.has(0, "MMOR"); }
bool is_canon_raw(const IdentifyHeader& h) { return h.has(0, "II\x1A\0", 4); }
bool is_minolta_raw(const IdentifyHeader& h) { return h.has(0, "\0MRM", 4); }
