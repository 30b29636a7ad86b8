// LZW codec in both variants: TIFF pages against libtiff (8- and 24-bit, predictor,
// strips, bilevel), GIF images against giflib's raw index dump (every code size,
// interlaced, the corpus), the encoder's output read back by libtiff and giflib, and
// the damaged-data rules.
#include <gtest/gtest.h>

#include <random>

#include "codecs/fax.h"
#include "codecs/lzw.h"
#include "fax_test_util.h"
#include "test_support.h"

using namespace faxtest;

namespace {
// Writes an 8-bit-per-sample TIFF (1 or 3 samples) or a bilevel one through libtiff.
bool write_tiff(const std::string& path, int width, int height, int spp, int bps, const std::vector<uint8_t>& rows,
                int compression, int predictor, int rows_per_strip) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bps);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, spp == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    if (predictor > 1) TIFFSetField(t, TIFFTAG_PREDICTOR, predictor);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)(rows_per_strip ? rows_per_strip : height));
    const size_t line = (size_t)(width * spp * bps + 7) / 8;
    bool ok = true;
    for (int y = 0; y < height && ok; ++y) {
        std::vector<uint8_t> row(rows.begin() + (long)(y * line), rows.begin() + (long)((y + 1) * line));
        ok = TIFFWriteScanline(t, row.data(), (uint32_t)y, 0) >= 0;
    }
    TIFFClose(t);
    return ok;
}

// A photo-like picture: smooth gradients with some noise, `bytes_per_row` per row.
std::vector<uint8_t> photo_rows(int bytes_per_row, int height, unsigned seed) {
    std::vector<uint8_t> v((size_t)bytes_per_row * height);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < bytes_per_row; ++x)
            v[(size_t)y * bytes_per_row + x] = (uint8_t)((x * 3 + y * 2) / 5 + (rng() % 7 == 0 ? rng() % 40 : 0));
    return v;
}

// Our decoding of a TIFF page's raw strips with the TIFF variant.
int decode_tiff_page(TiffPage& ref, PageBitmap& out, int flags = 0) {
    PageBitmap src = source_page(ref, COMP_LZW_TIFF);
    src.black_is_one = 0;
    out = src;
    return lzw_decode_tiff(&src, &out, flags);
}

// libtiff's rows in the library's order (blue first for 24-bit pages).
std::vector<uint8_t> reference_row(const TiffPage& ref, int y) {
    std::vector<uint8_t> row(ref.decoded.begin() + (long)(y * ref.scanline),
                             ref.decoded.begin() + (long)((y + 1) * ref.scanline));
    if (ref.samples == 3)
        for (size_t x = 0; x + 2 < row.size(); x += 3) std::swap(row[x], row[x + 2]);
    return row;
}

std::vector<uint8_t> our_row(const PageBitmap& page, int y, size_t bytes) {
    const uint8_t* p = page.data + page.data_offset + (size_t)y * page.pitch;
    return std::vector<uint8_t>(p, p + bytes);
}

void expect_tiff_matches(const std::string& path) {
    TiffPage ref;
    ASSERT_TRUE(read_tiff_page(path, ref)) << path;
    PageBitmap out{};
    ASSERT_EQ(decode_tiff_page(ref, out), 0) << path;
    EXPECT_EQ(out.compression, COMP_NONE);
    for (int y = 0; y < ref.height; ++y) ASSERT_EQ(our_row(out, y, ref.scanline), reference_row(ref, y)) << path << " row " << y;
    release_page(&out);
}

// ---- GIF files, parsed just enough to hand the LZW data to the decoder ----
struct GifImage {
    int width = 0, height = 0;
    bool interlaced = false;
    std::vector<uint8_t> framed;  // packed byte, minimum code size, the sub-block data
    size_t begin = 0, end = 0;    // the image's blocks in the file
};

