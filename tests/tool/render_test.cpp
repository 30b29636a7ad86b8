// glimra-tool render on BMP files built here: fitted and explicit scales, the
// quarter turn, the tone table, anti-aliased bilevel pages, depth conversion of the
// drawn picture, and argument errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "test_support.h"

namespace {
using Colour = std::function<uint32_t(int, int)>;  // 0xRRGGBB at (x, y)

void put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + (size_t)k] = (unsigned char)(v >> (8 * k));
}

// A Windows BMP (bottom-up) of depth 1 (bit set = palette entry 1, white) or 24.
std::vector<unsigned char> make_bmp(int w, int h, int bpp, const Colour& colour) {
    const int palette = bpp == 1 ? 8 : 0;
    const int pitch = ((w * bpp + 31) / 32) * 4;
    const size_t offset = 54 + (size_t)palette;
    std::vector<unsigned char> b(offset + (size_t)pitch * h, 0);
    b[0] = 'B', b[1] = 'M';
    put32(b, 2, (uint32_t)b.size());
    put32(b, 10, (uint32_t)offset);
    put32(b, 14, 40);
    put32(b, 18, (uint32_t)w);
    put32(b, 22, (uint32_t)h);
    b[26] = 1, b[28] = (unsigned char)bpp;
    put32(b, 34, (uint32_t)(pitch * h));
    put32(b, 46, palette / 4);
    if (bpp == 1) put32(b, 58, 0xFFFFFF);  // entry 0 black, entry 1 white
    for (int y = 0; y < h; ++y) {
        unsigned char* row = b.data() + offset + (size_t)(h - 1 - y) * pitch;
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            if (bpp == 1) {
                if (c) row[x >> 3] |= (unsigned char)(0x80 >> (x & 7));
            } else {
                row[3 * x] = (unsigned char)c, row[3 * x + 1] = (unsigned char)(c >> 8);
                row[3 * x + 2] = (unsigned char)(c >> 16);
            }
        }
    }
    return b;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    uint32_t at(int x, int y) const {
        const unsigned char* p = rgb.data() + 3 * ((size_t)y * width + x);
        return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    }
};

Picture read_ppm(const fs::path& path) {
    const std::vector<unsigned char> bytes = read_bytes(path);
    Picture p;
    int header = 0;
    const std::string text(bytes.begin(), bytes.begin() + (long)std::min<size_t>(bytes.size(), 32));
    if (std::sscanf(text.c_str(), "P6 %d %d 255%n", &p.width, &p.height, &header) != 2 || header == 0) return {};
    p.rgb.assign(bytes.begin() + header + 1, bytes.end());
    if (p.rgb.size() != (size_t)p.width * p.height * 3) return {};
    return p;
}

// Renders `bmp` with the given arguments; the picture, or empty on failure.
Picture render(const TempDir& tmp, const std::vector<unsigned char>& bmp, const std::string& options,
               std::string* err = nullptr) {
    write_bytes(tmp / "in.bmp", bmp);
    const fs::path out = tmp / "out.ppm";
    std::error_code ec;
    fs::remove(out, ec);
    const std::string cmd =
        "'" + tool_path().string() + "' render '" + (tmp / "in.bmp").string() + "' " + options + " -o '" + out.string() + "'";
    if (run_command(cmd, nullptr, err) != 0) return {};
    return read_ppm(out);
}

uint32_t gradient(int x, int y) { return (uint32_t)(x * 20) << 16 | (uint32_t)(y * 30) << 8 | (uint32_t)(x + y); }
}  // namespace

