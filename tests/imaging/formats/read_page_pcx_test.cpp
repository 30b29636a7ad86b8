// PCX and DCX pages: header fields, palettes, and the run-length decoder's handling
// of runs across rows, padded lines, planes, and damaged data.
#include <gtest/gtest.h>

#include "read_page_test_util.h"

namespace {

Bytes pcx_header(int width, int height, int bits, int planes, int bytes_per_line) {
    Bytes h(128, 0);
    h[0] = 0x0A;
    h[1] = 5;
    h[2] = 1;
    h[3] = (uint8_t)bits;
    put16(h, 8, (unsigned)width - 1);
    put16(h, 10, (unsigned)height - 1);
    put16(h, 12, 300);
    put16(h, 14, 150);
    h[65] = (uint8_t)planes;
    put16(h, 66, (unsigned)bytes_per_line);
    return h;
}


}  // namespace

TEST(ReadPagePcx, HeaderFieldsDescribeThePage) {
    Bytes b = pcx_header(10, 3, 8, 1, 10);
    append(b, {0xC0 | 30, 7});
    b.push_back(0x0C);
    Bytes palette(768, 0);
    palette[3 * 7] = 200;      // red of entry 7
    palette[3 * 7 + 2] = 50;   // blue of entry 7
    b.insert(b.end(), palette.begin(), palette.end());
    MemFile f(b, FMT_PCX);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->compression, COMP_PCX_RLE);
    EXPECT_EQ(page->width, 10);
    EXPECT_EQ(page->height, 3);
    EXPECT_EQ(page->x_dpi, 300);
    EXPECT_EQ(page->y_dpi, 150);
    EXPECT_EQ(page->pitch, 10);
    EXPECT_EQ(page->data_offset, 128);
    EXPECT_EQ(page->data_length, 3);  // the trailing palette is not data
    ASSERT_NE(page->palette, nullptr);
    EXPECT_EQ(page->palette[3 * 7], 50);   // swapped to blue first
    EXPECT_EQ(page->palette[3 * 7 + 2], 200);
}

TEST(ReadPagePcx, RunContinuesOnTheNextRow) {
    // 4-pixel 8-bit rows: 2 literals, then a run of 5 zeros crossing into row 1,
    // then one literal.
    Bytes b = pcx_header(4, 2, 8, 1, 4);
    append(b, {1, 2, 0xC5, 0x00, 9});
    b.push_back(0x0C);
    b.resize(b.size() + 768, 0);
    MemFile f(b, FMT_PCX);
    ScopedPage out;
    ASSERT_EQ(read_and_decode(f, out), IMG_OK);
    EXPECT_EQ(out->pitch, 4);
    const std::vector<uint32_t> want = {1, 2, 0, 0, 0, 0, 0, 9};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pixel_at(out.page, i % 4, i / 4), want[i]) << i;
}

TEST(ReadPagePcx, PaddedLinesUseTheHeaderLength) {
    // 3-pixel 8-bit rows stored as 5 bytes (2 padding bytes of 0x77).
    Bytes b = pcx_header(3, 2, 8, 1, 5);
    append(b, {1, 2, 3, 0x77, 0x77, 4, 5, 6, 0x77, 0x77});
    b.push_back(0x0C);
    b.resize(b.size() + 768, 0);
    MemFile f(b, FMT_PCX);
    ScopedPage out;
    ASSERT_EQ(read_and_decode(f, out), IMG_OK);
    EXPECT_EQ(pixel_at(out.page, 0, 1), 4u);
    EXPECT_EQ(pixel_at(out.page, 2, 1), 6u);
}

