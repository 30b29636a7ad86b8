// Row-level access to pages in the run-length form: parse a row's run list into
// alternating run lengths (white first) and write such a list back in the canonical
// form (the runs, then two zero bytes, so the last pair always has an empty black run).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/records.h"

// Reads row `y` of a run-length page into `runs` (white, black, white, ...), cut so
// that the runs cover at most `page.width` pixels. False when the row pointer lies
// outside the page's buffer.
bool runs_row_parse(const PageBitmap& page, int32_t y, std::vector<int>& runs);

// Same for a run list that starts at `row` with `avail` readable bytes.
void runs_list_parse(const uint8_t* row, size_t avail, int width, std::vector<int>& runs);

// Merges empty runs inside the list (an empty black run would end the row early)
// so that it can be written back; a leading empty white run is kept.
void runs_normalize(std::vector<int>& runs);

// Bytes that runs_list_write needs for `runs` (normalized).
size_t runs_list_size(const std::vector<int>& runs);
// Writes `runs` (normalized) in the canonical form; returns the bytes written.
size_t runs_list_write(const std::vector<int>& runs, uint8_t* out);

// Measures the runs of a packed row (most significant bit first) of `width` pixels in
// which set bits are black (`set_is_black`) or white. The row must stay readable for 8
// bytes past its last pixel byte (runs are found a 64-bit word at a time).
void runs_from_packed_row(const uint8_t* row, int32_t width, bool set_is_black, std::vector<int>& runs);

// Builds a new run-length buffer from per-row run lists and installs it in `page`
// (data, data_length, data_offset 0, ownership 1, compression 11), freeing the old
// buffer when the page owned it. Returns 0 or -1.
int runs_page_replace(PageBitmap* page, const std::vector<std::vector<int>>& rows);