std::vector<GifImage> gif_images(const std::vector<uint8_t>& f) {
    std::vector<GifImage> images;
    size_t p = 13;
    if (f.size() < 13) return images;
    if (f[10] & 0x80) p += 3u << ((f[10] & 7) + 1);
    while (p < f.size() && f[p] != 0x3B) {
        if (f[p] == 0x21) {  // extension: label, then sub-blocks
            p += 2;
            while (p < f.size() && f[p]) p += f[p] + 1u;
            ++p;
            continue;
        }
        if (f[p] != 0x2C || p + 10 > f.size()) break;
        GifImage img;
        img.begin = p;
        img.width = f[p + 5] | f[p + 6] << 8;
        img.height = f[p + 7] | f[p + 8] << 8;
        const uint8_t packed = f[p + 9];
        img.interlaced = packed & 0x40;
        p += 10;
        if (packed & 0x80) p += 3u << ((packed & 7) + 1);
        img.framed = {packed, f[p++]};
        while (p < f.size() && f[p]) {
            img.framed.insert(img.framed.end(), f.begin() + (long)p + 1, f.begin() + (long)(p + 1 + f[p]));
            p += f[p] + 1u;
        }
        ++p;
        img.end = p;
        images.push_back(img);
    }
    return images;
}

// giflib's decoding of every image of a file: indices in stream order. Extensions
// are left out first, since the dump prints their contents among the indices.
std::vector<uint8_t> giflib_indices(const std::string& path) {
    const std::vector<uint8_t> f = read_bytes(path);
    const size_t screen = 13 + ((f[10] & 0x80) ? 3u << ((f[10] & 7) + 1) : 0);
    std::vector<uint8_t> plain(f.begin(), f.begin() + (long)screen);
    for (const GifImage& img : gif_images(f)) plain.insert(plain.end(), f.begin() + (long)img.begin, f.begin() + (long)img.end);
    plain.push_back(0x3B);
    const std::string bare = path + ".plain.gif";
    write_bytes(bare, plain);
    std::string out;
    EXPECT_EQ(run_command("giftext -r '" + bare + "'", &out), 0);
    fs::remove(bare);
    return std::vector<uint8_t>(out.begin(), out.end());
}

// Picture row of the n-th row of an interlaced image.
int interlace_dest(int n, int height) {
    std::vector<int> order;
    for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < height; y += step) order.push_back(y);
    return order[(size_t)n];
}

// Palette indices below `colours`: runs and repeats (which LZW strings catch) with
// some noise.
std::vector<uint8_t> index_picture(int width, int height, int colours, unsigned seed) {
    std::vector<uint8_t> v((size_t)width * height);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            v[(size_t)y * width + x] = (uint8_t)(((x / 3) * 7 + y * 5 + (rng() % 9 == 0 ? rng() : 0)) % colours);
    return v;
}

// gifbuild's text description of a one-image GIF (pixels as two hex digits).
std::vector<uint8_t> gifbuild_text(const std::vector<uint8_t>& px, int width, int height, int colours, bool interlaced) {
    std::string s = "screen width " + std::to_string(width) + "\nscreen height " + std::to_string(height) +
                    "\nscreen colors " + std::to_string(colours) + "\nscreen background 0\n\nscreen map\n";
    for (int i = 0; i < colours; ++i) s += "\trgb " + std::to_string(i) + " " + std::to_string(i) + " 0\n";
    s += "end\n\nimage # 1\nimage left 0\nimage top 0\n";
    if (interlaced) s += "image interlaced\n";
    s += "image bits " + std::to_string(width) + " by " + std::to_string(height) + " hex\n";
    static const char* hex = "0123456789abcdef";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            s += hex[px[(size_t)y * width + x] >> 4];
            s += hex[px[(size_t)y * width + x] & 15];
        }
        s += "\n";
    }
    return std::vector<uint8_t>(s.begin(), s.end());
}

PageBitmap gif_source(GifImage& img, int bpp) {
    PageBitmap s{};
    s.width = img.width;
    s.height = img.height;
    s.bits_per_pixel = (int8_t)bpp;
    s.compression = COMP_LZW_GIF;
    s.data = img.framed.data();
    s.data_length = (int32_t)img.framed.size();
    s.ownership = OWN_BORROWED;
    return s;
}

// Decodes every image of a GIF at 8 bits and compares its indices with giflib's.
void expect_gif_matches(const std::string& path) {
    auto images = gif_images(read_bytes(path));
    const auto ref = giflib_indices(path);
    ASSERT_FALSE(images.empty()) << path;
    size_t at = 0;
    for (size_t i = 0; i < images.size(); ++i) {
        GifImage& img = images[i];
        PageBitmap src = gif_source(img, 8), out = src;
        ASSERT_EQ(lzw_decode_gif(&src, &out, 0), 0) << path << " image " << i;
        for (int n = 0; n < img.height; ++n) {
            const int y = img.interlaced ? interlace_dest(n, img.height) : n;
            ASSERT_LE(at + (size_t)img.width, ref.size());
            const std::vector<uint8_t> want(ref.begin() + (long)at, ref.begin() + (long)(at + img.width));
            ASSERT_EQ(our_row(out, y, (size_t)img.width), want) << path << " image " << i << " row " << y;
            at += (size_t)img.width;
        }
        release_page(&out);
    }
}

