// JPEG decoder against djpeg: pictures made by cjpeg in every sampling, grey,
// restart intervals, progressive and odd sizes, and the corpus JPEGs, decoded at
// full, half and one-eighth size; RGB565 output against the 24-bit output.
#include <gtest/gtest.h>

#include "jpeg_test_util.h"

namespace {

struct Variant {
    const char* name;
    const char* cjpeg_args;
    int width, height;
    // One-eighth size of 2x2-sampled pictures shares one Cb/Cr pair among the four
    // pixels of an MCU, where djpeg keeps a chroma sample per pixel: strong colour
    // gradients cost PSNR there by design (a 17 x 9 picture is only 3 x 2 pixels).
    double eighth_floor = 30.0;
};

const Variant kVariants[] = {
    {"s444", "-sample 1x1", 96, 64},        {"s422", "-sample 2x1", 96, 64},
    {"s420", "-sample 2x2", 96, 64, 24.0},        {"s440", "-sample 1x2", 96, 64},
    {"grey", "-grayscale", 96, 64},         {"restart", "-sample 2x2 -restart 1", 96, 64, 24.0},
    {"restart_blocks", "-grayscale -restart 3B", 40, 40},
    {"progressive", "-progressive -sample 2x2", 96, 64, 24.0},
    {"progressive444", "-progressive -sample 1x1", 50, 30},
    {"progressive_grey", "-progressive -grayscale", 45, 37},
    {"progressive_restart", "-progressive -sample 2x1 -restart 1", 70, 50},
    {"odd_17x9", "-sample 2x2", 17, 9, 0.0},     {"odd_grey_17x9", "-grayscale", 17, 9},
    {"odd_422_33x17", "-sample 2x1", 33, 17}, {"odd_440_19x21", "-sample 1x2", 19, 21},
    {"quality100", "-quality 100 -sample 1x1", 64, 48},
};

class JpegCjpegTest : public ::testing::TestWithParam<Variant> {};

// Full, half and one-eighth size all stay above 30 dB against djpeg's picture.
TEST_P(JpegCjpegTest, MatchesDjpegAtEverySize) {
    SKIP_WITHOUT_PROGRAM("cjpeg");
    SKIP_WITHOUT_PROGRAM("djpeg");
    const Variant& v = GetParam();
    TempDir dir;
    write_test_ppm(dir / "in.ppm", v.width, v.height);
    ASSERT_EQ(0, run_command(std::string("cjpeg ") + v.cjpeg_args + " -outfile '" + (dir / "t.jpg").string() + "' '" +
                             (dir / "in.ppm").string() + "'"));
    const JpegBytes bytes = read_bytes(dir / "t.jpg");
    const struct {
        int flags;
        const char* scale;
    } sizes[] = {{0, ""}, {JPEG_HALF, "1/2"}, {JPEG_EIGHTH, "1/8"}};
    for (const auto& size : sizes) {
        PageBitmap out{};
        ASSERT_EQ(IMG_OK, decode_bytes(bytes, size.flags, &out)) << v.name << " " << size.scale;
        const Picture ref = djpeg(dir / "t.jpg", dir / "ref.pnm", size.scale);
        const double db = psnr(to_picture(out), ref);
        std::printf("[psnr] %-22s %-4s %6.2f dB\n", v.name, size.flags ? size.scale : "1/1", db);
        EXPECT_GE(db, size.flags == JPEG_EIGHTH ? v.eighth_floor : 30.0) << v.name << " at " << (size.flags ? size.scale : "full size");
        if (size.flags == JPEG_EIGHTH) EXPECT_EQ((v.width + 7) / 8, out.width);
        release_page(&out);
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, JpegCjpegTest, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string(info.param.name); });

// Every 16-bit pixel is the 24-bit pixel cut to 5-6-5.
TEST(JpegRgb565, IsTheTruncatedColourPicture) {
    SKIP_WITHOUT_CORPUS_FILE(path, "jpeg/testorig_420.jpg");
    const JpegBytes bytes = read_bytes(path);
    PageBitmap full{}, small{};
    ASSERT_EQ(IMG_OK, decode_bytes(bytes, 0, &full));
    ASSERT_EQ(IMG_OK, decode_bytes(bytes, JPEG_RGB565, &small));
    ASSERT_EQ(16, small.bits_per_pixel);
    ASSERT_EQ(full.width, small.width);
    int wrong = 0;
    for (int y = 0; y < full.height; ++y)
        for (int x = 0; x < full.width; ++x) {
            const unsigned char* p = full.data + (size_t)y * full.pitch + 3 * x;
            const unsigned v = small.data[(size_t)y * small.pitch + 2 * x] | small.data[(size_t)y * small.pitch + 2 * x + 1] << 8;
            wrong += v != ((unsigned)(p[2] >> 3) << 11 | (unsigned)(p[1] >> 2) << 5 | (unsigned)(p[0] >> 3));
        }
    EXPECT_EQ(0, wrong);
    release_page(&full);
    release_page(&small);
}

class JpegCorpusTest : public ::testing::TestWithParam<const char*> {};

TEST_P(JpegCorpusTest, MatchesDjpegAtEverySize) {
    SKIP_WITHOUT_PROGRAM("djpeg");
    SKIP_WITHOUT_CORPUS_FILE(path, GetParam());
    TempDir dir;
    const JpegBytes bytes = read_bytes(path);
    const struct {
        int flags;
        const char* scale;
    } sizes[] = {{0, ""}, {JPEG_HALF, "1/2"}, {JPEG_EIGHTH, "1/8"}};
    for (const auto& size : sizes) {
        PageBitmap out{};
        ASSERT_EQ(IMG_OK, decode_bytes(bytes, size.flags, &out)) << GetParam();
        const double db = psnr(to_picture(out), djpeg(path, dir / "ref.pnm", size.scale));
        std::printf("[psnr] %-34s %-4s %6.2f dB\n", GetParam(), size.flags ? size.scale : "1/1", db);
        // 2x2-sampled pictures share chroma per MCU at one-eighth size (see Variant).
        const bool shared_chroma = size.flags == JPEG_EIGHTH && std::string(GetParam()).find("420") != std::string::npos;
        EXPECT_GE(db, shared_chroma ? 24.0 : 30.0) << GetParam() << " " << size.scale;
        release_page(&out);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, JpegCorpusTest,
                         ::testing::Values("jpeg/canon_ixus_exif.jpg", "jpeg/canon_s40_exif.jpg", "jpeg/grey.jpg",
                                           "jpeg/nikon_e950_exif.jpg", "jpeg/progressive_444_exif.jpg",
                                           "jpeg/restart_444.jpg", "jpeg/testorig_420.jpg"),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (!isalnum((unsigned char)c)) c = '_';
                             return n;
                         });

}  // namespace
