// The JPEG encoder: streams of grey, 16-bit and 24-bit pages at every quality and
// sampling decoded by djpeg against libjpeg's own encoding at the same tables, and
// by our decoder; the stream's markers and tables against libjpeg's standard tables;
// flat pictures of odd sizes; the fast Huffman coder against a plain bit writer; the
// vector kernels against the scalar ones bit for bit; the reciprocal quantisation
// against the division; refusals of pages it cannot encode.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <array>
#include <random>

#include "codecs/jpeg_encode.h"
#include "jpeg_test_util.h"

namespace {

using Pixels = std::vector<unsigned char>;

enum class Pattern { photo, noise, flat };

// Blue, green, red of pixel (x, y): smooth gradients with an edge and fine texture,
// uniform noise, or the flat colour `flat`.
void colour_at(Pattern p, int x, int y, int w, int h, uint32_t flat, unsigned char bgr[3]) {
    if (p == Pattern::flat) {
        bgr[0] = (unsigned char)flat, bgr[1] = (unsigned char)(flat >> 8), bgr[2] = (unsigned char)(flat >> 16);
        return;
    }
    if (p == Pattern::noise) {
        const uint32_t v = (uint32_t)(x * 2654435761u) ^ (uint32_t)(y * 40503u + 977) * 2246822519u;
        bgr[0] = (unsigned char)(v >> 8), bgr[1] = (unsigned char)(v >> 16), bgr[2] = (unsigned char)(v >> 24);
        return;
    }
    const int t = (x * 7 + y * 13) % 9, edge = x * 3 > w * 2 ? 60 : 0;
    bgr[0] = (unsigned char)(x * 200 / std::max(1, w - 1) + t + 20);
    bgr[1] = (unsigned char)(y * 180 / std::max(1, h - 1) + edge + t);
    bgr[2] = (unsigned char)(230 - (x + y) * 200 / std::max(1, w + h) - t);
}

// An uncompressed page over its own pixels (rows padded to 4 bytes, top-down).
struct TestPage {
    Pixels pixels;
    PageBitmap page{};
    TestPage(int w, int h, int bpp, Pattern pattern = Pattern::photo, uint32_t flat = 0) {
        const int32_t pitch = row_bytes_aligned(w, bpp);
        pixels.assign((size_t)pitch * h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                unsigned char c[3];
                colour_at(pattern, x, y, w, h, flat, c);
                unsigned char* p = pixels.data() + (size_t)y * pitch + (size_t)x * (bpp / 8);
                if (bpp == 8) p[0] = (unsigned char)((c[0] + 2 * c[1] + c[2]) / 4);
                if (bpp == 24) std::memcpy(p, c, 3);
                if (bpp == 16) {
                    const unsigned v = (unsigned)(c[2] >> 3) << 11 | (unsigned)(c[1] >> 2) << 5 | c[0] >> 3;
                    p[0] = (unsigned char)v, p[1] = (unsigned char)(v >> 8);
                }
            }
        page.width = w, page.height = h, page.bits_per_pixel = (int8_t)bpp, page.pitch = pitch;
        page.data = pixels.data();
        page.data_length = (int32_t)pixels.size();
        page.ownership = OWN_BORROWED;
        page.compression = COMP_NONE;
        page.layout = LAYOUT_TOP_DOWN;
    }
    // RGB (16-bit pixels widened by shifts, as the library widens them) or grey rows.
    Picture picture() const { return to_picture(page); }
};

// Encodes through convert_page; empty when it fails (the code in *rc).
JpegBytes encode(const PageBitmap& page, int flags, int compression = COMP_JPEG, int* rc = nullptr) {
    PageBitmap out{};
    out.compression = (int8_t)compression;
    const int status = convert_page(&page, &out, flags);
    if (rc) *rc = status;
    if (status != IMG_OK) return {};
    JpegBytes bytes(out.data, out.data + out.data_length);
    release_page(&out);
    return bytes;
}

// libjpeg's standard tables (T.81 K.1, K.2: its quality 50) and Huffman tables.
struct LibjpegTables {
    unsigned int quant[2][64];
    JHUFF_TBL dc[2], ac[2];
    LibjpegTables() {
        jpeg_compress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        c.in_color_space = JCS_RGB;
        c.input_components = 3;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, 50, TRUE);
        for (int t = 0; t < 2; ++t) {
            for (int i = 0; i < 64; ++i) quant[t][i] = c.quant_tbl_ptrs[t]->quantval[i];
            dc[t] = *c.dc_huff_tbl_ptrs[t];
            ac[t] = *c.ac_huff_tbl_ptrs[t];
        }
        jpeg_destroy_compress(&c);
    }
};
const LibjpegTables& libjpeg_tables() {
    static const LibjpegTables t;
    return t;
}

