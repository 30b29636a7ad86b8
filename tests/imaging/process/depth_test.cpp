// convert_depth, plain method: every listed depth pair on small pages with known
// results, the palettes attached, the run-length form of 1-bit results, the pairs
// left alone, and what happens to buffers the page does not own.
#include <gtest/gtest.h>

#include <vector>

#include "codecs/run_form.h"
#include "scale_test_pages.h"

namespace {
uint32_t bgr(uint8_t blue, uint8_t green, uint8_t red) { return blue | (green << 8) | ((uint32_t)red << 16); }

uint32_t pixel(const PageBitmap& p, int32_t x, int32_t y) {
    return get_pixel(p.data + p.data_offset + (size_t)y * p.pitch, x, p.bits_per_pixel);
}

uint32_t entry(const PageBitmap& p, int i) { return bgr(p.palette[3 * i], p.palette[3 * i + 1], p.palette[3 * i + 2]); }

void give_palette(PageBitmap& p, const std::vector<uint32_t>& entries) {
    p.palette = static_cast<uint8_t*>(mem_alloc(768));
    for (size_t i = 0; i < entries.size(); ++i)
        for (int k = 0; k < 3; ++k) p.palette[3 * i + k] = (uint8_t)(entries[i] >> (8 * k));
}

void expect_converted(const PageBitmap& p, int bpp) {
    EXPECT_EQ(p.bits_per_pixel, bpp);
    EXPECT_EQ(p.ownership, OWN_ALLOCATED);
    EXPECT_EQ(p.data_offset, 0);
    if (bpp == 1) {
        EXPECT_EQ(p.compression, COMP_RUNS);
        return;
    }
    EXPECT_EQ(p.compression, COMP_NONE);
    EXPECT_EQ(p.pitch, row_bytes_aligned(p.width, bpp));
    EXPECT_EQ(p.data_length, p.pitch * p.height);
}

// A 1-bit page: white where (x + y) % 3 != 0.
bool diagonal_white(int32_t x, int32_t y) { return (x + y) % 3 != 0; }
}  // namespace

TEST(ConvertDepth, BilevelExpandsFromPackedAndRunRows) {
    const uint32_t white_of[] = {0, 0, 0, 0, 15, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0xFFFF, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF};
    for (int target : {4, 8, 16, 24})
        for (int form = 0; form < 3; ++form) {  // packed, packed with set bits black, run-length
            OwnedPage p;
            if (form == 2) {
                BitMatrix m(5, std::vector<uint8_t>(11));
                for (int32_t y = 0; y < 5; ++y)
                    for (int32_t x = 0; x < 11; ++x) m[(size_t)y][(size_t)x] = diagonal_white(x, y);
                make_run_page(p.page, m);
            } else {
                make_pixel_page(p.page, 11, 5, 1,
                                [form](int32_t x, int32_t y) { return (uint32_t)(diagonal_white(x, y) != (form == 1)); });
                p.page.black_is_one = (int8_t)(form == 1);
            }
            ASSERT_EQ(convert_depth(&p.page, target, 0), 0);
            expect_converted(p.page, target);
            for (int32_t y = 0; y < 5; ++y)
                for (int32_t x = 0; x < 11; ++x)
                    ASSERT_EQ(pixel(p.page, x, y), diagonal_white(x, y) ? white_of[target] : 0u)
                        << "target " << target << " form " << form << " at " << x << "," << y;
            if (target == 4) {
                EXPECT_EQ(entry(p.page, 8), bgr(192, 192, 192));
                EXPECT_EQ(entry(p.page, 9), bgr(0, 0, 255));
                EXPECT_EQ(entry(p.page, 15), bgr(255, 255, 255));
            }
            if (target == 8) {
                EXPECT_EQ(entry(p.page, 255), bgr(255, 255, 255));
                EXPECT_EQ(entry(p.page, 0x75), bgr(85, 182, 109));  // red 3, green 5, blue 1
            }
        }
}

TEST(ConvertDepth, TwoBitIndicesKeepTheirPalette) {
    for (int target : {4, 8}) {
        OwnedPage p;
        make_pixel_page(p.page, 9, 3, 2, [](int32_t x, int32_t y) { return (uint32_t)((x + 2 * y) & 3); });
        give_palette(p.page, {bgr(1, 2, 3), bgr(4, 5, 6), bgr(7, 8, 9), bgr(10, 11, 12)});
        const uint8_t* palette = p.page.palette;
        ASSERT_EQ(convert_depth(&p.page, target, 0), 0);
        expect_converted(p.page, target);
        EXPECT_EQ(p.page.palette, palette);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 9; ++x) ASSERT_EQ(pixel(p.page, x, y), (uint32_t)((x + 2 * y) & 3));
    }
}

