// Page decoding for the fax codes: strip by strip (each strip starts at bit 0 and, for
// 2-D codings, from an all-white reference line), rows per ITU-T T.4 and T.6, the
// end-of-page codes (RTC, EOFB) and the end-of-data rules, into the run-length form.
// Data with the least significant bit first is read through a reversed copy, so the
// source page (possibly a read-only view of the file) is never written.
#include "codecs/fax.h"

#include <algorithm>

#include "codecs/codec_strips.h"
#include "base/checked_math.h"
#include "codecs/fax_decode.h"

namespace {
enum Step { STEP_ROW, STEP_END, STEP_ERROR };

struct FaxJob {
    const PageBitmap* src;
    int32_t width;
    int32_t height;
    int32_t rows_per_strip;
    int strip = -1;
    FaxBits bits;
    FaxLine ref{}, cur{};
    int32_t* lines = nullptr;    // the two changing-element lines
    uint8_t* reversed = nullptr;  // bit-reversed copy of the current strip
    size_t reversed_cap = 0;
    RunsBuilder out;
};

void reset_reference(FaxJob& job) {
    job.ref.n = 0;
    line_close(job.ref, job.width);
}

// Points the reader at strip s; a missing strip reads as no data.
int open_strip(FaxJob& job, int s) {
    const PageBitmap* p = job.src;
    size_t size = 0;
    const uint8_t* data = page_strip(p, s, &size);
    if (size && p->fill_order == 1) {
        if (size > job.reversed_cap) {
            mem_free(job.reversed);
            job.reversed = static_cast<uint8_t*>(mem_alloc(size));
            job.reversed_cap = job.reversed ? size : 0;
            if (!job.reversed) return ERR_MEMORY;
        }
        for (size_t i = 0; i < size; ++i) job.reversed[i] = kBitReverse[data[i]];
        data = job.reversed;
    }
    job.bits.reset(data, size);
    job.strip = s;
    reset_reference(job);
    return IMG_OK;
}

// Opens the strip holding row y when the row starts a new strip.
int enter_row(FaxJob& job, int32_t y) {
    const int s = (int)(y / job.rows_per_strip);
    return s == job.strip ? IMG_OK : open_strip(job, s);
}

void finish_row(FaxJob& job) {
    runs_row_commit(&job.out, line_end_runs(job.cur, job.width));
    line_close(job.cur, job.width);
    std::swap(job.ref, job.cur);
}

// Code 7: rows of runs that add up to the width exactly, each from a byte boundary.
Step step_huffman(FaxJob& job, int32_t) {
    const RowResult r = fax_decode_1d_row(job.bits, job.width, true, job.cur);
    if (r != ROW_DONE || job.bits.overrun()) return STEP_ERROR;
    job.bits.align();
    return STEP_ROW;
}

// Code 1: rows introduced by EOL; an EOL inside a row ends it early.
Step step_g3_1d(FaxJob& job, int32_t) {
    if (!fax_find_eol(job.bits) || fax_page_end_next(job.bits)) return STEP_END;
    const RowResult r = fax_decode_1d_row(job.bits, job.width, false, job.cur);
    if (job.bits.overrun()) return STEP_END;  // the data ended inside this row
    return r == ROW_BAD ? STEP_ERROR : STEP_ROW;
}

// Code 2: rows introduced by EOL and a tag bit (1: one-dimensional, 0: two-dimensional).
Step step_g3_2d(FaxJob& job, int32_t) {
    if (!fax_find_eol(job.bits)) return STEP_ERROR;
    job.bits.fill();
    const bool one_d = job.bits.peek() >> 31;
    job.bits.skip(1);
    if (fax_page_end_next(job.bits)) return STEP_END;
    const RowResult r = one_d ? fax_decode_1d_row(job.bits, job.width, false, job.cur)
                              : fax_decode_2d_row(job.bits, job.width, job.ref, job.cur);
    if (job.bits.overrun() || r == ROW_BAD) return STEP_ERROR;
    if (r == ROW_EOL && !one_d) return fax_page_end_next(job.bits) ? STEP_END : STEP_ERROR;
    return STEP_ROW;
}

// Codes 3 and 4: two-dimensional rows without EOLs, ended by EOFB.
Step step_g4(FaxJob& job, int32_t) {
    const RowResult r = fax_decode_2d_row(job.bits, job.width, job.ref, job.cur);
    if (r == ROW_EOL && fax_page_end_next(job.bits)) return STEP_END;
    return r == ROW_DONE && !job.bits.overrun() ? STEP_ROW : STEP_ERROR;
}

// Code 4: the first row follows an EOL and one more bit and is one-dimensional.
Step step_mmr(FaxJob& job, int32_t y) {
    if (y > 0) return step_g4(job, y);
    if (!fax_find_eol(job.bits)) return STEP_ERROR;
    job.bits.fill();
    job.bits.skip(1);
    const RowResult r = fax_decode_1d_row(job.bits, job.width, false, job.cur);
    return r == ROW_BAD || job.bits.overrun() ? STEP_ERROR : STEP_ROW;
}

using StepFn = Step (*)(FaxJob&, int32_t);

struct FaxCoding {
    StepFn step;
    size_t bytes_per_input_byte;  // expected run bytes per compressed byte
};

int start_job(FaxJob& job, const PageBitmap* src, const FaxCoding& coding) {
    job.src = src;
    job.width = src->width;
    job.height = src->height;
    job.rows_per_strip = page_rows_per_strip(src);
    if (src->height <= 0 || src->width <= 0) return ERR_PARAMETER;
    if (src->height > kMaxPageSide) return ERR_UNSUPPORTED;
    const size_t input = src->data_length > 0 ? (size_t)src->data_length : 0;
    int rc = runs_begin(&job.out, job.width, job.height, coding.bytes_per_input_byte * input);
    if (rc) return rc;
    job.lines = static_cast<int32_t*>(mem_alloc(2 * line_entries(job.width) * sizeof(int32_t)));
    if (!job.lines) return ERR_MEMORY;
    job.ref.pos = job.lines;
    job.cur.pos = job.lines + line_entries(job.width);
    return IMG_OK;
}

void end_job(FaxJob& job) {
    mem_free(job.lines);
    mem_free(job.reversed);
    runs_abort(&job.out);
}

// Decodes every row; returns 0 or -4 for data that does not decode (or ends early).
int decode_rows(FaxJob& job, const FaxCoding& coding) {
    for (int32_t y = 0; y < job.height; ++y) {
        int rc = enter_row(job, y);
        uint8_t* start = rc ? nullptr : runs_row_space(&job.out, &rc);
        if (rc) return rc;
        line_begin(job.cur, start);
        const Step step = coding.step(job, y);
        if (step == STEP_END) return IMG_OK;
        if (step == STEP_ERROR) return ERR_DECOMPRESS;
        finish_row(job);
    }
    return IMG_OK;
}

// Hands the rows to the page; the page keeps its depth interpretation (convert_page
// inverts the runs of a page whose black_is_one is set), pitch and layout.
void finish_page(FaxJob& job, PageBitmap* dst) {
    const PageBitmap keep = *dst;
    runs_finish(&job.out, dst);
    dst->black_is_one = keep.black_is_one;
    dst->pitch = keep.pitch;
    dst->layout = keep.layout;
    dst->fill_order = 0;
    dst->strip_count = 0;
    dst->strip_offsets = nullptr;
    dst->strip_lengths = nullptr;
    dst->rows_per_strip = dst->height;
}

// A T.6 page of unknown length cannot be read safely: it decodes as all white.
bool length_unknown(const PageBitmap* src) { return !page_has_strip_tables(src) && src->data_length == 0; }

int decode_page(const PageBitmap* src, PageBitmap* dst, int flags, const FaxCoding& coding, bool g4) {
    if (!src || !dst) return ERR_PARAMETER;
    FaxJob job;
    int rc = start_job(job, src, coding);
    if (rc == IMG_OK && !(g4 && length_unknown(src))) rc = decode_rows(job, coding);
    // Damaged data accepted: the rows decoded so far stay, the others are empty.
    if (rc == ERR_DECOMPRESS && (flags & JPEG_ACCEPT_DAMAGED)) rc = IMG_OK;
    if (rc == IMG_OK) finish_page(job, dst);
    end_job(job);
    return rc;
}

constexpr FaxCoding kHuffman{step_huffman, 6};
constexpr FaxCoding kG3OneD{step_g3_1d, 5};
constexpr FaxCoding kG3TwoD{step_g3_2d, 8};
constexpr FaxCoding kG4{step_g4, 13};
constexpr FaxCoding kMmr{step_mmr, 13};
}  // namespace

int fax_decode_huffman(const PageBitmap* s, PageBitmap* t, int flags) { return decode_page(s, t, flags, kHuffman, false); }
int fax_decode_g3_1d(const PageBitmap* s, PageBitmap* t, int flags) { return decode_page(s, t, flags, kG3OneD, false); }
int fax_decode_g3_2d(const PageBitmap* s, PageBitmap* t, int flags) { return decode_page(s, t, flags, kG3TwoD, false); }
int fax_decode_g4(const PageBitmap* s, PageBitmap* t, int flags) { return decode_page(s, t, flags, kG4, true); }
int fax_decode_mmr(const PageBitmap* s, PageBitmap* t, int flags) { return decode_page(s, t, flags, kMmr, true); }
