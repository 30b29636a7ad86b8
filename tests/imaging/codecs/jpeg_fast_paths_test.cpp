// The JPEG decoder's fast paths against plain references: the 10-bit look-ahead
// against the two-level Huffman tables for every bit pattern, the bit window's
// eight-byte refill against byte-by-byte fetching over data with stuffed bytes and
// markers, and the vector inverse DCT and colour conversion against the scalar
// ones, bit for bit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "codecs/jpeg_state.h"

namespace {

struct State {
    JpegDecoderState* s = static_cast<JpegDecoderState*>(mem_alloc(sizeof(JpegDecoderState)));
    ~State() {
        jpeg_release_lookups(s);
        mem_free(s);
    }
    bool load_test_tables();
};

// A DHT segment body (length field first) with the four standard tables plus a DC
// and an AC table whose codes run to 12 and 16 bits.
std::vector<uint8_t> tables_segment() {
    std::vector<uint8_t> seg(kJpegStandardDht + 2, kJpegStandardDht + sizeof kJpegStandardDht);
    // DC table 2: one code of each length 1..11 (symbols 0..10), then one of length 12.
    seg.push_back(0x02);
    for (int len = 1; len <= 16; ++len) seg.push_back(len <= 12 ? 1 : 0);
    for (int v = 0; v < 12; ++v) seg.push_back((uint8_t)v);
    // AC table 2: lengths 2..16, symbols with sizes 0..10 and runs 0..15.
    seg.push_back(0x12);
    const int counts[16] = {0, 2, 1, 1, 1, 1, 1, 2, 4, 8, 10, 12, 16, 20, 30, 40};
    int total = 0;
    for (int c : counts) seg.push_back((uint8_t)c), total += c;
    for (int i = 0; i < total; ++i) seg.push_back((uint8_t)(i == 0 ? 0x00 : i == 1 ? 0xF0 : ((i * 37) & 0xF0) | (1 + i % 10)));
    const size_t length = seg.size();
    seg[0] = (uint8_t)(length >> 8), seg[1] = (uint8_t)length;
    return seg;
}

bool State::load_test_tables() {
    const std::vector<uint8_t> seg = tables_segment();
    return jpeg_parse_dht(s, seg.data(), seg.size()) == IMG_OK && jpeg_build_lookups(s) == IMG_OK;
}

// What the two-level tables give for the 16 bits `bits` (top-aligned in a window).
struct Plain {
    bool defined;
    int length, symbol;
};
Plain plain(const uint16_t* fast, const uint16_t* full, int fast_bits, int full_bits, uint32_t bits16) {
    uint16_t e = fast[bits16 >> (16 - fast_bits)];
    if (!e) e = full[bits16 >> (16 - full_bits)];
    return Plain{e != 0, e >> 8, e & 0xFF};
}

TEST(JpegFastPaths, LookAheadAgreesWithTheTwoLevelTables) {
    State st;
    ASSERT_TRUE(st.load_test_tables());
    int checked = 0;
    for (int t = 0; t < 3; ++t)
        for (bool dc : {true, false}) {
            const int32_t* ahead = dc ? st.s->dc_ahead[t] : st.s->ac_ahead[t];
            ASSERT_NE(ahead, nullptr);
            for (uint32_t bits16 = 0; bits16 < 65536; bits16 += 3) {
                const int32_t e = ahead[bits16 >> (16 - JPEG_AHEAD_BITS)];
                const Plain p = dc ? plain(st.s->dc_fast[t], st.s->dc_full[t], 6, 12, bits16)
                                   : plain(st.s->ac_fast[t], st.s->ac_full[t], 8, 16, bits16);
                const int size = dc ? p.symbol : p.symbol & 15;
                const bool fits = p.defined && p.length + size <= JPEG_AHEAD_BITS;
                ASSERT_EQ(e != 0, fits) << "table " << t << (dc ? " DC" : " AC") << " bits " << bits16;
                if (!e) continue;
                EXPECT_EQ(e & 0xFF, p.length + size);
                const uint32_t raw = size ? (bits16 >> (16 - p.length - size)) & ((1u << size) - 1) : 0;
                EXPECT_EQ(e >> 16, jpeg_extend(raw, size));
                if (!dc) {
                    const int run = p.symbol >> 4;
                    EXPECT_EQ((e >> 8) & 0xFF, size == 0 && run != 15 ? JPEG_AHEAD_END : run);
                }
                ++checked;
            }
        }
    EXPECT_GT(checked, 50000);
}

// The skip entries of one-eighth size against decoding the same 12 bits code by code.
TEST(JpegFastPaths, SkipEntriesAgreeWithCodeByCodeDecoding) {
    State st;
    ASSERT_TRUE(st.load_test_tables());
    int groups = 0;
    for (int t = 0; t < 3; ++t)
        for (uint32_t i = 0; i < (1u << JPEG_SKIP_BITS); ++i) {
            const uint16_t e = st.s->ac_skip[t][i];
            // Code by code over the known bits: whole codes, their advances.
            int used = 0, before = 0, last = -1, codes = 0;
            const int want = e >> 12;
            while (used < want) {
                const uint32_t bits16 = ((i << used) & 0xFFF) << 4;
                const Plain p = plain(st.s->ac_fast[t], st.s->ac_full[t], 8, 16, bits16);
                ASSERT_TRUE(p.defined) << i;
                const int run = p.symbol >> 4, size = p.symbol & 15;
                if (last >= 0) before += last;
                last = size == 0 && run != 15 ? 0 : run + 1;
                used += p.length + size;
                ++codes;
            }
            if (!e) {
                const Plain p = plain(st.s->ac_fast[t], st.s->ac_full[t], 8, 16, (i & 0xFFF) << 4);
                EXPECT_TRUE(!p.defined || p.length + (p.symbol & 15) > JPEG_SKIP_BITS) << i;
                continue;
            }
            ASSERT_EQ(used, want) << i;
            EXPECT_EQ((e >> 6) & 63, before) << i;
            EXPECT_EQ(e & 63, last) << i;
            groups += codes > 1;
        }
    EXPECT_GT(groups, 1000);
}

// A bit window over `data`.
struct Reader {
    JpegInput in{};
    JpegBits b{};
    Reader(const std::vector<uint8_t>& data, bool unstuffed) {
        in.buf = data.data(), in.len = data.size(), in.unstuffed = unstuffed;
        b.in = &in;
    }
};

// Reads `n` bits one at a time with the byte-by-byte refill only.
std::vector<int> slow_bits(const std::vector<uint8_t>& data, bool unstuffed, size_t n) {
    Reader r(data, unstuffed);
    std::vector<int> out;
    while (out.size() < n) {
        if (r.b.bits < 1) jpeg_bits_fill_slow(&r.b);
        out.push_back((int)(r.b.acc >> 63));
        jpeg_bits_skip(&r.b, 1);
    }
    return out;
}

// Reads the same bits in pieces of 1 to 31 through the eight-byte refill.
std::vector<int> fast_bits(const std::vector<uint8_t>& data, bool unstuffed, size_t n, std::mt19937& rng) {
    Reader r(data, unstuffed);
    std::vector<int> out;
    while (out.size() < n) {
        const int k = 1 + (int)(rng() % 31);
        const uint32_t v = jpeg_bits_get(&r.b, k);
        for (int i = k - 1; i >= 0; --i) out.push_back((int)((v >> i) & 1));
    }
    out.resize(n);
    return out;
}

TEST(JpegFastPaths, EightByteRefillReadsTheSameBitsAsByteByByte) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        std::vector<uint8_t> data(200 + rng() % 300);
        for (uint8_t& v : data) v = (uint8_t)rng();
        // Stuffed FF 00 pairs, restart markers and runs of FF fill bytes.
        for (int i = 0; i < 12; ++i) {
            const size_t at = rng() % (data.size() - 3);
            const int kind = (int)(rng() % 3);
            data[at] = 0xFF;
            data[at + 1] = kind == 0 ? 0x00 : kind == 1 ? (uint8_t)(0xD0 + rng() % 8) : 0xFF;
        }
        for (bool unstuffed : {false, true}) {
            const size_t n = data.size() * 8 + 40;  // runs past the end into zero padding
            EXPECT_EQ(slow_bits(data, unstuffed, n), fast_bits(data, unstuffed, n, rng)) << "round " << round;
        }
    }
}

