// Overview arithmetic shared by the zoom window and the combo strip's navigator: the
// whole turned page reduced into a small box, the frame that marks the part visible in
// the main view, and the main-view origin that a drag in the overview asks for.
#pragma once

#include <cstdint>

#include "imaging.h"
#include "view/view_layout.h"

// A page reduced into a box: scale z (source pixels per 256 overview pixels), the
// overview's size and its offsets inside the box.
struct Overview {
    int32_t scale;
    int32_t width, height;
    int32_t offset_x, offset_y;
};

// Zoom window overview for a client area of client_w x client_h (taken one larger
// each way). 0, or -1 when the page would be enlarged more than 8 times (no overview).
int zoom_window_overview(PageSize page, int32_t client_w, int32_t client_h, Overview* out);
// The thumbnail placement inside a CW x CH cell (offsets 0 when negative).
Overview navigator_overview(PageSize page, int32_t cell_w, int32_t cell_h);

// ViewParams that render the zoom window's overview into `pixels` (row stride for
// `depth`): flags 0x04 with grey bilevel, else 0x01.
ViewParams overview_view(const Overview& o, int32_t angle, bool scale_to_gray, int depth, uint8_t* pixels);

// Frame of the main view's visible part, relative to the overview's box: `clip_w` and
// `clip_h` bound its size (the zoom window uses the overview size, the navigator the
// cell less both offsets).
ViewRect visible_frame(const Overview& o, const ViewParams& view, const ViewLayout& layout, PageSize page,
                       int32_t clip_w, int32_t clip_h);
ViewRect zoom_window_frame(const Overview& o, const ViewParams& view, const ViewLayout& layout, PageSize page);
ViewRect navigator_frame(const Overview& o, const ViewParams& view, const ViewLayout& layout, PageSize page,
                         int32_t cell_w, int32_t cell_h);

// Main-view origin that brings the overview point under (x, y) (box coordinates) to
// the centre of the image area, held inside the page.
void drag_overview(const Overview& o, int32_t x, int32_t y, const ViewLayout& layout, PageSize page, ViewParams& view);

// Zoom window size at opening: "ZoomCX" x "ZoomCY", a side not smaller than the main
// window's (or below 1) becomes 64.
void zoom_window_size(int32_t zoom_cx, int32_t zoom_cy, int32_t main_w, int32_t main_h, int32_t* w, int32_t* h);