TEST(ConvertDepth, FourBitGreyExpansion) {
    for (bool inverted : {false, true}) {
        OwnedPage p;
        make_pixel_page(p.page, 16, 2, 4, [](int32_t x, int32_t) { return (uint32_t)x; });
        std::vector<uint32_t> ramp;
        for (int i = 0; i < 16; ++i) {
            const uint8_t g = (uint8_t)(inverted ? 255 - 17 * i : 17 * i);
            ramp.push_back(bgr(g, g, g));
        }
        give_palette(p.page, ramp);
        ASSERT_EQ(convert_depth(&p.page, 8, 0), 0);
        expect_converted(p.page, 8);
        for (int32_t x = 0; x < 16; ++x) ASSERT_EQ(pixel(p.page, x, 1), (uint32_t)(inverted ? 15 - x : x) * 17);
        EXPECT_EQ(entry(p.page, 200), bgr(200, 200, 200));
    }
}

TEST(ConvertDepth, PaletteLookupTo16And24Bits) {
    for (int source : {4, 8})
        for (int target : {16, 24}) {
            OwnedPage p;
            make_pixel_page(p.page, 5, 2, source, [](int32_t x, int32_t y) { return (uint32_t)(x + 5 * y); });
            std::vector<uint32_t> entries;
            for (int i = 0; i < 10; ++i) entries.push_back(bgr((uint8_t)(20 * i + 7), (uint8_t)(255 - 9 * i), (uint8_t)(i * i)));
            give_palette(p.page, entries);
            ASSERT_EQ(convert_depth(&p.page, target, 0), 0);
            expect_converted(p.page, target);
            EXPECT_EQ(p.page.palette, nullptr);
            for (int i = 0; i < 10; ++i) {
                const uint32_t e = entries[(size_t)i];
                const uint32_t b = e & 255, g = (e >> 8) & 255, r = e >> 16;
                const uint32_t expected = target == 24 ? e : ((g >> 2) << 5) | (b >> 3) | ((r >> 3) << 11);
                ASSERT_EQ(pixel(p.page, i % 5, i / 5), expected) << source << "->" << target << " index " << i;
            }
        }
}

TEST(ConvertDepth, ColourRoundTripClearsLowBits) {
    OwnedPage p;
    make_pixel_page(p.page, 64, 4, 24, [](int32_t x, int32_t y) { return bgr((uint8_t)(x * 4 + y), (uint8_t)(255 - x * 3), (uint8_t)(x * 7 + y)); });
    ASSERT_EQ(convert_depth(&p.page, 16, 0), 0);
    expect_converted(p.page, 16);
    EXPECT_EQ(pixel(p.page, 1, 0), (uint32_t)(((252 >> 2) << 5) | (4 >> 3) | ((7 >> 3) << 11)));
    ASSERT_EQ(convert_depth(&p.page, 24, 0), 0);
    expect_converted(p.page, 24);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(pixel(p.page, x, y),
                      bgr((uint8_t)((x * 4 + y) & 0xF8), (uint8_t)((255 - x * 3) & 0xFC), (uint8_t)((x * 7 + y) & 0xF8)));
}

TEST(ConvertDepth, ThresholdToBilevelRuns) {
    // Yellow is white at both depths (grey 191 and 188); grey 128 is black; 129 white.
    const uint32_t colours24[] = {bgr(0, 255, 255), bgr(128, 128, 128), bgr(129, 129, 129), bgr(0, 0, 255)};
    const uint32_t colours16[] = {0xFFE0, (16u << 11) | (32u << 5) | 16u, 0xFFFF, 0xF800};
    const bool white[] = {true, false, true, false};
    for (int bpp : {16, 24})
        for (int method : {0, 2}) {
            OwnedPage p;
            make_pixel_page(p.page, 8, 3, bpp, [&](int32_t x, int32_t) {
                return bpp == 24 ? colours24[x / 2] : colours16[x / 2];
            });
            ASSERT_EQ(convert_depth(&p.page, 1, method), 0);
            expect_converted(p.page, 1);
            EXPECT_EQ(p.page.layout & LAYOUT_TOP_DOWN, LAYOUT_TOP_DOWN);
            bool well_formed = false;
            const BitMatrix m = read_run_page(p.page, &well_formed);
            ASSERT_TRUE(well_formed);
            if (method == 2) continue;  // diffused errors move the later pixels
            for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(m[1][(size_t)x] != 0, white[x / 2]) << bpp << " pixel " << x;
        }
}

