// Turning, mirroring and flipping decoded pages, and doubling the rows of
// low-resolution fax pages. Pixel pages move whole pixels (4-bit pages half-bytes);
// bilevel pages are rewritten run by run, and turned through a banded bitmap.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/checked_math.h"
#include "process/operations.h"
#include "process/process.h"
#include "codecs/run_form.h"

int tone_operation(PageBitmap* page, int operation);
int change_depth_operation(PageBitmap* page, int depth, int method);

namespace {

constexpr size_t kBandBytes = 262144;  // scratch bitmap of the bilevel turn

uint8_t* first_row(const PageBitmap* page) { return page->data + page->data_offset; }

bool is_pixel_page(const PageBitmap* page) {
    const int bpp = page->bits_per_pixel;
    return page->compression == COMP_NONE && page->data &&
           (bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24);
}

uint8_t get4(const uint8_t* row, int32_t x) { return x & 1 ? row[x >> 1] & 0x0F : row[x >> 1] >> 4; }
void put4(uint8_t* row, int32_t x, uint8_t v) {
    uint8_t& b = row[x >> 1];
    b = x & 1 ? (uint8_t)((b & 0xF0) | v) : (uint8_t)((b & 0x0F) | v << 4);
}

// Replaces the page's pixel buffer by `pixels` of `pitch` bytes per row.
void install_pixels(PageBitmap* page, uint8_t* pixels, int32_t pitch, int32_t width, int32_t height) {
    if (page_owns_data(*page)) mem_free(page->data);
    page->data = pixels;
    page->data_offset = 0;
    page->ownership = OWN_ALLOCATED;
    page->width = width;
    page->height = height;
    page->pitch = pitch;
    page->data_length = pitch * height;
}

int turn_pixels(PageBitmap* page) {
    const int32_t w = page->width, h = page->height;
    const int bpp = page->bits_per_pixel;
    const int32_t pitch = row_bytes_aligned(h, bpp);
    size_t bytes = 0;
    if (pitch <= 0 || row_bytes_packed(h, bpp) > pitch || !checked_mul((size_t)pitch, (size_t)w, &bytes, kMaxPageBytes))
        return ERR_MEMORY;
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(bytes ? bytes : 1));
    if (!out) return ERR_MEMORY;
    const uint8_t* src = first_row(page);
    const int bytes_pp = bpp / 8;
    // Source row i, column j becomes row j, column h - 1 - i.
    for (int32_t i = 0; i < h; ++i) {
        const uint8_t* s = src + (size_t)i * (size_t)page->pitch;
        const int32_t col = h - 1 - i;
        if (bpp == 4) {
            for (int32_t j = 0; j < w; ++j) put4(out + (size_t)j * pitch, col, get4(s, j));
        } else {
            for (int32_t j = 0; j < w; ++j)
                std::memcpy(out + (size_t)j * pitch + (size_t)col * bytes_pp, s + (size_t)j * bytes_pp, (size_t)bytes_pp);
        }
    }
    install_pixels(page, out, pitch, h, w);
    return IMG_OK;
}

int turn_runs(PageBitmap* page) {
    const int32_t old_w = page->width, old_h = page->height;
    const size_t band_pitch = ((size_t)old_h + 7) / 8;
    if (old_w <= 0 || old_h <= 0) return ERR_PARAMETER;
    size_t band_rows = kBandBytes / band_pitch;
    if (band_rows == 0) band_rows = 1;
    std::vector<std::vector<int>> in_rows((size_t)old_h), out_rows((size_t)old_w);
    for (int32_t i = 0; i < old_h; ++i)
        if (!run_row_lengths(*page, i, in_rows[(size_t)i])) return ERR_PARAMETER;
    std::vector<uint8_t> band;
    try {
        band.resize(std::min(band_rows, (size_t)old_w) * band_pitch + 8);  // 8: word reads past the end
    } catch (...) {
        return ERR_MEMORY;
    }
    std::vector<int> runs;
    // New row j is old column j read from the bottom up: old row i lands at bit old_h - 1 - i.
    for (int32_t band_start = 0; band_start < old_w; band_start += (int32_t)band_rows) {
        const int32_t band_end = (int32_t)std::min<size_t>((size_t)old_w, (size_t)band_start + band_rows);
        std::fill(band.begin(), band.end(), 0);
        for (int32_t i = 0; i < old_h; ++i) {
            const std::vector<int>& r = in_rows[(size_t)i];
            const int32_t bit = old_h - 1 - i;
            int32_t x = 0;
            for (size_t k = 0; k < r.size() && x < band_end; ++k) {
                const int32_t next = x + r[k];
                if (k & 1) {  // a black run
                    const int32_t from = std::max(x, band_start), to = std::min(next, band_end);
                    for (int32_t c = from; c < to; ++c)
                        band[(size_t)(c - band_start) * band_pitch + (size_t)(bit >> 3)] |= (uint8_t)(0x80 >> (bit & 7));
                }
                x = next;
            }
        }
        for (int32_t c = band_start; c < band_end; ++c) {
            runs_measure_packed(band.data() + (size_t)(c - band_start) * band_pitch, band_pitch, old_h, true, runs);
            out_rows[(size_t)c] = runs;
        }
    }
    const int status = runs_page_replace(page, out_rows, old_h);
    if (status != IMG_OK) return status;  // dimensions unchanged
    page->width = old_h;
    page->height = old_w;
    std::swap(page->x_dpi, page->y_dpi);
    return IMG_OK;
}

