// The value rules of the resize, crop and colour dialogs: typed numbers, the side that
// follows with the aspect kept, the sizes OK accepts or refuses, the edges the crop
// dialog offers for a selection and what it accepts, and the depth change asked for.
#include <gtest/gtest.h>

#include "info/operation_dialogs.h"

TEST(OperationDialogs, FieldNumbers) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {"120", true, 120},        {"  42 ", true, 42},  {"-3", true, -3},       {"+7", true, 7},
        {"0", true, 0},            {"", false, 0},       {"abc", false, 0},     {"12x", false, 0},
        {"1 2", false, 0},         {"-", false, 0},      {"99999999999999999999", true, INT32_MAX},
        {"-99999999999", true, INT32_MIN},
    };
    for (const Case& c : cases) {
        int32_t v = 12345;
        EXPECT_EQ(parse_field_number(c.text, &v), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(v, c.value) << "'" << c.text << "'";
        }
    }
}

TEST(OperationDialogs, AspectKeepingSide) {
    struct Case {
        int32_t base_moved, base_other, moved, expected;
    } cases[] = {
        {100, 50, 200, 100},    // 50 * 100 / (100 * 100 / 200)
        {50, 100, 100, 200},    // the height control moved on the same page
        {640, 480, 320, 240},   {640, 480, 333, 250},  {3, 2, 2, 1},
        {1, 50, 200, 10000},    // divisor 1 * 100 / 200 = 0: in proportion
        {1000, 1, 1, 1},        // would round to 0: at least 1
        {100, 50, 32767, 16383},
    };
    for (const Case& c : cases)
        EXPECT_EQ(aspect_follow(c.base_moved, c.base_other, c.moved), c.expected)
            << c.base_moved << "x" << c.base_other << " moved to " << c.moved;
}

