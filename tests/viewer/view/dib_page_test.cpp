// Clipboard bitmaps: blocks built by hand become the pages they describe, pages copied
// out come back with the same pixels, and damaged blocks are refused.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "view/dib_page.h"
#include "imaging.h"

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v);
    put16(b, at + 2, v >> 16);
}

// A DIB block of w x h at bpp with `table_bytes` of colour table / masks and rows of
// `stride` bytes produced by `pixel(x, y)` writing into the row.
std::vector<uint8_t> make_dib(int32_t w, int32_t h, int bpp, uint32_t compression, size_t table_bytes) {
    const size_t stride = ((size_t)w * bpp + 31) / 32 * 4;
    const int32_t rows = h < 0 ? -h : h;
    std::vector<uint8_t> b(40 + table_bytes + stride * rows, 0);
    put32(b, 0, 40);
    put32(b, 4, (uint32_t)w);
    put32(b, 8, (uint32_t)h);
    put16(b, 12, 1);
    put16(b, 14, (uint32_t)bpp);
    put32(b, 16, compression);
    put32(b, 24, 3780);  // 96 dpi
    put32(b, 28, 3780);
    return b;
}

size_t stride_of(int32_t w, int bpp) { return ((size_t)w * bpp + 31) / 32 * 4; }

struct OwnedPage {
    PageBitmap page{};
    ~OwnedPage() { release_page(&page); }
};

}  // namespace

TEST(DibPage, BottomUp24BitBecomesATopDownPage) {
    auto b = make_dib(3, 2, 24, 0, 0);
    const size_t s = stride_of(3, 24);
    // Last stored row is the top row: make the top-left pixel pure red (B, G, R).
    b[40 + s + 2] = 255;
    b[40 + 0] = 200;  // bottom-left blue
    OwnedPage p;
    ASSERT_EQ(page_from_dib(b.data(), b.size(), &p.page), 0);
    EXPECT_EQ(p.page.width, 3);
    EXPECT_EQ(p.page.height, 2);
    EXPECT_EQ(p.page.bits_per_pixel, 24);
    EXPECT_EQ(p.page.x_dpi, 96);
    EXPECT_EQ(p.page.data[2], 255);
    EXPECT_EQ(p.page.data[p.page.pitch], 200);
}

TEST(DibPage, NegativeHeightIsAlreadyTopDown) {
    auto b = make_dib(2, -2, 8, 0, 1024);
    b[40 + 1024] = 7;  // first stored row = top row
    OwnedPage p;
    ASSERT_EQ(page_from_dib(b.data(), b.size(), &p.page), 0);
    EXPECT_EQ(p.page.height, 2);
    EXPECT_EQ(p.page.data[0], 7);
}

TEST(DibPage, PaletteAndPolarityComeFromTheColourTable) {
    auto b = make_dib(2, 1, 8, 0, 1024);
    b[40 + 4 * 5 + 0] = 10;  // entry 5: blue 10, green 20, red 30
    b[40 + 4 * 5 + 1] = 20;
    b[40 + 4 * 5 + 2] = 30;
    OwnedPage p;
    ASSERT_EQ(page_from_dib(b.data(), b.size(), &p.page), 0);
    ASSERT_NE(p.page.palette, nullptr);
    EXPECT_EQ(p.page.palette[15], 10);
    EXPECT_EQ(p.page.palette[17], 30);

    auto white_first = make_dib(8, 1, 1, 0, 8);
    std::memset(&white_first[40], 255, 3);
    OwnedPage q;
    ASSERT_EQ(page_from_dib(white_first.data(), white_first.size(), &q.page), 0);
    EXPECT_EQ(q.page.black_is_one, 1);
    auto black_first = make_dib(8, 1, 1, 0, 8);
    std::memset(&black_first[44], 255, 3);
    OwnedPage r;
    ASSERT_EQ(page_from_dib(black_first.data(), black_first.size(), &r.page), 0);
    EXPECT_EQ(r.page.black_is_one, 0);
}

TEST(DibPage, SixteenAndThirtyTwoBitPixelsTakeThePageForms) {
    auto b555 = make_dib(1, 1, 16, 0, 0);
    put16(b555, 40, 0x7FFF);  // white in 5-5-5
    OwnedPage p;
    ASSERT_EQ(page_from_dib(b555.data(), b555.size(), &p.page), 0);
    uint16_t v;
    std::memcpy(&v, p.page.data, 2);
    EXPECT_EQ(v, 0xFFFF);

    auto b565 = make_dib(1, 1, 16, 3, 12);
    put32(b565, 40, 0xF800);
    put32(b565, 44, 0x07E0);
    put32(b565, 48, 0x001F);
    put16(b565, 52, 0x07E0);  // pure green
    OwnedPage q;
    ASSERT_EQ(page_from_dib(b565.data(), b565.size(), &q.page), 0);
    std::memcpy(&v, q.page.data, 2);
    EXPECT_EQ(v, 0x07E0);

    auto b32 = make_dib(2, 1, 32, 0, 0);
    b32[40 + 4] = 1, b32[40 + 5] = 2, b32[40 + 6] = 3, b32[40 + 7] = 99;
    OwnedPage r;
    ASSERT_EQ(page_from_dib(b32.data(), b32.size(), &r.page), 0);
    EXPECT_EQ(r.page.bits_per_pixel, 24);
    EXPECT_EQ(r.page.data[3], 1);
    EXPECT_EQ(r.page.data[5], 3);
}

