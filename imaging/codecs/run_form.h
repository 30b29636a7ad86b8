// The library's run-length form of bilevel pages (compression 11), in one place: the
// coding of a run, the look-up of a row and the walk over its run pairs, the page
// builder, and the measuring and painting of packed rows. The codecs (fax, LZW, the
// conversions to and from compression 0) and the processing (scaling, depth, turns,
// inversion) build and read run-length pages only through this module.
//
// The form: a table of `height` row pointers (pointer-sized) opens the buffer; each
// row is a list of (white, black) run pairs. A run below 128 takes one byte, a longer
// one two: a 15-bit big-endian value with the top bit set. The pair whose black run is
// 0 ends the row. The builder writes every row the same way: empty runs inside the row
// merged away, then the end pair: after a white run a black 0, after a black run a
// white 0 and a black 0. Pages are at most RUN_MAX pixels wide, so every run fits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/records.h"

// ---- One run ------------------------------------------------------------------------

enum { RUN_MAX = 32767 };

// Writes one run length (cut to 0..32767) at `out`; returns the bytes written (1 or 2).
inline int run_write(uint8_t* out, int length) {
    if (length < 0) length = 0;
    if (length > RUN_MAX) length = RUN_MAX;
    if (length < 128) {
        out[0] = (uint8_t)length;
        return 1;
    }
    out[0] = (uint8_t)(0x80 | (length >> 8));
    out[1] = (uint8_t)(length & 0xFF);
    return 2;
}
// Bytes that run_write needs for `length`.
inline int run_size(int length) { return length < 128 ? 1 : 2; }
// Reads one run length from `in` (at most `avail` bytes); stores the byte count used
// in *used (0 when the data ends inside the run, which then reads as absent).
int run_read(const uint8_t* in, size_t avail, int* used);
// Writes the end pair after a row's last run (black 0, or white 0 and black 0 after a
// black run); returns the bytes written (1 or 2).
inline int run_write_row_end(uint8_t* out, bool last_run_black) {
    out[0] = 0;
    if (!last_run_black) return 1;
    out[1] = 0;
    return 2;
}

// Size of the row-pointer table that opens a run-length buffer of `height` rows.
inline size_t runs_table_bytes(int32_t height) { return height > 0 ? (size_t)height * sizeof(void*) : 0; }
// Rebases each of `height` row pointers at the start of `new_buffer` by the distance
// between `old_buffer` and `new_buffer` (after a copy of the page data).
void runs_rebase_rows(uint8_t* new_buffer, const uint8_t* old_buffer, int32_t height);

// ---- Reading a row --------------------------------------------------------------------

// One row of a run-length page: its first byte and how many bytes may be read from
// it. A row without bytes is one that could not be found (see run_row).
struct RunRow {
    const uint8_t* bytes;
    size_t avail;
};

// The run list of picture row `y` (counted from the top; a bottom-up page's table is
// read from its end). The row must start inside the page's data (data + data_offset,
// data_length bytes) after the row table, and may be read up to the data's end. A row
// outside the page, a pointer outside the data, or data that does not cover the table
// answers a row without bytes: readers paint it white, operations refuse the page.
RunRow run_row(const PageBitmap& page, int32_t y);

// Calls fn(x, white, black) for each (white, black) pair of a row from the left, x
// being the pair's first pixel, both runs cut at `width`. The one end rule: the row
// ends after a pair whose black run is 0 (the last call has black 0), after a run cut
// off by the end of the bytes (a white run without its black run is passed with black
// 0; a missing white run ends the row before it), or where the runs reach `width`.
// Every pair but the last advances by at least a pixel, so the walk is bounded.
template <class Fn>
void for_each_run_pair(RunRow row, int32_t width, Fn&& fn) {
    if (!row.bytes) return;
    size_t pos = 0;
    int32_t x = 0;
    while (x < width) {
        int used = 0;
        int32_t white = run_read(row.bytes + pos, row.avail - pos, &used);
        if (used == 0) return;
        pos += (size_t)used;
        int32_t black = run_read(row.bytes + pos, row.avail - pos, &used);
        pos += (size_t)used;
        if (used == 0) black = 0;
        if (white > width - x) white = width - x;
        if (black > width - x - white) black = width - x - white;
        fn(x, white, black);
        if (black == 0) return;
        x += white + black;
    }
}

// Calls fn(start, length) for each black run of a row, cut at `width`.
template <class Fn>
void for_each_black_run(RunRow row, int32_t width, Fn&& fn) {
    for_each_run_pair(row, width, [&](int32_t x, int32_t white, int32_t black) {
        if (black > 0) fn(x + white, black);
    });
}

// The runs of picture row `y` as alternating lengths, white first, cut at the page's
// width; pixels after the last run are white and left out of the list. False (and an
// empty list) when the row cannot be found.
bool run_row_lengths(const PageBitmap& page, int32_t y, std::vector<int>& runs);

// ---- Packed rows ------------------------------------------------------------------------
// Packed rows hold 8 pixels a byte, the most significant bit first.

