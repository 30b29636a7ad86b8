// Row size helpers and the run-length form's run coding (one byte below 128,
// otherwise a 15-bit big-endian value with the top bit of the first byte set).
#include "base/records.h"

int32_t row_bytes_aligned(int32_t width, int bpp) {
    // The width is cut to 24 bits and the row to 16 bits, so no aligned row exceeds
    // 65,532 bytes; readers must not size buffers from this value for wider pages.
    const uint32_t w = (uint32_t)width & 0xFFFFFFu;
    uint32_t bytes;
    switch (bpp) {
    case 1: bytes = (w + 31) / 8; break;
    case 2: bytes = (w + 3) / 4 + 3; break;
    case 4: bytes = (w + 1) / 2 + 3; break;
    case 8: bytes = w + 3; break;
    case 16: bytes = 2 * w + 3; break;
    case 24: bytes = 3 * w + 3; break;
    default: return 0;
    }
    return (int32_t)(bytes & 0xFFFCu);
}

int32_t row_bytes_packed(int32_t width, int bpp) {
    switch (bpp) {
    case 1: return (width + 7) / 8;
    case 2: return (width + 3) / 4;
    case 4: return (width + 1) / 2;
    case 8: return width;
    case 16: return 2 * width;
    case 24: return 3 * width;
    default: return 0;
    }
}

int run_write(uint8_t* out, int length) {
    if (length < 0) length = 0;
    if (length > RUN_MAX) length = RUN_MAX;
    if (length < 128) {
        out[0] = (uint8_t)length;
        return 1;
    }
    out[0] = (uint8_t)(0x80 | (length >> 8));
    out[1] = (uint8_t)(length & 0xFF);
    return 2;
}

int run_read(const uint8_t* in, size_t avail, int* used) {
    if (avail == 0) {
        *used = 0;
        return 0;
    }
    if (in[0] < 0x80) {
        *used = 1;
        return in[0];
    }
    if (avail < 2) {
        *used = 0;
        return 0;
    }
    *used = 2;
    return ((in[0] & 0x7F) << 8) | in[1];
}

void runs_rebase_rows(uint8_t* new_buffer, const uint8_t* old_buffer, int32_t height) {
    uint8_t** rows = reinterpret_cast<uint8_t**>(new_buffer);
    for (int32_t y = 0; y < height; ++y) {
        const ptrdiff_t offset = rows[y] - old_buffer;
        rows[y] = new_buffer + offset;
    }
}