// A GIF file around the encoder's output (whose first two bytes are 0 and the width).
std::vector<uint8_t> gif_file(const PageBitmap& enc, int width, int height, int depth) {
    std::vector<uint8_t> f = {'G', 'I', 'F', '8', '7', 'a', (uint8_t)width, (uint8_t)(width >> 8), (uint8_t)height,
                              (uint8_t)(height >> 8), (uint8_t)(0x80 | (depth - 1)), 0, 0};
    for (int i = 0; i < (1 << depth); ++i) f.insert(f.end(), {(uint8_t)i, (uint8_t)i, (uint8_t)i});
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, (uint8_t)width, (uint8_t)(width >> 8), (uint8_t)height, (uint8_t)(height >> 8), 0});
    f.push_back((uint8_t)(enc.data[1] - 1));
    for (int32_t p = 2; p < enc.data_length; p += 255) {
        const int n = std::min(255, enc.data_length - p);
        f.push_back((uint8_t)n);
        f.insert(f.end(), enc.data + p, enc.data + p + n);
    }
    f.insert(f.end(), {0, 0x3B});
    return f;
}

// The decoder's input for a page encoded by our GIF encoder: the encoder's leading
// 0 becomes the image's packed byte and its initial width the minimum code size.
std::vector<uint8_t> gif_framed(const PageBitmap& page, uint8_t packed = 0, size_t keep = SIZE_MAX) {
    PageBitmap enc = page;
    EXPECT_EQ(lzw_encode_gif(&page, &enc, 0), 0);
    std::vector<uint8_t> framed(enc.data, enc.data + std::min<size_t>(keep, (size_t)enc.data_length));
    framed[0] = packed;
    framed[1] = (uint8_t)(framed[1] - 1);
    release_page(&enc);
    return framed;
}

// A GIF source page over framed LZW data, with the description of `like`.
PageBitmap gif_page_over(const PageBitmap& like, std::vector<uint8_t>& framed, int bpp) {
    PageBitmap s = like;
    s.data = framed.data();
    s.data_length = (int32_t)framed.size();
    s.data_offset = 0;
    s.compression = COMP_LZW_GIF;
    s.bits_per_pixel = (int8_t)bpp;
    return s;
}

PageBitmap packed_page(std::vector<uint8_t>& rows, int width, int height, int bpp, int pitch) {
    PageBitmap p{};
    p.width = width;
    p.height = height;
    p.bits_per_pixel = (int8_t)bpp;
    p.pitch = pitch;
    p.data = rows.data();
    p.data_length = (int32_t)rows.size();
    p.layout = LAYOUT_TOP_DOWN;
    p.ownership = OWN_BORROWED;
    return p;
}
}  // namespace

TEST(LzwTiffDecode, MatchesLibtiffForGreyAndRgbWithAndWithoutPredictorAndStrips) {
    TempDir dir;
    for (int spp : {1, 3})
        for (int predictor : {1, 2})
            for (int strip_rows : {0, 16, 5}) {
                SCOPED_TRACE("spp " + std::to_string(spp) + " predictor " + std::to_string(predictor) + " strip " +
                             std::to_string(strip_rows));
                const int w = 211, h = 97;
                const std::string path = (dir / "lzw.tif").string();
                ASSERT_TRUE(write_tiff(path, w, h, spp, 8, photo_rows(w * spp, h, 5), COMPRESSION_LZW, predictor, strip_rows));
                expect_tiff_matches(path);
            }
}

TEST(LzwTiffDecode, LargeNoisyPageFillsTheTableAndClearsIt) {
    TempDir dir;
    std::vector<uint8_t> rows(600 * 300);
    std::mt19937 rng(11);
    for (auto& b : rows) b = (uint8_t)rng();
    const std::string path = (dir / "noise.tif").string();
    ASSERT_TRUE(write_tiff(path, 600, 300, 1, 8, rows, COMPRESSION_LZW, 1, 0));
    expect_tiff_matches(path);
}

