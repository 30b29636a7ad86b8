// The overview reduction z = max(w * 256 / box width, h * 256 / box height) fits the
// whole turned page into the zoom window or a thumbnail cell; page positions map to
// the overview by * 256 / z and back by * z / 256, in 64-bit integer arithmetic.
#include "view/zoom_window_frame.h"

#include <algorithm>

#include "view/view_zoom.h"

namespace {

constexpr int32_t kSmallZoomSide = 64;

int32_t fit_scale(PageSize page, int32_t box_w, int32_t box_h) {
    const int64_t zx = (int64_t)page.width * 256 / std::max<int32_t>(1, box_w);
    const int64_t zy = (int64_t)page.height * 256 / std::max<int32_t>(1, box_h);
    return (int32_t)std::min<int64_t>(INT32_MAX, std::max(zx, zy));
}

Overview place(PageSize page, int32_t z, int32_t box_w, int32_t box_h) {
    Overview o{};
    o.scale = std::max<int32_t>(1, z);
    o.width = (int32_t)((int64_t)page.width * 256 / o.scale);
    o.height = (int32_t)((int64_t)page.height * 256 / o.scale);
    o.offset_x = (box_w - o.width) / 2;
    o.offset_y = (box_h - o.height) / 2;
    return o;
}

int32_t to_overview(int64_t v, int32_t z) { return (int32_t)(v * 256 / z); }

}  // namespace

int zoom_window_overview(PageSize page, int32_t client_w, int32_t client_h, Overview* out) {
    const int32_t cw = client_w + 1, ch = client_h + 1;
    const int32_t z = fit_scale(page, cw, ch);
    if (z < kMaxZoomScale) return -1;
    *out = place(page, z, cw, ch);
    return 0;
}

Overview navigator_overview(PageSize page, int32_t cell_w, int32_t cell_h) {
    Overview o = place(page, fit_scale(page, cell_w, cell_h), cell_w, cell_h);
    o.offset_x = std::max<int32_t>(0, o.offset_x);
    o.offset_y = std::max<int32_t>(0, o.offset_y);
    return o;
}

ViewParams overview_view(const Overview& o, int32_t angle, bool scale_to_gray, int depth, uint8_t* pixels) {
    ViewParams v{};
    v.x_scale = v.y_scale = o.scale;
    v.out_width = o.width;
    v.out_height = o.height;
    v.out_pitch = view_row_bytes(o.width, depth);
    v.angle = angle;
    v.pixels = pixels;
    v.flags = scale_to_gray ? VIEW_GREY_BILEVEL : 0x01;
    return v;
}

ViewRect visible_frame(const Overview& o, const ViewParams& view, const ViewLayout& layout, PageSize page,
                       int32_t clip_w, int32_t clip_h) {
    // Heights use the x scale as well: the view keeps both scales equal.
    const int64_t shown_h = (int64_t)view.x_scale * layout.height / 256;
    const int32_t left = o.offset_x + to_overview(view.src_x, o.scale);
    const int32_t top = o.offset_y + (shown_h < page.height ? to_overview(view.src_y, o.scale) : 0);
    const int32_t w = std::min<int64_t>(clip_w, to_overview((int64_t)view.x_scale * layout.width / 256, o.scale));
    const int32_t h = std::min<int64_t>(clip_h, to_overview(shown_h, o.scale));
    return {left, top, left + w, top + h};
}

ViewRect zoom_window_frame(const Overview& o, const ViewParams& view, const ViewLayout& layout, PageSize page) {
    return visible_frame(o, view, layout, page, o.width, o.height);
}

ViewRect navigator_frame(const Overview& o, const ViewParams& view, const ViewLayout& layout, PageSize page,
                         int32_t cell_w, int32_t cell_h) {
    return visible_frame(o, view, layout, page, cell_w - 2 * o.offset_x, cell_h - 2 * o.offset_y);
}

void drag_overview(const Overview& o, int32_t x, int32_t y, const ViewLayout& layout, PageSize page, ViewParams& view) {
    const int64_t px = (int64_t)(x - o.offset_x) * o.scale / 256;
    const int64_t py = (int64_t)(y - o.offset_y) * o.scale / 256;
    view.src_x = centre_origin_on(px, layout.width - 2 * layout.margin_x, view.x_scale, page.width);
    view.src_y = centre_origin_on(py, layout.height - 2 * layout.margin_y, view.y_scale, page.height);
}

void zoom_window_size(int32_t zoom_cx, int32_t zoom_cy, int32_t main_w, int32_t main_h, int32_t* w, int32_t* h) {
    // A stored size of 0 or less would open an invisible window: it gets 64 as well.
    *w = zoom_cx >= main_w || zoom_cx < 1 ? kSmallZoomSide : zoom_cx;
    *h = zoom_cy >= main_h || zoom_cy < 1 ? kSmallZoomSide : zoom_cy;
}
