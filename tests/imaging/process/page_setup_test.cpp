// Pages a caller keeps: own copies of borrowed results, and animation canvases.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging.h"
#include "process/operations.h"

TEST(PageSetup, BorrowedResultsGetTheirOwnCopy) {
    std::vector<uint8_t> mapped = {9, 9, 1, 2, 3, 4};
    PageBitmap source{};
    source.data = mapped.data();
    PageBitmap result{};
    result.data = mapped.data();
    result.data_offset = 2;
    result.data_length = 4;
    result.ownership = OWN_BORROWED;
    ASSERT_EQ(own_page_data(source, &result), 0);
    EXPECT_NE(result.data, mapped.data());
    EXPECT_EQ(result.ownership, OWN_ALLOCATED);
    EXPECT_EQ(result.data_offset, 0);
    EXPECT_EQ(result.data[0], 1);
    EXPECT_EQ(result.data[3], 4);
    uint8_t* copy = result.data;
    ASSERT_EQ(own_page_data(source, &result), 0);  // already its own: unchanged
    EXPECT_EQ(result.data, copy);
    release_page(&result);
    PageBitmap empty{};
    EXPECT_EQ(own_page_data(source, &empty), ERR_PARAMETER);
}

TEST(PageSetup, FrameScreensTakeTheLogicalScreenAndBackground) {
    uint8_t palette[768] = {};
    palette[3 * 5] = 77;
    PageBitmap frame{};
    frame.width = 4;
    frame.height = 2;
    frame.screen_width = 10;
    frame.screen_height = 3;
    frame.bits_per_pixel = 4;
    frame.background_index = 5;
    frame.palette = palette;
    PageBitmap screen{};
    ASSERT_EQ(make_frame_screen(frame, &screen), 0);
    EXPECT_EQ(screen.width, 10);
    EXPECT_EQ(screen.height, 3);
    EXPECT_EQ(screen.data[0], 0x55);  // both half-bytes carry index 5
    EXPECT_EQ(screen.data[screen.data_length - 1], 0x55);
    EXPECT_EQ(screen.palette[15], 77);
    release_page(&screen);

    frame.bits_per_pixel = 8;
    frame.screen_width = 0;  // no logical screen: the frame's own size
    ASSERT_EQ(make_frame_screen(frame, &screen), 0);
    EXPECT_EQ(screen.width, 4);
    EXPECT_EQ(screen.data[3], 5);
    release_page(&screen);

    frame.bits_per_pixel = 24;
    EXPECT_EQ(make_frame_screen(frame, &screen), ERR_BIT_DEPTH);
    frame.bits_per_pixel = 8;
    frame.screen_width = -3;
    frame.width = -3;
    EXPECT_EQ(make_frame_screen(frame, &screen), ERR_BAD_HEADER);
    EXPECT_EQ(screen.data, nullptr);
}
