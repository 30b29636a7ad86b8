// Fax decoders (modified Huffman, T.4 1-D and 2-D, T.6, IBM MMR) against libtiff on
// pages written and read back through libtiff and on the sample corpus, plus
// hand-built streams for what libtiff does not write (short rows, uncompressed mode,
// MMR) and the damaged-data rules.
#include <gtest/gtest.h>

#include "codecs/fax.h"
#include "codecs/fax_tables.h"
#include "fax_test_util.h"
#include "test_support.h"

using namespace faxtest;

namespace {
using Decoder = int (*)(const PageBitmap*, PageBitmap*, int);

// A fax page written by libtiff with `o`, and our decoding of its raw strips.
struct Decoded {
    TiffPage ref;
    PageBitmap out{};
    int rc = 1;
    ~Decoded() { release_page(&out); }
};

void decode_file(const std::string& path, int code, Decoder decode, Decoded& d, int directory = 0) {
    ASSERT_TRUE(read_tiff_page(path, d.ref, directory)) << path;
    PageBitmap src = source_page(d.ref, code);
    d.out = src;
    d.rc = decode(&src, &d.out, 0);
}

void expect_same_as_libtiff(const std::string& path, int code, Decoder decode, int directory = 0) {
    Decoded d;
    decode_file(path, code, decode, d, directory);
    ASSERT_EQ(d.rc, 0) << path;
    EXPECT_EQ(d.out.compression, COMP_RUNS);
    int first = -1;
    EXPECT_EQ(differing_rows(d.out, d.ref, &first), 0) << path << " first differing row " << first;
}

// Bit writer for hand-built streams, most significant bit first.
struct Bits {
    std::vector<uint8_t> bytes;
    int n = 0;
    void put(uint32_t code, int len) {
        for (int i = len - 1; i >= 0; --i) {
            if (n % 8 == 0) bytes.push_back(0);
            if ((code >> i) & 1) bytes.back() |= (uint8_t)(0x80 >> (n % 8));
            ++n;
        }
    }
    void put(const char* s) {
        for (; *s; ++s) put(*s == '1', 1);
    }
    void eol() { put(1, 12); }
    void run(int r, bool black) {
        const FaxRunCode* codes = black ? kFaxBlackCodes : kFaxWhiteCodes;
        while (r >= 2560) {
            put(kFaxExtendedCodes[12].bits, kFaxExtendedCodes[12].length);
            r -= 2560;
        }
        if (r >= 1792) {
            const FaxRunCode& c = kFaxExtendedCodes[(r - 1792) / 64];
            put(c.bits, c.length);
            r %= 64;
        } else if (r >= 64) {
            const FaxRunCode& c = codes[63 + r / 64];
            put(c.bits, c.length);
            r %= 64;
        }
        put(codes[r].bits, codes[r].length);
    }
};

PageBitmap stream_page(const std::vector<uint8_t>& data, int width, int height, int code) {
    PageBitmap p{};
    p.width = width;
    p.height = height;
    p.bits_per_pixel = 1;
    p.compression = (int8_t)code;
    p.data = const_cast<uint8_t*>(data.data());
    p.data_length = (int32_t)data.size();
    p.ownership = OWN_BORROWED;
    p.rows_per_strip = height;
    return p;
}

std::vector<uint8_t> row_of(const PageBitmap& p, int y) { return run_row_pixels(p, y); }
std::vector<uint8_t> pixels(int width, std::initializer_list<std::pair<int, int>> black) {
    std::vector<uint8_t> v((size_t)width, 0);
    for (auto [from, count] : black)
        for (int i = 0; i < count; ++i) v[(size_t)(from + i)] = 1;
    return v;
}
}  // namespace

