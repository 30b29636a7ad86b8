// The byte-oriented run-length codecs: PackBits (exact packings of chosen rows, TIFF
// pages against libtiff both ways, damaged data), the PCX encoder (exact codings,
// pages back through the PCX decoder) and BMP RLE4/RLE8 (ImageMagick's files decoded
// to its pixels, ours decoded by ImageMagick to ours, damaged runs and moves).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codecs/rle_bmp.h"
#include "codecs/rle_packbits.h"
#include "codecs/rle_pcx.h"
#include "fax_test_util.h"
#include "formats/tiff/tiff.h"
#include "read_page_test_util.h"
#include "test_support.h"

using namespace faxtest;

namespace {
using Codec = int (*)(const PageBitmap*, PageBitmap*, int);

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

// One stored row of `bytes` as a one-row 8-bit page.
PageBitmap row_page(Bytes& bytes, int32_t width, int32_t height = 1) {
    PageBitmap p{};
    p.width = width;
    p.height = height;
    p.bits_per_pixel = 8;
    p.pitch = width;
    p.data = bytes.data();
    p.data_length = (int32_t)bytes.size();
    p.layout = LAYOUT_TOP_DOWN;
    p.ownership = OWN_BORROWED;
    return p;
}

// Rows with runs and noise in every depth's bytes: flat stretches, gradients, specks.
Bytes mixed_rows(size_t row_bytes, int height, unsigned seed) {
    Bytes v(row_bytes * (size_t)height);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (size_t x = 0; x < row_bytes; ++x)
            v[(size_t)y * row_bytes + x] = (uint8_t)((x / 9 + y / 3) % 5 == 0 ? rng() : (x / 17 + y) * 7);
    return v;
}

}  // namespace

// ---- PackBits -----------------------------------------------------------------------------

TEST(PackBits, RowsPackIntoRunsAndLiteralsAndUnpackBack) {
    Bytes distinct(130);
    for (size_t i = 0; i < distinct.size(); ++i) distinct[i] = (uint8_t)i;
    Bytes literal_130 = {0x7F};
    literal_130.insert(literal_130.end(), distinct.begin(), distinct.begin() + 128);
    literal_130.insert(literal_130.end(), {0x00, 128, 0x00, 129});
    const struct {
        const char* what;
        Bytes row, packed;
    } cases[] = {
        {"216 zero bytes: 128 + 88 repeats", Bytes(216, 0), {0x81, 0x00, 0xA9, 0x00}},
        {"stretch of differing bytes: the last one alone", {1, 2, 3}, {0x01, 1, 2, 0x00, 3}},
        {"a single byte", {5}, {0x00, 5}},
        {"two equal bytes", {1, 1}, {0xFF, 1}},
        {"literal then repeat", {1, 2, 2}, {0x00, 1, 0xFF, 2}},
        {"129 equal bytes: 128 and a single one", Bytes(129, 7), {0x81, 7, 0x00, 7}},
        {"130 differing bytes: 128, then 1, then the last", distinct, literal_130},
    };
    for (const auto& c : cases) {
        Bytes out(packbits_row_bound(c.row.size()));
        out.resize(packbits_pack_row(c.row.data(), c.row.size(), out.data()));
        EXPECT_EQ(out, c.packed) << c.what;
        Bytes packed = c.packed;
        PageBitmap src = row_page(packed, (int32_t)c.row.size());
        PageBitmap back = src;
        ASSERT_EQ(packbits_decode(&src, &back, 0), 0) << c.what;
        EXPECT_EQ(Bytes(back.data, back.data + c.row.size()), c.row) << c.what;
        release_page(&back);
    }
    // A header of 0x80 is no operation.
    Bytes noop = {0x80, 0x00, 5, 0x80};
    PageBitmap src = row_page(noop, 1);
    PageBitmap back = src;
    ASSERT_EQ(packbits_decode(&src, &back, 0), 0);
    EXPECT_EQ(back.data[0], 5);
    release_page(&back);
}

