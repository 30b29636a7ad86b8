// Fax encoders (modified Huffman, T.4 one-dimensional, T.6) and PCL raster output:
// pages encoded through convert_page come back pixel for pixel through our decoders
// and through libtiff (tiffcp -c none of the TIFF file we write), in both bit orders;
// the code sequences of hand-picked rows are checked bit for bit against T.4 and T.6;
// a PCL page is parsed back command by command.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "codecs/fax.h"
#include "codecs/fax_tables.h"
#include "fax_test_util.h"
#include "formats/tiff/tiff.h"
#include "test_support.h"

using namespace faxtest;

namespace {
using Decoder = int (*)(const PageBitmap*, PageBitmap*, int);

// Encodes `runs` into compression `code` through convert_page.
PageBitmap encode(const PageBitmap& runs, int code) {
    PageBitmap out{};
    out.compression = (int8_t)code;
    EXPECT_EQ(convert_page(&runs, &out, 0), 0) << "code " << code;
    return out;
}

// A picture with the runs the codes find hardest: long runs that need the extended
// make-up codes, a full black row, one-pixel stripes, and a row that starts black.
Bilevel long_runs_page() {
    const int w = 6000;
    Bilevel b{w, 6, std::vector<uint8_t>((size_t)w * 6, 0)};
    auto black = [&](int y, int from, int to) {
        for (int x = from; x < to; ++x) b.px[(size_t)y * w + x] = 1;
    };
    black(0, 2600, 2700);
    black(1, 0, w);
    for (int x = 0; x < w; x += 2) black(2, x, x + 1);
    black(3, 0, 5200);
    black(4, 5119, 5120);
    return b;
}

// Bytes of `page` (data from data_offset) with every byte's bits reversed.
std::vector<uint8_t> reversed_bytes(const PageBitmap& page) {
    std::vector<uint8_t> v(page.data + page.data_offset, page.data + page.data_offset + page.data_length);
    for (uint8_t& b : v) b = kBitReverse[b];
    return v;
}

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

// Our file through `tiffcp -c none`, read back by libtiff.
bool libtiff_reading(const PageBitmap& encoded, const TempDir& tmp, Bilevel* pixels) {
    const fs::path ours = tmp / "ours.tif", plain = tmp / "plain.tif";
    if (tiff_save_page(ours.c_str(), &encoded) != 0) return false;
    if (run_command("tiffcp -c none " + q(ours) + " " + q(plain) + " 2>&1") != 0) return false;
    TiffPage ref;
    if (!read_tiff_page(plain.string(), ref)) return false;
    *pixels = bilevel_of_tiff(ref);
    return true;
}

}  // namespace

TEST(FaxEncode, PagesComeBackThroughOurDecodersAndLibtiffInBothBitOrders) {
    SKIP_WITHOUT_PROGRAM("tiffcp");
    // libtiff reports asking an uncompressed file for its predictor as an error.
    TIFFSetWarningHandler(nullptr);
    const TIFFErrorHandler errors = TIFFSetErrorHandler(nullptr);
    const Bilevel pages[] = {text_page(1728, 300), noise_page(203, 41), long_runs_page(), noise_page(1, 9, 5),
                             text_page(97, 70, 11)};
    const struct {
        int code;
        Decoder decode;
    } codings[] = {{COMP_HUFFMAN, fax_decode_huffman}, {COMP_G3_1D, fax_decode_g3_1d}, {COMP_G4, fax_decode_g4}};
    TempDir tmp;
    for (const Bilevel& picture : pages) {
        PageBitmap runs = runs_page_of(picture);
        for (const auto& c : codings) {
            PageBitmap encoded = encode(runs, c.code);
            for (int fill_order = 0; fill_order <= 1; ++fill_order) {
                const std::string where = std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                                          " code " + std::to_string(c.code) + " fill order " + std::to_string(fill_order);
                std::vector<uint8_t> lsb_first;
                PageBitmap stored = encoded;
                if (fill_order == 1) {
                    lsb_first = reversed_bytes(encoded);
                    stored.data = lsb_first.data();
                    stored.ownership = OWN_BORROWED;
                    stored.fill_order = 1;
                }
                PageBitmap back = stored;
                ASSERT_EQ(c.decode(&stored, &back, 0), 0) << where;
                EXPECT_TRUE(bilevel_of_runs(back).px == picture.px) << where << ": our decoder";
                release_page(&back);
                Bilevel theirs;
                ASSERT_TRUE(libtiff_reading(stored, tmp, &theirs)) << where;
                EXPECT_TRUE(theirs.px == picture.px) << where << ": libtiff";
            }
            release_page(&encoded);
        }
        release_page(&runs);
    }
    TIFFSetErrorHandler(errors);
}

