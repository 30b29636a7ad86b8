// Client layout of the main window: the image area over the combo strip (thumbnail
// cells with a scroll bar) and the 24-pixel toolbar strip, the margins that centre a
// small image, strip scrolling and hit tests. Integer client-pixel arithmetic.
#include "view/view_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int32_t kToolbarHeight = 24;
constexpr int32_t kScrollBarHeight = 16;
constexpr int32_t kLabelAboveCursor = 54;
constexpr int32_t kLabelPadding = 6;

int32_t at_least_one(int32_t v) { return v < 1 ? 1 : v; }

// Label height under a thumbnail. Fonts are stored with a negative (character)
// height; a positive (cell) height is taken by its size so the label never shrinks
// below its 6-pixel frame.
int32_t label_height(const LayoutInput& in) {
    return in.thumb_names ? 6 + std::abs(in.thumb_font_height) : 0;
}

}  // namespace

PageSize turned_size(int32_t width, int32_t height, int angle) {
    if (angle == 90 || angle == 270) return {height, width};
    return {width, height};
}

ViewLayout compute_layout(const LayoutInput& in, int32_t first_cell) {
    ViewLayout l{};
    l.width = std::max<int32_t>(0, in.client_width);
    l.cell_width = at_least_one(in.cell_width);
    l.cell_height = std::max<int32_t>(0, in.cell_height);
    l.visible_cells = (l.width + l.cell_width - 1) / l.cell_width;
    l.scroll_max = std::max<int32_t>(0, in.list_count - l.visible_cells);
    l.first_cell = first_cell;
    l.combo_view = in.combo_view;
    if (in.combo_view) {
        l.label_height = label_height(in);
        l.height = in.client_height - l.label_height - l.cell_height - 41;
        l.scroll_bar = {0, in.client_height - 40, l.width, in.client_height - 40 + kScrollBarHeight};
    } else {
        l.height = in.client_height - kToolbarHeight;
        l.scroll_bar = {0, in.screen_height, l.width, in.screen_height + kScrollBarHeight};
    }
    // A window too small for the strips leaves an empty image area, not a negative one.
    l.height = std::max<int32_t>(0, l.height);
    l.strip_top = l.height + l.top + 1;
    l.toolbar_top = in.combo_view ? l.cell_height + l.label_height + l.height + 17 : l.height;
    return l;
}

ViewPaintGeometry paint_geometry(const ViewLayout& layout, PageSize page, int32_t x_scale, int32_t y_scale) {
    ViewPaintGeometry g{};
    const int64_t drawn_w = (int64_t)page.width * 256 / at_least_one(x_scale);
    const int64_t drawn_h = (int64_t)page.height * 256 / at_least_one(y_scale);
    const int32_t W = layout.width, H = layout.height, T = layout.top;
    g.shown_width = (int32_t)std::min<int64_t>(W, drawn_w);
    g.shown_height = (int32_t)std::min<int64_t>(H, drawn_h);
    g.margin_x = g.shown_width < W ? (W - g.shown_width) / 2 : 0;
    g.margin_y = g.shown_height < H ? (H - g.shown_height) / 2 : 0;
    const int32_t MX = g.margin_x, MY = g.margin_y;
    g.image = {MX, T + MY, MX + g.shown_width, T + MY + g.shown_height};
    if (MX > 0) {
        g.margins[g.margin_count++] = {0, T, MX + 1, T + H + 1};
        g.margins[g.margin_count++] = {MX + g.shown_width, T, W + 1, T + H + 1};
    }
    if (MY > 0) {
        g.margins[g.margin_count++] = {0, T, W, T + MY + 1};
        g.margins[g.margin_count++] = {0, T + MY + g.shown_height, W, T + H + 1};
    }
    return g;
}

ViewRect strip_cell(const ViewLayout& layout, int cell) {
    const int32_t x = cell * layout.cell_width;
    return {x, layout.strip_top, x + layout.cell_width, layout.strip_top + layout.cell_height + layout.label_height};
}