namespace {
// A TIFF page of `depth` written by libtiff in PackBits, 7 rows a strip.
bool libtiff_packbits_file(const std::string& path, int width, int height, int depth, int fill_order,
                           const Bytes& rows) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) return false;
    const int spp = depth == 24 ? 3 : 1;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, depth / spp);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, spp == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
    TIFFSetField(t, TIFFTAG_FILLORDER, fill_order);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 7u);
    const size_t line = (size_t)(width * depth + 7) / 8;
    bool ok = true;
    for (int y = 0; y < height && ok; ++y) {
        Bytes row(rows.begin() + (long)(y * line), rows.begin() + (long)((y + 1) * line));
        ok = TIFFWriteScanline(t, row.data(), (uint32_t)y, 0) >= 0;
    }
    TIFFClose(t);
    return ok;
}

// Row y of a decoded page as TIFF stores it: red first, bilevel set bits black.
Bytes tiff_order_row(const PageBitmap& page, int y, size_t line) {
    Bytes row(line);
    if (page.bits_per_pixel == 1) {
        const std::vector<uint8_t> px = run_row_pixels(page, y);
        for (int x = 0; x < page.width; ++x) row[(size_t)x / 8] |= (uint8_t)(px[(size_t)x] << (7 - x % 8));
        return row;
    }
    std::memcpy(row.data(), page.data + page.data_offset + (size_t)y * page.pitch, line);
    if (page.bits_per_pixel == 24)
        for (size_t x = 0; x + 2 < line; x += 3) std::swap(row[x], row[x + 2]);
    return row;
}

// libtiff's scanline y of `ref`, bilevel set bits black whatever the photometric.
Bytes tiff_scanline(const TiffPage& ref, int y) {
    Bytes row(ref.decoded.begin() + (long)(y * ref.scanline), ref.decoded.begin() + (long)((y + 1) * ref.scanline));
    if (ref.bits == 1 && ref.photometric == PHOTOMETRIC_MINISBLACK) {
        for (int x = 0; x < ref.width; ++x) row[(size_t)x / 8] ^= (uint8_t)(0x80 >> (x % 8));
        if (ref.width % 8) row.back() &= (uint8_t)(0xFF << (8 - ref.width % 8));  // bits past the width
    }
    return row;
}
}  // namespace

