// TIFF pages: the page's directory offset (from the identification's page table) is
// handed to the TIFF directory reader over the borrowed mapped view.
#include "formats/tiff.h"
#include "read_page_formats.h"

int read_tiff_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets) return ERR_BAD_HEADER;
    const int32_t directory = info->page_offsets[page_index];
    if (directory < 0 || (size_t)directory >= file_length(info)) return ERR_BAD_HEADER;
    page->data = const_cast<uint8_t*>(info->view);
    page->data_offset = directory;
    page->ownership = OWN_BORROWED;
    return tiff_read_directory(info, page);
}
