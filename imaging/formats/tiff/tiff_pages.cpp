// TIFF pages: the page's directory offset (from the identification's page table) is
// handed to the TIFF directory reader over the borrowed mapped view; the byte-order
// signature and the directory-chain scanner that fills that page table.
#include "formats/file_scanning.h"
#include "formats/page_reading.h"
#include "formats/tiff/tiff.h"

int read_tiff_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets) return ERR_BAD_HEADER;
    const int32_t directory = info->page_offsets[page_index];
    if (directory < 0 || (size_t)directory >= file_length(info)) return ERR_BAD_HEADER;
    page->data = const_cast<uint8_t*>(info->view);
    page->data_offset = directory;
    page->ownership = OWN_BORROWED;
    return tiff_read_directory(info, page);
}

// ---- Directory scanning (identify) ------------------------------------------

namespace {

// True when `offset` is already in the first `count` entries (a looping chain).
bool seen_before(const int32_t* table, int32_t count, uint32_t offset) {
    for (int32_t i = 0; i < count; ++i)
        if ((uint32_t)table[i] == offset) return true;
    return false;
}

}  // namespace

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

// ---- Detection (identify) -----------------------------------------------------

bool is_tiff(const IdentifyHeader& h) { return h.has(0, "II") || h.has(0, "MM"); }
