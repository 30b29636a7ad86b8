// Clipboard bitmaps as pages: the Windows device-independent bitmap layout (a
// BITMAPINFOHEADER, RGBQUAD colour table or three DWORD masks, rows padded to 4
// bytes and stored bottom-up unless the height is negative), read with every size
// checked against the block and written through scale_page at 100 %.
#include "view/dib_page.h"

#include <algorithm>
#include <cstring>

#include "imaging_internal.h"

namespace {

constexpr uint32_t kHeaderSize = 40;
constexpr uint32_t kBiRgb = 0, kBiBitfields = 3;

void put16(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

int64_t dib_stride(int64_t width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

struct DibHeader {
    uint32_t header_size;
    int32_t width, height;
    uint16_t planes, bpp;
    uint32_t compression;
    int32_t x_ppm, y_ppm;
    uint32_t colours_used;
};

int read_header(const uint8_t* dib, size_t size, DibHeader* h) {
    ByteReader r(dib, size);
    h->header_size = r.u32_at(0);
    h->width = (int32_t)r.u32_at(4);
    h->height = (int32_t)r.u32_at(8);
    h->planes = r.u16_at(12);
    h->bpp = r.u16_at(14);
    h->compression = r.u32_at(16);
    h->x_ppm = (int32_t)r.u32_at(24);
    h->y_ppm = (int32_t)r.u32_at(28);
    h->colours_used = r.u32_at(32);
    if (!r.ok() || h->header_size < kHeaderSize || h->header_size > size) return ERR_BAD_HEADER;
    if (h->width <= 0 || h->width > 0xFFFF || h->height == 0 || h->height < -0xFFFF || h->height > 0xFFFF)
        return ERR_BAD_HEADER;
    return IMG_OK;
}

// Dots per inch from pixels per metre (0 stays unknown).
int32_t dpi_of(int32_t ppm) { return ppm > 0 ? (int32_t)(((int64_t)ppm * 254 + 10000 / 2) / 10000) : 0; }

// RGB565 from the two pixel bytes of a 16-bit DIB row (5-5-5 unless `is565`).
uint16_t pixel565(const uint8_t* p, bool is565) {
    const uint16_t v = (uint16_t)(p[0] | p[1] << 8);
    if (is565) return v;
    const uint16_t g5 = (v >> 5) & 31;
    return (uint16_t)(((v & 0x7C00) << 1) | (g5 << 6) | ((g5 >> 4) << 5) | (v & 31));
}

// Copies one DIB row into a page row of the page's depth.
void copy_row(const uint8_t* from, uint8_t* to, int32_t width, int bpp, bool is565) {
    switch (bpp) {
    case 16:
        for (int32_t x = 0; x < width; ++x) {
            const uint16_t v = pixel565(from + 2 * x, is565);
            std::memcpy(to + 2 * x, &v, 2);
        }
        return;
    case 32:
        for (int32_t x = 0; x < width; ++x) std::memcpy(to + 3 * x, from + 4 * x, 3);
        return;
    default: std::memcpy(to, from, (size_t)row_bytes_packed(width, bpp));
    }
}

bool masks_are_565(const uint8_t* masks) {
    ByteReader r(masks, 12);
    return r.u32_at(0) == 0xF800 && r.u32_at(4) == 0x07E0 && r.u32_at(8) == 0x001F;
}

bool masks_are_555(const uint8_t* masks) {
    ByteReader r(masks, 12);
    return r.u32_at(0) == 0x7C00 && r.u32_at(4) == 0x03E0 && r.u32_at(8) == 0x001F;
}

}  // namespace

int write_region_dib(const PageBitmap& page, const PageRegion& turned, int32_t angle, uint8_t* out, size_t out_size) {
    const int bpp = page.bits_per_pixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24) return ERR_BIT_DEPTH;
    const uint32_t needed = clipboard_dib_bytes(turned.width, turned.height, bpp);
    if (needed == 0 || out_size < needed || turned.width < 1 || turned.height < 1) return ERR_PARAMETER;
    put32(out, kHeaderSize);
    put32(out + 4, (uint32_t)turned.width);
    put32(out + 8, (uint32_t)turned.height);
    put16(out + 12, 1);
    put16(out + 14, (uint32_t)bpp);
    put32(out + 16, bpp == 16 ? kBiBitfields : kBiRgb);
    uint8_t* table = out + kHeaderSize;
    size_t table_bytes = 0;
    if (bpp == 1) {
        std::memset(table + 4, 255, 3);
        table_bytes = 8;
    } else if (bpp == 16) {
        put32(table, 0xF800);
        put32(table + 4, 0x07E0);
        put32(table + 8, 0x001F);
        table_bytes = 12;
    } else if (bpp <= 8) {
        const int entries = 1 << bpp;
        for (int i = 0; i < entries && page.palette; ++i) std::memcpy(table + 4 * i, page.palette + 3 * i, 3);
        table_bytes = 4 * (size_t)entries;
    }
    const int64_t stride = dib_stride(turned.width, bpp);
    put32(out + 20, (uint32_t)(stride * turned.height));
    ViewParams v{};
    v.src_x = turned.x;
    v.src_y = turned.y;
    v.x_scale = v.y_scale = 256;
    v.out_width = turned.width;
    v.out_height = turned.height;
    v.out_pitch = (int32_t)stride;
    v.angle = angle;
    v.pixels = table + table_bytes;
    return scale_page(&page, &v, 0, nullptr);
}

int page_from_dib(const uint8_t* dib, size_t size, PageBitmap* page) {
    *page = PageBitmap{};
    DibHeader h{};
    if (int rc = read_header(dib, size, &h)) return rc;
    const int bpp = h.bpp;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return ERR_BIT_DEPTH;
    const bool bitfields = h.compression == kBiBitfields;
    if (h.compression != kBiRgb && !(bitfields && (bpp == 16 || bpp == 32))) return ERR_UNSUPPORTED;
    // Colour entries (or masks) follow the header; pixels follow them.
    uint64_t entries = 0;
    if (bpp <= 8) entries = h.colours_used ? std::min<uint64_t>(h.colours_used, 1u << bpp) : (1u << bpp);
    const uint64_t table_at = h.header_size;
    const uint64_t masks_bytes = bitfields && h.header_size == kHeaderSize ? 12 : 0;
    const uint64_t pixels_at = table_at + masks_bytes + 4 * entries;
    const int32_t width = h.width, height = h.height < 0 ? -h.height : h.height;
    const int64_t stride = dib_stride(width, bpp);
    if (pixels_at + (uint64_t)stride * (uint64_t)height > size) return ERR_BAD_HEADER;
    // Masks sit right after a 40-byte header, or inside a longer one.
    if (bitfields && h.header_size != kHeaderSize && h.header_size < kHeaderSize + 12) return ERR_BAD_HEADER;
    bool is565 = bpp != 16;
    if (bpp == 16 && bitfields) {
        const uint8_t* masks = dib + kHeaderSize;
        if (!masks_are_565(masks) && !masks_are_555(masks)) return ERR_UNSUPPORTED;
        is565 = masks_are_565(masks);
    }
    const int page_bpp = bpp == 32 ? 24 : bpp;
    const int32_t pitch = row_bytes_aligned(width, page_bpp);
    if (pitch < row_bytes_packed(width, page_bpp)) return ERR_BAD_HEADER;
    uint8_t* pixels = static_cast<uint8_t*>(mem_alloc((size_t)pitch * (size_t)height));
    uint8_t* palette = bpp == 4 || bpp == 8 ? static_cast<uint8_t*>(mem_alloc(768)) : nullptr;
    if (!pixels || ((bpp == 4 || bpp == 8) && !palette)) {
        mem_free(pixels);
        mem_free(palette);
        return ERR_MEMORY;
    }
    for (int32_t y = 0; y < height; ++y) {
        // Bottom-up blocks store the last row first; the page is top-down.
        const int32_t source_row = h.height > 0 ? height - 1 - y : y;
        copy_row(dib + pixels_at + (uint64_t)source_row * stride, pixels + (size_t)y * pitch, width, bpp, is565);
    }
    if (palette) {
        std::memset(palette, 0, 768);
        for (uint64_t i = 0; i < entries; ++i) std::memcpy(palette + 3 * i, dib + table_at + 4 * i, 3);
    }
    page->width = width;
    page->height = height;
    page->bits_per_pixel = (int8_t)page_bpp;
    page->pitch = pitch;
    page->data = pixels;
    page->data_length = pitch * height;
    page->palette = palette;
    page->ownership = OWN_ALLOCATED;
    page->layout = LAYOUT_TOP_DOWN;
    page->planes = 1;
    page->x_dpi = dpi_of(h.x_ppm & 0xFFFF);
    page->y_dpi = dpi_of(h.y_ppm & 0xFFFF);
    if (bpp == 1) {
        // The first colour decides which bit value is black.
        const uint8_t* first = dib + table_at;
        page->black_is_one = (first[0] + first[1] + first[2]) > 3 * 127 ? 1 : 0;
    }
    return IMG_OK;
}
