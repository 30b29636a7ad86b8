// Images inside PDF files (PDF Reference, image XObjects): the object's dictionary is
// searched for its filter, size and colour keys; ASCII85 data is decoded in place,
// Flate data is inflated here (zlib), JPEG streams are sized from their frame header.
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "base/checked_math.h"
#include "formats/page_reading.h"

namespace {

enum { OBJECT_WINDOW = 512, FILTER_REACH = 64, INFLATE_STEP = 65536 };

struct PdfImage {
    bool black_is_one = false, ascii85 = false, decode_inverted = false, device_gray = false, device_rgb = false;
    long colour_object = -1;  // "/ColorSpace N 0 R": the object holding the colour space
    int compression = COMP_NONE;
    long width = 0, height = 0, bits = 1;
    long stream_start = -1;
};

// Position of `word` in [from, to) of `text`, or -1.
long find(const uint8_t* text, long from, long to, const char* word) {
    const long n = (long)std::strlen(word);
    for (long i = from; i + n <= to; ++i)
        if (std::memcmp(text + i, word, (size_t)n) == 0) return i;
    return -1;
}

bool blank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

long skip_blanks(const uint8_t* t, long i, long end) {
    while (i < end && blank(t[i])) ++i;
    return i;
}

// The decimal number after `key`, or 0.
long number_after(const uint8_t* t, long end, const char* key) {
    long i = find(t, 0, end, key);
    if (i < 0) return 0;
    i = skip_blanks(t, i + (long)std::strlen(key), end);
    long v = 0;
    for (; i < end && t[i] >= '0' && t[i] <= '9' && v < 1000000; ++i) v = v * 10 + (t[i] - '0');
    return v;
}

// "/Decode [ 1 0 ]" with any spacing.
bool decode_inverted(const uint8_t* t, long end) {
    long i = find(t, 0, end, "/Decode");
    if (i < 0) return false;
    i = skip_blanks(t, i + 7, end);
    if (i >= end || t[i] != '[') return false;
    i = skip_blanks(t, i + 1, end);
    if (i >= end || t[i] != '1') return false;
    i = skip_blanks(t, i + 1, end);
    return i < end && t[i] == '0';
}

void read_filter(const uint8_t* t, long end, PdfImage* img) {
    const long f = find(t, 0, end, "/Filter");
    if (f < 0) return;
    const long reach = f + FILTER_REACH < end ? f + FILTER_REACH : end;
    struct Name {
        const char* text;
        int compression;
    };
    static constexpr Name kFilters[] = {{"/CCITT", COMP_G4}, {"/LZWDe", COMP_LZW_TIFF}, {"/DCTDe", COMP_JPEG},
                                        {"/Flate", COMP_FLATE}};
    img->ascii85 = find(t, f, reach, "/ASCII85") >= 0;
    for (const Name& n : kFilters)
        if (find(t, f, reach, n.text) >= 0) img->compression = n.compression;
}

// The keys are looked for in the object's dictionary, before its stream begins, so
// that a small stream's neighbours cannot lend it theirs.
void read_dictionary(const uint8_t* t, long window, PdfImage* img) {
    const long s = find(t, 0, window, "stream");
    if (s >= 0 && s + 6 < window && t[s + 6] == '\n') img->stream_start = s + 7;
    else if (s >= 0 && s + 7 < window && t[s + 6] == '\r' && t[s + 7] == '\n') img->stream_start = s + 8;
    const long end = s >= 0 ? s : window;
    const long b = find(t, 0, end, "BlackIs1");
    if (b >= 0) {
        const long v = skip_blanks(t, b + 8, end);
        img->black_is_one = find(t, v, v + 4 <= end ? v + 4 : end, "true") == v;
    }
    read_filter(t, end, img);
    img->decode_inverted = decode_inverted(t, end);
    img->device_gray = find(t, 0, end, "/DeviceGray") >= 0;
    const long cs = find(t, 0, end, "/ColorSpace");
    if (cs >= 0) {
        long i = skip_blanks(t, cs + 11, end), number = 0;
        const long digits = i;
        for (; i < end && t[i] >= '0' && t[i] <= '9' && number < 10000000; ++i) number = number * 10 + (t[i] - '0');
        if (i > digits && i + 4 < end && std::memcmp(t + i, " 0 R", 4) == 0) img->colour_object = number;
    }
    img->device_rgb = find(t, 0, end, "/DeviceRGB") >= 0;
    img->bits = number_after(t, end, "/BitsPerComponent");
    img->width = number_after(t, end, "/Width");
    img->height = number_after(t, end, "/Height");
}

// ASCII85 (groups of five characters from '!', 'z' for four zero bytes), decoded
// into a new buffer: 'z' makes four bytes of one character, so the output can be
// longer than the input and cannot be written in place. Stops at "~>".
int ascii85_decode(PageBitmap* page) {
    const uint8_t* in = page->data + page->data_offset;
    const size_t length = (size_t)page->data_length;
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(length * 4 + 8));
    if (!out) return ERR_MEMORY;
    size_t n = 0;
    uint32_t group = 0;
    int count = 0;
    for (size_t i = 0; i < length && in[i] != '~'; ++i) {
        const uint8_t c = in[i];
        if (c == 'z' && count == 0) {
            n += 4;  // the buffer is zero-filled
        } else if (c >= '!' && c <= 'u') {
            group = group * 85 + (uint32_t)(c - '!');
            if (++count == 5) {
                for (int k = 3; k >= 0; --k) out[n++] = (uint8_t)(group >> (8 * k));
                group = 0;
                count = 0;
            }
        }
    }
    if (count > 1) {  // a final partial group, padded with 'u'
        for (int k = count; k < 5; ++k) group = group * 85 + 84;
        for (int k = 0; k < count - 1; ++k) out[n++] = (uint8_t)(group >> (24 - 8 * k));
    }
    mem_free(page->data);
    page->data = out;
    page->data_offset = 0;
    page->data_length = (int32_t)n;
    return IMG_OK;
}

