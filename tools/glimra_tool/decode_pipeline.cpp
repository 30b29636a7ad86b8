// The decode step shared by the tool's commands (identify_file, then the library's
// read_decoded_page) and the PPM writer (Netpbm binary P6) that turns any decoded
// page into 8-bit RGB rows.
#include "decode_pipeline.h"

#include "imaging.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

Rgb palette_entry(const PageBitmap& p, int index) {
    if (!p.palette) {
        const uint8_t v = (uint8_t)(p.bits_per_pixel == 4 ? index * 17 : index);
        return {v, v, v};
    }
    const uint8_t* e = p.palette + 3 * index;
    return {e[2], e[1], e[0]};
}

// Row y of a decoded (top-down) page, or null beyond the data.
const uint8_t* picture_row(const PageBitmap& p, int32_t y) {
    const size_t at = (size_t)y * (size_t)p.pitch;
    const size_t row = (size_t)row_bytes_packed(p.width, p.bits_per_pixel);
    if (p.pitch <= 0 || at + row > (size_t)p.data_length) return nullptr;
    return p.data + p.data_offset + at;
}

void row_to_rgb(const PageBitmap& p, const uint8_t* in, uint8_t* out) {
    for (int32_t x = 0; x < p.width; ++x, out += 3) {
        Rgb c{};
        switch (p.bits_per_pixel) {
        case 1: {
            const bool set = (in[x >> 3] >> (7 - (x & 7))) & 1;
            const uint8_t v = set != (p.black_is_one != 0) ? 255 : 0;
            c = {v, v, v};
            break;
        }
        case 4: c = palette_entry(p, (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15); break;
        case 8: c = palette_entry(p, in[x]); break;
        case 16: {
            const unsigned v = in[2 * x] | in[2 * x + 1] << 8;
            const unsigned r = v >> 11, g = (v >> 5) & 63, b = v & 31;
            c = {(uint8_t)(r << 3 | r >> 2), (uint8_t)(g << 2 | g >> 4), (uint8_t)(b << 3 | b >> 2)};
            break;
        }
        default: c = {in[3 * x + 2], in[3 * x + 1], in[3 * x]}; break;
        }
        out[0] = c.r;
        out[1] = c.g;
        out[2] = c.b;
    }
}

bool write_rows(FILE* f, const PageBitmap& p) {
    std::vector<uint8_t> rgb((size_t)p.width * 3);
    if (std::fprintf(f, "P6\n%d %d\n255\n", p.width, p.height) < 0) return false;
    for (int32_t y = 0; y < p.height; ++y) {
        const uint8_t* row = picture_row(p, y);
        if (!row) return false;
        row_to_rgb(p, row, rgb.data());
        if (std::fwrite(rgb.data(), 1, rgb.size(), f) != rgb.size()) return false;
    }
    return true;
}

}  // namespace

int tool_decode_page(const std::string& path, int page_index, int options, PageBitmap* out) {
    *out = PageBitmap{};
    ImageFileInfo info{};
    if (int rc = identify_file(path.c_str(), &info, 0)) return rc;
    const int rc = read_decoded_page(&info, page_index, options, out, nullptr);
    close_file_info(&info);
    return rc;
}

bool tool_write_ppm(const std::string& path, const PageBitmap& page) {
    if (page.width <= 0 || page.height <= 0 || !page.data) return false;
    // Bilevel run-length pages are painted into packed rows first.
    PageBitmap packed{};
    const PageBitmap* rows = &page;
    if (page.compression == COMP_RUNS) {
        packed.compression = COMP_NONE;
        if (convert_page(&page, &packed, 0) != IMG_OK) return false;
        rows = &packed;
    } else if (page.compression != COMP_NONE) {
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && write_rows(f, *rows);
    if (f && std::fclose(f) != 0) ok = false;
    if (rows == &packed) release_page(&packed);
    if (!ok && f) std::remove(path.c_str());
    return ok;
}
