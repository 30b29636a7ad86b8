// Pixel-value operations on decoded pages: invert, colour to grey, lighten and
// darken. Grey is (blue + 2 * green + red) / 4 throughout; one lighten or darken
// step is 17 of 255 levels per channel.
#include <cstring>

#include "process/operations.h"
#include "process/process.h"
#include "codecs/run_form.h"

namespace {

constexpr int kStep = 17;

uint8_t* first_row(const PageBitmap* page) { return page->data + page->data_offset; }

bool is_pixel_page(const PageBitmap* page) {
    return page->compression == COMP_NONE && page->data && page->bits_per_pixel > 1;
}

uint8_t clamp8(int v) { return (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v); }

void fill_grey_palette(uint8_t* palette) {
    for (int i = 0; i < 256; ++i) std::memset(palette + 3 * i, i, 3);
}

int invert(PageBitmap* page) {
    const int bpp = page->bits_per_pixel;
    if (bpp == 1) {
        if (page->compression != COMP_RUNS) return ERR_PARAMETER;
        return runs_invert_page(page);
    }
    if (!is_pixel_page(page)) return ERR_PARAMETER;
    if (bpp == 4 || bpp == 8) {
        if (!page->palette) return ERR_PARAMETER;
        for (int i = 0; i < 768; ++i) page->palette[i] = (uint8_t)~page->palette[i];
        return IMG_OK;
    }
    if (bpp != 16 && bpp != 24) return ERR_PARAMETER;
    uint8_t* p = first_row(page);
    const size_t bytes = (size_t)page->pitch * (size_t)page->height;
    for (size_t i = 0; i < bytes; ++i) p[i] = (uint8_t)~p[i];
    return IMG_OK;
}

// Replaces the page's pixels with an 8-bit grey buffer and attaches a grey palette.
int install_grey_page(PageBitmap* page, uint8_t* pixels, int32_t pitch) {
    uint8_t* palette = static_cast<uint8_t*>(mem_alloc(768));
    if (!palette) {
        mem_free(pixels);
        return ERR_MEMORY;
    }
    fill_grey_palette(palette);
    if (page_owns_data(*page)) mem_free(page->data);
    page->data = pixels;
    page->data_offset = 0;
    page->ownership = OWN_ALLOCATED;
    page->pitch = pitch;
    page->data_length = pitch * page->height;
    page->bits_per_pixel = 8;
    page->palette = palette;
    return IMG_OK;
}

int to_grey_from_direct(PageBitmap* page) {
    const int32_t pitch = row_bytes_aligned(page->width, 8);
    uint8_t* out = static_cast<uint8_t*>(mem_alloc((size_t)pitch * (size_t)page->height));
    if (!out) return ERR_MEMORY;
    const uint8_t* src = first_row(page);
    for (int32_t y = 0; y < page->height; ++y) {
        const uint8_t* s = src + (size_t)y * (size_t)page->pitch;
        uint8_t* d = out + (size_t)y * (size_t)pitch;
        if (page->bits_per_pixel == 24) {
            for (int32_t x = 0; x < page->width; ++x, s += 3) d[x] = (uint8_t)((s[0] + 2 * s[1] + s[2]) / 4);
        } else {
            for (int32_t x = 0; x < page->width; ++x) {
                const int v = s[2 * x] | s[2 * x + 1] << 8;
                d[x] = (uint8_t)(((v & 0x1F) + (v >> 11) + ((v >> 5) & 0x3F)) * 2);
            }
        }
    }
    return install_grey_page(page, out, pitch);
}

int to_grey(PageBitmap* page) {
    if (!is_pixel_page(page)) return ERR_PARAMETER;
    const int bpp = page->bits_per_pixel;
    if (bpp == 16 || bpp == 24) return to_grey_from_direct(page);
    if ((bpp != 4 && bpp != 8) || !page->palette) return ERR_PARAMETER;
    uint8_t* pal = page->palette;
    if (bpp == 4) {
        for (int i = 0; i < 16; ++i) {
            const uint8_t g = (uint8_t)((pal[3 * i] + 2 * pal[3 * i + 1] + pal[3 * i + 2]) / 4);
            std::memset(pal + 3 * i, g, 3);
        }
        return IMG_OK;
    }
    uint8_t grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = (uint8_t)((pal[3 * i] + 2 * pal[3 * i + 1] + pal[3 * i + 2]) / 4);
    uint8_t* rows = first_row(page);
    for (int32_t y = 0; y < page->height; ++y) {
        uint8_t* r = rows + (size_t)y * (size_t)page->pitch;
        for (int32_t x = 0; x < page->width; ++x) r[x] = grey[r[x]];
    }
    fill_grey_palette(pal);
    return IMG_OK;
}

// One step on an RGB565 field: `unit` is one step in the field's raw units.
int step_field(int v, int mask, int unit, int sign) {
    int f = (v & mask) + sign * unit;
    if (f < 0) f = 0;
    if (f > mask) f = mask;
    return f & mask;
}

int change_tone(PageBitmap* page, int sign) {
    if (!is_pixel_page(page)) return ERR_PARAMETER;
    const int bpp = page->bits_per_pixel;
    if (bpp == 4 || bpp == 8) {
        if (!page->palette) return ERR_PARAMETER;
        const int entries = bpp == 4 ? 16 : 256;
        for (int i = 0; i < 3 * entries; ++i) page->palette[i] = clamp8(page->palette[i] + sign * kStep);
        return IMG_OK;
    }
    uint8_t* rows = first_row(page);
    for (int32_t y = 0; y < page->height; ++y) {
        uint8_t* r = rows + (size_t)y * (size_t)page->pitch;
        if (bpp == 24) {
            for (int32_t i = 0; i < 3 * page->width; ++i) r[i] = clamp8(r[i] + sign * kStep);
        } else if (bpp == 16) {
            for (int32_t x = 0; x < page->width; ++x) {
                const int v = r[2 * x] | r[2 * x + 1] << 8;
                const int out = step_field(v, 0xF800, 3968, sign) | step_field(v, 0x07E0, 126, sign) |
                                step_field(v, 0x001F, 2, sign);
                r[2 * x] = (uint8_t)out;
                r[2 * x + 1] = (uint8_t)(out >> 8);
            }
        } else {
            return ERR_PARAMETER;
        }
    }
    return IMG_OK;
}

}  // namespace

int tone_operation(PageBitmap* page, int operation) {
    switch (operation) {
    case OP_INVERT: return invert(page);
    case OP_TO_GREY: return to_grey(page);
    case OP_LIGHTEN: return change_tone(page, +1);
    case OP_DARKEN: return change_tone(page, -1);
    default: return IMG_OK;
    }
}