// Measures a packed row of `width` pixels (bytes past `row_bytes` count as clear
// bits) into alternating run lengths, white first (the first may be 0). A set bit is
// black when `set_is_black`, else white.
void runs_measure_packed(const uint8_t* row, size_t row_bytes, int32_t width, bool set_is_black,
                         std::vector<int>& runs);

// Clears bits [start, end) of a packed row: edge masks on the first and last byte, a
// byte fill between them. Callers pass 0 <= start < end.
inline void clear_span(uint8_t* row, int32_t start, int32_t end) {
    const int32_t first = start >> 3;
    const int32_t last = (end - 1) >> 3;
    const uint8_t head = (uint8_t)(0xFFu >> (start & 7));
    const uint8_t tail = (uint8_t)(0xFFu << (7 - ((end - 1) & 7)));
    if (first == last) {
        row[first] &= (uint8_t)~(head & tail);
        return;
    }
    row[first] &= (uint8_t)~head;
    if (last - first > 1) std::memset(row + first + 1, 0, (size_t)(last - first - 1));
    row[last] &= (uint8_t)~tail;
}

// Sets bits [start, end) of a packed row, as clear_span clears them.
inline void set_span(uint8_t* row, int32_t start, int32_t end) {
    const int32_t first = start >> 3;
    const int32_t last = (end - 1) >> 3;
    const uint8_t head = (uint8_t)(0xFFu >> (start & 7));
    const uint8_t tail = (uint8_t)(0xFFu << (7 - ((end - 1) & 7)));
    if (first == last) {
        row[first] |= (uint8_t)(head & tail);
        return;
    }
    row[first] |= head;
    if (last - first > 1) std::memset(row + first + 1, 0xFF, (size_t)(last - first - 1));
    row[last] |= tail;
}

// Paints a row into `out` (width pixels, (width + 7) / 8 bytes): set bits white,
// black runs clear. A row without bytes paints all white.
void runs_paint_row(RunRow row, uint8_t* out, int32_t width);
// The same row in the opposite sense, as printers and TIFF's white-is-zero rows take
// it: clear bits white, black runs set; the bits after `width` stay clear.
void runs_paint_row_black(RunRow row, uint8_t* out, int32_t width);

// ---- Building a page ------------------------------------------------------------------------

// A run-length page under construction: rows arrive top to bottom, the buffer grows
// as they do, and rows never added are white.
struct RunsBuilder {
    uint8_t* buffer = nullptr;
    size_t capacity = 0;
    size_t used = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rows = 0;  // rows added so far
};

// Starts a page of `height` rows of `width` pixels; `estimate` is the expected size of
// the run lists. -6 for an empty size, -7 for a page wider than RUN_MAX or taller than
// the page side cap, -1 when out of memory.
int runs_begin(RunsBuilder* b, int32_t width, int32_t height, size_t estimate);
// Bytes one row of `width` pixels can take in the form, end pair included.
inline size_t runs_row_bound(int32_t width) { return (size_t)width + 8; }
// Room for the next row, at least runs_row_bound(width) bytes, for a writer that puts
// the runs there itself (run_write, then run_write_row_end); null with *rc set when
// the page is full (-6) or out of memory (-1).
uint8_t* runs_row_space(RunsBuilder* b, int* rc);
// Keeps the bytes written into the row space up to `end` as the next row.
void runs_row_commit(RunsBuilder* b, const uint8_t* end);
// Appends one row given as alternating run lengths, white first; runs past the width
// are cut and a short row is completed in white.
int runs_add_row(RunsBuilder* b, const int* runs, size_t count);
// Appends one packed row (bytes past `row_bytes` count as clear bits).
int runs_add_packed_row(RunsBuilder* b, const uint8_t* row, size_t row_bytes, bool set_is_black);
// Points the rows never added at one white row and hands the buffer to `page`:
// compression 11, depth 1, owned, top-down, black_is_one 0, data_offset 0. The builder
// is left empty. 0 or -1.
int runs_finish(RunsBuilder* b, PageBitmap* page);
// Frees what the builder holds.
void runs_abort(RunsBuilder* b);

// ---- Whole pages ----------------------------------------------------------------------------

// Reverses the row table of a bottom-up run-length page and marks it top-down.
void runs_reverse_rows(PageBitmap* page);
// Swaps white and black in every row (into a new owned buffer, the old one freed when
// the page owned it); black_is_one becomes 0. 0, -1, -6 for a row that cannot be found
// (the page unchanged), or -7 for a page wider than the form holds.
int runs_invert_page(PageBitmap* page);
// Replaces the page's data by a new run-length buffer of the rows in `rows` (one list
// of alternating lengths per row, white first, for rows `width` pixels wide), freeing
// the old buffer when the page owned it. The height becomes rows.size(); the width,
// layout and palette are the caller's. 0, or the builder's error (the page unchanged).
int runs_page_replace(PageBitmap* page, const std::vector<std::vector<int>>& rows, int32_t width);
