// Targa pages: raw and run-length readers, colour maps, 16- and 32-bit pixels,
// grey pages as bilevel, and row order.
#include <gtest/gtest.h>

#include "read_page_test_util.h"

namespace {

Bytes tga_header(int type, int width, int height, int depth, int descriptor = 0x20) {
    Bytes h(18, 0);
    h[2] = (uint8_t)type;
    put16(h, 12, (unsigned)width);
    put16(h, 14, (unsigned)height);
    h[16] = (uint8_t)depth;
    h[17] = (uint8_t)descriptor;
    return h;
}


}  // namespace

TEST(ReadPageTarga, ThirtyTwoBitPagesBecomeTwentyFourBit) {
    for (int type : {2, 10}) {
        Bytes b = tga_header(type, 2, 1, 32);
        if (type == 2) append(b, {1, 2, 3, 255, 4, 5, 6, 255});
        else append(b, {0x01, 1, 2, 3, 255, 4, 5, 6, 255});  // one literal packet of two
        MemFile f(b, FMT_TARGA);
        ScopedPage out;
        ASSERT_EQ(read_and_decode(f, out), IMG_OK) << type;
        EXPECT_EQ(out->bits_per_pixel, 24);
        EXPECT_EQ(pixel_at(out.page, 0, 0), 0x030201u) << type;
        EXPECT_EQ(pixel_at(out.page, 1, 0), 0x060504u) << type;
    }
}

TEST(ReadPageTarga, GreyPagesBecomeBilevelWithNonZeroWhite) {
    Bytes raw = tga_header(3, 4, 1, 8);
    append(raw, {0, 128, 0, 1});
    Bytes rle = tga_header(11, 4, 1, 8);
    append(rle, {0x80, 0, 0x81, 128});  // repeat 0 once, repeat 128 twice: 0 128 128 then short
    for (Bytes* b : {&raw, &rle}) {
        MemFile f(*b, FMT_TARGA);
        ScopedPage out;
        ASSERT_EQ(read_and_decode(f, out), IMG_OK);
        EXPECT_EQ(out->compression, COMP_RUNS);
        const auto px = bilevel_pixels(out.page);
        if (b == &raw) EXPECT_EQ(px[0], (std::vector<int>{0, 1, 0, 1}));
        else EXPECT_EQ(px[0], (std::vector<int>{0, 1, 1, 0}));  // data ends: the rest stays black
    }
}

TEST(ReadPageTarga, RunPacketsCrossRowEndsAndBottomUpRowsAreReversed) {
    // Bottom-up (descriptor bit 5 clear), 2x2, 8-bit colour-mapped: one run of 3 then
    // one literal.
    Bytes b = tga_header(9, 2, 2, 8, 0);
    b[1] = 1;
    put16(b, 5, 2);
    b[7] = 24;
    append(b, {10, 20, 30, 40, 50, 60});  // entries 0 and 1, blue-green-red
    append(b, {0x82, 1, 0x00, 0});
    MemFile f(b, FMT_TARGA);
    ScopedPage out;
    ASSERT_EQ(read_and_decode(f, out), IMG_OK);
    // Stored rows: (1, 1) then (1, 0); the picture's top row is the last stored.
    EXPECT_EQ(pixel_at(out.page, 0, 0), 1u);
    EXPECT_EQ(pixel_at(out.page, 1, 0), 0u);
    EXPECT_EQ(pixel_at(out.page, 0, 1), 1u);
    ASSERT_NE(out->palette, nullptr);
    EXPECT_EQ(out->palette[3], 40);
}

TEST(ReadPageTarga, SixteenBitPixelsBecome565) {
    Bytes b = tga_header(2, 1, 1, 16);
    const unsigned v = (31u << 10) | (16u << 5) | 1u;  // 5-5-5
    put16(b, 18, v);
    MemFile f(b, FMT_TARGA);
    ScopedPage out;
    ASSERT_EQ(read_and_decode(f, out), IMG_OK);
    EXPECT_EQ(out->bits_per_pixel, 16);
    EXPECT_EQ(pixel_at(out.page, 0, 0), (31u << 11) | (32u << 5) | 1u);
}

TEST(ReadPageTarga, ColourMapsExpandAndAreBounded) {
    Bytes b = tga_header(1, 1, 1, 8);
    b[1] = 1;
    put16(b, 3, 250);  // origin
    put16(b, 5, 2);
    b[7] = 16;
    put16(b, 18, 31u << 10);  // entry 250: pure red
    put16(b, 20, 31u);        // entry 251: pure blue
    b.push_back(250);
    MemFile f(b, FMT_TARGA);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->palette[3 * 250 + 2], 255);
    EXPECT_EQ(page->palette[3 * 250], 0);
    EXPECT_EQ(page->palette[3 * 251], 255);

    put16(b, 3, 255);  // 255 + 2 entries pass the end of the table
    MemFile g(b, FMT_TARGA);
    ScopedPage bad;
    EXPECT_EQ(read_page(&g.info, bad.get(), 0), ERR_BAD_HEADER);
    EXPECT_EQ(bad->palette, nullptr);
}

TEST(ReadPageTarga, ShortRawDataIsRefused) {
    Bytes b = tga_header(2, 4, 4, 24);
    b.resize(18 + 4 * 4 * 3 - 1);
    MemFile f(b, FMT_TARGA);
    ScopedPage page;
    EXPECT_EQ(read_page(&f.info, page.get(), 0), ERR_IO);
}

// Run-length data that could not fill the picture even with packets of 128 is
// refused; data just long enough to fill it in full packets is read.
TEST(ReadPageTarga, RunLengthDataTooShortForThePictureIsRefused) {
    Bytes huge = tga_header(10, 60000, 60000, 32);
    append(huge, {0xFF, 1, 2, 3, 4, 0xFF, 5, 6, 7, 8});
    MemFile f(huge, FMT_TARGA);
    ScopedPage page;
    EXPECT_EQ(read_page(&f.info, page.get(), 0), ERR_DECOMPRESS);

    Bytes filled = tga_header(10, 256, 1, 24);
    append(filled, {0xFF, 9, 8, 7, 0xFF, 6, 5, 4});  // two packets of 128 repeated pixels
    MemFile g(filled, FMT_TARGA);
    ScopedPage out;
    ASSERT_EQ(read_and_decode(g, out), IMG_OK);
    EXPECT_EQ(pixel_at(out.page, 0, 0), 0x070809u);
    EXPECT_EQ(pixel_at(out.page, 255, 0), 0x040506u);
}
