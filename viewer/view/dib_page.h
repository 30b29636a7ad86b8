// Device-independent bitmaps (the clipboard's CF_DIB block: a 40-byte header, the
// colour table or the three 16-bit masks, then bottom-up rows) to and from pages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging.h"
#include "view/view_selection.h"

// Writes the page region `turned` (in the page turned clockwise by `angle`) as a DIB
// into `out` (`out_size` bytes, zeroed by the caller, at least clipboard_dib_bytes):
// header with the region's size, the page depth (BI_BITFIELDS with the RGB565 masks
// for 16 bits), black and white or the page palette, then the rows drawn at 100 %.
// 0 or a library error code.
int write_region_dib(const PageBitmap& page, const PageRegion& turned, int32_t angle, uint8_t* out, size_t out_size);

// Builds an uncompressed top-down page from a DIB of `size` bytes: 1-bit pixels keep
// their bits with black_is_one from the first colour entry, 4- and 8-bit pixels take
// the colour table as their palette, 16-bit pixels become RGB565 (5-5-5 ones are
// widened), 24-bit stay, 32-bit lose their fourth byte. The page owns its data and
// palette (release_page frees both). 0, ERR_BAD_HEADER for a damaged or truncated
// block, ERR_BIT_DEPTH or ERR_UNSUPPORTED for what pages cannot hold, ERR_MEMORY.
int page_from_dib(const uint8_t* dib, size_t size, PageBitmap* page);
