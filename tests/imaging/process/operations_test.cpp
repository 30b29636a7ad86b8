// Geometric and tone operations: turns, mirror, flip, invert, grey, lighten/darken,
// fax row doubling, frame composition and red-eye removal, on every depth.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "codecs/run_form.h"
#include "imaging.h"
#include "process/operations.h"

namespace {

using Bitmap = std::vector<std::vector<int>>;  // [row][col], 1 = black

// A bilevel page in the run-length form built directly from a bitmap (test-side
// writer, shortest form: pairs of white/black runs; the pair with an empty black run
// ends the row, (0, 0) when the row ends black).
PageBitmap make_runs_page(const Bitmap& bm) {
    const int h = (int)bm.size(), w = h ? (int)bm[0].size() : 0;
    std::vector<std::vector<uint8_t>> lists;
    size_t total = (size_t)h * sizeof(void*);
    for (const auto& row : bm) {
        std::vector<uint8_t> out;
        int x = 0, black = -1;
        while (x < w) {
            int white = 0;
            black = 0;
            while (x < w && !row[x]) ++white, ++x;
            while (x < w && row[x]) ++black, ++x;
            uint8_t b[2];
            int n = run_write(b, white);
            out.insert(out.end(), b, b + n);
            n = run_write(b, black);
            out.insert(out.end(), b, b + n);
        }
        if (black != 0) {  // the row ended black (or is empty): close it with (0, 0)
            out.push_back(0);
            out.push_back(0);
        }
        total += out.size();
        lists.push_back(out);
    }
    PageBitmap page{};
    page.width = w;
    page.height = h;
    page.bits_per_pixel = 1;
    page.compression = COMP_RUNS;
    page.ownership = OWN_ALLOCATED;
    page.data = static_cast<uint8_t*>(mem_alloc(total));
    page.data_length = (int32_t)total;
    uint8_t** table = reinterpret_cast<uint8_t**>(page.data);
    size_t pos = (size_t)h * sizeof(void*);
    for (int y = 0; y < h; ++y) {
        table[y] = page.data + pos;
        std::memcpy(page.data + pos, lists[y].data(), lists[y].size());
        pos += lists[y].size();
    }
    return page;
}

// Reads a run-length page back into a bitmap, checking that every row pointer lies
// in the buffer and every row ends with a pair whose black run is empty.
Bitmap read_runs_page(const PageBitmap& page) {
    Bitmap bm((size_t)page.height, std::vector<int>((size_t)page.width, 0));
    const uint8_t* end = page.data + page.data_length;
    for (int y = 0; y < page.height; ++y) {
        const uint8_t* p = reinterpret_cast<uint8_t* const*>(page.data)[y];
        EXPECT_GE(p, page.data + page.height * sizeof(void*));
        EXPECT_LT(p, end);
        int x = 0;
        for (;;) {
            int used = 0;
            const int white = run_read(p, (size_t)(end - p), &used);
            EXPECT_GT(used, 0) << "row " << y << " runs past the buffer";
            if (!used) break;
            p += used;
            const int black = run_read(p, (size_t)(end - p), &used);
            EXPECT_GT(used, 0);
            if (!used) break;
            p += used;
            x += white;
            for (int k = 0; k < black && x < page.width; ++k) bm[y][x++] = 1;
            if (black == 0) break;
        }
        EXPECT_LE(x, page.width);
    }
    return bm;
}

Bitmap random_bitmap(int w, int h, unsigned seed, int density = 3) {
    std::mt19937 rng(seed);
    Bitmap bm((size_t)h, std::vector<int>((size_t)w));
    for (auto& row : bm) {
        int colour = 0;
        for (auto& v : row) {
            if ((int)(rng() % 16) < density) colour ^= 1;
            v = colour;
        }
    }
    return bm;
}

Bitmap turn_reference(const Bitmap& bm) {
    const int h = (int)bm.size(), w = (int)bm[0].size();
    Bitmap out((size_t)w, std::vector<int>((size_t)h));
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) out[j][h - 1 - i] = bm[i][j];
    return out;
}

