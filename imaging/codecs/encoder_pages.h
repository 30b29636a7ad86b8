// What the page encoders share: the rows of a decoded page in picture order (top row
// first, whichever way they are stored), and the output buffer that grows as rows are
// encoded and is then handed to the target page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/checked_math.h"
#include "base/records.h"

// ---- Rows of a decoded page ----------------------------------------------------------

// True when a page of packed rows (compression 0) holds all `height` rows of
// `row_bytes` bytes at its pitch.
inline bool packed_rows_present(const PageBitmap& p, size_t row_bytes) {
    if (!p.data || p.compression != COMP_NONE || p.height <= 0 || p.pitch <= 0 || (size_t)p.pitch < row_bytes ||
        p.data_offset < 0 || p.data_length <= 0)
        return false;
    size_t need = 0;
    return checked_mul((size_t)p.pitch, (size_t)(p.height - 1), &need) && checked_add(need, row_bytes, &need) &&
           need <= (size_t)p.data_length;
}

// Picture row y of a page that packed_rows_present accepted.
inline const uint8_t* picture_row(const PageBitmap& p, int32_t y) {
    const int32_t stored = (p.layout & LAYOUT_BOTTOM_UP) ? p.height - 1 - y : y;
    return p.data + p.data_offset + (size_t)stored * (size_t)p.pitch;
}

// ---- Output ------------------------------------------------------------------------------

// An encoder asks for room for the worst case of its next piece (reserve), writes
// there without further checks and keeps what it wrote (commit). The buffer grows
// when a reserve does not fit; output that a page's data_length cannot count is
// refused.
struct EncodedOutput {
    static constexpr size_t kLimit = INT32_MAX;

    uint8_t* buf = nullptr;
    size_t cap = 0;
    size_t used = 0;

    // Starts with room for `expected` bytes (at least 4 KB). False when out of memory.
    bool begin(size_t expected) {
        cap = expected < 4096 ? 4096 : expected;
        if (cap > kLimit) cap = kLimit;
        buf = static_cast<uint8_t*>(mem_alloc(cap));
        if (!buf) cap = 0;
        return buf != nullptr;
    }
    // Where the next `more` bytes go; null when the output cannot grow that far.
    uint8_t* reserve(size_t more) {
        size_t need = 0;
        if (!checked_add(used, more, &need, kLimit)) return nullptr;
        if (need > cap && !grow(need)) return nullptr;
        return buf + used;
    }
    void commit(const uint8_t* end) { used = (size_t)(end - buf); }
    // Appends `n` bytes.
    bool put(const void* bytes, size_t n) {
        uint8_t* at = reserve(n);
        if (!at) return false;
        std::memcpy(at, bytes, n);
        used += n;
        return true;
    }
    // Hands the bytes to `page` (owned, top-down, one strip, most significant bit
    // first) as `compression`; the output is left empty.
    void finish(PageBitmap* page, int compression) {
        page->data = buf;
        page->data_offset = 0;
        page->data_length = (int32_t)used;
        page->ownership = OWN_ALLOCATED;
        page->compression = (int8_t)compression;
        page->fill_order = 0;
        page->layout = LAYOUT_TOP_DOWN;
        page->strip_count = 0;
        page->strip_offsets = nullptr;
        page->strip_lengths = nullptr;
        page->rows_per_strip = page->height;
        *this = EncodedOutput{};
    }
    void abort() {
        mem_free(buf);
        *this = EncodedOutput{};
    }

private:
    bool grow(size_t need) {
        size_t want = cap * 2 > need + need / 2 ? cap * 2 : need + need / 2;
        if (want > kLimit) want = need;
        uint8_t* bigger = static_cast<uint8_t*>(mem_alloc(want));
        if (!bigger) return false;
        if (used) std::memcpy(bigger, buf, used);
        mem_free(buf);
        buf = bigger;
        cap = want;
        return true;
    }
};

// An encoder's output and its work buffer (a row, a line of changing elements), from
// begin to end: end hands the output to the target on success and frees the rest.
struct EncoderBuffers {
    EncodedOutput out;
    uint8_t* work = nullptr;

    // 0, or -1 when either buffer cannot be had (end still frees the other).
    int begin(size_t expected, size_t work_bytes) {
        if (work_bytes && !(work = static_cast<uint8_t*>(mem_alloc(work_bytes)))) return ERR_MEMORY;
        return out.begin(expected) ? IMG_OK : ERR_MEMORY;
    }
    // With rc 0 the output goes to `target` as `compression`, otherwise it is dropped;
    // answers rc.
    int end(int rc, PageBitmap* target, int compression) {
        mem_free(work);
        work = nullptr;
        if (rc != IMG_OK) out.abort();
        else out.finish(target, compression);
        return rc;
    }
};
