// Drawing of bilevel run-length pages. Each black run becomes an output span of at
// least one pixel, so thin strokes never vanish; reductions draw several source rows
// into one output row (a 16-bit fixed-point accumulator picks the row) and above 4:1
// draw every second source row. Grey anti-aliasing draws at twice the size and turns
// each 2 x 2 cell into one of five 4-bit grey levels by its count of white pixels.
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "base/records.h"
#include "process/process.h"
#include "process/scale_draw.h"
#include "process/scale_runs.h"

namespace {
// A window of the page drawn at the given scales into rows of `out_width` bits.
struct BilevelPass {
    const PageBitmap* page;
    int32_t src_x;
    int32_t src_y;
    int32_t x_scale;
    int32_t y_scale;
    int32_t out_width;
    int32_t out_height;
};

// Clears the output span of every black run of source row `y` that reaches the window.
void draw_source_row(const BilevelPass& p, int32_t y, uint8_t* bits) {
    const int64_t window = ((int64_t)p.out_width * p.x_scale) >> 8;  // in source pixels
    for_each_black_run(run_row(*p.page, y), p.page->width, [&](int32_t start, int32_t length) {
        int64_t a = (int64_t)start - p.src_x;
        int64_t e = a + length;
        if (e <= 0 || a >= window) return;
        if (a < 0) a = 0;
        if (e > window) e = window;
        const int64_t s = a * 256 / p.x_scale;
        int64_t t = e * 256 / p.x_scale;
        if (t <= s) t = s + 1;  // a run never disappears
        if (s >= p.out_width) return;
        if (t > p.out_width) t = p.out_width;
        clear_span(bits, (int32_t)s, (int32_t)t);
    });
}

// Reduction: source rows are merged into the current output row until the
// accumulator (2^24 / y_scale per source row) passes 65,536. Above 4:1 only the
// second, fourth, ... source row counted from src_y is drawn.
template <class Sink>
void walk_reduction(const BilevelPass& p, Sink&& sink) {
    const int64_t wanted = ((int64_t)p.out_height * p.y_scale) >> 8;
    const int64_t left = (int64_t)p.page->height - p.src_y;
    const int64_t count = wanted < left ? wanted : left;
    const uint32_t step = (1u << 24) / (uint32_t)p.y_scale;
    uint32_t acc = 0;
    int32_t out = 0;
    for (int64_t k = 0; k < count; ++k) {
        acc += step;
        if (acc > 65536) {
            ++out;
            acc -= 65536;
        }
        if (out >= p.out_height) return;
        if (p.y_scale > 1024 && (k & 1) == 0) continue;
        sink((int32_t)(p.src_y + k), out);
    }
}

// Enlargement: one source row is repeated into successive output rows until the
// accumulator (y_scale x 256 per output row) passes 65,535.
template <class Sink>
void walk_enlargement(const BilevelPass& p, Sink&& sink) {
    const int32_t rows = covered_outputs(p.out_height, p.page->height, p.src_y, p.y_scale);
    int32_t src = p.src_y;
    uint32_t acc = 0;
    for (int32_t r = 0; r < rows && src < p.page->height; ++r) {
        sink(src, r);
        acc += (uint32_t)p.y_scale * 256;
        if (acc > 65535) {
            ++src;
            acc -= 65536;
        }
    }
}

template <class Sink>
void walk_rows(const BilevelPass& p, Sink&& sink) {
    if (p.y_scale > 256)
        walk_reduction(p, sink);
    else
        walk_enlargement(p, sink);
}

int draw_plain(const PageBitmap& page, const ViewParams& v, int top_down) {
    std::memset(v.pixels, 0xFF, (size_t)v.out_pitch * (size_t)v.out_height);
    const BilevelPass pass{&page, v.src_x, v.src_y, v.x_scale, v.y_scale, v.out_width, v.out_height};
    walk_rows(pass, [&](int32_t y, int32_t r) {
        draw_source_row(pass, y, output_row(v.pixels, v.out_pitch, v.out_height, top_down, r));
    });
    return IMG_OK;
}

// Grey of a 2 x 2 cell by its number of white pixels (0..4): black, 0x44, 0x80,
// 0xC0 and white in the 16-colour palette shown with this mode.
constexpr uint8_t kCellGrey[5] = {0, 4, 8, 7, 15};

// Two output pixels from a half-byte of each scratch row (four columns, two cells).
constexpr std::array<uint8_t, 256> make_cell_table() {
    std::array<uint8_t, 256> t{};
    for (unsigned top = 0; top < 16; ++top)
        for (unsigned bottom = 0; bottom < 16; ++bottom) {
            auto white = [](unsigned two) { return (two & 1) + ((two >> 1) & 1); };
            const unsigned left = white(top >> 2) + white(bottom >> 2);
            const unsigned right = white(top & 3) + white(bottom & 3);
            t[(top << 4) | bottom] = (uint8_t)((kCellGrey[left] << 4) | kCellGrey[right]);
        }
    return t;
}
constexpr std::array<uint8_t, 256> kCells = make_cell_table();

void emit_grey_row(const uint8_t* top, const uint8_t* bottom, int32_t out_width, uint8_t* dst) {
    const int32_t bytes = (out_width + 1) / 2;
    for (int32_t k = 0; 2 * k < bytes; ++k) {
        dst[2 * k] = kCells[(top[k] & 0xF0) | (bottom[k] >> 4)];
        if (2 * k + 1 < bytes) dst[2 * k + 1] = kCells[((top[k] & 0x0F) << 4) | (bottom[k] & 0x0F)];
    }
}

int draw_grey(const PageBitmap& page, const ViewParams& v, int top_down) {
    if (v.out_width > INT32_MAX / 2 || v.out_height > INT32_MAX / 2) return ERR_PARAMETER;
    const int32_t pitch = view_row_bytes(v.out_width, 4);
    if (pitch == 0) return ERR_PARAMETER;
    const BilevelPass pass{&page, v.src_x, v.src_y, v.x_scale / 2, v.y_scale / 2, 2 * v.out_width,
                           2 * v.out_height};
    const size_t scratch_row = ((size_t)pass.out_width + 7) / 8;
    std::vector<uint8_t> scratch;
    try {
        scratch.assign(2 * scratch_row, 0xFF);
    } catch (const std::bad_alloc&) {
        return ERR_MEMORY;
    }
    const int32_t rows = covered_outputs(v.out_height, page.height, v.src_y, v.y_scale);
    int32_t pending = 0;  // output row that the scratch pair belongs to
    auto flush = [&]() {
        if (pending < rows)
            emit_grey_row(scratch.data(), scratch.data() + scratch_row, v.out_width,
                          output_row(v.pixels, pitch, v.out_height, top_down, pending));
        std::memset(scratch.data(), 0xFF, scratch.size());
        ++pending;
    };
    walk_rows(pass, [&](int32_t y, int32_t r) {
        while (pending < (r >> 1)) flush();
        draw_source_row(pass, y, scratch.data() + (size_t)(r & 1) * scratch_row);
    });
    while (pending < rows) flush();
    return IMG_OK;
}
}  // namespace

int scale_bilevel(const PageBitmap& page, const ViewParams& v, int top_down) {
    if (page.compression != COMP_RUNS) return ERR_PARAMETER;
    const bool grey = (v.flags & VIEW_GREY_BILEVEL) != 0;
    if (!grey && v.out_pitch < (int32_t)(((int64_t)v.out_width + 7) / 8)) return ERR_PARAMETER;
    // A window that starts outside the page draws nothing.
    if (v.src_x < 0 || v.src_y < 0 || v.src_x >= page.width || v.src_y >= page.height) return IMG_OK;
    return grey ? draw_grey(page, v, top_down) : draw_plain(page, v, top_down);
}
