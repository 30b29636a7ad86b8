// The JPEG decoder's entry: reads the markers up to the first scan, hands an Exif
// segment on, sizes and allocates the picture (8-bit grey with a grey palette,
// 24-bit or RGB565 colour; full, half or one-eighth size) and runs the baseline or
// progressive decoding (ITU-T T.81). Damaged data ends in -4, which the caller may
// accept to keep the part decoded before the fault.
#include <algorithm>
#include <cstring>

#include "codecs/codec_strips.h"
#include "codecs/jpeg_state.h"

namespace {

enum { SOF0 = 0xC0, SOF1 = 0xC1, SOF2 = 0xC2, SOF3 = 0xC3, SOS = 0xDA, PALETTE_BYTES = 768 };

struct Decode {
    const JpegPageContext* context;
    const PageBitmap* source;
    PageBitmap* target;
    JpegDecoderState* s;
    bool shared, own_buffer, own_palette;
    JpegInput in;
    JpegOutput out;
};

void reset_frame(JpegDecoderState* s, int options) {
    s->restart_interval = s->restart_countdown = 0;
    s->exif_position = s->exif_length = 0;
    s->options = options;
    std::memset(s->comment, 0, sizeof s->comment);
    jpeg_reset_colour(s);
    for (int c = 1; c < 4; ++c) s->comp[c].h = s->comp[c].v = 1;
}

// Start of image at byte 0, or at byte 1 after one stray byte.
int start_of_image(const JpegInput& in, size_t* pos) {
    if (in.len >= 2 && in.buf[0] == 0xFF && in.buf[1] == 0xD8) *pos = 2;
    else if (in.len >= 3 && in.buf[1] == 0xFF && in.buf[2] == 0xD8) *pos = 3;
    else return ERR_BAD_HEADER;
    return IMG_OK;
}

// Target size and pixel buffer; the size comes from the frame header.
int prepare_target(Decode& d) {
    JpegDecoderState* s = d.s;
    const int opts = s->options;
    int w = s->width, h = s->height;
    if (w == 0 || h == 0) return ERR_BAD_HEADER;
    if (opts & (JPEG_EIGHTH | JPEG_THUMBNAIL)) w = (w + 7) >> 3, h = (h + 7) >> 3;
    else if (opts & JPEG_HALF) w = (w + 1) >> 1, h = (h + 1) >> 1;
    const int bpp = s->component_count == 1 ? 8 : (opts & JPEG_RGB565) ? 16 : 24;
    const int32_t pitch = row_bytes_aligned(w, bpp);
    if (pitch < row_bytes_packed(w, bpp)) return ERR_UNSUPPORTED;  // wider than a row can be
    const size_t bytes = (size_t)pitch * (size_t)(h + 16);
    PageBitmap* t = d.target;
    if (opts & JPEG_INTO_BUFFER) {
        // The caller's buffer was sized for the picture it identified.
        if (!t->data || s->width != d.source->width || s->height != d.source->height) return ERR_PARAMETER;
    } else {
        t->data = static_cast<uint8_t*>(mem_alloc(bytes));
        if (!t->data) return ERR_MEMORY;
        d.own_buffer = true;
    }
    t->width = w;
    t->height = h;
    t->bits_per_pixel = (int8_t)bpp;
    t->pitch = pitch;
    t->data_length = (int32_t)(bytes > INT32_MAX ? INT32_MAX : bytes);
    t->data_offset = 0;
    t->ownership = OWN_ALLOCATED;
    t->layout = LAYOUT_TOP_DOWN;
    d.out = JpegOutput{t->data, pitch, w, h, bpp};
    return IMG_OK;
}

int prepare_palette(Decode& d) {
    PageBitmap* t = d.target;
    if (t->bits_per_pixel != 8) {
        if (t->palette) mem_free(t->palette);  // a colour picture carries none
        t->palette = nullptr;
        return IMG_OK;
    }
    if (!t->palette) {
        t->palette = static_cast<uint8_t*>(mem_alloc(PALETTE_BYTES));
        if (!t->palette) return ERR_MEMORY;
        d.own_palette = true;
    }
    for (int i = 0; i < 256; ++i) t->palette[3 * i] = t->palette[3 * i + 1] = t->palette[3 * i + 2] = (uint8_t)i;
    return IMG_OK;
}

// The frame marker decides the path; 12-bit and other precisions are a bad header.
int check_frame_marker(JpegDecoderState* s, int marker, const JpegInput& in, size_t pos) {
    const bool sof = marker >= SOF0 && marker <= SOF3;
    if (sof && pos + 3 <= in.len && in.buf[pos + 2] != 8) return ERR_BAD_HEADER;
    if (marker == SOF2) s->options |= JPEG_PROGRESSIVE;
    return marker == SOF0 || marker == SOF2 ? IMG_OK : ERR_UNSUPPORTED;
}

// ---- JPEG-compressed TIFF pages in strips --------------------------------------
// Each strip is a JPEG stream of its own (SOI .. EOI) holding rows_per_strip rows of
// the page; its tables may be left to the page's shared table stream (TIFF Technical
// Note 2). Strips are decoded in turn into their rows of one picture.

bool decodes_by_strips(const Decode& d) {
    return page_has_strip_tables(d.source) || d.context->shared_tables != nullptr;
}

// Loads the tables of the page's shared table stream into the state.
int load_shared_tables(JpegDecoderState* s, const JpegPageContext& context) {
    const uint8_t* tables = context.shared_tables;
    const size_t n = context.shared_tables_length;
    if (!tables) return IMG_OK;
    JpegInput in{};
    in.buf = tables;
    in.len = n;
    size_t pos = 0;
    if (start_of_image(in, &pos)) return ERR_BAD_HEADER;
    const int marker = jpeg_scan_markers(s, tables, n, &pos);
    return marker < 0 ? marker : IMG_OK;
}

// The part of the picture that strip `index` fills, in output rows.
JpegOutput strip_output(const Decode& d, int64_t first_row, int64_t rows) {
    const int shift = (d.s->options & (JPEG_EIGHTH | JPEG_THUMBNAIL)) ? 3 : (d.s->options & JPEG_HALF) ? 1 : 0;
    const int64_t top = first_row >> shift;
    const int64_t bottom = std::min<int64_t>((first_row + rows + (1 << shift) - 1) >> shift, d.out.height);
    JpegOutput out = d.out;
    out.pixels = d.out.pixels + (size_t)top * (size_t)d.out.pitch;
    out.height = (int32_t)(bottom > top ? bottom - top : 0);
    return out;
}

// One strip: its own markers up to the scan, a frame as wide as the page with the
// page's component count, then the scan(s). A frame with fewer rows than the strip
// should hold leaves the rest missing (-4).
int decode_strip(Decode& d, const uint8_t* bytes, size_t size, int64_t first_row, int64_t rows) {
    JpegDecoderState* s = d.s;
    if (!bytes || size == 0) return ERR_DECOMPRESS;  // a strip that holds nothing
    JpegInput in{};
    in.buf = bytes;
    in.len = size;
    size_t pos = 0;
    if (start_of_image(in, &pos)) return ERR_BAD_HEADER;
    s->restart_interval = s->restart_countdown = 0;  // each stream starts without one
    s->options &= ~JPEG_PROGRESSIVE;
    jpeg_reset_colour(s);
    const int marker = jpeg_scan_markers(s, bytes, size, &pos);
    if (marker < 0) return marker;
    if (int rc = check_frame_marker(s, marker, in, pos)) return rc;
    if (int rc = jpeg_parse_frame(s, bytes, size, pos)) return rc;
    if (s->width != d.source->width || s->component_count != (d.out.bpp == 8 ? 1 : 3)) return ERR_BAD_HEADER;
    jpeg_decide_colour(s);
    pos += (size_t)(bytes[pos] << 8 | bytes[pos + 1]);
    if (jpeg_scan_markers(s, bytes, size, &pos) != SOS) return ERR_BAD_HEADER;
    const size_t header = pos;
    if (int rc = jpeg_parse_scan(s, bytes, size, header, &pos)) return rc;
    s->scan_count = 1;
    if (!s->lookups_built)
        if (int rc = jpeg_build_lookups(s)) return rc;
    if (int rc = jpeg_prepare_quant(s, (s->options & JPEG_THUMBNAIL) != 0)) return rc;
    in.pos = pos;
    const JpegOutput out = strip_output(d, first_row, rows);
    const int rc = (s->options & JPEG_PROGRESSIVE) ? jpeg_decode_progressive(s, &in, bytes + header, size - header, &out)
                                                   : jpeg_decode_baseline(s, &in, &out);
    if (rc == IMG_OK && s->height < rows) return ERR_DECOMPRESS;
    return rc;
}

// Strips past the last one the page lists are missing data (-4). A damaged strip
// does not stop the others: the picture keeps every strip that decodes, and the
// first fault is the result.
int run_strips(Decode& d) {
    JpegDecoderState* s = d.s;
    const PageBitmap* src = d.source;
    if (int rc = load_shared_tables(s, *d.context)) return rc;
    if (src->width <= 0 || src->height <= 0 || src->width > 0xFFFF || src->height > 0xFFFF) return ERR_BAD_HEADER;
    s->width = (uint16_t)src->width;
    s->height = (uint16_t)src->height;
    s->component_count = src->bits_per_pixel == 8 ? 1 : 3;
    if (int rc = prepare_target(d)) return rc;
    if (int rc = prepare_palette(d)) return rc;
    if (s->component_count == 3 && !d.shared) jpeg_fill_color_tables(s);
    const int64_t rows_per_strip = page_rows_per_strip(src);
    if (rows_per_strip <= 0) return ERR_BAD_HEADER;
    const int strips = page_has_strip_tables(src) ? src->strip_count : 1;
    int first_fault = IMG_OK;
    for (int64_t i = 0; i * rows_per_strip < src->height; ++i) {
        const int64_t first_row = i * rows_per_strip;
        const int64_t rows = std::min<int64_t>(rows_per_strip, src->height - first_row);
        size_t size = 0;
        const uint8_t* bytes = i < strips ? page_strip(src, (int)i, &size) : nullptr;
        const int rc = decode_strip(d, bytes, size, first_row, rows);
        if (rc != IMG_OK && rc != ERR_DECOMPRESS) return rc;
        if (first_fault == IMG_OK) first_fault = rc;
    }
    return first_fault;
}

// Hands the Exif segment found among the markers to the context's hand-over, cut to
// the input; 1 when the hand-over made the Exif thumbnail the target.
int hand_over_exif(const Decode& d) {
    const size_t pos = (size_t)d.s->exif_position;
    if (!d.context->exif_handover || pos >= d.in.len) return 0;
    const size_t length = std::min((size_t)(uint32_t)d.s->exif_length, d.in.len - pos);
    if (length < 8) return 0;
    return d.context->exif_handover(d.in.buf + pos, length, d.target, d.s->options);
}

int run(Decode& d) {
    JpegDecoderState* s = d.s;
    if (decodes_by_strips(d)) return run_strips(d);
    if (int rc = jpeg_input_open(&d.in, d.source)) return rc;
    size_t pos = 0;
    if (int rc = start_of_image(d.in, &pos)) return rc;
    const int marker = jpeg_scan_markers(s, d.in.buf, d.in.len, &pos);
    if (marker < 0) return marker;
    if (s->comment[0]) std::memcpy(d.target->description, s->comment, sizeof s->comment);
    if (s->exif_position && hand_over_exif(d) == 1) return 1;
    if (int rc = check_frame_marker(s, marker, d.in, pos)) return rc;
    if (int rc = jpeg_parse_frame(s, d.in.buf, d.in.len, pos)) return rc;
    jpeg_decide_colour(s);
    if (int rc = prepare_target(d)) return rc;
    if (int rc = prepare_palette(d)) return rc;
    pos += (size_t)(d.in.buf[pos] << 8 | d.in.buf[pos + 1]);
    if (jpeg_scan_markers(s, d.in.buf, d.in.len, &pos) != SOS) return ERR_BAD_HEADER;
    const size_t header = pos;
    if (int rc = jpeg_parse_scan(s, d.in.buf, d.in.len, header, &pos)) return rc;
    s->scan_count = 1;
    if (!s->lookups_built)
        if (int rc = jpeg_build_lookups(s)) return rc;
    if (int rc = jpeg_prepare_quant(s, (s->options & JPEG_THUMBNAIL) != 0)) return rc;
    if (s->component_count == 3 && !d.shared) jpeg_fill_color_tables(s);
    d.in.pos = pos;
    if (s->options & JPEG_PROGRESSIVE)
        return jpeg_decode_progressive(s, &d.in, d.in.buf + header, d.in.len - header, &d.out);
    return jpeg_decode_baseline(s, &d.in, &d.out);
}

void release_output(Decode& d) {
    PageBitmap* t = d.target;
    if (d.own_buffer) mem_free(t->data), t->data = nullptr;
    if (d.own_palette) mem_free(t->palette), t->palette = nullptr;
}

}  // namespace