TEST(ConvertDepth, MidGreyIsBlackWithEitherMethod) {
    for (int method : {0, 2}) {
        OwnedPage p;
        make_pixel_page(p.page, 20, 6, 24, [](int32_t, int32_t) { return bgr(128, 128, 128); });
        ASSERT_EQ(convert_depth(&p.page, 1, method), 0);
        bool well_formed = false;
        for (const auto& row : read_run_page(p.page, &well_formed))
            for (uint8_t px : row) ASSERT_EQ(px, 0);
        EXPECT_TRUE(well_formed);
    }
}

TEST(ConvertDepth, PalettePagesThresholdTheirEntriesGrey) {
    for (int bpp : {4, 8}) {
        OwnedPage p;
        make_pixel_page(p.page, 4, 1, bpp, [](int32_t x, int32_t) { return (uint32_t)x; });
        give_palette(p.page, {bgr(255, 255, 255), bgr(0, 0, 0), bgr(0, 130, 0), bgr(200, 100, 40)});
        ASSERT_EQ(convert_depth(&p.page, 1, 0), 0);
        EXPECT_EQ(p.page.palette, nullptr);
        bool well_formed = false;
        const BitMatrix m = read_run_page(p.page, &well_formed);
        ASSERT_TRUE(well_formed);
        // greys 255, 0, 65, 110
        EXPECT_EQ(m[0], (std::vector<uint8_t>{1, 0, 0, 0}));
    }
}

TEST(ConvertDepth, GreyFourBitReductions) {
    {  // 8-bit: grey of the palette entry, top 4 bits
        OwnedPage p;
        make_pixel_page(p.page, 3, 1, 8, [](int32_t x, int32_t) { return (uint32_t)x; });
        give_palette(p.page, {bgr(255, 255, 255), bgr(0, 200, 100), bgr(16, 16, 16)});
        ASSERT_EQ(convert_depth(&p.page, 4, 0), 0);
        expect_converted(p.page, 4);
        EXPECT_EQ(pixel(p.page, 0, 0), 15u);
        EXPECT_EQ(pixel(p.page, 1, 0), (0u + 400 + 100) / 4 >> 4);
        EXPECT_EQ(pixel(p.page, 2, 0), 1u);
        EXPECT_EQ(entry(p.page, 3), bgr(51, 51, 51));
    }
    {  // 24-bit: (blue + 2 green + red) >> 6
        OwnedPage p;
        make_pixel_page(p.page, 2, 1, 24, [](int32_t x, int32_t) { return x ? bgr(10, 100, 250) : bgr(255, 255, 255); });
        ASSERT_EQ(convert_depth(&p.page, 4, 0), 0);
        EXPECT_EQ(pixel(p.page, 0, 0), 15u);
        EXPECT_EQ(pixel(p.page, 1, 0), (10u + 200 + 250) >> 6);
    }
    {  // 16-bit: 2 red5 + 4 green5 + 2 blue5, green cut to its top 5 bits
        OwnedPage p;
        make_pixel_page(p.page, 2, 1, 16, [](int32_t x, int32_t) { return x ? (1u << 5) | 7u : 0xFFFFu; });
        ASSERT_EQ(convert_depth(&p.page, 4, 0), 0);
        EXPECT_EQ(pixel(p.page, 0, 0), 15u);
        EXPECT_EQ(pixel(p.page, 1, 0), 0u);  // the widened grey would give 1
    }
}

