// Building and reading the library's run-length form of bilevel pages (compression
// 11): a row-pointer table followed by one list of (white, black) run pairs per row.
// Shared by every reader and decoder that delivers bilevel rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/records.h"

// A run-length page under construction. The buffer grows as rows arrive; the row
// pointers already written are rebased whenever it moves.
struct RunsBuilder {
    uint8_t* buffer = nullptr;
    size_t capacity = 0;
    size_t used = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rows = 0;  // rows appended so far
};

// Starts a page of `height` rows of `width` pixels; `estimate` is the expected size
// of the run lists. -7 for a width the run form cannot hold (above 32,767), -1 when
// out of memory.
int runs_begin(RunsBuilder* b, int32_t width, int32_t height, size_t estimate);
// Appends one row of packed bits (most significant bit first). A set bit is white,
// or black when `set_is_black`. Bytes beyond `row_bytes` count as clear bits.
int runs_add_packed_row(RunsBuilder* b, const uint8_t* row, size_t row_bytes, bool set_is_black);
// Appends one row given as alternating run lengths, white first; runs beyond the
// width are cut and a short row is completed in white.
int runs_add_row(RunsBuilder* b, const int32_t* runs, int count);
// Completes missing rows as all white and hands the buffer to `page` (compression 11,
// depth 1, owned, top-down, black_is_one 0). The builder is left empty.
int runs_finish(RunsBuilder* b, PageBitmap* page);
// Frees what the builder holds.
void runs_abort(RunsBuilder* b);

// Reverses the row table of a bottom-up run-length page and marks it top-down.
void runs_reverse_rows(PageBitmap* page);
// Swaps white and black in every row of a run-length page (into a new owned buffer,
// the old one freed when the page owned it); black_is_one becomes 0.
int runs_invert_page(PageBitmap* page);
// Paints the run list at `runs` (at most `avail` bytes) into a row of `width`
// pixels preset to white (all bits set); black runs clear their bits.
void runs_paint_row(const uint8_t* runs, size_t avail, uint8_t* row, int32_t width);
// The run list of picture row `y` of a run-length page and the bytes readable from
// it; null when the row pointer lies outside the page's data.
const uint8_t* runs_row(const PageBitmap* page, int32_t y, size_t* avail);

// convert_page codecs of compression 0 for bilevel pages: packed rows to the
// run-length form (decoder) and back (encoder). Deeper pages pass through.
int bilevel_decode_packed(const PageBitmap* source, PageBitmap* work, int flags);
int bilevel_encode_packed(const PageBitmap* source, PageBitmap* target, int flags);
// Compression 11: the page is already decoded (decoder) and is copied as it is
// (encoder); only bilevel pages, other depths -6.
int runs_decode_none(const PageBitmap* source, PageBitmap* work, int flags);
int runs_encode_copy(const PageBitmap* source, PageBitmap* target, int flags);
