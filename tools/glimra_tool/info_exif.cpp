// "info --exif": the camera fields and the three texts of page 0 of a JPEG or TIFF
// file. TIFF pages carry their Exif directory offset; JPEG files carry an Exif APP1
// segment among the segments before the first scan.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging_internal.h"

namespace {

// Segments before the first scan fit in this much of a JPEG file (an APP1 segment is
// at most 64 KB long).
constexpr int32_t kJpegHeadBytes = 256 * 1024;

int read_tiff_camera_info(const ImageFileInfo& info, PageBitmap* page) {
    if (!info.view || !info.page_offsets || info.page_count < 1) return ERR_BAD_HEADER;
    ImageFileInfo view = info;
    page->data = const_cast<uint8_t*>(info.view);
    page->data_offset = info.page_offsets[0];
    page->ownership = OWN_BORROWED;
    // A page the directory reader refuses (an unsupported depth, say) still has its
    // texts and Exif pointer read.
    tiff_read_directory(&view, page);
    if (page->delay_or_exif > 0)
        exif_read_camera_info(info.view, info.file_size, 0, page->delay_or_exif, info.view[0] == 'M', page);
    release_page(page);
    return IMG_OK;
}

int read_jpeg_camera_info(const ImageFileInfo& info, PageBitmap* page) {
    std::vector<uint8_t> head((size_t)std::min(info.file_size, kJpegHeadBytes));
    if (file_seek(info.file, 0, 0) != 0) return ERR_IO;
    const int32_t got = file_read(info.file, head.data(), (int32_t)head.size());
    size_t pos = 0, length = 0;
    if (got > 0 && exif_find_in_jpeg(head.data(), (size_t)got, &pos, &length))
        exif_read_segment(head.data() + pos, (int32_t)length, page);
    return IMG_OK;
}

}  // namespace

int print_exif_section(ImageFileInfo& info) {
    PageBitmap page;
    std::memset(&page, 0, sizeof page);
    exif_clear_camera_info(&page);
    int rc = IMG_OK;
    if (info.format == FMT_TIFF) rc = read_tiff_camera_info(info, &page);
    else if (info.format == FMT_JFIF) rc = read_jpeg_camera_info(info, &page);
    if (rc < 0) return rc;
    const struct {
        const char* key;
        int32_t value;
    } fields[] = {
        {"shutter_speed", page.shutter_speed}, {"f_number_x100", page.f_number_x100},
        {"exposure_bias_x10", page.exposure_bias_x10}, {"iso_speed", page.iso_speed},
        {"exif_width", page.exif_width},       {"exif_height", page.exif_height},
    };
    for (const auto& f : fields) std::printf("%s: %d\n", f.key, f.value);
    std::printf("description: %s\nmaker: %s\nmodel: %s\n", page.description, page.maker, page.model);
    return IMG_OK;
}
