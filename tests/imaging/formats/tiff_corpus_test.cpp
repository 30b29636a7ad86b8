// The TIFF directory reader on real files: every directory of the sample corpus
// against libtiff's reading of it, uncompressed pixels against ImageMagick, and
// big-endian twins made with tiffcp against their little-endian originals.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "formats/tiff/tiff.h"
#include "test_support.h"
#include "tiff_test_builder.h"

namespace {


int library_code(uint16_t tiff_compression, uint32_t t4) {
    switch (tiff_compression) {
    case 1: return COMP_NONE;
    case 2: return COMP_HUFFMAN;
    case 3: return (t4 & 1) ? COMP_G3_2D : COMP_G3_1D;
    case 4: return COMP_G4;
    case 5: return COMP_LZW_TIFF;
    case 6:
    case 7: return COMP_JPEG;
    case 32773: return COMP_PACKBITS;
    default: return COMP_NONE;
    }
}

// Checks one directory, at libtiff's current one, against what libtiff reads.
void compare_with_libtiff(TIFF* tif, const std::vector<uint8_t>& bytes, const std::string& where) {
    uint32_t width = 0, height = 0, rows = 0, t4 = 0;
    uint16_t bits = 1, samples = 1, compression = 1, photometric = 0, fill = 1, predictor = 1;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fill);
    if (compression == 5) TIFFGetFieldDefaulted(tif, TIFFTAG_PREDICTOR, &predictor);
    if (compression == 3) TIFFGetField(tif, TIFFTAG_T4OPTIONS, &t4);

    PageBitmap page;
    ASSERT_EQ(tiff_read_at(bytes, (uint32_t)TIFFCurrentDirOffset(tif), &page), 0) << where;
    EXPECT_EQ(page.width, (int32_t)width) << where;
    EXPECT_EQ(page.height, (int32_t)height) << where;
    EXPECT_EQ(page.bits_per_pixel, samples == 3 ? 24 : bits) << where;
    EXPECT_EQ(page.compression, library_code(compression, t4)) << where;
    EXPECT_EQ(page.fill_order, fill - 1) << where;
    EXPECT_EQ((page.layout & LAYOUT_PREDICTOR) != 0, predictor == 2) << where;
    const uint32_t strips = TIFFNumberOfStrips(tif);
    EXPECT_EQ(page.strip_count, strips > 1 ? (int32_t)strips : 0) << where;
    EXPECT_EQ(page.rows_per_strip, strips > 1 ? (int32_t)rows : (int32_t)height) << where;
    if (strips > 1) {
        for (uint32_t s = 0; s < strips && page.compression != COMP_NONE; ++s) {
            EXPECT_EQ((uint64_t)page.strip_offsets[s], TIFFGetStrileOffset(tif, s)) << where << " strip " << s;
            EXPECT_EQ((uint64_t)page.strip_lengths[s], TIFFGetStrileByteCount(tif, s)) << where << " strip " << s;
        }
    } else {
        EXPECT_EQ((uint64_t)page.data_offset, TIFFGetStrileOffset(tif, 0)) << where;
        EXPECT_EQ((uint64_t)page.data_length, TIFFGetStrileByteCount(tif, 0)) << where;
    }
    float x = 0, y = 0;
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x)) EXPECT_NEAR(page.x_dpi, std::floor(x), 1) << where;
    if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y)) EXPECT_NEAR(page.y_dpi, std::floor(y), 1) << where;
    char* text = nullptr;
    if (TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &text))
        EXPECT_EQ(std::string(page.description), std::string(text).substr(0, 127)) << where;
    if (bits == 1 && samples == 1 && photometric <= 1) {
        const bool rows_stored = page.compression == COMP_NONE || page.compression == COMP_PACKBITS;
        EXPECT_EQ(page.black_is_one, rows_stored ? 1 - photometric : photometric) << where;
    }
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (photometric == PHOTOMETRIC_PALETTE && bits > 1 && TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
        ASSERT_NE(page.palette, nullptr) << where;
        // Maps written with 8-bit values (all below 256) keep them, 16-bit ones scale down.
        bool eight_bit = true;
        for (int i = 0; i < (1 << bits); ++i) eight_bit = eight_bit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
        auto value = [eight_bit](uint16_t v) { return eight_bit ? v : v >> 8; };
        for (int i = 0; i < (1 << bits); ++i) {
            EXPECT_EQ(page.palette[3 * i], value(blue[i])) << where << " entry " << i;
            EXPECT_EQ(page.palette[3 * i + 1], value(green[i])) << where << " entry " << i;
            EXPECT_EQ(page.palette[3 * i + 2], value(red[i])) << where << " entry " << i;
        }
    }
    release_page(&page);
}

