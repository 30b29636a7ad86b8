// Fuzz target: the five fax decoders on arbitrary data. The first bytes choose the
// coding, bit order, damaged-data acceptance, width and height; every page that
// decodes is walked to check that each row's runs stay inside the page, then encoded
// with one of the fax encoders and decoded back to the same runs.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/fax.h"
#include "codecs/run_form.h"
#include "imaging.h"

namespace {
using Decoder = int (*)(const PageBitmap*, PageBitmap*, int);
constexpr Decoder kDecoders[5] = {fax_decode_huffman, fax_decode_g3_1d, fax_decode_g3_2d, fax_decode_g4,
                                  fax_decode_mmr};

void check_rows(const PageBitmap& page) {
    const uint8_t* const* rows = reinterpret_cast<const uint8_t* const*>(page.data);
    const uint8_t* end = page.data + page.data_length;
    for (int32_t y = 0; y < page.height; ++y) {
        const uint8_t* r = rows[y];
        if (r < page.data || r >= end) __builtin_trap();
        long x = 0;
        for (;;) {
            int used = 0;
            const int white = run_read(r, (size_t)(end - r), &used);
            if (!used) __builtin_trap();
            r += used;
            const int black = run_read(r, (size_t)(end - r), &used);
            if (!used) __builtin_trap();
            r += used;
            x += white + black;
            if (x > page.width) __builtin_trap();
            if (black == 0) break;
        }
    }
}
struct RoundTrip {
    Decoder encode;
    Decoder decode;
};
constexpr RoundTrip kRoundTrips[3] = {{fax_encode_huffman, fax_decode_huffman},
                                      {fax_encode_g3_1d, fax_decode_g3_1d},
                                      {fax_encode_g4, fax_decode_g4}};

void check_round_trip(const PageBitmap& page, const RoundTrip& codec) {
    PageBitmap enc = page;
    if (codec.encode(&page, &enc, 0) != 0) __builtin_trap();
    PageBitmap back = enc;
    if (codec.decode(&enc, &back, 0) != 0) __builtin_trap();
    // Rows compare as pixels: equal pictures may be told in different runs.
    std::vector<uint8_t> a((size_t)(page.width + 7) / 8), b(a.size());
    for (int32_t y = 0; y < page.height; ++y) {
        runs_paint_row(run_row(page, y), a.data(), page.width);
        runs_paint_row(run_row(back, y), b.data(), page.width);
        if (a != b) __builtin_trap();
    }
    release_page(&back);
    release_page(&enc);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    PageBitmap src{};
    src.width = 1 + ((data[1] | data[2] << 8) & 0x7FF);
    src.height = 1 + ((data[3] | data[4] << 8) & 0x1FF);
    src.bits_per_pixel = 1;
    src.fill_order = (int8_t)((data[0] >> 3) & 1);
    src.data = const_cast<uint8_t*>(data + 5);
    src.data_length = (int32_t)(size - 5);
    src.ownership = OWN_BORROWED;
    src.rows_per_strip = src.height;
    PageBitmap out = src;
    const int flags = (data[0] & 0x10) ? JPEG_ACCEPT_DAMAGED : 0;
    if (kDecoders[data[0] % 5](&src, &out, flags) == 0) {
        check_rows(out);
        check_round_trip(out, kRoundTrips[(data[0] >> 5) % 3]);
        release_page(&out);
    }
    return 0;
}