TEST(DibPage, DamagedBlocksAreRefused) {
    auto good = make_dib(4, 4, 24, 0, 0);
    OwnedPage p;
    EXPECT_EQ(page_from_dib(good.data(), good.size() - 1, &p.page), ERR_BAD_HEADER);  // one byte short
    EXPECT_EQ(page_from_dib(good.data(), 20, &p.page), ERR_BAD_HEADER);
    auto wide = make_dib(4, 4, 24, 0, 0);
    put32(wide, 4, 0x7FFFFFFF);
    EXPECT_EQ(page_from_dib(wide.data(), wide.size(), &p.page), ERR_BAD_HEADER);
    auto zero = make_dib(4, 4, 24, 0, 0);
    put32(zero, 8, 0);
    EXPECT_EQ(page_from_dib(zero.data(), zero.size(), &p.page), ERR_BAD_HEADER);
    auto odd = make_dib(4, 4, 24, 0, 0);
    put16(odd, 14, 7);
    EXPECT_EQ(page_from_dib(odd.data(), odd.size(), &p.page), ERR_BIT_DEPTH);
    auto rle = make_dib(4, 4, 8, 1, 1024);
    EXPECT_EQ(page_from_dib(rle.data(), rle.size(), &p.page), ERR_UNSUPPORTED);
    auto big_table = make_dib(4, 4, 8, 0, 1024);
    put32(big_table, 32, 0xFFFFFFFF);  // colours used: held to 256
    EXPECT_EQ(page_from_dib(big_table.data(), big_table.size(), &p.page), 0);
    release_page(&p.page);
    auto header = make_dib(4, 4, 24, 0, 0);
    put32(header, 0, 0xFFFFFF00);  // header longer than the block
    EXPECT_EQ(page_from_dib(header.data(), header.size(), &p.page), ERR_BAD_HEADER);
    EXPECT_EQ(p.page.data, nullptr);
}

TEST(DibPage, CopiedRegionsComeBackWithTheirPixels) {
    // A 5 x 4 8-bit page whose pixel values are x + 10 y.
    auto b = make_dib(5, 4, 8, 0, 1024);
    const size_t s = stride_of(5, 8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) b[40 + 1024 + (3 - y) * s + x] = (uint8_t)(x + 10 * y);
    b[40 + 4 * 12] = 99;  // a palette entry to carry along
    OwnedPage page;
    ASSERT_EQ(page_from_dib(b.data(), b.size(), &page.page), 0);

    const PageRegion region{1, 1, 3, 2};
    std::vector<uint8_t> block(clipboard_dib_bytes(3, 2, 8), 0);
    ASSERT_EQ(write_region_dib(page.page, region, 0, block.data(), block.size()), 0);
    OwnedPage back;
    ASSERT_EQ(page_from_dib(block.data(), block.size(), &back.page), 0);
    ASSERT_EQ(back.page.width, 3);
    ASSERT_EQ(back.page.height, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(back.page.data[y * back.page.pitch + x], (uint8_t)(x + 1 + 10 * (y + 1))) << x << "," << y;
    EXPECT_EQ(back.page.palette[3 * 12], 99);

    // Turned by 90 degrees the 4 x 5 view's top-left pixel is the page's bottom-left.
    std::vector<uint8_t> turned(clipboard_dib_bytes(1, 1, 8), 0);
    ASSERT_EQ(write_region_dib(page.page, PageRegion{0, 0, 1, 1}, 90, turned.data(), turned.size()), 0);
    OwnedPage corner;
    ASSERT_EQ(page_from_dib(turned.data(), turned.size(), &corner.page), 0);
    EXPECT_EQ(corner.page.data[0], 30);

    std::vector<uint8_t> small(100, 0);
    EXPECT_EQ(write_region_dib(page.page, region, 0, small.data(), small.size()), ERR_PARAMETER);
}

TEST(DibPage, BilevelRoundTripKeepsBlackAndWhite) {
    auto b = make_dib(16, 2, 1, 0, 8);
    std::memset(&b[44], 255, 3);  // entry 0 black, entry 1 white
    const size_t s = stride_of(16, 1);
    b[48 + s] = 0xF0;      // top row (stored last): left four pixels white
    b[48 + s + 1] = 0xFF;  // next eight white
    b[48] = 0x0F;          // bottom row: pixels 4..7 white
    OwnedPage raw;
    ASSERT_EQ(page_from_dib(b.data(), b.size(), &raw.page), 0);
    OwnedPage runs;
    runs.page.compression = COMP_RUNS;
    ASSERT_EQ(convert_page(&raw.page, &runs.page, 0), 0);
    std::vector<uint8_t> block(clipboard_dib_bytes(16, 2, 1), 0);
    ASSERT_EQ(write_region_dib(runs.page, PageRegion{0, 0, 16, 2}, 0, block.data(), block.size()), 0);
    OwnedPage back;
    ASSERT_EQ(page_from_dib(block.data(), block.size(), &back.page), 0);
    EXPECT_EQ(back.page.black_is_one, 0);
    EXPECT_EQ(back.page.data[0], 0xF0);
    EXPECT_EQ(back.page.data[1], 0xFF);
    EXPECT_EQ(back.page.data[back.page.pitch], 0x0F);
    EXPECT_EQ(back.page.data[back.page.pitch + 1], 0x00);
}
