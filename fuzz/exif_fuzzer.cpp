// Fuzz target: the first byte picks the camera maker, the rest is an Exif block (a
// TIFF structure) read by the camera-information reader from the directory its header
// names, then as an APP1 segment; the whole input is also searched as a JPEG stream.
// Seeds (hand-made): all six fields in both byte orders, a Canon camera-settings note,
// Nikon notes of the older and newer layout, and a JPEG whose APP1 segment claims
// more bytes than the input holds.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/exif.h"
#include "formats/tiff/tiff.h"
#include "imaging.h"

namespace {

const char* const kMakers[] = {"", "Canon", "NIKON", "NIKON CORPORATION", "SONY", "RICOH      "};

PageBitmap blank_page(const char* maker) {
    PageBitmap page;
    std::memset(&page, 0, sizeof page);
    exif_clear_camera_info(&page);
    std::strcpy(page.maker, maker);
    return page;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9 || size > (1u << 20)) return 0;
    const char* maker = kMakers[data[0] % (sizeof kMakers / sizeof kMakers[0])];
    const uint8_t* block = data + 1;
    const int32_t length = (int32_t)(size - 1);
    const bool big = block[0] == 'M';
    uint32_t directory = 0;
    tiff_u32(TiffBytes{block, (size_t)length, big}, 4, &directory);

    PageBitmap page = blank_page(maker);
    exif_read_camera_info(block, length, 0, (int)(directory & 0x7FFFFFFF), big, &page);
    PageBitmap segment = blank_page(maker);
    exif_read_segment(block, length, &segment);
    size_t pos = 0, tiff_length = 0;
    if (exif_find_in_jpeg(data, size, &pos, &tiff_length) && pos + tiff_length > size) __builtin_trap();
    return 0;
}
