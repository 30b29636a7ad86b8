// The display bitmap's depth and colours: which depth a page is shown at on a given
// screen, whether it is drawn through a temporary buffer and reduced afterwards, and
// the logical palette (or two-entry table) that goes with it.
#pragma once

#include <cstdint>

struct OptionFlags;

// Depth of the display bitmap for a page of `page_bpp` on a screen of `screen_bpp`:
// the page depth, except 4 for a 1-bit page with ScaleToGray, and the screen depth
// for pages above 8 bits with OptimizeColors on a screen below 16 bits.
int display_depth(int page_bpp, int screen_bpp, const OptionFlags& options);
// A page above 15 bits on a screen below 16 bits with OptimizeColors is drawn at its
// own depth first, then reduced with error diffusion into the display bitmap.
bool render_through_buffer(int page_bpp, int screen_bpp, const OptionFlags& options);

struct PaletteEntry {
    uint8_t red, green, blue;
};

// The logical palette of the current page: 2^depth entries for display depths 4 and
// 8, none (0) for 1, 16 and 24. `page_palette` holds the page's 256 entries as blue,
// green, red triplets (768 bytes) and may be null for pages above 8 bits.
int view_palette(int page_bpp, int screen_bpp, const OptionFlags& options, const uint8_t* page_palette,
                 PaletteEntry out[256]);
