// Fuzz target: the BMP RLE decoder (RLE4, RLE8, 24-bit) on arbitrary data. The first
// bytes choose the depth, damaged-data acceptance and page size; a 4- or 8-bit page
// that decodes is encoded again and must decode back to the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codecs/rle_bmp.h"
#include "imaging.h"

namespace {
constexpr int8_t kDepths[4] = {4, 8, 24, 8};

void check_round_trip(const PageBitmap& page) {
    PageBitmap enc = page;
    if (bmp_rle_encode(&page, &enc, 0) != 0) __builtin_trap();
    PageBitmap back = enc;
    if (bmp_rle_decode(&enc, &back, 0) != 0) __builtin_trap();
    const size_t bytes = (size_t)row_bytes_packed(page.width, page.bits_per_pixel);
    for (int32_t y = 0; y < page.height; ++y) {
        const uint8_t* a = page.data + (size_t)y * page.pitch;
        const uint8_t* b = back.data + (size_t)y * back.pitch;
        // An odd 4-bit row's last low nibble is padding, not a pixel.
        const bool half = page.bits_per_pixel == 4 && (page.width & 1);
        if (std::memcmp(a, b, bytes - (half ? 1 : 0)) || (half && (a[bytes - 1] & 0xF0) != (b[bytes - 1] & 0xF0)))
            __builtin_trap();
    }
    release_page(&back);
    release_page(&enc);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    PageBitmap src{};
    src.bits_per_pixel = kDepths[data[0] & 3];
    src.width = 1 + data[1] % 200;
    src.height = 1 + data[2] % 100;
    src.layout = LAYOUT_BMP | LAYOUT_BOTTOM_UP;
    src.data = const_cast<uint8_t*>(data + 3);
    src.data_length = (int32_t)(size - 3);
    src.ownership = OWN_BORROWED;
    src.compression = COMP_BMP_RLE;
    const int flags = (data[0] & 4) ? JPEG_ACCEPT_DAMAGED : 0;
    PageBitmap out = src;
    if (bmp_rle_decode(&src, &out, flags) != 0) return 0;
    if (out.bits_per_pixel != 24) check_round_trip(out);
    release_page(&out);
    return 0;
}
