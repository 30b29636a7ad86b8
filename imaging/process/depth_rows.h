// Row access shared by the bit-depth conversions: source rows in picture order
// whatever the page's form (packed rows of any depth, or a run-length bilevel page
// painted row by row), the fixed palettes, and the rebuild of a page's pixel buffer.
#pragma once

#include <cstdint>
#include <new>
#include <vector>

#include "base/records.h"
#include "codecs/run_form.h"
#include "process/process.h"
#include "process/scale_runs.h"

// Palettes: 256 entries of blue, green, red.
enum { PALETTE_BYTES = 768 };
enum class NewPalette { keep, none, grey17, grey1, cube332, standard16 };

// The palette a conversion attaches, or null for keep and none (ERR_MEMORY aside,
// reported by the caller when a wanted palette is null).
uint8_t* make_palette(NewPalette kind);

// Grey (blue + 2 green + red) / 4 of every palette index; without a palette, the
// grey ramp of the depth (index x 17 for 4 bits, the index itself otherwise).
void palette_greys(const PageBitmap& page, uint8_t grey[256]);

// Channels of an RGB565 pixel widened to 8 bits (low bits zero).
inline uint8_t rgb565_blue(unsigned v) { return (uint8_t)(v << 3); }
inline uint8_t rgb565_green(unsigned v) { return (uint8_t)((v >> 3) & 0xFC); }
inline uint8_t rgb565_red(unsigned v) { return (uint8_t)((v >> 8) & 0xF8); }
inline unsigned load565(const uint8_t* p) { return (unsigned)p[0] | ((unsigned)p[1] << 8); }
inline void store565(uint8_t* p, unsigned v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}
inline unsigned narrow565(unsigned blue, unsigned green, unsigned red) {
    return ((green >> 2) << 5) | (blue >> 3) | ((red >> 3) << 11);
}

inline unsigned packed_bit(const uint8_t* row, int32_t x) { return (row[x >> 3] >> (7 - (x & 7))) & 1u; }
inline unsigned packed_nibble(const uint8_t* row, int32_t x) {
    return (x & 1) ? row[x >> 1] & 0x0Fu : (unsigned)row[x >> 1] >> 4;
}

// Picture rows of a page as conversions read them. Bilevel rows come back packed
// with a set bit white, whatever the page's sense or form.
struct SourceRows {
    explicit SourceRows(const PageBitmap& page);  // may throw std::bad_alloc
    const uint8_t* row(int32_t y);
    // Whether picture rows are stored bottom-up (the result keeps that order).
    bool bottom_up() const { return bottom_up_; }

    const PageBitmap& page_;
    bool runs_;
    bool invert_;
    bool bottom_up_;
    std::vector<uint8_t> scratch_;
};

// Bytes per row of a converted page (4-byte aligned, never cut to 16 bits).
int32_t converted_pitch(int32_t width, int bpp);

// Gives `page` a new pixel buffer of `bpp` bits: fill(y, source row, target row)
// writes each picture row. The old buffer (when owned) and palette go only after
// everything succeeded; on failure the page is unchanged.
struct RebuildPlan {
    int bpp;
    NewPalette palette;
};
int commit_pixels(PageBitmap& page, RebuildPlan plan, uint8_t* data, int32_t pitch, uint8_t* palette,
                  bool bottom_up);
uint8_t* alloc_pixels(const PageBitmap& page, int bpp, int32_t* pitch);

template <class Fill>
int rebuild_pixels(PageBitmap& page, RebuildPlan plan, Fill&& fill) {
    int32_t pitch = 0;
    uint8_t* data = alloc_pixels(page, plan.bpp, &pitch);
    if (!data) return ERR_MEMORY;
    uint8_t* palette = make_palette(plan.palette);
    const bool wants_palette = plan.palette != NewPalette::keep && plan.palette != NewPalette::none;
    if (wants_palette && !palette) {
        mem_free(data);
        return ERR_MEMORY;
    }
    try {
        SourceRows src(page);
        for (int32_t y = 0; y < page.height; ++y) {
            const int32_t stored = src.bottom_up() ? page.height - 1 - y : y;
            fill(y, src.row(y), data + (ptrdiff_t)stored * pitch);
        }
        return commit_pixels(page, plan, data, pitch, palette, src.bottom_up());
    } catch (const std::bad_alloc&) {
        mem_free(data);
        mem_free(palette);
        return ERR_MEMORY;
    }
}

// Appends one row given as one byte per pixel (non-zero white) to the page builder;
// `runs` is scratch for its run lengths. 0 or the builder's error.
int add_white_row(RunsBuilder* b, const uint8_t* white, std::vector<int>& runs);  // may throw std::bad_alloc
// Replaces the page's data with the built page (runs_abort on failure is the caller's).
int commit_runs(PageBitmap& page, RunsBuilder* runs);

// Replaces the page with a run-length bilevel page: white_row(y, source row, white)
// fills one byte per pixel of picture row y, non-zero for white. Runs are at most
// 32,767 pixels, so wider pages are refused.
template <class WhiteRow>
int rebuild_runs(PageBitmap& page, WhiteRow&& white_row) {
    if (page.width > RUN_MAX) return ERR_PARAMETER;
    RunsBuilder b;
    if (int rc = runs_begin(&b, page.width, page.height, (size_t)page.height * 16)) return rc;
    try {
        SourceRows src(page);
        std::vector<uint8_t> white((size_t)page.width);
        std::vector<int> runs;
        for (int32_t y = 0; y < page.height; ++y) {
            white_row(y, src.row(y), white.data());
            if (int rc = add_white_row(&b, white.data(), runs)) {
                runs_abort(&b);
                return rc;
            }
        }
    } catch (const std::bad_alloc&) {
        runs_abort(&b);
        return ERR_MEMORY;
    }
    return commit_runs(page, &b);
}

// The conversions, one per kind; each takes the page, the target depth and the method.
int expand_bilevel(PageBitmap& page, int target, int method);
int expand_two_bit(PageBitmap& page, int target, int method);
int expand_grey4(PageBitmap& page, int target, int method);
int expand_palette(PageBitmap& page, int target, int method);
int widen_565(PageBitmap& page, int target, int method);
int narrow_565(PageBitmap& page, int target, int method);
int reduce_to_bilevel(PageBitmap& page, int target, int method);
int reduce_to_grey4(PageBitmap& page, int target, int method);
int reduce_to_cube(PageBitmap& page, int target, int method);
int predither_12(PageBitmap& page, int target, int method);