TEST(LzwTiffDecode, CorpusPredictorRgbMatchesLibtiff) {
    SKIP_WITHOUT_CORPUS_FILE(path, "tiff/hopper_lzw_pred2.tif");
    expect_tiff_matches(path.string());
}

TEST(LzwTiffDecode, BilevelPageBecomesRunsWithItsSenseInverted) {
    TempDir dir;
    const Bilevel page = text_page(300, 80);
    TiffOptions o;
    o.compression = COMPRESSION_LZW;
    TiffPage ref;
    ASSERT_TRUE(bilevel_tiff_page((dir / "bilevel.tif").string(), page, o, ref));
    PageBitmap out{};
    ASSERT_EQ(decode_tiff_page(ref, out), 0);
    EXPECT_EQ(out.compression, COMP_RUNS);
    EXPECT_EQ(out.black_is_one, 1) << "set bits were measured as white";
    for (int y = 0; y < page.height; ++y) {
        std::vector<uint8_t> want = packed_row_pixels(ref, y);
        for (auto& b : want) b ^= 1;
        ASSERT_EQ(run_row_pixels(out, y), want) << y;
    }
    release_page(&out);
}

TEST(LzwTiffDecode, TruncatedDataFailsOrKeepsTheDecodedRows) {
    TempDir dir;
    const int w = 120, h = 60;
    const std::string path = (dir / "cut.tif").string();
    ASSERT_TRUE(write_tiff(path, w, h, 1, 8, photo_rows(w, h, 9), COMPRESSION_LZW, 1, 0));
    TiffPage ref;
    ASSERT_TRUE(read_tiff_page(path, ref));
    PageBitmap src = source_page(ref, COMP_LZW_TIFF);
    src.data_length /= 2;
    PageBitmap out = src;
    EXPECT_EQ(lzw_decode_tiff(&src, &out, 0), ERR_DECOMPRESS);
    EXPECT_EQ(out.data, src.data);
    ASSERT_EQ(lzw_decode_tiff(&src, &out, JPEG_ACCEPT_DAMAGED), 0);
    int good = 0;
    while (good < h && our_row(out, good, (size_t)w) == reference_row(ref, good)) ++good;
    EXPECT_GT(good, h / 4);
    EXPECT_LT(good, h);
    release_page(&out);
}

// GIFs written by giflib's encoder (gifbuild) at every code size, interlaced or not,
// decode to the picture they were built from.
TEST(LzwGifDecode, EveryCodeSizeInterlacedOrNotMatchesGiflib) {
    SKIP_WITHOUT_PROGRAM("gifbuild");
    TempDir dir;
    const int w = 97, h = 41;
    for (int bits = 1; bits <= 8; ++bits)
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, interlaced " + std::to_string(interlaced));
            const std::vector<uint8_t> picture = index_picture(w, h, 1 << bits, (unsigned)bits);
            const std::string text = (dir / "g.txt").string(), path = (dir / "g.gif").string();
            write_bytes(text, gifbuild_text(picture, w, h, 1 << bits, interlaced));
            ASSERT_EQ(run_command("gifbuild '" + text + "' > '" + path + "'"), 0);
            auto images = gif_images(read_bytes(path));
            ASSERT_EQ(images.size(), 1u);
            ASSERT_EQ(images[0].interlaced, interlaced);
            PageBitmap src = gif_source(images[0], 8), out = src;
            ASSERT_EQ(lzw_decode_gif(&src, &out, 0), 0);
            for (int y = 0; y < h; ++y)
                ASSERT_EQ(our_row(out, y, (size_t)w),
                          std::vector<uint8_t>(picture.begin() + (long)y * w, picture.begin() + (long)(y + 1) * w))
                    << "row " << y;
            release_page(&out);
        }
}

TEST(LzwGifDecode, CorpusGifsMatchGiflib) {
    SKIP_WITHOUT_PROGRAM("giftext");
    int tested = 0;
    for (const char* name : {"gif/single.gif", "gif/interlaced_87a.gif", "gif/transparent.gif",
                             "gif/anim_dispose_bgnd.gif", "gif/anim_no_disposal.gif", "gif/anim_31frames_transp.gif"}) {
        const fs::path path = corpus_file(name);
        if (path.empty()) continue;
        SCOPED_TRACE(name);
        expect_gif_matches(path.string());
        ++tested;
    }
    if (!tested) GTEST_SKIP() << "no GIF in the sample corpus";
}

