// Packed-row helpers (4-bit stores, clearing spans of bilevel rows most significant
// bit first, a clear bit black) and reading the rows of a run-length bilevel page
// (alternating white and black runs; a pair with an empty black run ends the row).
// Shared by the drawing primitive and the depth conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/records.h"

// Stores 4-bit value v as pixel x of a packed row (left pixel in the high half).
inline void put_nibble(uint8_t* row, int32_t x, unsigned v) {
    uint8_t& b = row[x >> 1];
    b = (x & 1) ? (uint8_t)((b & 0xF0) | v) : (uint8_t)((b & 0x0F) | (v << 4));
}

// Clears bits [start, end) of a packed row: edge masks on the first and last byte,
// a byte fill between them. Callers pass 0 <= start < end.
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

// One row of a run-length page: its first byte and how many bytes may be read.
struct RunRow {
    const uint8_t* bytes;
    size_t avail;
};

// The run list of row `y` (0 <= y < height). When the page's data_length covers its
// row table, each row is bounded by the end of the buffer and a row pointer outside
// the buffer reads as an empty row; otherwise the table is trusted as the library
// built it.
inline RunRow run_row(const PageBitmap& page, int32_t y) {
    const uint8_t* row = nullptr;
    std::memcpy(&row, page.data + (size_t)y * sizeof(void*), sizeof row);
    const size_t table = runs_table_bytes(page.height);
    if (page.data_length <= 0 || (size_t)page.data_length < table) return RunRow{row, SIZE_MAX};
    const uint8_t* begin = page.data;
    const uint8_t* end = page.data + page.data_length;
    if (!row || row < begin || row >= end) return RunRow{nullptr, 0};
    return RunRow{row, (size_t)(end - row)};
}

// Calls fn(start, length) for each black run of a row, left to right, with the run
// cut at `width`. Every pair but the last advances by at least one pixel, and the
// walk stops at `width`, so a damaged list cannot loop for long.
template <class Fn>
void for_each_black_run(RunRow row, int32_t width, Fn&& fn) {
    if (!row.bytes) return;
    size_t pos = 0;
    int32_t x = 0;
    while (x < width) {
        int used = 0;
        const int white = run_read(row.bytes + pos, row.avail - pos, &used);
        if (used == 0) return;
        pos += (size_t)used;
        const int black = run_read(row.bytes + pos, row.avail - pos, &used);
        if (used == 0 || black == 0) return;
        pos += (size_t)used;
        x += white;
        if (x >= width) return;
        const int32_t length = black < width - x ? black : width - x;
        fn(x, length);
        x += black;
    }
}
