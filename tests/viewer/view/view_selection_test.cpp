// Selections mapped into the page, the zoom window's overview and frame, the combo
// strip's navigator, and the display bitmap's depth and palettes.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings/option_words.h"
#include "view_test_helpers.h"
#include "view/view_display.h"
#include "view/view_selection.h"
#include "view/zoom_window_frame.h"

namespace {

// The stored pixel that shows at turned position (X, Y), as the drawing primitive
// reads it; W, H are the stored page's size.
void stored_of(int angle, int X, int Y, int W, int H, int* col, int* row) {
    switch (angle) {
    case 90: *col = Y; *row = H - 1 - X; break;
    case 180: *col = W - 1 - X; *row = H - 1 - Y; break;
    case 270: *col = W - 1 - Y; *row = X; break;
    default: *col = X; *row = Y;
    }
}

}  // namespace

TEST(ViewSelection, DragKeepsCornersOrderedInsideTheArea) {
    const ViewRect r = drag_selection(50, 60, -10, 500, view_area(400, 300));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right, 50);
    EXPECT_EQ(r.bottom, 300);
    EXPECT_TRUE(selection_empty(drag_selection(5, 5, 5, 9, view_area(400, 300))));
    EXPECT_FALSE(selection_empty(r));
}

TEST(ViewSelection, MapsThroughMarginsOriginAndScale) {
    PageRegion r{};
    ASSERT_EQ(selection_page_region({50, 20, 150, 100}, view_at(0, 0, 256), view_area(400, 300, 100, 50), {200, 200}, &r), 0);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.width, 50);
    EXPECT_EQ(r.height, 50);

    ASSERT_EQ(selection_page_region({10, 10, 30, 40}, view_at(10, 20, 512), view_area(400, 300), {1000, 1000}, &r), 0);
    EXPECT_EQ(r.x, 30);
    EXPECT_EQ(r.y, 40);
    EXPECT_EQ(r.width, 40);
    EXPECT_EQ(r.height, 60);

    // Cut at the page's edge; nothing when the selection misses the image.
    ASSERT_EQ(selection_page_region({300, 0, 400, 300}, view_at(900, 0, 256), view_area(400, 300), {1250, 300}, &r), 0);
    EXPECT_EQ(r.x, 1200);
    EXPECT_EQ(r.width, 50);
    EXPECT_EQ(selection_page_region({320, 10, 390, 20}, view_at(0, 0, 256), view_area(400, 300, 100, 0), {200, 300}, &r), -1);
    EXPECT_EQ(selection_page_region({10, 10, 10, 20}, view_at(0, 0, 256), view_area(400, 300), {200, 300}, &r), -1);
}

TEST(ViewSelection, ClipboardBlockHoldsRowsAndHeader) {
    EXPECT_EQ(clipboard_dib_bytes(3, 2, 24), 2u * 12 + 1068);
    EXPECT_EQ(clipboard_dib_bytes(9, 1, 1), 4u + 1068);
    EXPECT_EQ(clipboard_dib_bytes(0, 5, 8), 0u);
    EXPECT_EQ(clipboard_dib_bytes(60000, 60000, 24), 0u);
}

TEST(ViewSelection, TurnedRegionsMapOntoTheStoredPixelsTheyShow) {
    const int W = 7, H = 5;
    for (int angle : {0, 90, 180, 270}) {
        const PageSize t = turned_size(W, H, angle);
        const PageRegion turned{1, 2, std::min(3, t.width - 1), std::min(2, t.height - 2)};
        int lo_c = W, lo_r = H, hi_c = -1, hi_r = -1;
        for (int Y = turned.y; Y < turned.y + turned.height; ++Y)
            for (int X = turned.x; X < turned.x + turned.width; ++X) {
                int c, r;
                stored_of(angle, X, Y, W, H, &c, &r);
                lo_c = std::min(lo_c, c), hi_c = std::max(hi_c, c);
                lo_r = std::min(lo_r, r), hi_r = std::max(hi_r, r);
            }
        const PageRegion s = stored_region(turned, W, H, angle);
        EXPECT_EQ(s.x, lo_c) << angle;
        EXPECT_EQ(s.y, lo_r) << angle;
        EXPECT_EQ(s.width, hi_c - lo_c + 1) << angle;
        EXPECT_EQ(s.height, hi_r - lo_r + 1) << angle;
    }
}

TEST(ZoomWindow, OverviewIsCentredAndSkippedForTinyPages) {
    Overview o{};
    ASSERT_EQ(zoom_window_overview({1000, 500}, 99, 99, &o), 0);
    EXPECT_EQ(o.scale, 2560);
    EXPECT_EQ(o.width, 100);
    EXPECT_EQ(o.height, 50);
    EXPECT_EQ(o.offset_x, 0);
    EXPECT_EQ(o.offset_y, 25);
    EXPECT_EQ(zoom_window_overview({9, 9}, 73, 73, &o), -1);  // smaller than an eighth
    EXPECT_EQ(zoom_window_overview({10, 10}, 73, 73, &o), 0);
    EXPECT_EQ(zoom_window_overview({10, 10}, -5, -5, &o), 0);

    const ViewParams v = overview_view(o, 90, false, 24, nullptr);
    EXPECT_EQ(v.x_scale, o.scale);
    EXPECT_EQ(v.out_width, o.width);
    EXPECT_EQ(v.angle, 90);
    EXPECT_EQ(v.flags, 0x01);
    EXPECT_EQ(overview_view(o, 0, true, 4, nullptr).flags, 0x04);
}

