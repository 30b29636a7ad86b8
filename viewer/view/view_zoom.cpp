// View transform arithmetic in the 8-bit fixed point of scale_page: a scale is source
// pixels per 256 screen pixels, so 25600 / scale is the zoom percentage. Products are
// formed in 64 bits (a fitted huge page has scales in the millions) and divisions
// truncate toward zero as the integer view arithmetic always has.
#include "view/view_zoom.h"

#include "resource_ids.h"

#include <algorithm>

#include "settings/option_words.h"
#include "settings/settings_table.h"

namespace {

int32_t to_int32(int64_t v) { return (int32_t)std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); }
int64_t at_least_one(int64_t v) { return v < 1 ? 1 : v; }

// Enlargements beyond 800 % are not drawn.
int32_t limit_magnification(int64_t scale) { return to_int32(std::max<int64_t>(scale, kMaxZoomScale)); }

void set_scales(ViewParams& view, int32_t scale) { view.x_scale = view.y_scale = scale; }

// "100% View": keep the image point at the centre of the visible image, then hold
// the origin inside the page.
int32_t actual_size_origin(int32_t origin, int32_t scale, int32_t area, int32_t margin, int32_t page) {
    const int64_t f = (area - margin) / 2;
    int64_t o = origin + f * scale / 256 - f;
    if (page < area + o) o = page - area;
    return o >= 0 && area < page ? to_int32(o) : 0;
}

// After a zoom step: a page that no longer reaches the far edge of the visible area
// is pulled back to it; an origin before the page, or along an axis with a margin
// (the page fits there), becomes 0.
int32_t clamp_step_origin(int64_t origin, int32_t scale, int32_t area, int32_t margin, int32_t page) {
    const int64_t visible = area - 2 * (int64_t)margin;
    if ((page - origin) * 256 / scale < visible) origin = page - scale * visible / 256;
    return origin < 0 || margin > 0 ? 0 : to_int32(origin);
}

int32_t step_origin(int32_t origin, int32_t centre, int32_t old_scale, int32_t scale) {
    return to_int32(origin + (int64_t)centre * old_scale / 256 - (int64_t)centre * scale / 256);
}

}  // namespace

bool is_snap_view(int32_t mode) {
    return mode == ZOOM_ACTUAL_SIZE || mode == ZOOM_FIT_WIDTH || mode == ZOOM_FIT_WINDOW || mode == ZOOM_CUSTOM;
}

int apply_snap_view(ViewParams& view, int32_t mode, const ViewLayout& layout, PageSize page, int32_t custom_percent) {
    const int64_t W = at_least_one(layout.width), H = at_least_one(layout.height);
    switch (mode) {
    case ZOOM_ACTUAL_SIZE:
        view.src_x = actual_size_origin(view.src_x, view.x_scale, layout.width, layout.margin_x, page.width);
        view.src_y = actual_size_origin(view.src_y, view.y_scale, layout.height, layout.margin_y, page.height);
        set_scales(view, kActualScale);
        return 0;
    case ZOOM_FIT_WIDTH:
        view.src_x = view.src_y = 0;
        set_scales(view, limit_magnification(page.width * (int64_t)256 / W));
        return 0;
    case ZOOM_FIT_WINDOW:
        view.src_x = view.src_y = 0;
        set_scales(view, limit_magnification(std::max(page.width * (int64_t)256 / W, page.height * (int64_t)256 / H)));
        return 0;
    case ZOOM_CUSTOM:
        // Not held to the 800 % limit; "CustomView" itself stops at 800 %.
        view.src_x = view.src_y = 0;
        set_scales(view, 25600 / clamp_custom_view(custom_percent));
        return 0;
    default: return -1;
    }
}

int32_t zoom_percent(int32_t scale) { return (int32_t)(25600 / at_least_one(scale)); }

int32_t next_zoom_percent(int32_t percent, bool zoom_in) {
    int64_t p = std::max<int32_t>(percent, 0);
    if (zoom_in) return to_int32(p < 10 ? p + 1 : p * 11 / 10);
    p = p * 9 / 10;
    return (int32_t)(p < 2 ? p + 1 : p);
}

