// "info FILE --pages": one line per page as read_page describes it (size, depth,
// compression, resolution, bilevel sense). Pages go into one record in order, as
// GIF and FLI/FLC pages need.
#include <cstdio>

#include "imaging.h"

// Strips, fill order and texts of a TIFF page (info_tiff.cpp).
void print_tiff_page_fields(const PageBitmap& page);

int print_pages_section(ImageFileInfo& info) {
    PageBitmap page{};
    int rc = IMG_OK;
    for (int i = 0; i < info.page_count && rc == IMG_OK; ++i) {
        // FLI/FLC frames build on the bitmap of the frame before; others start afresh.
        if (info.format != FMT_FLI && (page.data || page.palette)) release_page(&page);
        rc = read_page(&info, &page, i);
        if (rc != IMG_OK) break;
        std::printf("page %d: width=%d height=%d bpp=%d compression=%d x_dpi=%d y_dpi=%d black_is_one=%d", i,
                    page.width, page.height, page.bits_per_pixel, page.compression, page.x_dpi, page.y_dpi,
                    page.black_is_one);
        if (info.format == FMT_TIFF) print_tiff_page_fields(page);
        std::printf("\n");
    }
    if (page.data || page.palette) release_page(&page);
    return rc;
}
