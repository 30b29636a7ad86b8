// TIFF files through the library's front door: identify_file and read_page over every
// page of the sample corpus, and glimra-tool decode of uncompressed pages against
// ImageMagick.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "imaging.h"
#include "test_support.h"
#include "tiff_test_builder.h"

namespace {


TEST(TiffFile, EveryCorpusPageReadsThroughReadPage) {
    TIFFSetWarningHandler(nullptr);
    int files = 0;
    for (const char* name : kCorpusTiffs) {
        const fs::path path = corpus_file(name);
        if (path.empty()) continue;
        ImageFileInfo info{};
        ASSERT_EQ(identify_file(path.c_str(), &info, 0), 0) << name;
        EXPECT_EQ(info.format, FMT_TIFF) << name;
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tif, nullptr);
        int index = 0;
        do {
            uint32_t width = 0, height = 0;
            TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
            TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
            PageBitmap page{};
            ASSERT_EQ(read_page(&info, &page, index), 0) << name << " page " << index;
            EXPECT_EQ(page.width, (int32_t)width) << name << " page " << index;
            EXPECT_EQ(page.height, (int32_t)height) << name << " page " << index;
            release_page(&page);
            ++index;
        } while (TIFFReadDirectory(tif));
        TIFFClose(tif);
        EXPECT_EQ(info.page_count, index) << name;
        close_file_info(&info);
        ++files;
    }
    if (files == 0) GTEST_SKIP() << "no TIFF files in the sample corpus";
}

// Decodes page 0 with the tool and with ImageMagick; answers the largest difference of
// any sample, or -1 when either failed or the sizes differ.
int decode_difference(const fs::path& file, const TempDir& dir) {
    const fs::path ppm = dir / "out.ppm", ours = dir / "ours.rgb", theirs = dir / "theirs.rgb";
    if (run_command(tool_path().string() + " decode " + file.string() + " -o " + ppm.string()) != 0) return -1;
    if (run_command("convert " + ppm.string() + " -depth 8 rgb:" + ours.string()) != 0) return -1;
    if (run_command("convert '" + file.string() + "[0]' -depth 8 rgb:" + theirs.string()) != 0) return -1;
    const std::vector<uint8_t> a = read_bytes(ours), b = read_bytes(theirs);
    if (a.size() != b.size() || a.empty()) return -1;
    int most = 0;
    for (size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

TEST(TiffFile, ToolDecodesUncompressedPagesAsImageMagickDoes) {
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir dir;
    // Grey pages exactly; palette pages within one step, as ImageMagick rounds 16-bit
    // colour maps to 8 bits where the library drops the low byte.
    for (auto [name, tolerance] : {std::pair{"tiff/grey-8b.tiff", 0}, std::pair{"tiff/palette-4b.tiff", 1},
                                   std::pair{"tiff/palette-8b.tiff", 1}}) {
        const fs::path path = corpus_file(name);
        if (path.empty()) continue;
        const int difference = decode_difference(path, dir);
        EXPECT_GE(difference, 0) << name;
        EXPECT_LE(difference, tolerance) << name;
    }
    const fs::path rgb = dir / "rgb.tif", rgb_mm = dir / "rgb_mm.tif";
    ASSERT_EQ(run_command("convert -size 41x17 plasma:fractal -seed 3 -depth 8 -compress none "
                          "-define tiff:rows-per-strip=4 " + rgb.string()), 0);
    ASSERT_EQ(run_command("tiffcp -B " + rgb.string() + " " + rgb_mm.string()), 0);
    EXPECT_EQ(decode_difference(rgb, dir), 0);
    EXPECT_EQ(decode_difference(rgb_mm, dir), 0);
}

// Bilevel sense end to end: a G4 page marked min-is-black is inverted after decoding,
// an uncompressed min-is-black page is read with set bits white; both show as
// ImageMagick shows them.
TEST(TiffFile, BilevelSenseFollowsPhotometricThroughDecode) {
    SKIP_WITHOUT_PROGRAM("convert");
    SKIP_WITHOUT_PROGRAM("tiffset");
    TempDir dir;
    const std::string picture = " -size 40x20 xc:white -fill black -draw 'rectangle 5,5 20,12' -monochrome ";
    const fs::path g4 = dir / "g4.tif", g4_black = dir / "g4_black.tif", plain = dir / "plain.tif";
    ASSERT_EQ(run_command("convert" + picture + "-compress group4 " + g4.string()), 0);
    ASSERT_EQ(run_command("cp " + g4.string() + " " + g4_black.string() + " && tiffset -s 262 1 " + g4_black.string()), 0);
    ASSERT_EQ(run_command("convert" + picture + "-depth 1 -define tiff:photometric=min-is-black -compress none " +
                          plain.string()), 0);
    for (const fs::path& file : {g4, g4_black, plain}) EXPECT_EQ(decode_difference(file, dir), 0) << file;
}

}  // namespace
