// Drawing one GIF frame onto its logical screen (GIF89a disposal and transparency),
// and red-eye removal on 16- and 24-bit pages.
#include <algorithm>
#include <cstring>

#include "process/operations.h"
#include "process/process.h"

namespace {
uint8_t get4(const uint8_t* row, int32_t x) { return x & 1 ? row[x >> 1] & 0x0F : row[x >> 1] >> 4; }
void put4(uint8_t* row, int32_t x, uint8_t v) {
    uint8_t& b = row[x >> 1];
    b = x & 1 ? (uint8_t)((b & 0xF0) | v) : (uint8_t)((b & 0x0F) | v << 4);
}

void fill_background(PageBitmap* screen) {
    const uint8_t bg = screen->background_index;
    const uint8_t byte = screen->bits_per_pixel == 4 ? (uint8_t)((bg & 0x0F) * 0x11) : bg;
    uint8_t* rows = screen->data + screen->data_offset;
    for (int32_t y = 0; y < screen->height; ++y)
        std::memset(rows + (size_t)y * (size_t)screen->pitch, byte, (size_t)screen->pitch);
}
}  // namespace

int compose_frame(PageBitmap* screen, const PageBitmap* frame) {
    if (!screen || !frame) return ERR_PARAMETER;
    const int depth = screen->bits_per_pixel;
    if (depth != 4 && depth != 8) return IMG_OK;  // other depths are not composed
    if (!screen->data || !frame->data || frame->compression != COMP_NONE || frame->bits_per_pixel != depth)
        return ERR_PARAMETER;
    if (frame->left < 0 || frame->top < 0 || frame->width > screen->width - frame->left ||
        frame->height > screen->height - frame->top)
        return ERR_PARAMETER;
    const int disposal = (frame->gif_flags >> 2) & 7;
    if (disposal == 2 || (depth == 8 && disposal == 3)) fill_background(screen);
    const bool transparent = frame->gif_flags & 1;
    const uint8_t key = frame->transparent_index;
    const uint8_t* src_rows = frame->data + frame->data_offset;
    uint8_t* dst_rows = screen->data + screen->data_offset;
    for (int32_t y = 0; y < frame->height; ++y) {
        const uint8_t* s = src_rows + (size_t)y * (size_t)frame->pitch;
        uint8_t* d = dst_rows + (size_t)(y + frame->top) * (size_t)screen->pitch;
        for (int32_t x = 0; x < frame->width; ++x) {
            const uint8_t v = depth == 8 ? s[x] : get4(s, x);
            if (transparent && v == key) continue;
            if (depth == 8) d[x + frame->left] = v;
            else put4(d, x + frame->left, v);
        }
    }
    return IMG_OK;
}

namespace {
void red_eye_24(uint8_t* p) {
    const int b = p[0], g = p[1], r = p[2];
    if (r > 75 && (2 * g < r || ((7 * g) / 4 < r && (g - b) * 100 / (b + 1) < 20))) p[2] = (uint8_t)((g + b) / 2);
}

void red_eye_16(uint8_t* p) {
    const int v = p[0] | p[1] << 8;
    if (v <= 0x4FFF) return;
    const int red5 = v >> 11, green6 = (v >> 5) & 0x3F, blue5 = v & 0x1F;
    if (green6 < red5 || ((7 * green6) / 4 < 2 * red5 && (green6 - 2 * blue5) * 100 / (2 * blue5 + 1) < 20)) {
        const int red = ((((v >> 6) & 0x1F) + blue5) / 2) & 0x1F;
        const int out = (v & 0x07FF) | red << 11;
        p[0] = (uint8_t)out;
        p[1] = (uint8_t)(out >> 8);
    }
}
}  // namespace

int remove_red_eye(PageBitmap* page, int x, int y, int w, int h) {
    if (!page || !page->data || page->compression != COMP_NONE) return ERR_PARAMETER;
    const int bpp = page->bits_per_pixel;
    if (bpp != 16 && bpp != 24) return ERR_PARAMETER;
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = (int)std::min<long long>(page->width, (long long)x + std::max(0, w));
    const int y1 = (int)std::min<long long>(page->height, (long long)y + std::max(0, h));
    const int n = bpp / 8;
    for (int row = y0; row < y1; ++row) {
        uint8_t* r = page->data + page->data_offset + (size_t)row * (size_t)page->pitch;
        for (int col = x0; col < x1; ++col) (bpp == 24 ? red_eye_24 : red_eye_16)(r + (size_t)col * n);
    }
    return IMG_OK;
}
