// JPEG decoder against djpeg: pictures made by cjpeg in every sampling, grey,
// restart intervals, progressive and odd sizes, every quantisation table choice, RGB
// components (told by an Adobe APP14 segment or by their identifiers, with the rule
// libjpeg follows when the markers disagree), and the corpus JPEGs, decoded at full,
// half and one-eighth size; RGB565 output against the 24-bit output.
#include <gtest/gtest.h>

#include "jpeg_test_util.h"

namespace {

// Changes made to cjpeg's file before decoding, to reach marker combinations cjpeg
// does not write by itself.
enum class Edit {
    none,
    ids_123,         // component identifiers 1, 2, 3 (an RGB file keeps its APP14)
    no_app14,        // the Adobe segment removed (an RGB file keeps 'R', 'G', 'B')
    rgb_ids,         // identifiers 'R', 'G', 'B' on a JFIF YCbCr file: JFIF decides
    adobe_ycc_rgb,   // JFIF replaced by APP14 transform 1, identifiers 'R', 'G', 'B'
};

struct Variant {
    const char* name;
    const char* cjpeg_args;
    int width, height;
    bool shared_chroma = false;  // 2x2-sampled: see expect_like_djpeg_eighth
    Edit edit = Edit::none;
};

const Variant kVariants[] = {
    {"s444", "-sample 1x1", 96, 64},        {"s422", "-sample 2x1", 96, 64},
    {"s420", "-sample 2x2", 96, 64, true},  {"s440", "-sample 1x2", 96, 64},
    {"grey", "-grayscale", 96, 64},         {"restart", "-sample 2x2 -restart 1", 96, 64, true},
    {"restart_blocks", "-grayscale -restart 3B", 40, 40},
    {"progressive", "-progressive -sample 2x2", 96, 64, true},
    {"progressive444", "-progressive -sample 1x1", 50, 30},
    {"progressive_grey", "-progressive -grayscale", 45, 37},
    {"progressive_restart", "-progressive -sample 2x1 -restart 1", 70, 50},
    {"odd_17x9", "-sample 2x2", 17, 9, true}, {"odd_grey_17x9", "-grayscale", 17, 9},
    {"odd_422_33x17", "-sample 2x1", 33, 17}, {"odd_440_19x21", "-sample 1x2", 19, 21},
    {"quality100", "-quality 100 -sample 1x1", 64, 48},
    // Every component on table 0 (as video tools write), or tables picked freely.
    {"one_table_420", "-qslots 0,0,0 -sample 2x2", 96, 64, true},
    {"one_table_progressive", "-qslots 0,0,0 -progressive -sample 2x1", 70, 50},
    {"tables_1_0_1", "-quality 90,40 -qslots 1,0,1 -sample 1x1", 64, 48},
    {"grey_table_1", "-grayscale -qslots 1", 45, 37},
    {"grey_table_1_progressive", "-grayscale -qslots 1 -progressive", 45, 37},
    // Red, green and blue components.
    {"rgb", "-rgb", 96, 64},
    {"rgb_progressive", "-rgb -progressive", 50, 30},
    {"rgb_app14_only", "-rgb", 96, 64, false, Edit::ids_123},
    {"rgb_app14_only_progressive", "-rgb -progressive", 50, 30, false, Edit::ids_123},
    {"rgb_ids_only", "-rgb", 96, 64, false, Edit::no_app14},
    {"rgb_ids_only_progressive", "-rgb -progressive", 50, 30, false, Edit::no_app14},
    {"jfif_with_rgb_ids", "-sample 2x2", 96, 64, true, Edit::rgb_ids},
    {"adobe_ycc_with_rgb_ids", "-sample 1x1", 64, 48, false, Edit::adobe_ycc_rgb},
};

// The segments of a JPEG file up to its first scan's data, and every later SOS: the
// offset of each marker (FF xx) whose segment has a length.
std::vector<size_t> segment_offsets(const JpegBytes& b) {
    std::vector<size_t> at;
    for (size_t i = 2; i + 4 <= b.size();) {
        if (b[i] != 0xFF || b[i + 1] == 0x00 || b[i + 1] == 0xFF || (b[i + 1] >= 0xD0 && b[i + 1] <= 0xD9)) {
            ++i;  // entropy-coded data, stuffing, restart markers
            continue;
        }
        at.push_back(i);
        i += 2 + (size_t)(b[i + 2] << 8 | b[i + 3]);
    }
    return at;
}

void erase_segments(JpegBytes& b, int marker) {
    const std::vector<size_t> at = segment_offsets(b);
    for (auto it = at.rbegin(); it != at.rend(); ++it)
        if (b[*it + 1] == marker) b.erase(b.begin() + (long)*it, b.begin() + (long)*it + 2 + (b[*it + 2] << 8 | b[*it + 3]));
}

// Renames the three components in the frame header and in every scan header.
void set_component_ids(JpegBytes& b, const unsigned char ids[3]) {
    unsigned char old[3] = {};
    for (size_t i : segment_offsets(b)) {
        const int m = b[i + 1];
        if (m == 0xC0 || m == 0xC2) {
            for (int c = 0; c < 3; ++c) old[c] = b[i + 10 + 3 * c], b[i + 10 + 3 * c] = ids[c];
        } else if (m == 0xDA) {
            for (int k = 0; k < b[i + 4]; ++k) {
                for (int c = 0; c < 3; ++c) {
                    if (b[i + 5 + 2 * k] != old[c]) continue;
                    b[i + 5 + 2 * k] = ids[c];
                    break;
                }
            }
        }
    }
}

void apply_edit(JpegBytes& b, Edit edit) {
    static const unsigned char numbers[3] = {1, 2, 3}, letters[3] = {'R', 'G', 'B'};
    static const unsigned char adobe_ycc[] = {0xFF, 0xEE, 0, 14, 'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 1};
    switch (edit) {
    case Edit::none: break;
    case Edit::ids_123: set_component_ids(b, numbers); break;
    case Edit::no_app14: erase_segments(b, 0xEE); break;
    case Edit::rgb_ids: set_component_ids(b, letters); break;
    case Edit::adobe_ycc_rgb:
        erase_segments(b, 0xE0);
        b.insert(b.begin() + 2, adobe_ycc, adobe_ycc + sizeof adobe_ycc);
        set_component_ids(b, letters);
        break;
    }
}

// One-eighth size of a 2x2-sampled picture: each luma block gives one pixel and the
// MCU's single Cb/Cr pair (its chroma blocks' DC values) is shared by its 2 x 2
// pixels. djpeg instead scales the chroma transform to 2 x 2 samples per block, so
// its chroma varies inside the MCU and whole-picture PSNR falls to 22-29 dB on
// strongly coloured texture by design. What must hold is luma against djpeg's luma,
// and our chroma against djpeg's chroma averaged over each MCU's 2 x 2 pixels (a
// misplaced or misrounded chroma sample shows there at once).
void expect_like_djpeg_eighth(const Picture& ours, const Picture& ref, int width, int height, const std::string& what) {
    const YccPlanes a = ycc_planes(ours), b = ycc_planes(ref);
    ASSERT_EQ(a.width, b.width) << what;
    ASSERT_EQ(a.height, b.height) << what;
    const std::vector<double> cb = cell_means(b.cb, b.width, b.height, 2), cr = cell_means(b.cr, b.width, b.height, 2);
    // Only MCUs that lie wholly inside the picture: at the edges djpeg's chroma
    // samples outside the picture are not in the picture to be averaged.
    std::vector<double> ay, by, acb, bcb, acr, bcr;
    for (int y = 0; y < height / 16 * 2; ++y)
        for (int x = 0; x < width / 16 * 2; ++x) {
            const size_t i = (size_t)y * a.width + x;
            ay.push_back(a.y[i]), by.push_back(b.y[i]);
            acb.push_back(a.cb[i]), bcb.push_back(cb[i]);
            acr.push_back(a.cr[i]), bcr.push_back(cr[i]);
        }
    if (ay.empty()) return;  // no whole MCU (the caller checks the size)
    const double dy = plane_psnr(ay, by), dcb = plane_psnr(acb, bcb), dcr = plane_psnr(acr, bcr);
    std::printf("[psnr] %-22s 1/8  luma %6.2f dB, chroma per MCU %6.2f / %6.2f dB\n", what.c_str(), dy, dcb, dcr);
    EXPECT_GE(dy, 40.0) << what;
    EXPECT_GE(dcb, 40.0) << what;
    EXPECT_GE(dcr, 40.0) << what;
}

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
    JpegBytes bytes = read_bytes(dir / "t.jpg");
    if (v.edit != Edit::none) {
        apply_edit(bytes, v.edit);
        write_bytes(dir / "t.jpg", bytes);
    }
    const struct {
        int flags;
        const char* scale;
    } sizes[] = {{0, ""}, {JPEG_HALF, "1/2"}, {JPEG_EIGHTH, "1/8"}};
    for (const auto& size : sizes) {
        PageBitmap out{};
        ASSERT_EQ(IMG_OK, decode_bytes(bytes, size.flags, &out)) << v.name << " " << size.scale;
        const Picture ref = djpeg(dir / "t.jpg", dir / "ref.pnm", size.scale);
        if (size.flags == JPEG_EIGHTH && v.shared_chroma) {
            expect_like_djpeg_eighth(to_picture(out), ref, v.width, v.height, v.name);
        } else {
            const double db = psnr(to_picture(out), ref);
            std::printf("[psnr] %-22s %-4s %6.2f dB\n", v.name, size.flags ? size.scale : "1/1", db);
            EXPECT_GE(db, 30.0) << v.name << " at " << (size.flags ? size.scale : "full size");
        }
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
    const PageBitmap described = jpeg_source(bytes);
    const int full_width = described.width, full_height = described.height;
    const struct {
        int flags;
        const char* scale;
    } sizes[] = {{0, ""}, {JPEG_HALF, "1/2"}, {JPEG_EIGHTH, "1/8"}};
    for (const auto& size : sizes) {
        PageBitmap out{};
        ASSERT_EQ(IMG_OK, decode_bytes(bytes, size.flags, &out)) << GetParam();
        const Picture ref = djpeg(path, dir / "ref.pnm", size.scale);
        // 2x2-sampled pictures share chroma per MCU at one-eighth size.
        if (size.flags == JPEG_EIGHTH && std::string(GetParam()).find("420") != std::string::npos) {
            expect_like_djpeg_eighth(to_picture(out), ref, full_width, full_height, GetParam());
        } else {
            const double db = psnr(to_picture(out), ref);
            std::printf("[psnr] %-34s %-4s %6.2f dB\n", GetParam(), size.flags ? size.scale : "1/1", db);
            EXPECT_GE(db, 30.0) << GetParam() << " " << size.scale;
        }
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
