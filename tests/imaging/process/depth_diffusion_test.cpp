// convert_depth with error diffusion compared with a plain reference written here
// from the Floyd-Steinberg shares (half the truncation error: 7/16 right, 1/16 below
// right, 5/16 below, 3/16 below left; first and last pixels of a row as noted).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "scale_test_pages.h"

namespace {
// One channel's diffusion with separate rows for this row's and the next row's errors.
struct ReferenceDiffusion {
    std::vector<int> current, next;
    int right = 0;
    explicit ReferenceDiffusion(int width) : current((size_t)width), next((size_t)width) {}

    void start_row() {
        current.swap(next);
        std::fill(next.begin(), next.end(), 0);
        right = 0;
    }

    int quantise(int x, int value, int mask) {
        const int width = (int)current.size();
        const int v = std::clamp(value + current[(size_t)x] + right, 0, 255);
        const int e = (v - (v & mask)) / 2;
        right = 0;
        if (x == width - 1) return v;  // the last pixel passes nothing on
        right = e * 7 / 8;
        next[(size_t)x + 1] += e - right;
        next[(size_t)x] += e * 5 / 8;
        if (x > 0) next[(size_t)x - 1] += e - e * 5 / 8;
        return v;
    }
};

uint32_t random_colour(std::mt19937& rng, int bpp) {
    const uint32_t v = rng();
    return bpp == 16 ? v & 0xFFFF : v & 0xFFFFFF;
}

struct Rgb {
    int blue, green, red;
};

Rgb colour_of(uint32_t v, int bpp) {
    if (bpp == 16) return Rgb{(int)((v << 3) & 0xFF), (int)((v >> 3) & 0xFC), (int)((v >> 8) & 0xF8)};
    return Rgb{(int)(v & 255), (int)((v >> 8) & 255), (int)(v >> 16)};
}

// A colour page with random pixels and the same values kept for the reference.
std::vector<std::vector<uint32_t>> random_page(PageBitmap& page, int32_t w, int32_t h, int bpp, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::vector<uint32_t>> values((size_t)h, std::vector<uint32_t>((size_t)w));
    for (auto& row : values)
        for (auto& v : row) v = random_colour(rng, bpp);
    make_pixel_page(page, w, h, bpp, [&](int32_t x, int32_t y) { return values[(size_t)y][(size_t)x]; });
    return values;
}

uint32_t pixel(const PageBitmap& p, int32_t x, int32_t y) {
    return get_pixel(p.data + (size_t)y * p.pitch, x, p.bits_per_pixel);
}

constexpr int32_t kW = 37, kH = 19;
}  // namespace

TEST(ConvertDepthDiffusion, CubeMatchesReference) {
    for (int bpp : {16, 24}) {
        OwnedPage p;
        const auto values = random_page(p.page, kW, kH, bpp, 21);
        ASSERT_EQ(convert_depth(&p.page, 8, DEPTH_DIFFUSE), 0);
        ReferenceDiffusion blue(kW), green(kW), red(kW);
        for (int32_t y = 0; y < kH; ++y) {
            blue.start_row(), green.start_row(), red.start_row();
            for (int32_t x = 0; x < kW; ++x) {
                const Rgb c = colour_of(values[(size_t)y][(size_t)x], bpp);
                const int b = blue.quantise(x, c.blue, 0xC0), g = green.quantise(x, c.green, 0xE0),
                          r = red.quantise(x, c.red, 0xE0);
                ASSERT_EQ(pixel(p.page, x, y), (uint32_t)((r & 0xE0) | ((g & 0xE0) >> 3) | (b >> 6)))
                    << bpp << " at " << x << "," << y;
            }
        }
    }
}

TEST(ConvertDepthDiffusion, GreyAndBilevelMatchReference) {
    for (int target : {1, 4})
        for (int bpp : {16, 24}) {
            OwnedPage p;
            const auto values = random_page(p.page, kW, kH, bpp, 5 + target);
            ASSERT_EQ(convert_depth(&p.page, target, DEPTH_DIFFUSE), 0);
            bool well_formed = true;
            const BitMatrix bits = target == 1 ? read_run_page(p.page, &well_formed) : BitMatrix();
            ASSERT_TRUE(well_formed);
            ReferenceDiffusion grey(kW);
            for (int32_t y = 0; y < kH; ++y) {
                grey.start_row();
                for (int32_t x = 0; x < kW; ++x) {
                    const Rgb c = colour_of(values[(size_t)y][(size_t)x], bpp);
                    const int v = grey.quantise(x, (c.blue + 2 * c.green + c.red) / 4, target == 1 ? 0x80 : 0xF0);
                    if (target == 1)
                        ASSERT_EQ(bits[(size_t)y][(size_t)x], v > 128 ? 1 : 0) << bpp << " at " << x << "," << y;
                    else
                        ASSERT_EQ(pixel(p.page, x, y), (uint32_t)(v >> 4)) << bpp << " at " << x << "," << y;
                }
            }
        }
}