// Blocks of every kind: typical sparse ones, dense ones, extremes of 16-bit
// coefficients; tables of 8-bit and 16-bit quantisers (the latter too large for the
// vector path, which must then give way to the scalar one).
TEST(JpegFastPaths, VectorInverseDctIsTheScalarOneBitForBit) {
    State st;
    jpeg_fill_range_limit(st.s);
    std::mt19937 rng(11);
    int blocks = 0, vector_sse2 = 0, vector_avx2 = 0;
    for (int table_kind = 0; table_kind < 4; ++table_kind) {
        st.s->component_count = 1;
        for (int i = 0; i < 64; ++i) {
            const int q8 = 1 + (int)(rng() % (table_kind == 0 ? 16 : 255));
            st.s->quant[0][i] = table_kind == 3 ? 1 + (int32_t)(rng() % 65535) : table_kind == 2 ? 1 : q8;
        }
        st.s->quant_present[0] = 1;  // as a DQT segment would
        ASSERT_EQ(jpeg_prepare_quant(st.s, false), IMG_OK);
        for (int n = 0; n < 3000; ++n) {
            alignas(16) int16_t coef[64] = {};
            const int kind = n % 4;
            const int count = kind == 0 ? 1 + (int)(rng() % 6) : 64;
            for (int i = 0; i < count; ++i) {
                const int at = kind == 0 ? (int)(rng() % 64) : i;
                const int span = kind == 1 ? 64 : kind == 2 ? 2048 : 65536;
                int v = (int)(rng() % (unsigned)span) - span / 2;
                if (kind == 3 && rng() % 8 == 0) v = rng() % 2 ? 32767 : -32768;
                coef[at] = (int16_t)v;
            }
            alignas(16) uint8_t ref[64], vec[64], any[64];
            jpeg_idct_block_scalar(coef, st.s->dequant[0], st.s->range_limit, ref);
            for (bool avx2 : {false, true}) {
                const bool taken = avx2 ? jpeg_idct_block_avx2(coef, st.s, 0, vec) : jpeg_idct_block_sse2(coef, st.s, 0, vec);
                if (!taken) continue;
                ASSERT_EQ(0, std::memcmp(vec, ref, 64)) << (avx2 ? "AVX2" : "SSE2") << " table kind " << table_kind << " block " << n;
                ++(avx2 ? vector_avx2 : vector_sse2);
            }
            jpeg_idct_block(coef, st.s, 0, any);
            ASSERT_EQ(0, std::memcmp(any, ref, 64)) << "table kind " << table_kind << " block " << n;
            ++blocks;
        }
    }
    EXPECT_EQ(blocks, 12000);
    // Most blocks lie within the vector range, where the machine has the instructions.
    std::printf("  blocks through SSE2: %d, through AVX2: %d\n", vector_sse2, vector_avx2);
#if defined(__x86_64__)
    EXPECT_GT(vector_sse2, 4000);
#endif
}

