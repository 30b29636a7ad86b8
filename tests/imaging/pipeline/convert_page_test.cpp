// convert_page: the equal-code copy (owned, rebased, upright), decoder and encoder
// dispatch, missing codecs and the inversion of black_is_one run-length results.
#include <gtest/gtest.h>

#include "codecs/bilevel_runs.h"
#include "read_page_test_util.h"

TEST(ConvertPage, EqualCodesCopyAndTurnBottomUpRowsUpright) {
    Bytes rows = {1, 2, 3, 0, 4, 5, 6, 0};  // two 3-pixel 8-bit rows, bottom-up
    PageBitmap src = borrowed_rows(rows, 3, 2, 4, 8);
    src.layout = LAYOUT_BOTTOM_UP | LAYOUT_BMP;
    ScopedPage out;
    out->compression = COMP_NONE;
    ASSERT_EQ(convert_page(&src, out.get(), 0), IMG_OK);
    EXPECT_NE(out->data, rows.data());
    EXPECT_EQ(out->ownership, OWN_ALLOCATED);
    EXPECT_EQ(out->layout & (LAYOUT_BOTTOM_UP | LAYOUT_TOP_DOWN), LAYOUT_TOP_DOWN);
    EXPECT_EQ(out->data[0], 4);
    EXPECT_EQ(out->data[4], 1);
    EXPECT_EQ(rows[0], 1);  // the source is untouched
}

TEST(ConvertPage, RunLengthCopyIsRebasedToItsOwnBuffer) {
    Bytes rows = {0xF0, 0, 0, 0, 0x3C, 0, 0, 0};
    PageBitmap src = borrowed_rows(rows, 8, 2, 4, 1);
    ScopedPage runs, copy;
    runs->compression = COMP_RUNS;
    ASSERT_EQ(convert_page(&src, runs.get(), 0), IMG_OK);
    copy->compression = COMP_RUNS;
    ASSERT_EQ(convert_page(runs.get(), copy.get(), 0), IMG_OK);
    ASSERT_NE(copy->data, runs->data);
    // Every row pointer of the copy lies in the copy.
    uint8_t** table = reinterpret_cast<uint8_t**>(copy->data);
    for (int y = 0; y < 2; ++y) {
        EXPECT_GE(table[y], copy->data);
        EXPECT_LT(table[y], copy->data + copy->data_length);
    }
    EXPECT_EQ(bilevel_pixels(copy.page), bilevel_pixels(runs.page));
    EXPECT_EQ(bilevel_pixels(copy.page)[1], (std::vector<int>{0, 0, 1, 1, 1, 1, 0, 0}));
}

TEST(ConvertPage, MissingCodecAnswersParameterError) {
    Bytes rows(16, 0);
    PageBitmap src = borrowed_rows(rows, 4, 4, 4, 8);
    src.compression = COMP_FLATE;  // never reaches a decoder
    ScopedPage out;
    out->compression = COMP_NONE;
    EXPECT_EQ(convert_page(&src, out.get(), 0), ERR_PARAMETER);
    src.compression = COMP_NONE;
    out->compression = COMP_IBM_MMR;  // no encoder
    EXPECT_EQ(convert_page(&src, out.get(), 0), ERR_PARAMETER);
    EXPECT_EQ(out->data, nullptr);
}

TEST(ConvertPage, RunLengthResultWithBlackIsOneIsInverted) {
    Bytes rows = {0xF0, 0, 0, 0};
    PageBitmap src = borrowed_rows(rows, 8, 1, 4, 1);
    ScopedPage runs, copy;
    runs->compression = COMP_RUNS;
    ASSERT_EQ(convert_page(&src, runs.get(), 0), IMG_OK);
    runs->black_is_one = 1;  // as a fax decoder may deliver it
    copy->compression = COMP_RUNS;
    ASSERT_EQ(convert_page(runs.get(), copy.get(), 0), IMG_OK);
    EXPECT_EQ(copy->black_is_one, 0);
    EXPECT_EQ(bilevel_pixels(copy.page)[0], (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
}

TEST(ConvertPage, PaletteIsCopiedForTheResult) {
    Bytes rows = {1, 2, 3, 4};
    PageBitmap src = borrowed_rows(rows, 4, 1, 4, 8);
    uint8_t* palette = static_cast<uint8_t*>(mem_alloc(768));
    palette[3] = 9;
    src.palette = palette;
    ScopedPage out;
    out->compression = COMP_NONE;
    ASSERT_EQ(convert_page(&src, out.get(), 0), IMG_OK);
    ASSERT_NE(out->palette, nullptr);
    EXPECT_NE(out->palette, palette);
    EXPECT_EQ(out->palette[3], 9);
    mem_free(palette);
}

TEST(ConvertPage, BilevelPackedToRunsAndBackToPacked) {
    Bytes rows = {0xA5, 0x80, 0, 0};
    PageBitmap src = borrowed_rows(rows, 9, 1, 4, 1);
    ScopedPage runs, packed;
    runs->compression = COMP_RUNS;
    ASSERT_EQ(convert_page(&src, runs.get(), 0), IMG_OK);
    EXPECT_EQ(runs->compression, COMP_RUNS);
    packed->compression = COMP_NONE;
    ASSERT_EQ(convert_page(runs.get(), packed.get(), 0), IMG_OK);
    EXPECT_EQ(packed->compression, COMP_NONE);
    EXPECT_EQ(packed->data[0], 0xA5);
    EXPECT_EQ(packed->data[1] & 0x80, 0x80);
}