// Our scaling of a base table entry by quality.
unsigned scaled(unsigned q, int quality) { return quality == 0 ? q >> 2 : quality == 1 ? q >> 1 : quality == 2 ? q : q << 1; }

// libjpeg's encoding of the same page with our tables and sampling (grey, or
// blue-green-red rows; 16-bit pages given widened).
JpegBytes libjpeg_encode(const TestPage& src, int flags) {
    const Picture pic = src.picture();
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = (JDIMENSION)pic.width;
    c.image_height = (JDIMENSION)pic.height;
    c.input_components = pic.channels;
    c.in_color_space = pic.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    for (int t = 0; t < 2; ++t) {
        unsigned int table[64];
        for (int i = 0; i < 64; ++i) table[i] = scaled(libjpeg_tables().quant[t][i], flags & 3);
        jpeg_add_quant_table(&c, t, table, 100, TRUE);
    }
    c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = (flags & JPEG_SUBSAMPLE) ? 2 : 1;
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pic.pixels.data()) + (size_t)c.next_scanline * pic.width * pic.channels;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    JpegBytes bytes(mem, mem + size);
    std::free(mem);
    return bytes;
}

// libjpeg's decoding of a stream in memory (RGB or grey rows).
Picture libjpeg_decode(const JpegBytes& bytes) {
    Picture pic;
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, bytes.data(), (unsigned long)bytes.size());
    if (jpeg_read_header(&d, TRUE) == JPEG_HEADER_OK && jpeg_start_decompress(&d)) {
        pic.width = (int)d.output_width, pic.height = (int)d.output_height, pic.channels = d.output_components;
        pic.pixels.resize((size_t)pic.width * pic.height * pic.channels);
        while (d.output_scanline < d.output_height) {
            JSAMPROW row = pic.pixels.data() + (size_t)d.output_scanline * pic.width * pic.channels;
            jpeg_read_scanlines(&d, &row, 1);
        }
        jpeg_finish_decompress(&d);
    }
    jpeg_destroy_decompress(&d);
    return pic;
}

// djpeg's picture with chroma repeated rather than interpolated, as our decoder does.
Picture djpeg_plain(const fs::path& jpeg, const fs::path& out) {
    const std::string cmd = "djpeg -dct int -nosmooth -pnm -outfile '" + out.string() + "' '" + jpeg.string() + "'";
    return run_command(cmd) == 0 ? read_pnm(out) : Picture{};
}

const char* const kQualityNames[4] = {"Highest", "High", "Medium", "Low"};

std::string describe(int w, int h, int bpp, int flags) {
    return std::to_string(w) + "x" + std::to_string(h) + " " + std::to_string(bpp) + "-bit " +
           kQualityNames[flags & 3] + ((flags & JPEG_SUBSAMPLE) ? " 2x2" : "");
}

// Round trips of every depth, quality and sampling at sizes that cut MCUs at the
// right and bottom edges (and one wider than any vector step): djpeg's picture of our
// stream is about as close to the source as its picture of libjpeg's stream at the
// same tables (a fast transform against libjpeg's accurate one), and our decoder
// agrees with djpeg. A noise picture at "Highest" outgrows
// the encoder's first output buffer.
TEST(JpegEncode, RoundTripsAsWellAsLibjpegAtTheSameTables) {
    SKIP_WITHOUT_PROGRAM("djpeg");
    TempDir dir;
    struct Size {
        int w, h;
        Pattern pattern;
    };
    const Size sizes[] = {{1, 1, Pattern::photo},     {9, 9, Pattern::photo},   {17, 9, Pattern::photo},
                          {4097, 19, Pattern::photo}, {97, 61, Pattern::photo}, {64, 48, Pattern::noise}};
    for (const Size& s : sizes)
        for (int bpp : {8, 16, 24})
            for (int flags = 0; flags < 8; ++flags) {
                const TestPage src(s.w, s.h, bpp, s.pattern);
                const std::string what = describe(s.w, s.h, bpp, flags);
                const JpegBytes bytes = encode(src.page, flags);
                ASSERT_FALSE(bytes.empty()) << what;
                write_bytes(dir / "ours.jpg", bytes);
                write_bytes(dir / "theirs.jpg", libjpeg_encode(src, flags));
                const Picture ours = djpeg(dir / "ours.jpg", dir / "ours.pnm");
                ASSERT_EQ(s.w, ours.width) << what;
                ASSERT_EQ(bpp == 8 ? 1 : 3, ours.channels) << what;
                const double db = psnr(ours, src.picture());
                const double reference = psnr(djpeg(dir / "theirs.jpg", dir / "theirs.pnm"), src.picture());
                // A few dozen pixels make a noisy measure: those get more room.
                EXPECT_GE(db, reference - (s.w * s.h < 1000 ? 1.0 : 0.4)) << what;
                PageBitmap decoded{};
                ASSERT_EQ(IMG_OK, decode_bytes(bytes, 0, &decoded)) << what;
                EXPECT_GE(psnr(to_picture(decoded), djpeg_plain(dir / "ours.jpg", dir / "plain.pnm")), 38.0) << what;
                release_page(&decoded);
                if (s.pattern == Pattern::noise && flags == 0 && bpp == 24)
                    EXPECT_GT(bytes.size(), (size_t)s.w * s.h * 3 / 3 + 1024) << "the first buffer was enough";
            }
}

