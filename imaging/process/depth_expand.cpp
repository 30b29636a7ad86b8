// Expansions to more bits per pixel: bilevel to 4, 8, 16 and 24 bits, 2-bit indices
// widened, 4-bit grey to 8-bit grey (x 17), palette pages looked up into RGB565 or
// 24-bit pixels, and RGB565 widened to and narrowed from 24-bit blue, green, red.
#include "process/depth_rows.h"
#include "process/process.h"

namespace {
NewPalette bilevel_palette(int target) {
    if (target == 4) return NewPalette::standard16;
    if (target == 8) return NewPalette::cube332;
    return NewPalette::none;
}

// Writes pixel x of a row at `bpp` bits from an 8-bit value per channel.
inline void put_colour(uint8_t* dst, int32_t x, int bpp, unsigned blue, unsigned green, unsigned red) {
    if (bpp == 16) {
        store565(dst + 2 * x, narrow565(blue, green, red));
        return;
    }
    dst[3 * x] = (uint8_t)blue;
    dst[3 * x + 1] = (uint8_t)green;
    dst[3 * x + 2] = (uint8_t)red;
}
}  // namespace

// Black becomes 0 and white the largest value of the depth (index 15 of the
// 16-colour palette, index 255 of the 3-3-2 cube, all bits set in colour pixels).
int expand_bilevel(PageBitmap& page, int target, int) {
    const int32_t width = page.width;
    return rebuild_pixels(page, RebuildPlan{target, bilevel_palette(target)},
                          [&](int32_t, const uint8_t* src, uint8_t* dst) {
                              for (int32_t x = 0; x < width; ++x) {
                                  const unsigned white = packed_bit(src, x) ? 255u : 0u;
                                  if (target == 4)
                                      put_nibble(dst, x, white & 15u);
                                  else if (target == 8)
                                      dst[x] = (uint8_t)white;
                                  else
                                      put_colour(dst, x, target, white, white, white);
                              }
                          });
}

int expand_two_bit(PageBitmap& page, int target, int) {
    const int32_t width = page.width;
    return rebuild_pixels(page, RebuildPlan{target, NewPalette::keep}, [&](int32_t, const uint8_t* src, uint8_t* dst) {
        for (int32_t x = 0; x < width; ++x) {
            const unsigned index = (src[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
            if (target == 4)
                put_nibble(dst, x, index);
            else
                dst[x] = (uint8_t)index;
        }
    });
}

// A palette that does not start at 0 is an inverted grey ramp: values are turned
// round before they are spread over 0..255.
int expand_grey4(PageBitmap& page, int, int) {
    const int32_t width = page.width;
    const bool inverted = page.palette && page.palette[0] != 0;
    return rebuild_pixels(page, RebuildPlan{8, NewPalette::grey1}, [&](int32_t, const uint8_t* src, uint8_t* dst) {
        for (int32_t x = 0; x < width; ++x) {
            const unsigned v = packed_nibble(src, x);
            dst[x] = (uint8_t)((inverted ? 15 - v : v) * 17);
        }
    });
}

// Without a palette the page is taken as grey.
int expand_palette(PageBitmap& page, int target, int) {
    uint8_t entries[256][3];
    for (int i = 0; i < 256; ++i)
        for (int k = 0; k < 3; ++k)
            entries[i][k] = page.palette ? page.palette[3 * i + k]
                                         : (uint8_t)(page.bits_per_pixel == 4 ? i * 17 : i);
    const int32_t width = page.width;
    const bool nibbles = page.bits_per_pixel == 4;
    return rebuild_pixels(page, RebuildPlan{target, NewPalette::none}, [&](int32_t, const uint8_t* src, uint8_t* dst) {
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* e = entries[nibbles ? packed_nibble(src, x) : src[x]];
            put_colour(dst, x, target, e[0], e[1], e[2]);
        }
    });
}

int widen_565(PageBitmap& page, int, int) {
    const int32_t width = page.width;
    return rebuild_pixels(page, RebuildPlan{24, NewPalette::none}, [&](int32_t, const uint8_t* src, uint8_t* dst) {
        for (int32_t x = 0; x < width; ++x) {
            const unsigned v = load565(src + 2 * x);
            put_colour(dst, x, 24, rgb565_blue(v), rgb565_green(v), rgb565_red(v));
        }
    });
}

int narrow_565(PageBitmap& page, int, int) {
    const int32_t width = page.width;
    return rebuild_pixels(page, RebuildPlan{16, NewPalette::none}, [&](int32_t, const uint8_t* src, uint8_t* dst) {
        for (int32_t x = 0; x < width; ++x) put_colour(dst, x, 16, src[3 * x], src[3 * x + 1], src[3 * x + 2]);
    });
}