int32_t scroll_strip(const ViewLayout& layout, StripScroll request, int32_t thumb_position, int32_t thumbs_built) {
    int32_t first = layout.first_cell;
    switch (request) {
    case STRIP_LINE_LEFT: first = std::max<int32_t>(0, first - 1); break;
    case STRIP_LINE_RIGHT: first += 1; break;
    case STRIP_PAGE_LEFT: first -= layout.visible_cells; break;
    case STRIP_PAGE_RIGHT: first += layout.visible_cells; break;
    case STRIP_THUMB: first = thumb_position; break;
    }
    first = std::min(first, thumbs_built - layout.visible_cells);
    return std::max<int32_t>(0, first);
}

ViewPlace place_of_point(const ViewLayout& layout, int32_t x, int32_t y) {
    if (x < 0 || x >= layout.width || y < layout.top) return PLACE_NONE;
    if (y >= layout.toolbar_top) return PLACE_TOOLBAR;
    if (y < layout.height) return PLACE_IMAGE;
    const int32_t strip_bottom = layout.strip_top + layout.cell_height + layout.label_height;
    if (layout.combo_view && y > layout.height && y < strip_bottom) return PLACE_STRIP;
    return PLACE_NONE;
}

int32_t strip_file_at(const ViewLayout& layout, int32_t x, int32_t list_count) {
    if (x < 0) return -1;
    const int32_t file = layout.first_cell + x / layout.cell_width;
    return file < list_count ? file : -1;
}

int toolbar_button_at(int32_t x) {
    if (x < 0) return -1;
    const int32_t b = x / kToolbarButtonSize;
    return b < 10 ? b : -1;
}

ViewRect toolbar_fill_rect(const ViewLayout& layout) {
    return {10 * kToolbarButtonSize, layout.toolbar_top, layout.width, layout.toolbar_top + kToolbarHeight};
}

ViewRect page_button_text_rect(const ViewLayout& layout, int button) {
    const int32_t x = kToolbarButtonSize * button;
    return {x + 1, layout.toolbar_top + 2, x + 25, layout.toolbar_top + 23};
}

int page_button_text(int page_index, char* text, int size) {
    const int n = std::snprintf(text, (size_t)size, "%d", page_index + 1);
    return n < size ? n : size - 1;
}

ViewRect movie_track_bar_rect(const ViewLayout& layout) {
    return {24, layout.toolbar_top, 24 + 216, layout.toolbar_top + 24};
}

ViewRect movie_play_button_rect(const ViewLayout& layout) { return {0, layout.toolbar_top, 24, layout.toolbar_top + 24}; }

// Tag bits: 0x01 copy, 0x02 convert, 0x04 resize, 0x08 delete, 0x10 crop, 0x60 rotation.
TagIcons tag_icons(uint8_t tags) {
    TagIcons t{};
    if (tags & 0x17) {
        int icon;
        if (tags & 0x01) icon = (tags >> 1) & 1;
        else if (tags & 0x10) icon = 5;
        else if (tags & 0x04) icon = (tags & 0x02) ? 3 : 2;
        else icon = 1;
        t.icon[t.count++] = icon;
    }
    if (tags & 0x08) t.icon[t.count++] = 4;
    if ((tags >> 5) & 3) t.icon[t.count++] = 5 + ((tags >> 5) & 3);
    return t;
}

ViewRect name_label_box(int32_t x, int32_t y, int32_t text_w, int32_t text_h, int32_t right) {
    ViewRect box{x, y - kLabelAboveCursor, x + text_w + kLabelPadding, y - kLabelAboveCursor + text_h + kLabelPadding};
    if (box.right > right) {
        const int32_t shift = box.right - right;
        box.left -= shift;
        box.right -= shift;
    }
    return box;
}

void thumbnail_cell_size(int32_t size, int32_t shape, int32_t* cell_width, int32_t* cell_height) {
    static constexpr int32_t kBase[4] = {48, 60, 80, 120};
    const int32_t s = kBase[size >= 0 && size < 4 ? size : 1];
    *cell_width = shape == 2 ? s * 3 / 4 : s;
    *cell_height = shape == 1 ? s * 3 / 4 : s;
}
