// JPEG decoder state and the stages that share it: marker and header parsing,
// Huffman look-ups and the entropy bit reader, the AAN inverse DCT, colour
// conversion, baseline and progressive decoding (ITU-T T.81, Huffman-coded
// sequential and progressive frames with 8-bit samples).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/records.h"

enum {
    JPEG_PROGRESSIVE = 0x10,  // set by the decoder itself for SOF2 frames
    JPEG_MAX_SCANS = 16,
    JPEG_MAX_SCAN_TABLES = 8,  // DHT segments recorded before one progressive scan
    JPEG_WINDOW_MOVE_AT = 61440,
    JPEG_AHEAD_BITS = 10,  // look-ahead of a code with its value bits
    JPEG_AHEAD_END = 64,   // look-ahead run of a symbol that ends the block
    JPEG_SKIP_BITS = 12,   // look-ahead of the AC skipping at one-eighth size
};
constexpr uint32_t JPEG_STATE_TAG = 0x4A504753;  // "JPGS"


struct JpegComponent {
    uint8_t id, index, h, v, quant, dc_table, ac_table, in_scan;
};

// One decode's working state (or a movie's, kept for all of its frames).
struct JpegDecoderState {
    uint32_t tag;                  // JPEG_STATE_TAG: tells a movie's JPEG state from others
    int32_t quant[4][64];          // zigzag, as read from DQT
    int32_t dequant[4][64];        // natural order, AAN-scaled (2 extra fraction bits)
    int16_t dequant16[4][64];      // the same where they fit 16 bits (vector transform)
    int32_t coef_limit[4];         // largest |coefficient| the vector transform takes; 0 none
    uint8_t quant_present[4];      // tables a DQT segment defined
    uint8_t range_limit[1024];     // 10-bit index, x + 128 clamped to 0..255
    uint8_t color_clamp[1024];     // 10-bit index, 0..255 as is, above 255, below 0
    uint16_t rgb565[3][1024];      // red, green, blue parts of a 5-6-5 pixel
    uint8_t huff_present[8];       // DC 0..3, AC 0..3
    int32_t huff_raw[8][16 + 256]; // code-length counts, then the symbols
    uint16_t* dc_fast[4];          // 64 entries: next 6 bits
    uint16_t* dc_full[4];          // 4096 entries: next 12 bits
    uint16_t* ac_fast[4];          // 256 entries: next 8 bits
    uint16_t* ac_full[4];          // 65536 entries: next 16 bits
    // Look-ahead of the next 10 bits that resolves a code together with the bits of
    // its value (built with the look-ups; 0: take the symbol through the tables).
    int32_t* dc_ahead[4];          // (difference << 16) | bits used
    int32_t* ac_ahead[4];          // (value << 16) | (zero run << 8) | bits used
    // One-eighth size skips AC codes several at a time: for the next 12 bits, the bits
    // of the whole codes (with their value bits) they hold, the positions those
    // advance before the last of them, and the last one's advance (0: end of block).
    uint16_t* ac_skip[4];          // (bits << 12) | (advance before last << 6) | last
    int32_t restart_interval, restart_countdown;
    int32_t options;
    int32_t data_end;
    int32_t exif_position, exif_length;
    uint16_t height, width;
    uint8_t component_count, sampling;
    uint8_t ss, se, ah, al, scan_components;
    int32_t scan_count;
    int32_t scan_start[JPEG_MAX_SCANS];
    int32_t scan_tables[JPEG_MAX_SCANS][JPEG_MAX_SCAN_TABLES];  // DHT positions, 0 = none
    int32_t scan_restart[JPEG_MAX_SCANS];                       // DRI before the scan, -1 none
    JpegComponent comp[4];
    uint32_t bit_window, bits_used;
    char comment[128];
    // What the stream says of its colour: a JFIF APP0, an Adobe APP14 and its
    // transform byte (0: components are red, green, blue; 1: YCbCr), and the decision
    // taken from them and the component identifiers once the frame header is read.
    bool saw_jfif, saw_adobe;
    uint8_t adobe_transform;
    bool rgb_components;
    bool lookups_built;
    bool quant_prepared;
};

