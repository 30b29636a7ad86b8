// Fax and LZW pages of whole files through identify_file, read_page and convert_page:
// bilevel TIFFs in every fax coding (fill order 2, several strips) and the corpus fax
// TIFFs against libtiff, LZW TIFFs and GIFs to pixels, and fax pages to uncompressed.
#include <gtest/gtest.h>

#include "fax_test_util.h"
#include "test_support.h"

using namespace faxtest;

namespace {
// An identified file, closed at the end.
struct OpenFile {
    ImageFileInfo info{};
    int rc;
    explicit OpenFile(const std::string& path) { rc = identify_file(path.c_str(), &info, 0); }
    ~OpenFile() {
        if (rc == 0) close_file_info(&info);
    }
};

// Page `index` converted to `compression`; the stored page is released.
int convert_file_page(OpenFile& f, int index, int compression, PageBitmap* out, int flags = 0) {
    PageBitmap stored{};
    int rc = read_page(&f.info, &stored, index);
    if (rc) return rc;
    *out = PageBitmap{};
    out->compression = (int8_t)compression;
    rc = convert_page(&stored, out, flags);
    release_page(&stored);
    return rc;
}

// Black pixels of a bilevel page in the run-length form, honouring its sense.
std::vector<uint8_t> page_row(const PageBitmap& page, int y) {
    std::vector<uint8_t> row = run_row_pixels(page, y);
    if (page.black_is_one)
        for (auto& b : row) b ^= 1;
    return row;
}

void expect_bilevel_file_matches(const std::string& path, int pages = 1) {
    OpenFile f(path);
    ASSERT_EQ(f.rc, 0) << path;
    ASSERT_EQ(f.info.page_count, pages);
    for (int p = 0; p < pages; ++p) {
        TiffPage ref;
        ASSERT_TRUE(read_tiff_page(path, ref, p));
        // White is zero: libtiff's set bits are black.
        const bool white_is_zero = ref.photometric == PHOTOMETRIC_MINISWHITE;
        PageBitmap page{};
        ASSERT_EQ(convert_file_page(f, p, COMP_RUNS, &page), 0) << path << " page " << p;
        ASSERT_EQ(page.height, ref.height);
        for (int y = 0; y < ref.height; ++y) {
            std::vector<uint8_t> want = packed_row_pixels(ref, y);
            if (!white_is_zero)
                for (auto& b : want) b ^= 1;
            ASSERT_EQ(page_row(page, y), want) << path << " page " << p << " row " << y;
        }
        release_page(&page);
    }
}
}  // namespace

TEST(FaxFiles, EveryFaxCodingOfATiffFileDisplaysLikeLibtiff) {
    TempDir dir;
    const Bilevel page = text_page(1000, 150);
    struct Case {
        int compression;
        uint32_t t4;
        int fill_order;
        int strip_rows;
    } cases[] = {
        {COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB, 0},
        {COMPRESSION_CCITTFAX4, 0, FILLORDER_LSB2MSB, 40},
        {COMPRESSION_CCITTFAX3, 0, FILLORDER_LSB2MSB, 0},
        {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, FILLORDER_MSB2LSB, 33},
        {COMPRESSION_CCITTRLE, 0, FILLORDER_LSB2MSB, 64},
        {COMPRESSION_LZW, 0, FILLORDER_MSB2LSB, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("compression " + std::to_string(c.compression) + " fill " + std::to_string(c.fill_order) +
                     " strip rows " + std::to_string(c.strip_rows));
        TiffOptions o;
        o.compression = c.compression;
        o.t4options = c.t4;
        o.fill_order = c.fill_order;
        o.rows_per_strip = c.strip_rows;
        const std::string path = (dir / "fax.tif").string();
        ASSERT_TRUE(write_bilevel_tiff(path, page, o));
        expect_bilevel_file_matches(path);
    }
}

TEST(FaxFiles, CorpusFaxTiffsDisplayLikeLibtiff) {
    int tested = 0;
    for (auto [name, pages] : {std::pair{"tiff/g3test.tif", 1}, {"tiff/G31DS.tif", 1}, {"tiff/g3_1d_nofill.tiff", 1},
                               {"tiff/g3_2d_fill.tiff", 1}, {"tiff/g4_t6.tiff", 1}, {"tiff/hopper_g4.tif", 1},
                               {"tiff/g4_multipage.tiff", 3}}) {
        const fs::path path = corpus_file(name);
        if (path.empty()) continue;
        SCOPED_TRACE(name);
        expect_bilevel_file_matches(path.string(), pages);
        ++tested;
    }
    if (!tested) GTEST_SKIP() << "no fax TIFF in the sample corpus";
}

TEST(FaxFiles, FaxPageConvertsToUncompressedRows) {
    TempDir dir;
    const Bilevel page = text_page(203, 60);
    const std::string path = (dir / "g4.tif").string();
    ASSERT_TRUE(write_bilevel_tiff(path, page, TiffOptions{}));
    OpenFile f(path);
    ASSERT_EQ(f.rc, 0);
    PageBitmap packed{};
    ASSERT_EQ(convert_file_page(f, 0, COMP_NONE, &packed), 0);
    ASSERT_EQ(packed.bits_per_pixel, 1);
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            const uint8_t* row = packed.data + packed.data_offset + (size_t)y * packed.pitch;
            const int white = (row[x >> 3] >> (7 - (x & 7))) & 1;  // set bits are white
            ASSERT_EQ(white, page.at(x, y) ? 0 : 1) << x << "," << y;
        }
    release_page(&packed);
}

