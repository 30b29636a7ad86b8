// scale_page on 4-, 8-, 16- and 24-bit pages: every angle and a range of scales
// against a direct per-pixel reference, the drawn extent, box averaging, the tone
// table and the refused transforms.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scale_test_pages.h"

namespace {
// A pixel value that differs between neighbours at every depth.
uint32_t pattern(int32_t x, int32_t y, int bpp) {
    const uint32_t v = (uint32_t)(x * 7 + y * 13 + x * y * 3) ^ (uint32_t)(y << 9) ^ (uint32_t)(x << 17);
    return bpp == 24 ? v & 0xFFFFFF : bpp == 16 ? v & 0xFFFF : bpp == 8 ? v & 0xFF : v & 0xF;
}

struct Out {
    std::vector<uint8_t> bytes;
    int32_t pitch;
};

Out make_output(int32_t w, int32_t h, int bpp, uint8_t fill = 0xAB) {
    const int32_t pitch = view_row_bytes(w, bpp);
    return Out{std::vector<uint8_t>((size_t)pitch * h, fill), pitch};
}

ViewParams view_of(Out& out, int32_t w, int32_t h, int32_t xs, int32_t ys, int32_t angle, int32_t sx = 0,
                   int32_t sy = 0, uint8_t flags = 0) {
    return test_view(out.bytes.data(), out.pitch, w, h, xs, ys, angle, sx, sy, flags);
}

// Stored pixel that turned position (X, Y) shows, written out per angle.
uint32_t turned_pixel(const PageBitmap& p, int32_t X, int32_t Y, int32_t angle) {
    int32_t col = X, row = Y;
    if (angle == 90) col = Y, row = p.height - 1 - X;
    if (angle == 180) col = p.width - 1 - X, row = p.height - 1 - Y;
    if (angle == 270) col = p.width - 1 - Y, row = X;
    return get_pixel(p.data + (size_t)row * p.pitch, col, p.bits_per_pixel);
}

// Checks every output pixel against the reference and everything outside the
// extent against the fill value.
void expect_matches_reference(const PageBitmap& page, const ViewParams& v, const Out& out, int top_down) {
    const bool quarter = v.angle == 90 || v.angle == 270;
    const int32_t tw = quarter ? page.height : page.width, th = quarter ? page.width : page.height;
    const int32_t cols = std::min<int64_t>(v.out_width, (int64_t)(tw - v.src_x) * 256 / v.x_scale);
    const int32_t rows = std::min<int64_t>(v.out_height, (int64_t)(th - v.src_y) * 256 / v.y_scale);
    const int bpp = page.bits_per_pixel;
    const std::vector<uint8_t> fill_row((size_t)out.pitch, 0xAB);
    for (int32_t i = 0; i < v.out_height; ++i) {
        const uint8_t* row = out.bytes.data() + (size_t)(top_down ? i : v.out_height - 1 - i) * out.pitch;
        for (int32_t j = 0; j < v.out_width; ++j) {
            const uint32_t got = get_pixel(row, j, bpp);
            if (i < rows && j < cols) {
                const int32_t X = v.src_x + (int32_t)(((int64_t)j * v.x_scale) >> 8);
                const int32_t Y = v.src_y + (int32_t)(((int64_t)i * v.y_scale) >> 8);
                ASSERT_EQ(got, turned_pixel(page, X, Y, v.angle))
                    << "bpp " << bpp << " angle " << v.angle << " scale " << v.x_scale << "/" << v.y_scale
                    << " at " << j << "," << i;
            } else {
                ASSERT_EQ(got, get_pixel(fill_row.data(), j, bpp)) << "written outside the extent at " << j << "," << i;
            }
        }
    }
}
}  // namespace

TEST(ScalePage, EveryAngleDepthAndScaleMatchesReference) {
    const int depths[] = {4, 8, 16, 24};
    const int32_t angles[] = {0, 90, 180, 270};
    const int32_t scales[][2] = {{256, 256}, {512, 512}, {384, 700}, {100, 256}, {32, 32}, {1000, 90}};
    for (int bpp : depths) {
        OwnedPage p;
        make_pixel_page(p.page, 37, 23, bpp, [bpp](int32_t x, int32_t y) { return pattern(x, y, bpp); });
        for (int32_t angle : angles)
            for (const auto& s : scales)
                for (int top_down = 0; top_down < 2; ++top_down) {
                    Out out = make_output(41, 29, bpp);
                    const ViewParams v = view_of(out, 41, 29, s[0], s[1], angle, 3, 2);
                    ASSERT_EQ(scale_page(&p.page, &v, top_down, nullptr), 0);
                    expect_matches_reference(p.page, v, out, top_down);
                }
    }
}