TEST(LzwGifDecode, NineRowInterlacedPictureIsReordered) {
    std::vector<uint8_t> rows(9 * 8);
    for (int y = 0; y < 9; ++y) std::fill(rows.begin() + y * 8, rows.begin() + y * 8 + 8, (uint8_t)y);
    const PageBitmap page = packed_page(rows, 8, 9, 8, 8);
    std::vector<uint8_t> framed = gif_framed(page, 0x40);  // interlaced
    PageBitmap src = gif_page_over(page, framed, 8), out = src;
    ASSERT_EQ(lzw_decode_gif(&src, &out, 0), 0);
    const int decoded_at[9] = {0, 5, 3, 6, 2, 7, 4, 8, 1};  // picture row y holds decoded row n
    for (int y = 0; y < 9; ++y) EXPECT_EQ(out.data[(size_t)y * out.pitch], decoded_at[y]) << y;
    release_page(&out);
}

TEST(LzwGifDecode, PacksFourAndOneBitPages) {
    std::vector<uint8_t> idx = {1, 2, 3, 15, 0, 1, 0, 0, 1, 1};
    const PageBitmap page = packed_page(idx, 5, 2, 8, 5);
    std::vector<uint8_t> framed = gif_framed(page);
    PageBitmap src = gif_page_over(page, framed, 4), out = src;
    ASSERT_EQ(lzw_decode_gif(&src, &out, 0), 0);
    EXPECT_EQ(out.pitch, 4);
    EXPECT_EQ(std::vector<uint8_t>(out.data, out.data + 3), (std::vector<uint8_t>{0x12, 0x3F, 0x00}));
    EXPECT_EQ(std::vector<uint8_t>(out.data + 4, out.data + 7), (std::vector<uint8_t>{0x10, 0x01, 0x10}));
    release_page(&out);

    src.bits_per_pixel = 1;  // index 1 is a set bit, measured as white
    src.black_is_one = 1;
    out = src;
    ASSERT_EQ(lzw_decode_gif(&src, &out, 0), 0);
    EXPECT_EQ(out.compression, COMP_RUNS);
    EXPECT_EQ(out.black_is_one, 1);
    EXPECT_EQ(run_row_pixels(out, 1), (std::vector<uint8_t>{0, 1, 1, 0, 0}));
    release_page(&out);
}

TEST(LzwGifDecode, TruncatedDataFailsOrKeepsTheDecodedRows) {
    std::vector<uint8_t> rows = photo_rows(64, 64, 2);
    const PageBitmap page = packed_page(rows, 64, 64, 8, 64);
    PageBitmap whole = page;
    ASSERT_EQ(lzw_encode_gif(&page, &whole, 0), 0);
    std::vector<uint8_t> framed = gif_framed(page, 0, (size_t)whole.data_length / 2);
    release_page(&whole);
    PageBitmap src = gif_page_over(page, framed, 8), out = src;
    EXPECT_EQ(lzw_decode_gif(&src, &out, 0), ERR_DECOMPRESS);
    ASSERT_EQ(lzw_decode_gif(&src, &out, JPEG_ACCEPT_DAMAGED), 0);
    EXPECT_TRUE(std::equal(out.data, out.data + 64 * 20, rows.begin()));
    release_page(&out);
}

