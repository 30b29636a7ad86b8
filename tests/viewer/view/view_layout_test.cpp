// Main window layout: image area, combo strip and toolbar strip positions, margins
// of a small image, strip scrolling, hit tests, the page-number button and tag icons.
#include <gtest/gtest.h>

#include <string>

#include "view/view_layout.h"

namespace {

LayoutInput window(int32_t w, int32_t h, bool combo) {
    LayoutInput in{};
    in.client_width = w;
    in.client_height = h;
    in.screen_height = 768;
    in.cell_width = in.cell_height = 80;
    in.combo_view = combo;
    in.thumb_names = true;
    in.thumb_font_height = -11;
    in.list_count = 20;
    return in;
}

std::string icons(uint8_t tags) {
    const TagIcons t = tag_icons(tags);
    std::string s;
    for (int i = 0; i < t.count; ++i) s += std::to_string(t.icon[i]) + " ";
    return s;
}

}  // namespace

TEST(ViewLayout, ToolbarSitsAtTheBottomWithOrWithoutTheStrip) {
    const ViewLayout plain = compute_layout(window(640, 480, false), 0);
    EXPECT_EQ(plain.height, 456);
    EXPECT_EQ(plain.toolbar_top, 456);
    EXPECT_EQ(plain.scroll_bar.top, 768);  // out of sight

    const ViewLayout combo = compute_layout(window(640, 480, true), 3);
    EXPECT_EQ(combo.label_height, 17);
    EXPECT_EQ(combo.height, 480 - 17 - 80 - 41);
    EXPECT_EQ(combo.strip_top, combo.height + 1);
    EXPECT_EQ(combo.toolbar_top, 456);
    EXPECT_EQ(combo.scroll_bar.top, combo.strip_top + 80 + 17);
    EXPECT_EQ(combo.scroll_bar.right, 640);
    EXPECT_EQ(combo.first_cell, 3);
    EXPECT_EQ(combo.visible_cells, 8);
    EXPECT_EQ(combo.scroll_max, 12);
    EXPECT_EQ(compute_layout(window(641, 480, true), 0).visible_cells, 9);
}

TEST(ViewLayout, SmallWindowsAndOddFontsStaySane) {
    const ViewLayout tiny = compute_layout(window(30, 60, true), 0);
    EXPECT_EQ(tiny.height, 0);
    EXPECT_EQ(tiny.scroll_max, 19);
    LayoutInput cell_font = window(640, 480, true);
    cell_font.thumb_font_height = 11;
    EXPECT_EQ(compute_layout(cell_font, 0).label_height, 17);
    cell_font.thumb_names = false;
    EXPECT_EQ(compute_layout(cell_font, 0).label_height, 0);
}

TEST(ViewPaint, SmallImageIsCentredAndMarginsCoverTheRest) {
    ViewLayout l{};
    l.width = 400;
    l.height = 300;
    const ViewPaintGeometry g = paint_geometry(l, {200, 100}, 256, 256);
    EXPECT_EQ(g.margin_x, 100);
    EXPECT_EQ(g.margin_y, 100);
    EXPECT_EQ(g.image.left, 100);
    EXPECT_EQ(g.image.right, 300);
    EXPECT_EQ(g.image.bottom, 200);
    ASSERT_EQ(g.margin_count, 4);
    // Every pixel of the area is image or margin.
    for (int y = 0; y < 300; y += 7)
        for (int x = 0; x < 400; x += 7) {
            bool covered = x >= g.image.left && x < g.image.right && y >= g.image.top && y < g.image.bottom;
            for (int i = 0; i < g.margin_count; ++i) {
                const ViewRect& m = g.margins[i];
                covered = covered || (x >= m.left && x < m.right && y >= m.top && y < m.bottom);
            }
            ASSERT_TRUE(covered) << x << "," << y;
        }

    const ViewPaintGeometry big = paint_geometry(l, {2000, 1000}, 256, 256);
    EXPECT_EQ(big.margin_count, 0);
    EXPECT_EQ(big.shown_width, 400);
    const ViewPaintGeometry wide = paint_geometry(l, {2000, 100}, 256, 256);
    EXPECT_EQ(wide.margin_x, 0);
    EXPECT_EQ(wide.margin_y, 100);
    EXPECT_EQ(wide.margin_count, 2);
}

