// convert_depth: picks the conversion for a (source depth, target depth) pair from a
// table; pairs not in the table leave the page alone. Also the fixed palettes the
// conversions attach: grey ramps, the 3-3-2 colour cube and the 16-colour palette.
#include "process/depth_rows.h"
#include "process/process.h"

namespace {
using Conversion = int (*)(PageBitmap& page, int target, int method);

struct DepthPair {
    int from;
    int to;
    Conversion run;
};

constexpr DepthPair kPairs[] = {
    {1, 4, expand_bilevel},     {1, 8, expand_bilevel},     {1, 16, expand_bilevel},
    {1, 24, expand_bilevel},    {2, 4, expand_two_bit},     {2, 8, expand_two_bit},
    {4, 8, expand_grey4},       {4, 16, expand_palette},    {4, 24, expand_palette},
    {8, 16, expand_palette},    {8, 24, expand_palette},    {4, 1, reduce_to_bilevel},
    {8, 1, reduce_to_bilevel},  {16, 1, reduce_to_bilevel}, {24, 1, reduce_to_bilevel},
    {8, 4, reduce_to_grey4},    {16, 4, reduce_to_grey4},   {24, 4, reduce_to_grey4},
    {16, 8, reduce_to_cube},    {24, 8, reduce_to_cube},    {16, 24, widen_565},
    {24, 16, narrow_565},       {16, 12, predither_12},     {24, 12, predither_12},
};

const DepthPair* find_pair(int from, int to) {
    for (const DepthPair& p : kPairs)
        if (p.from == from && p.to == to) return &p;
    return nullptr;
}

// Pixel rows the conversions can read: packed rows (compression 0) of at least the
// packed row size, or a bilevel page in the run-length form.
bool readable(const PageBitmap& page) {
    if (!page.data || page.width <= 0 || page.height <= 0) return false;
    if (page.bits_per_pixel == 1 && page.compression == COMP_RUNS) return true;
    return page.compression == COMP_NONE && page.data_offset >= 0 &&
           (int64_t)page.pitch >= ((int64_t)page.width * page.bits_per_pixel + 7) / 8;
}

// Levels of the 3-3-2 cube: 2 bits of blue, 3 of green and red.
constexpr uint8_t kCubeBlue[4] = {0, 85, 170, 255};
constexpr uint8_t kCubeLevel[8] = {0, 36, 73, 109, 146, 182, 219, 255};

// The 16-colour palette given to 4-bit expansions of bilevel pages (blue, green, red).
constexpr uint8_t kStandard16[16][3] = {
    {0, 0, 0},     {0, 0, 128},   {0, 128, 0},     {0, 128, 128}, {128, 0, 0},   {128, 0, 128},
    {128, 128, 0}, {128, 128, 128}, {192, 192, 192}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},   {255, 0, 255}, {255, 255, 0},   {255, 255, 255}};

void set_entry(uint8_t* palette, int i, uint8_t blue, uint8_t green, uint8_t red) {
    palette[3 * i] = blue;
    palette[3 * i + 1] = green;
    palette[3 * i + 2] = red;
}

void fill_palette(uint8_t* p, NewPalette kind) {
    for (int i = 0; i < 256; ++i) {
        switch (kind) {
        case NewPalette::grey17: set_entry(p, i, (uint8_t)(i * 17), (uint8_t)(i * 17), (uint8_t)(i * 17)); break;
        case NewPalette::grey1: set_entry(p, i, (uint8_t)i, (uint8_t)i, (uint8_t)i); break;
        case NewPalette::cube332:
            set_entry(p, i, kCubeBlue[i & 3], kCubeLevel[(i >> 2) & 7], kCubeLevel[(i >> 5) & 7]);
            break;
        case NewPalette::standard16:
            if (i < 16) set_entry(p, i, kStandard16[i][0], kStandard16[i][1], kStandard16[i][2]);
            break;
        default: break;
        }
    }
}
}  // namespace

uint8_t* make_palette(NewPalette kind) {
    if (kind == NewPalette::keep || kind == NewPalette::none) return nullptr;
    uint8_t* p = static_cast<uint8_t*>(mem_alloc(PALETTE_BYTES));
    if (p) fill_palette(p, kind);
    return p;
}

void palette_greys(const PageBitmap& page, uint8_t grey[256]) {
    for (int i = 0; i < 256; ++i) {
        if (page.palette) {
            const uint8_t* e = page.palette + 3 * i;
            grey[i] = (uint8_t)((e[0] + 2 * e[1] + e[2]) / 4);
        } else {
            grey[i] = (uint8_t)(page.bits_per_pixel == 4 ? i * 17 : i);
        }
    }
}

int convert_depth(PageBitmap* page, int target_depth, int method) {
    if (!page) return ERR_PARAMETER;
    const DepthPair* pair = find_pair(page->bits_per_pixel, target_depth);
    if (!pair) return IMG_OK;  // same depth, or a pair with no conversion
    if (!readable(*page)) return ERR_PARAMETER;
    return pair->run(*page, target_depth, method);
}
