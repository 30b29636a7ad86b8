// The run-length form of bilevel pages (see run_form.h): run coding, the row look-up
// and its pair walk, the page builder with its one way of writing a row, packed-row
// measuring (a 64-bit word at a time) and painting, and the whole-page operations.
#include "codecs/run_form.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/checked_math.h"

namespace {

// Pages whose runs are expected to pass kLargeRuns get a block of kHugeBlock: with the
// memory layer's 64-byte header the mapping is exactly 4 MB, which the native memory
// layer backs with huge pages (a fresh 400 KB of small pages costs about a millisecond
// of page faults, more than decoding a fax page).
constexpr size_t kLargeRuns = 256u << 10;
constexpr size_t kHugeBlock = (4u << 20) - 64;
// The white row that rows never added point at: one run and the end pair.
constexpr size_t kWhiteRowBytes = 3;

// While rows are added the table holds each row's offset in the buffer.
size_t* row_offsets(uint8_t* buffer) { return reinterpret_cast<size_t*>(buffer); }
uint8_t** row_table(uint8_t* buffer) { return reinterpret_cast<uint8_t**>(buffer); }

// Room for one more row and for the closing white row, growing the buffer.
int reserve_row(RunsBuilder* b) {
    const size_t need = b->used + runs_row_bound(b->width) + kWhiteRowBytes;
    if (need <= b->capacity) return IMG_OK;
    size_t want = std::max(b->capacity * 2, need + need / 2);
    if (want >= kMaxPageBytes) want = need;
    if (want >= kMaxPageBytes) return ERR_MEMORY;  // runs beyond any sane page
    uint8_t* grown = static_cast<uint8_t*>(mem_alloc(want));
    if (!grown) return ERR_MEMORY;
    std::memcpy(grown, b->buffer, b->used);
    mem_free(b->buffer);
    b->buffer = grown;
    b->capacity = want;
    return IMG_OK;
}

// Writes a row run by run, white first: empty runs are merged away, runs of one
// colour joined, and the end pair follows the last run.
class RowWriter {
public:
    explicit RowWriter(uint8_t* out) : out_(out) {}
    void add(int32_t length, bool black) {
        if (length <= 0) return;  // an empty run would end the row early
        if (black != black_) {
            out_ += run_write(out_, pending_);
            black_ = black;
            pending_ = 0;
        }
        pending_ += length;
    }
    uint8_t* finish() {
        out_ += run_write(out_, pending_);
        out_ += run_write_row_end(out_, black_);
        return out_;
    }

private:
    uint8_t* out_;
    int32_t pending_ = 0;
    bool black_ = false;
};

// Eight bytes from `p` as a big-endian word (bit 63 the leftmost pixel); bytes at or
// past `end` read as 0.
uint64_t load_be64(const uint8_t* p, const uint8_t* end) {
    uint64_t v = 0;
    if (end - p >= 8) {
        for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
        return v;
    }
    for (int i = 0; i < 8; ++i) v = v << 8 | (p + i < end ? p[i] : 0);
    return v;
}

// First column at or after `x` whose bit differs from `bit` (or `width`).
int32_t next_change(const uint8_t* row, const uint8_t* end, int32_t x, int32_t width, bool bit) {
    while (x < width) {
        const int shift = x & 7;
        uint64_t v = load_be64(row + (x >> 3), end) << shift;
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

// Calls emit(length, black) for each run of a packed row, left to right.
template <class Emit>
void measure_packed(const uint8_t* row, size_t row_bytes, int32_t width, bool set_is_black, Emit&& emit) {
    const uint8_t* end = row + row_bytes;
    int32_t x = 0;
    bool bit = !set_is_black;  // the bit value of a white pixel
    while (x < width) {
        const int32_t next = next_change(row, end, x, width, bit);
        emit(next - x, bit == set_is_black);
        x = next;
        bit = !bit;
    }
}

}  // namespace

// ---- One run ---------------------------------------------------------------------------

int run_read(const uint8_t* in, size_t avail, int* used) {
    if (avail == 0) {
        *used = 0;
        return 0;
    }
    if (in[0] < 0x80) {
        *used = 1;
        return in[0];
    }
    if (avail < 2) {
        *used = 0;
        return 0;
    }
    *used = 2;
    return ((in[0] & 0x7F) << 8) | in[1];
}

void runs_rebase_rows(uint8_t* new_buffer, const uint8_t* old_buffer, int32_t height) {
    uint8_t** rows = row_table(new_buffer);
    for (int32_t y = 0; y < height; ++y) {
        const ptrdiff_t offset = rows[y] - old_buffer;
        rows[y] = new_buffer + offset;
    }
}

// ---- Reading a row ------------------------------------------------------------------------

RunRow run_row(const PageBitmap& page, int32_t y) {
    const size_t table = runs_table_bytes(page.height);
    if (!page.data || y < 0 || y >= page.height || page.data_length < 0 || (size_t)page.data_length < table)
        return RunRow{nullptr, 0};
    const uint8_t* base = page.data + page.data_offset;
    const int32_t stored = (page.layout & LAYOUT_BOTTOM_UP) ? page.height - 1 - y : y;
    const uint8_t* row = nullptr;
    std::memcpy(&row, base + (size_t)stored * sizeof(void*), sizeof row);
    const uint8_t* end = base + page.data_length;
    if (!row || row < base + table || row >= end) return RunRow{nullptr, 0};
    return RunRow{row, (size_t)(end - row)};
}

bool run_row_lengths(const PageBitmap& page, int32_t y, std::vector<int>& runs) {
    runs.clear();
    const RunRow row = run_row(page, y);
    for_each_run_pair(row, page.width, [&](int32_t, int32_t white, int32_t black) {
        runs.push_back(white);
        if (black > 0) runs.push_back(black);
    });
    return row.bytes != nullptr;
}

// ---- Packed rows -----------------------------------------------------------------------------

void runs_measure_packed(const uint8_t* row, size_t row_bytes, int32_t width, bool set_is_black,
                         std::vector<int>& runs) {
    runs.clear();
    measure_packed(row, row_bytes, width, set_is_black, [&runs](int32_t length, bool) { runs.push_back(length); });
}

void runs_paint_row(RunRow row, uint8_t* out, int32_t width) {
    std::memset(out, 0xFF, (size_t)(width + 7) / 8);
    for_each_black_run(row, width, [out](int32_t start, int32_t length) { clear_span(out, start, start + length); });
}

void runs_paint_row_black(RunRow row, uint8_t* out, int32_t width) {
    std::memset(out, 0, (size_t)(width + 7) / 8);
    for_each_black_run(row, width, [out](int32_t start, int32_t length) { set_span(out, start, start + length); });
}

// ---- Building a page ----------------------------------------------------------------------------

int runs_begin(RunsBuilder* b, int32_t width, int32_t height, size_t estimate) {
    *b = RunsBuilder{};
    if (width <= 0 || height <= 0) return ERR_PARAMETER;
    if (width > RUN_MAX) return ERR_UNSUPPORTED;
    static_assert(sizeof(size_t) == sizeof(void*), "row table entries are pointer-sized");
    const size_t table = runs_table_bytes(height);
    size_t capacity = 0;
    if (!checked_add(table + kWhiteRowBytes, std::min<size_t>(estimate, kMaxPageBytes / 2), &capacity) ||
        !checked_add(capacity, runs_row_bound(width), &capacity, (size_t)kMaxPageBytes))
        return ERR_MEMORY;
    if (capacity >= kLargeRuns && capacity < kHugeBlock) capacity = kHugeBlock;
    b->buffer = static_cast<uint8_t*>(mem_alloc(capacity));
    if (!b->buffer) return ERR_MEMORY;
    b->capacity = capacity;
    b->used = table;
    b->width = width;
    b->height = height;
    return IMG_OK;
}

uint8_t* runs_row_space(RunsBuilder* b, int* rc) {
    *rc = b->rows >= b->height ? ERR_PARAMETER : reserve_row(b);
    return *rc ? nullptr : b->buffer + b->used;
}

void runs_row_commit(RunsBuilder* b, const uint8_t* end) {
    row_offsets(b->buffer)[b->rows++] = b->used;
    b->used = (size_t)(end - b->buffer);
}

int runs_add_row(RunsBuilder* b, const int* runs, size_t count) {
    int rc = IMG_OK;
    uint8_t* out = runs_row_space(b, &rc);
    if (!out) return rc;
    RowWriter w(out);
    int32_t x = 0;
    for (size_t i = 0; i < count && x < b->width; ++i) {
        const int32_t length = std::min<int32_t>(std::max(runs[i], 0), b->width - x);
        w.add(length, (i & 1) != 0);
        x += length;
    }
    w.add(b->width - x, false);
    runs_row_commit(b, w.finish());
    return IMG_OK;
}

int runs_add_packed_row(RunsBuilder* b, const uint8_t* row, size_t row_bytes, bool set_is_black) {
    int rc = IMG_OK;
    uint8_t* out = runs_row_space(b, &rc);
    if (!out) return rc;
    RowWriter w(out);
    measure_packed(row, row_bytes, b->width, set_is_black, [&w](int32_t length, bool black) { w.add(length, black); });
    runs_row_commit(b, w.finish());
    return IMG_OK;
}

int runs_finish(RunsBuilder* b, PageBitmap* page) {
    // Room for the white row was kept free from the start and after each row.
    uint8_t* white = b->buffer + b->used;
    if (b->rows < b->height) {
        RowWriter w(white);
        w.add(b->width, false);
        b->used = (size_t)(w.finish() - b->buffer);
    }
    size_t* offsets = row_offsets(b->buffer);
    uint8_t** rows = row_table(b->buffer);
    for (int32_t y = 0; y < b->height; ++y) rows[y] = y < b->rows ? b->buffer + offsets[y] : white;
    page->data = b->buffer;
    page->data_offset = 0;
    page->data_length = (int32_t)b->used;
    page->width = b->width;
    page->height = b->height;
    page->compression = COMP_RUNS;
    page->bits_per_pixel = 1;
    page->black_is_one = 0;
    page->ownership = OWN_ALLOCATED;
    page->layout = (uint8_t)((page->layout & ~(LAYOUT_BOTTOM_UP | LAYOUT_TOP_DOWN)) | LAYOUT_TOP_DOWN);
    page->pitch = row_bytes_aligned(b->width, 1);
    *b = RunsBuilder{};
    return IMG_OK;
}

void runs_abort(RunsBuilder* b) {
    mem_free(b->buffer);
    *b = RunsBuilder{};
}

// ---- Whole pages ------------------------------------------------------------------------------

void runs_reverse_rows(PageBitmap* page) {
    uint8_t** rows = row_table(page->data + page->data_offset);
    for (int32_t i = 0, j = page->height - 1; i < j; ++i, --j) std::swap(rows[i], rows[j]);
    page->layout = (uint8_t)((page->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
}

int runs_invert_page(PageBitmap* page) {
    RunsBuilder b;
    if (int rc = runs_begin(&b, page->width, page->height, (size_t)page->data_length)) return rc;
    std::vector<int> runs;
    for (int32_t y = 0; y < page->height; ++y) {
        // The inverted row opens with an empty white run; pixels the old row left
        // uncovered were white and turn black.
        if (!run_row_lengths(*page, y, runs)) {
            runs_abort(&b);
            return ERR_PARAMETER;  // a damaged page is refused
        }
        runs.insert(runs.begin(), 0);
        int32_t covered = 0;
        for (int r : runs) covered += r;
        if (covered < page->width) {
            if (runs.size() % 2 == 0) runs.push_back(0);  // the uncovered run is black
            runs.push_back(page->width - covered);
        }
        if (int rc = runs_add_row(&b, runs.data(), runs.size())) {
            runs_abort(&b);
            return rc;
        }
    }
    if (page_owns_data(*page)) mem_free(page->data);
    return runs_finish(&b, page);
}

int runs_page_replace(PageBitmap* page, const std::vector<std::vector<int>>& rows, int32_t width) {
    RunsBuilder b;
    size_t estimate = 0;
    for (const auto& r : rows) estimate += 2 * r.size() + 2;
    if (int rc = runs_begin(&b, width, (int32_t)rows.size(), estimate)) return rc;
    for (const auto& r : rows) {
        if (int rc = runs_add_row(&b, r.data(), r.size())) {
            runs_abort(&b);
            return rc;
        }
    }
    if (page->data && page_owns_data(*page)) mem_free(page->data);
    PageBitmap built = *page;
    runs_finish(&b, &built);
    page->data = built.data;
    page->data_offset = 0;
    page->data_length = built.data_length;
    page->ownership = OWN_ALLOCATED;
    page->compression = COMP_RUNS;
    page->height = built.height;
    return IMG_OK;
}
