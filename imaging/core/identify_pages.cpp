// Page scanners of the multi-page still formats: WinFAX 10 page headers, the DCX
// offset table, the page records of an AWD compound document, GIF frames (GIF89a
// block structure), TIFF directory chains (TIFF 6.0) and MO:DCA/IOCA structured
// fields. Each fills page_count and, where the format keeps one, the page table.
#include "identify_scan.h"

namespace {

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

// Position of the first `a b` byte pair in the reader's bytes, or -1.
long find_pair(ByteReader r, uint8_t a, uint8_t b) {
    for (size_t i = 0; i + 1 < r.size(); ++i)
        if (r.data()[i] == a && r.data()[i + 1] == b) return (long)i;
    return -1;
}

// The AWD records that describe a strip of page data.
bool is_awd_section(uint32_t marker) { return marker == 0x000A0008 || marker == 0x0010000A; }

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

// True when `offset` is already in the first `count` entries (a looping chain).
bool seen_before(const int32_t* table, int32_t count, uint32_t offset) {
    for (int32_t i = 0; i < count; ++i)
        if ((uint32_t)table[i] == offset) return true;
    return false;
}

}  // namespace

// WinFAX 10: page n + 1 starts after page n's 128-byte header and its data, or at the
// first 0x0B 0x23 within 2,048 bytes from there. Only pages actually found count.
int scan_winfax10_pages(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info) {
    const int32_t wanted = header.at(101);
    if (int rc = start_table(info, (size_t)wanted); rc < 0) return rc;
    size_t start = 0;
    while (info->page_count < wanted && start < file.size) {
        add_page(info, wanted, start);
        const uint64_t next = (uint64_t)start + file.window(start, 128).u32_at(116) + 128;
        if (next >= file.size) break;
        const long found = find_pair(file.window((size_t)next, 2048), 0x0B, 0x23);
        if (found < 0) break;
        start = (size_t)next + (size_t)found;
    }
    return IMG_OK;
}

// DCX: the first page offset is at 4; the table runs to the first zero entry and
// ends within the first 4,096 bytes at the latest.
int scan_dcx_pages(const FileSpan&, const IdentifyHeader& header, ImageFileInfo* info) {
    int32_t count = 1;
    for (size_t offset = 8; offset + 4 <= IdentifyHeader::kSize && header.le32(offset) != 0; offset += 4) ++count;
    info->page_count = count;
    return IMG_OK;
}

// AWD: page 0 starts 30 bytes after the "AWPI" marker; the walk follows the page's
// strip records (16-bit length, marker at offset 6). A 6-byte record ends a page;
// with the section marker 0x000A0008 it ends the document.
int scan_awd_pages(const FileSpan& file, const IdentifyHeader&, ImageFileInfo* info) {
    if (int rc = start_table(info, kPageTableEntries); rc < 0) return rc;
    const long marker = [&] {
        ByteReader head = file.window(0, 10000);
        for (size_t i = 0; i + 4 <= head.size(); ++i)
            if (std::memcmp(head.data() + i, "AWPI", 4) == 0) return (long)i;
        return -1L;
    }();
    uint64_t base = (uint64_t)marker + 30, pos = 0;
    if (marker < 0 || base >= file.size) return IMG_OK;
    ByteReader r = file.from(0);
    add_page(info, kPageTableEntries, (size_t)base);
    // Every step moves base + pos forward, so the walk ends at the end of the file.
    while (base + pos + 10 <= file.size) {
        const size_t at = (size_t)(base + pos);
        const uint16_t length = r.u16_at(at);
        const uint32_t tag = r.u32_at(at + 6);
        if (length == 6) {
            if (tag == 0x000A0008) break;
            if (!add_page(info, kPageTableEntries, (size_t)(base + 8))) break;
            pos += 8;
        } else if (is_awd_section(tag)) {
            base = base + length + pos + 2;
            pos = 0;
        } else {
            base += 512;
            pos = 0;
        }
    }
    return IMG_OK;
}

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

// TIFF: follows the chain of directories from the offset at 4. A directory with
// fewer than 5 or more than 256 entries, or cut short, is counted and then reported
// as -8. A chain that comes back to a directory already seen, or that outgrows the
// table, ends there.
int scan_tiff_directories(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info) {
    if (int rc = start_table(info, kPageTableEntries); rc < 0) return rc;
    const bool big = header.at(0) == 'M';
    uint32_t offset = file.window(0, 8, big).u32_at(4);
    int error = IMG_OK;
    while (error == IMG_OK && offset != 0 && offset < file.size) {
        if (seen_before(info->page_offsets, info->page_count, offset)) break;
        if (!add_page(info, kPageTableEntries, offset)) break;
        ByteReader dir = file.window(offset, 3072, big);
        if (dir.size() < 60) break;
        const uint32_t entries = dir.u16_at(0);
        if (dir.size() < entries * 12 + 2 || entries < 5 || entries > 256) error = ERR_BAD_HEADER;
        offset = file.from(offset, big).u32_at(2 + entries * 12);
    }
    return error;
}

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