// Every sampling at full and half size, 24-bit and RGB565, MCUs cut by the right
// and bottom edges; samples at random, so every clamp case occurs.
TEST(JpegFastPaths, VectorColourConversionIsTheScalarOneBitForBit) {
    State st;
    jpeg_fill_color_tables(st.s);
    std::mt19937 rng(5);
    alignas(16) uint8_t y[4 * 64], cb[64], cr[64];
    int mcus = 0;
    for (uint8_t sampling : {0x11, 0x12, 0x21, 0x22})
        for (bool half : {false, true})
            for (int bpp : {24, 16})
                for (int n = 0; n < 60; ++n) {
                    for (uint8_t& v : y) v = (uint8_t)rng();
                    for (int i = 0; i < 64; ++i) cb[i] = (uint8_t)rng(), cr[i] = (uint8_t)rng();
                    st.s->sampling = sampling;
                    const int w = 1 + (int)(rng() % 20), h = 1 + (int)(rng() % 20);
                    const int pitch = row_bytes_aligned(w, bpp);
                    std::vector<uint8_t> vec((size_t)pitch * (h + 1), 0xAA), ref = vec;
                    JpegOutput ov{vec.data(), pitch, w, h, bpp}, orf{ref.data(), pitch, w, h, bpp};
                    jpeg_put_mcu(st.s, &ov, y, cb, cr, 0, 0, half);
                    jpeg_put_mcu_scalar(st.s, &orf, y, cb, cr, 0, 0, half);
                    ASSERT_EQ(vec, ref) << "sampling " << (int)sampling << (half ? " half " : " full ") << bpp << " bits, " << w
                                        << " x " << h;
                    ++mcus;
                }
    EXPECT_EQ(mcus, 960);
}

}  // namespace