TEST(ScalePage, OneToOneCopiesRowsFromOddAndEvenOrigins) {
    for (int bpp : {4, 8, 16, 24})
        for (int32_t sx : {0, 1, 2, 5})
            for (int32_t w : {1, 6, 7, 40}) {
                OwnedPage p;
                make_pixel_page(p.page, 33, 9, bpp, [bpp](int32_t x, int32_t y) { return pattern(x, y, bpp); }, 8);
                Out out = make_output(w, 9, bpp);
                const ViewParams v = view_of(out, w, 9, 256, 256, 0, sx, 1);
                ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
                expect_matches_reference(p.page, v, out, 1);
            }
}

TEST(ScalePage, QuarterTurnStartsWithLeftColumnFromBottom) {
    OwnedPage p;
    make_pixel_page(p.page, 3, 2, 8, [](int32_t x, int32_t y) { return (uint32_t)(10 * y + x); });
    Out out = make_output(2, 3, 8);
    const ViewParams v = view_of(out, 2, 3, 256, 256, 90);
    ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
    EXPECT_EQ(out.bytes[0], 10);  // bottom-left pixel
    EXPECT_EQ(out.bytes[1], 0);   // top-left pixel
    EXPECT_EQ(out.bytes[(size_t)out.pitch * 2], 12);
}

TEST(ScalePage, EightfoldEnlargementAtSmallestScale) {
    OwnedPage p;
    make_pixel_page(p.page, 2, 2, 8, [](int32_t x, int32_t y) { return (uint32_t)(1 + x + 2 * y); });
    Out out = make_output(16, 16, 8);
    ViewParams v = view_of(out, 16, 16, 32, 32, 0);
    ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
    for (int32_t i = 0; i < 16; ++i)
        for (int32_t j = 0; j < 16; ++j) ASSERT_EQ(out.bytes[(size_t)i * out.pitch + j], 1 + j / 8 + 2 * (i / 8));
    v.x_scale = 31;
    EXPECT_EQ(scale_page(&p.page, &v, 1, nullptr), ERR_PARAMETER);
}

TEST(ScalePage, RefusesBadTransformsAndPages) {
    OwnedPage p;
    make_pixel_page(p.page, 4, 4, 24, [](int32_t x, int32_t) { return (uint32_t)x; });
    Out out = make_output(4, 4, 24);
    const ViewParams good = view_of(out, 4, 4, 256, 256, 0);
    auto with = [&](auto change) {
        ViewParams v = good;
        change(v);
        return scale_page(&p.page, &v, 1, nullptr);
    };
    EXPECT_EQ(with([](ViewParams& v) { v.y_scale = 31; }), ERR_PARAMETER);
    EXPECT_EQ(with([](ViewParams& v) { v.pixels = nullptr; }), ERR_PARAMETER);
    EXPECT_EQ(with([](ViewParams& v) { v.out_width = 0; }), ERR_PARAMETER);
    EXPECT_EQ(with([](ViewParams& v) { v.out_height = -1; }), ERR_PARAMETER);
    EXPECT_EQ(with([](ViewParams& v) { v.angle = 45; }), ERR_PARAMETER);
    p.page.bits_per_pixel = 2;
    EXPECT_EQ(scale_page(&p.page, &good, 1, nullptr), ERR_PARAMETER);
    p.page.bits_per_pixel = 24;
    p.page.compression = COMP_JPEG;  // not decoded
    EXPECT_EQ(scale_page(&p.page, &good, 1, nullptr), ERR_PARAMETER);
    p.page.compression = COMP_NONE;
    EXPECT_EQ(scale_page(nullptr, &good, 1, nullptr), ERR_PARAMETER);
    EXPECT_EQ(scale_page(&p.page, &good, 1, nullptr), 0);
}

TEST(ScalePage, WindowOutsidePictureWritesNothing) {
    OwnedPage p;
    make_pixel_page(p.page, 10, 6, 16, [](int32_t x, int32_t y) { return (uint32_t)(x + y); });
    for (auto origin : {std::pair{10, 0}, std::pair{0, 6}, std::pair{-1, 0}, std::pair{0, -3}}) {
        Out out = make_output(5, 5, 16);
        const ViewParams v = view_of(out, 5, 5, 256, 256, 0, origin.first, origin.second);
        ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
        for (uint8_t b : out.bytes) ASSERT_EQ(b, 0xAB);
    }
    // Turned by 90 the picture is 6 wide: column 8 lies outside.
    Out out = make_output(5, 5, 16);
    const ViewParams v = view_of(out, 5, 5, 256, 256, 90, 8, 0);
    ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
    for (uint8_t b : out.bytes) ASSERT_EQ(b, 0xAB);
}