// A pixel page of the given depth with bytes from `seed`.
PageBitmap make_pixel_page(int w, int h, int bpp, unsigned seed) {
    PageBitmap page{};
    page.width = w;
    page.height = h;
    page.bits_per_pixel = (int8_t)bpp;
    page.pitch = row_bytes_aligned(w, bpp);
    page.data_length = page.pitch * h;
    page.data = static_cast<uint8_t*>(mem_alloc((size_t)page.data_length));
    page.ownership = OWN_ALLOCATED;
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < row_bytes_packed(w, bpp); ++i) page.data[y * page.pitch + i] = (uint8_t)rng();
    if (bpp == 4 && (w & 1))  // the unused half-byte of odd rows stays zero
        for (int y = 0; y < h; ++y) page.data[y * page.pitch + w / 2] &= 0xF0;
    if (bpp <= 8) {
        page.palette = static_cast<uint8_t*>(mem_alloc(768));
        for (int i = 0; i < 768; ++i) page.palette[i] = (uint8_t)(i * 7);
    }
    return page;
}

std::vector<uint8_t> packed_rows(const PageBitmap& page) {
    std::vector<uint8_t> out;
    for (int y = 0; y < page.height; ++y) {
        const uint8_t* r = page.data + page.data_offset + (size_t)y * page.pitch;
        out.insert(out.end(), r, r + row_bytes_packed(page.width, page.bits_per_pixel));
    }
    return out;
}

uint32_t pixel_at(const PageBitmap& page, int x, int y) {
    const uint8_t* r = page.data + page.data_offset + (size_t)y * page.pitch;
    switch (page.bits_per_pixel) {
    case 4: return x & 1 ? r[x / 2] & 15 : r[x / 2] >> 4;
    case 8: return r[x];
    case 16: return r[2 * x] | r[2 * x + 1] << 8;
    default: return r[3 * x] | r[3 * x + 1] << 8 | r[3 * x + 2] << 16;
    }
}

}  // namespace

TEST(TurnOperation, ThreeByTwoPageBecomesTwoByThree) {
    // Row 0: 1 2 3, row 1: 4 5 6 (8-bit). After the turn, row 0 is column 0 read bottom-up.
    PageBitmap page = make_pixel_page(3, 2, 8, 1);
    for (int i = 0; i < 6; ++i) page.data[(i / 3) * page.pitch + i % 3] = (uint8_t)(i + 1);
    ASSERT_EQ(image_operation(&page, OP_TURN_90, 0, 0), IMG_OK);
    EXPECT_EQ(page.width, 2);
    EXPECT_EQ(page.height, 3);
    EXPECT_EQ(pixel_at(page, 0, 0), 4u);
    EXPECT_EQ(pixel_at(page, 1, 0), 1u);
    EXPECT_EQ(pixel_at(page, 0, 2), 6u);
    EXPECT_EQ(pixel_at(page, 1, 2), 3u);
    release_page(&page);
}

TEST(TurnOperation, FourTurnsAndTwoMirrorsRestoreEveryDepth) {
    for (int bpp : {4, 8, 16, 24}) {
        for (auto [w, h] : {std::pair{7, 5}, std::pair{1, 9}, std::pair{16, 3}}) {
            PageBitmap page = make_pixel_page(w, h, bpp, (unsigned)(bpp * 100 + w));
            const auto before = packed_rows(page);
            for (int i = 0; i < 4; ++i) ASSERT_EQ(image_operation(&page, OP_TURN_90, 0, 0), IMG_OK);
            EXPECT_EQ(page.width, w);
            EXPECT_EQ(packed_rows(page), before) << bpp << " bits " << w << "x" << h;
            ASSERT_EQ(image_operation(&page, OP_MIRROR, 0, 0), IMG_OK);
            if (w > 1) EXPECT_NE(packed_rows(page), before);
            ASSERT_EQ(image_operation(&page, OP_MIRROR, 0, 0), IMG_OK);
            ASSERT_EQ(image_operation(&page, OP_FLIP, 0, 0), IMG_OK);
            ASSERT_EQ(image_operation(&page, OP_FLIP, 0, 0), IMG_OK);
            EXPECT_EQ(packed_rows(page), before) << bpp;
            release_page(&page);
        }
    }
}

TEST(TurnOperation, OddWidthFourBitTurnMovesHalfBytes) {
    PageBitmap page = make_pixel_page(3, 2, 4, 5);
    const uint32_t a = pixel_at(page, 2, 0), b = pixel_at(page, 2, 1);
    ASSERT_EQ(image_operation(&page, OP_TURN_90, 0, 0), IMG_OK);
    // Old column 2 becomes new row 2, read bottom to top.
    EXPECT_EQ(pixel_at(page, 0, 2), b);
    EXPECT_EQ(pixel_at(page, 1, 2), a);
    release_page(&page);
}

