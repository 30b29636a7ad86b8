// Fuzz target: the LZW decoder in both variants on arbitrary data. The first bytes
// choose the variant, depth, predictor, damaged-data acceptance and page size; an
// 8-bit page that decodes is encoded again and must decode back to the same rows.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codecs/lzw.h"
#include "imaging.h"

namespace {
constexpr int8_t kDepths[4] = {1, 4, 8, 24};

void check_round_trip(const PageBitmap& page, bool gif) {
    PageBitmap enc = page;
    if ((gif ? lzw_encode_gif : lzw_encode_tiff)(&page, &enc, 0) != 0) __builtin_trap();
    PageBitmap src = page;
    src.data = enc.data;
    src.data_length = enc.data_length;
    src.data_offset = 0;
    src.layout = LAYOUT_TOP_DOWN;
    if (gif) enc.data[1] = (uint8_t)(enc.data[1] - 1);  // the minimum code size
    PageBitmap back = src;
    if ((gif ? lzw_decode_gif : lzw_decode_tiff)(&src, &back, 0) != 0) __builtin_trap();
    for (int32_t y = 0; y < page.height; ++y)
        if (std::memcmp(back.data + (size_t)y * back.pitch, page.data + (size_t)y * page.pitch, (size_t)page.width))
            __builtin_trap();
    release_page(&back);
    release_page(&enc);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const bool gif = data[0] & 1;
    PageBitmap src{};
    src.bits_per_pixel = kDepths[(data[0] >> 1) & 3];
    if (gif && src.bits_per_pixel == 24) src.bits_per_pixel = 8;
    src.layout = (uint8_t)(LAYOUT_TOP_DOWN | ((data[0] & 8) ? LAYOUT_PREDICTOR : 0));
    src.width = 1 + data[1] % 200;
    src.height = 1 + data[2] % 200;
    src.data = const_cast<uint8_t*>(data + 3);
    src.data_length = (int32_t)(size - 3);
    src.ownership = OWN_BORROWED;
    src.rows_per_strip = src.height;
    const int flags = (data[0] & 16) ? JPEG_ACCEPT_DAMAGED : 0;
    PageBitmap out = src;
    if ((gif ? lzw_decode_gif : lzw_decode_tiff)(&src, &out, flags) != 0) return 0;
    if (out.bits_per_pixel == 8) check_round_trip(out, gif);
    release_page(&out);
    return 0;
}
