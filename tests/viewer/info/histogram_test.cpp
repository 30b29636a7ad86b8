// The luminance histogram: counts of known 24- and 16-bit pictures, the grouping of
// 16-bit counts, the median scale, the bars of the picture, and pages it must not read
// past or does not describe.
#include <gtest/gtest.h>

#include <numeric>

#include "info/histogram.h"
#include "tests/imaging/scale_test_pages.h"

namespace {

uint32_t bgr(int r, int g, int b) { return (uint32_t)b | (uint32_t)g << 8 | (uint32_t)r << 16; }
uint32_t rgb565(int r5, int g6, int b5) { return (uint32_t)(r5 << 11 | g6 << 5 | b5); }

}  // namespace

TEST(Histogram, CountsTheGreyValueOfEveryPixel) {
    struct Case {
        int bpp;
        uint32_t pixel;
        int grey;  // (r + 2g + b) / 4 of the widened channels
    } cases[] = {
        {24, bgr(255, 0, 0), 63},         {24, bgr(0, 255, 0), 127},       {24, bgr(0, 0, 255), 63},
        {24, bgr(255, 255, 255), 255},    {24, bgr(10, 20, 31), 20},       {16, rgb565(31, 63, 31), 255},
        {16, rgb565(31, 0, 0), 63},       {16, rgb565(0, 63, 0), 127},     {16, rgb565(0, 0, 1), 2},
        {16, rgb565(16, 32, 16), 130},    {16, rgb565(0, 0, 0), 0},
    };
    for (const Case& c : cases) {
        OwnedPage page;
        // 7 x 3 of the pixel and one row of black below it.
        make_pixel_page(page.page, 7, 4, c.bpp, [&](int32_t, int32_t y) { return y < 3 ? c.pixel : 0u; });
        uint32_t counts[HISTOGRAM_BINS];
        ASSERT_TRUE(count_luminance(page.page, counts));
        EXPECT_EQ(counts[c.grey], c.grey == 0 ? 28u : 21u) << c.bpp << " bits, pixel " << std::hex << c.pixel;
        EXPECT_EQ(std::accumulate(counts, counts + HISTOGRAM_BINS, 0u), 28u);
    }
}

// A 16-bit page's counts are averaged in fours before scaling; a 24-bit page's are not.
TEST(Histogram, PictureBarsFollowTheScaledCounts) {
    // 256 x 40 with grey level x in column x: every counter holds 40, median 40, scale 2.
    OwnedPage ramp;
    make_pixel_page(ramp.page, 256, 40, 24, [](int32_t x, int32_t) { return bgr(x, x, x); });
    HistogramPicture picture;
    ASSERT_TRUE(build_histogram(ramp.page, &picture));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(histogram_bar_height(picture, i), 20) << i;

    // One grey level only: the median is 0, scale 1, the bar is capped at 63 rows.
    OwnedPage flat;
    make_pixel_page(flat.page, 30, 30, 24, [](int32_t, int32_t) { return bgr(100, 100, 100); });
    ASSERT_TRUE(build_histogram(flat.page, &picture));
    EXPECT_EQ(histogram_bar_height(picture, 100), 63);
    EXPECT_EQ(histogram_bar_height(picture, 101), 0);
    EXPECT_EQ(picture.bits[100 / 8] & (0x80 >> (100 % 8)), 0) << "the top row stays black";

    // A 16-bit level (grey 130) spreads over its group 128..131.
    OwnedPage flat16;
    make_pixel_page(flat16.page, 10, 10, 16, [](int32_t, int32_t) { return rgb565(16, 32, 16); });
    ASSERT_TRUE(build_histogram(flat16.page, &picture));
    for (int i = 128; i < 132; ++i) EXPECT_EQ(histogram_bar_height(picture, i), 25) << i;
    EXPECT_EQ(histogram_bar_height(picture, 127), 0);
    EXPECT_EQ(histogram_bar_height(picture, 132), 0);
}

TEST(Histogram, ScaleIsTheMedianOverTwenty) {
    uint32_t counts[HISTOGRAM_BINS] = {};
    EXPECT_EQ(histogram_scale(counts), 1u);
    for (int i = 0; i < HISTOGRAM_BINS; ++i) counts[i] = (uint32_t)i;  // sorted element 128 is 128
    EXPECT_EQ(histogram_scale(counts), 6u);
    std::fill(counts, counts + HISTOGRAM_BINS, 20u);
    EXPECT_EQ(histogram_scale(counts), 1u);
    counts[0] = 1000000;  // one large counter does not move the median
    EXPECT_EQ(histogram_scale(counts), 1u);
    uint32_t grouped[HISTOGRAM_BINS] = {};
    grouped[4] = 9;
    grouped[7] = 3;
    smooth_in_fours(grouped);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(grouped[i], 3u);
    EXPECT_EQ(grouped[3], 0u);
}

// Only rows the buffer holds whole are counted; other depths and forms give no
// histogram and a black picture.
TEST(Histogram, ShortBuffersAndOtherPages) {
    OwnedPage page;
    make_pixel_page(page.page, 16, 8, 24, [](int32_t, int32_t) { return bgr(200, 200, 200); });
    page.page.data_length = page.page.pitch * 5 + 10;  // five whole rows and a piece
    uint32_t counts[HISTOGRAM_BINS];
    ASSERT_TRUE(count_luminance(page.page, counts));
    EXPECT_EQ(counts[200], 5u * 16u);
    page.page.data_length = 10;
    ASSERT_TRUE(count_luminance(page.page, counts));
    EXPECT_EQ(counts[200], 0u);

    for (int bpp : {1, 4, 8}) {
        OwnedPage other;
        make_pixel_page(other.page, 8, 8, bpp, [](int32_t, int32_t) { return 1u; });
        HistogramPicture picture;
        EXPECT_FALSE(build_histogram(other.page, &picture)) << bpp;
        EXPECT_EQ(std::accumulate(picture.bits, picture.bits + sizeof picture.bits, 0), 0) << bpp;
    }
    PageBitmap empty{};
    empty.bits_per_pixel = 24;
    EXPECT_TRUE(count_luminance(empty, counts));
    EXPECT_EQ(std::accumulate(counts, counts + HISTOGRAM_BINS, 0u), 0u);
}