TEST(OperationDialogs, ResizeAcceptsSidesFromOneTo32767) {
    struct Case {
        const char *w, *h;
        bool dpi;
        ResizeVerdict verdict;
        int field;
        int32_t width, height;
    } cases[] = {
        {"60", "40", false, RESIZE_ACCEPTED, 0, 60, 40},
        {"32767", "1", false, RESIZE_ACCEPTED, 0, 32767, 1},
        {"40000", "40", false, RESIZE_OUT_OF_RANGE, 0, 0, 0},
        {"60", "32768", false, RESIZE_OUT_OF_RANGE, 1, 0, 0},
        {"0", "40", false, RESIZE_OUT_OF_RANGE, 0, 0, 0},
        {"60", "-5", false, RESIZE_OUT_OF_RANGE, 1, 0, 0},
        {"", "40", false, RESIZE_NOT_A_NUMBER, 0, 0, 0},
        {"60", "4o", false, RESIZE_NOT_A_NUMBER, 1, 0, 0},
        // 1000 x 500 at 100 x 200 dpi: width = x' / 100 * 1000, height = y' / 200 * 500.
        {"50", "100", true, RESIZE_ACCEPTED, 0, 500, 250},
        {"33", "199", true, RESIZE_ACCEPTED, 0, 330, 497},
        {"0", "100", true, RESIZE_OUT_OF_RANGE, 0, 0, 0},
        {"9999", "100", true, RESIZE_OUT_OF_RANGE, 0, 0, 0},
        {"2147483647", "100", true, RESIZE_OUT_OF_RANGE, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const ResizeOutcome out = resize_outcome({c.w, c.h, c.dpi, 1000, 500, 100, 200});
        EXPECT_EQ(out.verdict, c.verdict) << c.w << " x " << c.h << (c.dpi ? " dpi" : "");
        EXPECT_EQ(out.field, c.field) << c.w << " x " << c.h;
        EXPECT_EQ(out.width, c.width) << c.w << " x " << c.h;
        EXPECT_EQ(out.height, c.height) << c.w << " x " << c.h;
    }
    EXPECT_TRUE(resize_dpi_offered(50, 72));
    EXPECT_FALSE(resize_dpi_offered(300, 49));
    EXPECT_FALSE(resize_dpi_offered(0, 0));
}

// The edges offered for a turned page of 200 x 100 shown in a view with margins.
TEST(OperationDialogs, CropStartsFromTheSelection) {
    struct Case {
        const char* what;
        CropView view;
        CropEdges expected;
    } cases[] = {
        {"no selection", {0, 0, 0, 0, 0, 0, 256, 40, 10}, {0, 199, 0, 99}},
        {"at 100 % behind margins", {60, 20, 100, 50, 0, 0, 256, 40, 10}, {20, 60, 10, 40}},
        {"zoomed out to half", {60, 20, 100, 50, 0, 0, 512, 40, 10}, {40, 120, 20, 80}},
        {"scrolled and zoomed in", {10, 10, 30, 20, 50, 30, 128, 0, 0}, {55, 65, 35, 40}},
        {"starting in the margin", {0, 0, 80, 30, 0, 0, 256, 40, 10}, {0, 40, 0, 20}},
        {"running past the page", {140, 50, 400, 300, 0, 0, 256, 0, 0}, {140, 199, 50, 99}},
        {"beyond the page", {500, 400, 600, 500, 0, 0, 256, 0, 0}, {199, 199, 0, 99}},
    };
    for (const Case& c : cases) {
        const CropEdges e = crop_start(200, 100, c.view);
        EXPECT_EQ(e.left, c.expected.left) << c.what;
        EXPECT_EQ(e.right, c.expected.right) << c.what;
        EXPECT_EQ(e.top, c.expected.top) << c.what;
        EXPECT_EQ(e.bottom, c.expected.bottom) << c.what;
    }
}

TEST(OperationDialogs, CropSizeTexts) {
    CropSizeTexts t = crop_size_texts("0", "199", "0", "99");
    EXPECT_EQ(t.width, "200");
    EXPECT_EQ(t.height, "100");
    EXPECT_EQ(t.ratio, "1 : 0.500");
    t = crop_size_texts("10", "12", "5", "25");
    EXPECT_EQ(t.ratio, "1 : 7.000");
    t = crop_size_texts("10", "9", "0", "0");
    EXPECT_EQ(t.width, "0");
    EXPECT_EQ(t.ratio, "") << "no ratio without a width";
    t = crop_size_texts("10", "", "0", "0");
    EXPECT_EQ(t.width, "");
}

TEST(OperationDialogs, CropAcceptsEdgesOnThePageOnly) {
    struct Case {
        const char* edges[4];
        CropVerdict verdict;
        int field;
        int32_t x, y, w, h;
    } cases[] = {
        {{"0", "199", "0", "99"}, CROP_ACCEPTED, 0, 0, 0, 200, 100},
        {{"20", "60", "10", "40"}, CROP_ACCEPTED, 0, 20, 10, 41, 31},
        {{"5", "5", "7", "7"}, CROP_ACCEPTED, 0, 5, 7, 1, 1},
        {{"0", "200", "0", "99"}, CROP_OUT_OF_BOUNDS, 0, 0, 0, 0, 0},
        {{"0", "199", "0", "100"}, CROP_OUT_OF_BOUNDS, 0, 0, 0, 0, 0},
        {{"-1", "10", "0", "10"}, CROP_OUT_OF_BOUNDS, 0, 0, 0, 0, 0},
        {{"200", "199", "0", "10"}, CROP_OUT_OF_BOUNDS, 0, 0, 0, 0, 0},
        {{"0", "10", "0", "9999999"}, CROP_OUT_OF_BOUNDS, 0, 0, 0, 0, 0},
        {{"50", "10", "0", "10"}, CROP_REVERSED, 1, 0, 0, 0, 0},
        {{"0", "10", "60", "10"}, CROP_REVERSED, 3, 0, 0, 0, 0},
        {{"0", "10", "x", "10"}, CROP_NOT_A_NUMBER, 2, 0, 0, 0, 0},
        {{"0", "", "0", "10"}, CROP_NOT_A_NUMBER, 1, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const CropOutcome out = crop_outcome(c.edges, 200, 100);
        const std::string what = std::string(c.edges[0]) + "," + c.edges[1] + "," + c.edges[2] + "," + c.edges[3];
        EXPECT_EQ(out.verdict, c.verdict) << what;
        EXPECT_EQ(out.field, c.field) << what;
        EXPECT_EQ(out.x, c.x) << what;
        EXPECT_EQ(out.y, c.y) << what;
        EXPECT_EQ(out.width, c.w) << what;
        EXPECT_EQ(out.height, c.h) << what;
    }
}

TEST(OperationDialogs, ColorDepthEntriesAndResults) {
    struct Case {
        int depth, entry;
    } entries[] = {{1, 0}, {2, 1}, {4, 1}, {8, 2}, {15, 3}, {16, 3}, {24, 4}, {32, 4}};
    for (const Case& c : entries) EXPECT_EQ(color_depth_entry(c.depth), c.entry) << c.depth;
    struct Result {
        int entry;
        bool diffusion;
        int result, depth, method;
    } results[] = {{0, true, 0x101, 1, 2}, {0, false, 1, 1, 0}, {2, true, 0x108, 8, 2},
                   {3, false, 16, 16, 0},  {4, true, 0x118, 24, 2}, {4, false, 24, 24, 0}};
    for (const Result& r : results) {
        EXPECT_EQ(color_result(r.entry, r.diffusion), r.result);
        const DepthChange change = depth_change(r.result);
        EXPECT_EQ(change.depth, r.depth);
        EXPECT_EQ(change.method, r.method);
    }
}
