// Parsing and writing the per-row run lists of the library's bilevel run-length form.
#include "base/checked_math.h"
#include "process/process.h"
#include "process/run_rows.h"

void runs_list_parse(const uint8_t* row, size_t avail, int width, std::vector<int>& runs) {
    runs.clear();
    size_t pos = 0;
    int covered = 0;
    while (covered < width) {
        int used = 0;
        int white = run_read(row + pos, avail - pos, &used);
        if (used == 0) break;
        pos += (size_t)used;
        int black = run_read(row + pos, avail - pos, &used);
        if (used == 0) black = 0;
        pos += (size_t)used;
        if (white > width - covered) white = width - covered;
        covered += white;
        if (black > width - covered) black = width - covered;
        covered += black;
        runs.push_back(white);
        if (black == 0) break;
        runs.push_back(black);
    }
}

bool runs_row_parse(const PageBitmap& page, int32_t y, std::vector<int>& runs) {
    runs.clear();
    const uint8_t* base = page.data;
    const size_t table = runs_table_bytes(page.height);
    if (!base || y < 0 || y >= page.height || (size_t)page.data_length < table) return false;
    const uint8_t* row = reinterpret_cast<uint8_t* const*>(base)[y];
    if (row < base + table || row >= base + page.data_length) return false;
    runs_list_parse(row, (size_t)(base + page.data_length - row), page.width, runs);
    return true;
}

void runs_normalize(std::vector<int>& runs) {
    // Drop empty runs after the first by merging their neighbours: the runs either
    // side of an empty run have the same colour.
    std::vector<int> out;
    out.reserve(runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        const int r = runs[i];
        if (r == 0 && i > 0 && i + 1 < runs.size()) {
            out.back() += runs[i + 1];
            ++i;
            continue;
        }
        if (r == 0 && i > 0) break;  // trailing empty run
        out.push_back(r);
    }
    // A run holds at most 15 bits and an empty run inside a row would end it, so a
    // longer run cannot be written: it is cut to the limit.
    for (int& r : out)
        if (r > RUN_MAX) r = RUN_MAX;
    runs.swap(out);
}

size_t runs_list_size(const std::vector<int>& runs) {
    size_t n = 2;
    for (int r : runs) n += (size_t)run_size(r);
    return n;
}

size_t runs_list_write(const std::vector<int>& runs, uint8_t* out) {
    size_t n = 0;
    for (int r : runs) n += (size_t)run_write(out + n, r);
    out[n++] = 0;
    out[n++] = 0;
    return n;
}

namespace {
// Eight bytes at `p` as a big-endian word: bit 63 is the leftmost pixel.
uint64_t load_be64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
    return v;
}

// First column at or after `x` whose bit differs from `bit` (or `width`).
int32_t next_change(const uint8_t* row, int32_t x, int32_t width, bool bit) {
    while (x < width) {
        const int shift = x & 7;
        uint64_t v = load_be64(row + (x >> 3)) << shift;
        if (bit) v = ~v;
        v &= ~((uint64_t{1} << shift) - 1);  // the bits shifted in are not pixels
        if (v) {
            const int32_t at = x + __builtin_clzll(v);
            return at < width ? at : width;
        }
        x += 64 - shift;
    }
    return width;
}
}  // namespace

void runs_from_packed_row(const uint8_t* row, int32_t width, bool set_is_black, std::vector<int>& runs) {
    runs.clear();
    int32_t x = 0;
    bool bit = set_is_black ? false : true;  // the bit value of a white pixel
    while (x < width) {
        const int32_t end = next_change(row, x, width, bit);
        runs.push_back(end - x);
        x = end;
        bit = !bit;
    }
}

int runs_page_replace(PageBitmap* page, const std::vector<std::vector<int>>& rows) {
    const int32_t height = (int32_t)rows.size();
    size_t total = runs_table_bytes(height);
    for (const auto& r : rows)
        if (!checked_add(total, runs_list_size(r), &total, (size_t)INT32_MAX)) return ERR_MEMORY;
    uint8_t* buffer = static_cast<uint8_t*>(mem_alloc(total));
    if (!buffer) return ERR_MEMORY;
    uint8_t** table = reinterpret_cast<uint8_t**>(buffer);
    size_t pos = runs_table_bytes(height);
    for (int32_t y = 0; y < height; ++y) {
        table[y] = buffer + pos;
        pos += runs_list_write(rows[(size_t)y], buffer + pos);
    }
    if (page->data && page->ownership != OWN_BORROWED) mem_free(page->data);
    page->data = buffer;
    page->data_length = (int32_t)total;
    page->data_offset = 0;
    page->ownership = OWN_ALLOCATED;
    page->compression = COMP_RUNS;
    page->height = height;
    return IMG_OK;
}
