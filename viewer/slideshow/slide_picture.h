// A slide as the show draws it: the decoding size chosen against the screen, the
// picture turned by the slide's rotation and scaled with one scale for both axes,
// either fitted whole inside the screen or stretched to cover it (its centre kept),
// on black. Used by the slide editor's preview with the preview box as the screen.
#pragma once

#include <cstdint>
#include <vector>

struct PageBitmap;

// convert_page flags for a page of `width` x `height` shown on a `screen_width` x
// `screen_height` screen: RGB565 colour, one-eighth size when the page is at least
// eight times the screen both ways, else half size when it is at least twice.
int slide_decode_flags(int32_t width, int32_t height, int32_t screen_width, int32_t screen_height);

struct SlideFit {
    int32_t scale;         // source pixels per 256 screen pixels, both axes
    int32_t src_x, src_y;  // window origin in the turned picture (stretch crops)
    int32_t width, height; // drawn size, at most the screen
    int32_t left, top;     // where the drawn picture starts on the screen
};

// Fit of a `width` x `height` page turned by `rotation` on the screen. The scale is
// the larger axis ratio (fit) or the smaller (stretch), 8-bit fixed point, and never
// below an eightfold enlargement. All zero when a size is not positive.
SlideFit slide_fit(int32_t width, int32_t height, int32_t rotation, bool stretch, int32_t screen_width,
                   int32_t screen_height);

// Draws a decoded page (as read_decoded_page gives it) into `pixels`: screen_width x
// screen_height RGB565 pixels, top-down, black where the picture does not reach. The
// page is converted to 16 bits per pixel in place first. 0, or ERR_MEMORY /
// ERR_PARAMETER with `pixels` black.
int draw_slide_picture(PageBitmap& page, int32_t rotation, bool stretch, int32_t screen_width,
                       int32_t screen_height, std::vector<uint16_t>& pixels);
