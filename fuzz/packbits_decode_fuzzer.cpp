// Fuzz target: the PackBits decoder on arbitrary data. The first bytes choose the
// depth, bit order, damaged-data acceptance, page size and strip height (strips cut
// the data into equal parts); a page that decodes is encoded again and must decode
// back to itself.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/rle_packbits.h"
#include "codecs/run_form.h"
#include "imaging.h"

namespace {
constexpr int8_t kDepths[4] = {1, 4, 8, 24};

bool same_rows(const PageBitmap& a, const PageBitmap& b) {
    if (a.bits_per_pixel == 1) {
        // Rows compare as pixels: equal pictures may be told in different runs.
        std::vector<uint8_t> pa((size_t)(a.width + 7) / 8), pb(pa.size());
        for (int32_t y = 0; y < a.height; ++y) {
            runs_paint_row(run_row(a, y), pa.data(), a.width);
            runs_paint_row(run_row(b, y), pb.data(), a.width);
            if (pa != pb) return false;
        }
        return true;
    }
    const size_t bytes = (size_t)row_bytes_packed(a.width, a.bits_per_pixel);
    for (int32_t y = 0; y < a.height; ++y)
        if (std::memcmp(a.data + (size_t)y * a.pitch, b.data + (size_t)y * b.pitch, bytes)) return false;
    return true;
}

void check_round_trip(const PageBitmap& page) {
    PageBitmap enc = page;
    if (packbits_encode(&page, &enc, 0) != 0) __builtin_trap();
    PageBitmap back = enc;
    if (packbits_decode(&enc, &back, 0) != 0 || !same_rows(page, back)) __builtin_trap();
    release_page(&back);
    release_page(&enc);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    PageBitmap src{};
    src.bits_per_pixel = kDepths[data[0] & 3];
    src.width = 1 + data[1] % 160;
    src.height = 1 + data[2] % 120;
    src.layout = LAYOUT_TOP_DOWN;
    src.black_is_one = (int8_t)((data[0] >> 4) & 1);
    src.fill_order = (int8_t)((data[0] >> 6) & 1);
    src.data = const_cast<uint8_t*>(data + 4);
    src.data_length = (int32_t)(size - 4);
    src.ownership = OWN_BORROWED;
    src.compression = COMP_PACKBITS;
    // Strips of data[3] % 8 + 1 rows over equal parts of the data.
    const int32_t per_strip = 1 + data[3] % 8;
    const int32_t strips = (src.height + per_strip - 1) / per_strip;
    std::vector<int32_t> offsets((size_t)strips);
    std::vector<uint32_t> lengths((size_t)strips);
    if (strips > 1 && (data[0] & 8)) {
        const size_t part = (size - 4) / (size_t)strips;
        for (int32_t s = 0; s < strips; ++s) {
            offsets[(size_t)s] = (int32_t)(4 + (size_t)s * part);
            lengths[(size_t)s] = (uint32_t)(s == strips - 1 ? size - 4 - (size_t)s * part : part);
        }
        src.data = const_cast<uint8_t*>(data);
        src.data_offset = 0;
        src.strip_count = strips;
        src.strip_offsets = offsets.data();
        src.strip_lengths = lengths.data();
        src.rows_per_strip = per_strip;
    }
    const int flags = (data[0] & 0x20) ? JPEG_ACCEPT_DAMAGED : 0;
    PageBitmap out = src;
    if (packbits_decode(&src, &out, flags) != 0) return 0;
    check_round_trip(out);
    release_page(&out);
    return 0;
}
