// Selection arithmetic of the image view. A client point (px, py) on the shown image
// is the turned-page point origin + (p - margin) * scale / 256; turned positions go
// back to stored ones by the inverse of scale_page's quarter-turn table.
#include "view/view_selection.h"

#include <algorithm>

namespace {

int32_t clamp_to(int32_t v, int32_t hi) { return std::clamp<int32_t>(v, 0, std::max<int32_t>(0, hi)); }

// One axis of the page region: start and length of [lo, hi) in client pixels.
void region_axis(int32_t lo, int32_t hi, int32_t origin, int32_t margin, int32_t scale, int32_t page, int32_t* start,
                 int32_t* length) {
    int64_t s = origin + (int64_t)(lo - margin) * scale / 256;
    s = std::clamp<int64_t>(s, 0, page);
    int64_t n = (int64_t)(hi - lo) * scale / 256;
    n = std::min<int64_t>(n, page - s);
    *start = (int32_t)s;
    *length = (int32_t)std::max<int64_t>(0, n);
}

}  // namespace

ViewRect drag_selection(int32_t anchor_x, int32_t anchor_y, int32_t x, int32_t y, const ViewLayout& layout) {
    x = clamp_to(x, layout.width);
    y = clamp_to(y, layout.height);
    return {std::min(anchor_x, x), std::min(anchor_y, y), std::max(anchor_x, x), std::max(anchor_y, y)};
}

bool selection_empty(const ViewRect& sel) { return sel.right <= sel.left || sel.bottom <= sel.top; }

int selection_page_region(const ViewRect& sel, const ViewParams& view, const ViewLayout& layout, PageSize page,
                          PageRegion* region) {
    const int32_t MX = layout.margin_x, MY = layout.margin_y;
    const int32_t W = layout.width, H = layout.height;
    if (sel.left > W - MX || sel.top > H - MY) return -1;
    const int32_t left = std::max(sel.left, MX), top = std::max(sel.top, MY);
    const int32_t right = std::min(sel.right, W - MX), bottom = std::min(sel.bottom, H - MY);
    PageRegion r{};
    region_axis(left, right, view.src_x, MX, view.x_scale, page.width, &r.x, &r.width);
    region_axis(top, bottom, view.src_y, MY, view.y_scale, page.height, &r.y, &r.height);
    if (r.width < 1 || r.height < 1) return -1;
    *region = r;
    return 0;
}

PageRegion stored_region(const PageRegion& t, int32_t width, int32_t height, int32_t angle) {
    switch (angle) {
    case 90: return {t.y, height - (t.x + t.width), t.height, t.width};
    case 180: return {width - (t.x + t.width), height - (t.y + t.height), t.width, t.height};
    case 270: return {width - (t.y + t.height), t.x, t.height, t.width};
    default: return t;
    }
}

uint32_t clipboard_dib_bytes(int32_t width, int32_t height, int bpp) {
    constexpr int64_t kHeaderAndColours = 1068;  // 40-byte header, 256 RGBQUADs (or 3 masks), 4 spare
    if (width < 1 || height < 1) return 0;
    const int64_t stride = view_row_bytes(width, bpp);
    const int64_t total = stride * height + kHeaderAndColours;
    return stride == 0 || total > UINT32_MAX ? 0 : (uint32_t)total;
}
