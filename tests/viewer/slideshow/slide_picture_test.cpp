// A slide as the show draws it: the decoding size chosen against the screen, the fit
// and stretch geometry, and the picture of a real file turned, fitted and cropped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging.h"
#include "slideshow/slide_picture.h"
#include "test_support.h"

namespace {

void put16(std::vector<unsigned char>& b, unsigned v) { b.push_back(v & 255), b.push_back(v >> 8 & 255); }
void put32(std::vector<unsigned char>& b, unsigned v) { put16(b, v & 0xFFFF), put16(b, v >> 16); }

// A 24-bit BMP whose left half is red and right half blue.
std::vector<unsigned char> red_blue_bmp(int width, int height) {
    const int pitch = (width * 3 + 3) & ~3;
    std::vector<unsigned char> b = {'B', 'M'};
    put32(b, 54 + pitch * height), put32(b, 0), put32(b, 54);
    put32(b, 40), put32(b, width), put32(b, height), put16(b, 1), put16(b, 24);
    put32(b, 0), put32(b, pitch * height), put32(b, 2835), put32(b, 2835), put32(b, 0), put32(b, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < pitch; ++x) {
            const int pixel = x / 3, channel = x % 3;  // blue, green, red
            const bool red = pixel < width / 2;
            b.push_back(pixel >= width ? 0 : (red ? (channel == 2 ? 255 : 0) : (channel == 0 ? 255 : 0)));
        }
    return b;
}

constexpr uint16_t kRed = 0xF800, kBlue = 0x001F, kBlack = 0;

}  // namespace

TEST(SlidePicture, DecodingSizeFollowsTheScreen) {
    const struct {
        int32_t w, h, sw, sh;
        int expected;
    } cases[] = {
        {4000, 3000, 640, 480, JPEG_RGB565 | JPEG_HALF},    // not eight times larger both ways
        {6000, 4000, 640, 480, JPEG_RGB565 | JPEG_EIGHTH},
        {5120, 3840, 640, 480, JPEG_RGB565 | JPEG_EIGHTH},  // exactly eight times
        {1280, 960, 640, 480, JPEG_RGB565 | JPEG_HALF},
        {1279, 2000, 640, 480, JPEG_RGB565},                // twice as high but not as wide
        {100, 100, 0, 0, JPEG_RGB565},
    };
    for (const auto& c : cases)
        EXPECT_EQ(slide_decode_flags(c.w, c.h, c.sw, c.sh), c.expected) << c.w << "x" << c.h;
}

TEST(SlidePicture, FitAndStretchGeometry) {
    const struct {
        const char* name;
        int32_t w, h, rotation;
        bool stretch;
        SlideFit fit;  // scale, src_x, src_y, width, height, left, top
    } cases[] = {
        {"wide page fits with bands above and below", 1000, 500, 0, false, {1280, 0, 0, 200, 100, 0, 50}},
        {"stretched it covers and crops both sides", 1000, 500, 0, true, {640, 250, 0, 200, 200, 0, 0}},
        {"turned a quarter it stands upright", 1000, 500, 90, false, {1280, 0, 0, 100, 200, 50, 0}},
        {"turned and stretched it crops top and bottom", 1000, 500, 270, true, {640, 0, 250, 200, 200, 0, 0}},
        {"half turn keeps the shape", 1000, 500, 180, false, {1280, 0, 0, 200, 100, 0, 50}},
        {"tiny page enlarges eightfold at most", 10, 5, 0, false, {32, 0, 0, 80, 40, 60, 80}},
        {"tiny page stretched: no division by zero", 1, 400, 0, true, {32, 0, 187, 8, 200, 96, 0}},
        {"no page", 0, 10, 0, false, {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SlideFit f = slide_fit(c.w, c.h, c.rotation, c.stretch, 200, 200);
        EXPECT_EQ(f.scale, c.fit.scale);
        EXPECT_EQ(f.src_x, c.fit.src_x);
        EXPECT_EQ(f.src_y, c.fit.src_y);
        EXPECT_EQ(f.width, c.fit.width);
        EXPECT_EQ(f.height, c.fit.height);
        EXPECT_EQ(f.left, c.fit.left);
        EXPECT_EQ(f.top, c.fit.top);
    }
}

TEST(SlidePicture, PictureOfAFileTurnedFittedAndCropped) {
    TempDir dir;
    const fs::path file = dir / "red_blue.bmp";
    write_bytes(file, red_blue_bmp(64, 32));
    // Expected colour at the centre of each quarter of a 32 x 32 screen: top left, top
    // right, bottom left, bottom right; and of the screen's top-centre pixel.
    const struct {
        const char* name;
        int32_t rotation;
        bool stretch;
        uint16_t quarters[4];
        uint16_t top_edge;
    } cases[] = {
        {"fit: bands of black above and below", 0, false, {kRed, kBlue, kRed, kBlue}, kBlack},
        {"quarter turn: the left side on top", 90, false, {kRed, kRed, kBlue, kBlue}, kRed},
        {"half turn: sides exchanged", 180, false, {kBlue, kRed, kBlue, kRed}, kBlack},
        {"three quarters: the left side below", 270, false, {kBlue, kBlue, kRed, kRed}, kBlue},
        {"stretch: the centre fills the screen", 0, true, {kRed, kBlue, kRed, kBlue}, kBlue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ImageFileInfo info{};
        ASSERT_EQ(identify_file(file.c_str(), &info, 0), IMG_OK);
        PageBitmap page{};
        ASSERT_EQ(read_decoded_page(&info, 0, JPEG_RGB565, &page, nullptr), IMG_OK);
        std::vector<uint16_t> pixels;
        EXPECT_EQ(draw_slide_picture(page, c.rotation, c.stretch, 32, 32, pixels), IMG_OK);
        release_page(&page);
        close_file_info(&info);
        ASSERT_EQ(pixels.size(), 32u * 32u);
        const int at[4][2] = {{10, 12}, {21, 12}, {10, 20}, {21, 20}};  // inside the picture for every case
        for (int q = 0; q < 4; ++q) EXPECT_EQ(pixels[at[q][1] * 32 + at[q][0]], c.quarters[q]) << "quarter " << q;
        // The top row, just right of the centre: black band, or picture reaching the edge.
        EXPECT_EQ(pixels[0 * 32 + 17], c.top_edge);
    }
}
