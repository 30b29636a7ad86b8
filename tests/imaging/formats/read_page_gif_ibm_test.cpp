// GIF pages (colour tables, extensions, compacted image data), IOCA pages wrapped
// around an image segment, PSEG raster cells, and FLI/FLC frames read in order.
#include <gtest/gtest.h>

#include "read_page_test_util.h"
#include "test_support.h"

namespace {

// GIF89a, 4x2 screen, 3-bit global table, a comment, a graphic control and one image.
Bytes small_gif() {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 2, 0, 0x82, 5, 0};
    for (int i = 0; i < 8; ++i) append(b, {i * 30, i, 255 - i});  // red, green, blue
    append(b, {'!', 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0});
    append(b, {'!', 0xF9, 4, 0x09, 10, 0, 3, 0});
    append(b, {',', 1, 0, 0, 0, 3, 0, 2, 0, 0x40, 2, 2, 0xAA, 0xBB, 1, 0xCC, 0, ';'});
    return b;
}

struct GifFile : MemFile {
    explicit GifFile(Bytes b) : MemFile(std::move(b), FMT_GIF) { set_page_offsets({0, (int32_t)bytes.size()}); }
};

// An MO:DCA structured field: length, 0xD3, two type bytes, flags and sequence.
void field(Bytes& b, int type, const Bytes& data) {
    const size_t at = b.size();
    put16be(b, at, (unsigned)(8 + data.size()));
    append(b, {0xD3, type >> 8, type & 0xFF, 0, 0, 0});
    b.insert(b.end(), data.begin(), data.end());
}

// A MO:DCA page: Begin Page, an Image Data Descriptor, the segment in Image Picture
// Data fields of at most `chunk` bytes, End Page.
Bytes ioca_page(const Bytes& segment, unsigned xres_x10, unsigned yres_x10, unsigned width, unsigned height,
                size_t chunk) {
    Bytes b;
    field(b, 0xA8AF, {});
    Bytes idd = {0};
    put16be(idd, 1, xres_x10);
    put16be(idd, 3, yres_x10);
    put16be(idd, 5, width);
    put16be(idd, 7, height);
    field(b, 0xA6FB, idd);
    for (size_t at = 0; at < segment.size(); at += chunk)
        field(b, 0xEEFB, Bytes(segment.begin() + (long)at, segment.begin() + (long)std::min(segment.size(), at + chunk)));
    field(b, 0xA9AF, {});
    return b;
}

// A PSEG structured field: 0x5A, length, three type bytes, flags, sequence.
void pseg_field(Bytes& b, uint32_t type, const Bytes& data) {
    b.push_back(0x5A);
    put16be(b, b.size(), (unsigned)(8 + data.size()));
    append(b, {(int)(type >> 16), (int)(type >> 8) & 0xFF, (int)type & 0xFF, 0, 0, 0});
    b.insert(b.end(), data.begin(), data.end());
}

}  // namespace

TEST(ReadPageGif, DescriptorExtensionsAndCompactedData) {
    GifFile f(small_gif());
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->bits_per_pixel, 4);  // a 3-bit table gives a 4-bit page
    EXPECT_EQ(page->screen_width, 4);
    EXPECT_EQ(page->background_index, 5);
    EXPECT_EQ(page->left, 1);
    EXPECT_EQ(page->width, 3);
    EXPECT_EQ(page->height, 2);
    EXPECT_STREQ(page->description, "hello");
    EXPECT_EQ(page->gif_flags, 0x09);
    EXPECT_EQ(page->delay_or_exif, 10);
    EXPECT_EQ(page->transparent_index, 3);
    EXPECT_EQ(page->compression, COMP_LZW_GIF);
    EXPECT_EQ(page->data_length, 5);
    EXPECT_EQ(page->data[0], 0x40);  // the descriptor's packed byte (interlace)
    EXPECT_EQ(page->data[1], 2);
    EXPECT_EQ(page->data[3], 0xBB);
    EXPECT_EQ(page->data[4], 0xCC);
    EXPECT_EQ(page->palette[3 * 2], 253);  // blue first
    EXPECT_EQ(page->palette[3 * 2 + 2], 60);
}

TEST(ReadPageGif, UnknownBlocksAndCutSubBlocksAreRefused) {
    Bytes bad_label = small_gif();
    bad_label[13 + 24 + 1] = 0x22;  // the comment's label
    GifFile a(bad_label);
    ScopedPage page;
    EXPECT_EQ(read_page(&a.info, page.get(), 0), ERR_BAD_HEADER);
    EXPECT_EQ(page->palette, nullptr);

    Bytes cut = small_gif();
    cut.resize(cut.size() - 4);  // the last sub-block runs past the page
    GifFile c(cut);
    EXPECT_EQ(read_page(&c.info, page.get(), 0), ERR_DECOMPRESS);
}