TEST(PackBits, TiffPagesMatchLibtiffBothWays) {
    SKIP_WITHOUT_PROGRAM("tiffcp");
    TIFFSetWarningHandler(nullptr);
    const TIFFErrorHandler errors = TIFFSetErrorHandler(nullptr);
    TempDir tmp;
    const struct {
        int width, height, depth, fill_order;
    } pages[] = {{1728, 60, 1, FILLORDER_MSB2LSB}, {203, 41, 1, FILLORDER_LSB2MSB}, {77, 30, 4, FILLORDER_MSB2LSB},
                 {301, 45, 8, FILLORDER_MSB2LSB}, {150, 33, 24, FILLORDER_MSB2LSB}};
    for (const auto& p : pages) {
        const std::string where = std::to_string(p.width) + "x" + std::to_string(p.height) + "x" + std::to_string(p.depth);
        const size_t line = (size_t)(p.width * p.depth + 7) / 8;
        Bytes rows = mixed_rows(line, p.height, (unsigned)p.depth);
        if (p.depth == 1) {
            const Bilevel b = text_page(p.width, p.height);
            std::fill(rows.begin(), rows.end(), 0);
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x) rows[(size_t)y * line + x / 8] |= (uint8_t)(b.at(x, y) << (7 - x % 8));
        }
        // libtiff's PackBits strips through our decoder.
        const std::string theirs = (tmp / "theirs.tif").string();
        ASSERT_TRUE(libtiff_packbits_file(theirs, p.width, p.height, p.depth, p.fill_order, rows)) << where;
        TiffPage ref;
        ASSERT_TRUE(read_tiff_page(theirs, ref)) << where;
        PageBitmap src = source_page(ref, COMP_PACKBITS);
        src.black_is_one = 1;  // white is zero: set bits black
        PageBitmap decoded{};
        decoded.compression = p.depth == 1 ? COMP_RUNS : COMP_NONE;
        ASSERT_EQ(convert_page(&src, &decoded, 0), 0) << where;
        for (int y = 0; y < p.height; ++y)
            ASSERT_EQ(tiff_order_row(decoded, y, line), Bytes(rows.begin() + (long)(y * line), rows.begin() + (long)((y + 1) * line)))
                << where << " row " << y;
        // Our encoding, written by our TIFF writer, through tiffcp -c none.
        PageBitmap packed{};
        packed.compression = COMP_PACKBITS;
        ASSERT_EQ(convert_page(&decoded, &packed, 0), 0) << where;
        const fs::path ours = tmp / "ours.tif", plain = tmp / "plain.tif";
        ASSERT_EQ(tiff_save_page(ours.c_str(), &packed), 0) << where;
        ASSERT_EQ(run_command("tiffcp -c none " + q(ours) + " " + q(plain) + " 2>&1"), 0) << where;
        TiffPage back;
        ASSERT_TRUE(read_tiff_page(plain.string(), back)) << where;
        for (int y = 0; y < p.height; ++y)
            ASSERT_EQ(tiff_scanline(back, y), Bytes(rows.begin() + (long)(y * line), rows.begin() + (long)((y + 1) * line)))
                << where << " row " << y;
        release_page(&packed);
        release_page(&decoded);
    }
    TIFFSetErrorHandler(errors);
}

TEST(PackBits, DamagedDataStopsAtThePageEdge) {
    const struct {
        const char* what;
        Bytes data;
        int32_t width, height;
        Bytes kept;  // the page with damaged data accepted
    } cases[] = {
        {"literal cut by the end of the data", {0x05, 1, 2}, 8, 1, {1, 2, 0, 0, 0, 0, 0, 0}},
        {"repeat run past the page", {0xF0, 9}, 4, 2, {9, 9, 9, 9, 9, 9, 9, 9}},
        {"literal past the page", {0x07, 1, 2, 3, 4, 5, 6, 7, 8}, 3, 2, {1, 2, 3, 4, 5, 6}},
        {"data ending before the last row", {0x01, 1, 2}, 2, 2, {1, 2, 0, 0}},
        {"repeat header without its byte", {0xFE}, 2, 1, {0, 0}},
    };
    for (const auto& c : cases) {
        Bytes data = c.data;
        PageBitmap src = row_page(data, c.width, c.height);
        PageBitmap out = src;
        EXPECT_EQ(packbits_decode(&src, &out, 0), ERR_DECOMPRESS) << c.what;
        out = src;
        ASSERT_EQ(packbits_decode(&src, &out, JPEG_ACCEPT_DAMAGED), 0) << c.what;
        EXPECT_EQ(Bytes(out.data, out.data + c.kept.size()), c.kept) << c.what;
        release_page(&out);
    }
}

// ---- PCX encoding ---------------------------------------------------------------------------

