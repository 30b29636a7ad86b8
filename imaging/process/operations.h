// Geometric and tone operations on decoded pages: turns, mirror, flip, invert,
// colour to grey, lighten/darken, fax row doubling, crop, resize, GIF frame
// composition and red-eye removal.
#pragma once

#include "base/records.h"

struct ViewParams;

enum ImageOperation {
    OP_TURN_90 = 1,
    OP_CHANGE_DEPTH = 2,
    OP_INVERT = 4,
    OP_MIRROR = 5,
    OP_FLIP = 6,
    OP_TO_GREY = 7,
    OP_LIGHTEN = 9,
    OP_DARKEN = 10,
    OP_DOUBLE_ROWS = 11
};

// Applies `operation` to `page` in place. 0, -1 or -6; unknown operations do nothing.
int image_operation(PageBitmap* page, int operation, int arg1, int arg2);

// Keeps the rectangle src_x, src_y, out_width x out_height of `view`, given in the
// orientation of view->angle.
int crop_page(PageBitmap* page, const ViewParams* view);

// Writes a copy of `page` resized to new_width x new_height (1..32767) into `result`.
int resize_page(const PageBitmap* page, PageBitmap* result, int new_width, int new_height);

// Draws a GIF frame onto the logical-screen page (4- and 8-bit screens).
int compose_frame(PageBitmap* screen, const PageBitmap* frame);
// A logical-screen canvas for `frame` (its screen size, depth 4 or 8 and palette),
// filled with its background colour index. 0, ERR_BIT_DEPTH, ERR_BAD_HEADER or
// ERR_MEMORY (nothing allocated).
int make_frame_screen(const PageBitmap& frame, PageBitmap* screen);
// Draws a decoded GIF frame (4 or 8 bits, from read_decoded_page) onto `canvas`,
// the animation's logical screen. A canvas without data or of another depth is
// (re)made first from the frame: its screen size, filled with the background
// index. The canvas takes the frame's palette. 0, ERR_BIT_DEPTH for frames that
// are not 4 or 8 bits (they are shown on their own), or the error of the drawing.
int compose_animation_frame(PageBitmap* canvas, const PageBitmap* frame);

// Removes red eyes inside the page rectangle [x, x + w) x [y, y + h) of a 16- or
// 24-bit page (clipped to the page). 0, or -6 for other depths or forms.
int remove_red_eye(PageBitmap* page, int x, int y, int w, int h);

// Largest side that resize accepts.
enum { RESIZE_MAX_SIDE = 32767 };
