// Windows and OS/2 BMP run-length coding: the convert_page codec of compression 13
// (RLE4, RLE8, and OS/2's 24-bit RLE).
#pragma once

#include "base/records.h"

// Decoder: 4-, 8- and 24-bit pages into uncompressed top-down rows of `pitch` bytes.
// 0, -1, -4 (data that ends early, or pixels or a move past the picture), -6 (another
// depth). Encoder: 4- and 8-bit pages (else -6) as RLE4 or RLE8, rows from the bottom
// of the picture up.
int bmp_rle_decode(const PageBitmap* source, PageBitmap* target, int flags);
int bmp_rle_encode(const PageBitmap* source, PageBitmap* target, int flags);