TEST(LzwTiffEncode, OutputDecodesBackWithLibtiff) {
    TempDir dir;
    std::mt19937 rng(5);
    std::vector<uint8_t> noise(700 * 120);
    for (auto& b : noise) b = (uint8_t)rng();
    struct Case {
        int width, height, bpp;
        std::vector<uint8_t> rows;
    } cases[] = {
        {100, 1, 8, std::vector<uint8_t>(100, 0x5A)},  // one row of identical bytes
        {257, 90, 8, photo_rows(257, 90, 1)},
        {97, 61, 24, photo_rows(97 * 3, 61, 2)},
        {700, 120, 8, noise},  // many table clears
    };
    for (Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.bpp));
        const int bytes = c.width * c.bpp / 8;
        PageBitmap page = packed_page(c.rows, c.width, c.height, c.bpp, bytes), enc = page;
        ASSERT_EQ(lzw_encode_tiff(&page, &enc, 0), 0);
        EXPECT_EQ(enc.compression, COMP_LZW_TIFF);
        const std::string path = (dir / "enc.tif").string();
        TIFF* t = TIFFOpen(path.c_str(), "w");
        ASSERT_TRUE(t);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)c.width);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)c.height);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, c.bpp / 8);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, c.bpp == 24 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)c.height);
        ASSERT_GE(TIFFWriteRawStrip(t, 0, enc.data, enc.data_length), 0);
        TIFFClose(t);
        TiffPage back;
        ASSERT_TRUE(read_tiff_page(path, back));
        for (int y = 0; y < c.height; ++y) {
            std::vector<uint8_t> want(c.rows.begin() + (long)y * bytes, c.rows.begin() + (long)(y + 1) * bytes);
            ASSERT_EQ(reference_row(back, y), want) << "row " << y;  // blue-first on both sides
        }
        // Our own decoder reads it back too.
        back.data.assign(enc.data, enc.data + enc.data_length);
        back.offsets = {0};
        back.lengths = {(uint32_t)enc.data_length};
        PageBitmap dec{};
        ASSERT_EQ(decode_tiff_page(back, dec), 0);
        EXPECT_TRUE(std::equal(c.rows.begin(), c.rows.end(), dec.data));
        release_page(&dec);
        release_page(&enc);
    }
}

TEST(LzwTiffEncode, BilevelRunsAreStoredWhiteIsZero) {
    TempDir dir;
    const Bilevel page = text_page(333, 70);
    TiffPage ref;
    ASSERT_TRUE(bilevel_tiff_page((dir / "g4.tif").string(), page, TiffOptions{}, ref));
    PageBitmap runs{};
    {
        PageBitmap src = source_page(ref, COMP_G4);
        runs = src;
        ASSERT_EQ(fax_decode_g4(&src, &runs, 0), 0);
    }
    PageBitmap enc = runs;
    ASSERT_EQ(lzw_encode_tiff(&runs, &enc, 0), 0);
    const std::string path = (dir / "lzw1.tif").string();
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_TRUE(t);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 333u);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 70u);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 70u);
    ASSERT_GE(TIFFWriteRawStrip(t, 0, enc.data, enc.data_length), 0);
    TIFFClose(t);
    TiffPage back;
    ASSERT_TRUE(read_tiff_page(path, back));
    for (int y = 0; y < 70; ++y) ASSERT_EQ(packed_row_pixels(back, y), packed_row_pixels(ref, y)) << y;
    release_page(&enc);
    release_page(&runs);
}

TEST(LzwGifEncode, OutputDecodesBackWithGiflib) {
    SKIP_WITHOUT_PROGRAM("giftext");
    TempDir dir;
    std::mt19937 rng(8);
    for (int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        const int w = 150, h = 77;
        std::vector<uint8_t> idx((size_t)w * h);
        for (size_t i = 0; i < idx.size(); ++i)
            idx[i] = (uint8_t)((i / 7 + (rng() % 5 == 0 ? rng() : 0)) & ((1 << depth) - 1));
        // The page in its own depth: packed indices, or runs for bilevel pages.
        PageBitmap page{}, enc{};
        std::vector<uint8_t> packed;
        if (depth == 8) {
            page = packed_page(idx, w, h, 8, w);
        } else if (depth == 4) {
            const int pitch = (w + 1) / 2;
            packed.assign((size_t)pitch * h, 0);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) packed[(size_t)y * pitch + x / 2] |= (uint8_t)(idx[(size_t)y * w + x] << (x % 2 ? 0 : 4));
            page = packed_page(packed, w, h, 4, pitch);
        } else {
            // Bilevel: through our own GIF decoder to the run-length form.
            const PageBitmap bytes = packed_page(idx, w, h, 8, w);
            std::vector<uint8_t> framed = gif_framed(bytes);
            PageBitmap src = gif_page_over(bytes, framed, 1);
            page = src;
            ASSERT_EQ(lzw_decode_gif(&src, &page, 0), 0);
        }
        enc = page;
        ASSERT_EQ(lzw_encode_gif(&page, &enc, 0), 0);
        EXPECT_EQ(enc.data[0], 0);
        EXPECT_EQ(enc.data[1], depth == 1 ? 3 : depth + 1);
        const std::string path = (dir / "enc.gif").string();
        write_bytes(path, gif_file(enc, w, h, depth == 1 ? 1 : depth));
        EXPECT_EQ(giflib_indices(path), idx);
        release_page(&enc);
        if (depth == 1) release_page(&page);
    }
}