TEST(FaxTables, EveryRunCodeDecodesToItsOwnRunAndLength) {
    auto check = [](const FaxRunCode& c, bool black) {
        const uint32_t window = (uint32_t)c.bits << (32 - c.length);
        const uint16_t e = black ? fax_black_lookup(window) : fax_white_lookup(window);
        EXPECT_EQ(fax_entry_run(e), c.run) << (black ? "black " : "white ") << c.run;
        EXPECT_EQ(fax_entry_length(e), c.length) << (black ? "black " : "white ") << c.run;
    };
    for (const FaxRunCode& c : kFaxWhiteCodes) check(c, false);
    for (const FaxRunCode& c : kFaxBlackCodes) check(c, true);
    for (const FaxRunCode& c : kFaxExtendedCodes) {
        check(c, false);
        check(c, true);
    }
    EXPECT_EQ(fax_entry_run(fax_white_lookup(1u << 20)), FAX_EOL);
    EXPECT_EQ(fax_entry_run(fax_black_lookup(1u << 20)), FAX_EOL);
    EXPECT_EQ(fax_entry_run(fax_white_lookup(0)), FAX_BAD);
    EXPECT_EQ(fax_entry_run(fax_black_lookup(0)), FAX_BAD);
}

TEST(FaxTables, ModeCodesAndBitReversal) {
    EXPECT_EQ(kFaxModes[0x40].mode, MODE_V0);
    EXPECT_EQ(kFaxModes[0b0110000].mode, MODE_VR1);
    EXPECT_EQ(kFaxModes[0b0100000].mode, MODE_VL1);
    EXPECT_EQ(kFaxModes[0b0010000].mode, MODE_HORIZONTAL);
    EXPECT_EQ(kFaxModes[0b0001000].mode, MODE_PASS);
    EXPECT_EQ(kFaxModes[0b0000110].mode, MODE_VR2);
    EXPECT_EQ(kFaxModes[0b0000100].mode, MODE_VL2);
    EXPECT_EQ(kFaxModes[0b0000011].mode, MODE_VR3);
    EXPECT_EQ(kFaxModes[0b0000010].mode, MODE_VL3);
    EXPECT_EQ(kFaxModes[0b0000001].mode, MODE_EXTENSION);
    EXPECT_EQ(kFaxModes[0].mode, MODE_ZEROS);
    EXPECT_EQ(kBitReverse[0x01], 0x80);
    EXPECT_EQ(kBitReverse[0x36], 0x6C);
}

// Every coding, both bit orders, one strip and several, on a text-like fax page and
// on noise (many short runs), compared with the pixels libtiff wrote.
TEST(FaxDecode, MatchesLibtiffForEveryCodingBitOrderAndStripLayout) {
    struct Coding {
        const char* name;
        int tiff;
        uint32_t t4;
        int code;
        Decoder decode;
    } codings[] = {
        {"huffman", COMPRESSION_CCITTRLE, 0, COMP_HUFFMAN, fax_decode_huffman},
        {"g3-1d", COMPRESSION_CCITTFAX3, 0, COMP_G3_1D, fax_decode_g3_1d},
        {"g3-1d-fill", COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS, COMP_G3_1D, fax_decode_g3_1d},
        {"g3-2d", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, COMP_G3_2D, fax_decode_g3_2d},
        {"g3-2d-fill", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS, COMP_G3_2D,
         fax_decode_g3_2d},
        {"g4", COMPRESSION_CCITTFAX4, 0, COMP_G4, fax_decode_g4},
    };
    TempDir dir;
    const Bilevel pages[] = {text_page(1728, 260), noise_page(203, 41)};
    for (const Coding& c : codings)
        for (int fill : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB})
            for (int strip_rows : {0, 64, 7})
                for (const Bilevel& page : pages) {
                    SCOPED_TRACE(std::string(c.name) + " fill " + std::to_string(fill) + " strip " +
                                 std::to_string(strip_rows) + " width " + std::to_string(page.width));
                    TiffOptions o;
                    o.compression = c.tiff;
                    o.t4options = c.t4;
                    o.fill_order = fill;
                    o.rows_per_strip = strip_rows;
                    const std::string path = (dir / "page.tif").string();
                    ASSERT_TRUE(write_bilevel_tiff(path, page, o));
                    expect_same_as_libtiff(path, c.code, c.decode);
                }
}

