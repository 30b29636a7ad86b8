// Row sizes of packed pages: padded to 4 bytes, or without padding.
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