// Inflates the stream into rows of the page; output in steps of at most 64 KB until
// the page is full, the input is used up, or zlib reports the end or an error.
int inflate_rows(PageBitmap* page) {
    size_t size = 0;
    const int32_t aligned = row_bytes_aligned(page->width, page->bits_per_pixel);
    if (aligned <= 0 || !checked_mul((size_t)aligned, (size_t)page->height, &size, (size_t)kMaxPageBytes))
        return ERR_UNSUPPORTED;
    uint8_t* out = static_cast<uint8_t*>(mem_alloc(size));
    if (!out) return ERR_MEMORY;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        mem_free(out);
        return ERR_MEMORY;
    }
    z.next_in = page->data + page->data_offset;
    z.avail_in = (uInt)page->data_length;
    size_t done = 0;
    while (done < size && z.avail_in > 0) {
        const uInt step = (uInt)(size - done < INFLATE_STEP ? size - done : INFLATE_STEP);
        z.next_out = out + done;
        z.avail_out = step;
        const int rc = inflate(&z, Z_NO_FLUSH);
        done += step - z.avail_out;
        if (rc != Z_OK) break;
    }
    inflateEnd(&z);
    mem_free(page->data);
    page->data = out;
    page->data_offset = 0;
    page->data_length = (int32_t)size;
    page->compression = COMP_NONE;
    return IMG_OK;
}

