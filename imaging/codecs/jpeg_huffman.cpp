// Two-level Huffman look-ups of the JPEG decoder: canonical codes (ITU-T T.81
// Annex C) entered as (length << 8) | symbol into a fast table of the next 6 (DC)
// or 8 (AC) bits and a full table of the next 12 (DC) or 16 (AC) bits; and a
// look-ahead of the next 10 bits that resolves a short code together with the bits
// of its value (T.81 F.2.2.1), so most coefficients take one table read.
#include <cstring>

#include "codecs/jpeg_state.h"

namespace {

struct TableShape {
    int fast_bits, full_bits;
};
constexpr TableShape kDc{6, 12}, kAc{8, 16};

// Enters every code of `raw` (counts then symbols); -8 for codes the table cannot
// hold or a code set that overflows its lengths.
int fill_lookup(const int32_t* raw, TableShape shape, uint16_t* fast, uint16_t* full) {
    uint32_t code = 0;
    int k = 16;
    for (int len = 1; len <= 16; ++len) {
        const int count = raw[len - 1];
        if (count && len > shape.full_bits) return ERR_BAD_HEADER;
        for (int i = 0; i < count; ++i, ++code, ++k) {
            if (code >= (1u << len)) return ERR_BAD_HEADER;
            const uint16_t entry = (uint16_t)(len << 8 | (raw[k] & 0xFF));
            const bool short_code = len <= shape.fast_bits;
            const int width = short_code ? shape.fast_bits : shape.full_bits;
            uint16_t* table = short_code ? fast : full;
            const uint32_t first = code << (width - len), n = 1u << (width - len);
            for (uint32_t j = 0; j < n; ++j) table[first + j] = entry;
        }
        code <<= 1;
    }
    return IMG_OK;
}

// The symbol whose code begins the 10 bits `i`, and its code length; 0 when the code
// is longer than 10 bits or undefined.
int symbol_of(const uint16_t* fast, const uint16_t* full, TableShape shape, uint32_t i, int* length) {
    uint16_t e = fast[i >> (JPEG_AHEAD_BITS - shape.fast_bits)];
    if (!e) e = full[i << (shape.full_bits - JPEG_AHEAD_BITS)];
    *length = e >> 8;
    return e && *length <= JPEG_AHEAD_BITS ? e : 0;
}

// Value bits that follow a code of `length` bits in `i`, extended (0 for size 0).
int32_t value_after(uint32_t i, int length, int size) {
    if (size == 0) return 0;
    const uint32_t v = (i >> (JPEG_AHEAD_BITS - length - size)) & ((1u << size) - 1);
    return jpeg_extend(v, size);
}

// DC entries: (difference << 16) | (code + value bits).
void fill_dc_ahead(const uint16_t* fast, const uint16_t* full, int32_t* ahead) {
    for (uint32_t i = 0; i < (1u << JPEG_AHEAD_BITS); ++i) {
        int length = 0;
        const int e = symbol_of(fast, full, kDc, i, &length);
        const int size = e & 0xFF;
        ahead[i] = e && size <= 16 && length + size <= JPEG_AHEAD_BITS
                       ? (int32_t)((uint32_t)value_after(i, length, size) << 16) | (length + size)
                       : 0;
    }
}

// AC entries: (value << 16) | (run << 8) | (code + value bits). A size-0 symbol other
// than sixteen zeros ends the block; it is entered with the run JPEG_AHEAD_END.
void fill_ac_ahead(const uint16_t* fast, const uint16_t* full, int32_t* ahead) {
    for (uint32_t i = 0; i < (1u << JPEG_AHEAD_BITS); ++i) {
        int length = 0;
        const int e = symbol_of(fast, full, kAc, i, &length);
        const int run = (e >> 4) & 15, size = e & 15;
        if (!e || length + size > JPEG_AHEAD_BITS) {
            ahead[i] = 0;
            continue;
        }
        const int advance = size == 0 && run != 15 ? JPEG_AHEAD_END : run;
        ahead[i] = (int32_t)((uint32_t)value_after(i, length, size) << 16) | advance << 8 | (length + size);
    }
}

// Skip entries: whole codes with their value bits, as many as the 12 bits hold, up to
// and including an end of block, while the advance before the last stays below 64.
void fill_ac_skip(const uint16_t* fast, const uint16_t* full, uint16_t* skip) {
    for (uint32_t i = 0; i < (1u << JPEG_SKIP_BITS); ++i) {
        int used = 0, before = 0, last = -1;
        for (;;) {
            const uint32_t rest = (i << used) & ((1u << JPEG_SKIP_BITS) - 1);  // known bits, top-aligned
            const uint32_t window = rest << (16 - JPEG_SKIP_BITS);
            uint16_t e = fast[window >> 8];
            if (!e) e = full[window];
            const int length = e >> 8, run = (e >> 4) & 15, size = e & 15;
            if (!e || used + length + size > JPEG_SKIP_BITS) break;
            const int advance = size == 0 && run != 15 ? 0 : run + 1;  // 0: end of block
            if (last >= 0 && before + last > 63) break;
            if (last >= 0) before += last;
            last = advance;
            used += length + size;
            if (advance == 0) break;
        }
        skip[i] = last < 0 ? 0 : (uint16_t)(used << 12 | before << 6 | last);
    }
}

}  // namespace

void jpeg_release_lookups(JpegDecoderState* s) {
    for (int t = 0; t < 4; ++t) {
        mem_free(s->dc_fast[t]);
        mem_free(s->ac_fast[t]);
        s->dc_fast[t] = s->dc_full[t] = s->ac_fast[t] = s->ac_full[t] = nullptr;
        s->dc_ahead[t] = s->ac_ahead[t] = nullptr;
        s->ac_skip[t] = nullptr;
    }
    s->lookups_built = false;
}

int jpeg_build_lookups(JpegDecoderState* s) {
    jpeg_release_lookups(s);
    for (int slot = 0; slot < 8; ++slot) {
        if (!s->huff_present[slot]) continue;
        const bool dc = slot < 4;
        const TableShape shape = dc ? kDc : kAc;
        const size_t entries = (1u << shape.fast_bits) + (1u << shape.full_bits);
        const size_t skip_entries = dc ? 0 : (1u << JPEG_SKIP_BITS);
        const size_t bytes = (entries + skip_entries) * sizeof(uint16_t) + (1u << JPEG_AHEAD_BITS) * sizeof(int32_t);
        uint16_t* block = static_cast<uint16_t*>(mem_alloc(bytes));
        if (!block) return ERR_MEMORY;
        uint16_t* full = block + (1u << shape.fast_bits);
        int32_t* ahead = reinterpret_cast<int32_t*>(block + entries);  // entries is even: 4-byte aligned
        (dc ? s->dc_fast : s->ac_fast)[slot & 3] = block;
        (dc ? s->dc_full : s->ac_full)[slot & 3] = full;
        (dc ? s->dc_ahead : s->ac_ahead)[slot & 3] = ahead;
        if (int rc = fill_lookup(s->huff_raw[slot], shape, block, full)) return rc;
        if (dc) {
            fill_dc_ahead(block, full, ahead);
        } else {
            fill_ac_ahead(block, full, ahead);
            s->ac_skip[slot & 3] = reinterpret_cast<uint16_t*>(ahead + (1u << JPEG_AHEAD_BITS));
            fill_ac_skip(block, full, s->ac_skip[slot & 3]);
        }
    }
    s->lookups_built = true;
    return IMG_OK;
}
