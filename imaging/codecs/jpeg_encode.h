// JPEG encoder and its stages: colour conversion of source rows into level-shifted
// Y, Cb, Cr planes (jpeg_color_encode.cpp), the AAN forward DCT with quantisation
// (jpeg_fdct.cpp) and the Huffman coder with its output (jpeg_huffman_encode.cpp),
// put together into one baseline stream by jpeg_encode.cpp (ITU-T T.81, sequential
// Huffman-coded frames with the standard tables of Annex K).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/jpeg_state.h"

// Encoder options (convert_page's flags when the target is a JPEG compression).
enum {
    JPEG_QUALITY_MASK = 3,     // 0 Highest, 1 High, 2 Medium, 3 Low
    JPEG_SUBSAMPLE = 4,        // chroma sampled 2 x 2
    JPEG_ENCODE_OPTIONS = 7,   // every other bit is refused
};

// The base quantisation tables of T.81 K.1 (luminance) and K.2 (chrominance), in
// natural order (jpeg_tables.cpp).
extern const uint8_t kJpegLuminanceQuant[64];
extern const uint8_t kJpegChrominanceQuant[64];

// Quantisation of one table, natural order. Coefficient c becomes
// sign(c) x ((|c| + divisor / 2) / divisor); the vector kernels compute the same
// quotient as ((|c| + correction) x reciprocal >> 16) x scale >> 16, which equals it
// for every |c| below 32,768 (the transform's results stay far below that).
struct JpegQuantDivisors {
    int32_t divisor[64];
    uint16_t correction[64];
    uint16_t reciprocal[64];
    uint16_t scale[64];
    bool vector_ok;  // divisors 1 and 2 have no such form: the scalar path takes the table
};

// Builds the divisors of a table of quantisation values `q` (natural order) folded
// with the AAN scale factors: divisor = (q x scale) >> 11, at least 1.
void jpeg_make_divisors(const int32_t* q_natural, JpegQuantDivisors* out);
// Sets entry i to divisor d (and its vector form, or clears vector_ok when d has none).
void jpeg_set_divisor(JpegQuantDivisors* q, int i, int32_t d);
// The quotient of one non-negative magnitude by the vector form (the model of one lane).
inline int32_t jpeg_quantize_by_reciprocal(uint32_t magnitude, const JpegQuantDivisors& q, int i) {
    const uint32_t t = ((magnitude + q.correction[i]) & 0xFFFF) * q.reciprocal[i] >> 16;
    return (int32_t)(t * q.scale[i] >> 16);
}

// Huffman codes of one component class: for each DC and AC symbol (code << 8) |
// code length, 0 for a symbol the table does not define.
struct JpegHuffmanCodes {
    uint32_t dc[256];
    uint32_t ac[256];
};
// Canonical codes (T.81 Annex C) of DHT tables held as code-length counts then
// symbols (the decoder's huff_raw form).
void jpeg_make_codes(const int32_t* dc_raw, const int32_t* ac_raw, JpegHuffmanCodes* out);

// Output of the entropy coder: the growing stream and the bit accumulator. Bits are
// put most significant first into a 64-bit word that is written out whole; every
// 0xFF byte written from it is followed by a stuffed 0x00.
struct JpegBitWriter {
    uint8_t* buf;
    size_t pos, cap;
    uint64_t acc;
    int free_bits;  // room left in acc; the valid bits are its low 64 - free_bits
};
// Room for at least `more` bytes beyond pos: grows the buffer (moving its contents)
// when needed. -1 when it cannot.
int jpeg_writer_reserve(JpegBitWriter* w, size_t more);
// Most bytes one block can take in the stream, stuffing included.
constexpr size_t JPEG_BLOCK_MAX_BYTES = 512;
// Codes one block of quantised coefficients (natural order) after its DC difference
// to *dc_pred, which becomes its DC. The caller reserved JPEG_BLOCK_MAX_BYTES.
void jpeg_encode_block(JpegBitWriter* w, const int16_t* coef, int32_t* dc_pred, const JpegHuffmanCodes& codes);
// Writes the bits still held, the last byte completed with 0 bits.
void jpeg_writer_flush_bits(JpegBitWriter* w);

// The stage kernels of one instruction set. The scalar set is the reference: the
// others give the same results bit for bit.
struct JpegEncodeKernels {
    // One row of 24-bit pixels (blue, green, red) to Y, Cb and Cr samples (4:4:4).
    void (*ycc_row)(const uint8_t* bgr, int width, int16_t* y, int16_t* cb, int16_t* cr);
    // Two rows to the Y of both and one Cb, Cr per 2 x 2 group ((width + 1) / 2 each;
    // with an odd width the last column stands for the missing one).
    void (*ycc_rows_420)(const uint8_t* row0, const uint8_t* row1, int width, int16_t* y0, int16_t* y1,
                         int16_t* cb, int16_t* cr);
    // One row of 8-bit grey levels to Y samples.
    void (*grey_row)(const uint8_t* src, int width, int16_t* y);
    // Transforms and quantises two blocks of samples (rows `stride` samples apart),
    // both with table `q`, into natural-order coefficients. `a` and `b` may be equal.
    void (*fdct_pair)(const int16_t* a, const int16_t* b, ptrdiff_t stride, const JpegQuantDivisors* q,
                      int16_t* out_a, int16_t* out_b);
};
enum JpegKernelSet { JPEG_KERNELS_SCALAR, JPEG_KERNELS_SSE2, JPEG_KERNELS_AVX2 };
// The kernels of `set`; false when this build or processor has no such instructions.
bool jpeg_encode_kernels(JpegKernelSet set, JpegEncodeKernels* out);
// The fastest set this processor runs.
const JpegEncodeKernels& jpeg_best_kernels();

// Colour and DCT kernels by stage (jpeg_color_encode.cpp, jpeg_fdct.cpp); each
// vector version is null when the build lacks the instructions.
void jpeg_color_kernels(JpegKernelSet set, JpegEncodeKernels* k);
void jpeg_fdct_kernels(JpegKernelSet set, JpegEncodeKernels* k);
bool jpeg_cpu_has_avx2();

// The encoder entry of convert_page for compressions 10 (JFIF) and 16 (Motion-JPEG
// frame, "AVI1" in APP0): one complete stream of an 8-bit (grey levels, or the
// colours of its palette), 16-bit RGB565 or 24-bit page. -6 for other pages, options
// above 7 or another target compression; -1 when memory runs out.
int jpeg_encode_page(const PageBitmap* source, PageBitmap* target, int flags);
// The same with the given kernels (tests compare the sets through whole streams).
int jpeg_encode_page_with(const PageBitmap* source, PageBitmap* target, int flags, const JpegEncodeKernels& k);
