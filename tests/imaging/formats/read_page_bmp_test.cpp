// Windows and OS/2 BMP pages: palettes, the sense of 1-bit pages, the 16-, 32- and
// 2-bit conversions, row order and short files.
#include <gtest/gtest.h>

#include "read_page_test_util.h"

namespace {

// A BITMAPINFOHEADER file with `palette` (4-byte entries) and `pixels`.
Bytes bmp_file(int width, int height, int depth, int compression, const Bytes& palette, const Bytes& pixels,
               const Bytes& masks = {}) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, (uint32_t)(54 + masks.size() + palette.size()));
    put32(b, 14, 40);
    put32(b, 18, (uint32_t)width);
    put32(b, 22, (uint32_t)height);
    put16(b, 26, 1);
    put16(b, 28, (unsigned)depth);
    put32(b, 30, (uint32_t)compression);
    b.insert(b.end(), masks.begin(), masks.end());
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    put32(b, 2, (uint32_t)b.size());
    return b;
}


}  // namespace

TEST(ReadPageBmp, OneBitPaletteDecidesTheSense) {
    const Bytes black_first = {0, 0, 0, 0, 255, 255, 255, 0};
    const Bytes white_first = {255, 255, 255, 0, 0, 0, 0, 0};
    const Bytes pixels = {0xF0, 0, 0, 0};
    for (const Bytes* pal : {&black_first, &white_first}) {
        MemFile f(bmp_file(8, 1, 1, 0, *pal, pixels), FMT_WINDOWS_BMP);
        ScopedPage page;
        ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
        EXPECT_EQ(page->black_is_one, pal == &white_first ? 1 : 0);
        EXPECT_EQ(page->ownership, OWN_BORROWED);
        EXPECT_EQ(page->layout, LAYOUT_BMP | LAYOUT_BOTTOM_UP);
        ScopedPage out;
        ASSERT_EQ(read_and_decode(f, out), IMG_OK);
        const int lead = pal == &white_first ? 0 : 1;  // colour of the four set bits
        EXPECT_EQ(bilevel_pixels(out.page)[0], (std::vector<int>{lead, lead, lead, lead, 1 - lead, 1 - lead,
                                                                 1 - lead, 1 - lead}));
    }
}

TEST(ReadPageBmp, SixteenBitPagesAreBroughtTo565UnlessMaskedSo) {
    const Bytes pixel = {0x21, 0x7C, 0, 0};  // 5-5-5: red 31, green 1, blue 1
    MemFile plain(bmp_file(1, 1, 16, 0, {}, pixel), FMT_WINDOWS_BMP);
    ScopedPage a;
    ASSERT_EQ(read_page(&plain.info, a.get(), 0), IMG_OK);
    EXPECT_EQ(a->ownership, OWN_ALLOCATED);
    EXPECT_EQ(pixel_at(a.page, 0, 0), (31u << 11) | (2u << 5) | 1u);

    Bytes masks(12, 0);
    put32(masks, 0, 0xF800);
    put32(masks, 4, 0x07E0);
    put32(masks, 8, 0x001F);
    MemFile m565(bmp_file(1, 1, 16, 3, {}, pixel, masks), FMT_WINDOWS_BMP);
    ScopedPage b;
    ASSERT_EQ(read_page(&m565.info, b.get(), 0), IMG_OK);
    EXPECT_EQ(b->ownership, OWN_BORROWED);
    EXPECT_EQ(pixel_at(b.page, 0, 0), 0x7C21u);

    put32(masks, 0, 0x7C00);  // 5-5-5 bit fields: green 0x03E0 is not 5-6-5
    put32(masks, 4, 0x03E0);
    MemFile m555(bmp_file(1, 1, 16, 3, {}, pixel, masks), FMT_WINDOWS_BMP);
    ScopedPage c;
    ASSERT_EQ(read_page(&m555.info, c.get(), 0), IMG_OK);
    EXPECT_EQ(pixel_at(c.page, 0, 0), (31u << 11) | (2u << 5) | 1u);
}