TEST(TurnOperation, BilevelTurnMatchesReference) {
    const Bitmap bm = random_bitmap(37, 23, 11);
    PageBitmap page = make_runs_page(bm);
    page.x_dpi = 204;
    page.y_dpi = 98;
    ASSERT_EQ(image_operation(&page, OP_TURN_90, 0, 0), IMG_OK);
    EXPECT_EQ(page.width, 23);
    EXPECT_EQ(page.height, 37);
    EXPECT_EQ(page.x_dpi, 98);
    EXPECT_EQ(read_runs_page(page), turn_reference(bm));
    release_page(&page);
}

TEST(TurnOperation, BilevelPageWiderThanOneBand) {
    // 2,100 rows of 1,728 pixels: each band of the 256 KB scratch holds
    // 262144 / 263 = 996 turned rows, so the 1,728 turned rows take two bands.
    Bitmap bm = random_bitmap(1728, 2100, 3, 1);
    for (int y = 0; y < 2100; y += 97) bm[y].assign(1728, 1);  // full black rows
    PageBitmap page = make_runs_page(bm);
    ASSERT_EQ(image_operation(&page, OP_TURN_90, 0, 0), IMG_OK);
    EXPECT_EQ(read_runs_page(page), turn_reference(bm));
    for (int i = 0; i < 3; ++i) ASSERT_EQ(image_operation(&page, OP_TURN_90, 0, 0), IMG_OK);
    EXPECT_EQ(read_runs_page(page), bm);
    release_page(&page);
}

TEST(BilevelOperations, MirrorFlipAndInvertTwiceRestore) {
    for (unsigned seed : {1u, 2u, 3u}) {
        Bitmap bm = random_bitmap(50, 12, seed);
        bm[0].assign(50, 0);  // all white
        bm[1].assign(50, 1);  // all black
        bm[2][0] = 1;         // row starting black
        PageBitmap page = make_runs_page(bm);
        ASSERT_EQ(image_operation(&page, OP_MIRROR, 0, 0), IMG_OK);
        Bitmap mirrored = bm;
        for (auto& row : mirrored) std::reverse(row.begin(), row.end());
        EXPECT_EQ(read_runs_page(page), mirrored);
        ASSERT_EQ(image_operation(&page, OP_MIRROR, 0, 0), IMG_OK);
        EXPECT_EQ(read_runs_page(page), bm);

        ASSERT_EQ(image_operation(&page, OP_FLIP, 0, 0), IMG_OK);
        Bitmap flipped(bm.rbegin(), bm.rend());
        EXPECT_EQ(read_runs_page(page), flipped);
        ASSERT_EQ(image_operation(&page, OP_FLIP, 0, 0), IMG_OK);

        ASSERT_EQ(image_operation(&page, OP_INVERT, 0, 0), IMG_OK);
        Bitmap inverted = bm;
        for (auto& row : inverted)
            for (auto& v : row) v ^= 1;
        EXPECT_EQ(read_runs_page(page), inverted);
        ASSERT_EQ(image_operation(&page, OP_INVERT, 0, 0), IMG_OK);
        EXPECT_EQ(read_runs_page(page), bm);
        release_page(&page);
    }
}

TEST(BilevelOperations, InvertGrowsRowsWithoutOverwritingTheNext) {
    // Every row is as short as possible, so each inverted row needs one byte more.
    Bitmap bm(6, std::vector<int>(8, 0));
    for (int y = 0; y < 6; ++y) bm[y][y] = 1;
    PageBitmap page = make_runs_page(bm);
    const int32_t before = page.data_length;
    ASSERT_EQ(image_operation(&page, OP_INVERT, 0, 0), IMG_OK);
    EXPECT_GT(page.data_length, before);
    Bitmap inverted = bm;
    for (auto& row : inverted)
        for (auto& v : row) v ^= 1;
    EXPECT_EQ(read_runs_page(page), inverted);
    release_page(&page);
}