TEST(FaxDecode, CorpusFaxTiffsMatchLibtiff) {
    struct Sample {
        const char* file;
        int code;
        Decoder decode;
        int directories;
    } samples[] = {
        {"tiff/g3test.tif", COMP_G3_1D, fax_decode_g3_1d, 1},
        {"tiff/G31DS.tif", COMP_G3_1D, fax_decode_g3_1d, 1},
        {"tiff/g3_1d_nofill.tiff", COMP_G3_1D, fax_decode_g3_1d, 1},
        {"tiff/g3_2d_fill.tiff", COMP_G3_2D, fax_decode_g3_2d, 1},
        {"tiff/g4_t6.tiff", COMP_G4, fax_decode_g4, 1},
        {"tiff/hopper_g4.tif", COMP_G4, fax_decode_g4, 1},
        {"tiff/g4_multipage.tiff", COMP_G4, fax_decode_g4, 3},
    };
    int tested = 0;
    for (const Sample& s : samples) {
        const fs::path path = corpus_file(s.file);
        if (path.empty()) continue;
        for (int d = 0; d < s.directories; ++d) {
            SCOPED_TRACE(std::string(s.file) + " page " + std::to_string(d));
            expect_same_as_libtiff(path.string(), s.code, s.decode, d);
        }
        ++tested;
    }
    if (!tested) GTEST_SKIP() << "no fax TIFF in the sample corpus";
}

TEST(FaxDecode, BorrowedLsbFirstDataIsReadThroughACopyAndLeftUnchanged) {
    TempDir dir;
    TiffOptions o;
    o.fill_order = FILLORDER_LSB2MSB;
    const std::string path = (dir / "lsb.tif").string();
    ASSERT_TRUE(write_bilevel_tiff(path, text_page(640, 90), o));
    Decoded d;
    decode_file(path, COMP_G4, fax_decode_g4, d);
    ASSERT_EQ(d.rc, 0);
    TiffPage again;
    ASSERT_TRUE(read_tiff_page(path, again));
    EXPECT_EQ(d.ref.data, again.data) << "the source bytes were written to";
    EXPECT_EQ(differing_rows(d.out, d.ref), 0);
    EXPECT_EQ(d.out.fill_order, 0);
    // Decoding the same source again gives the same page.
    PageBitmap src = source_page(d.ref, COMP_G4), second = src;
    ASSERT_EQ(fax_decode_g4(&src, &second, 0), 0);
    EXPECT_EQ(differing_rows(second, d.ref), 0);
    release_page(&second);
}

TEST(FaxDecode, TruncatedTwoDimensionalDataFailsOrKeepsTheUpperPartWhenDamageIsAccepted) {
    TempDir dir;
    const Bilevel page = text_page(800, 200);
    struct Case {
        int tiff;
        uint32_t t4;
        Decoder decode;
        int code;
    } cases[] = {{COMPRESSION_CCITTFAX4, 0u, fax_decode_g4, COMP_G4},
                 {COMPRESSION_CCITTFAX3, (uint32_t)GROUP3OPT_2DENCODING, fax_decode_g3_2d, COMP_G3_2D},
                 {COMPRESSION_CCITTRLE, 0u, fax_decode_huffman, COMP_HUFFMAN}};
    for (auto [tiff, t4, decode, code] : cases) {
        SCOPED_TRACE(code);
        TiffOptions o;
        o.compression = tiff;
        o.t4options = t4;
        const std::string path = (dir / "cut.tif").string();
        ASSERT_TRUE(write_bilevel_tiff(path, page, o));
        TiffPage ref;
        ASSERT_TRUE(read_tiff_page(path, ref));
        PageBitmap src = source_page(ref, code);
        src.data_length /= 2;
        PageBitmap out = src;
        EXPECT_EQ(decode(&src, &out, 0), ERR_DECOMPRESS);
        EXPECT_EQ(out.data, src.data) << "no output is left on failure";

        ASSERT_EQ(decode(&src, &out, JPEG_ACCEPT_DAMAGED), 0);
        int good = 0;
        while (good < page.height && run_row_pixels(out, good) == packed_row_pixels(ref, good)) ++good;
        EXPECT_GT(good, page.height / 4);
        EXPECT_LT(good, page.height);
        const std::vector<uint8_t> white((size_t)page.width, 0);
        for (int y = good + 1; y < page.height; ++y) ASSERT_EQ(run_row_pixels(out, y), white) << y;
        release_page(&out);
    }
}