// Pictures of one colour stay of one colour whatever the size (the blocks past the
// edges repeat the edge instead of fading to grey), and keep their colour on average.
TEST(JpegEncode, FlatPicturesStayFlatAndKeepTheirColour) {
    std::mt19937 rng(7);
    double error_sum[3] = {0, 0, 0};
    int counted = 0;
    for (int n = 0; n < 24; ++n) {
        const uint32_t colour = rng() & 0xFFFFFF;
        for (const auto& [w, h] : {std::pair{1, 1}, {9, 9}, {17, 9}, {33, 17}})
            for (int flags : {0, 3, 7}) {
                const TestPage src(w, h, 24, Pattern::flat, colour);
                const std::string what = describe(w, h, 24, flags) + " colour " + std::to_string(colour);
                const Picture pic = libjpeg_decode(encode(src.page, flags));
                ASSERT_EQ(w * h * 3, (int)pic.pixels.size()) << what;
                for (size_t i = 3; i < pic.pixels.size(); ++i)
                    ASSERT_EQ(pic.pixels[i % 3], pic.pixels[i]) << what << " at sample " << i;
                if (flags != 0) continue;
                const Picture want = src.picture();
                for (int c = 0; c < 3; ++c) error_sum[c] += pic.pixels[c] - want.pixels[c];
                ++counted;
            }
    }
    for (int c = 0; c < 3; ++c) EXPECT_LT(std::abs(error_sum[c] / counted), 0.3) << "channel " << c;
}

// ---- The stream ------------------------------------------------------------------------

struct Segment {
    int marker;
    std::vector<unsigned char> payload;  // after the length field
};

// The segments from SOI to SOS; *data_start receives the first byte after SOS.
std::vector<Segment> segments(const JpegBytes& b, size_t* data_start) {
    std::vector<Segment> out;
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return out;
    out.push_back({0xD8, {}});
    size_t p = 2;
    while (p + 4 <= b.size() && b[p] == 0xFF) {
        const int marker = b[p + 1];
        const size_t len = (size_t)b[p + 2] << 8 | b[p + 3];
        if (len < 2 || p + 2 + len > b.size()) break;
        out.push_back({marker, std::vector<unsigned char>(b.begin() + (long)p + 4, b.begin() + (long)(p + 2 + len))});
        p += 2 + len;
        if (marker == 0xDA) break;
    }
    *data_start = p;
    return out;
}

std::vector<unsigned char> dht_payload(int class_id, const JHUFF_TBL& t) {
    std::vector<unsigned char> p{(unsigned char)class_id};
    int total = 0;
    for (int i = 1; i <= 16; ++i) p.push_back(t.bits[i]), total += t.bits[i];
    p.insert(p.end(), t.huffval, t.huffval + total);
    return p;
}

