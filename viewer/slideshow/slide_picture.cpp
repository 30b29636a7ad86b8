// Slide geometry in 8.8 fixed point: w and h are the page's size after the turn;
// s = max(w*256/W, h*256/H) fits the whole picture, min(...) covers the screen and
// crops the overflow evenly on both sides. The picture is drawn with scale_page.
#include "slideshow/slide_picture.h"

#include <algorithm>

#include "imaging.h"
#include "slideshow/slide_table.h"

int slide_decode_flags(int32_t width, int32_t height, int32_t screen_width, int32_t screen_height) {
    if (screen_width <= 0 || screen_height <= 0) return JPEG_RGB565;
    const int64_t w = width, h = height, sw = screen_width, sh = screen_height;
    if (w >= 8 * sw && h >= 8 * sh) return JPEG_RGB565 | JPEG_EIGHTH;
    if (w >= 2 * sw && h >= 2 * sh) return JPEG_RGB565 | JPEG_HALF;
    return JPEG_RGB565;
}

SlideFit slide_fit(int32_t width, int32_t height, int32_t rotation, bool stretch, int32_t screen_width,
                   int32_t screen_height) {
    if (width <= 0 || height <= 0 || screen_width <= 0 || screen_height <= 0) return SlideFit{};
    const int32_t turn = quarter_turn(rotation);
    const int64_t w = turn == 90 || turn == 270 ? height : width;
    const int64_t h = turn == 90 || turn == 270 ? width : height;
    const int64_t across = w * 256 / screen_width, down = h * 256 / screen_height;
    const int64_t s = std::max<int64_t>(stretch ? std::min(across, down) : std::max(across, down), VIEW_MIN_SCALE);
    int64_t out_w = w * 256 / s, out_h = h * 256 / s, src_x = 0, src_y = 0;
    if (out_w > screen_width) {
        if (stretch) src_x = s * ((out_w - screen_width) / 2) / 256;
        out_w = screen_width;
    }
    if (out_h > screen_height) {
        if (stretch) src_y = s * ((out_h - screen_height) / 2) / 256;
        out_h = screen_height;
    }
    SlideFit fit{};
    fit.scale = (int32_t)std::min<int64_t>(s, INT32_MAX);
    fit.src_x = (int32_t)src_x;
    fit.src_y = (int32_t)src_y;
    fit.width = (int32_t)std::max<int64_t>(out_w, 1);
    fit.height = (int32_t)std::max<int64_t>(out_h, 1);
    fit.left = (screen_width - fit.width) / 2;
    fit.top = (screen_height - fit.height) / 2;
    return fit;
}

int draw_slide_picture(PageBitmap& page, int32_t rotation, bool stretch, int32_t screen_width,
                       int32_t screen_height, std::vector<uint16_t>& pixels) {
    if (screen_width <= 0 || screen_height <= 0) return ERR_PARAMETER;
    pixels.assign((size_t)screen_width * screen_height, 0);
    int rc = convert_depth(&page, 16, DEPTH_PLAIN);
    if (rc != IMG_OK) return rc;
    if (page.bits_per_pixel != 16) return ERR_PARAMETER;
    const SlideFit fit = slide_fit(page.width, page.height, rotation, stretch, screen_width, screen_height);
    if (!fit.scale) return ERR_PARAMETER;

    const int32_t pitch = view_row_bytes(fit.width, 16);
    std::vector<uint8_t> drawn((size_t)pitch * fit.height);
    ViewParams view{};
    view.src_x = fit.src_x;
    view.src_y = fit.src_y;
    view.x_scale = view.y_scale = fit.scale;
    view.out_width = fit.width;
    view.out_height = fit.height;
    view.out_pitch = pitch;
    view.angle = quarter_turn(rotation);
    view.pixels = drawn.data();
    view.flags = VIEW_BOX_AVERAGE;
    rc = scale_page(&page, &view, 1, nullptr);
    if (rc != IMG_OK) return rc;
    for (int32_t y = 0; y < fit.height; ++y) {
        const uint8_t* from = drawn.data() + (size_t)y * pitch;
        uint16_t* to = pixels.data() + (size_t)(fit.top + y) * screen_width + fit.left;
        for (int32_t x = 0; x < fit.width; ++x) to[x] = (uint16_t)(from[2 * x] | from[2 * x + 1] << 8);
    }
    return IMG_OK;
}
