// The fax decoders of convert_page: modified Huffman (code 7), T.4 one-dimensional
// (code 1), T.4 two-dimensional (code 2), T.6 (code 3) and IBM MMR (code 4), each
// producing the run-length form (compression 11). Signatures of codec_table.h.
#pragma once

#include "base/records.h"

int fax_decode_huffman(const PageBitmap* source, PageBitmap* target, int flags);
int fax_decode_g3_1d(const PageBitmap* source, PageBitmap* target, int flags);
int fax_decode_g3_2d(const PageBitmap* source, PageBitmap* target, int flags);
int fax_decode_g4(const PageBitmap* source, PageBitmap* target, int flags);
int fax_decode_mmr(const PageBitmap* source, PageBitmap* target, int flags);
