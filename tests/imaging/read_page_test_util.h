// Test helpers for the page readers: an identified-file record over bytes held in
// memory (as if mapped), little-endian writers for building headers, and pixel access
// to decoded pages.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging.h"

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, size_t at, unsigned v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}
inline void put32(Bytes& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
inline void put16be(Bytes& b, size_t at, unsigned v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = (uint8_t)(v >> 8);
    b[at + 1] = (uint8_t)v;
}
inline void append(Bytes& b, std::initializer_list<int> values) {
    for (int v : values) b.push_back((uint8_t)v);
}

// A record in access mode 1 whose view is `bytes`; frees its page table at the end.
struct MemFile {
    Bytes bytes;
    ImageFileInfo info{};
    MemFile(Bytes b, int format, int pages = 1) : bytes(std::move(b)) {
        info.view = bytes.data();
        info.file_size = (int32_t)bytes.size();
        info.access = ACCESS_MAPPED;
        info.format = (int8_t)format;
        info.page_count = pages;
    }
    ~MemFile() { mem_free(info.page_offsets); }
    MemFile(const MemFile&) = delete;  // the record points into `bytes`
    MemFile& operator=(const MemFile&) = delete;
    void set_page_offsets(const std::vector<int32_t>& offsets) {
        info.page_offsets = static_cast<int32_t*>(mem_alloc(offsets.size() * sizeof(int32_t)));
        std::memcpy(info.page_offsets, offsets.data(), offsets.size() * sizeof(int32_t));
    }
};

// A page released at the end of the scope.
struct ScopedPage {
    PageBitmap page{};
    ~ScopedPage() {
        if (page.data || page.palette) release_page(&page);
    }
    PageBitmap* operator->() { return &page; }
    PageBitmap* get() { return &page; }
};

// Reads page `index` and converts it to the decoded form (run-length form for
// bilevel pages, else uncompressed); returns the first error.
inline int read_and_decode(MemFile& f, ScopedPage& out, int index = 0) {
    ScopedPage page;
    if (int rc = read_page(&f.info, page.get(), index)) return rc;
    out->compression = page->bits_per_pixel == 1 ? COMP_RUNS : COMP_NONE;
    return convert_page(page.get(), out.get(), 0);
}

// A top-down page of packed rows borrowed from `rows` (kept alive by the caller).
inline PageBitmap borrowed_rows(Bytes& rows, int32_t width, int32_t height, int32_t pitch, int bpp) {
    PageBitmap p{};
    p.width = width;
    p.height = height;
    p.pitch = pitch;
    p.bits_per_pixel = (int8_t)bpp;
    p.data = rows.data();
    p.data_length = (int32_t)rows.size();
    p.layout = LAYOUT_TOP_DOWN;
    p.ownership = OWN_BORROWED;
    return p;
}

// Converts `page` (any decoded form) to packed rows and returns pixel (x, y) in
// picture order: the bit (1 white) for bilevel pages, the palette index for 4- and
// 8-bit pages, the stored value for 16-bit pages, blue | green << 8 | red << 16 for
// 24-bit pages.
inline uint32_t pixel_at(const PageBitmap& p, int32_t x, int32_t y) {
    const int32_t row = (p.layout & LAYOUT_BOTTOM_UP) ? p.height - 1 - y : y;
    const uint8_t* r = p.data + p.data_offset + (size_t)row * p.pitch;
    switch (p.bits_per_pixel) {
    case 1: return ((r[x >> 3] >> (7 - (x & 7))) & 1) ^ (p.black_is_one ? 1u : 0u);
    case 4: return (r[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    case 8: return r[x];
    case 16: return (uint32_t)(r[2 * x] | r[2 * x + 1] << 8);
    default: return (uint32_t)(r[3 * x] | r[3 * x + 1] << 8 | r[3 * x + 2] << 16);
    }
}

// Bilevel page in run-length form painted to packed rows (1 = white per pixel).
inline std::vector<std::vector<int>> bilevel_pixels(const PageBitmap& runs) {
    PageBitmap packed{};
    packed.compression = COMP_NONE;
    std::vector<std::vector<int>> out;
    if (convert_page(&runs, &packed, 0) != IMG_OK) return out;
    for (int32_t y = 0; y < packed.height; ++y) {
        std::vector<int> row;
        for (int32_t x = 0; x < packed.width; ++x) row.push_back((int)pixel_at(packed, x, y));
        out.push_back(row);
    }
    release_page(&packed);
    return out;
}