TEST(RenderTool, FitsThePageAndSamplesIt) {
    TempDir tmp;
    const Picture p = render(tmp, make_bmp(8, 6, 24, gradient), "--size 4,3");
    ASSERT_EQ(p.width, 4);
    ASSERT_EQ(p.height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(p.at(x, y), gradient(2 * x, 2 * y)) << x << "," << y;
}

TEST(RenderTool, QuarterTurnWindowAndBlankOutside) {
    TempDir tmp;
    const Picture p = render(tmp, make_bmp(5, 3, 24, gradient), "--size 4,6 --scale 256 --angle 90 --origin 1,0");
    ASSERT_EQ(p.width, 4);
    // Turned picture is 3 x 5; from column 1 two columns remain, the rest stays black.
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(p.at(0, y), gradient(y, 3 - 1 - 1));
        EXPECT_EQ(p.at(1, y), gradient(y, 0));
        EXPECT_EQ(p.at(2, y), 0u);
    }
    EXPECT_EQ(p.at(0, 5), 0u);
}

TEST(RenderTool, ToneTableAndDepthConversion) {
    TempDir tmp;
    const auto bmp = make_bmp(4, 4, 24, [](int, int) { return 0x804020u; });
    const Picture toned = render(tmp, bmp, "--size 4,4 --tone 127,64");
    ASSERT_EQ(toned.width, 4);
    EXPECT_EQ(toned.at(3, 3), 0x402010u);
    // To 3-3-2 colour: red 0x80 -> level 4 (146), green 0x40 -> level 2 (73), blue 0x20 -> 0.
    const Picture cube = render(tmp, bmp, "--size 4,4 --depth 8");
    ASSERT_EQ(cube.width, 4);
    EXPECT_EQ(cube.at(0, 0), (146u << 16) | (73u << 8));
    std::string err;
    EXPECT_EQ(render(tmp, bmp, "--size 4,4 --depth 1 --method 2", &err).width, 4) << err;
}

TEST(RenderTool, BilevelPagesPlainAndAntiAliased) {
    TempDir tmp;
    const auto checker = make_bmp(8, 8, 1, [](int x, int y) { return (uint32_t)((x + y) & 1); });
    const Picture plain = render(tmp, checker, "--size 8,8");
    ASSERT_EQ(plain.width, 8);
    EXPECT_EQ(plain.at(0, 0), 0u);
    EXPECT_EQ(plain.at(1, 0), 0xFFFFFFu);
    const Picture grey = render(tmp, checker, "--size 4,4 --flags 4");
    ASSERT_EQ(grey.width, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(grey.at(x, y), 0x808080u) << x << "," << y;
}

TEST(RenderTool, ArgumentErrors) {
    TempDir tmp;
    const auto bmp = make_bmp(4, 4, 24, gradient);
    std::string err;
    EXPECT_EQ(render(tmp, bmp, "", &err).width, 0);
    EXPECT_NE(err.find("usage: glimra-tool render"), std::string::npos) << err;
    EXPECT_EQ(render(tmp, bmp, "--size 0,4", &err).width, 0);
    EXPECT_EQ(render(tmp, bmp, "--size 4,4 --scale 31", &err).width, 0);
    EXPECT_NE(err.find("error -6"), std::string::npos) << err;
    EXPECT_EQ(render(tmp, bmp, "--size 4,4 --angle 45", &err).width, 0);
    EXPECT_FALSE(fs::exists(tmp / "out.ppm"));
}

TEST(RenderTool, PcxWrittenByImageMagickRendersLikeItsBmp) {
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir tmp;
    const auto bmp = make_bmp(12, 9, 24, gradient);
    write_bytes(tmp / "src.bmp", bmp);
    const fs::path pcx = tmp / "src.pcx", out = tmp / "pcx.ppm";
    ASSERT_EQ(run_command("convert '" + (tmp / "src.bmp").string() + "' '" + pcx.string() + "'"), 0);
    const std::string options = " --size 5,4 --angle 270 --flags 8 --tone 100,140";
    std::string err;
    ASSERT_EQ(run_command("'" + tool_path().string() + "' render '" + pcx.string() + "'" + options + " -o '" +
                              out.string() + "'",
                          nullptr, &err),
              0)
        << err;
    const Picture from_pcx = read_ppm(out);
    const Picture from_bmp = render(tmp, bmp, options);
    ASSERT_EQ(from_pcx.width, 5);
    EXPECT_EQ(from_pcx.rgb, from_bmp.rgb);
}
