// Conversions between packed bilevel rows (8 pixels a byte, most significant bit
// first, a set bit white) and the library's run-length form: rows are measured a
// byte at a time with a leading-ones table, and painted back by clearing black runs.
#include "codecs/bilevel_runs.h"

#include <array>
#include <cstring>
#include <utility>

#include "base/checked_math.h"

namespace {

// Number of leading set bits of each byte value.
constexpr std::array<uint8_t, 256> kLeadingOnes = [] {
    std::array<uint8_t, 256> t{};
    for (int v = 0; v < 256; ++v) {
        int n = 0;
        while (n < 8 && (v & (0x80 >> n))) ++n;
        t[v] = (uint8_t)n;
    }
    return t;
}();

// Worst case of one row's run list: every pixel a one-byte run, plus an end pair
// and a split black run.
size_t row_worst_case(int32_t width) { return (size_t)width + 8; }

uint8_t** row_table(uint8_t* buffer) { return reinterpret_cast<uint8_t**>(buffer); }

bool runs_reserve(RunsBuilder* b, size_t extra) {
    if (b->capacity - b->used >= extra) return true;
    size_t want = b->capacity * 2;
    if (want < b->used + extra) want = b->used + extra;
    uint8_t* grown = static_cast<uint8_t*>(mem_alloc(want));
    if (!grown) return false;
    std::memcpy(grown, b->buffer, b->used);
    runs_rebase_rows(grown, b->buffer, b->rows);
    mem_free(b->buffer);
    b->buffer = grown;
    b->capacity = want;
    return true;
}

// Writes one run; black runs longer than the form holds continue after a white 0.
uint8_t* put_run(uint8_t* out, int32_t length, bool black) {
    while (black && length > RUN_MAX) {
        out += run_write(out, RUN_MAX);
        out += run_write(out, 0);
        length -= RUN_MAX;
    }
    return out + run_write(out, length);
}

// Appends a row from its runs (white first, alternating), ending with a pair whose
// black run is 0.
class RowWriter {
public:
    explicit RowWriter(uint8_t* out) : start_(out), out_(out) {}
    void add(int32_t length, bool black) {
        if (length == 0) return;  // an empty run would end the row early
        if (black != black_) {
            out_ = put_run(out_, pending_, black_);
            black_ = black;
            pending_ = 0;
        }
        pending_ += length;
    }
    size_t finish() {
        out_ = put_run(out_, pending_, black_);
        if (black_) out_ += run_write(out_, 0);  // white 0 opens the closing pair
        out_ += run_write(out_, 0);
        return (size_t)(out_ - start_);
    }

private:
    uint8_t* start_;
    uint8_t* out_;
    int32_t pending_ = 0;
    bool black_ = false;
};

int start_row(RunsBuilder* b, uint8_t** out) {
    if (b->rows >= b->height) return ERR_PARAMETER;
    if (!runs_reserve(b, row_worst_case(b->width))) return ERR_MEMORY;
    *out = b->buffer + b->used;
    row_table(b->buffer)[b->rows] = *out;
    return IMG_OK;
}

void end_row(RunsBuilder* b, size_t bytes) {
    b->used += bytes;
    ++b->rows;
}

// Packed bytes of one stored row of a bilevel page, following strips when present.
const uint8_t* packed_row(const PageBitmap* page, int32_t y, size_t* avail) {
    const size_t pitch = (size_t)page->pitch;
    if (page->strip_count > 1 && page->strip_offsets && page->strip_lengths && page->rows_per_strip > 0) {
        const int32_t strip = y / page->rows_per_strip;
        if (strip >= page->strip_count) return nullptr;
        const size_t in_strip = (size_t)(y % page->rows_per_strip) * pitch;
        const size_t length = page->strip_lengths[strip];
        if (in_strip >= length) return nullptr;
        *avail = length - in_strip < pitch ? length - in_strip : pitch;
        return page->data + page->strip_offsets[strip] + in_strip;
    }
    const size_t at = (size_t)y * pitch;
    if (page->data_length < 0 || at >= (size_t)page->data_length) return nullptr;
    *avail = (size_t)page->data_length - at < pitch ? (size_t)page->data_length - at : pitch;
    return page->data + page->data_offset + at;
}

// Deeper uncompressed pages are already in decoded form: the result refers to the
// source's rows (and so never frees them), or to a gathered copy of multi-strip rows.
int pass_through_rows(const PageBitmap* source, PageBitmap* work) {
    work->data = source->data;
    work->data_offset = source->data_offset;
    work->ownership = OWN_BORROWED;
    if (source->strip_count <= 1) return IMG_OK;
    size_t size = 0;
    if (source->pitch <= 0 || !checked_mul((size_t)source->pitch, (size_t)source->height, &size, (size_t)kMaxPageBytes))
        return ERR_UNSUPPORTED;
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(size));
    if (!out) return ERR_MEMORY;
    for (int32_t y = 0; y < source->height; ++y) {
        size_t avail = 0;
        const uint8_t* row = packed_row(source, y, &avail);
        if (row) std::memcpy(out + (size_t)y * source->pitch, row, avail);
    }
    work->data = out;
    work->data_offset = 0;
    work->data_length = (int32_t)size;
    work->ownership = OWN_ALLOCATED;
    return IMG_OK;
}

}  // namespace