TEST(FaxDecode, OneDimensionalRowCutShortByAnEolKeepsItsRunsAndDecodingContinues) {
    Bits b;
    b.eol();  // row 0: 10 white, 5 black, then an EOL inside the row
    b.run(10, false);
    b.run(5, true);
    b.eol();  // row 1: complete, 3 white, 97 black
    b.run(3, false);
    b.run(97, true);
    b.eol();  // row 2: a run passing the width is cut at the width
    b.run(60, false);
    b.run(50, true);
    PageBitmap src = stream_page(b.bytes, 100, 3, COMP_G3_1D), out = src;
    ASSERT_EQ(fax_decode_g3_1d(&src, &out, 0), 0);
    EXPECT_EQ(row_of(out, 0), pixels(100, {{10, 5}}));
    EXPECT_EQ(row_of(out, 1), pixels(100, {{3, 97}}));
    EXPECT_EQ(row_of(out, 2), pixels(100, {{60, 40}}));
    release_page(&out);
}

TEST(FaxDecode, HuffmanRowsStartOnByteBoundariesAndMustAddUpExactly) {
    Bits b;  // width 13: rows end inside a byte
    b.run(4, false);
    b.run(9, true);
    while (b.n % 8) b.put(0, 1);
    b.run(13, false);
    while (b.n % 8) b.put(0, 1);
    b.run(0, false);
    b.run(2, true);
    b.run(11, false);
    PageBitmap src = stream_page(b.bytes, 13, 3, COMP_HUFFMAN), out = src;
    ASSERT_EQ(fax_decode_huffman(&src, &out, 0), 0);
    EXPECT_EQ(row_of(out, 0), pixels(13, {{4, 9}}));
    EXPECT_EQ(row_of(out, 1), pixels(13, {}));
    EXPECT_EQ(row_of(out, 2), pixels(13, {{0, 2}}));
    release_page(&out);

    Bits over;  // runs adding up to more than the width
    over.run(10, false);
    over.run(5, true);
    PageBitmap bad = stream_page(over.bytes, 13, 1, COMP_HUFFMAN), none = bad;
    EXPECT_EQ(fax_decode_huffman(&bad, &none, 0), ERR_DECOMPRESS);
}

TEST(FaxDecode, UncompressedModeCopiesLiteralPixels) {
    Bits b;
    b.eol();
    b.put(0, 1);            // tag: two-dimensional row
    b.put("0000001111");    // enter uncompressed mode at a0 = 0
    b.put("1");             // black
    b.put("01");            // white, black
    b.put("000001");        // five white
    b.put("00001");         // four white, black
    b.put("000000001");     // exit after two white ...
    b.put(1, 1);            // ... the next run is black
    b.put("001");           // horizontal mode: black 3, white to the end
    b.run(3, true);
    b.run(2, false);
    PageBitmap src = stream_page(b.bytes, 20, 1, COMP_G3_2D), out = src;
    ASSERT_EQ(fax_decode_g3_2d(&src, &out, 0), 0);
    // Pixels: B W B W W W W W W W W W B W W B B B W W
    EXPECT_EQ(row_of(out, 0), pixels(20, {{0, 1}, {2, 1}, {12, 1}, {15, 3}}));
    release_page(&out);
}

TEST(FaxDecode, TwoDimensionalPageEndsAtReturnToControlAndFailsWithoutEol) {
    Bits b;
    b.eol();
    b.put(1, 1);  // one-dimensional row: 5 white, 3 black, 8 white
    b.run(5, false);
    b.run(3, true);
    b.run(8, false);
    b.eol();
    b.put(0, 1);  // two-dimensional row: the same runs (V0, V0)
    b.put("11");
    b.put("1");   // V0 at the width ends the row
    for (int i = 0; i < 6; ++i) {
        b.eol();
        b.put(1, 1);
    }
    PageBitmap src = stream_page(b.bytes, 16, 5, COMP_G3_2D), out = src;
    ASSERT_EQ(fax_decode_g3_2d(&src, &out, 0), 0);
    EXPECT_EQ(row_of(out, 0), pixels(16, {{5, 3}}));
    EXPECT_EQ(row_of(out, 1), pixels(16, {{5, 3}}));
    EXPECT_EQ(row_of(out, 2), pixels(16, {}));
    release_page(&out);

    std::vector<uint8_t> no_eol(20, 0xAA);
    PageBitmap bad = stream_page(no_eol, 16, 2, COMP_G3_2D), none = bad;
    EXPECT_EQ(fax_decode_g3_2d(&bad, &none, 0), ERR_DECOMPRESS);
}

