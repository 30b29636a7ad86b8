// Shared pieces of the fax decoders: a most-significant-bit-first reader over one
// strip of compressed data, the changing-element lines of T.4/T.6 decoding, the row
// decoders; rows go to the run-length form's page builder (codecs/run_form.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/records.h"
#include "codecs/fax_tables.h"
#include "codecs/run_form.h"

// Bit reader for fax data. Past the end it feeds zero bits (which decode as no code
// at all) and counts them, so every decoder stops at the end of its input.
struct FaxBits {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;    // next byte to load (may pass `size` by the zero bytes fed)
    uint64_t acc = 0;  // valid bits at the top
    int count = 0;

    void reset(const uint8_t* d, size_t n) {
        data = d;
        size = d ? n : 0;
        pos = 0;
        acc = 0;
        count = 0;
    }
    // Makes at least 32 bits available.
    void fill() {
        if (count >= 32) return;
        if (pos + 8 <= size) {
            uint64_t v;
            std::memcpy(&v, data + pos, 8);
            acc |= __builtin_bswap64(v) >> count;
            pos += (size_t)((63 - count) >> 3);
            count |= 56;
            return;
        }
        while (count <= 56) {
            const uint64_t byte = pos < size ? data[pos] : 0;
            ++pos;
            acc |= byte << (56 - count);
            count += 8;
        }
    }
    uint32_t peek() const { return (uint32_t)(acc >> 32); }
    void skip(int n) {
        acc <<= n;
        count -= n;
    }
    uint64_t consumed() const { return (uint64_t)pos * 8 - (uint64_t)count; }
    // True once a bit beyond the data has been consumed.
    bool overrun() const { return consumed() > (uint64_t)size * 8; }
    // True when every bit of the data has been consumed.
    bool exhausted() const { return consumed() >= (uint64_t)size * 8; }
    void align() {
        fill();
        skip((int)((8 - (consumed() & 7)) & 7));
    }
};

// Result of decoding a run or a row.
enum {
    RUN_EOL = -1,  // an end-of-line code is next (not consumed)
    RUN_BAD = -2   // no valid code
};
enum RowResult { ROW_DONE, ROW_EOL, ROW_BAD };

// A line of changing elements: positions where the colour changes, starting white,
// strictly increasing and below the width; `n` of them, then sentinels at `width`.
// The line being decoded also writes its runs as it goes (to `out`).
struct FaxLine {
    int32_t* pos;
    int n;
    uint8_t* out;       // next run byte of the row
    uint8_t* last_run;  // where the last run was written
    int32_t last;       // the last change
};

// One run of the run-length form (codecs/run_form.h).
inline uint8_t* put_run(uint8_t* out, int32_t run) { return out + run_write(out, run); }

// Starts decoding a row whose runs go to `out`.
inline void line_begin(FaxLine& line, uint8_t* out) {
    line.n = 0;
    line.out = line.last_run = out;
    line.last = 0;
}

// Appends a change at x (x >= the last change) and the run that ends there. A change
// at the same place as the last one cancels it (a zero-length run, which would end
// the row early in the run-length form); changes at the width are not stored.
inline void line_push(FaxLine& line, int32_t x, int32_t width) {
    if (x >= width) return;
    if (line.n > 0 && line.pos[line.n - 1] == x) {
        --line.n;
        line.out = line.last_run;
        line.last = line.n > 0 ? line.pos[line.n - 1] : 0;
        return;
    }
    line.pos[line.n++] = x;
    line.last_run = line.out;
    line.out = put_run(line.out, x - line.last);
    line.last = x;
}

// Ends the row's runs: the run to the width (black after an odd number of changes),
// then the run-length form's end pair. Returns the end.
inline uint8_t* line_end_runs(FaxLine& line, int32_t width) {
    uint8_t* out = put_run(line.out, width - line.last);
    return out + run_write_row_end(out, (line.n & 1) != 0);
}

// Closes a line with the sentinels that the 2-D decoding looks past.
inline void line_close(FaxLine& line, int32_t width) {
    line.pos[line.n] = width;
    line.pos[line.n + 1] = width;
    line.pos[line.n + 2] = width;
}
// Entries a line needs for a page `width` pixels wide.
inline size_t line_entries(int32_t width) { return (size_t)width + 4; }

// Decodes one run of the given colour (make-up codes and their terminating code).
// Returns the length, RUN_EOL or RUN_BAD.
int fax_decode_run(FaxBits& bits, bool black);
// Decodes a one-dimensional row into `line`. With `exact`, a row whose runs pass the
// width is bad (modified Huffman); otherwise the last run is cut at the width.
RowResult fax_decode_1d_row(FaxBits& bits, int32_t width, bool exact, FaxLine& line);
// Decodes a two-dimensional row against the reference line `ref` into `line`.
RowResult fax_decode_2d_row(FaxBits& bits, int32_t width, const FaxLine& ref, FaxLine& line);
// Skips to just past the next EOL (any bits before it are dropped). False when the
// data ends first.
bool fax_find_eol(FaxBits& bits);
// True when the next bits are EOL (after fill zeros), without consuming them.
bool fax_eol_next(FaxBits& bits);
// True when the next bits are two EOLs, each optionally followed by a tag bit 1
// (the end of a page: RTC or EOFB). Consumes them when true.
bool fax_page_end_next(FaxBits& bits);


// Largest page width the run-length form holds (runs are 15-bit).
constexpr int32_t kRunsMaxWidth = RUN_MAX;