void zoom_step(ViewParams& view, bool zoom_in, const ViewLayout& layout, PageSize page) {
    const int32_t old_scale = view.x_scale;
    const int32_t p = std::max<int32_t>(1, next_zoom_percent(zoom_percent(old_scale), zoom_in));
    const int32_t s = limit_magnification(25600 / p);
    const int32_t cx = layout.width / 2 - layout.margin_x, cy = layout.height / 2 - layout.margin_y;
    const int32_t x = step_origin(view.src_x, cx, old_scale, s), y = step_origin(view.src_y, cy, old_scale, s);
    view.src_x = clamp_step_origin(x, s, layout.width, layout.margin_x, page.width);
    view.src_y = clamp_step_origin(y, s, layout.height, layout.margin_y, page.height);
    set_scales(view, s);
}

int32_t zoom_to_selection(ViewParams& view, const ViewRect& sel, const ViewLayout& layout, PageSize page) {
    const int64_t W = at_least_one(layout.width), H = at_least_one(layout.height);
    const int64_t sx = (int64_t)(sel.right - sel.left) * view.x_scale / W;
    const int64_t sy = (int64_t)(sel.bottom - sel.top) * view.y_scale / H;
    const int32_t s = limit_magnification(std::max(sx, sy));
    int64_t x = view.src_x + ((int64_t)(sel.left + sel.right) / 2 - layout.margin_x) * view.x_scale / 256 - W * s / 512;
    int64_t y = view.src_y + ((int64_t)(sel.top + sel.bottom) / 2 - layout.margin_y) * view.y_scale / 256 - s * H / 512;
    x = std::max<int64_t>(0, std::min(x, page.width - W * s / 256));
    y = std::max<int64_t>(0, std::min(y, page.height - s * H / 256));
    view.src_x = to_int32(x);
    view.src_y = to_int32(y);
    set_scales(view, s);
    return s == kActualScale ? ZOOM_ACTUAL_SIZE : ZOOM_NONE;
}

int32_t add_view_rotation(int32_t angle, int command) {
    struct Turn {
        int command;
        int32_t degrees;
    };
    static constexpr Turn kTurns[] = {{CMD_ROTATE_VIEW_90, 90}, {CMD_ROTATE_VIEW_180, 180}, {CMD_ROTATE_VIEW_270, 270}};
    for (const Turn& t : kTurns) {
        if (t.command != command) continue;
        const int32_t sum = angle + t.degrees;
        return sum > 359 ? sum - 360 : sum;
    }
    return angle;
}

int32_t pan_origin(int32_t start_origin, int32_t start_pos, int32_t pos, int32_t scale, int32_t area, int32_t page) {
    int64_t o = start_origin + (int64_t)scale * (start_pos - pos) / 256;
    o = std::min(o, page - (int64_t)scale * area / 256);
    return to_int32(std::max<int64_t>(0, o));
}

int32_t centre_origin_on(int64_t point, int32_t visible, int32_t scale, int32_t page) {
    int64_t o = point - (int64_t)visible * scale / 512;
    o = std::min(o, page - (int64_t)visible * scale / 256);
    return to_int32(std::max<int64_t>(0, o));
}

uint8_t view_flags(const OptionFlags& options) {
    return (uint8_t)((options.ScaleToGray ? VIEW_GREY_BILEVEL : 0) | (options.SmoothScaling ? VIEW_BOX_AVERAGE : 0));
}

void set_view_output(ViewParams& view, const ViewLayout& layout, int depth, uint8_t* pixels) {
    view.out_width = layout.width;
    view.out_height = layout.height;
    view.out_pitch = view_row_bytes(layout.width, depth);
    view.pixels = pixels;
    if (view.x_scale < kMaxZoomScale || view.y_scale < kMaxZoomScale) set_scales(view, kActualScale);
}
