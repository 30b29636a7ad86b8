// Exif hand-over of the JPEG decoder: the APP1 segment's TIFF structure gives the
// camera fields and texts (TIFF 6.0 directories, Exif 2.2); in thumbnail mode its
// second directory, the Exif thumbnail (uncompressed or JPEG), replaces the picture.
// It sits above the codec because it reads TIFF directories and decodes the
// thumbnail through convert_page; the codec registry hands it to the JPEG codec.
#include <algorithm>
#include <cstring>

#include "formats/exif.h"
#include "formats/tiff/tiff.h"
#include "imaging.h"
#include "pipeline/jpeg_exif.h"

namespace {

void copy_camera(const PageBitmap& from, PageBitmap* to) {
    int32_t PageBitmap::*const fields[] = {&PageBitmap::shutter_speed, &PageBitmap::f_number_x100,
                                           &PageBitmap::exposure_bias_x10, &PageBitmap::iso_speed,
                                           &PageBitmap::exif_width, &PageBitmap::exif_height};
    for (auto f : fields)
        if (from.*f != -1) to->*f = from.*f;
}

void copy_texts(const PageBitmap& from, PageBitmap* to, bool maker_only) {
    if (from.maker[0]) std::memcpy(to->maker, from.maker, TEXT_FIELD_SIZE);
    if (maker_only) return;
    if (from.description[0]) std::memcpy(to->description, from.description, TEXT_FIELD_SIZE);
    if (from.model[0]) std::memcpy(to->model, from.model, TEXT_FIELD_SIZE);
}

// Offset of the second directory (0 when there is none).
uint32_t second_directory(const uint8_t* tiff, size_t length) {
    const TiffBytes t{tiff, length, tiff[0] == 'M'};
    uint32_t first = 0, next = 0;
    uint16_t count = 0;
    if (!tiff_u32(t, 4, &first) || !tiff_u16(t, first, &count)) return 0;
    if (!tiff_u32(t, (uint64_t)first + 2 + 12 * (uint64_t)count, &next)) return 0;
    return next < length ? next : 0;
}

// Finds SOF0 in a JPEG thumbnail from byte 2, stepping over segments.
bool thumbnail_frame(const uint8_t* p, size_t n, PageBitmap* page) {
    size_t i = 2;
    while (i + 10 <= n && p[i] == 0xFF) {
        if (p[i + 1] == 0xC0) {
            page->height = p[i + 5] << 8 | p[i + 6];
            page->width = p[i + 7] << 8 | p[i + 8];
            page->bits_per_pixel = (int8_t)(p[i + 9] == 1 ? 8 : 24);
            return page->width > 0 && page->height > 0;
        }
        i += 2 + (size_t)(p[i + 2] << 8 | p[i + 3]);
    }
    return false;
}

// Makes `result` (a fresh page) the target, keeping the target's texts and camera
// fields; the target's own palette copy gives way to the result's.
void become_target(PageBitmap* target, const PageBitmap& result) {
    PageBitmap keep = *target;
    mem_free(target->palette);
    *target = result;
    std::memcpy(target->description, keep.description, TEXT_FIELD_SIZE);
    std::memcpy(target->maker, keep.maker, TEXT_FIELD_SIZE);
    std::memcpy(target->model, keep.model, TEXT_FIELD_SIZE);
    copy_camera(keep, target);
    target->stream_file = keep.stream_file;
}

// 1 when the thumbnail became the target, 0 otherwise.
int take_thumbnail(const uint8_t* tiff, size_t length, PageBitmap* target) {
    const uint32_t ifd1 = second_directory(tiff, length);
    if (!ifd1) return 0;
    ImageFileInfo info{};
    info.file_size = (int32_t)length;
    PageBitmap thumb{};
    thumb.data = const_cast<uint8_t*>(tiff);
    thumb.data_offset = (int32_t)ifd1;
    thumb.ownership = OWN_BORROWED;
    int taken = 0;
    if (tiff_read_directory(&info, &thumb) == IMG_OK) {
        if (thumb.compression == COMP_NONE && thumb.bits_per_pixel == 24 && thumb.ownership == OWN_ALLOCATED) {
            if (convert_depth(&thumb, 16, DEPTH_PLAIN) == IMG_OK) {
                become_target(target, thumb);
                return 1;
            }
        } else if (thumb.compression == COMP_JPEG && thumb.ownership == OWN_BORROWED && thumb.data_offset > 0 &&
                   (size_t)thumb.data_offset < length) {
            const size_t start = (size_t)thumb.data_offset;
            const size_t n = std::min((size_t)(uint32_t)thumb.data_length, length - start);
            PageBitmap src{};
            src.data = const_cast<uint8_t*>(tiff);
            src.data_offset = (int32_t)start;
            src.data_length = (int32_t)n;
            src.ownership = OWN_BORROWED;
            src.compression = COMP_JPEG;
            PageBitmap out{};
            out.compression = COMP_NONE;
            if (thumbnail_frame(tiff + start, n, &src) && convert_page(&src, &out, JPEG_RGB565) == IMG_OK) {
                become_target(target, out);
                taken = 1;
            }
        }
    }
    release_page(&thumb);
    return taken;
}

}  // namespace

int jpeg_exif_handover(const uint8_t* tiff, size_t length, PageBitmap* target, int options) {
    const bool thumbnail = (options & JPEG_THUMBNAIL) && !(options & JPEG_INTO_BUFFER);
    PageBitmap info{};
    exif_clear_camera_info(&info);
    exif_read_segment(tiff, (int32_t)length, &info);
    copy_camera(info, target);
    copy_texts(info, target, thumbnail);
    return thumbnail ? take_thumbnail(tiff, length, target) : 0;
}