TEST(PcxEncode, RowsCodeIntoCountBytesAndPagesDecodeBack) {
    const struct {
        const char* what;
        Bytes row, coded;
    } rows[] = {
        {"100 equal bytes: 63 + 37", Bytes(100, 0x12), {0xFF, 0x12, 0xE5, 0x12}},
        {"a single high byte", {0xC5}, {0xC1, 0xC5}},
        {"singles and a pair", {1, 0xC0, 2, 2}, {1, 0xC1, 0xC0, 0xC2, 2}},
    };
    for (const auto& c : rows) {
        Bytes bytes = c.row;
        PageBitmap src = row_page(bytes, (int32_t)bytes.size());
        src.compression = COMP_NONE;
        PageBitmap out = src;
        ASSERT_EQ(pcx_encode(&src, &out, 0), 0) << c.what;
        EXPECT_EQ(Bytes(out.data, out.data + out.data_length), c.coded) << c.what;
        release_page(&out);
    }
    // Pages of every depth come back through the PCX decoder.
    for (int depth : {1, 4, 8, 24}) {
        const int32_t width = 93, height = 17;
        PageBitmap page{};
        Bytes pixels;
        PageBitmap runs{};
        if (depth == 1) {
            runs = runs_page_of(text_page(width, height, 3));
            page = runs;
        } else {
            const int32_t pitch = row_bytes_aligned(width, depth);
            pixels = mixed_rows((size_t)pitch, height, 9);
            page = borrowed_rows(pixels, width, height, pitch, depth);
        }
        PageBitmap coded{};
        coded.compression = COMP_PCX_RLE;
        ASSERT_EQ(convert_page(&page, &coded, 0), 0) << depth;
        EXPECT_EQ(coded.planes, depth == 24 ? 3 : 1);
        PageBitmap back{};
        back.compression = depth == 1 ? COMP_RUNS : COMP_NONE;
        ASSERT_EQ(convert_page(&coded, &back, 0), 0) << depth;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                ASSERT_EQ(depth == 1 ? run_row_pixels(back, y)[(size_t)x] : pixel_at(back, x, y),
                          depth == 1 ? run_row_pixels(runs, y)[(size_t)x] : pixel_at(page, x, y))
                    << "depth " << depth << " at " << x << "," << y;
        release_page(&back);
        release_page(&coded);
        if (depth == 1) release_page(&runs);
    }
}

// ---- BMP RLE -----------------------------------------------------------------------------------

namespace {

// A Windows BMP file around run-length data with a palette of 2^depth entries.
Bytes rle_bmp_file(const PageBitmap& coded, const uint8_t* palette) {
    const int entries = 1 << coded.bits_per_pixel;
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, (uint32_t)(54 + 4 * entries));
    put32(b, 14, 40);
    put32(b, 18, (uint32_t)coded.width);
    put32(b, 22, (uint32_t)coded.height);
    put16(b, 26, 1);
    put16(b, 28, (unsigned)coded.bits_per_pixel);
    put32(b, 30, coded.bits_per_pixel == 8 ? 1 : 2);
    put32(b, 34, (uint32_t)coded.data_length);
    put32(b, 46, (uint32_t)entries);
    for (int i = 0; i < entries; ++i) b.insert(b.end(), {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2], 0});
    b.insert(b.end(), coded.data, coded.data + coded.data_length);
    put32(b, 2, (uint32_t)b.size());
    return b;
}

// Red, green, blue of every pixel of a decoded 4- or 8-bit page.
Bytes page_rgb(const PageBitmap& p, const uint8_t* palette) {
    Bytes rgb;
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) {
            const uint32_t i = pixel_at(p, x, y);
            rgb.insert(rgb.end(), {palette[3 * i + 2], palette[3 * i + 1], palette[3 * i]});
        }
    return rgb;
}

// ImageMagick's pixels of `file` (binary PPM, maxval 255).
Bytes imagemagick_rgb(const fs::path& file, const TempDir& tmp, int width, int height) {
    const fs::path ppm = tmp / "im.ppm";
    if (run_command("convert " + q(file) + " -depth 8 ppm:" + q(ppm)) != 0) return {};
    const Bytes b = read_bytes(ppm);
    const size_t pixels = (size_t)width * height * 3;
    return b.size() >= pixels ? Bytes(b.end() - (long)pixels, b.end()) : Bytes{};
}

}  // namespace

