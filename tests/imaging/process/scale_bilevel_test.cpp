// scale_page on bilevel run-length pages: exact drawing at 1:1, thin strokes kept
// through reductions, the every-second-row rule above 4:1, enlargement, the grey
// anti-aliasing values, and the span clearing that draws every run.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codecs/run_form.h"
#include "process/scale_runs.h"
#include "scale_test_pages.h"

namespace {
BitMatrix blank(int32_t w, int32_t h) { return BitMatrix((size_t)h, std::vector<uint8_t>((size_t)w, 1)); }

BitMatrix random_picture(int32_t w, int32_t h, unsigned seed) {
    std::mt19937 rng(seed);
    BitMatrix m = blank(w, h);
    for (auto& row : m) {
        uint8_t colour = 1;
        for (auto& px : row) {
            if (rng() % 5 == 0) colour ^= 1;  // runs of a few pixels
            px = colour;
        }
    }
    return m;
}

struct Bits {
    std::vector<uint8_t> bytes;
    int32_t pitch;
    bool white(int32_t x, int32_t y) const { return (bytes[(size_t)y * pitch + (x >> 3)] >> (7 - (x & 7))) & 1; }
};

ViewParams bilevel_view(Bits& out, int32_t w, int32_t h, int32_t xs, int32_t ys, int32_t sx = 0, int32_t sy = 0,
                        uint8_t flags = 0) {
    return test_view(out.bytes.data(), out.pitch, w, h, xs, ys, 0, sx, sy, flags);
}

Bits draw(const PageBitmap& page, int32_t w, int32_t h, int32_t xs, int32_t ys, int32_t sx = 0, int32_t sy = 0,
          int top_down = 1) {
    Bits out{std::vector<uint8_t>((size_t)((w + 31) / 32 * 4) * h, 0x5A), (w + 31) / 32 * 4};
    const ViewParams v = bilevel_view(out, w, h, xs, ys, sx, sy);
    EXPECT_EQ(scale_page(&page, &v, top_down, nullptr), 0);
    return out;
}
}  // namespace

TEST(ScaleBilevel, OneToOneDrawsRunsExactly) {
    const BitMatrix pic = random_picture(203, 40, 7);
    OwnedPage p;
    make_run_page(p.page, pic);
    for (int32_t sx : {0, 3, 100}) {
        const Bits out = draw(p.page, 120, 30, 256, 256, sx, 5);
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 120; ++x) {
                const bool expected = sx + x < 203 ? pic[(size_t)(y + 5)][(size_t)(sx + x)] : true;
                ASSERT_EQ(out.white(x, y), expected) << "origin " << sx << " at " << x << "," << y;
            }
    }
}

TEST(ScaleBilevel, BottomUpOutputReversesRows) {
    BitMatrix pic = blank(16, 4);
    pic[0][3] = 0;
    OwnedPage p;
    make_run_page(p.page, pic);
    const Bits out = draw(p.page, 16, 4, 256, 256, 0, 0, 0);
    EXPECT_FALSE(out.white(3, 3));
    EXPECT_TRUE(out.white(3, 0));
}

TEST(ScaleBilevel, ThinLinesSurviveThreeToOne) {
    // A fax-width page with a one-pixel vertical line and a one-pixel horizontal line.
    BitMatrix pic = blank(1728, 300);
    for (auto& row : pic) row[1001] = 0;
    for (auto& px : pic[151]) px = 0;
    OwnedPage p;
    make_run_page(p.page, pic);
    const Bits out = draw(p.page, 576, 100, 768, 768);
    for (int32_t y = 0; y < 100; ++y) ASSERT_FALSE(out.white(1001 / 3, y)) << "vertical line lost in row " << y;
    EXPECT_TRUE(out.white(1001 / 3 + 1, 10));
    EXPECT_TRUE(out.white(1001 / 3 - 1, 10));
    int rows_with_line = 0;
    for (int32_t y = 0; y < 100; ++y) rows_with_line += !out.white(5, y);
    EXPECT_EQ(rows_with_line, 1);
    EXPECT_FALSE(out.white(5, 151 / 3));
}

