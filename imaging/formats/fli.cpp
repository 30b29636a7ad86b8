// FLI/FLC animation frames (Autodesk Animator FLIC format): each frame's chunks
// (palettes, byte and word deltas, byte runs, black, raw copy) update one 8-bit
// bitmap that the page keeps from frame to frame, so frames are read in order.
#include <cstring>

#include "base/checked_math.h"
#include "formats/page_reading.h"

namespace {

enum : uint32_t {
    FLIC_HEADER = 128,
    CHUNK_PREFIX = 0xF100,
    CHUNK_FRAME = 0xF1FA,
    STATE_MAGIC = 0x464C4943  // "FLIC"
};

enum ChunkType { COLOR_256 = 4, DELTA_FLC = 7, COLOR_64 = 11, DELTA_FLI = 12, BLACK = 13, BYTE_RUN = 15, FLI_COPY = 16 };

// Where the next frame lies; kept in the page's aux_buffer between calls.
struct FlicState {
    uint32_t magic;
    uint32_t next_offset;
    int32_t next_index;
};

// The bitmap being animated.
struct Canvas {
    uint8_t* pixels;
    uint8_t* palette;
    int32_t width, height, pitch;
    uint8_t* row(int32_t y) { return pixels + (size_t)y * pitch; }
};

// Palette packets: skip count, copy count (0 means 256), then red-green-blue triples.
void read_palette(ByteReader& r, Canvas& c, int shift) {
    const int packets = r.u16le();
    int index = 0;
    for (int p = 0; p < packets && r.ok() && index < 256; ++p) {
        index += r.u8();
        int count = r.u8();
        if (count == 0) count = 256;
        for (int i = 0; i < count && index < 256 && r.ok(); ++i, ++index) {
            const uint8_t red = r.u8(), green = r.u8(), blue = r.u8();
            c.palette[3 * index] = (uint8_t)(blue << shift);
            c.palette[3 * index + 1] = (uint8_t)(green << shift);
            c.palette[3 * index + 2] = (uint8_t)(red << shift);
        }
    }
}

// Writes `count` bytes at column x of row y, cut at the row's end.
void put_bytes(Canvas& c, int32_t y, int32_t x, const uint8_t* src, int32_t count) {
    if (!src || x >= c.width || count <= 0) return;
    if (count > c.width - x) count = c.width - x;
    std::memcpy(c.row(y) + x, src, (size_t)count);
}

void fill_bytes(Canvas& c, int32_t y, int32_t x, uint8_t v, int32_t count) {
    if (x >= c.width || count <= 0) return;
    if (count > c.width - x) count = c.width - x;
    std::memset(c.row(y) + x, v, (size_t)count);
}

// Byte runs: per line a (ignored) packet count, then signed counts until the line is
// full: positive repeats the next byte, negative copies that many bytes.
void byte_run(ByteReader& r, Canvas& c) {
    for (int32_t y = 0; y < c.height && r.ok(); ++y) {
        r.u8();
        for (int32_t x = 0; x < c.width && r.ok();) {
            const int8_t n = (int8_t)r.u8();
            if (n > 0) {
                fill_bytes(c, y, x, r.u8(), n);
                x += n;
            } else if (n < 0) {
                put_bytes(c, y, x, r.take((size_t)-n), -n);
                x += -n;
            } else {
                break;
            }
        }
    }
}

// Byte-oriented delta: lines to skip, lines changed; per line packets of a column
// skip and a signed count (positive copies bytes, negative repeats one byte).
void delta_fli(ByteReader& r, Canvas& c) {
    int32_t y = r.u16le();
    const int lines = r.u16le();
    for (int l = 0; l < lines && y < c.height && r.ok(); ++l, ++y) {
        const int packets = r.u8();
        int32_t x = 0;
        for (int p = 0; p < packets && r.ok(); ++p) {
            x += r.u8();
            const int8_t n = (int8_t)r.u8();
            if (n > 0) put_bytes(c, y, x, r.take((size_t)n), n);
            else fill_bytes(c, y, x, r.u8(), -n);
            x += n > 0 ? n : -n;
        }
    }
}

// Word-oriented delta: per line opcode words (line skip, last byte of an odd row,
// packet count), then packets of a column skip and a signed count of words.
void delta_flc(ByteReader& r, Canvas& c) {
    const int lines = r.u16le();
    int32_t y = 0;
    for (int l = 0; l < lines && y < c.height && r.ok(); ++l, ++y) {
        int packets = 0;
        for (;;) {
            const uint16_t op = r.u16le();
            if (!r.ok()) return;
            if ((op & 0xC000) == 0xC000) {
                y += 0x10000 - op;  // skip lines
                if (y >= c.height) return;
            } else if ((op & 0xC000) == 0x8000) {
                c.row(y)[c.width - 1] = (uint8_t)op;
            } else {
                packets = op;
                break;
            }
        }
        int32_t x = 0;
        for (int p = 0; p < packets && r.ok(); ++p) {
            x += r.u8();
            const int8_t n = (int8_t)r.u8();
            if (n > 0) {
                put_bytes(c, y, x, r.take(2 * (size_t)n), 2 * n);
                x += 2 * n;
            } else {
                const uint8_t a = r.u8(), b = r.u8();
                for (int i = 0; i < -n; ++i, x += 2) {
                    fill_bytes(c, y, x, a, 1);
                    fill_bytes(c, y, x + 1, b, 1);
                }
            }
        }
    }
}

void raw_copy(ByteReader& r, Canvas& c) {
    for (int32_t y = 0; y < c.height; ++y) put_bytes(c, y, 0, r.take((size_t)c.width), c.width);
}

// Applies one frame's chunks; unknown chunk types are skipped.
void apply_frame(const uint8_t* frame, size_t size, Canvas& c) {
    ByteReader head(frame, size);
    const int chunks = head.u16_at(6);
    size_t pos = 16;
    for (int i = 0; i < chunks && pos + 6 <= size; ++i) {
        const uint32_t length = head.u32_at(pos);
        const int type = head.u16_at(pos + 4);
        if (length < 6) break;
        const size_t body = length > size - pos ? size - pos : length;
        ByteReader r(frame + pos + 6, body - 6);
        switch (type) {
        case COLOR_256: read_palette(r, c, 0); break;
        case COLOR_64: read_palette(r, c, 2); break;
        case DELTA_FLC: delta_flc(r, c); break;
        case DELTA_FLI: delta_fli(r, c); break;
        case BLACK: std::memset(c.pixels, 0, (size_t)c.pitch * c.height); break;
        case BYTE_RUN: byte_run(r, c); break;
        case FLI_COPY: raw_copy(r, c); break;
        default: break;
        }
        pos += body;
    }
}

// Finds the frame at or after `*offset` (prefix chunks skipped), applies it and moves
// `*offset` past it.
int next_frame(const ImageFileInfo* info, uint32_t* offset, Canvas& c) {
    ByteReader r = file_reader(info);
    for (int guard = 0; guard < 16; ++guard) {
        const uint32_t length = r.u32_at(*offset);
        const uint32_t type = r.u16_at((size_t)*offset + 4);
        if (!r.ok() || length < 6) return ERR_BAD_HEADER;
        const size_t size = length > r.size() - *offset ? r.size() - *offset : length;
        const uint32_t at = *offset;
        *offset += (uint32_t)size;
        if (type == CHUNK_FRAME) {
            apply_frame(info->view + at, size, c);
            return IMG_OK;
        }
    }
    return ERR_BAD_HEADER;  // no frame among the chunks
}

// Page 0: the bitmap, the palette and the state block.
int start_animation(const ImageFileInfo* info, PageBitmap* page) {
    ByteReader r = file_reader(info);
    const int32_t width = r.u16_at(8), height = r.u16_at(10);
    const int depth = r.u16_at(12);
    if (!r.ok() || width == 0 || height == 0) return ERR_BAD_HEADER;
    if (depth != 0 && depth != 8) return ERR_BIT_DEPTH;
    page->width = width;
    page->height = height;
    page->bits_per_pixel = 8;
    page->pitch = row_bytes_aligned(width, 8);
    size_t size = 0;
    if (!checked_mul((size_t)page->pitch, (size_t)height, &size, (size_t)kMaxPageBytes)) return ERR_UNSUPPORTED;
    page->data = static_cast<uint8_t*>(mem_alloc(size));
    page->palette = new_palette();
    page->aux_buffer = mem_alloc(sizeof(FlicState));
    if (!page->data || !page->palette || !page->aux_buffer) return ERR_MEMORY;
    page->data_length = (int32_t)size;
    page->ownership = OWN_ALLOCATED;
    page->compression = COMP_NONE;
    page->layout = LAYOUT_TOP_DOWN;
    page->planes = 1;
    page->x_dpi = page->y_dpi = 72;
    *static_cast<FlicState*>(page->aux_buffer) = FlicState{STATE_MAGIC, FLIC_HEADER, 0};
    return IMG_OK;
}

// True when the page holds the animation after frame `index - 1`.
bool continues(const PageBitmap* page, int index) {
    const FlicState* s = static_cast<const FlicState*>(page->aux_buffer);
    return page->data && page->palette && s && s->magic == STATE_MAGIC &&
           s->next_index == index;
}

}  // namespace

int read_fli_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (page_index > 0 && !continues(page, page_index)) {
        // Not read in order: start again from the first frame.
        if (page->data || page->palette || page->aux_buffer) release_page(page);
        std::memset(page, 0, sizeof *page);
        page->shutter_speed = page->f_number_x100 = page->exposure_bias_x10 = -1;
        page->iso_speed = page->exif_width = page->exif_height = -1;
        for (int i = 0; i < page_index; ++i)
            if (int rc = read_fli_page(info, page, i)) return rc;
    }
    if (page_index == 0)
        if (int rc = start_animation(info, page)) return rc;
    FlicState* state = static_cast<FlicState*>(page->aux_buffer);
    Canvas c{page->data, page->palette, page->width, page->height, page->pitch};
    if (int rc = next_frame(info, &state->next_offset, c)) return rc;
    state->next_index = page_index + 1;
    page->data_offset = 0;
    return IMG_OK;
}
