// Pages built in memory for the scaling and depth conversion tests: packed pixel
// pages of any depth from a value function, bilevel pages in the run-length form
// from a white/black matrix, and the reverse reading of run-length pages.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "codecs/run_form.h"
#include "imaging/imaging.h"

using BitMatrix = std::vector<std::vector<uint8_t>>;  // [row][column], 1 = white

// A display transform over a caller's buffer.
inline ViewParams test_view(uint8_t* pixels, int32_t pitch, int32_t w, int32_t h, int32_t xs, int32_t ys,
                            int32_t angle = 0, int32_t sx = 0, int32_t sy = 0, uint8_t flags = 0) {
    ViewParams v{};
    v.src_x = sx;
    v.src_y = sy;
    v.x_scale = xs;
    v.y_scale = ys;
    v.out_width = w;
    v.out_height = h;
    v.out_pitch = pitch;
    v.angle = angle;
    v.pixels = pixels;
    v.flags = flags;
    return v;
}

// A page owning its buffers; released at the end of the scope.
struct OwnedPage {
    PageBitmap page{};
    OwnedPage() = default;
    OwnedPage(const OwnedPage&) = delete;
    OwnedPage& operator=(const OwnedPage&) = delete;
    ~OwnedPage() {
        if (page.data || page.palette) release_page(&page);
    }
};

// Stores `value` (the low `bpp` bits) as pixel x of a packed row.
inline void put_pixel(uint8_t* row, int32_t x, int bpp, uint32_t value) {
    switch (bpp) {
    case 1: {
        const uint8_t bit = (uint8_t)(0x80 >> (x & 7));
        row[x >> 3] = (uint8_t)(value ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 2: {
        const int shift = 6 - 2 * (x & 3);
        row[x >> 2] = (uint8_t)((row[x >> 2] & ~(3 << shift)) | ((value & 3) << shift));
        break;
    }
    case 4:
        row[x >> 1] = (x & 1) ? (uint8_t)((row[x >> 1] & 0xF0) | (value & 15))
                              : (uint8_t)((row[x >> 1] & 0x0F) | ((value & 15) << 4));
        break;
    case 8: row[x] = (uint8_t)value; break;
    case 16:
        row[2 * x] = (uint8_t)value;
        row[2 * x + 1] = (uint8_t)(value >> 8);
        break;
    default:
        row[3 * x] = (uint8_t)value;
        row[3 * x + 1] = (uint8_t)(value >> 8);
        row[3 * x + 2] = (uint8_t)(value >> 16);
        break;
    }
}

inline uint32_t get_pixel(const uint8_t* row, int32_t x, int bpp) {
    switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
    case 4: return (x & 1) ? row[x >> 1] & 15u : (uint32_t)row[x >> 1] >> 4;
    case 8: return row[x];
    case 16: return (uint32_t)row[2 * x] | ((uint32_t)row[2 * x + 1] << 8);
    default: return (uint32_t)row[3 * x] | ((uint32_t)row[3 * x + 1] << 8) | ((uint32_t)row[3 * x + 2] << 16);
    }
}

// An uncompressed top-down page whose pixel (x, y) is value(x, y); rows padded to
// 4 bytes plus `extra_pitch`.
inline void make_pixel_page(PageBitmap& page, int32_t width, int32_t height, int bpp,
                            const std::function<uint32_t(int32_t, int32_t)>& value, int32_t extra_pitch = 0) {
    std::memset(&page, 0, sizeof page);
    page.width = width;
    page.height = height;
    page.bits_per_pixel = (int8_t)bpp;
    page.pitch = row_bytes_aligned(width, bpp) + extra_pitch;
    page.data_length = page.pitch * height;
    page.data = static_cast<uint8_t*>(mem_alloc((size_t)page.data_length));
    page.ownership = OWN_ALLOCATED;
    page.layout = LAYOUT_TOP_DOWN;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) put_pixel(page.data + (size_t)y * page.pitch, x, bpp, value(x, y));
}

// A bilevel page in the run-length form with the given white/black pixels.
inline void make_run_page(PageBitmap& page, const BitMatrix& white) {
    std::memset(&page, 0, sizeof page);
    page.height = (int32_t)white.size();
    page.width = (int32_t)white[0].size();
    std::vector<uint8_t> bytes;
    std::vector<size_t> starts;
    for (const auto& row : white) {
        starts.push_back(bytes.size());
        size_t x = 0;
        for (;;) {
            const size_t w0 = x;
            while (x < row.size() && row[x]) ++x;
            const size_t b0 = x;
            while (x < row.size() && !row[x]) ++x;
            uint8_t pair[4];
            int n = run_write(pair, (int)(b0 - w0));
            n += run_write(pair + n, (int)(x - b0));
            bytes.insert(bytes.end(), pair, pair + n);
            if (x == b0) break;
        }
    }
    const size_t table = runs_table_bytes(page.height);
    page.data_length = (int32_t)(table + bytes.size());
    page.data = static_cast<uint8_t*>(mem_alloc((size_t)page.data_length));
    std::memcpy(page.data + table, bytes.data(), bytes.size());
    for (int32_t y = 0; y < page.height; ++y) {
        uint8_t* row = page.data + table + starts[(size_t)y];
        std::memcpy(page.data + (size_t)y * sizeof(void*), &row, sizeof row);
    }
    page.bits_per_pixel = 1;
    page.compression = COMP_RUNS;
    page.ownership = OWN_ALLOCATED;
    page.pitch = row_bytes_aligned(page.width, 1);
    page.layout = LAYOUT_TOP_DOWN;
}

// The pixels of a run-length page (a row's runs must cover exactly its width).
inline BitMatrix read_run_page(const PageBitmap& page, bool* well_formed) {
    BitMatrix out((size_t)page.height, std::vector<uint8_t>((size_t)page.width, 1));
    *well_formed = true;
    const uint8_t* end = page.data + page.data_length;
    for (int32_t y = 0; y < page.height; ++y) {
        const uint8_t* p = nullptr;
        std::memcpy(&p, page.data + (size_t)y * sizeof(void*), sizeof p);
        int32_t x = 0;
        for (;;) {
            int used = 0;
            const int w = run_read(p, (size_t)(end - p), &used);
            if (!used) break;
            p += used;
            const int b = run_read(p, (size_t)(end - p), &used);
            if (!used) break;
            p += used;
            x += w;
            for (int i = 0; i < b && x < page.width; ++i) out[(size_t)y][(size_t)x++] = 0;
            if (b == 0) break;
        }
        if (x != page.width) *well_formed = false;
    }
    return out;
}
