// The fax codecs of convert_page. Decoders: modified Huffman (code 7), T.4
// one-dimensional (code 1), T.4 two-dimensional (code 2), T.6 (code 3) and IBM MMR
// (code 4), each producing the run-length form (compression 11). Encoders: modified
// Huffman, T.4 one-dimensional and T.6, each taking the run-length form. Signatures
// of codec_table.h.
#pragma once

#include "base/records.h"

int fax_decode_huffman(const PageBitmap* source, PageBitmap* target, int flags);
int fax_decode_g3_1d(const PageBitmap* source, PageBitmap* target, int flags);
int fax_decode_g3_2d(const PageBitmap* source, PageBitmap* target, int flags);
int fax_decode_g4(const PageBitmap* source, PageBitmap* target, int flags);
int fax_decode_mmr(const PageBitmap* source, PageBitmap* target, int flags);

// Encoders from the run-length form; bits most significant first (fill_order 0).
// 0, -1 (out of memory) or -6 (not a bilevel run-length page, or a row that cannot
// be found in it).
int fax_encode_huffman(const PageBitmap* source, PageBitmap* target, int flags);
int fax_encode_g3_1d(const PageBitmap* source, PageBitmap* target, int flags);
int fax_encode_g4(const PageBitmap* source, PageBitmap* target, int flags);
