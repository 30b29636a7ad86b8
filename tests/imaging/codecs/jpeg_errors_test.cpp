// JPEG decoder: what it refuses and how it treats damaged or unusual streams —
// 12-bit, arithmetic, CMYK, lossless and hierarchical frames, tables with no room in
// the state, truncated data with and without acceptance, a stray leading byte,
// wrong restart numbers, odd sizes, and markers beyond the first 64 KB.
#include <gtest/gtest.h>

#include "jpeg_test_util.h"

namespace {

// A small 4:2:0 picture made by cjpeg (17 x 9 unless told).
JpegBytes make_jpeg(const TempDir& dir, const std::string& args, int w = 17, int h = 9) {
    write_test_ppm(dir / "in.ppm", w, h);
    const fs::path out = dir / "t.jpg";
    if (run_command("cjpeg " + args + " -outfile '" + out.string() + "' '" + (dir / "in.ppm").string() + "'") != 0)
        return {};
    return read_bytes(out);
}

// Position of the first marker `code` (FF code).
size_t find_marker(const JpegBytes& b, int code) {
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == code) return i;
    return std::string::npos;
}

int decode_status(const JpegBytes& b, int flags = 0) {
    PageBitmap out{};
    const int rc = decode_bytes(b, flags, &out);
    if (rc == IMG_OK) release_page(&out);
    return rc;
}

class JpegErrors : public ::testing::Test {
protected:
    void SetUp() override {
        if (!have_program("cjpeg") || !have_program("djpeg")) GTEST_SKIP() << "cjpeg/djpeg not installed";
        base = make_jpeg(dir, "-sample 2x2");
        ASSERT_FALSE(base.empty());
    }
    TempDir dir;
    JpegBytes base;
};

TEST_F(JpegErrors, RefusedFramesGiveTheirCodes) {
    JpegBytes precision12 = base;
    precision12[find_marker(precision12, 0xC0) + 4] = 12;
    EXPECT_EQ(ERR_BAD_HEADER, decode_status(precision12));
    const JpegBytes arithmetic = make_jpeg(dir, "-arithmetic");
    ASSERT_FALSE(arithmetic.empty());
    EXPECT_EQ(ERR_UNSUPPORTED, decode_status(arithmetic));
    // SOF1 (extended, 8-bit), SOF3 (lossless) and SOF5 (hierarchical) in place of SOF0.
    for (int code : {0xC1, 0xC3, 0xC5}) {
        JpegBytes other = base;
        other[find_marker(other, 0xC0) + 1] = (unsigned char)code;
        EXPECT_EQ(ERR_UNSUPPORTED, decode_status(other)) << std::hex << code;
    }
    // Two components (the frame length still matches the count).
    JpegBytes two = base;
    const size_t sof = find_marker(two, 0xC0);
    two[sof + 3] = 8 + 3 * 2;
    two[sof + 9] = 2;
    EXPECT_EQ(ERR_UNSUPPORTED, decode_status(two));
    // A frame length that disagrees with the component count.
    JpegBytes length = base;
    length[find_marker(length, 0xC0) + 3] += 1;
    EXPECT_EQ(ERR_BAD_HEADER, decode_status(length));
    EXPECT_EQ(ERR_BAD_HEADER, decode_status(JpegBytes{0x00, 0x01, 0xFF, 0xD8, 0xFF, 0xD9}));
}

TEST_F(JpegErrors, CorpusRefusals) {
    const struct {
        const char* file;
        int code;
    } cases[] = {{"jpeg/twelve_bit.jpg", ERR_BAD_HEADER}, {"jpeg/arithmetic.jpg", ERR_UNSUPPORTED},
                 {"jpeg/cmyk.jpg", ERR_UNSUPPORTED}};
    for (const auto& c : cases) {
        const fs::path p = corpus_file(c.file);
        if (p.empty()) continue;
        EXPECT_EQ(c.code, decode_status(read_bytes(p))) << c.file;
    }
}

TEST_F(JpegErrors, TablesWithoutRoomAreRefused) {
    JpegBytes dht = base;
    dht[find_marker(dht, 0xC4) + 4] = 0x14;  // AC table 4
    EXPECT_EQ(ERR_BAD_HEADER, decode_status(dht));
    JpegBytes dqt = base;
    dqt[find_marker(dqt, 0xDB) + 4] = 0x04;  // quantisation table 4
    EXPECT_EQ(ERR_BAD_HEADER, decode_status(dqt));
    // A DC table with a 13-bit code: one code of each length 1..12 would leave room,
    // the counts are moved so that the last code is 13 bits long.
    JpegBytes longdc = base;
    const size_t at = find_marker(longdc, 0xC4) + 5;  // counts of the first (DC) table
    int total = 0;
    for (int i = 0; i < 16; ++i) total += longdc[at + i];
    for (int i = 0; i < 16; ++i) longdc[at + i] = 0;
    longdc[at + 12] = (unsigned char)total;  // all codes 13 bits long
    EXPECT_EQ(ERR_BAD_HEADER, decode_status(longdc));
}