// Markers in their order with the bytes the format fixes: APP0 ("JFIF" or "AVI1",
// densities in dots per inch, 0 when unknown), the scaled standard quantisation
// tables in zigzag order, the frame's sampling, the standard Huffman tables, the
// scan; entropy-coded data in which every 0xFF is followed by 0x00, then EOI.
TEST(JpegEncode, WritesTheMarkersAndTablesOfABaselineStream) {
    struct Case {
        int bpp, compression, flags, x_dpi, y_dpi;
        const char* app0_id;
        int density_x, density_y;
    };
    const Case cases[] = {
        {8, COMP_JPEG, 0, 300, 72, "JFIF", 300, 72},         {24, COMP_MOTION_JPEG, 5, 0, 0, "AVI1", 0, 0},
        {24, COMP_JPEG, 3, 70000, -5, "JFIF", 65535, 0},     {16, COMP_JPEG, 6, 96, 96, "JFIF", 96, 96},
        {24, COMP_JPEG, 0, 0, 0, "JFIF", 0, 0},             {8, COMP_MOTION_JPEG, 2, 1, 2, "AVI1", 1, 2},
    };
    const LibjpegTables& lib = libjpeg_tables();
    for (const Case& c : cases) {
        TestPage src(40, 24, c.bpp, Pattern::noise);
        src.page.x_dpi = c.x_dpi, src.page.y_dpi = c.y_dpi;
        const std::string what = describe(40, 24, c.bpp, c.flags) + " " + c.app0_id;
        const JpegBytes bytes = encode(src.page, c.flags, c.compression);
        size_t data = 0;
        const std::vector<Segment> segs = segments(bytes, &data);
        const bool colour = c.bpp != 8, sub = colour && (c.flags & JPEG_SUBSAMPLE);
        std::vector<int> order{0xD8, 0xE0, 0xDB};
        if (colour) order.push_back(0xDB);
        order.push_back(0xC0);
        for (int i = 0; i < (colour ? 4 : 2); ++i) order.push_back(0xC4);
        order.push_back(0xDA);
        std::vector<int> markers;
        for (const Segment& s : segs) markers.push_back(s.marker);
        ASSERT_EQ(order, markers) << what;

        std::vector<unsigned char> app0(c.app0_id, c.app0_id + 5);
        for (int v : {1, 1, 1, c.density_x >> 8, c.density_x & 255, c.density_y >> 8, c.density_y & 255, 0, 0})
            app0.push_back((unsigned char)v);
        EXPECT_EQ(app0, segs[1].payload) << what;
        for (int t = 0; t < (colour ? 2 : 1); ++t) {
            std::vector<unsigned char> dqt{(unsigned char)t};
            for (int z = 0; z < 64; ++z) dqt.push_back((unsigned char)scaled(lib.quant[t][kJpegZigzag[z]], c.flags & 3));
            EXPECT_EQ(dqt, segs[2 + t].payload) << what << " table " << t;
        }
        std::vector<unsigned char> sof{8, 0, 24, 0, 40, (unsigned char)(colour ? 3 : 1), 0,
                                       (unsigned char)(sub ? 0x22 : 0x11), 0};
        if (colour) sof.insert(sof.end(), {1, 0x11, 1, 2, 0x11, 1});
        const size_t at = colour ? 4 : 3;
        EXPECT_EQ(sof, segs[at].payload) << what;
        EXPECT_EQ(dht_payload(0x00, lib.dc[0]), segs[at + 1].payload) << what;
        EXPECT_EQ(dht_payload(0x10, lib.ac[0]), segs[at + 2].payload) << what;
        if (colour) {
            EXPECT_EQ(dht_payload(0x01, lib.dc[1]), segs[at + 3].payload) << what;
            EXPECT_EQ(dht_payload(0x11, lib.ac[1]), segs[at + 4].payload) << what;
        }
        const std::vector<unsigned char> sos = colour ? std::vector<unsigned char>{3, 0, 0x00, 1, 0x11, 2, 0x11, 0, 63, 0}
                                                      : std::vector<unsigned char>{1, 0, 0x00, 0, 63, 0};
        EXPECT_EQ(sos, segs.back().payload) << what;

        ASSERT_GE(bytes.size(), data + 2);
        EXPECT_EQ(0xFF, bytes[bytes.size() - 2]);
        EXPECT_EQ(0xD9, bytes[bytes.size() - 1]);
        int stuffed = 0;
        for (size_t i = data; i + 2 < bytes.size(); ++i)
            if (bytes[i] == 0xFF) {
                ASSERT_EQ(0x00, bytes[i + 1]) << what << " at " << i;
                ++stuffed, ++i;
            }
        EXPECT_GT(stuffed, 0) << what << ": no 0xFF in the data, the check saw nothing";
    }
}

// ---- The Huffman coder against a plain one ----------------------------------------------

// Codes (value, length) of a DHT table by T.81 Annex C, for the plain coder.
struct PlainCodes {
    uint32_t code[256] = {}, length[256] = {};
    explicit PlainCodes(const JHUFF_TBL& t) {
        uint32_t c = 0;
        int k = 0;
        for (int len = 1; len <= 16; ++len, c <<= 1)
            for (int i = 0; i < t.bits[len]; ++i, ++k) code[t.huffval[k]] = c++, length[t.huffval[k]] = (uint32_t)len;
    }
};

