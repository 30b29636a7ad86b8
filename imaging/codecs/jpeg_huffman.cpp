// Two-level Huffman look-ups of the JPEG decoder: canonical codes (ITU-T T.81
// Annex C) entered as (length << 8) | symbol into a fast table of the next 6 (DC)
// or 8 (AC) bits and a full table of the next 12 (DC) or 16 (AC) bits.
#include <cstring>

#include "jpeg_state.h"

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

}  // namespace

void jpeg_release_lookups(JpegDecoderState* s) {
    for (int t = 0; t < 4; ++t) {
        mem_free(s->dc_fast[t]);
        mem_free(s->ac_fast[t]);
        s->dc_fast[t] = s->dc_full[t] = s->ac_fast[t] = s->ac_full[t] = nullptr;
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
        uint16_t* block = static_cast<uint16_t*>(mem_alloc(entries * sizeof(uint16_t)));
        if (!block) return ERR_MEMORY;
        uint16_t* full = block + (1u << shape.fast_bits);
        (dc ? s->dc_fast : s->ac_fast)[slot & 3] = block;
        (dc ? s->dc_full : s->ac_full)[slot & 3] = full;
        if (int rc = fill_lookup(s->huff_raw[slot], shape, block, full)) return rc;
    }
    s->lookups_built = true;
    return IMG_OK;
}
