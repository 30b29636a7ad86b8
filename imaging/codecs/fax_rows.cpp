// Builds the library's run-length form of a bilevel page (compression 11) from lines
// of changing elements: a row table, then per row the alternating white and black
// runs (one byte below 128, else two) ended by three zero bytes.
#include <algorithm>

#include "base/checked_math.h"
#include "codecs/fax_decode.h"

namespace {
// Pages whose runs are expected to pass kLargeRuns get a block of kHugeBlock: with the
// memory layer's 64-byte header the mapping is exactly 4 MB, which the native memory
// layer backs with huge pages (a fresh 400 KB of small pages costs about a millisecond
// of page faults, more than decoding the page).
constexpr size_t kLargeRuns = 256u << 10;
constexpr size_t kHugeBlock = (4u << 20) - 64;
constexpr uint8_t kRowEnd[3] = {0, 0, 0};

// Moves the page into a buffer of at least `need` bytes.
int fax_rows_grow(FaxRows& rb, size_t need) {
    size_t cap = std::max(rb.cap * 2, need);
    if (cap >= kMaxPageBytes) cap = need;
    if (cap >= kMaxPageBytes) return ERR_DECOMPRESS;  // runs beyond any sane page
    uint8_t* grown = static_cast<uint8_t*>(mem_alloc(cap));
    if (!grown) return ERR_MEMORY;
    std::memcpy(grown, rb.buf, rb.used);
    mem_free(rb.buf);
    rb.buf = grown;
    rb.cap = cap;
    return IMG_OK;
}

size_t* row_offsets(FaxRows& rb) { return reinterpret_cast<size_t*>(rb.buf); }
}  // namespace

int fax_rows_begin(FaxRows& rb, int32_t width, int32_t height, size_t expected) {
    rb = FaxRows{};
    if (width <= 0 || height <= 0) return ERR_PARAMETER;
    if (width > kRunsMaxWidth || height > kMaxPageSide) return ERR_UNSUPPORTED;
    static_assert(sizeof(size_t) == sizeof(void*), "row table entries are pointer-sized");
    const size_t table = runs_table_bytes(height);
    size_t cap;
    if (!checked_add(table + sizeof kRowEnd, std::min<size_t>(expected, kMaxPageBytes / 2), &cap))
        return ERR_MEMORY;
    if (cap >= kLargeRuns && cap < kHugeBlock) cap = kHugeBlock;
    rb.buf = static_cast<uint8_t*>(mem_alloc(cap));
    if (!rb.buf) return ERR_MEMORY;
    rb.cap = cap;
    rb.used = table;
    rb.width = width;
    rb.height = height;
    return IMG_OK;
}

uint8_t* fax_rows_reserve(FaxRows& rb, int* rc) {
    // The room of the closing empty row is always kept free as well.
    const size_t need = rb.used + row_runs_bound(rb.width) + sizeof kRowEnd;
    *rc = need > rb.cap ? fax_rows_grow(rb, need + need / 2) : IMG_OK;
    return *rc ? nullptr : rb.buf + rb.used;
}

void fax_rows_commit(FaxRows& rb, int32_t y, const uint8_t* start, const uint8_t* end) {
    if (y < 0 || y >= rb.height) return;
    row_offsets(rb)[y] = (size_t)(start - rb.buf);
    rb.used = (size_t)(end - rb.buf);
}

void fax_rows_finish(FaxRows& rb, PageBitmap* page) {
    // Room for the empty row was kept free from the start and after each row.
    uint8_t* empty = rb.buf + rb.used;
    std::memcpy(empty, kRowEnd, sizeof kRowEnd);
    rb.used += sizeof kRowEnd;
    uint8_t** rows = reinterpret_cast<uint8_t**>(rb.buf);
    const size_t* offsets = row_offsets(rb);
    for (int32_t y = 0; y < rb.height; ++y) rows[y] = offsets[y] ? rb.buf + offsets[y] : empty;
    page->data = rb.buf;
    page->data_offset = 0;
    page->data_length = (int32_t)rb.used;
    page->compression = COMP_RUNS;
    page->ownership = OWN_ALLOCATED;
    page->fill_order = 0;
    page->bits_per_pixel = 1;
    page->strip_count = 0;
    page->strip_offsets = nullptr;
    page->strip_lengths = nullptr;
    page->rows_per_strip = page->height;
    rb = FaxRows{};
}

void fax_rows_discard(FaxRows& rb) {
    mem_free(rb.buf);
    rb = FaxRows{};
}