// The coder as T.81 F.1.2 describes it: the block in zigzag order, bit by bit, the
// last byte completed with 0 bits, then 0x00 put after every 0xFF.
struct PlainCoder {
    std::vector<bool> bits;
    void put(uint32_t value, int n) {
        for (int i = n - 1; i >= 0; --i) bits.push_back(value >> i & 1);
    }
    void put_value(int v, const PlainCodes& table, int symbol_high) {
        const int a = std::abs(v);
        int size = 0;
        while ((1 << size) <= a) ++size;
        const int symbol = symbol_high << 4 | size;
        put(table.code[symbol], (int)table.length[symbol]);
        put((uint32_t)(v < 0 ? v - 1 : v) & ((1u << size) - 1), size);
    }
    void block(const int16_t* natural, int* pred, const PlainCodes& dc, const PlainCodes& ac) {
        int zz[64];
        for (int k = 0; k < 64; ++k) zz[k] = natural[kJpegZigzag[k]];
        put_value(zz[0] - *pred, dc, 0);
        *pred = zz[0];
        int run = 0;
        for (int k = 1; k < 64; ++k) {
            if (zz[k] == 0) {
                ++run;
                continue;
            }
            for (; run > 15; run -= 16) put(ac.code[0xF0], (int)ac.length[0xF0]);
            put_value(zz[k], ac, run);
            run = 0;
        }
        if (run) put(ac.code[0], (int)ac.length[0]);
    }
    std::vector<unsigned char> bytes() const {
        std::vector<unsigned char> out;
        for (size_t i = 0; i < bits.size(); i += 8) {
            unsigned char b = 0;
            for (size_t j = 0; j < 8; ++j) b = (unsigned char)(b << 1 | (i + j < bits.size() && bits[i + j]));
            out.push_back(b);
            if (b == 0xFF) out.push_back(0);
        }
        return out;
    }
};

// Random blocks of every density, values to the largest a baseline stream holds,
// zero runs of 15, 16, 17 and 32 and blocks that end in a non-zero coefficient.
std::vector<std::array<int16_t, 64>> test_blocks() {
    std::mt19937 rng(11);
    std::vector<std::array<int16_t, 64>> blocks;
    for (int n = 0; n < 3000; ++n) {
        std::array<int16_t, 64> b{};
        const double density = std::array{0.0, 0.03, 0.15, 0.5, 1.0}[n % 5];
        const int limit = std::array{1, 7, 100, 1023}[(n / 5) % 4];
        std::uniform_real_distribution<double> p(0, 1);
        for (int i = 1; i < 64; ++i)
            if (p(rng) < density) b[i] = (int16_t)((int)(rng() % limit) + 1) * (rng() & 1 ? 1 : -1);
        b[0] = (int16_t)((int)(rng() % 2048) - 1024);
        if (n % 7 == 0) b[kJpegZigzag[63]] = (int16_t)(limit > 1 ? -limit : 1);
        blocks.push_back(b);
    }
    for (int gap : {15, 16, 17, 32, 62}) {  // a zero run of `gap` before the last coefficient
        std::array<int16_t, 64> b{};
        b[kJpegZigzag[63 - gap - 1]] = 5;
        b[kJpegZigzag[63]] = -3;
        blocks.push_back(b);
    }
    return blocks;
}

TEST(JpegEncode, HuffmanCoderWritesWhatAPlainBitWriterWrites) {
    const LibjpegTables& lib = libjpeg_tables();
    const PlainCodes plain_dc[2] = {PlainCodes(lib.dc[0]), PlainCodes(lib.dc[1])};
    const PlainCodes plain_ac[2] = {PlainCodes(lib.ac[0]), PlainCodes(lib.ac[1])};
    JpegDecoderState* s = static_cast<JpegDecoderState*>(mem_alloc(sizeof(JpegDecoderState)));
    ASSERT_EQ(IMG_OK, jpeg_parse_dht(s, kJpegStandardDht + 2, sizeof kJpegStandardDht - 2));
    JpegHuffmanCodes codes[2];
    jpeg_make_codes(s->huff_raw[0], s->huff_raw[4], &codes[0]);
    jpeg_make_codes(s->huff_raw[1], s->huff_raw[5], &codes[1]);
    mem_free(s);

    JpegBitWriter w{static_cast<uint8_t*>(mem_alloc(64)), 0, 64, 0, 64};
    PlainCoder plain;
    int32_t pred[2] = {0, 0};
    int plain_pred[2] = {0, 0};
    const auto blocks = test_blocks();
    for (size_t n = 0; n < blocks.size(); ++n) {
        const int t = (n / 3) % 2;  // runs of luminance and chrominance blocks
        ASSERT_EQ(IMG_OK, jpeg_writer_reserve(&w, JPEG_BLOCK_MAX_BYTES));
        jpeg_encode_block(&w, blocks[n].data(), &pred[t], codes[t]);
        plain.block(blocks[n].data(), &plain_pred[t], plain_dc[t], plain_ac[t]);
    }
    ASSERT_EQ(IMG_OK, jpeg_writer_reserve(&w, 32));
    jpeg_writer_flush_bits(&w);
    const std::vector<unsigned char> want = plain.bytes();
    ASSERT_EQ(want.size(), w.pos);
    EXPECT_EQ(0, std::memcmp(want.data(), w.buf, w.pos));
    mem_free(w.buf);
}

