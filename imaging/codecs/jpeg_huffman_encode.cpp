// Huffman coding of the JPEG encoder (ITU-T T.81 F.1.2): canonical codes of the DHT
// tables (Annex C), DC differences and AC run/size symbols with their value bits,
// packed most significant bit first. Bits gather in a 64-bit word that is written
// out whole; the 0x00 that must follow every 0xFF byte of entropy-coded data (T.81
// B.1.1.5) is put in as the word is written, so the stream needs no second pass.
#include <cstring>

#include "base/records.h"
#include "codecs/jpeg_encode.h"

#if defined(__SSE2__) || defined(_M_X64)
#define JPEG_HUFF_SSE2 1
#include <emmintrin.h>
#endif

namespace {

void make_class(const int32_t* raw, uint32_t* codes) {
    std::memset(codes, 0, 256 * sizeof *codes);
    uint32_t code = 0;
    int k = 16;
    for (int len = 1; len <= 16; ++len) {
        for (int i = 0; i < raw[len - 1] && k < 16 + 256; ++i, ++k) codes[raw[k] & 0xFF] = code++ << 8 | (uint32_t)len;
        code <<= 1;
    }
}

// Bit n of the mask of a natural-order block row (byte i) set at its zigzag position:
// eight tables of 256 masks, ORed together over the rows.
struct ZigzagMasks {
    uint64_t row[8][256];
    ZigzagMasks() {
        uint8_t zigzag_of[64];
        for (int k = 0; k < 64; ++k) zigzag_of[kJpegZigzag[k]] = (uint8_t)k;
        for (int r = 0; r < 8; ++r)
            for (int v = 0; v < 256; ++v) {
                uint64_t m = 0;
                for (int c = 0; c < 8; ++c)
                    if (v >> c & 1) m |= 1ull << zigzag_of[r * 8 + c];
                row[r][v] = m;
            }
    }
};
const ZigzagMasks& zigzag_masks() {
    static const ZigzagMasks masks;
    return masks;
}

// Non-zero coefficients of a natural-order block as a mask in natural order.
inline uint64_t nonzero_natural(const int16_t* coef) {
#ifdef JPEG_HUFF_SSE2
    const __m128i zero = _mm_setzero_si128();
    uint64_t zeros = 0;
    #pragma GCC unroll 4
    for (int r = 0; r < 8; r += 2) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 8 * r));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 8 * r + 8));
        const __m128i eq = _mm_packs_epi16(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero));
        zeros |= (uint64_t)(uint32_t)_mm_movemask_epi8(eq) << (8 * r);
    }
    return ~zeros;
#else
    uint64_t m = 0;
    for (int i = 0; i < 64; ++i) m |= (uint64_t)(coef[i] != 0) << i;
    return m;
#endif
}

// The same mask in zigzag order.
inline uint64_t nonzero_zigzag(const int16_t* coef) {
    const ZigzagMasks& z = zigzag_masks();
    const uint64_t natural = nonzero_natural(coef);
    uint64_t m = 0;
    #pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) m |= z.row[r][(natural >> (8 * r)) & 0xFF];
    return m;
}

constexpr uint64_t kOnes = 0x0101010101010101ull;

// Writes the eight bytes of `acc`, a 0x00 after each 0xFF among them.
inline uint8_t* put_word(uint8_t* out, uint64_t acc) {
    const uint64_t inverted = ~acc;  // a 0xFF byte becomes a zero byte
    if (((inverted - kOnes) & ~inverted & (kOnes << 7)) == 0) {
        const uint64_t be = __builtin_bswap64(acc);
        std::memcpy(out, &be, 8);
        return out + 8;
    }
    for (int shift = 56; shift >= 0; shift -= 8) {
        const uint8_t byte = (uint8_t)(acc >> shift);
        *out++ = byte;
        if (byte == 0xFF) *out++ = 0;
    }
    return out;
}