TEST(ViewStrip, ScrollingStaysWithinTheBuiltThumbnails) {
    ViewLayout l = compute_layout(window(640, 480, true), 5);
    EXPECT_EQ(scroll_strip(l, STRIP_LINE_LEFT, 0, 20), 4);
    EXPECT_EQ(scroll_strip(l, STRIP_LINE_RIGHT, 0, 20), 6);
    EXPECT_EQ(scroll_strip(l, STRIP_PAGE_RIGHT, 0, 20), 12);
    EXPECT_EQ(scroll_strip(l, STRIP_PAGE_LEFT, 0, 20), 0);
    EXPECT_EQ(scroll_strip(l, STRIP_THUMB, 100, 20), 12);
    EXPECT_EQ(scroll_strip(l, STRIP_THUMB, 7, 3), 0);
    l.first_cell = 0;
    EXPECT_EQ(scroll_strip(l, STRIP_LINE_LEFT, 0, 20), 0);
}

TEST(ViewStrip, PressesFindTheirPlaceCellAndButton) {
    ViewLayout l = compute_layout(window(640, 480, true), 2);
    EXPECT_EQ(place_of_point(l, 10, 10), PLACE_IMAGE);
    EXPECT_EQ(place_of_point(l, 10, l.strip_top + 5), PLACE_STRIP);
    EXPECT_EQ(place_of_point(l, 10, l.toolbar_top), PLACE_TOOLBAR);
    EXPECT_EQ(place_of_point(l, 10, l.height), PLACE_NONE);  // the line between image and strip
    EXPECT_EQ(strip_file_at(l, 170, 20), 4);
    EXPECT_EQ(strip_file_at(l, 639, 9), -1);
    EXPECT_EQ(strip_cell(l, 1).left, 80);
    EXPECT_EQ(strip_cell(l, 1).bottom, l.strip_top + 97);
    EXPECT_EQ(toolbar_button_at(239), 9);
    EXPECT_EQ(toolbar_button_at(240), -1);
    EXPECT_EQ(toolbar_fill_rect(l).left, 240);
    EXPECT_EQ(movie_track_bar_rect(l).right, 240);
}

TEST(ViewToolbar, PageButtonShowsThePageNumberFromOne) {
    char text[12];
    EXPECT_EQ(page_button_text(0, text, sizeof text), 1);
    EXPECT_STREQ(text, "1");
    page_button_text(11, text, sizeof text);
    EXPECT_STREQ(text, "12");
    EXPECT_EQ(page_button_text(123456, text, 4), 3);
    EXPECT_STREQ(text, "123");
    ViewLayout l = compute_layout(window(640, 480, false), 0);
    const ViewRect r = page_button_text_rect(l, 5);
    EXPECT_EQ(r.left, 121);
    EXPECT_EQ(r.right, 145);
    EXPECT_EQ(r.top, 458);
}

TEST(ViewTags, IconsFollowTheTagPriorities) {
    EXPECT_EQ(icons(0), "");
    EXPECT_EQ(icons(0x01), "0 ");
    EXPECT_EQ(icons(0x03), "1 ");
    EXPECT_EQ(icons(0x11), "0 ");  // copy before crop
    EXPECT_EQ(icons(0x14), "5 ");
    EXPECT_EQ(icons(0x06), "3 ");
    EXPECT_EQ(icons(0x04), "2 ");
    EXPECT_EQ(icons(0x02), "1 ");
    EXPECT_EQ(icons(0x09), "0 4 ");
    EXPECT_EQ(icons(0x28), "4 6 ");
    EXPECT_EQ(icons(0x7B), "1 4 8 ");
}

TEST(ViewLabel, NameLabelStaysLeftOfTheWindowEdge) {
    const ViewRect r = name_label_box(100, 200, 40, 12, 800);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 146);
    EXPECT_EQ(r.right, 146);
    EXPECT_EQ(r.bottom, 164);
    const ViewRect moved = name_label_box(780, 200, 40, 12, 800);
    EXPECT_EQ(moved.right, 800);
    EXPECT_EQ(moved.left, 754);
}

TEST(ViewLayout, ThumbnailCellsFollowSizeAndShape) {
    int32_t w = 0, h = 0;
    thumbnail_cell_size(0, 0, &w, &h);
    EXPECT_EQ(w, 48);
    EXPECT_EQ(h, 48);
    thumbnail_cell_size(3, 1, &w, &h);  // large landscape
    EXPECT_EQ(w, 120);
    EXPECT_EQ(h, 90);
    thumbnail_cell_size(1, 2, &w, &h);  // small portrait: 60 * 3 / 4
    EXPECT_EQ(w, 45);
    EXPECT_EQ(h, 60);
    thumbnail_cell_size(2, 1, &w, &h);  // medium landscape
    EXPECT_EQ(w, 80);
    EXPECT_EQ(h, 60);
    thumbnail_cell_size(9, 0, &w, &h);  // a damaged value reads as small
    EXPECT_EQ(w, 60);
    EXPECT_EQ(h, 60);
}