TEST(ReadPageBmp, ThirtyTwoAndTwoBitPagesAreWidenedOrNarrowed) {
    MemFile f32(bmp_file(2, 1, 32, 0, {}, {1, 2, 3, 99, 4, 5, 6, 99}), FMT_WINDOWS_BMP);
    ScopedPage a;
    ASSERT_EQ(read_page(&f32.info, a.get(), 0), IMG_OK);
    EXPECT_EQ(a->bits_per_pixel, 24);
    EXPECT_EQ(pixel_at(a.page, 1, 0), 0x060504u);

    const Bytes palette = {0, 0, 0, 0, 85, 85, 85, 0, 170, 170, 170, 0, 255, 255, 255, 0};
    MemFile f2(bmp_file(5, 1, 2, 0, palette, {0x1B, 0x80, 0, 0}), FMT_WINDOWS_BMP);
    ScopedPage b;
    ASSERT_EQ(read_page(&f2.info, b.get(), 0), IMG_OK);
    EXPECT_EQ(b->bits_per_pixel, 4);
    EXPECT_EQ(b->pitch, 4);
    const std::vector<uint32_t> want = {0, 1, 2, 3, 2};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pixel_at(b.page, x, 0), want[x]) << x;
    EXPECT_EQ(b->palette[3 * 3], 255);
}

TEST(ReadPageBmp, RowsAreBottomUpUnlessTheHeightIsNegative) {
    const Bytes palette(1024, 0);
    const Bytes rows = {1, 0, 0, 0, 2, 0, 0, 0};
    MemFile up(bmp_file(1, 2, 8, 0, palette, rows), FMT_WINDOWS_BMP);
    MemFile down(bmp_file(1, -2, 8, 0, palette, rows), FMT_WINDOWS_BMP);
    ScopedPage a, b;
    ASSERT_EQ(read_and_decode(up, a), IMG_OK);
    ASSERT_EQ(read_and_decode(down, b), IMG_OK);
    EXPECT_EQ(pixel_at(a.page, 0, 0), 2u);
    EXPECT_EQ(pixel_at(b.page, 0, 0), 1u);
    EXPECT_EQ(b->height, 2);
}

TEST(ReadPageBmp, ShortFilesAndBadHeadersAreRefused) {
    Bytes b = bmp_file(4, 4, 24, 0, {}, Bytes(47, 0));  // needs 48
    MemFile f(b, FMT_WINDOWS_BMP);
    ScopedPage page;
    EXPECT_EQ(read_page(&f.info, page.get(), 0), ERR_IO);

    Bytes odd = bmp_file(4, 4, 7, 0, {}, Bytes(64, 0));
    MemFile g(odd, FMT_WINDOWS_BMP);
    EXPECT_EQ(read_page(&g.info, page.get(), 0), ERR_BIT_DEPTH);

    // Planes times bit count overflowing an int, and the one height with no magnitude.
    Bytes planes = bmp_file(4, 4, 0xFFFF, 0, {}, Bytes(64, 0));
    put16(planes, 26, 0xFFFF);
    MemFile h(planes, FMT_WINDOWS_BMP);
    EXPECT_EQ(read_page(&h.info, page.get(), 0), ERR_BIT_DEPTH);
    MemFile lowest(bmp_file(4, INT32_MIN, 24, 0, {}, Bytes(64, 0)), FMT_WINDOWS_BMP);
    EXPECT_EQ(read_page(&lowest.info, page.get(), 0), ERR_BAD_HEADER);
}

TEST(ReadPageBmp, Os2CoreHeaderUsesThreeByteEntries) {
    Bytes b(26, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 14, 12);
    put16(b, 18, 2);
    put16(b, 20, 1);
    put16(b, 22, 1);
    put16(b, 24, 8);
    Bytes palette(768, 0);
    palette[3 * 1] = 7;  // blue of entry 1
    b.insert(b.end(), palette.begin(), palette.end());
    put32(b, 10, (uint32_t)b.size());
    append(b, {1, 0, 0, 0});
    MemFile f(b, FMT_OS2_BMP);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->width, 2);
    EXPECT_EQ(page->palette[3], 7);
    EXPECT_EQ(pixel_at(page.page, 0, 0), 1u);
}
