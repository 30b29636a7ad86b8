// Reductions: to 1-bit (grey threshold above 128, run-length result), to 4-bit grey,
// to 8-bit colour with the 3-3-2 cube, and the 12-bit pre-dither that keeps the
// depth. Each has a plain method (truncation) and Floyd-Steinberg error diffusion.
// Grey is (blue + 2 green + red) / 4.
#include "process/depth_rows.h"
#include "process/dither.h"
#include "process/process.h"

namespace {
// Grey of every pixel of a source row of any colour depth.
struct GreyReader {
    int bpp;
    uint8_t lut[256];

    explicit GreyReader(const PageBitmap& page) : bpp(page.bits_per_pixel) { palette_greys(page, lut); }

    void row(const uint8_t* src, int32_t width, uint8_t* grey) const {
        for (int32_t x = 0; x < width; ++x) grey[x] = at(src, x);
    }

    uint8_t at(const uint8_t* src, int32_t x) const {
        switch (bpp) {
        case 4: return lut[packed_nibble(src, x)];
        case 8: return lut[src[x]];
        case 16: {
            const unsigned v = load565(src + 2 * x);
            return (uint8_t)((rgb565_blue(v) + 2 * rgb565_green(v) + rgb565_red(v)) / 4);
        }
        default: return (uint8_t)((src[3 * x] + 2 * src[3 * x + 1] + src[3 * x + 2]) / 4);
        }
    }
};

// Blue, green and red of a 16- or 24-bit pixel, 16-bit fields widened with low bits zero.
struct Colour {
    int blue;
    int green;
    int red;
};

inline Colour colour_at(const uint8_t* src, int32_t x, int bpp) {
    if (bpp == 16) {
        const unsigned v = load565(src + 2 * x);
        return Colour{rgb565_blue(v), rgb565_green(v), rgb565_red(v)};
    }
    return Colour{src[3 * x], src[3 * x + 1], src[3 * x + 2]};
}

inline uint8_t cube_index(int blue, int green, int red) {
    return (uint8_t)((red & 0xE0) | ((green & 0xE0) >> 3) | (blue >> 6));
}

// The plain 16-bit to 4-bit grey: 2 red5 + 4 green5 + 2 blue5, high half-byte.
inline unsigned grey4_of_565(unsigned v) {
    const unsigned red5 = v >> 11, green5 = (v >> 6) & 0x1F, blue5 = v & 0x1F;
    return ((2 * red5 + 4 * green5 + 2 * blue5) & 0xFF) >> 4;
}

int bilevel(PageBitmap& page, bool diffuse) {
    const GreyReader reader(page);
    ErrorDiffusion errors(page.width, 1);
    const int32_t width = page.width;
    return rebuild_runs(page, [&](int32_t, const uint8_t* src, uint8_t* white) {
        if (!diffuse) {
            for (int32_t x = 0; x < width; ++x) white[x] = reader.at(src, x) > 128;
            return;
        }
        errors.start_row();
        for (int32_t x = 0; x < width; ++x) white[x] = errors.step(0, x, reader.at(src, x), 0x80) > 128;
    });
}

int grey4(PageBitmap& page, bool diffuse) {
    const GreyReader reader(page);
    ErrorDiffusion errors(page.width, 1);
    const int32_t width = page.width;
    const bool rgb565 = page.bits_per_pixel == 16;
    return rebuild_pixels(page, RebuildPlan{4, NewPalette::grey17}, [&](int32_t, const uint8_t* src, uint8_t* dst) {
        if (diffuse) errors.start_row();
        for (int32_t x = 0; x < width; ++x) {
            unsigned v;
            if (diffuse)
                v = (unsigned)errors.step(0, x, reader.at(src, x), 0xF0) >> 4;
            else
                v = rgb565 ? grey4_of_565(load565(src + 2 * x)) : (unsigned)reader.at(src, x) >> 4;
            put_nibble(dst, x, v);
        }
    });
}

int cube(PageBitmap& page, bool diffuse) {
    ErrorDiffusion errors(page.width, 3);
    const int32_t width = page.width;
    const int bpp = page.bits_per_pixel;
    return rebuild_pixels(page, RebuildPlan{8, NewPalette::cube332}, [&](int32_t, const uint8_t* src, uint8_t* dst) {
        if (diffuse) errors.start_row();
        for (int32_t x = 0; x < width; ++x) {
            const Colour c = colour_at(src, x, bpp);
            if (!diffuse) {
                dst[x] = cube_index(c.blue, c.green, c.red);
                continue;
            }
            const int blue = errors.step(0, x, c.blue, 0xC0);
            const int green = errors.step(1, x, c.green, 0xE0);
            const int red = errors.step(2, x, c.red, 0xE0);
            dst[x] = cube_index(blue, green, red);
        }
    });
}

// Diffuses with 4 kept bits per channel but stores the clamped values themselves; a
// 12-bit screen's own truncation then shows the diffused picture.
int predither(PageBitmap& page) {
    ErrorDiffusion errors(page.width, 3);
    const int32_t width = page.width;
    const int bpp = page.bits_per_pixel;
    return rebuild_pixels(page, RebuildPlan{bpp, NewPalette::keep}, [&](int32_t, const uint8_t* src, uint8_t* dst) {
        errors.start_row();
        for (int32_t x = 0; x < width; ++x) {
            const Colour c = colour_at(src, x, bpp);
            const int blue = errors.step(0, x, c.blue, 0xF0);
            const int green = errors.step(1, x, c.green, 0xF0);
            const int red = errors.step(2, x, c.red, 0xF0);
            if (bpp == 16) {
                store565(dst + 2 * x, narrow565((unsigned)blue, (unsigned)green, (unsigned)red));
            } else {
                dst[3 * x] = (uint8_t)blue;
                dst[3 * x + 1] = (uint8_t)green;
                dst[3 * x + 2] = (uint8_t)red;
            }
        }
    });
}

template <class Fn>
int guarded(Fn&& fn) {
    try {
        return fn();
    } catch (const std::bad_alloc&) {
        return ERR_MEMORY;
    }
}
}  // namespace

int reduce_to_bilevel(PageBitmap& page, int, int method) {
    return guarded([&] { return bilevel(page, method == DEPTH_DIFFUSE); });
}

// 8-bit palette pages diffuse with any non-zero method; colour pages only with method 2.
int reduce_to_grey4(PageBitmap& page, int, int method) {
    const bool diffuse = page.bits_per_pixel == 8 ? method != 0 : method == DEPTH_DIFFUSE;
    return guarded([&] { return grey4(page, diffuse); });
}

int reduce_to_cube(PageBitmap& page, int, int method) {
    return guarded([&] { return cube(page, method == DEPTH_DIFFUSE); });
}

int predither_12(PageBitmap& page, int, int) {
    return guarded([&] { return predither(page); });
}
