// Images inside PDF files (PDF Reference, image XObjects): the object's dictionary is
// searched for its filter, size and colour keys, whose values may be indirect
// references to other objects; ASCII85 data is decoded in place, Flate data is
// inflated here (zlib), JPEG streams are sized from their frame header.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "base/checked_math.h"
#include "formats/page_reading.h"
#include "formats/pdf/pdf_objects.h"

namespace {

enum { OBJECT_WINDOW = 512, FILTER_REACH = 64, INFLATE_STEP = 65536, PALETTE_ENTRIES = 256 };

enum class Colours { unknown, grey, rgb, indexed };

// A colour space as far as the page needs it: grey, RGB, or indexed with the position
// of its lookup table (a string or a stream) over a grey or RGB base.
struct ColourSpace {
    Colours kind = Colours::unknown;
    bool rgb_base = false;
    long last_index = -1;
    size_t lookup = kPdfNone;
};

struct PdfImage {
    bool black_is_one = false, ascii85 = false, decode_inverted = false;
    ColourSpace colour;
    int compression = COMP_NONE;
    long width = 0, height = 0, bits = 1;
    long stream_start = -1;
    long length = -1;  // "/Length", direct or indirect; -1 when not given
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

// Grey, RGB or indexed: a name, an array ([/Indexed base hival lookup], [/ICCBased
// stream] whose /N counts the components, [/CalRGB ...], [/CalGray ...]), or a
// reference to an object holding one of those.
ColourSpace colour_space_at(PdfFile f, size_t pos, int depth = 0) {
    ColourSpace cs;
    pos = pdf_resolve(f, pos);
    if (pos == kPdfNone || pos >= f.size || depth > 2) return cs;
    const bool array = f.data[pos] == '[';
    const size_t name = array ? pdf_skip_blanks(f, pos + 1) : pos;
    const auto is = [&](const char* n) { return pdf_name_is(f, name, n); };
    if (is("/DeviceGray") || is("/CalGray") || is("/G")) cs.kind = Colours::grey;
    else if (is("/DeviceRGB") || is("/CalRGB") || is("/RGB")) cs.kind = Colours::rgb;
    if (!array || cs.kind != Colours::unknown) return cs;
    const size_t first = pdf_skip_value(f, name);
    if (is("/ICCBased")) {
        const size_t dict = pdf_resolve(f, first);
        long n = 0;
        if (dict == kPdfNone) return cs;
        const size_t dict_end = pdf_skip_value(f, dict);
        const size_t value = pdf_key_value(f, dict, dict_end, "/N");
        if (value != kPdfNone && pdf_integer(f, value, &n)) cs.kind = n == 1 ? Colours::grey : n == 3 ? Colours::rgb : cs.kind;
        return cs;
    }
    if (!is("/Indexed") && !is("/I")) return cs;
    const ColourSpace base = colour_space_at(f, first, depth + 1);
    const size_t hival = pdf_skip_value(f, first);
    const size_t lookup = pdf_skip_value(f, hival);
    if (base.kind != Colours::grey && base.kind != Colours::rgb) return cs;
    if (!pdf_integer(f, hival, &cs.last_index) || cs.last_index < 0) return cs;
    cs.kind = Colours::indexed;
    cs.rgb_base = base.kind == Colours::rgb;
    cs.lookup = pdf_resolve(f, lookup);
    return cs;
}

// The integer value of `key` in the dictionary [from, to), or `otherwise`.
long integer_of(PdfFile f, size_t from, size_t to, const char* key, long otherwise) {
    const size_t value = pdf_key_value(f, from, to, key);
    long v = 0;
    return value != kPdfNone && pdf_integer(f, value, &v) ? v : otherwise;
}

// The keys are looked for in the object's dictionary, before its stream begins, so
// that a small stream's neighbours cannot lend it theirs. `object` is the dictionary's
// offset in the file `f`.
void read_dictionary(PdfFile f, size_t object, long window, PdfImage* img) {
    const uint8_t* t = f.data + object;
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
    const size_t to = object + (size_t)end;
    const size_t cs = pdf_key_value(f, object, to, "/ColorSpace");
    if (cs != kPdfNone) img->colour = colour_space_at(f, cs);
    img->bits = integer_of(f, object, to, "/BitsPerComponent", 0);
    img->width = integer_of(f, object, to, "/Width", 0);
    img->height = integer_of(f, object, to, "/Height", 0);
    img->length = integer_of(f, object, to, "/Length", -1);
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

// Copies the stream: /Length bytes from its start when the file holds them, else up to
// the next page's object or the end of the file.
int copy_stream(const ImageFileInfo* info, int page_index, size_t start, long length, PageBitmap* page) {
    const size_t file = file_length(info);
    size_t end = file;
    if (length > 0 && start < file && (size_t)length <= file - start) {
        end = start + (size_t)length;
    } else if (page_index + 1 < info->page_count) {
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

// The bytes of a literal string "( ... )" at `at`: escapes \n \r \t \b \f \( \) \\,
// octal \ddd, a backslash before a line end joins lines; nested parentheses are kept.
size_t literal_bytes(PdfFile f, size_t at, uint8_t* out, size_t cap) {
    static constexpr char kEscapes[] = "n\nr\rt\tb\bf\f";
    size_t n = 0;
    int depth = 1;
    for (size_t i = at + 1; i < f.size && n < cap; ++i) {
        uint8_t c = f.data[i];
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) break;
        if (c == '\\' && i + 1 < f.size) {
            c = f.data[++i];
            if (c >= '0' && c <= '7') {
                int v = 0;
                for (int k = 0; k < 3 && i < f.size && f.data[i] >= '0' && f.data[i] <= '7'; ++k, ++i) v = v * 8 + (f.data[i] - '0');
                --i;
                c = (uint8_t)v;
            } else if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < f.size && f.data[i + 1] == '\n') ++i;
                continue;
            } else {
                for (int k = 0; kEscapes[k]; k += 2)
                    if (c == (uint8_t)kEscapes[k]) c = (uint8_t)kEscapes[k + 1];
            }
        }
        out[n++] = c;
    }
    return n;
}

// Bytes of an indexed colour space's lookup table: a hexadecimal string, a literal
// string (with its escapes), or a stream, plain or Flate-compressed. At most `cap`.
size_t lookup_bytes(PdfFile f, size_t at, uint8_t* out, size_t cap) {
    size_t n = 0;
    if (at >= f.size) return 0;
    if (f.data[at] == '<' && (at + 1 >= f.size || f.data[at + 1] != '<')) {
        int high = -1;
        for (size_t i = at + 1; i < f.size && f.data[i] != '>' && n < cap; ++i) {
            const int v = hex_value(f.data[i]);
            if (v < 0) continue;
            if (high < 0) high = v;
            else out[n++] = (uint8_t)(high << 4 | v), high = -1;
        }
        return n;
    }
    if (f.data[at] == '(') return literal_bytes(f, at, out, cap);
    size_t start = 0, length = 0;
    if (!pdf_stream_at(f, at, &start, &length)) return 0;
    const size_t dict_end = pdf_skip_value(f, at);
    if (pdf_key_value(f, at, dict_end, "/FlateDecode") == kPdfNone) {
        n = length < cap ? length : cap;
        std::memcpy(out, f.data + start, n);
        return n;
    }
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return 0;
    z.next_in = const_cast<uint8_t*>(f.data + start);
    z.avail_in = (uInt)(length < UINT32_MAX ? length : UINT32_MAX);
    z.next_out = out;
    z.avail_out = (uInt)cap;
    inflate(&z, Z_FINISH);
    n = cap - z.avail_out;
    inflateEnd(&z);
    return n;
}

// Fills the palette from an indexed colour space's lookup table: one or three bytes
// per entry (red, green, blue), entries 0 to hival. False when the table is empty.
bool indexed_palette(PdfFile f, const ColourSpace& cs, uint8_t* palette) {
    uint8_t table[3 * PALETTE_ENTRIES] = {};
    const int components = cs.rgb_base ? 3 : 1;
    const long entries = std::min<long>(cs.last_index + 1, PALETTE_ENTRIES);
    const size_t got = lookup_bytes(f, cs.lookup, table, (size_t)(entries * components));
    for (size_t e = 0; e < got / (size_t)components; ++e) {
        const uint8_t* in = table + e * (size_t)components;
        palette[3 * e] = in[components - 1];  // blue (or grey)
        palette[3 * e + 1] = in[components == 3 ? 1 : 0];
        palette[3 * e + 2] = in[0];
    }
    return got >= (size_t)components;
}

int set_geometry(PdfFile file, const PdfImage& img, PageBitmap* page) {
    if (img.width <= 0 || img.height <= 0 || img.width > kMaxPageSide || img.height > kMaxPageSide)
        return ERR_BAD_HEADER;
    page->width = (int32_t)img.width;
    page->height = (int32_t)img.height;
    const long depth = img.colour.kind == Colours::rgb && img.bits == 8 ? 24 : img.bits > 0 ? img.bits : 1;
    page->bits_per_pixel = (int8_t)depth;
    page->pitch = row_bytes_packed(page->width, (int)depth);
    if (depth > 1 && depth != 24) {
        if (!(page->palette = new_palette())) return ERR_MEMORY;
        if (img.colour.kind == Colours::grey) fill_grey_palette(page->palette, (int)depth);
        if (img.colour.kind == Colours::indexed) indexed_palette(file, img.colour, page->palette);
    }
    return IMG_OK;
}

}  // namespace

int read_pdf_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    if (!info->page_offsets) return ERR_BAD_HEADER;
    const int32_t object = info->page_offsets[page_index];
    const size_t file = file_length(info);
    if (object < 0 || (size_t)object >= file) return ERR_BAD_HEADER;
    const long window = (long)(file - (size_t)object < OBJECT_WINDOW ? file - (size_t)object : OBJECT_WINDOW);
    const PdfFile f{info->view, file};
    PdfImage img;
    read_dictionary(f, (size_t)object, window, &img);
    if (img.stream_start < 0) return ERR_BAD_HEADER;
    if (int rc = set_geometry(f, img, page)) return rc;
    page->compression = (int8_t)img.compression;
    page->black_is_one = img.black_is_one;
    page->layout = LAYOUT_TOP_DOWN;
    if (int rc = copy_stream(info, page_index, (size_t)object + (size_t)img.stream_start, img.length, page)) return rc;
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