TEST(FaxFiles, TruncatedG4FileFailsUnlessDamagedDataIsAccepted) {
    TempDir dir;
    const Bilevel page = text_page(600, 200);
    const std::string path = (dir / "cut.tif").string();
    ASSERT_TRUE(write_bilevel_tiff(path, page, TiffOptions{}));
    TiffPage ref;
    ASSERT_TRUE(read_tiff_page(path, ref));
    // Halve the strip's byte count in the directory, as a cut download would leave it.
    std::vector<uint8_t> bytes = read_bytes(path);
    const uint32_t full = (uint32_t)ref.data.size(), half = full / 2;
    bool patched = false;
    for (size_t i = 8; i + 12 <= bytes.size() && !patched; ++i)
        if (bytes[i] == 0x17 && bytes[i + 1] == 0x01 && bytes[i + 8] == (uint8_t)full && bytes[i + 9] == (uint8_t)(full >> 8)) {
            bytes[i + 8] = (uint8_t)half;
            bytes[i + 9] = (uint8_t)(half >> 8);
            bytes[i + 10] = bytes[i + 11] = 0;
            patched = true;
        }
    ASSERT_TRUE(patched) << "StripByteCounts entry not found";
    write_bytes(path, bytes);
    OpenFile f(path);
    ASSERT_EQ(f.rc, 0);
    PageBitmap out{};
    EXPECT_EQ(convert_file_page(f, 0, COMP_RUNS, &out), ERR_DECOMPRESS);
    ASSERT_EQ(convert_file_page(f, 0, COMP_RUNS, &out, JPEG_ACCEPT_DAMAGED), 0);
    EXPECT_EQ(page_row(out, 0), packed_row_pixels(ref, 0));
    EXPECT_EQ(page_row(out, page.height - 1), std::vector<uint8_t>((size_t)page.width, 0));
    release_page(&out);
}

TEST(FaxFiles, CorpusLzwTiffAndGifPagesDecode) {
    SKIP_WITHOUT_CORPUS_FILE(tiff, "tiff/hopper_lzw_pred2.tif");
    {
        TiffPage ref;
        ASSERT_TRUE(read_tiff_page(tiff.string(), ref));
        OpenFile f(tiff.string());
        ASSERT_EQ(f.rc, 0);
        PageBitmap out{};
        ASSERT_EQ(convert_file_page(f, 0, COMP_NONE, &out), 0);
        ASSERT_EQ(out.bits_per_pixel, 24);
        for (int y = 0; y < ref.height; ++y) {
            const uint8_t* row = out.data + out.data_offset + (size_t)y * out.pitch;
            const uint8_t* want = ref.decoded.data() + (size_t)y * ref.scanline;
            for (int x = 0; x < ref.width; ++x)
                ASSERT_TRUE(row[3 * x] == want[3 * x + 2] && row[3 * x + 1] == want[3 * x + 1] && row[3 * x + 2] == want[3 * x])
                    << x << "," << y;
        }
        release_page(&out);
    }
    const fs::path gif = corpus_file("gif/interlaced_87a.gif");
    if (gif.empty() || !have_program("convert")) return;
    // The interlaced two-colour GIF (an 8-bit page) against ImageMagick's grey pixels.
    std::string grey;
    ASSERT_EQ(run_command("convert '" + gif.string() + "[0]' -depth 8 gray:-", &grey), 0);
    OpenFile f(gif.string());
    ASSERT_EQ(f.rc, 0);
    PageBitmap out{};
    ASSERT_EQ(convert_file_page(f, 0, COMP_NONE, &out), 0);
    ASSERT_EQ((size_t)out.width * out.height, grey.size());
    ASSERT_TRUE(out.palette);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const uint8_t* colour = out.palette + 3 * out.data[out.data_offset + (size_t)y * out.pitch + x];
            const int ours = (colour[0] + 2 * colour[1] + colour[2]) / 4;
            ASSERT_EQ(ours < 128, (uint8_t)grey[(size_t)y * out.width + x] < 128) << x << "," << y;
        }
    release_page(&out);
}