// ---- Kernels and quantisation -------------------------------------------------------------

// Every quotient of the reciprocal form equals the rounding division, for every
// divisor it is made for and every magnitude the transform can give (and more).
TEST(JpegEncode, ReciprocalQuantisationEqualsTheDivision) {
    JpegQuantDivisors q{};
    for (int32_t d = 3; d < 4096; ++d) {
        q.vector_ok = true;
        jpeg_set_divisor(&q, 0, d);
        ASSERT_TRUE(q.vector_ok) << d;
        for (uint32_t x = 0; x < 32768; ++x)
            if (jpeg_quantize_by_reciprocal(x, q, 0) != (int32_t)((x + (uint32_t)(d >> 1)) / (uint32_t)d))
                FAIL() << "divisor " << d << " magnitude " << x;
    }
    for (int32_t d : {1, 2}) {
        q.vector_ok = true;
        jpeg_set_divisor(&q, 0, d);
        EXPECT_FALSE(q.vector_ok) << d;
    }
    // The tables of every quality take the vector path.
    for (int quality = 0; quality < 4; ++quality)
        for (const uint8_t* base : {kJpegLuminanceQuant, kJpegChrominanceQuant}) {
            int32_t natural[64];
            for (int i = 0; i < 64; ++i) natural[i] = (int32_t)scaled(base[i], quality);
            jpeg_make_divisors(natural, &q);
            EXPECT_TRUE(q.vector_ok) << kQualityNames[quality];
        }
}

// Blocks for the transform: random samples, every sign pattern of the 64 basis
// functions at full amplitude, checkerboards and the extremes (chroma reaches 128).
std::vector<std::array<int16_t, 64>> sample_blocks() {
    std::mt19937 rng(5);
    std::vector<std::array<int16_t, 64>> blocks;
    for (int n = 0; n < 3000; ++n) {
        std::array<int16_t, 64> b;
        const int span = std::array{257, 32, 4}[n % 3];
        const int base = (int)(rng() % 257) - 128;
        for (auto& v : b) v = (int16_t)std::clamp(base + (int)(rng() % span) - span / 2, -128, 128);
        blocks.push_back(b);
    }
    for (int u = 0; u < 8; ++u)
        for (int v = 0; v < 8; ++v)
            for (int sign : {1, -1}) {
                std::array<int16_t, 64> b;
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x) {
                        const double c = std::cos((2 * x + 1) * u * M_PI / 16) * std::cos((2 * y + 1) * v * M_PI / 16);
                        b[y * 8 + x] = (int16_t)(c * sign >= 0 ? 127 : -128);
                    }
                blocks.push_back(b);
            }
    for (int16_t v : {-128, 127, 128}) {
        std::array<int16_t, 64> b;
        b.fill(v);
        blocks.push_back(b);
    }
    return blocks;
}