int runs_begin(RunsBuilder* b, int32_t width, int32_t height, size_t estimate) {
    *b = RunsBuilder{};
    if (width <= 0 || height <= 0) return ERR_PARAMETER;
    if (width > RUN_MAX) return ERR_UNSUPPORTED;
    const size_t table = runs_table_bytes(height);
    size_t capacity = 0;
    if (!checked_add(table, estimate, &capacity, (size_t)kMaxPageBytes)) return ERR_MEMORY;
    if (!checked_add(capacity, row_worst_case(width), &capacity)) return ERR_MEMORY;
    b->buffer = static_cast<uint8_t*>(mem_alloc(capacity));
    if (!b->buffer) return ERR_MEMORY;
    b->capacity = capacity;
    b->used = table;
    b->width = width;
    b->height = height;
    return IMG_OK;
}

int runs_add_packed_row(RunsBuilder* b, const uint8_t* row, size_t row_bytes, bool set_is_black) {
    uint8_t* out = nullptr;
    if (int rc = start_row(b, &out)) return rc;
    RowWriter w(out);
    const uint8_t flip = set_is_black ? 0xFF : 0x00;
    int32_t x = 0;
    for (size_t i = 0; x < b->width; ++i) {
        uint8_t v = (uint8_t)((i < row_bytes ? row[i] : 0) ^ flip);
        int bits = b->width - x < 8 ? b->width - x : 8;
        x += bits;
        while (bits > 0) {
            // Set bits lead: measure them, then the clear bits after them.
            int ones = kLeadingOnes[v];
            if (ones > bits) ones = bits;
            if (ones) w.add(ones, false);
            v = (uint8_t)(v << ones);
            bits -= ones;
            int zeros = kLeadingOnes[(uint8_t)~v];
            if (zeros > bits) zeros = bits;
            if (zeros) w.add(zeros, true);
            v = (uint8_t)(v << zeros);
            bits -= zeros;
        }
    }
    end_row(b, w.finish());
    return IMG_OK;
}

int runs_add_row(RunsBuilder* b, const int32_t* runs, int count) {
    uint8_t* out = nullptr;
    if (int rc = start_row(b, &out)) return rc;
    RowWriter w(out);
    int32_t x = 0;
    for (int i = 0; i < count && x < b->width; ++i) {
        int32_t length = runs[i] < 0 ? 0 : runs[i];
        if (length > b->width - x) length = b->width - x;
        w.add(length, (i & 1) != 0);
        x += length;
    }
    if (x < b->width) w.add(b->width - x, false);
    end_row(b, w.finish());
    return IMG_OK;
}