TEST(ScaleBilevel, ReductionMergesRowsIntoTheirOutputRow) {
    // At 2:1 output row r holds source rows 2r and 2r + 1.
    for (int32_t line = 0; line < 8; ++line) {
        BitMatrix pic = blank(8, 8);
        pic[(size_t)line][2] = 0;
        OwnedPage p;
        make_run_page(p.page, pic);
        const Bits out = draw(p.page, 4, 4, 512, 512);
        for (int32_t y = 0; y < 4; ++y) ASSERT_EQ(out.white(1, y), y != line / 2) << "line " << line;
    }
}

TEST(ScaleBilevel, AboveFourToOneDrawsEverySecondRow) {
    // At 5:1 the first, third, ... source rows from the window's top are skipped.
    for (int32_t line = 0; line < 10; ++line) {
        BitMatrix pic = blank(20, 20);
        for (auto& px : pic[(size_t)line]) px = 0;
        OwnedPage p;
        make_run_page(p.page, pic);
        const Bits out = draw(p.page, 4, 4, 1280, 1280);
        bool seen = false;
        for (int32_t y = 0; y < 4; ++y) seen |= !out.white(0, y);
        EXPECT_EQ(seen, line % 2 == 1) << "line " << line;
    }
    // At exactly 4:1 every row is drawn.
    BitMatrix pic = blank(20, 20);
    for (auto& px : pic[4]) px = 0;
    OwnedPage p;
    make_run_page(p.page, pic);
    const Bits out = draw(p.page, 5, 5, 1024, 1024);
    EXPECT_FALSE(out.white(0, 1));
}

TEST(ScaleBilevel, EnlargementRepeatsPixelsAndRows) {
    const BitMatrix pic = random_picture(30, 12, 3);
    OwnedPage p;
    make_run_page(p.page, pic);
    const Bits out = draw(p.page, 60, 36, 128, 85);  // 2x across, about 3x down
    uint32_t acc = 0;
    int32_t src = 0;
    for (int32_t y = 0; y < 36 && src < 12; ++y) {
        for (int32_t x = 0; x < 60; ++x) ASSERT_EQ(out.white(x, y), pic[(size_t)src][(size_t)(x / 2)]) << x << "," << y;
        acc += 85 * 256;
        if (acc > 65535) ++src, acc -= 65536;
    }
}

TEST(ScaleBilevel, ShortRunsCoverAtLeastOnePixel) {
    // Isolated single black pixels at 7:1 across still mark their output pixel.
    BitMatrix pic = blank(700, 7);
    for (int32_t x = 3; x < 700; x += 70) pic[3][(size_t)x] = 0;
    OwnedPage p;
    make_run_page(p.page, pic);
    const Bits out = draw(p.page, 100, 1, 7 * 256, 7 * 256);
    for (int32_t x = 3; x < 700; x += 70) EXPECT_FALSE(out.white(x / 7, 0)) << x;
    int black = 0;
    for (int32_t x = 0; x < 100; ++x) black += !out.white(x, 0);
    EXPECT_EQ(black, 10);
}

TEST(ScaleBilevel, RefusalsAndEmptyWindows) {
    OwnedPage p;
    make_run_page(p.page, blank(16, 16));
    Bits out{std::vector<uint8_t>(64, 0x5A), 4};
    ViewParams v = bilevel_view(out, 16, 16, 256, 256);
    v.out_pitch = 1;  // too short for 16 pixels
    EXPECT_EQ(scale_page(&p.page, &v, 1, nullptr), ERR_PARAMETER);
    v = bilevel_view(out, 16, 16, 256, 256, 16, 0);
    EXPECT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
    for (uint8_t b : out.bytes) ASSERT_EQ(b, 0x5A);
    v = bilevel_view(out, 16, 16, 256, 256);
    v.angle = 45;  // not used for bilevel pages
    EXPECT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
    p.page.compression = COMP_NONE;  // packed rows are not drawn
    EXPECT_EQ(scale_page(&p.page, &v, 1, nullptr), ERR_PARAMETER);
}