// The bits of a page given as rows of run lengths (white first), MSB first as '0'/'1'.
std::string encoded_bits(int width, const std::vector<std::vector<int>>& rows, int code) {
    Bilevel b{width, (int)rows.size(), {}};
    for (const auto& r : rows) {
        int colour = 0;
        for (int run : r) {
            b.px.insert(b.px.end(), (size_t)run, (uint8_t)colour);
            colour ^= 1;
        }
    }
    PageBitmap runs = runs_page_of(b);
    PageBitmap out = encode(runs, code);
    std::string bits;
    for (int32_t i = 0; i < out.data_length; ++i)
        for (int k = 7; k >= 0; --k) bits += (out.data[i] >> k) & 1 ? '1' : '0';
    release_page(&out);
    release_page(&runs);
    return bits;
}

TEST(FaxEncode, CodeSequencesFollowT4AndT6) {
    const std::string eol = "000000000001";
    const std::string rtc = eol + eol + eol + eol + eol + eol;
    const struct {
        const char* what;
        int width;
        std::vector<std::vector<int>> rows;
        int code;
        std::string bits;  // without the zero bits that fill the last byte
    } cases[] = {
        // EOL, white make-up 1728, white terminating 0.
        {"all-white fax row", 1728, {{1728}}, COMP_G3_1D, eol + "010011011" + "00110101" + rtc},
        // Extended make-up 2560 and white 40; black make-up 64 and black 36.
        {"run of 2600", 2700, {{2600, 100}}, COMP_HUFFMAN, "000000011111" "00101001" "0000001111" "000011010100"},
        // White 3, black 7 (9 bits); the second row starts at the next byte.
        {"byte-aligned rows", 10, {{3, 7}, {0, 10}}, COMP_HUFFMAN,
         "1000" "00011" "0000000" "00110101" "0000100"},
        // The same rows in code 1: each EOL straight after the row before, no fill.
        {"rows without fill", 10, {{3, 7}, {0, 10}}, COMP_G3_1D,
         eol + "1000" "00011" + eol + "00110101" "0000100" + rtc},
        // Row 1: b1 is the page edge, so horizontal mode (white 3, black 7); row 2:
        // a1 = 0 is 3 left of b1 = 3 (VL3), then a1 = 10 is b1 (V0); EOFB.
        {"T.6 modes", 10, {{3, 7}, {0, 10}}, COMP_G4, "001" "1000" "00011" "0000010" "1" + eol + eol},
        // Row 1: horizontal mode (white 2, black 3), then V0 at the edge; row 2, all
        // white under that black run: pass mode past it, then V0 at the edge.
        {"T.6 pass mode", 12, {{2, 3, 7}, {12}}, COMP_G4, "001" "0111" "10" "1" "0001" "1" + eol + eol},
    };
    for (const auto& c : cases) {
        const std::string bits = encoded_bits(c.width, c.rows, c.code);
        std::string padded = c.bits;
        while (padded.size() % 8) padded += '0';
        EXPECT_EQ(bits, padded) << c.what;
    }
}

