// The convert_page codecs of bilevel pages between compression 0 (packed rows) and
// the library's run-length form (compression 11, codecs/run_form.h).
#pragma once

#include "base/records.h"

// Compression 0 for bilevel pages: packed rows to the run-length form (decoder) and
// back (encoder). Deeper pages pass through.
int bilevel_decode_packed(const PageBitmap* source, PageBitmap* work, int flags);
int bilevel_encode_packed(const PageBitmap* source, PageBitmap* target, int flags);
// Compression 11: the page is already decoded (decoder) and is copied as it is
// (encoder); only bilevel pages, other depths -6.
int runs_decode_none(const PageBitmap* source, PageBitmap* work, int flags);
int runs_encode_copy(const PageBitmap* source, PageBitmap* target, int flags);
