// Drawing of 4-, 8-, 16- and 24-bit pages: nearest-neighbour sampling through
// per-column and per-row offset tables (which also carry the quarter turns), whole
// row copies at 1:1, and box averaging of up to 5 x 5 pixels for colour reductions.
// The optional tone table then maps every output byte (24 bits) or pixel (16 bits).
#include <array>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "base/records.h"
#include "process/process.h"
#include "process/scale_draw.h"
#include "process/scale_runs.h"

namespace {
// Where one axis of the turned picture lies in the stored picture.
struct AxisMap {
    bool stored_row;  // the axis runs along stored rows (else along stored columns)
    bool reversed;    // positions count from the far edge
};

struct AngleMap {
    int32_t angle;
    AxisMap across;  // turned columns (output pixels)
    AxisMap down;    // turned rows (output rows)
};

// Turned (X, Y) to stored (column, row): 0 (X, Y); 90 (Y, H-1-X); 180 (W-1-X, H-1-Y);
// 270 (W-1-Y, X).
constexpr AngleMap kAngles[] = {
    {0, {false, false}, {true, false}},
    {90, {true, true}, {false, false}},
    {180, {false, true}, {true, true}},
    {270, {true, false}, {false, true}},
};

const AngleMap& angle_map(int32_t angle) {
    for (const AngleMap& m : kAngles)
        if (m.angle == angle) return m;
    return kAngles[0];
}

// One output axis resolved to stored positions: the stored column or row of each
// output position and its offset from the first pixel (in bytes, or half-bytes for
// 4-bit pages).
struct Axis {
    AxisMap map;
    std::vector<int32_t> index;
    std::vector<ptrdiff_t> offset;
};

struct Source {
    const uint8_t* base;  // first pixel of the first stored row
    int32_t width;
    int32_t height;
    ptrdiff_t row_units;  // offset units per stored row
    int unit;             // offset units per stored pixel
};

Axis resolve_axis(AxisMap map, int32_t origin, int32_t scale, int32_t count, const Source& src) {
    Axis axis{map, std::vector<int32_t>((size_t)count), std::vector<ptrdiff_t>((size_t)count)};
    const int32_t extent = map.stored_row ? src.height : src.width;
    const ptrdiff_t step = map.stored_row ? src.row_units : src.unit;
    uint64_t acc = 0;
    for (int32_t k = 0; k < count; ++k, acc += (uint32_t)scale) {
        const int32_t turned = origin + (int32_t)(acc >> 8);
        const int32_t stored = map.reversed ? extent - 1 - turned : turned;
        axis.index[(size_t)k] = stored;
        axis.offset[(size_t)k] = (ptrdiff_t)stored * step;
    }
    return axis;
}

struct Output {
    uint8_t* pixels;
    int32_t pitch;
    int32_t height;
    int top_down;
    uint8_t* row(int32_t r) const { return output_row(pixels, pitch, height, top_down, r); }
};

template <int B>
void sample_rows(const Source& src, const Axis& across, const Axis& down, DrawExtent e, const Output& out) {
    for (int32_t i = 0; i < e.rows; ++i) {
        const uint8_t* row = src.base + down.offset[(size_t)i];
        uint8_t* dst = out.row(i);
        for (int32_t j = 0; j < e.cols; ++j, dst += B) {
            const uint8_t* p = row + across.offset[(size_t)j];
            for (int b = 0; b < B; ++b) dst[b] = p[b];
        }
    }
}

void sample_nibbles(const Source& src, const Axis& across, const Axis& down, DrawExtent e, const Output& out) {
    for (int32_t i = 0; i < e.rows; ++i) {
        uint8_t* dst = out.row(i);
        for (int32_t j = 0; j < e.cols; ++j) {
            const ptrdiff_t at = down.offset[(size_t)i] + across.offset[(size_t)j];
            const uint8_t byte = src.base[at >> 1];
            put_nibble(dst, j, (at & 1) ? byte & 0x0Fu : (unsigned)byte >> 4);
        }
    }
}

// 1:1 without a turn: each output row is a run of stored bytes.
void copy_rows(const Source& src, const ViewParams& v, int bpp, DrawExtent e, const Output& out) {
    for (int32_t i = 0; i < e.rows; ++i) {
        const uint8_t* row = src.base + (ptrdiff_t)(v.src_y + i) * src.row_units;
        uint8_t* dst = out.row(i);
        if (bpp != 4) {
            const size_t bytes = (size_t)bpp / 8;
            std::memcpy(dst, row + (size_t)v.src_x * bytes, (size_t)e.cols * bytes);
        } else if ((v.src_x & 1) == 0) {
            // row_units counts half-bytes for 4-bit pages.
            const uint8_t* from = src.base + ((ptrdiff_t)(v.src_y + i) * src.row_units + v.src_x) / 2;
            std::memcpy(dst, from, (size_t)e.cols / 2);
            if (e.cols & 1) put_nibble(dst, e.cols - 1, (unsigned)from[e.cols / 2] >> 4);
        } else {
            const ptrdiff_t first = (ptrdiff_t)(v.src_y + i) * src.row_units + v.src_x;
            for (int32_t j = 0; j < e.cols; ++j) {
                const ptrdiff_t at = first + j;
                const uint8_t byte = src.base[at >> 1];
                put_nibble(dst, j, (at & 1) ? byte & 0x0Fu : (unsigned)byte >> 4);
            }
        }
    }
}

// The box of stored pixels averaged into one output pixel.
struct Box {
    int32_t cols;
    int32_t rows;
};

inline unsigned load16(const uint8_t* p) { return (unsigned)p[0] | ((unsigned)p[1] << 8); }
inline void store16(uint8_t* p, unsigned v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

// Means over a box of C x R stored pixels. The box size is a template argument so
// that the divisions are by constants; kAverages picks the instance for a box.
template <int C, int R>
void average24(const uint8_t* p, ptrdiff_t row_bytes, uint8_t* dst) {
    unsigned blue = 0, green = 0, red = 0;
    for (int r = 0; r < R; ++r, p += row_bytes)
        for (int c = 0; c < C; ++c) {
            blue += p[3 * c];
            green += p[3 * c + 1];
            red += p[3 * c + 2];
        }
    dst[0] = (uint8_t)(blue / (C * R));
    dst[1] = (uint8_t)(green / (C * R));
    dst[2] = (uint8_t)(red / (C * R));
}

// RGB565: the 5-bit blue, 6-bit green and 5-bit red fields are averaged separately.
template <int C, int R>
void average16(const uint8_t* p, ptrdiff_t row_bytes, uint8_t* dst) {
    unsigned blue = 0, green = 0, red = 0;
    for (int r = 0; r < R; ++r, p += row_bytes)
        for (int c = 0; c < C; ++c) {
            const unsigned v = load16(p + 2 * c);
            blue += v & 0x1F;
            green += (v >> 5) & 0x3F;
            red += v >> 11;
        }
    store16(dst, ((red / (C * R)) << 11) | ((green / (C * R)) << 5) | (blue / (C * R)));
}

using Average = void (*)(const uint8_t* p, ptrdiff_t row_bytes, uint8_t* dst);

template <int B, int C, int... R>
constexpr std::array<Average, 5> average_row(std::integer_sequence<int, R...>) {
    return {(B == 3 ? average24<C, R + 1> : average16<C, R + 1>)...};
}

template <int B, int... C>
constexpr std::array<std::array<Average, 5>, 5> average_table(std::integer_sequence<int, C...>) {
    return {average_row<B, C + 1>(std::make_integer_sequence<int, 5>{})...};
}

// [bytes per pixel == 3][box columns - 1][box rows - 1]
constexpr std::array<std::array<Average, 5>, 5> kAverages[2] = {
    average_table<2>(std::make_integer_sequence<int, 5>{}), average_table<3>(std::make_integer_sequence<int, 5>{})};

template <int B>
void box_rows(const Source& src, const Axis& across, const Axis& down, DrawExtent e, const Output& out, Box box) {
    const bool turned = across.map.stored_row;  // output columns follow stored rows
    const Average average = kAverages[B == 3][(size_t)box.cols - 1][(size_t)box.rows - 1];
    for (int32_t i = 0; i < e.rows; ++i) {
        uint8_t* dst = out.row(i);
        for (int32_t j = 0; j < e.cols; ++j, dst += B) {
            const int32_t col = turned ? down.index[(size_t)i] : across.index[(size_t)j];
            const int32_t row = turned ? across.index[(size_t)j] : down.index[(size_t)i];
            const uint8_t* p = src.base + down.offset[(size_t)i] + across.offset[(size_t)j];
            if (col + box.cols > src.width || row + box.rows > src.height) {
                for (int b = 0; b < B; ++b) dst[b] = p[b];  // box would leave the picture
            } else {
                average(p, src.row_units, dst);
            }
        }
    }
}

// Source pixels per output pixel along one axis, 1 to 5: an axis that is enlarged
// while the other is reduced keeps a box side of one pixel.
int32_t box_side(int32_t scale) { return scale < 512 ? 1 : scale / 256 < 5 ? scale / 256 : 5; }

// Box averaging applies to 16- and 24-bit reductions of at least 2:1 along one axis.
bool wants_box(const ViewParams& v, int bpp) {
    return (v.flags & VIEW_BOX_AVERAGE) && (bpp == 16 || bpp == 24) && (v.x_scale >= 512 || v.y_scale >= 512);
}

void draw_boxes(int bpp, const Source& src, const Axis& across, const Axis& down, DrawExtent e, const Output& out,
                const ViewParams& v) {
    // The box side that follows output columns lies along stored rows after a quarter turn.
    const int32_t bw = box_side(v.x_scale), bh = box_side(v.y_scale);
    const Box box = across.map.stored_row ? Box{bh, bw} : Box{bw, bh};
    if (bpp == 24)
        box_rows<3>(src, across, down, e, out, box);
    else
        box_rows<2>(src, across, down, e, out, box);
}

using Sampler = void (*)(const Source&, const Axis&, const Axis&, DrawExtent, const Output&);
struct DepthSampler {
    int bpp;
    Sampler sample;
};
constexpr DepthSampler kSamplers[] = {
    {4, sample_nibbles}, {8, sample_rows<1>}, {16, sample_rows<2>}, {24, sample_rows<3>}};

void draw_samples(int bpp, const Source& src, const Axis& across, const Axis& down, DrawExtent e,
                  const Output& out) {
    for (const DepthSampler& s : kSamplers)
        if (s.bpp == bpp) s.sample(src, across, down, e, out);
}

// The tone table covers the whole output area, drawn or not.
void apply_tone(int bpp, const Output& out, int32_t out_width, const uint8_t* tone) {
    for (int32_t r = 0; r < out.height; ++r) {
        uint8_t* row = out.pixels + (ptrdiff_t)r * out.pitch;
        if (bpp == 24) {
            for (int32_t b = 0; b < out.pitch; ++b) row[b] = tone[row[b]];
            continue;
        }
        const uint8_t* words = tone + TONE_BYTE_ENTRIES;
        for (int32_t j = 0; j < out_width; ++j) {
            uint16_t mapped;
            std::memcpy(&mapped, words + 2 * (size_t)load16(row + 2 * j), sizeof mapped);
            store16(row + 2 * j, mapped);
        }
    }
}
}  // namespace

int scale_pixels(const PageBitmap& page, const ViewParams& v, int top_down, const uint8_t* tone) {
    const AngleMap& map = angle_map(v.angle);
    const bool quarter = map.across.stored_row;
    const int32_t turned_w = quarter ? page.height : page.width;
    const int32_t turned_h = quarter ? page.width : page.height;
    if (v.src_x < 0 || v.src_y < 0 || v.src_x >= turned_w || v.src_y >= turned_h) return IMG_OK;
    const DrawExtent e{covered_outputs(v.out_width, turned_w, v.src_x, v.x_scale),
                       covered_outputs(v.out_height, turned_h, v.src_y, v.y_scale)};
    if (e.cols <= 0 || e.rows <= 0) return IMG_OK;

    const int bpp = page.bits_per_pixel;
    const Source src{page.data + page.data_offset, page.width, page.height,
                     bpp == 4 ? (ptrdiff_t)page.pitch * 2 : (ptrdiff_t)page.pitch, bpp == 4 ? 1 : bpp / 8};
    const Output out{v.pixels, view_row_bytes(v.out_width, bpp), v.out_height, top_down};
    if (v.x_scale == 256 && v.y_scale == 256 && v.angle == 0) {
        copy_rows(src, v, bpp, e, out);
    } else {
        try {
            const Axis across = resolve_axis(map.across, v.src_x, v.x_scale, e.cols, src);
            const Axis down = resolve_axis(map.down, v.src_y, v.y_scale, e.rows, src);
            if (wants_box(v, bpp))
                draw_boxes(bpp, src, across, down, e, out, v);
            else
                draw_samples(bpp, src, across, down, e, out);
        } catch (const std::bad_alloc&) {
            return ERR_MEMORY;  // the offset tables did not fit
        }
    }
    if (tone && (bpp == 16 || bpp == 24)) apply_tone(bpp, out, v.out_width, tone);
    return IMG_OK;
}
