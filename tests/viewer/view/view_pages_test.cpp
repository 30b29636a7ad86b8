// Page navigation rules of the image view.
#include <gtest/gtest.h>

#include "imaging.h"
#include "view/view_pages.h"

TEST(ViewPages, StepsStopAtTheEndsWithABeep) {
    EXPECT_EQ(page_command_target(PAGE_NEXT, 0, 3, false).move, MOVE_READ);
    EXPECT_EQ(page_command_target(PAGE_NEXT, 0, 3, false).page, 1);
    EXPECT_EQ(page_command_target(PAGE_NEXT, 2, 3, false).move, MOVE_BEEP);
    EXPECT_EQ(page_command_target(PAGE_NEXT, 0, 1, false).move, MOVE_BEEP);
    EXPECT_EQ(page_command_target(PAGE_PREVIOUS, 0, 3, false).move, MOVE_BEEP);
    EXPECT_EQ(page_command_target(PAGE_PREVIOUS, 2, 3, false).page, 1);
    // First and last do nothing where they already are; "Go to page..." needs two pages.
    EXPECT_EQ(page_command_target(PAGE_FIRST, 0, 3, false).move, MOVE_STAY);
    EXPECT_EQ(page_command_target(PAGE_FIRST, 2, 3, false).page, 0);
    EXPECT_EQ(page_command_target(PAGE_LAST, 2, 3, false).move, MOVE_STAY);
    EXPECT_EQ(page_command_target(PAGE_LAST, 0, 3, false).page, 2);
    EXPECT_EQ(page_command_target(PAGE_GO_TO, 0, 1, false).move, MOVE_BEEP);
    EXPECT_EQ(page_command_target(PAGE_GO_TO, 0, 2, false).move, MOVE_STAY);
}

TEST(ViewPages, AnimatedFramesOnlyGoForward) {
    EXPECT_TRUE(frames_only_forward(FMT_GIF));
    EXPECT_TRUE(frames_only_forward(FMT_FLI));
    EXPECT_FALSE(frames_only_forward(FMT_AVI));
    EXPECT_EQ(page_command_target(PAGE_PREVIOUS, 3, 5, true).move, MOVE_BEEP);
    EXPECT_EQ(page_command_target(PAGE_NEXT, 3, 5, true).move, MOVE_READ);
    EXPECT_TRUE(composites_frames(FMT_QUICKTIME));
    EXPECT_FALSE(composites_frames(FMT_TIFF));
    EXPECT_EQ(animation_next(4, 5), 0);
    EXPECT_EQ(animation_next(1, 5), 2);
    EXPECT_EQ(animation_next(0, 0), 0);
}

TEST(ViewPages, MovieSeekStepsBackToAKeyFrame) {
    const uint8_t keys[8] = {1, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(key_frame_at_or_before(keys, 8, 2), 0);
    EXPECT_EQ(key_frame_at_or_before(keys, 8, 3), 3);
    EXPECT_EQ(key_frame_at_or_before(keys, 8, 7), 3);
    EXPECT_EQ(key_frame_at_or_before(keys, 8, 500), 3);  // past the end: from the last frame
    const uint8_t none[3] = {0, 0, 0};
    EXPECT_EQ(key_frame_at_or_before(none, 3, 2), 0);  // frame 0 always qualifies
    EXPECT_EQ(key_frame_at_or_before(nullptr, 3, 2), -1);
}

TEST(ViewPages, PageBoxAcceptsOnlyPagesOfTheFile) {
    EXPECT_EQ(page_box_index("1", 4), 0);
    EXPECT_EQ(page_box_index(" 4 ", 4), 3);
    EXPECT_EQ(page_box_index("5", 4), -1);
    EXPECT_EQ(page_box_index("0", 4), -1);
    EXPECT_EQ(page_box_index("", 4), -1);
    EXPECT_EQ(page_box_index("2x", 4), -1);
    EXPECT_EQ(page_box_index("-1", 4), -1);
    EXPECT_EQ(page_box_index("99999999999999", 4), -1);
}