TEST(BilevelOperations, DoubleRowsOfAFaxPage) {
    const Bitmap bm = random_bitmap(1728, 20, 9);
    PageBitmap page = make_runs_page(bm);
    ASSERT_EQ(image_operation(&page, OP_DOUBLE_ROWS, 0, 0), IMG_OK);
    EXPECT_EQ(page.height, 40);
    EXPECT_EQ(page.x_dpi, 204);
    EXPECT_EQ(page.y_dpi, 196);
    const Bitmap out = read_runs_page(page);
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(out[2 * y], bm[y]);
        EXPECT_EQ(out[2 * y + 1], bm[y]);
    }
    release_page(&page);
    PageBitmap pixels = make_pixel_page(4, 4, 8, 1);
    EXPECT_EQ(image_operation(&pixels, OP_DOUBLE_ROWS, 0, 0), ERR_PARAMETER);
    release_page(&pixels);
}

TEST(ToneOperations, LightenDarkenClamp) {
    PageBitmap page = make_pixel_page(2, 1, 24, 1);
    std::memcpy(page.data, "\xFA\x0A\x80\x00\xFF\x11", 6);
    ASSERT_EQ(image_operation(&page, OP_LIGHTEN, 0, 0), IMG_OK);
    EXPECT_EQ(page.data[0], 255);  // 250 + 17 clamps
    EXPECT_EQ(page.data[1], 27);
    EXPECT_EQ(page.data[2], 145);
    std::memcpy(page.data, "\x0A\x0A\x0A\x11\x12\x00", 6);
    ASSERT_EQ(image_operation(&page, OP_DARKEN, 0, 0), IMG_OK);
    EXPECT_EQ(page.data[0], 0);  // 10 - 17 clamps
    EXPECT_EQ(page.data[3], 0);
    EXPECT_EQ(page.data[4], 1);
    release_page(&page);
}

TEST(ToneOperations, SixteenBitFieldsStepAndClamp) {
    PageBitmap page = make_pixel_page(2, 1, 16, 1);
    const uint16_t white = 0xFFFF, dark = 0x0841;  // red 1, green 2, blue 1
    std::memcpy(page.data, &white, 2);
    std::memcpy(page.data + 2, &dark, 2);
    ASSERT_EQ(image_operation(&page, OP_LIGHTEN, 0, 0), IMG_OK);
    EXPECT_EQ(pixel_at(page, 0, 0), 0xFFFFu);
    const uint32_t v = pixel_at(page, 1, 0);
    EXPECT_EQ(v & 0xF800, (0x0800 + 3968) & 0xF800);
    EXPECT_EQ(v & 0x07E0, (0x0040 + 126) & 0x07E0);
    EXPECT_EQ(v & 0x1F, 3u);
    ASSERT_EQ(image_operation(&page, OP_DARKEN, 0, 0), IMG_OK);
    ASSERT_EQ(image_operation(&page, OP_DARKEN, 0, 0), IMG_OK);
    EXPECT_EQ(pixel_at(page, 1, 0) & 0x1F, 0u);
    release_page(&page);
}

TEST(ToneOperations, ColourToGrey) {
    PageBitmap page = make_pixel_page(2, 1, 24, 1);
    std::memcpy(page.data, "\x00\x00\xFF\x10\x20\x30", 6);
    ASSERT_EQ(image_operation(&page, OP_TO_GREY, 0, 0), IMG_OK);
    EXPECT_EQ(page.bits_per_pixel, 8);
    EXPECT_EQ(page.data[0], 63);  // (0 + 0 + 255) / 4
    EXPECT_EQ(page.data[1], (0x10 + 2 * 0x20 + 0x30) / 4);
    ASSERT_NE(page.palette, nullptr);
    EXPECT_EQ(page.palette[3 * 200 + 1], 200);
    release_page(&page);

    PageBitmap p16 = make_pixel_page(1, 1, 16, 1);
    const uint16_t v = (31 << 11) | (10 << 5) | 4;
    std::memcpy(p16.data, &v, 2);
    ASSERT_EQ(image_operation(&p16, OP_TO_GREY, 0, 0), IMG_OK);
    EXPECT_EQ(p16.data[0], (4 + 31 + 10) * 2);
    release_page(&p16);

    PageBitmap p8 = make_pixel_page(4, 1, 8, 1);
    const uint8_t idx = p8.data[0];
    const int expect = (p8.palette[3 * idx] + 2 * p8.palette[3 * idx + 1] + p8.palette[3 * idx + 2]) / 4;
    ASSERT_EQ(image_operation(&p8, OP_TO_GREY, 0, 0), IMG_OK);
    EXPECT_EQ(p8.data[0], expect);
    EXPECT_EQ(p8.palette[3 * 77], 77);
    release_page(&p8);
}