int runs_finish(RunsBuilder* b, PageBitmap* page) {
    while (b->rows < b->height) {
        if (int rc = runs_add_row(b, nullptr, 0)) {
            runs_abort(b);
            return rc;
        }
    }
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

void runs_reverse_rows(PageBitmap* page) {
    uint8_t** rows = row_table(page->data + page->data_offset);
    for (int32_t i = 0, j = page->height - 1; i < j; ++i, --j) std::swap(rows[i], rows[j]);
    page->layout = (uint8_t)((page->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
}

const uint8_t* runs_row(const PageBitmap* page, int32_t y, size_t* avail) {
    if (y < 0 || y >= page->height || !page->data) return nullptr;
    const uint8_t* base = page->data + page->data_offset;
    const int32_t stored = (page->layout & LAYOUT_BOTTOM_UP) ? page->height - 1 - y : y;
    const uint8_t* row = row_table(const_cast<uint8_t*>(base))[stored];
    const uint8_t* end = base + page->data_length;
    if (row < base + runs_table_bytes(page->height) || row >= end) return nullptr;
    *avail = (size_t)(end - row);
    return row;
}

void runs_paint_row(const uint8_t* runs, size_t avail, uint8_t* row, int32_t width) {
    std::memset(row, 0xFF, (size_t)(width + 7) / 8);
    int32_t x = 0;
    size_t pos = 0;
    while (x < width) {
        int used = 0;
        x += run_read(runs + pos, avail - pos, &used);
        if (!used) return;
        pos += (size_t)used;
        const int32_t black = run_read(runs + pos, avail - pos, &used);
        if (!used || black == 0) return;
        pos += (size_t)used;
        int32_t end = x + black > width ? width : x + black;
        // Edge bits through masks, whole bytes in between by one fill.
        for (; x < end && (x & 7); ++x) row[x >> 3] &= (uint8_t)~(0x80 >> (x & 7));
        if (end - x >= 8) {
            std::memset(row + (x >> 3), 0, (size_t)(end - x) / 8);
            x += (end - x) & ~7;
        }
        for (; x < end; ++x) row[x >> 3] &= (uint8_t)~(0x80 >> (x & 7));
    }
}

int runs_invert_page(PageBitmap* page) {
    RunsBuilder b;
    if (int rc = runs_begin(&b, page->width, page->height, (size_t)page->data_length)) return rc;
    int32_t* runs = static_cast<int32_t*>(mem_alloc(((size_t)page->width + 8) * sizeof(int32_t)));
    if (!runs) {
        runs_abort(&b);
        return ERR_MEMORY;
    }
    for (int32_t y = 0; y < page->height; ++y) {
        // The inverted row opens with a white run of 0, then the old runs in turn.
        int count = 0;
        runs[count++] = 0;
        size_t avail = 0;
        const uint8_t* in = runs_row(page, y, &avail);
        for (size_t pos = 0, x = 0; in && x < (size_t)page->width && count < page->width + 2;) {
            int used = 0;
            const int32_t white = run_read(in + pos, avail - pos, &used);
            if (!used) break;
            pos += (size_t)used;
            const int32_t black = run_read(in + pos, avail - pos, &used);
            if (!used) break;
            pos += (size_t)used;
            runs[count++] = white;
            runs[count++] = black;
            x += (size_t)white + (size_t)black;
            if (black == 0) break;
        }
        // Pixels the old row left uncovered were white and turn black (odd entries).
        int32_t covered = 0;
        for (int i = 0; i < count; ++i) covered += runs[i];
        if (covered < page->width) {
            if ((count & 1) == 0) runs[count++] = 0;
            runs[count++] = page->width - covered;
        }
        runs_add_row(&b, runs, count);
    }
    mem_free(runs);
    const uint8_t layout = (uint8_t)(page->layout & ~LAYOUT_BOTTOM_UP);
    if (page->ownership == OWN_ALLOCATED) mem_free(page->data);
    const int rc = runs_finish(&b, page);
    page->layout = (uint8_t)(layout | LAYOUT_TOP_DOWN);
    return rc;
}

int bilevel_decode_packed(const PageBitmap* source, PageBitmap* work, int flags) {
    (void)flags;
    if (source->bits_per_pixel != 1) return pass_through_rows(source, work);
    if (source->pitch <= 0 || !source->data) return ERR_PARAMETER;
    RunsBuilder b;
    if (int rc = runs_begin(&b, source->width, source->height, (size_t)source->height * 16)) return rc;
    for (int32_t y = 0; y < source->height; ++y) {
        size_t avail = 0;
        const uint8_t* row = packed_row(source, y, &avail);
        const int rc = row ? runs_add_packed_row(&b, row, avail, source->black_is_one != 0)
                           : runs_add_row(&b, nullptr, 0);  // rows beyond the data stay white
        if (rc) {
            runs_abort(&b);
            return rc;
        }
    }
    work->strip_count = 0;
    work->layout = source->layout;
    runs_finish(&b, work);  // inverted already when black_is_one was set
    if (source->layout & LAYOUT_BOTTOM_UP) runs_reverse_rows(work);
    return IMG_OK;
}

int bilevel_encode_packed(const PageBitmap* source, PageBitmap* target, int flags) {
    (void)flags;
    if (source->bits_per_pixel != 1 || source->compression != COMP_RUNS) {
        *target = *source;  // deeper pages: the decoded pixels as they are
        return IMG_OK;
    }
    const int32_t pitch = row_bytes_aligned(source->width, 1);
    size_t size = 0;
    if (pitch <= 0 || !checked_mul((size_t)pitch, (size_t)source->height, &size, (size_t)kMaxPageBytes))
        return ERR_UNSUPPORTED;
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(size));
    if (!out) return ERR_MEMORY;
    for (int32_t y = 0; y < source->height; ++y) {
        size_t avail = 0;
        const uint8_t* runs = runs_row(source, y, &avail);
        if (runs) runs_paint_row(runs, avail, out + (size_t)y * pitch, source->width);
        else std::memset(out + (size_t)y * pitch, 0xFF, (size_t)pitch);
    }
    *target = *source;
    target->data = out;
    target->data_offset = 0;
    target->data_length = (int32_t)size;
    target->pitch = pitch;
    target->compression = COMP_NONE;
    target->ownership = OWN_ALLOCATED;
    target->layout = (uint8_t)((source->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    return IMG_OK;
}

int runs_decode_none(const PageBitmap* source, PageBitmap* work, int flags) {
    (void)work;
    (void)flags;
    return source->bits_per_pixel == 1 ? IMG_OK : ERR_PARAMETER;
}

int runs_encode_copy(const PageBitmap* source, PageBitmap* target, int flags) {
    (void)flags;
    if (source->bits_per_pixel != 1 || source->compression != COMP_RUNS || source->data_length <= 0)
        return ERR_PARAMETER;
    uint8_t* copy = static_cast<uint8_t*>(mem_alloc((size_t)source->data_length));
    if (!copy) return ERR_MEMORY;
    const uint8_t* from = source->data + source->data_offset;
    std::memcpy(copy, from, (size_t)source->data_length);
    runs_rebase_rows(copy, from, source->height);
    *target = *source;
    target->data = copy;
    target->data_offset = 0;
    target->ownership = OWN_ALLOCATED;
    return IMG_OK;
}