TEST(ReadPageIoca, SegmentIsUnwrappedFromThePage) {
    const Bytes segment = {0x70, 0, 0x95, 3, 0x03, 1, 1, 0xFE, 0x92, 0, 3, 0xAB, 0xCD, 0xEF, 0x93, 0, 0x71, 0};
    const Bytes b = ioca_page(segment, 2400, 1200, 24, 1, 9);  // split across two fields
    MemFile f(b, FMT_IOCA);
    f.set_page_offsets({0});
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->x_dpi, 240);
    EXPECT_EQ(page->y_dpi, 120);
    EXPECT_EQ(page->width, 24);
    EXPECT_EQ(page->compression, COMP_NONE);
    EXPECT_EQ(page->fill_order, 1);
    ASSERT_EQ(page->data_length, 3);
    EXPECT_EQ(page->data[0], 0xAB);
    EXPECT_EQ(page->data[2], 0xEF);
}

TEST(ReadPageIoca, CorpusG4SegmentDecodes) {
    SKIP_WITHOUT_CORPUS_FILE(path, "fax/ioca_g4mmr.ica");
    const Bytes b = ioca_page(read_bytes(path), 3000, 3000, 2480, 3300, 30000);
    MemFile f(b, FMT_IOCA);
    f.set_page_offsets({0});
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->compression, COMP_G4);
    EXPECT_EQ(page->x_dpi, 300);
    ScopedPage runs;
    runs->compression = COMP_RUNS;
    ASSERT_EQ(convert_page(page.get(), runs.get(), 0), IMG_OK);
    EXPECT_EQ(runs->height, 3300);
}

TEST(ReadPagePseg, RasterCellsArePaintedAtTheirPosition) {
    Bytes b;
    Bytes iid(27 - 9 + 4, 0);
    put16be(iid, 27 - 9, 24);  // width at field offset 27
    put16be(iid, 29 - 9, 3);   // height at 29
    pseg_field(b, 0xD3A67B, iid);
    Bytes cell(12, 0);
    put16be(cell, 0, 8);   // x
    put16be(cell, 2, 1);   // y
    put16be(cell, 4, 12);  // cell width: rows of two bytes
    pseg_field(b, 0xD3AC7B, cell);
    pseg_field(b, 0xD3EE7B, {0xFF, 0xF0, 0x80});
    pseg_field(b, 0xD3EE7B, {0x00});
    pseg_field(b, 0xD3A97B, {});
    MemFile f(b, FMT_PSEG);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->width, 24);
    EXPECT_EQ(page->height, 3);
    EXPECT_EQ(page->black_is_one, 1);
    EXPECT_EQ(page->data[0 * 3 + 1], 0x00);  // row 0 untouched
    EXPECT_EQ(page->data[1 * 3 + 1], 0xFF);  // row 1: 12 set bits from x = 8
    EXPECT_EQ(page->data[1 * 3 + 2], 0xF0);
    EXPECT_EQ(page->data[2 * 3 + 1], 0x80);  // row 2 continues in the next field
}

TEST(ReadPageFli, FramesAreReadInOrderIntoOneBitmap) {
    Bytes b(128, 0);
    put16(b, 4, 0xAF11);
    put16(b, 6, 2);
    put16(b, 8, 4);
    put16(b, 10, 2);
    put16(b, 12, 8);
    auto frame = [&](const std::vector<std::pair<int, Bytes>>& chunks) {
        const size_t at = b.size();
        b.resize(at + 16, 0);
        put16(b, at + 4, 0xF1FA);
        put16(b, at + 6, (unsigned)chunks.size());
        for (const auto& [type, body] : chunks) {
            const size_t c = b.size();
            b.resize(c + 6, 0);
            put32(b, c, (uint32_t)(6 + body.size()));
            put16(b, c + 4, (unsigned)type);
            b.insert(b.end(), body.begin(), body.end());
        }
        put32(b, at, (uint32_t)(b.size() - at));
    };
    // Frame 0: a 64-level palette of two entries and byte runs.
    frame({{11, {1, 0, 0, 2, 63, 0, 0, 0, 63, 0}}, {15, {1, 4, 1, 1, 0xFE, 0, 1, 2, 0}}});
    // Frame 1: a byte delta from line 1, one packet: skip 1, copy 2.
    frame({{12, {1, 0, 1, 0, 1, 1, 2, 5, 6}}});
    put32(b, 0, (uint32_t)b.size());
    MemFile f(b, FMT_FLI, 2);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->x_dpi, 72);
    EXPECT_EQ(page->palette[2], 252);  // red of entry 0, times 4
    EXPECT_EQ(page->palette[3 + 1], 252);
    EXPECT_EQ(pixel_at(page.page, 3, 0), 1u);
    EXPECT_EQ(pixel_at(page.page, 1, 1), 1u);
    EXPECT_EQ(pixel_at(page.page, 2, 1), 0u);
    ASSERT_EQ(read_page(&f.info, page.get(), 1), IMG_OK);
    EXPECT_EQ(pixel_at(page.page, 0, 1), 0u);
    EXPECT_EQ(pixel_at(page.page, 1, 1), 5u);
    EXPECT_EQ(pixel_at(page.page, 2, 1), 6u);
    EXPECT_EQ(pixel_at(page.page, 3, 0), 1u);  // kept from frame 0
    // Out of order: frame 1 read into a fresh record decodes frame 0 first.
    ScopedPage fresh;
    ASSERT_EQ(read_page(&f.info, fresh.get(), 1), IMG_OK);
    EXPECT_EQ(pixel_at(fresh.page, 2, 1), 6u);
    EXPECT_EQ(pixel_at(fresh.page, 3, 0), 1u);
}
