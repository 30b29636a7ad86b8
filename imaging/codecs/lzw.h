// The LZW codec of convert_page in its two variants: TIFF (compression 8: codes
// most significant bit first, early width change, predictor and RGB order) and GIF
// (compression 9: least significant bit first, framing bytes, interlaced rows).
// Signatures of codec_table.h.
#pragma once

#include "base/records.h"

int lzw_decode_tiff(const PageBitmap* source, PageBitmap* target, int flags);
int lzw_decode_gif(const PageBitmap* source, PageBitmap* target, int flags);
int lzw_encode_tiff(const PageBitmap* source, PageBitmap* target, int flags);
int lzw_encode_gif(const PageBitmap* source, PageBitmap* target, int flags);
