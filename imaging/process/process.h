// Image processing on decoded pages: the drawing primitive that scales and turns a
// page into a caller's pixel buffer, the tone table it can apply, and the bit-depth
// conversions (palette expansion, 3-3-2 and grey reduction, Floyd-Steinberg diffusion).
#pragma once

#include <cstdint>

struct PageBitmap;

// The display transform handed to scale_page. Scales are source pixels per output
// pixel times 256 (256 = 1:1, 512 = half size, 32 = eight times enlarged).
struct ViewParams {
    int32_t src_x;       // left edge of the window, in columns of the turned picture
    int32_t src_y;       // top edge of the window, in rows of the turned picture
    int32_t x_scale;     // across, x 256
    int32_t y_scale;     // downwards, x 256
    int32_t out_width;   // output pixels per row
    int32_t out_height;  // output rows
    int32_t out_pitch;   // output bytes per row of bilevel output
    int32_t angle;       // 0, 90, 180 or 270: clockwise turn applied to the page
    uint8_t* pixels;     // output buffer, owned by the caller
    uint8_t flags;       // ViewFlags
};

enum ViewFlags {
    VIEW_GREY_BILEVEL = 4,  // bilevel pages drawn anti-aliased into 4-bit grey
    VIEW_BOX_AVERAGE = 8    // 16- and 24-bit reductions average a box of pixels
};

enum {
    VIEW_MIN_SCALE = 32,                       // eight times enlargement
    TONE_BYTE_ENTRIES = 256,                   // one byte per 8-bit channel value
    TONE_WORD_ENTRIES = 65536,                 // one 16-bit entry per RGB565 value
    TONE_TABLE_BYTES = TONE_BYTE_ENTRIES + 2 * TONE_WORD_ENTRIES  // 131,328
};

// Draws the window of `page` described by `view` into view->pixels. top_down 1 puts
// the first output row first; 0 fills the buffer from its last row upwards (the row
// order of bottom-up device-independent bitmaps). `tone` is null or a table of
// TONE_TABLE_BYTES applied to the output of 16- and 24-bit pages. 0 or ERR_PARAMETER.
int scale_page(const PageBitmap* page, const ViewParams* view, int top_down, const uint8_t* tone);

// Output bytes per row that scale_page uses for a depth other than 1 (4 also for
// anti-aliased bilevel output): the row rounded up to 4 bytes.
int32_t view_row_bytes(int32_t out_width, int bpp);

// Fills `table` (TONE_TABLE_BYTES) from gamma and brightness (0..255, 128 neutral
// brightness): 256 channel bytes, then 65,536 native-endian RGB565 entries.
void build_tone_table(int gamma, int brightness, uint8_t* table);

// Conversion methods of convert_depth.
enum DepthMethod { DEPTH_PLAIN = 0, DEPTH_DIFFUSE = 2 };
// Target depth 12: diffuse a 16- or 24-bit page for a 12-bit screen, keeping its depth.
enum { DEPTH_PREDITHER_12 = 12 };

// Changes the bit depth of an uncompressed page in place (1, 4, 8, 16, 24, or 12 for
// the pre-dither). 1-bit results come out in the run-length form. Unlisted pairs and
// same-depth requests do nothing. 0, ERR_MEMORY (page unchanged) or ERR_PARAMETER.
int convert_depth(PageBitmap* page, int target_depth, int method);
