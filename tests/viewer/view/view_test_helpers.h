// Small builders shared by the image view tests: an image area with its margins and
// a view at an origin and scale.
#pragma once

#include "view/view_layout.h"
#include "imaging.h"

inline ViewLayout view_area(int32_t w, int32_t h, int32_t mx = 0, int32_t my = 0) {
    ViewLayout l{};
    l.width = w;
    l.height = h;
    l.margin_x = mx;
    l.margin_y = my;
    return l;
}

inline ViewParams view_at(int32_t x, int32_t y, int32_t scale) {
    ViewParams v{};
    v.src_x = x;
    v.src_y = y;
    v.x_scale = v.y_scale = scale;
    return v;
}