namespace {
// Mean of a stored box per channel (24-bit) or per RGB565 field (16-bit).
uint32_t box_mean(const PageBitmap& p, int32_t col, int32_t row, int32_t cols, int32_t rows) {
    uint32_t sum[3] = {0, 0, 0};
    const bool rgb565 = p.bits_per_pixel == 16;
    for (int32_t r = row; r < row + rows; ++r)
        for (int32_t c = col; c < col + cols; ++c) {
            const uint32_t v = get_pixel(p.data + (size_t)r * p.pitch, c, p.bits_per_pixel);
            if (rgb565) {
                sum[0] += v & 31, sum[1] += (v >> 5) & 63, sum[2] += v >> 11;
            } else {
                sum[0] += v & 255, sum[1] += (v >> 8) & 255, sum[2] += v >> 16;
            }
        }
    const uint32_t n = (uint32_t)(cols * rows);
    if (rgb565) return (sum[0] / n) | ((sum[1] / n) << 5) | ((sum[2] / n) << 11);
    return (sum[0] / n) | ((sum[1] / n) << 8) | ((sum[2] / n) << 16);
}
}  // namespace

TEST(ScalePageBox, SevenToOneAveragesFiveByFive) {
    for (int bpp : {16, 24}) {
        OwnedPage p;
        make_pixel_page(p.page, 70, 70, bpp, [bpp](int32_t x, int32_t y) { return pattern(x, y, bpp); });
        Out out = make_output(10, 10, bpp);
        const ViewParams v = view_of(out, 10, 10, 7 * 256, 7 * 256, 0, 0, 0, VIEW_BOX_AVERAGE);
        ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
        for (int32_t i = 0; i < 10; ++i)
            for (int32_t j = 0; j < 10; ++j)
                ASSERT_EQ(get_pixel(out.bytes.data() + (size_t)i * out.pitch, j, bpp), box_mean(p.page, 7 * j, 7 * i, 5, 5))
                    << "bpp " << bpp << " at " << j << "," << i;
    }
}

TEST(ScalePageBox, BoxFollowsTurnAndFallsBackAtEdges) {
    // 2:1 across and 3:1 down, turned by 90: the two-pixel side runs along stored rows.
    OwnedPage p;
    make_pixel_page(p.page, 20, 13, 24, [](int32_t x, int32_t y) { return pattern(x, y, 24); });
    Out out = make_output(7, 7, 24);
    const ViewParams v = view_of(out, 7, 7, 512, 768, 90, 0, 0, VIEW_BOX_AVERAGE);
    ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
    // The turned picture is 13 x 20: 6 output pixels across and 6 rows down are drawn.
    for (int32_t i = 0; i < 6; ++i)
        for (int32_t j = 0; j < 6; ++j) {
            const int32_t X = (j * 512) >> 8, Y = (i * 768) >> 8;
            const int32_t col = Y, row = p.page.height - 1 - X;  // stored position at 90 degrees
            const uint32_t expected = (col + 3 <= p.page.width && row + 2 <= p.page.height)
                                          ? box_mean(p.page, col, row, 3, 2)
                                          : turned_pixel(p.page, X, Y, 90);
            ASSERT_EQ(get_pixel(out.bytes.data() + (size_t)i * out.pitch, j, 24), expected) << j << "," << i;
        }
}

TEST(ScalePageBox, OnlyForColourReductionsWithTheFlag) {
    // 8-bit indices are never averaged, and without the flag 16/24-bit pages are sampled.
    for (int bpp : {8, 24})
        for (uint8_t flags : {uint8_t(0), uint8_t(VIEW_BOX_AVERAGE)}) {
            OwnedPage p;
            make_pixel_page(p.page, 30, 30, bpp, [bpp](int32_t x, int32_t y) { return pattern(x, y, bpp); });
            Out out = make_output(10, 10, bpp);
            const ViewParams v = view_of(out, 10, 10, 768, 768, 0, 0, 0, flags);
            ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
            if (bpp == 8 || flags == 0) expect_matches_reference(p.page, v, out, 1);
        }
    // An enlargement with the flag stays a plain sample.
    OwnedPage p;
    make_pixel_page(p.page, 5, 5, 24, [](int32_t x, int32_t y) { return pattern(x, y, 24); });
    Out out = make_output(10, 10, 24);
    const ViewParams v = view_of(out, 10, 10, 128, 128, 0, 0, 0, VIEW_BOX_AVERAGE);
    ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
    expect_matches_reference(p.page, v, out, 1);
}

