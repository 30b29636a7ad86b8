// read_decoded_page: whatever the format stored, the page comes back decoded, owned,
// top-down and free of the file; FLI/FLC frames read through a kept stored page
// equal frames read afresh.
#include <gtest/gtest.h>

#include "read_page_test_util.h"
#include "test_support.h"

namespace {

constexpr int kWidth = 2, kHeight = 3;

// Pixel values of the picture's rows, top first: each row one value.
constexpr uint32_t kRows24[kHeight] = {0x0000FF, 0x00FF00, 0xFF0000};  // blue, green, red
constexpr uint8_t kRows8[kHeight] = {7, 8, 9};
constexpr int kRows1[kHeight] = {0, 1, 0};  // black, white, black

Bytes bmp(int depth, bool bottom_up) {
    const int pitch = depth == 24 ? 8 : 4;
    const int colours = depth == 24 ? 0 : 1 << depth;
    Bytes b(54, 0);
    b[0] = 'B', b[1] = 'M';
    put32(b, 10, (uint32_t)(54 + 4 * colours));
    put32(b, 14, 40);
    put32(b, 18, kWidth);
    put32(b, 22, bottom_up ? (uint32_t)kHeight : (uint32_t)-kHeight);
    put16(b, 26, 1);
    put16(b, 28, (unsigned)depth);
    for (int i = 0; i < colours; ++i) append(b, {i, i, i, 0});
    if (depth == 1) b[54 + 4] = b[54 + 5] = b[54 + 6] = 255;  // entry 1 white
    for (int r = 0; r < kHeight; ++r) {
        const int y = bottom_up ? kHeight - 1 - r : r;  // picture row stored r-th
        Bytes row((size_t)pitch, 0);
        for (int x = 0; x < kWidth; ++x) {
            if (depth == 24) {
                row[3 * x] = (uint8_t)kRows24[y], row[3 * x + 1] = (uint8_t)(kRows24[y] >> 8);
                row[3 * x + 2] = (uint8_t)(kRows24[y] >> 16);
            } else if (depth == 8) {
                row[x] = kRows8[y];
            } else if (kRows1[y]) {
                row[0] |= (uint8_t)(0x80 >> x);
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    put32(b, 2, (uint32_t)b.size());
    return b;
}

Bytes targa(int type, bool bottom_up) {
    Bytes b(18, 0);
    const bool mapped = type == 9, grey = type == 3;
    b[2] = (uint8_t)type;
    put16(b, 12, kWidth);
    put16(b, 14, kHeight);
    b[16] = (uint8_t)(mapped || grey ? 8 : 24);
    b[17] = bottom_up ? 0 : 0x20;
    if (mapped) {
        b[1] = 1;
        put16(b, 5, 16);
        b[7] = 24;
        for (int i = 0; i < 16; ++i) append(b, {i, i, i});
    }
    for (int r = 0; r < kHeight; ++r) {
        const int y = bottom_up ? kHeight - 1 - r : r;
        if (mapped) append(b, {0x80 | (kWidth - 1), kRows8[y]});  // one run packet a row
        else if (grey) append(b, {kRows1[y] * 200, kRows1[y] * 200});
        else
            for (int x = 0; x < kWidth; ++x)
                append(b, {(int)(kRows24[y] & 255), (int)(kRows24[y] >> 8 & 255), (int)(kRows24[y] >> 16)});
    }
    return b;
}

uint32_t expected(int depth, int y) {
    return depth == 24 ? kRows24[y] : depth == 8 ? kRows8[y] : (uint32_t)kRows1[y];
}

}  // namespace

TEST(ReadDecodedPage, PagesComeBackOwnedTopDownAndFreeOfTheFile) {
    struct Case {
        const char* name;
        Bytes file;
        int format, depth;
    };
    const Case cases[] = {
        {"BMP 24-bit bottom-up", bmp(24, true), FMT_WINDOWS_BMP, 24},
        {"BMP 24-bit top-down", bmp(24, false), FMT_WINDOWS_BMP, 24},
        {"BMP 8-bit bottom-up", bmp(8, true), FMT_WINDOWS_BMP, 8},
        {"BMP 1-bit bottom-up", bmp(1, true), FMT_WINDOWS_BMP, 1},
        {"Targa raw 24-bit bottom-left", targa(2, true), FMT_TARGA, 24},
        {"Targa raw 24-bit top-left", targa(2, false), FMT_TARGA, 24},
        {"Targa run-length colour-mapped bottom-left", targa(9, true), FMT_TARGA, 8},
        {"Targa grey bottom-left", targa(3, true), FMT_TARGA, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedPage page;
        {
            MemFile f(c.file, c.format);
            ASSERT_EQ(read_decoded_page(&f.info, 0, 0, page.get(), nullptr), IMG_OK);
        }  // the file's bytes are gone: nothing may still point into them
        EXPECT_EQ(page->ownership, OWN_ALLOCATED);
        EXPECT_EQ(page->layout & (LAYOUT_TOP_DOWN | LAYOUT_BOTTOM_UP), LAYOUT_TOP_DOWN);
        EXPECT_EQ(page->data_offset, 0);
        EXPECT_EQ(page->strip_offsets, nullptr);
        EXPECT_EQ(page->bits_per_pixel, c.depth);
        EXPECT_EQ(page->compression, c.depth == 1 ? COMP_RUNS : COMP_NONE);
        EXPECT_EQ(page->palette != nullptr, c.depth == 8);
        if (c.depth == 1) {
            const auto px = bilevel_pixels(page.page);
            ASSERT_EQ(px.size(), (size_t)kHeight);
            for (int y = 0; y < kHeight; ++y) EXPECT_EQ(px[y][0], kRows1[y]) << "row " << y;
        } else {
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) EXPECT_EQ(pixel_at(page.page, x, y), expected(c.depth, y)) << y;
        }
    }
}

TEST(ReadDecodedPage, FramesThroughAKeptStoredPageEqualFramesReadAfresh) {
    const fs::path fli = corpus_file("movie/a.fli");
    if (fli.empty()) GTEST_SKIP() << "corpus file absent";
    ImageFileInfo info{};
    ASSERT_EQ(identify_file(fli.string().c_str(), &info, 0), IMG_OK);
    ASSERT_GT(info.page_count, 40);
    PageBitmap stored{};
    for (int i = 0; i <= 40; ++i) {
        ScopedPage kept;
        ASSERT_EQ(read_decoded_page(&info, i, 0, kept.get(), &stored), IMG_OK) << i;
        if (i % 13 != 0 && i != 40) continue;
        ScopedPage fresh;
        ASSERT_EQ(read_decoded_page(&info, i, 0, fresh.get(), nullptr), IMG_OK) << i;
        ASSERT_EQ(kept->data_length, fresh->data_length);
        EXPECT_EQ(std::memcmp(kept->data, fresh->data, (size_t)kept->data_length), 0) << "frame " << i;
        EXPECT_EQ(std::memcmp(kept->palette, fresh->palette, 768), 0) << "frame " << i;
    }
    // A frame out of order starts again from the first.
    ScopedPage back, fresh;
    ASSERT_EQ(read_decoded_page(&info, 5, 0, back.get(), &stored), IMG_OK);
    ASSERT_EQ(read_decoded_page(&info, 5, 0, fresh.get(), nullptr), IMG_OK);
    EXPECT_EQ(std::memcmp(back->data, fresh->data, (size_t)back->data_length), 0);
    release_page(&stored);
    close_file_info(&info);
}
