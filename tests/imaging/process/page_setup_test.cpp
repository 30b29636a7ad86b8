// Animation canvases: the logical screen a frame makes, and frames composed onto it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging.h"
#include "process/operations.h"

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

TEST(PageSetup, AnimationFramesComposeOntoACanvasMadeForThem) {
    uint8_t palette[768] = {};
    std::vector<uint8_t> rows = {3, 4, 0, 0};  // one 8-bit row of 2 pixels, pitch 4
    PageBitmap frame{};
    frame.width = 2;
    frame.height = 1;
    frame.left = 1;
    frame.screen_width = 4;
    frame.screen_height = 2;
    frame.bits_per_pixel = 8;
    frame.pitch = 4;
    frame.data = rows.data();
    frame.data_length = 4;
    frame.ownership = OWN_BORROWED;
    frame.background_index = 9;
    frame.palette = palette;
    palette[0] = 42;
    PageBitmap canvas{};
    ASSERT_EQ(compose_animation_frame(&canvas, &frame), IMG_OK);  // made, then drawn
    ASSERT_EQ(canvas.width, 4);
    EXPECT_EQ(canvas.data[0], 9);
    EXPECT_EQ(canvas.data[1], 3);
    EXPECT_EQ(canvas.data[2], 4);
    EXPECT_EQ(canvas.palette[0], 42);
    uint8_t* kept = canvas.data;
    rows[0] = 5;
    palette[0] = 43;
    frame.left = 0;
    ASSERT_EQ(compose_animation_frame(&canvas, &frame), IMG_OK);  // drawn over the same canvas
    EXPECT_EQ(canvas.data, kept);
    EXPECT_EQ(canvas.data[0], 5);
    EXPECT_EQ(canvas.data[2], 4);
    EXPECT_EQ(canvas.palette[0], 43);
    frame.bits_per_pixel = 1;
    EXPECT_EQ(compose_animation_frame(&canvas, &frame), ERR_BIT_DEPTH);  // shown on its own
    release_page(&canvas);
}