TEST(ScaleBilevel, DamagedRunTableStaysInsideBuffer) {
    OwnedPage p;
    make_run_page(p.page, random_picture(50, 6, 11));
    // Point row 2 outside the buffer and cut the data so the last row's runs end early.
    const uint8_t* outside = p.page.data + p.page.data_length + 4096;
    std::memcpy(p.page.data + 2 * sizeof(void*), &outside, sizeof outside);
    p.page.data_length -= 1;
    const Bits out = draw(p.page, 50, 6, 256, 256);
    for (int32_t x = 0; x < 50; ++x) EXPECT_TRUE(out.white(x, 2));
}

namespace {
// 4-bit value of output pixel x of a grey row.
unsigned grey_at(const std::vector<uint8_t>& bytes, int32_t pitch, int32_t x, int32_t y) {
    const uint8_t b = bytes[(size_t)y * pitch + (x >> 1)];
    return (x & 1) ? b & 15u : (unsigned)b >> 4;
}
}  // namespace

TEST(ScaleBilevelGrey, CellValuesByWhiteCount) {
    // 2:1 makes each 2 x 2 source cell one output pixel: 0..4 white pixels give
    // 0, 4, 8, 7, 15; a checkerboard cell has two.
    BitMatrix pic = blank(10, 2);
    const int whites[5][4] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, 0, 1}, {1, 1, 0, 1}, {1, 1, 1, 1}};
    for (int c = 0; c < 5; ++c) {
        pic[0][(size_t)(2 * c)] = (uint8_t)whites[c][0];
        pic[0][(size_t)(2 * c + 1)] = (uint8_t)whites[c][1];
        pic[1][(size_t)(2 * c)] = (uint8_t)whites[c][2];
        pic[1][(size_t)(2 * c + 1)] = (uint8_t)whites[c][3];
    }
    OwnedPage p;
    make_run_page(p.page, pic);
    const int32_t pitch = view_row_bytes(5, 4);
    EXPECT_EQ(pitch, ((5 + 7) / 2) & ~3);
    std::vector<uint8_t> out((size_t)pitch, 0x99);
    const ViewParams v = test_view(out.data(), 0, 5, 1, 512, 512, 0, 0, 0, VIEW_GREY_BILEVEL);
    ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
    const unsigned expected[5] = {0, 4, 8, 7, 15};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(grey_at(out, pitch, c, 0), expected[c]) << "cell " << c;
}

TEST(ScaleBilevelGrey, MatchesCellCountsOfDoubleSizeDrawing) {
    // Anti-aliased output equals the plain drawing at twice the size with halved
    // scales, cell by cell.
    const BitMatrix pic = random_picture(300, 90, 5);
    OwnedPage p;
    make_run_page(p.page, pic);
    const int32_t w = 50, h = 15, xs = 1536, ys = 1536;
    const Bits twice = draw(p.page, 2 * w, 2 * h, xs / 2, ys / 2);
    const int32_t pitch = view_row_bytes(w, 4);
    std::vector<uint8_t> out((size_t)pitch * h, 0x99);
    const ViewParams v = test_view(out.data(), 0, w, h, xs, ys, 0, 0, 0, VIEW_GREY_BILEVEL);
    ASSERT_EQ(scale_page(&p.page, &v, 0, nullptr), 0);  // bottom-up this time
    const unsigned grey[5] = {0, 4, 8, 7, 15};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int whites = twice.white(2 * x, 2 * y) + twice.white(2 * x + 1, 2 * y) +
                               twice.white(2 * x, 2 * y + 1) + twice.white(2 * x + 1, 2 * y + 1);
            ASSERT_EQ(grey_at(out, pitch, x, h - 1 - y), grey[whites]) << x << "," << y;
        }
}

TEST(BilevelSpans, ClearExactlyTheSpanBits) {
    for (int32_t start = 0; start < 40; ++start)
        for (int32_t end = start + 1; end <= 48; ++end) {
            uint8_t row[6];
            std::memset(row, 0xFF, sizeof row);
            clear_span(row, start, end);
            for (int32_t x = 0; x < 48; ++x) {
                const bool white = (row[x >> 3] >> (7 - (x & 7))) & 1;
                ASSERT_EQ(white, x < start || x >= end) << start << ".." << end << " bit " << x;
            }
        }
}
