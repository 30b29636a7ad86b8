// PackBits run-length coding: the convert_page codec of compression 6 (TIFF
// compression 32773), and the row packer that the PCL raster encoder shares.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/records.h"

// Room packbits_pack_row needs for a row of `n` bytes: the longest packing (4 bytes
// for every 3) and 16 bytes that short literals are copied over.
inline size_t packbits_row_bound(size_t n) { return n + n / 2 + 24; }
// Packs a row of `n` bytes into `out` (room for packbits_row_bound(n) bytes); answers
// the bytes written.
size_t packbits_pack_row(const uint8_t* row, size_t n, uint8_t* out);

// Decoder: rows of 1-, 4-, 8- and 24-bit pages, strip by strip; bilevel pages come out
// in the run-length form, 24-bit rows blue first. Encoder: the decoded page's rows,
// each packed on its own. 0, -1, -4 (data that ends early or runs past the page),
// -6 (a depth the codec does not take).
int packbits_decode(const PageBitmap* source, PageBitmap* target, int flags);
int packbits_encode(const PageBitmap* source, PageBitmap* target, int flags);
