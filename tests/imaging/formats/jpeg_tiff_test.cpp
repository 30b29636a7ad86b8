// JPEG-compressed TIFF pages (Compression 7) whose strips share the tables of the
// JPEGTables tag: files written by libtiff in this test and the sample corpus, decoded
// through identify_file, read_page and convert_page and compared with libtiff's RGBA
// reading; hand-damaged files (tables outside the file, strips without tables, fewer
// strips than rows) give their error codes.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>

#include "formats/tiff/tiff.h"
#include "jpeg_test_util.h"
#include "tiff_test_builder.h"

namespace {

struct JpegTiff {
    int width, height, channels, rows_per_strip;
    bool rgb = false;  // colour stored as red, green, blue components (no YCbCr)
};

// Writes a JPEG-compressed TIFF with libtiff: colour as YCbCr 4:2:0 (or RGB), grey as
// one component, `rows_per_strip` rows per strip (libtiff puts the tables in tag 347).
bool write_jpeg_tiff(const fs::path& path, const JpegTiff& f) {
    TIFF* t = TIFFOpen(path.string().c_str(), "w");
    if (!t) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, f.width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, f.height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, f.channels);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 f.channels == 1 ? PHOTOMETRIC_MINISBLACK : f.rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_YCBCR);
    if (f.channels == 3 && !f.rgb) TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    TIFFSetField(t, TIFFTAG_JPEGQUALITY, 90);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, f.rows_per_strip);
    std::vector<unsigned char> row((size_t)f.width * f.channels);
    bool ok = true;
    for (int y = 0; y < f.height && ok; ++y) {
        for (int x = 0; x < f.width; ++x) {
            const int t0 = (x * 7 + y * 13) % 5;
            const unsigned char rgb[3] = {(unsigned char)(x * 250 / f.width + t0), (unsigned char)(y * 250 / f.height + t0),
                                          (unsigned char)(60 + (x + y) * 120 / (f.width + f.height) + t0)};
            for (int c = 0; c < f.channels; ++c) row[(size_t)x * f.channels + c] = f.channels == 3 ? rgb[c] : rgb[0] / 2 + rgb[1] / 2;
        }
        ok = TIFFWriteScanline(t, row.data(), (uint32_t)y, 0) == 1;
    }
    TIFFClose(t);
    return ok;
}