TEST(FaxDecode, G4PageEndsAtEofbWithTheRestWhite) {
    TempDir dir;
    const Bilevel page = text_page(300, 50);
    const std::string path = (dir / "short.tif").string();
    ASSERT_TRUE(write_bilevel_tiff(path, page, TiffOptions{}));
    TiffPage ref;
    ASSERT_TRUE(read_tiff_page(path, ref));
    PageBitmap src = source_page(ref, COMP_G4);
    src.height = 80;  // more rows than the data holds: EOFB ends the page
    PageBitmap out = src;
    ASSERT_EQ(fax_decode_g4(&src, &out, 0), 0);
    for (int y = 0; y < 50; ++y) ASSERT_EQ(run_row_pixels(out, y), packed_row_pixels(ref, y)) << y;
    for (int y = 50; y < 80; ++y) ASSERT_EQ(run_row_pixels(out, y), pixels(300, {})) << y;
    release_page(&out);
}

// IBM MMR: an EOL, one bit, a one-dimensional first row, then T.6 rows. Built from
// libtiff's T.6 coding of a page whose first row is white (coded as a single V0).
TEST(FaxDecode, IbmMmrReadsItsFirstRowOneDimensionally) {
    TempDir dir;
    Bilevel page = text_page(500, 60);
    std::fill(page.px.begin(), page.px.begin() + page.width, 0);
    const std::string path = (dir / "mmr.tif").string();
    ASSERT_TRUE(write_bilevel_tiff(path, page, TiffOptions{}));
    TiffPage ref;
    ASSERT_TRUE(read_tiff_page(path, ref));
    ASSERT_TRUE(ref.data[0] & 0x80) << "first row is not a single V0";
    Bits b;
    b.eol();
    b.put(1, 1);
    b.run(500, false);
    for (size_t bit = 1; bit < ref.data.size() * 8; ++bit) b.put((ref.data[bit / 8] >> (7 - bit % 8)) & 1, 1);
    PageBitmap src = stream_page(b.bytes, 500, 60, COMP_IBM_MMR), out = src;
    ASSERT_EQ(fax_decode_mmr(&src, &out, 0), 0);
    EXPECT_EQ(differing_rows(out, ref), 0);
    release_page(&out);
}

TEST(FaxDecode, OutputGrowsPastTheFixedEstimateForNarrowPages) {
    // One-pixel Huffman rows take one byte each but need a row pointer and four run
    // bytes: far beyond six times the data.
    Bits b;
    for (int y = 0; y < 3000; ++y) {
        b.run(y % 3 == 0 ? 0 : 1, false);
        if (y % 3 == 0) b.run(1, true);
        while (b.n % 8) b.put(0, 1);
    }
    PageBitmap src = stream_page(b.bytes, 1, 3000, COMP_HUFFMAN), out = src;
    ASSERT_EQ(fax_decode_huffman(&src, &out, 0), 0);
    for (int y = 0; y < 3000; ++y) ASSERT_EQ(row_of(out, y)[0], y % 3 == 0 ? 1 : 0) << y;
    release_page(&out);
}

TEST(FaxDecode, RefusesPagesTheRunFormCannotHold) {
    std::vector<uint8_t> data(16, 0);
    PageBitmap src = stream_page(data, 0, 10, COMP_G4), out = src;
    EXPECT_EQ(fax_decode_g4(&src, &out, 0), ERR_PARAMETER);
    src.width = 40000;
    EXPECT_EQ(fax_decode_g4(&src, &out, 0), ERR_UNSUPPORTED);
    src.width = 100;
    src.height = -3;
    EXPECT_EQ(fax_decode_g4(&src, &out, 0), ERR_PARAMETER);
}