TEST(ToneOperations, InvertPixelsAndPalettes) {
    PageBitmap page = make_pixel_page(3, 2, 24, 4);
    const auto before = packed_rows(page);
    ASSERT_EQ(image_operation(&page, OP_INVERT, 0, 0), IMG_OK);
    EXPECT_EQ(page.data[0], (uint8_t)~before[0]);
    ASSERT_EQ(image_operation(&page, OP_INVERT, 0, 0), IMG_OK);
    EXPECT_EQ(packed_rows(page), before);
    release_page(&page);

    PageBitmap p8 = make_pixel_page(3, 2, 8, 4);
    const auto pixels = packed_rows(p8);
    const uint8_t first = p8.palette[5];
    ASSERT_EQ(image_operation(&p8, OP_INVERT, 0, 0), IMG_OK);
    EXPECT_EQ(p8.palette[5], (uint8_t)~first);
    EXPECT_EQ(packed_rows(p8), pixels);
    release_page(&p8);
}

TEST(ToneOperations, WrongDepthsAndFormsAreRefused) {
    const Bitmap bm = random_bitmap(10, 3, 1);
    PageBitmap runs = make_runs_page(bm);
    EXPECT_EQ(image_operation(&runs, OP_LIGHTEN, 0, 0), ERR_PARAMETER);
    EXPECT_EQ(image_operation(&runs, OP_TO_GREY, 0, 0), ERR_PARAMETER);
    EXPECT_EQ(image_operation(&runs, 3, 0, 0), IMG_OK);  // not an operation: nothing happens
    EXPECT_EQ(read_runs_page(runs), bm);
    release_page(&runs);
    PageBitmap packed = make_pixel_page(16, 2, 1, 1);  // bilevel but not in run-length form
    EXPECT_EQ(image_operation(&packed, OP_TURN_90, 0, 0), ERR_PARAMETER);
    EXPECT_EQ(image_operation(&packed, OP_MIRROR, 0, 0), ERR_PARAMETER);
    release_page(&packed);
}

TEST(ComposeFrame, DisposalAndTransparency) {
    PageBitmap screen = make_pixel_page(6, 4, 8, 1);
    std::memset(screen.data, 9, (size_t)screen.data_length);
    screen.background_index = 2;
    PageBitmap frame = make_pixel_page(2, 2, 8, 1);
    frame.left = 3;
    frame.top = 1;
    std::memcpy(frame.data, "\x05\x07", 2);
    std::memcpy(frame.data + frame.pitch, "\x07\x06", 2);
    frame.gif_flags = 1;  // transparency, no disposal
    frame.transparent_index = 7;
    ASSERT_EQ(compose_frame(&screen, &frame), IMG_OK);
    EXPECT_EQ(pixel_at(screen, 3, 1), 5u);
    EXPECT_EQ(pixel_at(screen, 4, 1), 9u);  // transparent: screen kept
    EXPECT_EQ(pixel_at(screen, 4, 2), 6u);
    EXPECT_EQ(pixel_at(screen, 0, 0), 9u);

    frame.gif_flags = 3 << 2;  // restore to previous: on 8-bit screens the background is filled
    ASSERT_EQ(compose_frame(&screen, &frame), IMG_OK);
    EXPECT_EQ(pixel_at(screen, 0, 0), 2u);
    EXPECT_EQ(pixel_at(screen, 4, 1), 7u);

    frame.left = 5;  // does not fit
    EXPECT_EQ(compose_frame(&screen, &frame), ERR_PARAMETER);
    frame.left = -1;
    EXPECT_EQ(compose_frame(&screen, &frame), ERR_PARAMETER);
    release_page(&screen);
    release_page(&frame);
}

