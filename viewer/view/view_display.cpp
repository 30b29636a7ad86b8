// Display depth and logical palettes. A 1-bit page shown anti-aliased uses 16 entries
// of which the grey scaler writes 0, 4, 8, 7 and 15; deep pages on 8-bit screens use a
// 3-3-2 colour cube and on 4-bit screens 16 even greys.
#include "view/view_display.h"

#include "settings/option_words.h"

namespace {

constexpr uint8_t kLevels8[8] = {0x00, 0x24, 0x48, 0x6C, 0x90, 0xB4, 0xD8, 0xFC};
constexpr uint8_t kLevels4[4] = {0x00, 0x55, 0xAA, 0xFF};

bool reduced_for_screen(int page_bpp, int screen_bpp, const OptionFlags& options) {
    return options.OptimizeColors && page_bpp > 8 && screen_bpp < 16;
}

int grey_bilevel_palette(PaletteEntry out[256]) {
    for (int i = 0; i < 16; ++i) out[i] = {0, 0, 0};
    out[4] = {0x44, 0x44, 0x44};
    out[7] = {0xC0, 0xC0, 0xC0};
    out[8] = {0x80, 0x80, 0x80};
    out[15] = {0xFF, 0xFF, 0xFF};
    return 16;
}

int page_palette_entries(int depth, const uint8_t* bgr, PaletteEntry out[256]) {
    const int n = 1 << depth;
    for (int i = 0; i < n; ++i)
        out[i] = bgr ? PaletteEntry{bgr[3 * i + 2], bgr[3 * i + 1], bgr[3 * i]} : PaletteEntry{0, 0, 0};
    return n;
}

int cube_palette(PaletteEntry out[256]) {
    for (int i = 0; i < 256; ++i) out[i] = {kLevels8[(i >> 5) & 7], kLevels8[(i >> 2) & 7], kLevels4[i & 3]};
    return 256;
}

int grey_palette(PaletteEntry out[256]) {
    for (int i = 0; i < 16; ++i) out[i] = {(uint8_t)(17 * i), (uint8_t)(17 * i), (uint8_t)(17 * i)};
    return 16;
}

}  // namespace

int display_depth(int page_bpp, int screen_bpp, const OptionFlags& options) {
    if (page_bpp == 1 && options.ScaleToGray) return 4;
    if (reduced_for_screen(page_bpp, screen_bpp, options)) return screen_bpp;
    return page_bpp;
}

bool render_through_buffer(int page_bpp, int screen_bpp, const OptionFlags& options) {
    return options.OptimizeColors && page_bpp > 15 && screen_bpp < 16;
}

int view_palette(int page_bpp, int screen_bpp, const OptionFlags& options, const uint8_t* page_palette,
                 PaletteEntry out[256]) {
    const int depth = display_depth(page_bpp, screen_bpp, options);
    if (depth != 4 && depth != 8) return 0;
    if (page_bpp == 1) return grey_bilevel_palette(out);
    if (page_bpp <= 8) return page_palette_entries(depth, page_palette, out);
    return depth == 8 ? cube_palette(out) : grey_palette(out);
}