TEST_F(JpegErrors, TruncatedDataIsDamageOrAPartialPicture) {
    const JpegBytes big = make_jpeg(dir, "-sample 2x2", 64, 96);
    const size_t sos = find_marker(big, 0xDA);
    JpegBytes cut(big.begin(), big.begin() + (long)(sos + (big.size() - sos) / 2));
    PageBitmap part{}, whole{};
    ASSERT_EQ(IMG_OK, decode_bytes(cut, JPEG_ACCEPT_DAMAGED, &part));
    ASSERT_EQ(IMG_OK, decode_bytes(big, 0, &whole));
    // The top MCU row is as in the whole picture; the last row is black.
    EXPECT_EQ(0, std::memcmp(part.data, whole.data, (size_t)part.pitch * 16));
    const unsigned char* last = part.data + (size_t)part.pitch * (part.height - 1);
    EXPECT_EQ(JpegBytes(3 * part.width, 0), JpegBytes(last, last + 3 * part.width));
    release_page(&part);
    release_page(&whole);
}

TEST_F(JpegErrors, StrayLeadingByteAndWrongRestartNumbers) {
    PageBitmap plain{}, shifted{};
    JpegBytes junk = base;
    junk.insert(junk.begin(), 0x00);
    ASSERT_EQ(IMG_OK, decode_bytes(base, 0, &plain));
    ASSERT_EQ(IMG_OK, decode_bytes(junk, 0, &shifted));
    EXPECT_EQ(0, std::memcmp(plain.data, shifted.data, (size_t)plain.pitch * plain.height));
    release_page(&shifted);
    release_page(&plain);

    JpegBytes restarts = make_jpeg(dir, "-sample 2x1 -restart 1B", 64, 32);
    ASSERT_FALSE(restarts.empty());
    JpegBytes renumbered = restarts;
    int changed = 0;
    for (size_t i = find_marker(renumbered, 0xDA); i + 1 < renumbered.size(); ++i)
        if (renumbered[i] == 0xFF && renumbered[i + 1] >= 0xD0 && renumbered[i + 1] <= 0xD7)
            renumbered[i + 1] = 0xD0, ++changed;
    ASSERT_GT(changed, 4);
    PageBitmap a{}, b{};
    ASSERT_EQ(IMG_OK, decode_bytes(restarts, 0, &a));
    ASSERT_EQ(IMG_OK, decode_bytes(renumbered, 0, &b));
    EXPECT_EQ(0, std::memcmp(a.data, b.data, (size_t)a.pitch * a.height));
    EXPECT_GE(psnr(to_picture(a), djpeg(dir / "t.jpg", dir / "r.pnm")), 30.0);
    release_page(&a);
    release_page(&b);
}

TEST_F(JpegErrors, OddWidthGivesExactSizes) {
    PageBitmap full{}, half{}, eighth{};
    ASSERT_EQ(IMG_OK, decode_bytes(base, 0, &full));
    ASSERT_EQ(IMG_OK, decode_bytes(base, JPEG_HALF, &half));
    ASSERT_EQ(IMG_OK, decode_bytes(base, JPEG_EIGHTH | JPEG_RGB565, &eighth));
    EXPECT_EQ(17, full.width);
    EXPECT_EQ(9, full.height);
    EXPECT_EQ(9, half.width);
    EXPECT_EQ(5, half.height);
    EXPECT_EQ(3, eighth.width);
    EXPECT_EQ(2, eighth.height);
    EXPECT_EQ(16, eighth.bits_per_pixel);
    EXPECT_EQ(row_bytes_aligned(17, 24), full.pitch);
    EXPECT_EQ(LAYOUT_TOP_DOWN, full.layout);
    for (PageBitmap* p : {&full, &half, &eighth}) release_page(p);
}

TEST_F(JpegErrors, MarkersBeyondTheFirst64KBAreRefused) {
    // Two 40 KB application segments push SOF past the marker scanner's reach.
    JpegBytes padded(base.begin(), base.begin() + 2);
    for (int i = 0; i < 2; ++i) {
        padded.insert(padded.end(), {0xFF, 0xE5, 0xA0, 0x00});
        padded.insert(padded.end(), 0xA000 - 2, 0x20);
    }
    padded.insert(padded.end(), base.begin() + 2, base.end());
    const int rc = decode_status(padded);
    EXPECT_TRUE(rc == ERR_UNSUPPORTED || rc == ERR_BAD_HEADER) << rc;
}

TEST_F(JpegErrors, ProgressiveEighthDecodesOnlyTheFirstScan) {
    const JpegBytes prog = make_jpeg(dir, "-progressive", 80, 48);
    PageBitmap eighth{}, thumb{};
    ASSERT_EQ(IMG_OK, decode_bytes(prog, JPEG_EIGHTH, &eighth));
    ASSERT_EQ(IMG_OK, decode_bytes(prog, JPEG_THUMBNAIL, &thumb));
    ASSERT_EQ(10, eighth.width);
    EXPECT_EQ(0, std::memcmp(eighth.data, thumb.data, (size_t)eighth.pitch * eighth.height));
    // Cutting everything after the first scan leaves the one-eighth picture unchanged.
    JpegBytes cut = prog;
    size_t second = find_marker(prog, 0xDA);
    second = find_marker(JpegBytes(prog.begin() + (long)second + 2, prog.end()), 0xDA) + second + 2;
    cut.resize(second);
    PageBitmap first{};
    ASSERT_EQ(IMG_OK, decode_bytes(cut, JPEG_EIGHTH, &first));
    EXPECT_EQ(0, std::memcmp(eighth.data, first.data, (size_t)eighth.pitch * eighth.height));
    for (PageBitmap* p : {&eighth, &thumb, &first}) release_page(p);
}

}  // namespace