// libtiff's picture of page 0 (RGB, or grey when `grey`).
Picture libtiff_picture(const fs::path& path, bool grey) {
    Picture pic;
    TIFF* t = TIFFOpen(path.string().c_str(), "r");
    if (!t) return pic;
    uint32_t w = 0, h = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    std::vector<uint32_t> raster((size_t)w * h);
    if (TIFFReadRGBAImageOriented(t, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
        pic.width = (int)w, pic.height = (int)h, pic.channels = grey ? 1 : 3;
        for (uint32_t p : raster) {
            if (grey) {
                pic.pixels.push_back((unsigned char)TIFFGetR(p));
                continue;
            }
            pic.pixels.insert(pic.pixels.end(), {(unsigned char)TIFFGetR(p), (unsigned char)TIFFGetG(p), (unsigned char)TIFFGetB(p)});
        }
    }
    TIFFClose(t);
    return pic;
}

// The picture reduced by `n` in both directions, each pixel the mean of its n x n cell.
Picture reduce(const Picture& p, int n) {
    Picture r;
    r.width = (p.width + n - 1) / n, r.height = (p.height + n - 1) / n, r.channels = p.channels;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            for (int c = 0; c < p.channels; ++c) {
                int sum = 0, count = 0;
                for (int j = y * n; j < std::min(p.height, y * n + n); ++j)
                    for (int i = x * n; i < std::min(p.width, x * n + n); ++i, ++count)
                        sum += p.pixels[((size_t)j * p.width + i) * p.channels + c];
                r.pixels.push_back((unsigned char)((sum + count / 2) / count));
            }
    return r;
}

// Decodes page 0 of `path` with `flags` (the record is closed at the end).
int decode_tiff(const fs::path& path, int flags, PageBitmap* out) {
    ImageFileInfo info{};
    int rc = identify_file(path.string().c_str(), &info, 0);
    if (rc != IMG_OK) return rc;
    PageBitmap page{};
    rc = read_page(&info, &page, 0);
    *out = PageBitmap{};
    out->compression = COMP_NONE;
    if (rc == IMG_OK) rc = convert_page(&page, out, flags);
    release_page(&page);
    close_file_info(&info);
    return rc;
}

// Offset of the entry with `tag` in the first directory of a little-endian file.
size_t entry_of(const JpegBytes& b, uint16_t tag) {
    const uint32_t dir = b[4] | b[5] << 8 | b[6] << 16 | (uint32_t)b[7] << 24;
    const int n = b[dir] | b[dir + 1] << 8;
    for (int i = 0; i < n; ++i) {
        const size_t at = dir + 2 + 12 * (size_t)i;
        if ((b[at] | b[at + 1] << 8) == tag) return at;
    }
    return 0;
}

void put32(JpegBytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (unsigned char)(v >> (8 * i));
}

// One-eighth size: each luma block is one pixel (its DC value: the block's mean) and
// the chroma of a whole MCU is shared by its pixels, so luma is compared with the
// mean of each 8 x 8 cell of libtiff's picture and chroma with the mean of each MCU
// (16 x 16 for 2x2 sampling), over the MCUs that lie wholly inside the picture.
void expect_eighth_like_libtiff(const Picture& ours, const Picture& ref, const std::string& what) {
    const YccPlanes a = ycc_planes(ours), b = ycc_planes(ref);
    const std::vector<double> y8 = cell_means(b.y, b.width, b.height, 8), cb16 = cell_means(b.cb, b.width, b.height, 16),
                              cr16 = cell_means(b.cr, b.width, b.height, 16);
    std::vector<double> ay, by, acb, bcb, acr, bcr;
    for (int y = 0; y < ref.height / 16 * 2; ++y)
        for (int x = 0; x < ref.width / 16 * 2; ++x) {
            const size_t i = (size_t)y * a.width + x, j = (size_t)(8 * y + 4) * b.width + 8 * x + 4;
            ay.push_back(a.y[i]), by.push_back(y8[j]);
            acb.push_back(a.cb[i]), bcb.push_back(cb16[j]);
            acr.push_back(a.cr[i]), bcr.push_back(cr16[j]);
        }
    if (ay.empty()) return;
    const double dy = plane_psnr(ay, by), dcb = plane_psnr(acb, bcb), dcr = plane_psnr(acr, bcr);
    std::printf("  %s 1/8: luma %.1f dB, chroma per MCU %.1f / %.1f dB\n", what.c_str(), dy, dcb, dcr);
    EXPECT_GE(dy, 40) << what;
    EXPECT_GE(dcb, 40) << what;
    EXPECT_GE(dcr, 40) << what;
}

void expect_like_libtiff(const fs::path& path, bool grey, const std::string& what) {
    const Picture ref = libtiff_picture(path, grey);
    ASSERT_GT(ref.width, 0) << what;
    struct Size {
        int flags, n;
        double floor;
    };
    // Half size against the reference averaged over 2 x 2 cells.
    for (const Size& s : {Size{0, 1, 35}, Size{JPEG_HALF, 2, 33}, Size{JPEG_RGB565, 1, 30}, Size{JPEG_EIGHTH, 8, 0}}) {
        PageBitmap out{};
        ASSERT_EQ(IMG_OK, decode_tiff(path, s.flags, &out)) << what << " flags " << s.flags;
        ASSERT_EQ(out.width, (ref.width + s.n - 1) / s.n) << what;
        ASSERT_EQ(out.height, (ref.height + s.n - 1) / s.n) << what;
        if (s.flags == JPEG_EIGHTH) {
            expect_eighth_like_libtiff(to_picture(out), ref, what);
        } else {
            const double db = psnr(to_picture(out), s.n == 1 ? ref : reduce(ref, s.n));
            EXPECT_GE(db, s.floor) << what << " flags " << s.flags;
            std::printf("  %s flags 0x%02x: %.1f dB\n", what.c_str(), s.flags, db);
        }
        release_page(&out);
    }
}

TEST(JpegTiff, StripsSharingTheTablesTagDecodeLikeLibtiff) {
    TempDir dir;
    const JpegTiff files[] = {{480, 360, 3, 16}, {37, 45, 3, 16}, {200, 120, 1, 8}, {64, 48, 3, 48}, {100, 70, 1, 70}};
    for (const JpegTiff& f : files) {
        const fs::path path = dir / "page.tif";
        ASSERT_TRUE(write_jpeg_tiff(path, f));
        expect_like_libtiff(path, f.channels == 1,
                            std::to_string(f.width) + "x" + std::to_string(f.height) + "/" + std::to_string(f.channels) +
                                " rows " + std::to_string(f.rows_per_strip));
    }
}

// RGB pages: libtiff's strips name their components 'R', 'G', 'B', which keeps them
// out of the YCbCr conversion.
TEST(JpegTiff, RgbStripsDecodeLikeLibtiff) {
    TempDir dir;
    const fs::path path = dir / "rgb.tif";
    ASSERT_TRUE(write_jpeg_tiff(path, JpegTiff{64, 48, 3, 16, true}));
    PageBitmap out{};
    ASSERT_EQ(IMG_OK, decode_tiff(path, 0, &out));
    const double db = psnr(to_picture(out), libtiff_picture(path, false));
    std::printf("  RGB strips: %.1f dB\n", db);
    EXPECT_GE(db, 35.0);
    release_page(&out);
}

TEST(JpegTiff, CorpusStripsDecodeLikeLibtiff) {
    SKIP_WITHOUT_CORPUS_FILE(path, "tiff/jpeg_ycbcr_2x2_strips.tif");
    expect_like_libtiff(path, false, "jpeg_ycbcr_2x2_strips.tif");
}

TEST(JpegTiff, ReaderKeepsAnOwnedCopyOfTheTables) {
    TempDir dir;
    ASSERT_TRUE(write_jpeg_tiff(dir / "page.tif", {64, 64, 3, 16}));
    const JpegBytes bytes = read_bytes(dir / "page.tif");
    const size_t at = entry_of(bytes, 347);
    ASSERT_NE(at, 0u);
    const uint32_t count = bytes[at + 4] | bytes[at + 5] << 8, offset = bytes[at + 8] | bytes[at + 9] << 8 | bytes[at + 10] << 16;
    PageBitmap page{};
    ASSERT_EQ(IMG_OK, tiff_read_bytes(bytes, &page));
    size_t length = 0;
    const uint8_t* tables = tiff_jpeg_tables(&page, &length);
    ASSERT_NE(tables, nullptr);
    ASSERT_EQ(length, count);
    EXPECT_EQ(0, std::memcmp(tables, bytes.data() + offset, length));
    EXPECT_NE((const void*)tables, (const void*)(bytes.data() + offset));
    EXPECT_EQ(IMG_OK, release_page(&page));
    EXPECT_EQ(page.aux_buffer, nullptr);
    EXPECT_EQ(tiff_jpeg_tables(&page, &length), nullptr);
}

// A tables stream is kept only for Compression 7 and only when it lies wholly inside
// the file; a big-endian file keeps it the same way.
TEST(JpegTiff, ReaderKeepsTablesOnlyForNewStyleJpegInsideTheFile) {
    const std::vector<uint8_t> tables = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 1, 2, 3, 4, 5, 0xFF, 0xD9};
    struct Case {
        bool big_endian;
        uint16_t compression;
        bool outside;
        bool kept;
    };
    for (const Case& c : {Case{false, 7, false, true}, Case{true, 7, false, true}, Case{false, 6, false, false},
                          Case{false, 1, false, false}, Case{false, 7, true, false}}) {
        TiffBuilder b(c.big_endian);
        const uint32_t at = b.blob(tables);
        const uint32_t strip = b.blob({0xFF, 0xD8, 0xFF, 0xD9});
        b.shorts(256, {16});
        b.shorts(257, {16});
        b.shorts(258, {8});
        b.shorts(259, {c.compression});
        b.shorts(262, {1});
        b.longs(273, {strip});
        b.longs(279, {4});
        b.entry(347, 7, c.outside ? 4000 : (uint32_t)tables.size(), at);
        const std::vector<uint8_t> file = b.build();
        PageBitmap page{};
        ASSERT_EQ(IMG_OK, tiff_read_bytes(file, &page));
        size_t length = 0;
        const uint8_t* kept = tiff_jpeg_tables(&page, &length);
        EXPECT_EQ(kept != nullptr, c.kept) << "compression " << c.compression << (c.outside ? " outside" : "");
        if (kept) EXPECT_EQ(std::vector<uint8_t>(kept, kept + length), tables);
        release_page(&page);
    }
}