// ---- Tables (jpeg_tables.cpp) ----------------------------------------------
extern const uint8_t kJpegZigzag[64];  // zigzag index -> natural index
void jpeg_fill_range_limit(JpegDecoderState* s);
void jpeg_fill_color_tables(JpegDecoderState* s);
// Natural-order AAN scale factors: 14-bit products of 1 and cos(k pi/16) sqrt 2.
const int32_t* jpeg_aan_scales();
// The standard Huffman tables of T.81 K.3 to K.6 as one DHT segment (FF C4 + 418 bytes).
extern const uint8_t kJpegStandardDht[420];

// Per-value parts of the YCbCr to RGB conversion (12 fractional bits).
struct JpegColorTerms {
    int32_t r_cr[256], g_cb[256], g_cr[256], b_cb[256];
};
const JpegColorTerms& jpeg_color_terms();

// ---- Markers and headers (jpeg_markers.cpp) --------------------------------
// Walks segments from *pos within buf[0, len) (and below 65,536); stops at SOF0..3,
// SOI, EOI, SOS with *pos behind the marker. Returns the marker code, the last one
// seen, or a negative error (-8) for a table the state has no room for.
int jpeg_scan_markers(JpegDecoderState* s, const uint8_t* buf, size_t len, size_t* pos);
int jpeg_parse_frame(JpegDecoderState* s, const uint8_t* buf, size_t len, size_t pos);
// Parses the SOS header at `pos` (the length field); *after receives the first byte
// behind it. Returns 0, or -8 when the header is cut.
int jpeg_parse_scan(JpegDecoderState* s, const uint8_t* buf, size_t len, size_t pos, size_t* after);
// Parses one DHT segment body (`seg` points at its length field).
int jpeg_parse_dht(JpegDecoderState* s, const uint8_t* seg, size_t avail);
int jpeg_parse_dqt(JpegDecoderState* s, const uint8_t* seg, size_t avail);
// Reorders the quantisation tables the frame's components select to natural order,
// scaled for the AAN transform. -8 when a component selects a table no DQT defined.
int jpeg_prepare_quant(JpegDecoderState* s, bool dc_only);
// Decides, after the frame header, whether three components are red, green and blue
// rather than YCbCr (sets rgb_components): a JFIF APP0 means YCbCr; otherwise an Adobe
// APP14 decides by its transform (0 RGB, anything else YCbCr); without either,
// component identifiers 'R', 'G', 'B' mean RGB. This is how libjpeg reads them.
void jpeg_decide_colour(JpegDecoderState* s);
// Forgets the colour markers of the previous stream (each stream states its own).
void jpeg_reset_colour(JpegDecoderState* s);

// ---- Huffman look-ups (jpeg_huffman.cpp) -----------------------------------
int jpeg_build_lookups(JpegDecoderState* s);
void jpeg_release_lookups(JpegDecoderState* s);

// ---- Entropy-coded input ---------------------------------------------------
// Bytes come from a buffer (the whole stream, or a 64 KB window of the file that
// the decoder moves forward between MCUs).
struct JpegInput {
    const uint8_t* buf;
    size_t pos, len;
    bool unstuffed;  // gathered progressive data: FF bytes stand for themselves
    // Streaming: the decoder's own window over `file`.
    uint8_t* window;
    FileHandle file;
    int64_t window_file_pos;  // file offset of window[0]
    int64_t stream_end;       // file offset just past the data
};

// Moves a streaming window forward once the read position passed 61,440.
void jpeg_input_advance(JpegInput* in);
// Opens the input over the source page: its stream (owned or borrowed data), or a
// window of its file. Returns 0, -1 or -3.
int jpeg_input_open(JpegInput* in, const PageBitmap* source);
void jpeg_input_close(JpegInput* in);

// Bit reader over entropy-coded bytes: FF 00 yields FF, any other FF xx pair is
// dropped. Past the end it feeds zero bits and counts them, so a decode that uses
// them is known to have run out of data.
struct JpegBits {
    uint64_t acc;
    int bits;         // valid bits in acc (top aligned)
    int padding;      // zero bits fed past the end of the data
    JpegInput* in;
};