TEST(TiffCorpus, EveryDirectoryAgreesWithLibtiff) {
    TIFFSetWarningHandler(nullptr);
    int files = 0, directories = 0;
    for (const char* name : kCorpusTiffs) {
        const fs::path path = corpus_file(name);
        if (path.empty()) continue;
        const std::vector<uint8_t> bytes = read_bytes(path);
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tif, nullptr) << name;
        int n = 0;
        do {
            compare_with_libtiff(tif, bytes, std::string(name) + " directory " + std::to_string(n));
            ++n;
        } while (TIFFReadDirectory(tif));
        TIFFClose(tif);
        ++files;
        directories += n;
    }
    if (files == 0) GTEST_SKIP() << "no TIFF files in the sample corpus";
    EXPECT_GE(directories, files);
}

// Our page as 8-bit red, green, blue pixels (palette looked up, bilevel black and white).
std::vector<uint8_t> page_rgb(const PageBitmap& p) {
    std::vector<uint8_t> out;
    for (int y = 0; y < p.height; ++y) {
        const uint8_t* row = nullptr;
        if (p.strip_count > 1) {
            const int s = y / p.rows_per_strip;
            row = p.data + p.strip_offsets[s] + (size_t)(y % p.rows_per_strip) * p.pitch;
        } else {
            row = p.data + p.data_offset + (size_t)y * p.pitch;
        }
        for (int x = 0; x < p.width; ++x) {
            if (p.bits_per_pixel == 24) {
                out.insert(out.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            } else if (p.bits_per_pixel == 1) {
                const bool set = (row[x / 8] >> (7 - x % 8)) & 1;
                const uint8_t v = set != (p.black_is_one != 0) ? 255 : 0;
                out.insert(out.end(), {v, v, v});
            } else {
                const int i = p.bits_per_pixel == 8 ? row[x] : (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
                out.insert(out.end(), {p.palette[3 * i + 2], p.palette[3 * i + 1], p.palette[3 * i]});
            }
        }
    }
    return out;
}

std::vector<uint8_t> imagemagick_rgb(const fs::path& file, int index, const fs::path& scratch) {
    std::string err;
    const std::string command = "convert '" + file.string() + "[" + std::to_string(index) +
                                "]' -depth 8 rgb:" + scratch.string();
    if (run_command(command, nullptr, &err) != 0) return {};
    return read_bytes(scratch);
}

// A two-colour palette page shown black and white: pixels of the lighter map colour
// become white, the others black.
void to_black_and_white(TIFF* tif, std::vector<uint8_t>& rgb) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b)) return;
    const int light = r[1] + 2 * g[1] + b[1] > r[0] + 2 * g[0] + b[0] ? 1 : 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const bool is_light = std::abs(rgb[i] - (r[light] >> 8)) <= 1 && std::abs(rgb[i + 1] - (g[light] >> 8)) <= 1 &&
                              std::abs(rgb[i + 2] - (b[light] >> 8)) <= 1;
        rgb[i] = rgb[i + 1] = rgb[i + 2] = is_light ? 255 : 0;
    }
}

// Libtiff's own RGBA reading of the current directory as red, green, blue bytes.
std::vector<uint8_t> libtiff_rgb(TIFF* tif, int width, int height) {
    std::vector<uint32_t> raster((size_t)width * height);
    if (!TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 0)) return {};
    std::vector<uint8_t> rgb;
    for (uint32_t p : raster) rgb.insert(rgb.end(), {(uint8_t)TIFFGetR(p), (uint8_t)TIFFGetG(p), (uint8_t)TIFFGetB(p)});
    return rgb;
}

// Index of the first byte where two pixel buffers differ by more than `tolerance`.
size_t first_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && std::abs(a[i] - b[i]) <= tolerance) ++i;
    return i;
}

// Every directory of an uncompressed `file` against libtiff's pixels (exactly: both
// scale 16-bit colour maps by 256) and ImageMagick's (which rounds 16-bit map values
// to 8 bits, so palette colours may differ by one).
void compare_pixels(const fs::path& file, const fs::path& scratch) {
    const std::vector<uint8_t> bytes = read_bytes(file);
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    ASSERT_NE(tif, nullptr) << file;
    int index = 0;
    do {
        PageBitmap page;
        ASSERT_EQ(tiff_read_at(bytes, (uint32_t)TIFFCurrentDirOffset(tif), &page), 0) << file;
        ASSERT_EQ(page.compression, COMP_NONE) << file;
        const std::vector<uint8_t> ours = page_rgb(page);
        std::vector<uint8_t> reference = libtiff_rgb(tif, page.width, page.height);
        std::vector<uint8_t> magick = imagemagick_rgb(file, index, scratch);
        const bool two_colours = page.bits_per_pixel == 1 && page.palette == nullptr;
        if (two_colours) to_black_and_white(tif, reference), to_black_and_white(tif, magick);
        ASSERT_EQ(ours.size(), reference.size()) << file << " page " << index;
        ASSERT_EQ(ours.size(), magick.size()) << file << " page " << index;
        EXPECT_EQ(first_difference(ours, reference, 0), ours.size()) << file << " page " << index << " (libtiff)";
        const int tolerance = page.bits_per_pixel == 4 || page.bits_per_pixel == 8 ? 1 : 0;
        EXPECT_EQ(first_difference(ours, magick, tolerance), ours.size()) << file << " page " << index << " (ImageMagick)";
        release_page(&page);
        ++index;
    } while (TIFFReadDirectory(tif));
    TIFFClose(tif);
}

