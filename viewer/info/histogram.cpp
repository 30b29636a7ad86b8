// The luminance histogram of true-colour pages (see histogram.h). RGB565 pixels are
// widened to 8-bit channels by repeating their top bits (red and green) and, for blue,
// by its low three bits; the grey value is the viewer's (r + 2g + b) / 4 everywhere.
#include "info/histogram.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxBar = HISTOGRAM_HEIGHT - 1;

// Rows of the page's buffer that are whole: at most height, and no more than the
// buffer holds at `pitch` bytes a row.
int32_t whole_rows(const PageBitmap& page, int64_t row_bytes) {
    if (!page.data || page.width <= 0 || page.height <= 0 || page.pitch < row_bytes || page.data_length <= 0 ||
        page.data_offset < 0 || page.data_offset >= page.data_length)
        return 0;
    const int64_t available = (int64_t)page.data_length - page.data_offset;
    if (available < row_bytes) return 0;
    const int64_t rows = (available - row_bytes) / page.pitch + 1;
    return (int32_t)std::min<int64_t>(rows, page.height);
}

uint8_t grey_565(uint16_t v) {
    const int red5 = v >> 11, green6 = (v >> 5) & 0x3F, blue5 = v & 0x1F;
    const int red = (red5 << 3) | (red5 >> 2);
    const int green = (green6 << 2) | (green6 >> 4);
    const int blue = (blue5 << 3) | (blue5 & 7);
    return (uint8_t)((red + 2 * green + blue) / 4);
}

}  // namespace

bool count_luminance(const PageBitmap& page, uint32_t counts[HISTOGRAM_BINS]) {
    std::fill(counts, counts + HISTOGRAM_BINS, 0u);
    const int bpp = page.bits_per_pixel;
    if ((bpp != 16 && bpp != 24) || page.compression != COMP_NONE) return false;
    const int64_t row_bytes = (int64_t)page.width * (bpp / 8);
    const int32_t rows = whole_rows(page, row_bytes);
    const uint8_t* base = page.data + page.data_offset;
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* p = base + (size_t)y * (size_t)page.pitch;
        if (bpp == 24) {
            for (int32_t x = 0; x < page.width; ++x, p += 3) ++counts[(p[0] + 2 * p[1] + p[2]) / 4];
        } else {
            for (int32_t x = 0; x < page.width; ++x, p += 2) ++counts[grey_565((uint16_t)(p[0] | p[1] << 8))];
        }
    }
    return true;
}

void smooth_in_fours(uint32_t counts[HISTOGRAM_BINS]) {
    for (int i = 0; i < HISTOGRAM_BINS; i += 4) {
        const uint64_t sum = (uint64_t)counts[i] + counts[i + 1] + counts[i + 2] + counts[i + 3];
        std::fill(counts + i, counts + i + 4, (uint32_t)(sum / 4));
    }
}

uint32_t histogram_scale(const uint32_t counts[HISTOGRAM_BINS]) {
    uint32_t sorted[HISTOGRAM_BINS];
    std::copy(counts, counts + HISTOGRAM_BINS, sorted);
    std::nth_element(sorted, sorted + 128, sorted + HISTOGRAM_BINS);
    const uint32_t median = sorted[128];
    return median > 20 ? median / 20 : 1;
}

bool build_histogram(const PageBitmap& page, HistogramPicture* picture) {
    std::memset(picture->bits, 0, sizeof picture->bits);
    uint32_t counts[HISTOGRAM_BINS];
    if (!count_luminance(page, counts)) return false;
    if (page.bits_per_pixel == 16) smooth_in_fours(counts);
    const uint32_t scale = histogram_scale(counts);
    for (int i = 0; i < HISTOGRAM_BINS; ++i) {
        const int bar = (int)std::min<uint32_t>(counts[i] / scale, kMaxBar);
        for (int y = HISTOGRAM_HEIGHT - bar; y < HISTOGRAM_HEIGHT; ++y)
            picture->bits[y * HISTOGRAM_ROW_BYTES + i / 8] |= (uint8_t)(0x80 >> (i % 8));
    }
    return true;
}

int histogram_bar_height(const HistogramPicture& picture, int column) {
    int height = 0;
    for (int y = HISTOGRAM_HEIGHT - 1; y >= 0; --y) {
        if (!(picture.bits[y * HISTOGRAM_ROW_BYTES + column / 8] & (0x80 >> (column % 8)))) break;
        ++height;
    }
    return height;
}