// Byte by byte: FF 00 stands for FF, FF and any other byte (a marker) is dropped.
#define JPEG_INLINE inline __attribute__((always_inline))
JPEG_INLINE void jpeg_bits_fill_slow(JpegBits* b) {
    JpegInput* in = b->in;
    while (b->bits <= 56) {
        uint32_t byte;
        if (in->pos >= in->len) {
            byte = 0;
            b->padding += 8;
        } else {
            byte = in->buf[in->pos++];
            if (byte == 0xFF && !in->unstuffed) {
                if (in->pos >= in->len) {
                    byte = 0;
                    b->padding += 8;
                } else {
                    const uint8_t next = in->buf[in->pos++];
                    if (next != 0) continue;  // a marker inside the data: dropped
                }
            }
        }
        b->acc |= (uint64_t)byte << (56 - b->bits);
        b->bits += 8;
    }
}

// Tops the window up to at least 57 bits. Eight bytes without an FF among them (the
// usual case) are taken at once, as many whole bytes as fit.
JPEG_INLINE void jpeg_bits_fill(JpegBits* b) {
    JpegInput* in = b->in;
    if (b->bits > 56) return;
    if (in->pos + 8 <= in->len) {
        uint64_t w;
        std::memcpy(&w, in->buf + in->pos, 8);
        w = __builtin_bswap64(w);
        const uint64_t x = ~w;  // an FF byte becomes a zero byte
        if (in->unstuffed || ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) == 0) {
            const int n = (64 - b->bits) >> 3;
            b->acc |= (w >> (64 - 8 * n)) << (64 - 8 * n - b->bits);
            in->pos += (size_t)n;
            b->bits += 8 * n;
            return;
        }
    }
    jpeg_bits_fill_slow(b);
}
JPEG_INLINE uint32_t jpeg_bits_peek(JpegBits* b, int n) {
    if (b->bits < n) jpeg_bits_fill(b);
    return (uint32_t)(b->acc >> (64 - n));
}
inline void jpeg_bits_skip(JpegBits* b, int n) {
    b->acc <<= n;
    b->bits -= n;
}
JPEG_INLINE uint32_t jpeg_bits_get(JpegBits* b, int n) {
    if (n == 0) return 0;
    const uint32_t v = jpeg_bits_peek(b, n);
    jpeg_bits_skip(b, n);
    return v;
}
// T.81 F.2.2.1: an s-bit value below 2^(s-1) stands for a negative number.
inline int32_t jpeg_extend(uint32_t v, int s) {
    return s == 0 ? 0 : (v < (1u << (s - 1)) ? (int32_t)v - (1 << s) + 1 : (int32_t)v);
}
// True when zero bits past the end of the data were used.
inline bool jpeg_bits_overrun(const JpegBits* b) { return b->padding > b->bits; }
// Drops the bits up to the next byte boundary (after a restart interval).
inline void jpeg_bits_align(JpegBits* b) { jpeg_bits_skip(b, b->bits & 7); }

// Decodes one Huffman symbol; -1 for a code the table does not define.
JPEG_INLINE int jpeg_huff_symbol(JpegBits* b, const uint16_t* fast, const uint16_t* full, int fast_bits,
                            int full_bits) {
    const uint32_t peek = jpeg_bits_peek(b, full_bits);
    uint16_t e = fast[peek >> (full_bits - fast_bits)];
    if (!e) e = full[peek];
    if (!e) return -1;
    jpeg_bits_skip(b, e >> 8);
    return e & 0xFF;
}

// ---- Transform and colour (jpeg_idct.cpp, jpeg_color.cpp) ------------------
// Dequantises and inverse-transforms one block (natural order coefficients) with
// quantisation table `table` into 8 x 8 samples of row stride 8. Blocks whose
// coefficients stay within the table's coef_limit go through a vector version of the
// same integer arithmetic; others (and builds without SSE2) through the scalar one.
void jpeg_idct_block(const int16_t* coef, const JpegDecoderState* s, int table, uint8_t* out);
// The vector transforms by themselves (the tests compare each with the scalar one):
// false, with `out` untouched, when the build or the processor has no such
// instructions or the block's coefficients lie outside the table's coef_limit.
bool jpeg_idct_block_sse2(const int16_t* coef, const JpegDecoderState* s, int table, uint8_t* out);
bool jpeg_idct_block_avx2(const int16_t* coef, const JpegDecoderState* s, int table, uint8_t* out);
// The scalar transform, the reference of the vector ones.
void jpeg_idct_block_scalar(const int16_t* coef, const int32_t* quant, const uint8_t* range_limit,
                            uint8_t* out);