TEST(TiffCorpus, UncompressedPixelsEqualImageMagick) {
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir dir;
    for (const char* name : {"tiff/grey-8b.tiff", "tiff/palette-4b.tiff", "tiff/palette-8b.tiff",
                             "tiff/multipage_3.tiff"}) {
        const fs::path path = corpus_file(name);
        if (path.empty()) continue;
        compare_pixels(path, dir / "px.rgb");
    }
    // 24-bit colour in several strips and one, in both byte orders, made here.
    ASSERT_EQ(run_command("convert -size 37x23 plasma:fractal -seed 7 -depth 8 -compress none "
                          "-define tiff:rows-per-strip=5 " + (dir / "rgb.tif").string()), 0);
    ASSERT_EQ(run_command("tiffcp -B -r 1000 " + (dir / "rgb.tif").string() + " " + (dir / "rgb_mm.tif").string()), 0);
    for (const char* made : {"rgb.tif", "rgb_mm.tif"}) compare_pixels(dir / made, dir / "px.rgb");
}

// Fields of two readings of the same page that must agree whatever the byte order.
void expect_same_page(const PageBitmap& a, const PageBitmap& b, const std::string& where) {
    EXPECT_EQ(a.width, b.width) << where;
    EXPECT_EQ(a.height, b.height) << where;
    EXPECT_EQ(a.bits_per_pixel, b.bits_per_pixel) << where;
    EXPECT_EQ(a.compression, b.compression) << where;
    EXPECT_EQ(a.black_is_one, b.black_is_one) << where;
    EXPECT_EQ(a.fill_order, b.fill_order) << where;
    EXPECT_EQ(a.layout, b.layout) << where;
    EXPECT_EQ(a.strip_count, b.strip_count) << where;
    EXPECT_EQ(a.rows_per_strip, b.rows_per_strip) << where;
    EXPECT_EQ(a.pitch, b.pitch) << where;
    EXPECT_EQ(a.x_dpi, b.x_dpi) << where;
    EXPECT_EQ(a.y_dpi, b.y_dpi) << where;
    EXPECT_STREQ(a.description, b.description) << where;
    EXPECT_STREQ(a.maker, b.maker) << where;
    EXPECT_STREQ(a.model, b.model) << where;
    ASSERT_EQ(a.palette == nullptr, b.palette == nullptr) << where;
    if (a.palette) EXPECT_EQ(0, memcmp(a.palette, b.palette, 768)) << where;
    // tiffcp codes compressed strips afresh; uncompressed ones keep their bytes.
    if (a.compression != COMP_NONE) return;
    ASSERT_EQ(a.data_length, b.data_length) << where;
    if (a.strip_count == 0)
        EXPECT_EQ(0, memcmp(a.data + a.data_offset, b.data + b.data_offset, (size_t)a.data_length)) << where;
}

// tiffcp -B / -L rewrites a file in the other byte order, keeping its strips.
TEST(TiffCorpus, ByteOrderTwinsGiveTheSamePage) {
    SKIP_WITHOUT_PROGRAM("tiffcp");
    TempDir dir;
    int files = 0;
    for (const char* name : kCorpusTiffs) {
        const fs::path path = corpus_file(name);
        if (path.empty() || std::string(name).find("jpeg") != std::string::npos) continue;
        const std::vector<uint8_t> original = read_bytes(path);
        const fs::path twin_path = dir / "twin.tif";
        const std::string order = original[0] == 'M' ? "-L" : "-B";
        ASSERT_EQ(run_command("tiffcp " + order + " " + path.string() + " " + twin_path.string() + " 2>/dev/null"), 0)
            << name;
        const std::vector<uint8_t> twin = read_bytes(twin_path);
        ASSERT_NE(original[0], twin[0]) << name;
        PageBitmap a, b;
        ASSERT_EQ(tiff_read_at(original, tiff_first_directory(original), &a), 0) << name;
        ASSERT_EQ(tiff_read_at(twin, tiff_first_directory(twin), &b), 0) << name;
        expect_same_page(a, b, name);
        release_page(&a);
        release_page(&b);
        ++files;
    }
    if (files == 0) GTEST_SKIP() << "no TIFF files in the sample corpus";
}

}  // namespace