TEST(ConvertDepthDiffusion, PalettePagesDiffuseToGreyWithAnyMethod) {
    std::mt19937 rng(3);
    for (int method : {1, 2}) {
        OwnedPage p;
        std::vector<uint8_t> index((size_t)kW * kH);
        for (auto& i : index) i = (uint8_t)rng();
        make_pixel_page(p.page, kW, kH, 8, [&](int32_t x, int32_t y) { return index[(size_t)y * kW + x]; });
        p.page.palette = static_cast<uint8_t*>(mem_alloc(768));
        for (int k = 0; k < 768; ++k) p.page.palette[k] = (uint8_t)rng();
        std::vector<int> grey(256);
        for (int i = 0; i < 256; ++i)
            grey[(size_t)i] = (p.page.palette[3 * i] + 2 * p.page.palette[3 * i + 1] + p.page.palette[3 * i + 2]) / 4;
        ASSERT_EQ(convert_depth(&p.page, 4, method), 0);
        ReferenceDiffusion ref(kW);
        for (int32_t y = 0; y < kH; ++y) {
            ref.start_row();
            for (int32_t x = 0; x < kW; ++x)
                ASSERT_EQ(pixel(p.page, x, y), (uint32_t)(ref.quantise(x, grey[index[(size_t)y * kW + x]], 0xF0) >> 4));
        }
    }
}

TEST(ConvertDepthDiffusion, TwelveBitPreditherStoresClampedValues) {
    for (int bpp : {16, 24})
        for (int method : {0, 2}) {  // either method pre-dithers
            OwnedPage p;
            const auto values = random_page(p.page, kW, kH, bpp, 9);
            ASSERT_EQ(convert_depth(&p.page, DEPTH_PREDITHER_12, method), 0);
            EXPECT_EQ(p.page.bits_per_pixel, bpp);
            ReferenceDiffusion blue(kW), green(kW), red(kW);
            for (int32_t y = 0; y < kH; ++y) {
                blue.start_row(), green.start_row(), red.start_row();
                for (int32_t x = 0; x < kW; ++x) {
                    const Rgb c = colour_of(values[(size_t)y][(size_t)x], bpp);
                    const uint32_t b = (uint32_t)blue.quantise(x, c.blue, 0xF0);
                    const uint32_t g = (uint32_t)green.quantise(x, c.green, 0xF0);
                    const uint32_t r = (uint32_t)red.quantise(x, c.red, 0xF0);
                    const uint32_t expected =
                        bpp == 24 ? b | (g << 8) | (r << 16) : ((g >> 2) << 5) | (b >> 3) | ((r >> 3) << 11);
                    ASSERT_EQ(pixel(p.page, x, y), expected) << bpp << " at " << x << "," << y;
                }
            }
        }
}

TEST(ConvertDepthDiffusion, ErrorsNeverGoNegative) {
    // A uniform 0x30 page: red and green land on levels 32 and 64 only, never 0.
    OwnedPage p;
    make_pixel_page(p.page, 40, 20, 24, [](int32_t, int32_t) { return 0x303030u; });
    ASSERT_EQ(convert_depth(&p.page, 8, DEPTH_DIFFUSE), 0);
    bool saw32 = false, saw64 = false;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            const uint32_t i = pixel(p.page, x, y);
            const uint32_t red = i & 0xE0, green = (i & 0x1C) << 3;
            ASSERT_TRUE(red == 32 || red == 64) << red;
            ASSERT_TRUE(green == 32 || green == 64) << green;
            saw32 |= red == 32;
            saw64 |= red == 64;
        }
    EXPECT_TRUE(saw32 && saw64);
}

TEST(ConvertDepthDiffusion, OnePixelWideRowsCarryNothing) {
    OwnedPage p;
    make_pixel_page(p.page, 1, 8, 24, [](int32_t, int32_t) { return 0x707070u; });
    ASSERT_EQ(convert_depth(&p.page, 1, DEPTH_DIFFUSE), 0);
    bool well_formed = false;
    for (const auto& row : read_run_page(p.page, &well_formed)) EXPECT_EQ(row[0], 0);  // 112 stays black
    EXPECT_TRUE(well_formed);
}