TEST(ComposeFrame, FourBitScreenDisposalTwoOnly) {
    PageBitmap screen = make_pixel_page(4, 2, 4, 1);
    std::memset(screen.data, 0x33, (size_t)screen.data_length);
    screen.background_index = 1;
    PageBitmap frame = make_pixel_page(1, 1, 4, 1);
    frame.data[0] = 0xA0;
    frame.left = 1;
    frame.gif_flags = 3 << 2;  // method 3 fills only 8-bit screens
    ASSERT_EQ(compose_frame(&screen, &frame), IMG_OK);
    EXPECT_EQ(pixel_at(screen, 0, 0), 3u);
    EXPECT_EQ(pixel_at(screen, 1, 0), 10u);
    frame.gif_flags = 2 << 2;
    ASSERT_EQ(compose_frame(&screen, &frame), IMG_OK);
    EXPECT_EQ(pixel_at(screen, 0, 0), 1u);
    EXPECT_EQ(pixel_at(screen, 3, 1), 1u);
    release_page(&screen);
    release_page(&frame);
}

TEST(RedEye, TwentyFourBitRule) {
    PageBitmap page = make_pixel_page(3, 1, 24, 1);
    // (b, g, r): strong red; reddish but green too strong; red at the limit of 75.
    std::memcpy(page.data, "\x20\x30\xC8" "\x50\x90\xA0" "\x00\x00\x4B", 9);
    ASSERT_EQ(remove_red_eye(&page, 0, 0, 3, 1), IMG_OK);
    EXPECT_EQ(page.data[2], (0x30 + 0x20) / 2);
    EXPECT_EQ(page.data[5], 0xA0);
    EXPECT_EQ(page.data[8], 0x4B);
    release_page(&page);
}

TEST(RedEye, RectangleIsClippedAndOtherDepthsRefused) {
    PageBitmap page = make_pixel_page(2, 2, 24, 1);
    for (int y = 0; y < 2; ++y) std::memcpy(page.data + y * page.pitch, "\x10\x10\xF0\x10\x10\xF0", 6);
    ASSERT_EQ(remove_red_eye(&page, 1, -5, 100, 7), IMG_OK);  // only column 1, rows 0 and 1
    EXPECT_EQ(page.data[2], 0xF0);
    EXPECT_EQ(page.data[5], 0x10);
    EXPECT_EQ(page.data[page.pitch + 5], 0x10);
    release_page(&page);
    PageBitmap p8 = make_pixel_page(2, 2, 8, 1);
    EXPECT_EQ(remove_red_eye(&p8, 0, 0, 2, 2), ERR_PARAMETER);
    release_page(&p8);
}

TEST(RedEye, SixteenBitRule) {
    PageBitmap page = make_pixel_page(2, 1, 16, 1);
    const uint16_t red = (30 << 11) | (4 << 5) | 2;   // green6 4 < red5 30
    const uint16_t dim = 0x4000;                      // not above 0x4FFF: untouched
    std::memcpy(page.data, &red, 2);
    std::memcpy(page.data + 2, &dim, 2);
    ASSERT_EQ(remove_red_eye(&page, 0, 0, 2, 1), IMG_OK);
    const uint32_t v = pixel_at(page, 0, 0);
    EXPECT_EQ(v >> 11, (((red >> 6) & 0x1Fu) + 2u) / 2u);
    EXPECT_EQ(v & 0x7FF, red & 0x7FFu);
    EXPECT_EQ(pixel_at(page, 1, 0), dim);
    release_page(&page);
}

namespace {
ViewParams crop_view(int x, int y, int w, int h, int angle) {
    ViewParams v{};
    v.src_x = x;
    v.src_y = y;
    v.out_width = w;
    v.out_height = h;
    v.angle = angle;
    return v;
}
}  // namespace

TEST(CropPage, KeepsTheRectangleAtEveryDepth) {
    for (int bpp : {4, 8, 16, 24}) {
        PageBitmap page = make_pixel_page(9, 7, bpp, (unsigned)bpp);
        PageBitmap orig = make_pixel_page(9, 7, bpp, (unsigned)bpp);
        const ViewParams v = crop_view(2, 3, 5, 4, 0);
        ASSERT_EQ(crop_page(&page, &v), IMG_OK) << bpp;
        EXPECT_EQ(page.width, 5);
        EXPECT_EQ(page.height, 4);
        EXPECT_EQ(page.pitch, row_bytes_aligned(5, bpp));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(pixel_at(page, x, y), pixel_at(orig, x + 2, y + 3)) << bpp;
        release_page(&page);
        release_page(&orig);
    }
}