// Fills dequant16 and coef_limit of `table` from its dequant entries.
void jpeg_prepare_idct_table(JpegDecoderState* s, int table);
void jpeg_idct_dc(int32_t dc, const int32_t* quant, const uint8_t* range_limit, uint8_t* out);

// Output of a decode: the pixel buffer and how pixels are written into it.
struct JpegOutput {
    uint8_t* pixels;
    int32_t pitch, width, height;  // target size (already reduced)
    int bpp;                       // 8, 16 or 24
};

// Writes the pixels of one MCU whose samples are in `y` (up to four 8 x 8 blocks in
// raster order), `cb`, `cr`; (x0, y0) is the MCU's top-left output pixel.
void jpeg_put_mcu(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y,
                  const uint8_t* cb, const uint8_t* cr, int x0, int y0, bool half);
// The same through the tables pixel by pixel: the reference of the vector version.
void jpeg_put_mcu_scalar(const JpegDecoderState* s, const JpegOutput* out, const uint8_t* y,
                         const uint8_t* cb, const uint8_t* cr, int x0, int y0, bool half);
void jpeg_put_grey_block(const JpegOutput* out, const uint8_t* samples, int x0, int y0, bool half);
// One-eighth size: one output pixel from Y, Cb, Cr samples.
void jpeg_put_pixel(const JpegDecoderState* s, const JpegOutput* out, int x, int y, int lum, int cb, int cr);
// One-eighth size of a colour MCU: nx x ny pixels from the luma samples `lum` (row by
// row) sharing one Cb and Cr, from (x0, y0); pixels outside the picture are left out.
void jpeg_put_eighth_mcu(const JpegDecoderState* s, const JpegOutput* out, int x0, int y0, int nx, int ny,
                         const uint8_t* lum, int cb, int cr);

// ---- Decoding (jpeg_decode.cpp, jpeg_progressive.cpp) ------------------------
struct JpegFrameGeometry {
    int mcu_w, mcu_h;        // MCU size in pixels
    int mcus_x, mcus_y;
    int luma_blocks;         // 1, 2 or 4
};
int jpeg_geometry(const JpegDecoderState* s, JpegFrameGeometry* g);

int jpeg_decode_baseline(JpegDecoderState* s, JpegInput* in, const JpegOutput* out);
// Gathers the scans of a progressive frame from `in` (positioned at the first scan's
// data; `first_header` is the first SOS header) and decodes them.
int jpeg_decode_progressive(JpegDecoderState* s, JpegInput* in, const uint8_t* first_header,
                            size_t first_header_len, const JpegOutput* out);

// What the decoder takes from the layers above it, which know where the page came
// from: the shared table stream of a JPEG-in-TIFF page (null when the page has none),
// and the hand-over of an Exif segment (`tiff` is its TIFF structure, `length` bytes):
// camera fields and texts into `target`; with JPEG_THUMBNAIL it may make the Exif
// thumbnail the target and answer 1. A null hand-over ignores Exif segments.
struct JpegPageContext {
    const uint8_t* shared_tables;
    size_t shared_tables_length;
    int (*exif_handover)(const uint8_t* tiff, size_t length, PageBitmap* target, int options);
};

// The whole decoder: `source` is the stored page, `target` the page to fill.
// `shared` marks a movie frame whose state (tables, look-ups) lives in the movie.
int decode_jpeg(const PageBitmap* source, PageBitmap* target, int options, bool shared,
                const JpegPageContext& context);
// Still pictures (compression 10) and movie frames (16); the codec registry wraps
// them with the page's context.
int jpeg_decode_page(const PageBitmap* source, PageBitmap* target, int flags, const JpegPageContext& context);
int jpeg_decode_movie_frame(const PageBitmap* source, PageBitmap* target, int flags,
                            const JpegPageContext& context);

// Fills a fresh state for a movie: three components, the range-limit and colour
// tables, and, when `have_tables`, the look-ups of the DHT segments found back to
// back at `tables` (each FF C4 + length). The state becomes info->video_decoder.
int prepare_movie_jpeg_state(ImageFileInfo* info, const uint8_t* tables, size_t tables_len,
                             bool have_tables);

// Releases a JPEG or H.263 decoder state block held by a movie record. The codec
// that prepares the block provides it; until then the block is a plain allocation.
void release_video_decoder(void* state);

