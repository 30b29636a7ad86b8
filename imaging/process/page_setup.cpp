// The logical-screen canvas that animation frames are drawn on, and drawing a frame
// onto it.
#include <cstring>

#include "base/records.h"
#include "codecs/run_form.h"
#include "process/operations.h"
#include "process/process.h"

int make_frame_screen(const PageBitmap& frame, PageBitmap* screen) {
    *screen = PageBitmap{};
    const int32_t w = frame.screen_width > 0 ? frame.screen_width : frame.width;
    const int32_t h = frame.screen_height > 0 ? frame.screen_height : frame.height;
    const int bpp = frame.bits_per_pixel;
    if (bpp != 4 && bpp != 8) return ERR_BIT_DEPTH;
    const int32_t pitch = row_bytes_aligned(w, bpp);
    if (w <= 0 || h <= 0 || pitch < row_bytes_packed(w, bpp)) return ERR_BAD_HEADER;
    uint8_t* data = static_cast<uint8_t*>(mem_alloc((size_t)pitch * (size_t)h));
    uint8_t* palette = static_cast<uint8_t*>(mem_alloc(768));
    if (!data || !palette) {
        mem_free(data);
        mem_free(palette);
        return ERR_MEMORY;
    }
    if (frame.palette) std::memcpy(palette, frame.palette, 768);
    else std::memset(palette, 0, 768);
    screen->data = data;
    screen->palette = palette;
    screen->width = screen->screen_width = w;
    screen->height = screen->screen_height = h;
    screen->bits_per_pixel = (int8_t)bpp;
    screen->pitch = pitch;
    screen->data_length = pitch * h;
    screen->ownership = OWN_ALLOCATED;
    screen->layout = LAYOUT_TOP_DOWN;
    screen->background_index = frame.background_index;
    const uint8_t bg = bpp == 4 ? (uint8_t)((frame.background_index & 15) * 0x11) : frame.background_index;
    std::memset(data, bg, (size_t)screen->data_length);
    return IMG_OK;
}

int compose_animation_frame(PageBitmap* canvas, const PageBitmap* frame) {
    if (!canvas || !frame) return ERR_PARAMETER;
    if (frame->bits_per_pixel != 4 && frame->bits_per_pixel != 8) return ERR_BIT_DEPTH;
    if (!canvas->data || canvas->bits_per_pixel != frame->bits_per_pixel || canvas->compression != COMP_NONE) {
        PageBitmap fresh{};
        if (int rc = make_frame_screen(*frame, &fresh)) return rc;
        if (canvas->data || canvas->palette) release_page(canvas);
        *canvas = fresh;
    }
    if (frame->palette && canvas->palette) std::memcpy(canvas->palette, frame->palette, 768);
    return compose_frame(canvas, frame);
}
