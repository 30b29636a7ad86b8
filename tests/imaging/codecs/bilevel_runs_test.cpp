// Packed bilevel rows to the run-length form and back, run coding at the 127/128
// boundary, inversion and row order.
#include <gtest/gtest.h>

#include <random>

#include "codecs/bilevel_runs.h"
#include "codecs/run_form.h"
#include "read_page_test_util.h"

namespace {


std::vector<uint8_t> row_runs(const PageBitmap& runs, int32_t y) {
    const RunRow row = run_row(runs, y);
    const uint8_t* r = row.bytes;
    const size_t avail = row.avail;
    std::vector<uint8_t> out;
    // Collect pairs up to the one whose black run is 0.
    for (size_t pos = 0; r && pos < avail;) {
        int used = 0;
        run_read(r + pos, avail - pos, &used);
        out.insert(out.end(), r + pos, r + pos + used);
        pos += used;
        const int black = run_read(r + pos, avail - pos, &used);
        out.insert(out.end(), r + pos, r + pos + used);
        pos += used;
        if (black == 0) break;
    }
    return out;
}

}  // namespace

TEST(BilevelRuns, PackedRowBecomesWhiteBlackPairs) {
    // 16 pixels: 3 white, 5 black, 8 white.
    Bytes rows = {0xE0, 0xFF, 0, 0};
    PageBitmap src = borrowed_rows(rows, 16, 1, 4, 1);
    PageBitmap out{};
    ASSERT_EQ(bilevel_decode_packed(&src, &out, 0), IMG_OK);
    EXPECT_EQ(out.compression, COMP_RUNS);
    EXPECT_EQ(row_runs(out, 0), (std::vector<uint8_t>{3, 5, 8, 0}));
    release_page(&out);
}

TEST(BilevelRuns, RowStartingOrEndingBlack) {
    // 10 pixels: 2 black, 6 white, 2 black. Opens with a white run of 0 and closes
    // with an empty pair after the last black run.
    Bytes rows = {0x3F, 0x00, 0, 0};
    PageBitmap src = borrowed_rows(rows, 10, 1, 4, 1);
    PageBitmap out{};
    ASSERT_EQ(bilevel_decode_packed(&src, &out, 0), IMG_OK);
    EXPECT_EQ(row_runs(out, 0), (std::vector<uint8_t>{0, 2, 6, 2, 0, 0}));
    release_page(&out);
}

TEST(BilevelRuns, RunsOf127And128TakeOneAndTwoBytes) {
    const int32_t width = 127 + 128 + 1;
    Bytes rows((size_t)row_bytes_aligned(width, 1), 0);
    for (int x = 0; x < 127; ++x) rows[x >> 3] |= (uint8_t)(0x80 >> (x & 7));  // 127 white, then black
    rows[255 >> 3] |= (uint8_t)(0x80 >> (255 & 7));                           // last pixel white
    PageBitmap src = borrowed_rows(rows, width, 1, (int32_t)rows.size(), 1);
    PageBitmap out{};
    ASSERT_EQ(bilevel_decode_packed(&src, &out, 0), IMG_OK);
    EXPECT_EQ(row_runs(out, 0), (std::vector<uint8_t>{127, 0x80, 0x80, 1, 0}));
    release_page(&out);
}

TEST(BilevelRuns, RandomPagesSurviveTheRoundTrip) {
    std::mt19937 rng(7);
    for (int32_t width : {1, 7, 8, 9, 63, 200, 1728}) {
        const int32_t height = 5, pitch = row_bytes_aligned(width, 1);
        Bytes rows((size_t)pitch * height);
        for (auto& b : rows) b = (uint8_t)(rng() % 3 ? rng() : (rng() & 1) * 0xFF);
        PageBitmap src = borrowed_rows(rows, width, height, pitch, 1);
        PageBitmap runs{}, back{};
        ASSERT_EQ(bilevel_decode_packed(&src, &runs, 0), IMG_OK);
        back.compression = COMP_NONE;
        ASSERT_EQ(bilevel_encode_packed(&runs, &back, 0), IMG_OK);
        ASSERT_EQ(back.pitch, pitch);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                ASSERT_EQ(pixel_at(back, x, y), pixel_at(src, x, y)) << width << " " << x << "," << y;
        release_page(&runs);
        release_page(&back);
    }
}