TEST(FaxEncode, RefusesPagesThatAreNotBilevelRuns) {
    PageBitmap grey{};
    grey.width = grey.height = 4;
    grey.bits_per_pixel = 8;
    grey.compression = COMP_NONE;
    for (int code : {COMP_G3_1D, COMP_HUFFMAN, COMP_G4, COMP_PCL}) {
        PageBitmap out{};
        out.compression = (int8_t)code;
        EXPECT_EQ(convert_page(&grey, &out, 0), ERR_PARAMETER) << code;
    }
    // A run-length page whose row table points outside its data.
    PageBitmap runs = runs_page_of(noise_page(20, 3));
    uint8_t** table = reinterpret_cast<uint8_t**>(runs.data);
    table[1] = runs.data + runs.data_length + 100;
    for (auto encode_fn : {fax_encode_g3_1d, fax_encode_huffman, fax_encode_g4}) {
        PageBitmap out = runs;
        EXPECT_EQ(encode_fn(&runs, &out, 0), ERR_PARAMETER);
    }
    release_page(&runs);
}

// ---- PCL raster -------------------------------------------------------------------------

namespace {
// PackBits unpacking, written here from the format's definition.
std::vector<uint8_t> unpack(const uint8_t* p, size_t n) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < n;) {
        const int h = (int8_t)p[i++];
        if (h >= 0) {
            out.insert(out.end(), p + i, p + std::min(n, i + h + 1));
            i += (size_t)h + 1;
        } else if (h != -128 && i < n) {
            out.insert(out.end(), (size_t)(1 - h), p[i++]);
        }
    }
    return out;
}
}  // namespace

TEST(PclRaster, SmallPageParsesBackRowByRow) {
    Bilevel picture = text_page(61, 24, 5);
    for (int x = 0; x < 61; ++x) picture.px[(size_t)5 * 61 + x] = 0;  // an all-white row
    PageBitmap runs = runs_page_of(picture);
    PageBitmap pcl = encode(runs, COMP_PCL);
    ASSERT_EQ(pcl.compression, COMP_PCL);
    const std::string s(reinterpret_cast<const char*>(pcl.data), (size_t)pcl.data_length);
    ASSERT_EQ(s.substr(0, 10), "\x1b*b2M\x1b*r0A");
    size_t at = 10;
    for (int y = 0; y < picture.height; ++y) {
        ASSERT_EQ(s.compare(at, 3, "\x1b*b"), 0) << "row " << y;
        const size_t w = s.find('W', at);
        ASSERT_NE(w, std::string::npos);
        const size_t n = std::stoul(s.substr(at + 3, w - at - 3));
        ASSERT_LE(w + 1 + n, s.size());
        const std::vector<uint8_t> row = unpack(pcl.data + w + 1, n);
        ASSERT_EQ(row.size(), 8u) << "row " << y;
        for (int x = 0; x < 61; ++x)
            EXPECT_EQ((row[(size_t)x / 8] >> (7 - x % 8)) & 1, picture.at(x, y)) << "row " << y << " x " << x;
        EXPECT_EQ(row[7] & 7, 0) << "bits past the width are clear";
        at = w + 1 + n;
    }
    EXPECT_EQ(s.substr(at), "\x1b*rB");  // directly after the last row's data
    release_page(&pcl);
    release_page(&runs);

    // An all-white fax row: 216 zero bytes in two repeat runs of 128 and 88.
    PageBitmap white = runs_page_of(Bilevel{1728, 1, std::vector<uint8_t>(1728, 0)});
    PageBitmap one = encode(white, COMP_PCL);
    const std::string expected = std::string("\x1b*b2M\x1b*r0A\x1b*b4W\x81", 16) + '\0' + "\xA9" + '\0' + "\x1b*rB";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(one.data), (size_t)one.data_length), expected);
    release_page(&one);
    release_page(&white);
}