// PDF colour samples are red, green, blue; the library's are blue, green, red.
void swap_rgb_rows(PageBitmap* page) {
    for (int32_t y = 0; y < page->height; ++y) {
        uint8_t* row = page->data + (size_t)y * page->pitch;
        for (int32_t x = 0; x < page->width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
    }
}

// Copies the stream, from its start to the next page's object or the end of the file.
int copy_stream(const ImageFileInfo* info, int page_index, size_t start, PageBitmap* page) {
    const size_t file = file_length(info);
    size_t end = file;
    if (page_index + 1 < info->page_count) {
        const int32_t next = info->page_offsets[page_index + 1];
        if (next > 0 && (size_t)next > start && (size_t)next < end) end = (size_t)next;
    }
    if (start >= end || end - start > INT32_MAX) return ERR_BAD_HEADER;
    page->data = static_cast<uint8_t*>(mem_alloc(end - start));
    if (!page->data) return ERR_MEMORY;
    std::memcpy(page->data, info->view + start, end - start);
    page->data_offset = 0;
    page->data_length = (int32_t)(end - start);
    page->ownership = OWN_ALLOCATED;
    return IMG_OK;
}

int describe_jpeg_stream(PageBitmap* page) {
    const long sof = page->data_length < 3 ? -1 : find_jpeg_sof(page->data, (size_t)page->data_length, 2);
    if (sof < 0) return ERR_BAD_HEADER;
    return describe_jpeg_frame(page->data, (size_t)page->data_length, (size_t)sof, page);
}

int hex_value(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// An indexed colour space held in its own object, "[/Indexed /DeviceGray|/DeviceRGB
// hival <hex lookup>]", becomes the page's palette; false when the object is not of
// that form (the palette then stays as it was).
bool indexed_palette(const ImageFileInfo* info, long object, uint8_t* palette) {
    char label[32];
    const int n = std::snprintf(label, sizeof label, "\n%ld 0 obj", object);
    const uint8_t* view = info->view;
    const long file = (long)file_length(info);
    const long at = find(view, 0, file, label);
    if (at < 0) return false;
    const long end = at + OBJECT_WINDOW < file ? at + OBJECT_WINDOW : file;
    const long indexed = find(view, at + n, end, "/Indexed");
    if (indexed < 0) return false;
    const bool rgb = find(view, indexed, indexed + 24 < end ? indexed + 24 : end, "/DeviceRGB") >= 0;
    const int components = rgb ? 3 : 1;
    long hex = find(view, indexed, end, "<");
    if (hex < 0) return false;
    int entry = 0, part = 0, high = -1;
    for (long i = hex + 1; i < file && view[i] != '>' && entry < 256; ++i) {
        const int v = hex_value(view[i]);
        if (v < 0) continue;
        if (high < 0) {
            high = v;
            continue;
        }
        const uint8_t byte = (uint8_t)(high << 4 | v);
        high = -1;
        if (rgb) palette[3 * entry + 2 - part] = byte;
        else palette[3 * entry] = palette[3 * entry + 1] = palette[3 * entry + 2] = byte;
        if (++part == components) {
            part = 0;
            ++entry;
        }
    }
    return entry > 0;
}

int set_geometry(const PdfImage& img, PageBitmap* page) {
    if (img.width <= 0 || img.height <= 0 || img.width > kMaxPageSide || img.height > kMaxPageSide)
        return ERR_BAD_HEADER;
    page->width = (int32_t)img.width;
    page->height = (int32_t)img.height;
    const long depth = img.device_rgb && img.bits == 8 ? 24 : img.bits > 0 ? img.bits : 1;
    page->bits_per_pixel = (int8_t)depth;
    page->pitch = row_bytes_packed(page->width, (int)depth);
    if (depth > 1 && depth != 24) {
        if (!(page->palette = new_palette())) return ERR_MEMORY;
        if (img.device_gray) fill_grey_palette(page->palette, (int)depth);
    }
    return IMG_OK;
}

}  // namespace

int read_pdf_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets) return ERR_BAD_HEADER;
    const int32_t object = info->page_offsets[page_index];
    const size_t file = file_length(info);
    if (object < 0 || (size_t)object >= file) return ERR_BAD_HEADER;
    const uint8_t* text = info->view + object;
    const long window = (long)(file - (size_t)object < OBJECT_WINDOW ? file - (size_t)object : OBJECT_WINDOW);
    PdfImage img;
    read_dictionary(text, window, &img);
    if (img.stream_start < 0) return ERR_BAD_HEADER;
    if (int rc = set_geometry(img, page)) return rc;
    if (page->palette && img.colour_object >= 0) indexed_palette(info, img.colour_object, page->palette);
    page->compression = (int8_t)img.compression;
    page->black_is_one = img.black_is_one;
    page->layout = LAYOUT_TOP_DOWN;
    if (int rc = copy_stream(info, page_index, (size_t)object + (size_t)img.stream_start, page)) return rc;
    if (img.ascii85)
        if (int rc = ascii85_decode(page)) return rc;
    if (img.compression == COMP_FLATE) {
        if (int rc = inflate_rows(page)) return rc;
        if (page->bits_per_pixel == 24) swap_rgb_rows(page);
        if (page->bits_per_pixel == 1) page->black_is_one = 0;
        return IMG_OK;
    }
    if (img.compression == COMP_JPEG)
        if (int rc = describe_jpeg_stream(page)) return rc;
    if (img.decode_inverted && page->bits_per_pixel == 1) page->black_is_one = !page->black_is_one;
    return IMG_OK;
}
