// The stored strips of a page as the decoders see them: one strip at data_offset for
// data_length bytes, or the strip tables of a multi-strip TIFF page (offsets relative
// to data), each holding rows_per_strip rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/records.h"

inline bool page_has_strip_tables(const PageBitmap* p) {
    return p->strip_count > 1 && p->strip_offsets && p->strip_lengths;
}

inline int32_t page_rows_per_strip(const PageBitmap* p) {
    return page_has_strip_tables(p) && p->rows_per_strip > 0 ? p->rows_per_strip : p->height;
}

// Bytes of strip s (null and 0 when there is no such strip).
inline const uint8_t* page_strip(const PageBitmap* p, int s, size_t* size) {
    *size = 0;
    if (!p->data) return nullptr;
    if (page_has_strip_tables(p)) {
        if (s < 0 || s >= p->strip_count || p->strip_offsets[s] < 0) return nullptr;
        *size = p->strip_lengths[s];
        return p->data + p->strip_offsets[s];
    }
    if (s != 0 || p->data_length <= 0 || p->data_offset < 0) return nullptr;
    *size = (size_t)p->data_length;
    return p->data + p->data_offset;
}