// Recipes: the tables tag moved past the end of the file, or renamed to a tag nobody
// reads; the strip lists cut to 3 of 8 strips; the page made wider than its strips;
// one strip's byte count cut to a third.
TEST(JpegTiff, DamagedFilesGiveTheirCodes) {
    TempDir dir;
    const fs::path good = dir / "good.tif", bad = dir / "bad.tif";
    ASSERT_TRUE(write_jpeg_tiff(good, {64, 128, 3, 16}));
    const JpegBytes bytes = read_bytes(good);
    const size_t tables = entry_of(bytes, 347), offsets = entry_of(bytes, 273), counts = entry_of(bytes, 279),
                 width = entry_of(bytes, 256);
    ASSERT_TRUE(tables && offsets && counts && width);
    struct Case {
        const char* what;
        void (*patch)(JpegBytes&, size_t tables, size_t offsets, size_t counts, size_t width);
        int flags, expected;
    };
    const Case cases[] = {
        {"tables outside the file", [](JpegBytes& b, size_t t, size_t, size_t, size_t) { put32(b, t + 8, (uint32_t)b.size() - 8); }, 0,
         ERR_BAD_HEADER},
        {"strips without tables", [](JpegBytes& b, size_t t, size_t, size_t, size_t) { b[t] = 0xE8, b[t + 1] = 0xFD; }, 0, ERR_BAD_HEADER},
        {"three strips for eight", [](JpegBytes& b, size_t, size_t o, size_t c, size_t) { put32(b, o + 4, 3), put32(b, c + 4, 3); }, 0,
         ERR_DECOMPRESS},
        {"three strips, damage accepted",
         [](JpegBytes& b, size_t, size_t o, size_t c, size_t) { put32(b, o + 4, 3), put32(b, c + 4, 3); }, JPEG_ACCEPT_DAMAGED, IMG_OK},
        {"page wider than its strips", [](JpegBytes& b, size_t, size_t, size_t, size_t w) { b[w + 8] = 80; }, 0, ERR_BAD_HEADER},
    };
    for (const Case& c : cases) {
        JpegBytes damaged = bytes;
        c.patch(damaged, tables, offsets, counts, width);
        write_bytes(bad, damaged);
        PageBitmap out{};
        EXPECT_EQ(c.expected, decode_tiff(bad, c.flags, &out)) << c.what;
        if (c.expected == IMG_OK) {
            // Rows of the three strips decoded; the rest stays black.
            PageBitmap whole{};
            ASSERT_EQ(IMG_OK, decode_tiff(good, 0, &whole));
            const size_t kept = (size_t)out.pitch * 48;
            EXPECT_EQ(0, std::memcmp(out.data, whole.data, kept)) << c.what;
            bool black = true;
            for (size_t i = kept; i < (size_t)out.pitch * out.height; ++i) black = black && out.data[i] == 0;
            EXPECT_TRUE(black) << c.what;
            release_page(&whole);
        }
        release_page(&out);
    }
}

