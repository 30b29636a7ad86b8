// Floyd-Steinberg error diffusion over one row of carried errors per channel. Each
// quantised value passes on half its truncation error (never negative) as 7/16 to
// the right, 1/16 below right, 5/16 below and 3/16 below left, rows left to right.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct ErrorDiffusion {
    // May throw std::bad_alloc.
    ErrorDiffusion(int32_t width, int channels);

    // Call before the first pixel of every row.
    void start_row() {
        for (int c = 0; c < channels_; ++c) {
            right_[(size_t)c] = 0;
            ahead_[(size_t)c] = row(c)[0];
        }
    }

    // Adds the carried errors to channel c of pixel x, clamps to 0..255 and spreads
    // half of what `mask` truncates away. Returns the clamped value.
    int step(int c, int32_t x, int value, unsigned mask) {
        int32_t* below = row(c);
        const int32_t above = ahead_[(size_t)c];
        ahead_[(size_t)c] = below[x + 1];  // read before this pixel overwrites it
        int32_t sum = value + above + right_[(size_t)c];
        if (sum > 511) sum = 511;
        const int v = kClamp[(size_t)(sum + 256)];
        const int e = (v - (int)((unsigned)v & mask)) >> 1;
        if (x == last_) {  // the last pixel's right share leaves the row
            right_[(size_t)c] = 0;
            return v;
        }
        const int right = (e * 7) >> 3;
        right_[(size_t)c] = right;
        below[x + 1] = e - right;  // below right: the first share of that entry
        const int down = (e * 5) >> 3;
        if (x == 0) {
            below[0] = down;
        } else {
            below[x] += down;
            below[x - 1] += e - down;
        }
        return v;
    }

    // 256 zeros, 0..255, 256 times 255: channel plus error needs no comparisons.
    static const std::array<uint8_t, 768> kClamp;

    int32_t* row(int c) { return errors_.data() + (size_t)c * stride_ + 1; }

    int channels_;
    int32_t last_;
    size_t stride_;
    std::vector<int32_t> errors_;  // per channel: one slack entry, width entries, one slack
    std::array<int32_t, 3> right_{};
    std::array<int32_t, 3> ahead_{};
};
