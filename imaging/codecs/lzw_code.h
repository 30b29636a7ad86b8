// Shared pieces of the LZW decoder and encoder: the code limits of both variants and
// the variant-specific moment at which the code width grows.
#pragma once

#include <cstdint>

constexpr int kLzwMaxBits = 12;
constexpr int kLzwTableSize = 1 << kLzwMaxBits;  // 4096 codes

// True when, with `next` the next free code (as the encoder counts it, one ahead of
// the decoder), codes must now be one bit wider: TIFF when `next` reaches 2^width,
// GIF when it passes it.
inline bool lzw_width_grows(bool gif, int next, int width) {
    return width < kLzwMaxBits && (gif ? next > (1 << width) : next >= (1 << width));
}
