// Image view transform: snap views, zoom steps and their limits, clamping of the
// origin, zoom to selection, view rotation, panning and the display bitmap's output.
#include <gtest/gtest.h>

#include "settings/option_words.h"
#include "view_test_helpers.h"
#include "view/view_zoom.h"

namespace {

int32_t percent_after(int32_t percent, bool zoom_in) {
    ViewParams v = view_at(0, 0, 25600 / percent);
    zoom_step(v, zoom_in, view_area(400, 300), {100000, 100000});
    return zoom_percent(v.x_scale);
}

}  // namespace

TEST(ViewZoom, StepsGrowAndShrinkByTenPercentWithSmallStepsBelowTen) {
    EXPECT_EQ(percent_after(9, true), 10);
    EXPECT_EQ(percent_after(10, true), 11);
    EXPECT_EQ(percent_after(100, true), 110);
    EXPECT_EQ(percent_after(100, false), 90);
    EXPECT_EQ(percent_after(2, false), 2);
    EXPECT_EQ(percent_after(1, false), 1);
}

TEST(ViewZoom, NeverEnlargesPastEightHundredPercent) {
    for (int32_t start : {750, 800}) {
        ViewParams v = view_at(0, 0, 25600 / start);
        zoom_step(v, true, view_area(400, 300), {4000, 3000});
        EXPECT_EQ(v.x_scale, 32) << start;
        EXPECT_EQ(v.y_scale, 32);
    }
    // A scale fitted to a huge page gives 0 % and still steps safely.
    ViewParams v = view_at(0, 0, 16000000);
    zoom_step(v, false, view_area(400, 300), {60000, 60000});
    EXPECT_EQ(v.x_scale, 25600);
}

TEST(ViewZoom, StepKeepsTheWindowCentreOnTheSamePagePoint) {
    const ViewLayout l = view_area(400, 300);
    ViewParams v = view_at(100, 100, 256);
    zoom_step(v, true, l, {2000, 1500});
    EXPECT_EQ(v.x_scale, 232);
    EXPECT_EQ(v.src_x, 119);
    EXPECT_EQ(v.src_y, 115);
    EXPECT_NEAR(v.src_x + 200 * v.x_scale / 256.0, 300, 1.0);
    EXPECT_NEAR(v.src_y + 150 * v.y_scale / 256.0, 250, 1.0);
}

TEST(ViewZoom, StepPullsThePageBackToTheFarEdgeAndZeroesMarginAxes) {
    ViewParams v = view_at(100, 100, 256);
    zoom_step(v, false, view_area(400, 300), {500, 400});
    EXPECT_EQ(v.x_scale, 284);
    EXPECT_EQ(v.src_x, 57);
    EXPECT_EQ(v.src_y, 68);

    // The page fitted across when last painted (margin 10): zooming in keeps its
    // left edge in view instead of moving the origin 18 pixels in.
    ViewParams m = view_at(0, 40, 256);
    zoom_step(m, true, view_area(400, 300, 10, 0), {380, 4000});
    EXPECT_EQ(m.src_x, 0);
    EXPECT_GT(m.src_y, 40);

    ViewParams n = view_at(0, 0, 256);
    zoom_step(n, false, view_area(400, 300), {2000, 2000});
    EXPECT_EQ(n.src_x, 0);  // the step would move before the page
    EXPECT_EQ(n.src_y, 0);
}

TEST(ViewSnap, FitViewsFitTheTurnedPage) {
    ViewParams v = view_at(50, 60, 256);
    ASSERT_EQ(apply_snap_view(v, ZOOM_FIT_WINDOW, view_area(800, 600), turned_size(600, 400, 90), 100), 0);
    EXPECT_EQ(v.x_scale, 256);  // fitted as 400 wide and 600 high
    EXPECT_EQ(v.src_x, 0);
    EXPECT_EQ(v.src_y, 0);
    ASSERT_EQ(apply_snap_view(v, ZOOM_FIT_WINDOW, view_area(800, 600), turned_size(600, 400, 0), 100), 0);
    EXPECT_EQ(v.x_scale, 192);

    ASSERT_EQ(apply_snap_view(v, ZOOM_FIT_WIDTH, view_area(400, 300), {100, 5000}, 100), 0);
    EXPECT_EQ(v.x_scale, 64);  // a narrow page is enlarged to the width
    EXPECT_EQ(v.y_scale, 64);
    ASSERT_EQ(apply_snap_view(v, ZOOM_FIT_WIDTH, view_area(400, 300), {10, 10}, 100), 0);
    EXPECT_EQ(v.x_scale, 32);  // ... but not past 800 %
    ASSERT_EQ(apply_snap_view(v, ZOOM_FIT_WINDOW, view_area(0, 0), {10, 10}, 100), 0);
    EXPECT_GE(v.x_scale, 32);  // an empty image area divides by nothing
}