void expect_same_kernels(const JpegEncodeKernels& plain, const JpegEncodeKernels& fast, const char* set) {
    std::mt19937 rng(3);
    for (int width : {1, 2, 7, 9, 15, 16, 17, 18, 19, 31, 33, 34, 35, 50, 63, 64, 65, 4097}) {
        Pixels row0(3 * (size_t)width), row1(3 * (size_t)width);
        for (auto& v : row0) v = (unsigned char)rng();
        for (auto& v : row1) v = (unsigned char)rng();
        const size_t half = ((size_t)width + 1) / 2;
        std::vector<int16_t> a(6 * (size_t)width), b(6 * (size_t)width);
        plain.ycc_row(row0.data(), width, &a[0], &a[width], &a[2 * width]);
        fast.ycc_row(row0.data(), width, &b[0], &b[width], &b[2 * width]);
        EXPECT_EQ(a, b) << set << " 4:4:4 width " << width;
        std::fill(b.begin(), b.end(), 0), std::fill(a.begin(), a.end(), 0);
        plain.ycc_rows_420(row0.data(), row1.data(), width, &a[0], &a[width], &a[2 * width], &a[2 * width + half]);
        fast.ycc_rows_420(row0.data(), row1.data(), width, &b[0], &b[width], &b[2 * width], &b[2 * width + half]);
        EXPECT_EQ(a, b) << set << " 4:2:0 width " << width;
        std::fill(b.begin(), b.end(), 0), std::fill(a.begin(), a.end(), 0);
        plain.grey_row(row0.data(), width, a.data());
        fast.grey_row(row0.data(), width, b.data());
        EXPECT_EQ(a, b) << set << " grey width " << width;
    }
    const auto blocks = sample_blocks();
    for (int quality = 0; quality < 4; ++quality)
        for (const uint8_t* base : {kJpegLuminanceQuant, kJpegChrominanceQuant}) {
            int32_t natural[64];
            for (int i = 0; i < 64; ++i) natural[i] = (int32_t)scaled(base[i], quality);
            JpegQuantDivisors q;
            jpeg_make_divisors(natural, &q);
            for (size_t n = 0; n + 1 < blocks.size(); ++n) {
                // Side by side in one plane (stride 16) and, every third time, the same block twice.
                int16_t plane[8 * 16];
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x) plane[y * 16 + x] = blocks[n][y * 8 + x], plane[y * 16 + 8 + x] = blocks[n + 1][y * 8 + x];
                const int16_t* second = n % 3 == 0 ? plane : plane + 8;
                int16_t want[2][64], got[2][64];
                plain.fdct_pair(plane, second, 16, &q, want[0], want[1]);
                fast.fdct_pair(plane, second, 16, &q, got[0], got[1]);
                ASSERT_EQ(0, std::memcmp(want[0], got[0], sizeof want[0])) << set << " block " << n;
                if (second != plane) ASSERT_EQ(0, std::memcmp(want[1], got[1], sizeof want[1])) << set << " block " << n + 1;
            }
        }
}

// The SSE2 and AVX2 kernels give the scalar results bit for bit, kernel by kernel and
// as whole streams.
TEST(JpegEncode, VectorKernelsMatchTheScalarOnes) {
    JpegEncodeKernels plain{}, fast{};
    ASSERT_TRUE(jpeg_encode_kernels(JPEG_KERNELS_SCALAR, &plain));
    int sets = 0;
    for (auto [set, name] : {std::pair{JPEG_KERNELS_SSE2, "SSE2"}, {JPEG_KERNELS_AVX2, "AVX2"}}) {
        if (!jpeg_encode_kernels(set, &fast)) continue;
        ++sets;
        expect_same_kernels(plain, fast, name);
        for (int bpp : {8, 16, 24})
            for (int flags = 0; flags < 8; ++flags) {
                const TestPage src(97, 45, bpp);
                PageBitmap a{}, b{};
                a.compression = b.compression = COMP_JPEG;
                ASSERT_EQ(IMG_OK, jpeg_encode_page_with(&src.page, &a, flags, plain));
                ASSERT_EQ(IMG_OK, jpeg_encode_page_with(&src.page, &b, flags, fast));
                ASSERT_EQ(a.data_length, b.data_length) << name << " " << describe(97, 45, bpp, flags);
                EXPECT_EQ(0, std::memcmp(a.data, b.data, (size_t)a.data_length)) << name << " " << describe(97, 45, bpp, flags);
                release_page(&a);
                release_page(&b);
            }
    }
    if (sets == 0) GTEST_SKIP() << "no vector instructions in this build";
}

// ---- Pages of other shapes and pages refused -------------------------------------------------

// The page widened to 24 bits by the library's depth conversion (with its own copy
// of the palette, which the conversion gives back).
JpegBytes encode_widened(const PageBitmap& page, int flags) {
    PageBitmap wide = page;
    wide.ownership = OWN_BORROWED;
    if (page.palette) {
        wide.palette = static_cast<uint8_t*>(mem_alloc(768));
        std::memcpy(wide.palette, page.palette, 768);
    }
    if (convert_depth(&wide, 24, 0) != IMG_OK) return {};
    const JpegBytes bytes = encode(wide, flags);
    release_page(&wide);
    return bytes;
}