TEST(ConvertDepth, CubeTruncation) {
    OwnedPage p24;
    make_pixel_page(p24.page, 3, 1, 24, [](int32_t x, int32_t) {
        const uint32_t c[] = {bgr(255, 255, 255), bgr(0, 0, 255), bgr(0x7F, 0xA0, 0x3C)};
        return c[x];
    });
    ASSERT_EQ(convert_depth(&p24.page, 8, 0), 0);
    expect_converted(p24.page, 8);
    EXPECT_EQ(pixel(p24.page, 0, 0), 255u);
    EXPECT_EQ(pixel(p24.page, 1, 0), 224u);
    EXPECT_EQ(pixel(p24.page, 2, 0), (0x3Cu & 0xE0) | ((0xA0u & 0xE0) >> 3) | (0x7Fu >> 6));
    EXPECT_EQ(entry(p24.page, 0x75), bgr(85, 182, 109));

    OwnedPage p16;
    make_pixel_page(p16.page, 2, 1, 16, [](int32_t x, int32_t) { return x ? 0x9A5Bu : 0xFFFFu; });
    ASSERT_EQ(convert_depth(&p16.page, 8, 0), 0);
    EXPECT_EQ(pixel(p16.page, 0, 0), 255u);
    EXPECT_EQ(pixel(p16.page, 1, 0), ((0x9A5Bu >> 8) & 0xE0) | ((0x9A5Bu >> 6) & 0x1C) | ((0x9A5Bu >> 3) & 0x03));
}

TEST(ConvertDepth, UnlistedPairsLeaveThePageAlone) {
    const int pairs[][2] = {{24, 24}, {24, 2}, {8, 8}, {2, 16}, {4, 4}, {1, 1}, {8, 12}, {16, 32}};
    for (const auto& pair : pairs) {
        OwnedPage p;
        make_pixel_page(p.page, 6, 2, pair[0], [](int32_t x, int32_t) { return (uint32_t)x; });
        const uint8_t* data = p.page.data;
        const int32_t pitch = p.page.pitch;
        ASSERT_EQ(convert_depth(&p.page, pair[1], 2), 0);
        EXPECT_EQ(p.page.data, data);
        EXPECT_EQ(p.page.pitch, pitch);
        EXPECT_EQ(p.page.bits_per_pixel, pair[0]);
    }
    EXPECT_EQ(convert_depth(nullptr, 8, 0), ERR_PARAMETER);
}

TEST(ConvertDepth, BorrowedAndOffsetSourceRows) {
    // Rows read from data + data_offset; a buffer the page does not own is left intact.
    OwnedPage owner;
    make_pixel_page(owner.page, 4, 3, 24, [](int32_t x, int32_t y) { return bgr((uint8_t)(x * 60), (uint8_t)(y * 100), 7); });
    std::vector<uint8_t> mapped(16 + (size_t)owner.page.pitch * 3);
    std::memcpy(mapped.data() + 16, owner.page.data, (size_t)owner.page.pitch * 3);
    PageBitmap view = owner.page;
    view.data = mapped.data();
    view.data_offset = 16;
    view.ownership = OWN_BORROWED;
    const std::vector<uint8_t> before = mapped;
    ASSERT_EQ(convert_depth(&view, 16, 0), 0);
    expect_converted(view, 16);
    EXPECT_EQ(mapped, before);
    EXPECT_EQ(pixel(view, 3, 2), (uint32_t)(((200 >> 2) << 5) | (180 >> 3) | ((7 >> 3) << 11)));
    release_page(&view);
}

TEST(ConvertDepth, BottomUpPageGivesTopDownRuns) {
    OwnedPage p;
    make_pixel_page(p.page, 5, 3, 8, [](int32_t, int32_t y) { return y == 0 ? 0u : 255u; });  // stored row 0 black
    p.page.layout = LAYOUT_BOTTOM_UP;
    ASSERT_EQ(convert_depth(&p.page, 1, 0), 0);  // no palette: grey ramp
    bool well_formed = false;
    const BitMatrix m = read_run_page(p.page, &well_formed);
    ASSERT_TRUE(well_formed);
    EXPECT_EQ(m[2], (std::vector<uint8_t>(5, 0)));  // the bottom picture row
    EXPECT_EQ(m[0], (std::vector<uint8_t>(5, 1)));
    EXPECT_EQ(p.page.layout & (LAYOUT_TOP_DOWN | LAYOUT_BOTTOM_UP), LAYOUT_TOP_DOWN);
}

TEST(ConvertDepth, RunsTooLongForTheFormAreRefused) {
    OwnedPage p;
    make_pixel_page(p.page, RUN_MAX + 1, 1, 8, [](int32_t, int32_t) { return 255u; });
    const uint8_t* data = p.page.data;
    EXPECT_EQ(convert_depth(&p.page, 1, 0), ERR_PARAMETER);
    EXPECT_EQ(p.page.data, data);
    EXPECT_EQ(p.page.bits_per_pixel, 8);
}