TEST(ToneTable, GammaAndBrightnessFormula) {
    std::vector<uint8_t> t(TONE_TABLE_BYTES);
    build_tone_table(127, 128, t.data());  // exponent 1, brightness 1: identity
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t[(size_t)i], i);
    for (unsigned d = 0; d < 65536; d += 97) {
        uint16_t e;
        std::memcpy(&e, t.data() + 256 + 2 * d, 2);
        ASSERT_EQ(e, d);
    }
    build_tone_table(127, 64, t.data());  // half brightness
    EXPECT_EQ(t[200], 100);
    build_tone_table(127, 255, t.data());  // twice as bright, capped
    EXPECT_EQ(t[100], 199);
    EXPECT_EQ(t[200], 255);
    build_tone_table(255, 128, t.data());  // exponent 0
    EXPECT_EQ(t[0], 255);
    EXPECT_EQ(t[77], 255);
    build_tone_table(128, 128, t.data());  // the default is slightly brighter than identity
    EXPECT_EQ(t[128], (int)(std::pow(128 / 255.0, 127 / 128.0) * 255));
    EXPECT_EQ(t[255], 255);
    build_tone_table(0, 128, t.data());  // exponent 255/128 darkens
    EXPECT_EQ(t[128], (int)(std::pow(128 / 255.0, 255 / 128.0) * 255));
    // RGB565 entries map each widened field through the byte table.
    uint16_t e;
    std::memcpy(&e, t.data() + 256 + 2 * 0xFFFF, 2);
    EXPECT_EQ(e, ((t[0xF8] & 0xF8) << 8) | ((t[0xFC] & 0xFC) << 3) | (t[0xF8] >> 3));
}

TEST(ToneTable, AppliedToWholeOutputOfColourPagesOnly) {
    std::vector<uint8_t> tone(TONE_TABLE_BYTES);
    build_tone_table(127, 64, tone.data());  // halves every channel
    {
        OwnedPage p;
        make_pixel_page(p.page, 4, 4, 24, [](int32_t, int32_t) { return 0x804020u; });
        Out out = make_output(6, 6, 24, 0x64);  // larger than the picture
        const ViewParams v = view_of(out, 6, 6, 256, 256, 0);
        ASSERT_EQ(scale_page(&p.page, &v, 1, tone.data()), 0);
        EXPECT_EQ(get_pixel(out.bytes.data(), 0, 24), 0x402010u);
        EXPECT_EQ(out.bytes[(size_t)out.pitch * 5 + 17], 0x32);  // outside the extent, mapped too
    }
    {
        OwnedPage p;
        make_pixel_page(p.page, 4, 4, 16, [](int32_t, int32_t) { return 0xFFFFu; });
        Out out = make_output(4, 4, 16);
        const ViewParams v = view_of(out, 4, 4, 256, 256, 0);
        ASSERT_EQ(scale_page(&p.page, &v, 1, tone.data()), 0);
        uint16_t expected;
        std::memcpy(&expected, tone.data() + 256 + 2 * 0xFFFF, 2);
        EXPECT_EQ(get_pixel(out.bytes.data() + out.pitch * 3, 3, 16), expected);
        EXPECT_NE(expected, 0xFFFF);
    }
    {
        OwnedPage p;  // palette indices are not tone-mapped
        make_pixel_page(p.page, 4, 4, 8, [](int32_t, int32_t) { return 200u; });
        Out out = make_output(4, 4, 8);
        const ViewParams v = view_of(out, 4, 4, 256, 256, 0);
        ASSERT_EQ(scale_page(&p.page, &v, 1, tone.data()), 0);
        EXPECT_EQ(out.bytes[0], 200);
    }
}

TEST(ScalePageBox, EnlargedAxisKeepsOnePixelBoxSide) {
    // 4:1 across and 2x enlarged down: each output pixel averages four pixels of a row.
    for (int bpp : {16, 24}) {
        OwnedPage p;
        make_pixel_page(p.page, 40, 5, bpp, [bpp](int32_t x, int32_t y) { return pattern(x, y, bpp); });
        Out out = make_output(10, 10, bpp);
        const ViewParams v = view_of(out, 10, 10, 1024, 128, 0, 0, 0, VIEW_BOX_AVERAGE);
        ASSERT_EQ(scale_page(&p.page, &v, 1, nullptr), 0);
        for (int32_t i = 0; i < 10; ++i)
            for (int32_t j = 0; j < 10; ++j)
                ASSERT_EQ(get_pixel(out.bytes.data() + (size_t)i * out.pitch, j, bpp),
                          box_mean(p.page, 4 * j, i / 2, 4, 1))
                    << "bpp " << bpp << " at " << j << "," << i;
    }
}