// Pages stored otherwise give the stream of the plain page they stand for: a 16-bit
// page that of its 24-bit widening; an 8-bit page with a colour palette that of its
// colours; one with a grey palette that of the grey levels it shows; a page stored
// bottom-up that of its rows turned upright; a stored JPEG page converted to a
// Motion-JPEG frame that of its decoded picture.
TEST(JpegEncode, PagesStoredOtherwiseEncodeAsThePlainPageTheyStandFor) {
    uint8_t colours[768], inverted[768], ramp[768];
    for (int i = 0; i < 256; ++i) {
        colours[3 * i] = (uint8_t)(i * 7), colours[3 * i + 1] = (uint8_t)(255 - i), colours[3 * i + 2] = (uint8_t)i;
        inverted[3 * i] = inverted[3 * i + 1] = inverted[3 * i + 2] = (uint8_t)(255 - i);
        ramp[3 * i] = ramp[3 * i + 1] = ramp[3 * i + 2] = (uint8_t)i;
    }
    const int w = 45, h = 29;
    for (int flags = 0; flags < 8; ++flags) {
        const TestPage narrow(w, h, 16);
        EXPECT_EQ(encode_widened(narrow.page, flags), encode(narrow.page, flags)) << describe(w, h, 16, flags);

        TestPage indexed(w, h, 8);
        indexed.page.palette = colours;
        const JpegBytes coloured = encode(indexed.page, flags);
        EXPECT_EQ(encode_widened(indexed.page, flags), coloured) << "colour palette " << flags;
        const TestPage grey(w, h, 8);
        indexed.page.palette = ramp;
        EXPECT_EQ(encode(grey.page, flags), encode(indexed.page, flags)) << "grey ramp palette " << flags;
        indexed.page.palette = inverted;
        TestPage negative(w, h, 8);
        for (auto& v : negative.pixels) v = (unsigned char)(255 - v);
        EXPECT_EQ(encode(negative.page, flags), encode(indexed.page, flags)) << "inverted grey palette " << flags;

        for (int bpp : {8, 24}) {
            const TestPage upright(w, h, bpp);
            TestPage flipped(w, h, bpp);
            for (int y = 0; y < h; ++y)
                std::memcpy(&flipped.pixels[(size_t)y * flipped.page.pitch],
                            &upright.pixels[(size_t)(h - 1 - y) * upright.page.pitch], (size_t)upright.page.pitch);
            flipped.page.layout = LAYOUT_BOTTOM_UP;
            EXPECT_EQ(encode(upright.page, flags), encode(flipped.page, flags)) << describe(w, h, bpp, flags);
        }
    }
    const TestPage src(w, h, 24);
    const JpegBytes stream = encode(src.page, 4);
    PageBitmap stored = jpeg_source(stream), decoded{};
    ASSERT_EQ(IMG_OK, decode_bytes(stream, 0, &decoded));
    EXPECT_EQ(encode(decoded, 2, COMP_MOTION_JPEG), encode(stored, 2, COMP_MOTION_JPEG));
    release_page(&decoded);
}

TEST(JpegEncode, RefusesPagesItCannotEncode) {
    struct Case {
        const char* what;
        void (*spoil)(PageBitmap&);
        int flags, compression;
    };
    const Case cases[] = {
        {"bilevel page", [](PageBitmap& p) { p.bits_per_pixel = 1; }, 0, COMP_JPEG},
        {"4-bit page", [](PageBitmap& p) { p.bits_per_pixel = 4; }, 0, COMP_JPEG},
        {"32-bit page", [](PageBitmap& p) { p.bits_per_pixel = 32; }, 0, COMP_JPEG},
        {"no data", [](PageBitmap& p) { p.data = nullptr; }, 0, COMP_JPEG},
        {"pitch shorter than a row", [](PageBitmap& p) { p.pitch = 3 * p.width - 1; }, 0, COMP_JPEG},
        {"data shorter than the rows", [](PageBitmap& p) { p.data_length = p.pitch * (p.height - 1) + 3 * p.width - 1; },
         0, COMP_MOTION_JPEG},
        {"no width", [](PageBitmap& p) { p.width = 0; }, 0, COMP_JPEG},
        {"wider than a frame header holds", [](PageBitmap& p) { p.width = 65536, p.pitch = 65536 * 3; }, 0, COMP_JPEG},
        {"negative height", [](PageBitmap& p) { p.height = -3; }, 0, COMP_JPEG},
        {"options above 7", [](PageBitmap&) {}, 8, COMP_JPEG},
        {"negative options", [](PageBitmap&) {}, -1, COMP_MOTION_JPEG},
    };
    for (const Case& c : cases) {
        TestPage src(30, 20, 24);
        c.spoil(src.page);
        int rc = 0;
        EXPECT_TRUE(encode(src.page, c.flags, c.compression, &rc).empty()) << c.what;
        EXPECT_EQ(ERR_PARAMETER, rc) << c.what;
    }
    // The encoder itself makes only the two JPEG compressions.
    const TestPage src(30, 20, 24);
    PageBitmap out{};
    out.compression = COMP_NONE;
    EXPECT_EQ(ERR_PARAMETER, jpeg_encode_page(&src.page, &out, 0));
    EXPECT_EQ(nullptr, out.data);
}

}  // namespace