TEST(ViewSnap, CustomPercentIsNotHeldButStaysInItsRange) {
    ViewParams v = view_at(5, 5, 256);
    ASSERT_EQ(apply_snap_view(v, ZOOM_CUSTOM, view_area(400, 300), {10, 10}, 800), 0);
    EXPECT_EQ(v.x_scale, 32);
    ASSERT_EQ(apply_snap_view(v, ZOOM_CUSTOM, view_area(400, 300), {10, 10}, 5), 0);
    EXPECT_EQ(v.x_scale, 5120);
    ASSERT_EQ(apply_snap_view(v, ZOOM_CUSTOM, view_area(400, 300), {10, 10}, 0), 0);
    EXPECT_EQ(v.x_scale, 5120);
    EXPECT_EQ(apply_snap_view(v, 40027, view_area(400, 300), {10, 10}, 100), -1);
    EXPECT_FALSE(is_snap_view(ZOOM_NONE));
}

TEST(ViewSnap, ActualSizeKeepsTheCentreAndStaysOnThePage) {
    ViewParams v = view_at(0, 0, 1280);
    ASSERT_EQ(apply_snap_view(v, ZOOM_ACTUAL_SIZE, view_area(400, 300), {2000, 1500}, 100), 0);
    EXPECT_EQ(v.x_scale, 256);
    EXPECT_EQ(v.src_x, 800);  // page centre (1000, 750) stays at the window centre
    EXPECT_EQ(v.src_y, 600);

    ViewParams edge = view_at(1500, 1200, 512);
    apply_snap_view(edge, ZOOM_ACTUAL_SIZE, view_area(400, 300), {2000, 1500}, 100);
    EXPECT_EQ(edge.src_x, 1600);
    EXPECT_EQ(edge.src_y, 1200);

    ViewParams small = view_at(0, 0, 128);
    apply_snap_view(small, ZOOM_ACTUAL_SIZE, view_area(400, 300, 100, 50), {100, 100}, 100);
    EXPECT_EQ(small.src_x, 0);
    EXPECT_EQ(small.src_y, 0);
}

TEST(ViewSnap, ZoomToSelectionMagnifiesTheSelectedPart) {
    ViewParams v = view_at(0, 0, 256);
    EXPECT_EQ(zoom_to_selection(v, {100, 50, 200, 125}, view_area(400, 300), {2000, 1500}), ZOOM_NONE);
    EXPECT_EQ(v.x_scale, 64);
    EXPECT_EQ(v.y_scale, 64);
    EXPECT_EQ(v.src_x, 100);
    EXPECT_EQ(v.src_y, 50);

    ViewParams whole = view_at(10, 10, 256);
    EXPECT_EQ(zoom_to_selection(whole, {0, 0, 400, 300}, view_area(400, 300), {2000, 1500}), ZOOM_ACTUAL_SIZE);
    EXPECT_EQ(whole.src_x, 10);

    ViewParams tiny = view_at(0, 0, 256);
    zoom_to_selection(tiny, {395, 295, 396, 296}, view_area(400, 300), {400, 300});
    EXPECT_EQ(tiny.x_scale, 32);
    EXPECT_EQ(tiny.src_x, 400 - 400 * 32 / 256);  // held to the page's far edge
    EXPECT_EQ(tiny.src_y, 300 - 300 * 32 / 256);
}

TEST(ViewRotation, TurnsAddUpAndWrap) {
    EXPECT_EQ(add_view_rotation(0, 40015), 90);
    EXPECT_EQ(add_view_rotation(270, 40015), 0);
    EXPECT_EQ(add_view_rotation(180, 40052), 90);
    EXPECT_EQ(add_view_rotation(180, 40051), 0);
    EXPECT_EQ(add_view_rotation(90, 40024), 90);
    EXPECT_EQ(turned_size(600, 400, 270).width, 400);
    EXPECT_EQ(turned_size(600, 400, 180).width, 600);
}

TEST(ViewPan, OriginFollowsTheCursorInsideThePage) {
    EXPECT_EQ(pan_origin(100, 50, 30, 512, 400, 1000), 140);
    EXPECT_EQ(pan_origin(100, 250, 50, 512, 400, 1000), 200);
    EXPECT_EQ(pan_origin(100, 0, 400, 256, 400, 1000), 0);
    EXPECT_EQ(pan_origin(100, 0, 10, 256, 400, 300), 0);  // page narrower than the area
    EXPECT_EQ(centre_origin_on(500, 400, 256, 1000), 300);
    EXPECT_EQ(centre_origin_on(990, 400, 256, 1000), 600);
}

TEST(ViewOutput, DisplayBitmapSetsSizeStrideFlagsAndAnUnsetScale) {
    ViewLayout l = view_area(401, 300);
    uint8_t pixel = 0;
    ViewParams v{};
    set_view_output(v, l, 24, &pixel);
    EXPECT_EQ(v.out_width, 401);
    EXPECT_EQ(v.out_height, 300);
    EXPECT_EQ(v.out_pitch, 1204);
    EXPECT_EQ(v.x_scale, 256);
    EXPECT_EQ(v.y_scale, 256);
    v.x_scale = v.y_scale = 40;
    set_view_output(v, l, 1, &pixel);
    EXPECT_EQ(v.out_pitch, 52);
    EXPECT_EQ(v.x_scale, 40);

    OptionFlags f{};
    EXPECT_EQ(view_flags(f), 0);
    f.ScaleToGray = true;
    f.SmoothScaling = true;
    EXPECT_EQ(view_flags(f), 0x0C);
}