TEST(CropPage, TurnedRectangleAndBounds) {
    PageBitmap page = make_pixel_page(6, 4, 8, 3);
    PageBitmap turned = make_pixel_page(6, 4, 8, 3);
    ASSERT_EQ(image_operation(&turned, OP_TURN_90, 0, 0), IMG_OK);  // 4 x 6
    ViewParams v = crop_view(1, 2, 3, 4, 90);
    ASSERT_EQ(crop_page(&page, &v), IMG_OK);
    EXPECT_EQ(page.width, 3);
    EXPECT_EQ(page.height, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(pixel_at(page, x, y), pixel_at(turned, x + 1, y + 2));
    release_page(&page);
    release_page(&turned);

    PageBitmap p = make_pixel_page(6, 4, 24, 3);
    v = crop_view(1, 0, 6, 4, 0);  // one pixel past the right edge
    EXPECT_EQ(crop_page(&p, &v), ERR_PARAMETER);
    v = crop_view(0, 0, 4, 6, 90);  // fits only turned
    EXPECT_EQ(crop_page(&p, &v), IMG_OK);
    EXPECT_EQ(p.width, 4);
    v = crop_view(-1, 0, 2, 2, 0);
    EXPECT_EQ(crop_page(&p, &v), ERR_PARAMETER);
    release_page(&p);
}

TEST(CropPage, BilevelResultReturnsToRuns) {
    const Bitmap bm = random_bitmap(40, 30, 5);
    PageBitmap page = make_runs_page(bm);
    const ViewParams v = crop_view(7, 4, 20, 10, 0);
    ASSERT_EQ(crop_page(&page, &v), IMG_OK);
    EXPECT_EQ(page.compression, COMP_RUNS);
    const Bitmap out = read_runs_page(page);
    ASSERT_EQ(out.size(), 10u);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(out[y][x], bm[y + 4][x + 7]) << x << "," << y;
    release_page(&page);
}

TEST(ResizePage, SizesAndLimits) {
    PageBitmap page = make_pixel_page(10, 10, 24, 1);
    PageBitmap out{};
    EXPECT_EQ(resize_page(&page, &out, 32768, 10), ERR_PARAMETER);
    EXPECT_EQ(resize_page(&page, &out, 0, 10), ERR_PARAMETER);
    EXPECT_EQ(resize_page(&page, &out, 81, 10), ERR_PARAMETER);  // beyond 8x enlargement
    ASSERT_EQ(resize_page(&page, &out, 80, 5), IMG_OK);
    EXPECT_EQ(out.width, 80);
    EXPECT_EQ(out.height, 5);
    EXPECT_EQ(out.compression, COMP_NONE);
    EXPECT_EQ(out.pitch, row_bytes_aligned(80, 24));
    EXPECT_NE(out.data, page.data);
    release_page(&out);
    release_page(&page);
}

TEST(ResizePage, UniformPageStaysUniformAndPaletteIsCopied) {
    PageBitmap page = make_pixel_page(12, 8, 8, 1);
    std::memset(page.data, 42, (size_t)page.data_length);
    PageBitmap out{};
    ASSERT_EQ(resize_page(&page, &out, 5, 3), IMG_OK);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(pixel_at(out, x, y), 42u);
    ASSERT_NE(out.palette, nullptr);
    EXPECT_NE(out.palette, page.palette);
    EXPECT_EQ(std::memcmp(out.palette, page.palette, 768), 0);
    release_page(&out);
    release_page(&page);

    const Bitmap bm = random_bitmap(64, 32, 8);
    PageBitmap runs = make_runs_page(bm);
    ASSERT_EQ(resize_page(&runs, &out, 128, 64), IMG_OK);  // 2x: every pixel doubled
    EXPECT_EQ(out.compression, COMP_RUNS);
    const Bitmap big = read_runs_page(out);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x) ASSERT_EQ(big[y][x], bm[y / 2][x / 2]) << x << "," << y;
    release_page(&out);
    release_page(&runs);
}

TEST(DepthOperation, ChangesDepthThroughTheConversion) {
    PageBitmap page = make_pixel_page(4, 2, 24, 1);
    ASSERT_EQ(image_operation(&page, OP_CHANGE_DEPTH, 8, 0), IMG_OK);
    EXPECT_EQ(page.bits_per_pixel, 8);
    EXPECT_NE(page.palette, nullptr);
    release_page(&page);
}