// The writer's state in locals for the length of a block.
struct Bits {
    uint64_t acc;
    int free_bits;
    uint8_t* out;

    // Puts the low `size` bits of `code` (size 1..32).
    inline void put(uint64_t code, int size) {
        free_bits -= size;
        if (free_bits >= 0) {
            acc = acc << size | code;
            return;
        }
        // The word fills up: its last -free_bits bits wait in acc for the next one.
        out = put_word(out, acc << (size + free_bits) | code >> -free_bits);
        acc = code;
        free_bits += 64;
    }
};

// The magnitude category of v (v != 0) and its value bits (negative values as
// v - 1, T.81 F.1.2.1).
inline int category(int32_t v) { return 32 - __builtin_clz((uint32_t)(v < 0 ? -v : v)); }
inline uint32_t value_bits(int32_t v, int size) { return (uint32_t)(v + (v >> 31)) & ((1u << size) - 1); }

}  // namespace

void jpeg_make_codes(const int32_t* dc_raw, const int32_t* ac_raw, JpegHuffmanCodes* out) {
    make_class(dc_raw, out->dc);
    make_class(ac_raw, out->ac);
}

int jpeg_writer_reserve(JpegBitWriter* w, size_t more) {
    if (w->cap - w->pos >= more) return IMG_OK;
    size_t cap = w->cap * 2;
    if (cap < w->pos + more) cap = w->pos + more;
    uint8_t* grown = static_cast<uint8_t*>(mem_alloc(cap));
    if (!grown) return ERR_MEMORY;
    if (w->pos) std::memcpy(grown, w->buf, w->pos);
    mem_free(w->buf);
    w->buf = grown;
    w->cap = cap;
    return IMG_OK;
}

void jpeg_encode_block(JpegBitWriter* w, const int16_t* coef, int32_t* dc_pred, const JpegHuffmanCodes& codes) {
    Bits b{w->acc, w->free_bits, w->buf + w->pos};
    // DC: the difference to the previous block's DC, category then value bits.
    const int32_t diff = coef[0] - *dc_pred;
    *dc_pred = coef[0];
    if (diff == 0) {
        b.put(codes.dc[0] >> 8, (int)(codes.dc[0] & 0xFF));
    } else {
        const int size = category(diff);
        const uint32_t e = codes.dc[size];
        b.put((uint64_t)(e >> 8) << size | value_bits(diff, size), (int)(e & 0xFF) + size);
    }
    // AC: each non-zero coefficient in zigzag order after the zeros before it.
    uint64_t nonzero = nonzero_zigzag(coef) & ~1ull;
    int last = 0;
    while (nonzero) {
        const int k = __builtin_ctzll(nonzero);
        nonzero &= nonzero - 1;
        int run = k - last - 1;
        last = k;
        for (; run > 15; run -= 16) b.put(codes.ac[0xF0] >> 8, (int)(codes.ac[0xF0] & 0xFF));
        const int32_t v = coef[kJpegZigzag[k]];
        const int size = category(v);
        const uint32_t e = codes.ac[run << 4 | size];
        b.put((uint64_t)(e >> 8) << size | value_bits(v, size), (int)(e & 0xFF) + size);
    }
    if (last != 63) b.put(codes.ac[0] >> 8, (int)(codes.ac[0] & 0xFF));
    w->acc = b.acc;
    w->free_bits = b.free_bits;
    w->pos = (size_t)(b.out - w->buf);
}

void jpeg_writer_flush_bits(JpegBitWriter* w) {
    int bits = 64 - w->free_bits;
    const uint64_t top = bits ? w->acc << w->free_bits : 0;  // valid bits at the top
    for (int shift = 56; bits > 0; bits -= 8, shift -= 8) {
        const uint8_t byte = (uint8_t)(top >> shift);  // the last one ends in 0 bits
        w->buf[w->pos++] = byte;
        if (byte == 0xFF) w->buf[w->pos++] = 0;
    }
    w->acc = 0;
    w->free_bits = 64;
}
