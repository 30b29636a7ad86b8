// PCX run-length decoder (ZSoft PCX format): a byte of 0xC0 or more repeats the next
// byte (low six bits) times, any other byte stands for itself; runs may cross row
// ends. Planar rows are then interleaved (24-bit) or packed (4-plane 16-colour).
#include <cstring>

#include "base/checked_math.h"
#include "codecs/run_form.h"
#include "codecs/rle_pcx.h"

namespace {

// Row geometry of a PCX page.
struct PcxRows {
    int32_t out_pitch;    // L: aligned output row
    int32_t coded;        // C: bytes of one encoded row (all planes)
    int32_t plane_width;  // bytes of one plane within the encoded row
};

bool supported_depth(const PageBitmap& p) {
    const int planes = p.planes > 0 ? p.planes : 1;
    switch (p.bits_per_pixel) {
    case 1: return planes == 1;
    case 4: return planes == 1 || planes == 4;
    case 8: return planes == 1;
    case 24: return planes == 3;
    default: return false;
    }
}

// The encoded row is the header's bytes per line times the planes. It replaces the
// packed row size when it is at least as long (planes padded to even lengths) or
// falls short by at most 5 bytes; a header whose lines are far too short is ignored.
PcxRows pcx_rows(const PageBitmap& p) {
    PcxRows r{};
    const int planes = p.planes > 0 ? p.planes : 1;
    r.out_pitch = row_bytes_aligned(p.width, p.bits_per_pixel);
    const int32_t packed = row_bytes_packed(p.width, p.bits_per_pixel);
    r.coded = (p.pitch >= packed || packed - p.pitch <= 5) && p.pitch > 0 ? p.pitch : packed;
    r.plane_width = planes > 1 ? r.coded / planes : r.coded;
    return r;
}

// 4 planes of 1 bit: pixel value bit k comes from plane k; two pixels per byte.
void pack_planes(const uint8_t* in, int32_t plane_width, int32_t width, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x) {
        const int32_t byte = x >> 3;
        const int shift = 7 - (x & 7);
        int v = 0;
        for (int plane = 0; plane < 4; ++plane) v |= ((in[plane * plane_width + byte] >> shift) & 1) << plane;
        out[x >> 1] |= (uint8_t)((x & 1) ? v : v << 4);
    }
}

// Three planes of red, green and blue bytes into blue-green-red pixels.
void interleave_planes(const uint8_t* in, int32_t plane_width, int32_t width, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x) {
        out[3 * x] = in[2 * plane_width + x];
        out[3 * x + 1] = in[plane_width + x];
        out[3 * x + 2] = in[x];
    }
}

// Stores one completed encoded row in the output.
int emit_row(const PageBitmap& p, const PcxRows& r, const uint8_t* row, uint8_t* out, RunsBuilder* runs) {
    if (p.bits_per_pixel == 1) return runs_add_packed_row(runs, row, (size_t)r.coded, p.black_is_one != 0);
    if (p.bits_per_pixel == 24) interleave_planes(row, r.plane_width, p.width, out);
    else if (p.bits_per_pixel == 4 && p.planes == 4) pack_planes(row, r.plane_width, p.width, out);
    else std::memcpy(out, row, (size_t)(r.coded < r.out_pitch ? r.coded : r.out_pitch));
    return IMG_OK;
}

// Runs the PCX coding over the stored bytes; each completed row goes to emit_row.
int decode_rows(const PageBitmap& p, const PcxRows& r, uint8_t* scratch, uint8_t* pixels, RunsBuilder* runs) {
    const uint8_t* in = p.data + p.data_offset;
    const size_t size = p.data_length > 0 ? (size_t)p.data_length : 0;
    size_t pos = 0;
    int count = 0;  // bytes of a run still to write
    uint8_t value = 0;
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < r.coded; ++x) {
            if (count == 0) {
                if (pos >= size) return ERR_DECOMPRESS;
                value = in[pos++];
                count = 1;
                if (value >= 0xC0) {
                    count = value & 0x3F;
                    if (count == 0 || pos >= size) return ERR_DECOMPRESS;
                    value = in[pos++];
                }
            }
            scratch[x] = value;
            --count;
        }
        uint8_t* out = pixels ? pixels + (size_t)y * r.out_pitch : nullptr;
        if (int rc = emit_row(p, r, scratch, out, runs)) return rc;
    }
    return IMG_OK;
}

}  // namespace

int pcx_decode(const PageBitmap* source, PageBitmap* target, int flags) {
    (void)flags;
    const PageBitmap& p = *source;
    if (!supported_depth(p)) return ERR_PARAMETER;
    if (!p.data || p.width <= 0 || p.height <= 0) return ERR_PARAMETER;
    const PcxRows r = pcx_rows(p);
    size_t out_size = 0;
    if (r.out_pitch <= 0 || row_bytes_packed(p.width, p.bits_per_pixel) > r.out_pitch ||
        !checked_mul((size_t)r.out_pitch, (size_t)p.height, &out_size, (size_t)kMaxPageBytes))
        return ERR_UNSUPPORTED;
    // Scratch: one encoded row, zero beyond it so short planes read as 0.
    const size_t scratch_size = (size_t)(r.coded > 4 * r.out_pitch ? r.coded : 4 * r.out_pitch) + 16;
    uint8_t* scratch = static_cast<uint8_t*>(mem_alloc(scratch_size));
    if (!scratch) return ERR_MEMORY;
    RunsBuilder runs;
    uint8_t* pixels = nullptr;
    int rc = IMG_OK;
    if (p.bits_per_pixel == 1) rc = runs_begin(&runs, p.width, p.height, (size_t)p.height * (size_t)p.width / 2);
    else if (!(pixels = static_cast<uint8_t*>(mem_alloc(out_size)))) rc = ERR_MEMORY;
    if (rc == IMG_OK) rc = decode_rows(p, r, scratch, pixels, &runs);
    mem_free(scratch);
    if (rc != IMG_OK) {
        runs_abort(&runs);
        mem_free(pixels);
        return rc;
    }
    target->layout = LAYOUT_TOP_DOWN;
    if (p.bits_per_pixel == 1) return runs_finish(&runs, target);
    target->data = pixels;
    target->data_offset = 0;
    target->data_length = (int32_t)out_size;
    target->pitch = r.out_pitch;
    target->compression = COMP_NONE;
    target->ownership = OWN_ALLOCATED;
    return IMG_OK;
}