TEST(BmpRle, ImageMagickFilesDecodeToItsPixelsAndOursToOurs) {
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir tmp;
    // ImageMagick writes RLE8; the whole pipeline reads it.
    const fs::path theirs = tmp / "theirs.bmp";
    ASSERT_EQ(run_command("convert -size 57x31 -seed 4 plasma: -colors 40 -type palette -compress RLE BMP3:" + q(theirs)), 0);
    ImageFileInfo info{};
    ASSERT_EQ(identify_file(theirs.c_str(), &info, 0), 0);
    PageBitmap page{};
    ASSERT_EQ(read_decoded_page(&info, 0, 0, &page, nullptr), 0);
    close_file_info(&info);
    EXPECT_EQ(page_rgb(page, page.palette), imagemagick_rgb(theirs, tmp, 57, 31));
    release_page(&page);

    // Our RLE8 and RLE4 (odd widths too) decoded by ImageMagick and by us.
    uint8_t palette[768];
    for (int i = 0; i < 256; ++i) palette[3 * i] = (uint8_t)i, palette[3 * i + 1] = (uint8_t)(255 - i), palette[3 * i + 2] = (uint8_t)(i * 7);
    const struct {
        int32_t width, height;
        int depth;
    } pages[] = {{61, 23, 8}, {300, 7, 8}, {61, 23, 4}, {64, 5, 4}, {1, 3, 4}};
    for (const auto& p : pages) {
        const std::string where = std::to_string(p.width) + "x" + std::to_string(p.height) + "x" + std::to_string(p.depth);
        const int32_t pitch = row_bytes_aligned(p.width, p.depth);
        Bytes pixels = mixed_rows((size_t)pitch, p.height, 2);
        for (uint8_t& v : pixels) v = p.depth == 4 ? (uint8_t)(v & 0x77) : v;  // keep 4-bit indices small
        PageBitmap src = borrowed_rows(pixels, p.width, p.height, pitch, p.depth);
        PageBitmap coded{};
        coded.compression = COMP_BMP_RLE;
        ASSERT_EQ(convert_page(&src, &coded, 0), 0) << where;
        // A copy keeps the coded rows in their bottom-up order, byte for byte.
        PageBitmap copy{};
        copy.compression = COMP_BMP_RLE;
        ASSERT_EQ(convert_page(&coded, &copy, 0), 0) << where;
        EXPECT_EQ(Bytes(copy.data, copy.data + copy.data_length), Bytes(coded.data, coded.data + coded.data_length));
        release_page(&copy);
        const fs::path ours = tmp / "ours.bmp";
        write_bytes(ours, rle_bmp_file(coded, palette));
        EXPECT_EQ(imagemagick_rgb(ours, tmp, p.width, p.height), page_rgb(src, palette)) << where;
        PageBitmap back{};
        back.compression = COMP_NONE;
        ASSERT_EQ(convert_page(&coded, &back, 0), 0) << where;
        EXPECT_EQ(page_rgb(back, palette), page_rgb(src, palette)) << where;
        release_page(&back);
        release_page(&coded);
    }
}

TEST(BmpRle, EachRowEndsWithZeroZeroAndThePageWithZeroOne) {
    const struct {
        const char* what;
        int32_t width, height;
        int depth;
        Bytes rows;  // top-down, packed
        Bytes coded;
    } cases[] = {
        {"RLE8, two rows: each ends with (0, 0), the page with (0, 1)", 8, 2, 8,
         {1, 2, 3, 3, 3, 3, 4, 5, 7, 7, 7, 1, 2, 3, 4, 9},
         {3, 7, 0, 5, 1, 2, 3, 4, 9, 0, 0, 0, 1, 1, 1, 2, 4, 3, 1, 4, 1, 5, 0, 0, 0, 1}},
        {"RLE4, odd width: the last byte holds one pixel", 5, 1, 4, {0x11, 0x11, 0x20}, {4, 0x11, 1, 0x20, 0, 0, 0, 1}},
    };
    for (const auto& c : cases) {
        const size_t line = (size_t)row_bytes_packed(c.width, c.depth);
        const int32_t pitch = row_bytes_aligned(c.width, c.depth);
        Bytes rows((size_t)pitch * c.height);
        for (int32_t y = 0; y < c.height; ++y) std::memcpy(rows.data() + (size_t)y * pitch, c.rows.data() + y * line, line);
        PageBitmap src = borrowed_rows(rows, c.width, c.height, pitch, c.depth);
        PageBitmap out = src;
        ASSERT_EQ(bmp_rle_encode(&src, &out, 0), 0) << c.what;
        EXPECT_EQ(Bytes(out.data, out.data + out.data_length), c.coded) << c.what;
        release_page(&out);
    }
}