int turn(PageBitmap* page) {
    if (page->bits_per_pixel == 1) return page->compression == COMP_RUNS ? turn_runs(page) : ERR_PARAMETER;
    if (!is_pixel_page(page)) return ERR_PARAMETER;
    const int status = turn_pixels(page);
    if (status == IMG_OK) std::swap(page->x_dpi, page->y_dpi);
    return status;
}

int mirror(PageBitmap* page) {
    if (page->bits_per_pixel == 1) {
        if (page->compression != COMP_RUNS) return ERR_PARAMETER;
        std::vector<std::vector<int>> rows((size_t)page->height);
        for (int32_t y = 0; y < page->height; ++y) {
            std::vector<int>& runs = rows[(size_t)y];
            if (!run_row_lengths(*page, y, runs)) return ERR_PARAMETER;
            int covered = 0;
            for (int r : runs) covered += r;
            if (covered < page->width) {  // the row's unwritten end is white
                if (runs.size() % 2 == 1) runs.back() += page->width - covered;
                else runs.push_back(page->width - covered);
            }
            std::reverse(runs.begin(), runs.end());
            if (runs.size() % 2 == 0) runs.insert(runs.begin(), 0);  // keep the first run white
        }
        return runs_page_replace(page, rows, page->width);
    }
    if (!is_pixel_page(page)) return ERR_PARAMETER;
    const int bpp = page->bits_per_pixel;
    const int32_t w = page->width;
    for (int32_t y = 0; y < page->height; ++y) {
        uint8_t* r = first_row(page) + (size_t)y * (size_t)page->pitch;
        for (int32_t a = 0, b = w - 1; a < b; ++a, --b) {
            if (bpp == 4) {
                const uint8_t va = get4(r, a), vb = get4(r, b);
                put4(r, a, vb);
                put4(r, b, va);
            } else {
                const int n = bpp / 8;
                for (int k = 0; k < n; ++k) std::swap(r[a * n + k], r[b * n + k]);
            }
        }
    }
    return IMG_OK;
}

int flip(PageBitmap* page) {
    if (page->bits_per_pixel == 1) {
        if (page->compression != COMP_RUNS || !page->data) return ERR_PARAMETER;
        uint8_t** table = reinterpret_cast<uint8_t**>(page->data);
        std::reverse(table, table + page->height);
        return IMG_OK;
    }
    if (!is_pixel_page(page)) return ERR_PARAMETER;
    std::vector<uint8_t> tmp((size_t)page->pitch);
    uint8_t* rows = first_row(page);
    for (int32_t a = 0, b = page->height - 1; a < b; ++a, --b) {
        uint8_t* ra = rows + (size_t)a * (size_t)page->pitch;
        uint8_t* rb = rows + (size_t)b * (size_t)page->pitch;
        std::memcpy(tmp.data(), ra, tmp.size());
        std::memcpy(ra, rb, tmp.size());
        std::memcpy(rb, tmp.data(), tmp.size());
    }
    return IMG_OK;
}

int double_rows(PageBitmap* page) {
    if (page->bits_per_pixel != 1 || page->compression != COMP_RUNS) return ERR_PARAMETER;
    if (page->height > INT32_MAX / 2) return ERR_MEMORY;
    std::vector<std::vector<int>> rows((size_t)page->height * 2);
    for (int32_t y = 0; y < page->height; ++y) {
        if (!run_row_lengths(*page, y, rows[2 * (size_t)y])) return ERR_PARAMETER;
        rows[2 * (size_t)y + 1] = rows[2 * (size_t)y];
    }
    const int status = runs_page_replace(page, rows, page->width);
    if (status == IMG_OK) {
        page->x_dpi = 204;
        page->y_dpi = 196;
    }
    return status;
}

}  // namespace

int image_operation(PageBitmap* page, int operation, int arg1, int arg2) {
    if (!page) return ERR_PARAMETER;
    switch (operation) {
    case OP_TURN_90: return turn(page);
    case OP_CHANGE_DEPTH: return change_depth_operation(page, arg1, arg2);
    case OP_MIRROR: return mirror(page);
    case OP_FLIP: return flip(page);
    case OP_DOUBLE_ROWS: return double_rows(page);
    case OP_INVERT:
    case OP_TO_GREY:
    case OP_LIGHTEN:
    case OP_DARKEN: return tone_operation(page, operation);
    default: return IMG_OK;
    }
}
