// The view's numbers against the drawing primitive: a view set up by the snap and
// zoom arithmetic draws exactly the shown size that painting assumes, and a selection
// mapped into the stored page covers exactly the pixels drawn under it at every turn.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/imaging.h"
#include "tests/imaging/scale_test_pages.h"
#include "view/view_selection.h"
#include "view_test_helpers.h"
#include "view/view_zoom.h"

namespace {

constexpr uint32_t kUnset = 0xABCDEF;

// Page pixel (x, y) holds x in blue and y in green.
uint32_t position_value(int32_t x, int32_t y) { return (uint32_t)x | ((uint32_t)y << 8) | (0x40u << 16); }

struct Drawn {
    std::vector<uint8_t> bytes;
    int32_t pitch;
    uint32_t at(int32_t x, int32_t y) const { return get_pixel(bytes.data() + (size_t)y * pitch, x, 24); }
};

Drawn draw(const PageBitmap& page, ViewParams view, const ViewLayout& layout) {
    Drawn d;
    d.pitch = view_row_bytes(layout.width, 24);
    d.bytes.resize((size_t)d.pitch * layout.height);
    for (int32_t y = 0; y < layout.height; ++y)
        for (int32_t x = 0; x < layout.width; ++x) put_pixel(d.bytes.data() + (size_t)y * d.pitch, x, 24, kUnset);
    set_view_output(view, layout, 24, d.bytes.data());
    EXPECT_EQ(scale_page(&page, &view, 1, nullptr), 0);
    return d;
}

int32_t drawn_extent(const Drawn& d, int32_t limit, bool across) {
    int32_t n = 0;
    while (n < limit && (across ? d.at(n, 0) : d.at(0, n)) != kUnset) ++n;
    return n;
}

}  // namespace

TEST(ViewRender, FitToWindowDrawsTheShownSizeThatPaintingCentres) {
    PageBitmap page;
    make_pixel_page(page, 60, 40, 24, position_value);
    const ViewLayout layout = view_area(100, 80);
    for (int angle : {0, 90}) {
        const PageSize turned = turned_size(page.width, page.height, angle);
        ViewParams view{};
        view.angle = angle;
        ASSERT_EQ(apply_snap_view(view, ZOOM_FIT_WINDOW, layout, turned, 100), 0);
        const ViewPaintGeometry g = paint_geometry(layout, turned, view.x_scale, view.y_scale);
        const Drawn d = draw(page, view, layout);
        EXPECT_EQ(drawn_extent(d, layout.width, true), g.shown_width) << angle;
        EXPECT_EQ(drawn_extent(d, layout.height, false), g.shown_height) << angle;
        EXPECT_TRUE(g.shown_width == layout.width || g.shown_height == layout.height) << angle;
    }
    release_page(&page);
}

TEST(ViewRender, SelectionMapsOntoTheStoredPixelsDrawnUnderIt) {
    PageBitmap page;
    make_pixel_page(page, 90, 70, 24, position_value);
    const ViewLayout layout = view_area(50, 40);
    const ViewRect sel{10, 5, 22, 19};
    for (int angle : {0, 90, 180, 270}) {
        const PageSize turned = turned_size(page.width, page.height, angle);
        ViewParams view = view_at(7, 3, 256);
        view.angle = angle;
        const Drawn d = draw(page, view, layout);
        PageRegion region{};
        ASSERT_EQ(selection_page_region(sel, view, layout, turned, &region), 0);
        const PageRegion s = stored_region(region, page.width, page.height, angle);
        EXPECT_EQ(s.width * s.height, (sel.right - sel.left) * (sel.bottom - sel.top)) << angle;
        for (int32_t y = sel.top; y < sel.bottom; ++y)
            for (int32_t x = sel.left; x < sel.right; ++x) {
                const uint32_t v = d.at(x, y);
                const int32_t px = v & 0xFF, py = (v >> 8) & 0xFF;
                ASSERT_TRUE(px >= s.x && px < s.x + s.width && py >= s.y && py < s.y + s.height)
                    << "angle " << angle << " at " << x << "," << y;
            }
    }
    release_page(&page);
}