int decode_jpeg(const PageBitmap* source, PageBitmap* target, int options, bool shared,
                const JpegPageContext& context) {
    if (!source || !target) return ERR_PARAMETER;
    Decode d{};
    d.context = &context;
    d.source = source;
    d.target = target;
    d.shared = shared;
    if (shared) {
        d.s = static_cast<JpegDecoderState*>(source->decoder_state ? source->decoder_state : target->decoder_state);
        if (!d.s) return ERR_PARAMETER;
    } else {
        d.s = static_cast<JpegDecoderState*>(mem_alloc(sizeof(JpegDecoderState)));
        if (!d.s) return ERR_MEMORY;
        jpeg_fill_range_limit(d.s);
    }
    reset_frame(d.s, options);
    int rc = run(d);
    jpeg_input_close(&d.in);
    if (!shared) {
        jpeg_release_lookups(d.s);
        mem_free(d.s);
    }
    if (rc == 1) return IMG_OK;  // the Exif thumbnail became the target
    // Damaged data: the picture keeps what was decoded before the fault.
    if (rc == ERR_DECOMPRESS && (options & JPEG_ACCEPT_DAMAGED) && d.out.pixels) rc = IMG_OK;
    if (rc != IMG_OK) release_output(d);
    return rc;
}

int jpeg_decode_page(const PageBitmap* source, PageBitmap* target, int flags, const JpegPageContext& context) {
    return decode_jpeg(source, target, flags & ~JPEG_PROGRESSIVE, false, context);
}

int jpeg_decode_movie_frame(const PageBitmap* source, PageBitmap* target, int flags,
                            const JpegPageContext& context) {
    return decode_jpeg(source, target, flags & ~JPEG_PROGRESSIVE, true, context);
}