TEST(ReadPagePcx, FourPlanesPackTwoPixelsPerByte) {
    // 8 pixels, one byte per plane: pixel x takes bit k of its value from plane k.
    Bytes b = pcx_header(8, 1, 1, 4, 2);  // bytes per line 2 (even padding)
    append(b, {0x80, 0, 0x40, 0, 0xC1, 0xC0, 0, 0x01, 0});  // 0xC0 as a run of one
    MemFile f(b, FMT_PCX);
    ScopedPage out;
    ASSERT_EQ(read_and_decode(f, out), IMG_OK);
    EXPECT_EQ(out->bits_per_pixel, 4);
    EXPECT_EQ(pixel_at(out.page, 0, 0), 1u | 4u);  // planes 0 and 2
    EXPECT_EQ(pixel_at(out.page, 1, 0), 2u | 4u);  // planes 1 and 2
    EXPECT_EQ(pixel_at(out.page, 7, 0), 8u);       // plane 3
    EXPECT_EQ(out->data[0], 0x56);                 // first pixel in the high half
}

TEST(ReadPagePcx, ThreePlanesBecomeBlueGreenRed) {
    Bytes b = pcx_header(2, 1, 8, 3, 2);
    append(b, {10, 11, 20, 21, 30, 31});  // red plane, green plane, blue plane
    MemFile f(b, FMT_PCX);
    ScopedPage out;
    ASSERT_EQ(read_and_decode(f, out), IMG_OK);
    EXPECT_EQ(out->bits_per_pixel, 24);
    EXPECT_EQ(pixel_at(out.page, 0, 0), 30u | 20u << 8 | 10u << 16);
    EXPECT_EQ(pixel_at(out.page, 1, 0), 31u | 21u << 8 | 11u << 16);
}

TEST(ReadPagePcx, BilevelPageComesOutAsRuns) {
    Bytes b = pcx_header(8, 2, 1, 1, 2);
    append(b, {0xC1, 0xF0, 0x00, 0x0F, 0x00});
    MemFile f(b, FMT_PCX);
    ScopedPage out;
    ASSERT_EQ(read_and_decode(f, out), IMG_OK);
    EXPECT_EQ(out->compression, COMP_RUNS);
    const auto px = bilevel_pixels(out.page);
    EXPECT_EQ(px[0], (std::vector<int>{1, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(px[1], (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
}

TEST(ReadPagePcx, DamagedDataIsDecompressionError) {
    Bytes zero_count = pcx_header(4, 1, 8, 1, 4);
    append(zero_count, {0xC0, 1, 2, 3, 4});
    zero_count.resize(zero_count.size() + 769, 0);
    MemFile a(zero_count, FMT_PCX);
    ScopedPage out_a;
    EXPECT_EQ(read_and_decode(a, out_a), ERR_DECOMPRESS);
    EXPECT_EQ(out_a->data, nullptr);

    Bytes cut = pcx_header(4, 3, 1, 1, 2);
    append(cut, {0x10, 0x10, 0x10});  // three rows need six bytes
    MemFile c(cut, FMT_PCX);
    ScopedPage out_c;
    EXPECT_EQ(read_and_decode(c, out_c), ERR_DECOMPRESS);
}

TEST(ReadPagePcx, DcxPagesEndAtTheNextTableEntry) {
    Bytes b(4096, 0);
    put32(b, 0, 0x3ADE68B1);
    Bytes p0 = pcx_header(2, 1, 1, 1, 2);
    append(p0, {0x40, 0});
    Bytes p1 = pcx_header(3, 1, 1, 1, 2);
    append(p1, {0x20, 0});
    put32(b, 4, 4096);
    put32(b, 8, 4096 + (uint32_t)p0.size());
    b.insert(b.end(), p0.begin(), p0.end());
    b.insert(b.end(), p1.begin(), p1.end());
    MemFile f(b, FMT_DCX, 2);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 1), IMG_OK);
    EXPECT_EQ(page->width, 3);
    EXPECT_EQ(page->data_offset, 4096 + (int32_t)p0.size() + 128);
    EXPECT_EQ(page->data_length, 2);
    release_page(page.get());
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->width, 2);
    EXPECT_EQ(page->data_length, 2);
}
