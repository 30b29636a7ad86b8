// read_page: checks the record and the page index, prepares the page and hands it
// to the reader of the file's format (a table indexed by format code), then applies
// the fax data guard that gives look-ahead decoders a padded copy of mapped data.
#include <cstring>

#include "base/checked_math.h"
#include "formats/page_reading.h"

namespace {

// Indexed by format code; null: the format is named but not readable (-9).
constexpr PageReader kReaders[FORMAT_CODE_COUNT] = {
    /* 0 Windows BMP  */ read_bmp_page,
    /* 1 OS/2 BMP     */ read_bmp_page,
    /* 2 Windows 2bp  */ nullptr,
    /* 3 PCX          */ read_pcx_page,
    /* 4 DCX          */ read_pcx_page,
    /* 5 TIFF         */ read_tiff_page,
    /* 6 JFIF         */ read_jfif_page,
    /* 7 IOCA         */ read_ioca_page,
    /* 8 AWD          */ read_awd_page,
    /* 9 Targa        */ read_targa_page,
    /* 10 PDF         */ read_pdf_page,
    /* 11 GIF         */ read_gif_page,
    /* 12 PNG         */ read_png_page,
    /* 13 PSEG        */ read_pseg_page,
    /* 14 WinFAX      */ read_pc_fax_page,
    /* 15 BitFAX      */ read_pc_fax_page,
    /* 16 CALS        */ read_cals_page,
    /* 17 Quicklinks  */ read_pc_fax_page,
    /* 18 Pocket PPT  */ nullptr,
    /* 19 FLI/FLC     */ read_fli_page,
    /* 20 AVI         */ read_movie_page,
    /* 21 QuickTime   */ read_movie_page,
    /* 22 WinFAX 10   */ read_winfax10_page,
    /* 23 Fritz-Fax   */ read_fritz_page,
    /* 24 Canon RAW   */ read_raw_preview_page,
    /* 25 Minolta RAW */ read_raw_preview_page,
    /* 26 Olympus RAW */ read_raw_preview_page,
    /* 27 Fuji RAW    */ read_raw_preview_page,
};

// Zeroes the page before a reader fills it. GIF pages after the first start from
// the depth of the page read before; FLI/FLC frames after the first are decoded
// into the bitmap the page already holds.
void prepare_page(PageBitmap* page, const ImageFileInfo* info, int page_index) {
    if (info->format == FMT_FLI && page_index > 0) {
        page->strip_offsets = nullptr;
        page->strip_lengths = nullptr;
        page->strip_count = 0;
        page->description[0] = page->maker[0] = page->model[0] = 0;
        return;
    }
    const int8_t depth = page->bits_per_pixel;
    std::memset(page, 0, sizeof *page);
    if (info->format == FMT_GIF && page_index > 0) page->bits_per_pixel = depth;
    page->shutter_speed = page->f_number_x100 = page->exposure_bias_x10 = -1;
    page->iso_speed = page->exif_width = page->exif_height = -1;
    page->stream_file = FILE_HANDLE_INVALID;
}

// Gives back what a failed reader allocated.
void discard_page(PageBitmap* page) {
    if (page->data && page_owns_data(*page)) mem_free(page->data);
    mem_free(page->palette);
    mem_free(page->strip_offsets);
    mem_free(page->strip_lengths);
    mem_free(page->aux_buffer);
    page->data = page->palette = nullptr;
    page->aux_buffer = nullptr;
    page->strip_offsets = nullptr;
    page->strip_lengths = nullptr;
    page->strip_count = 0;
}

// The stored span of a borrowed fax page: its strips when it has several, else
// [data_offset, data_offset + data_length).
bool fax_span(const PageBitmap* page, size_t file_size, size_t* lo, size_t* hi) {
    *lo = (size_t)page->data_offset;
    *hi = *lo + (size_t)page->data_length;
    if (page->strip_count > 1 && page->strip_offsets && page->strip_lengths) {
        for (int32_t i = 0; i < page->strip_count; ++i) {
            const size_t start = (size_t)(uint32_t)page->strip_offsets[i];
            if (start < *lo) *lo = start;
            if (start + page->strip_lengths[i] > *hi) *hi = start + page->strip_lengths[i];
        }
    }
    if (*hi > file_size) *hi = file_size;
    return *lo <= *hi;
}

// Fax decoders may read a few bytes beyond their data; a page that ends on a 4 KB
// boundary of the mapped view could end exactly at the view's last page, so it is
// copied into an owned buffer 5 bytes longer.
int fax_data_guard(const ImageFileInfo* info, PageBitmap* page) {
    const int c = page->compression;
    if ((c != COMP_G3_1D && c != COMP_G3_2D && c != COMP_G4) || page->ownership != OWN_BORROWED ||
        page->data_length < 0 || page->data_length % 4096 != 0 || page->data != info->view)
        return IMG_OK;
    size_t lo = 0, hi = 0;
    if (!fax_span(page, file_length(info), &lo, &hi)) return ERR_BAD_HEADER;
    uint8_t* copy = static_cast<uint8_t*>(mem_alloc(hi - lo + 5));
    if (!copy) return ERR_MEMORY;
    std::memcpy(copy, info->view + lo, hi - lo);
    if (page->strip_count > 1 && page->strip_offsets)
        for (int32_t i = 0; i < page->strip_count; ++i) page->strip_offsets[i] -= (int32_t)lo;
    page->data = copy;
    page->data_offset -= (int32_t)lo;
    page->ownership = OWN_ALLOCATED;
    return IMG_OK;
}

bool record_usable(const ImageFileInfo* info) {
    if (info->access == ACCESS_MAPPED) return info->view != nullptr;
    return info->access == ACCESS_STREAMED;
}

}  // namespace

int read_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info || !page || !record_usable(info)) return ERR_PARAMETER;
    if (page_index < 0 || page_index >= info->page_count) return ERR_PAGE_NOT_FOUND;
    if (info->format < 0 || info->format >= FORMAT_CODE_COUNT || !kReaders[info->format])
        return ERR_UNKNOWN_FORMAT;
    prepare_page(page, info, page_index);
    int rc = kReaders[info->format](info, page, page_index);
    if (rc == IMG_OK) rc = fax_data_guard(info, page);
    if (rc != IMG_OK) {
        discard_page(page);
        return rc;
    }
    info->current_page = page_index;
    return IMG_OK;
}