TEST(BmpRle, DamagedRunsAndMovesStopAtThePictureEdge) {
    const struct {
        const char* what;
        int depth;
        Bytes data;
        int rc;
        Bytes bottom_row_then_top_row;  // the 4 x 2 page as decoded (damaged data accepted)
    } cases[] = {
        {"a run across the row end continues on the row above", 8, {6, 7, 0, 1}, 0, {7, 7, 7, 7, 7, 7, 0, 0}},
        {"a run past the top of the picture", 8, {10, 7, 0, 1}, ERR_DECOMPRESS, {7, 7, 7, 7, 7, 7, 7, 7}},
        {"a move past the right edge", 8, {1, 5, 0, 2, 5, 0, 1, 6}, ERR_DECOMPRESS, {5, 0, 0, 0, 0, 0, 0, 0}},
        {"a move past the top", 8, {0, 2, 1, 3, 1, 6}, ERR_DECOMPRESS, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"a move within the picture", 8, {0, 2, 1, 1, 1, 6, 0, 1}, 0, {0, 0, 0, 0, 0, 6, 0, 0}},
        {"literal pixels cut by the end of the data", 8, {0, 4, 1, 2}, ERR_DECOMPRESS, {1, 2, 0, 0, 0, 0, 0, 0}},
        {"data ending before the end of the picture", 8, {2, 7}, ERR_DECOMPRESS, {7, 7, 0, 0, 0, 0, 0, 0}},
        {"rows running out end the picture", 8, {0, 0, 4, 3, 0, 0, 9, 9}, 0, {0, 0, 0, 0, 3, 3, 3, 3}},
        {"RLE4 run and literal", 4, {3, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 1}, 0, {1, 2, 1, 0, 4, 5, 6, 0}},
        // Pixels past the width but inside the row's padding stay in that row.
        {"RLE4 pixels in the padding", 4, {6, 0x12, 0, 0, 1, 0x30, 0, 1}, 0, {1, 2, 1, 2, 3, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        Bytes data = c.data;
        PageBitmap src = row_page(data, 4, 2);
        src.bits_per_pixel = (int8_t)c.depth;
        src.layout = LAYOUT_BMP | LAYOUT_BOTTOM_UP;
        PageBitmap out = src;
        EXPECT_EQ(bmp_rle_decode(&src, &out, 0), c.rc) << c.what;
        if (c.rc == 0) release_page(&out);
        out = src;
        ASSERT_EQ(bmp_rle_decode(&src, &out, JPEG_ACCEPT_DAMAGED), 0) << c.what;
        EXPECT_EQ(out.layout, LAYOUT_TOP_DOWN);
        Bytes got;
        for (int32_t y = 1; y >= 0; --y)
            for (int32_t x = 0; x < 4; ++x) got.push_back((uint8_t)pixel_at(out, x, y));
        EXPECT_EQ(got, c.bottom_row_then_top_row) << c.what;
        release_page(&out);
    }
    // OS/2 24-bit RLE: a run of a blue, green, red pixel and a literal pixel.
    Bytes rgb = {2, 0x10, 0x20, 0x30, 0, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 1};
    PageBitmap src = row_page(rgb, 5, 1);
    src.bits_per_pixel = 24;
    PageBitmap out = src;
    ASSERT_EQ(bmp_rle_decode(&src, &out, 0), 0);
    EXPECT_EQ(pixel_at(out, 1, 0), 0x302010u);
    EXPECT_EQ(pixel_at(out, 4, 0), 0x090807u);
    release_page(&out);
}