// A strip cut short loses its lower rows (-4); the strips after it still decode when
// damage is accepted.
TEST(JpegTiff, CutStripKeepsTheOtherStrips) {
    TempDir dir;
    const fs::path good = dir / "good.tif", bad = dir / "bad.tif";
    ASSERT_TRUE(write_jpeg_tiff(good, {64, 64, 3, 16}));
    JpegBytes bytes = read_bytes(good);
    const size_t counts = entry_of(bytes, 279);
    ASSERT_NE(counts, 0u);
    // libtiff stores the byte counts as SHORT when they fit.
    const size_t list = bytes[counts + 8] | bytes[counts + 9] << 8 | bytes[counts + 10] << 16;
    const size_t second = list + (bytes[counts + 2] == 3 ? 2 : 4);
    const int length = bytes[second] | bytes[second + 1] << 8;
    bytes[second] = (unsigned char)(length / 3), bytes[second + 1] = (unsigned char)((length / 3) >> 8);
    write_bytes(bad, bytes);
    PageBitmap out{}, whole{};
    EXPECT_EQ(ERR_DECOMPRESS, decode_tiff(bad, 0, &out));
    ASSERT_EQ(IMG_OK, decode_tiff(bad, JPEG_ACCEPT_DAMAGED, &out));
    ASSERT_EQ(IMG_OK, decode_tiff(good, 0, &whole));
    const size_t strip = (size_t)whole.pitch * 16;
    EXPECT_EQ(0, std::memcmp(out.data, whole.data, strip));
    EXPECT_EQ(0, std::memcmp(out.data + 2 * strip, whole.data + 2 * strip, 2 * strip));
    release_page(&out);
    release_page(&whole);
}

}  // namespace