TEST(ZoomWindow, FrameMarksTheVisiblePartAndDragCentresOnIt) {
    Overview o{};
    ASSERT_EQ(zoom_window_overview({1000, 500}, 99, 99, &o), 0);
    const ViewLayout l = view_area(400, 300);
    ViewParams v = view_at(200, 100, 256);
    ViewRect f = zoom_window_frame(o, v, l, {1000, 500});
    EXPECT_EQ(f.left, 20);
    EXPECT_EQ(f.top, 35);
    EXPECT_EQ(f.right, 60);
    EXPECT_EQ(f.bottom, 65);
    // The whole height shown: the frame starts at the overview's top and stops at it.
    v = view_at(0, 0, 1280);
    f = zoom_window_frame(o, v, l, {1000, 500});
    EXPECT_EQ(f.top, 25);
    EXPECT_EQ(f.bottom, 75);
    EXPECT_EQ(f.right, 100);

    v = view_at(0, 0, 256);
    drag_overview(o, 50, 50, l, {1000, 500}, v);
    EXPECT_EQ(v.src_x, 300);
    EXPECT_EQ(v.src_y, 100);
    drag_overview(o, 99, 99, l, {1000, 500}, v);
    EXPECT_EQ(v.src_x, 600);
    EXPECT_EQ(v.src_y, 200);
    drag_overview(o, 0, 0, l, {1000, 500}, v);
    EXPECT_EQ(v.src_x, 0);
    EXPECT_EQ(v.src_y, 0);
}

TEST(ZoomWindow, OpeningSizeFallsBackTo64) {
    int32_t w = 0, h = 0;
    zoom_window_size(74, 74, 800, 600, &w, &h);
    EXPECT_EQ(w, 74);
    EXPECT_EQ(h, 74);
    zoom_window_size(800, 0, 800, 600, &w, &h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 64);
}

TEST(Navigator, RectangleSitsOnTheThumbnailInsideItsCell) {
    const Overview o = navigator_overview({1000, 500}, 80, 80);
    EXPECT_EQ(o.scale, 3200);
    EXPECT_EQ(o.offset_x, 0);
    EXPECT_EQ(o.offset_y, 20);
    const ViewRect r = navigator_frame(o, view_at(320, 160, 256), view_area(400, 300), {1000, 500}, 80, 80);
    EXPECT_EQ(r.left, 25);
    EXPECT_EQ(r.top, 32);
    EXPECT_EQ(r.right, 57);
    EXPECT_EQ(r.bottom, 56);
    const ViewRect whole = navigator_frame(o, view_at(0, 0, 2560), view_area(400, 300), {1000, 500}, 80, 80);
    EXPECT_EQ(whole.right - whole.left, 80);
    EXPECT_EQ(whole.bottom - whole.top, 40);
    // A tiny page's rounded overview comes out wider than the cell: no negative offset.
    const Overview tiny = navigator_overview({3, 3}, 80, 80);
    EXPECT_GT(tiny.width, 80);
    EXPECT_EQ(tiny.offset_x, 0);
}

TEST(ViewDisplay, DepthFollowsPageScreenAndOptions) {
    OptionFlags f{};
    EXPECT_EQ(display_depth(1, 32, f), 1);
    f.ScaleToGray = true;
    EXPECT_EQ(display_depth(1, 32, f), 4);
    EXPECT_EQ(display_depth(24, 8, f), 24);
    EXPECT_FALSE(render_through_buffer(24, 8, f));
    f.OptimizeColors = true;
    EXPECT_EQ(display_depth(24, 8, f), 8);
    EXPECT_EQ(display_depth(16, 4, f), 4);
    EXPECT_EQ(display_depth(24, 16, f), 24);
    EXPECT_EQ(display_depth(8, 4, f), 8);
    EXPECT_TRUE(render_through_buffer(16, 8, f));
    EXPECT_FALSE(render_through_buffer(8, 4, f));
}

TEST(ViewDisplay, PalettesForEachShownDepth) {
    OptionFlags f{};
    PaletteEntry p[256];
    EXPECT_EQ(view_palette(1, 32, f, nullptr, p), 0);
    EXPECT_EQ(view_palette(24, 8, f, nullptr, p), 0);
    f.ScaleToGray = true;
    ASSERT_EQ(view_palette(1, 32, f, nullptr, p), 16);
    EXPECT_EQ(p[4].red, 0x44);
    EXPECT_EQ(p[7].green, 0xC0);
    EXPECT_EQ(p[8].blue, 0x80);
    EXPECT_EQ(p[15].red, 0xFF);
    EXPECT_EQ(p[3].red + p[3].green + p[3].blue, 0);

    uint8_t bgr[768] = {};
    bgr[3 * 5 + 0] = 10, bgr[3 * 5 + 1] = 20, bgr[3 * 5 + 2] = 30;
    ASSERT_EQ(view_palette(4, 32, f, bgr, p), 16);
    EXPECT_EQ(p[5].red, 30);
    EXPECT_EQ(p[5].blue, 10);
    ASSERT_EQ(view_palette(8, 32, f, bgr, p), 256);

    f.OptimizeColors = true;
    ASSERT_EQ(view_palette(24, 8, f, nullptr, p), 256);
    EXPECT_EQ(p[0xFF].red, 0xFC);
    EXPECT_EQ(p[0xFF].blue, 0xFF);
    EXPECT_EQ(p[0xA6].red, 0xB4);
    EXPECT_EQ(p[0xA6].green, 0x24);
    EXPECT_EQ(p[0xA6].blue, 0xAA);
    ASSERT_EQ(view_palette(16, 4, f, nullptr, p), 16);
    EXPECT_EQ(p[15].green, 255);
    EXPECT_EQ(p[1].red, 17);
}
