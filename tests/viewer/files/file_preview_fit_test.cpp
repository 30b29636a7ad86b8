// The browser preview's decoding flags (reduced sizes by how much wider the picture
// is than the box) and the fit of a page into the box.
#include <gtest/gtest.h>

#include "files/file_preview_fit.h"
#include "imaging.h"

TEST(FilePreviewFit, ReducedDecodingByWidthAgainstTheBox) {
    constexpr int box = 100;
    EXPECT_EQ(preview_decode_flags(100, box, false), JPEG_RGB565);
    EXPECT_EQ(preview_decode_flags(200, box, false), JPEG_RGB565) << "exactly twice: full size";
    EXPECT_EQ(preview_decode_flags(201, box, false), JPEG_RGB565 | JPEG_HALF);
    EXPECT_EQ(preview_decode_flags(599, box, false), JPEG_RGB565 | JPEG_HALF);
    EXPECT_EQ(preview_decode_flags(600, box, false), JPEG_RGB565 | JPEG_THUMBNAIL) << "6x: eighth, thumbnail preferred";
    EXPECT_EQ(preview_decode_flags(4000, box, true), JPEG_RGB565 | JPEG_THUMBNAIL | JPEG_ACCEPT_DAMAGED);
    EXPECT_EQ(preview_decode_flags(50, box, true), JPEG_RGB565 | JPEG_ACCEPT_DAMAGED);
    EXPECT_EQ(preview_decode_flags(50, 0, false) & JPEG_THUMBNAIL, JPEG_THUMBNAIL) << "an empty box never divides by 0";
}

TEST(FilePreviewFit, WholePageFitsCentred) {
    // 400 x 200 into 100 x 100: scale 1024 (4 source pixels per output pixel).
    PreviewFit f = preview_fit(400, 200, 100, 100);
    EXPECT_EQ(f.scale, 1024);
    EXPECT_EQ(f.width, 100);
    EXPECT_EQ(f.height, 50);
    EXPECT_EQ(f.left, 0);
    EXPECT_EQ(f.top, 25);
    // A tall page: the height rules.
    f = preview_fit(100, 300, 120, 100);
    EXPECT_EQ(f.scale, 768);
    EXPECT_EQ(f.width, 33);
    EXPECT_EQ(f.height, 100);
    EXPECT_EQ(f.left, 43);
    EXPECT_EQ(f.top, 0);
}

TEST(FilePreviewFit, SmallPagesAreEnlargedAtMostEightTimes) {
    const PreviewFit f = preview_fit(2, 2, 120, 100);
    EXPECT_EQ(f.scale, 32);
    EXPECT_EQ(f.width, 16);
    EXPECT_EQ(f.height, 16);
    EXPECT_EQ(f.left, 52);
    EXPECT_EQ(f.top, 42);
}

TEST(FilePreviewFit, EmptySizesGiveNoFit) {
    EXPECT_EQ(preview_fit(0, 10, 100, 100).scale, 0);
    EXPECT_EQ(preview_fit(10, 10, 0, 100).width, 0);
    EXPECT_EQ(preview_fit(-5, 10, 100, 100).height, 0);
}

TEST(FilePreviewFit, HugePagesStayInsideTheBox) {
    const PreviewFit f = preview_fit(0x7FFFFFFF, 1, 100, 100);
    EXPECT_GT(f.scale, 0);
    EXPECT_GE(f.width, 1);
    EXPECT_LE(f.width, 100);
    EXPECT_EQ(f.height, 1);
}