TEST(BilevelRuns, BlackIsOneBottomUpAndBitOrderAreNormalised) {
    // Two rows stored bottom-up with set bits black: picture row 0 is the second
    // stored row.
    Bytes rows = {0xF0, 0, 0, 0, 0x0F, 0, 0, 0};
    PageBitmap src = borrowed_rows(rows, 8, 2, 4, 1);
    src.black_is_one = 1;
    src.layout = LAYOUT_BOTTOM_UP;
    PageBitmap out{};
    ASSERT_EQ(bilevel_decode_packed(&src, &out, 0), IMG_OK);
    EXPECT_EQ(out.black_is_one, 0);
    EXPECT_EQ(out.layout & (LAYOUT_BOTTOM_UP | LAYOUT_TOP_DOWN), LAYOUT_TOP_DOWN);
    const auto px = bilevel_pixels(out);
    ASSERT_EQ(px.size(), 2u);
    EXPECT_EQ(px[0], (std::vector<int>{1, 1, 1, 1, 0, 0, 0, 0}));  // stored 0x0F, set = black
    EXPECT_EQ(px[1], (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
    release_page(&out);
    // The same rows stored least significant bit first: each byte reads backwards.
    src.fill_order = 1;
    ASSERT_EQ(bilevel_decode_packed(&src, &out, 0), IMG_OK);
    EXPECT_EQ(out.fill_order, 0);
    const auto turned = bilevel_pixels(out);
    ASSERT_EQ(turned.size(), 2u);
    EXPECT_EQ(turned[0], (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(turned[1], (std::vector<int>{1, 1, 1, 1, 0, 0, 0, 0}));
    release_page(&out);
}

TEST(BilevelRuns, InvertSwapsColoursOfEveryRow) {
    Bytes rows = {0xE0, 0xFF, 0, 0, 0x00, 0x01, 0, 0};
    PageBitmap src = borrowed_rows(rows, 16, 2, 4, 1);
    PageBitmap runs{};
    ASSERT_EQ(bilevel_decode_packed(&src, &runs, 0), IMG_OK);
    const auto before = bilevel_pixels(runs);
    ASSERT_EQ(runs_invert_page(&runs), IMG_OK);
    const auto after = bilevel_pixels(runs);
    ASSERT_EQ(after.size(), 2u);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(after[y][x], 1 - before[y][x]) << x << "," << y;
    release_page(&runs);
}

TEST(BilevelRuns, MultiStripPagesFollowTheirStrips) {
    // Two strips of one row each, the second stored before the first.
    Bytes rows = {0x0F, 0, 0, 0, 0xF0, 0, 0, 0};
    PageBitmap src = borrowed_rows(rows, 8, 2, 4, 1);
    int32_t offsets[2] = {4, 0};
    uint32_t lengths[2] = {4, 4};
    src.strip_count = 2;
    src.rows_per_strip = 1;
    src.strip_offsets = offsets;
    src.strip_lengths = lengths;
    PageBitmap out{};
    ASSERT_EQ(bilevel_decode_packed(&src, &out, 0), IMG_OK);
    const auto px = bilevel_pixels(out);
    EXPECT_EQ(px[0], (std::vector<int>{1, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(px[1], (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
    release_page(&out);
}

TEST(BilevelRuns, BuilderGrowsAndRefusesRowsTooWideForRuns) {
    RunsBuilder b;
    EXPECT_EQ(runs_begin(&b, RUN_MAX + 1, 1, 0), ERR_UNSUPPORTED);
    // A checkerboard needs a byte per pixel: far beyond the tiny estimate.
    ASSERT_EQ(runs_begin(&b, 4000, 50, 1), IMG_OK);
    Bytes row(500, 0xAA);
    for (int y = 0; y < 50; ++y) ASSERT_EQ(runs_add_packed_row(&b, row.data(), row.size(), false), IMG_OK);
    PageBitmap page{};
    ASSERT_EQ(runs_finish(&b, &page), IMG_OK);
    const auto px = bilevel_pixels(page);
    ASSERT_EQ(px.size(), 50u);
    EXPECT_EQ(px[49][0], 1);
    EXPECT_EQ(px[49][1], 0);
    EXPECT_EQ(px[49][3999], 0);
    release_page(&page);
}
