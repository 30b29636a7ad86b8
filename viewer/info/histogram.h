// The luminance histogram of the "Image Information" dialog: counts of the grey value
// (red + 2 green + blue) / 4 over a true-colour page, smoothed in groups of four for
// 16-bit pages, scaled by the median count and drawn as a 256 x 64 black-and-white
// picture of white columns on black.
#pragma once

#include <cstdint>

#include "imaging.h"

enum {
    HISTOGRAM_BINS = 256,
    HISTOGRAM_WIDTH = 256,
    HISTOGRAM_HEIGHT = 64,
    HISTOGRAM_ROW_BYTES = HISTOGRAM_WIDTH / 8
};

// Counts the grey value of every pixel of a decoded 16-bit (RGB565) or 24-bit (blue,
// green, red) page into `counts`; rows the page's buffer does not hold whole are not
// counted. False, with all counts 0, for any other page.
bool count_luminance(const PageBitmap& page, uint32_t counts[HISTOGRAM_BINS]);
// Every group of four neighbouring counters (0-3, 4-7, ...) takes the group's average.
void smooth_in_fours(uint32_t counts[HISTOGRAM_BINS]);
// The divisor of the columns: the median counter (element 128 of the sorted counts)
// divided by 20 when it exceeds 20, else 1.
uint32_t histogram_scale(const uint32_t counts[HISTOGRAM_BINS]);

// The picture: top-down rows of HISTOGRAM_ROW_BYTES bytes, the leftmost pixel in the
// high bit, set bits white. Column i is a white bar of counts[i] / scale pixels
// standing on the bottom row, at most 63 high (the top row stays black).
struct HistogramPicture {
    uint8_t bits[HISTOGRAM_HEIGHT * HISTOGRAM_ROW_BYTES];
};
// Builds the picture of a 16- or 24-bit page; false for other pages.
bool build_histogram(const PageBitmap& page, HistogramPicture* picture);
// Height of column i's bar in a picture (for checking it).
int histogram_bar_height(const HistogramPicture& picture, int column);
