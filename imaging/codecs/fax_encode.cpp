// Fax encoders of convert_page, from the run-length form: modified Huffman rows that
// start on byte boundaries (code 7, TIFF compression 2), T.4 one-dimensional rows each
// introduced by EOL and ended by RTC (code 1), and T.6 two-dimensional rows ended by
// EOFB (code 3). Run and mode codes of ITU-T T.4 section 4 and T.6 section 2.2; bits
// most significant first.
#include <utility>

#include "codecs/encoder_pages.h"
#include "codecs/fax.h"
#include "codecs/fax_tables.h"
#include "codecs/run_form.h"

namespace {

struct Code {
    uint32_t bits;
    uint8_t length;
};

// Run codes of one colour: terminating codes 0..63, make-up codes by run / 64 (1..27
// the colour's own up to 1728, 28..40 the extended codes 1792..2560 shared by both).
struct RunCodes {
    Code term[64];
    Code makeup[41];
};

RunCodes build_codes(const FaxRunCode (&codes)[91]) {
    RunCodes t{};
    for (const FaxRunCode& c : codes) {
        if (c.run < 64) t.term[c.run] = Code{c.bits, c.length};
        else t.makeup[c.run / 64] = Code{c.bits, c.length};
    }
    for (const FaxRunCode& c : kFaxExtendedCodes) t.makeup[c.run / 64] = Code{c.bits, c.length};
    return t;
}

// Built once, at first use (thread-safe).
const RunCodes& run_codes(bool black) {
    static const RunCodes white_codes = build_codes(kFaxWhiteCodes);
    static const RunCodes black_codes = build_codes(kFaxBlackCodes);
    return black ? black_codes : white_codes;
}

constexpr Code kEol{0x001, 12};
constexpr Code kPass{0x1, 4};
constexpr Code kHorizontal{0x1, 3};
// Vertical modes by a1 - b1 + 3: VL3, VL2, VL1, V0, VR1, VR2, VR3.
constexpr Code kVertical[7] = {{0x02, 7}, {0x02, 6}, {0x2, 3}, {0x1, 1}, {0x3, 3}, {0x03, 6}, {0x03, 7}};

// Appends codes most significant bit first. Whole 32-bit words go out as they fill;
// the caller has reserved room for every byte that can be written.
struct BitSink {
    uint8_t* out = nullptr;
    uint64_t acc = 0;  // the low `count` bits are pending
    int count = 0;

    void put(Code c) {
        acc = acc << c.length | c.bits;
        count += c.length;
        if (count >= 32) {
            count -= 32;
            const uint32_t word = (uint32_t)(acc >> count);
            out[0] = (uint8_t)(word >> 24);
            out[1] = (uint8_t)(word >> 16);
            out[2] = (uint8_t)(word >> 8);
            out[3] = (uint8_t)word;
            out += 4;
        }
    }
    // Zero bits up to the next byte boundary.
    void align() {
        if (count & 7) put(Code{0, (uint8_t)(8 - (count & 7))});
    }
    // Writes the pending bits; a final partial byte has its unused bits 0.
    void flush() {
        align();
        for (; count >= 8; count -= 8) *out++ = (uint8_t)(acc >> (count - 8));
    }
    // A run: extended make-up codes of 2560 while the run is that long, then a make-up
    // code when 64 or more remain, then the terminating code.
    void run(int32_t r, const RunCodes& codes) {
        for (; r >= 2560; r -= 2560) put(codes.makeup[40]);
        if (r >= 64) put(codes.makeup[r >> 6]);
        put(codes.term[r & 63]);
    }
};

// Changing elements of picture row y, where the colour changes from the left edge
// (white) on, strictly increasing and below the width, followed by three entries at
// the width. Answers their count, or -1 when the row cannot be found.
int row_changes(const PageBitmap& page, int32_t y, int32_t* pos) {
    const RunRow row = run_row(page, y);
    if (!row.bytes) return -1;
    int n = 0;
    for_each_black_run(row, page.width, [&](int32_t start, int32_t length) {
        if (n > 0 && pos[n - 1] == start) --n;  // joins the black run before it
        else pos[n++] = start;
        if (start + length < page.width) pos[n++] = start + length;
    });
    pos[n] = pos[n + 1] = pos[n + 2] = page.width;
    return n;
}

// Runs of a row, white first (the first may be 0), up to the width.
void encode_1d_row(BitSink& s, const int32_t* cur, int n, int32_t width) {
    const RunCodes& white = run_codes(false);
    const RunCodes& black = run_codes(true);
    int32_t prev = 0;
    for (int i = 0; i < n; ++i) {
        s.run(cur[i] - prev, (i & 1) ? black : white);
        prev = cur[i];
    }
    s.run(width - prev, (n & 1) ? black : white);
}

// A row against its reference line (T.6 section 2.2.3): pass mode when b2 lies left
// of a1, vertical mode when a1 is within 3 of b1, otherwise horizontal mode with the
// runs a0a1 and a1a2. The colour of a0 is white while an even number of the row's
// changes lie behind it.
void encode_2d_row(BitSink& s, const int32_t* cur, const int32_t* ref, int32_t width) {
    const RunCodes* colour[2] = {&run_codes(false), &run_codes(true)};
    int32_t a0 = -1;
    int ia = 0;  // a1 = cur[ia]
    int ib = 0;  // first reference change right of a0
    while (a0 < width) {
        const int32_t a1 = cur[ia];
        while (ref[ib] <= a0) ++ib;
        const int jb = ib + ((ib ^ ia) & 1);  // b1 changes to a1's colour
        const int32_t b1 = ref[jb], b2 = ref[jb + 1];
        if (b2 < a1) {
            s.put(kPass);
            a0 = b2;
            continue;
        }
        const int32_t d = a1 - b1;
        if (d >= -3 && d <= 3) {
            s.put(kVertical[d + 3]);
            a0 = a1;
            ++ia;
            continue;
        }
        const int32_t a2 = cur[ia + 1];
        s.put(kHorizontal);
        s.run(a1 - (a0 < 0 ? 0 : a0), *colour[ia & 1]);
        s.run(a2 - a1, *colour[(ia & 1) ^ 1]);
        a0 = a2;
        ia += 2;
    }
}

enum class Coding { Huffman, G3OneD, G4 };

// Bytes a row can take at most: every change coded in horizontal mode (3 bits and a
// run of at most 25 bits, each), a pass code per two reference changes, the extended
// make-up codes of the long runs, the EOL and the alignment, and the pending word.
size_t row_bound(int n_cur, int n_ref, int32_t width) {
    const size_t bits = 28 * ((size_t)n_cur + 2) + 2 * ((size_t)n_ref + 2) + 12 * ((size_t)width / 2560 + 2) + 64;
    return bits / 8 + 8;
}

struct Lines {
    int32_t* cur;
    int32_t* ref;
    int n_ref = 0;
};

int encode_rows(const PageBitmap& src, Coding coding, Lines& lines, EncodedOutput& out, BitSink& s) {
    lines.ref[0] = lines.ref[1] = lines.ref[2] = src.width;  // all white above the page
    for (int32_t y = 0; y < src.height; ++y) {
        const int n = row_changes(src, y, lines.cur);
        if (n < 0) return ERR_PARAMETER;
        s.out = out.reserve(row_bound(n, lines.n_ref, src.width));
        if (!s.out) return ERR_MEMORY;
        if (coding == Coding::G4) {
            encode_2d_row(s, lines.cur, lines.ref, src.width);
            std::swap(lines.cur, lines.ref);
            lines.n_ref = n;
        } else {
            if (coding == Coding::G3OneD) s.put(kEol);
            else s.align();
            encode_1d_row(s, lines.cur, n, src.width);
        }
        out.commit(s.out);
    }
    return IMG_OK;
}

// The end of the page: RTC (six EOLs) for code 1, EOFB (two EOLs) for code 3.
int encode_page_end(Coding coding, EncodedOutput& out, BitSink& s) {
    s.out = out.reserve(32);
    if (!s.out) return ERR_MEMORY;
    const int eols = coding == Coding::G3OneD ? 6 : coding == Coding::G4 ? 2 : 0;
    for (int i = 0; i < eols; ++i) s.put(kEol);
    s.flush();
    out.commit(s.out);
    return IMG_OK;
}

int encode_page(const PageBitmap* src, PageBitmap* target, Coding coding, int compression) {
    if (!src || !target || src->bits_per_pixel != 1 || src->compression != COMP_RUNS || src->width <= 0 ||
        src->height <= 0 || src->width > RUN_MAX)
        return ERR_PARAMETER;
    const size_t entries = (size_t)src->width + 4;
    const size_t stored = src->data_length > 0 ? (size_t)src->data_length : 0;
    EncoderBuffers b;
    int rc = b.begin(coding == Coding::G4 ? stored / 2 : stored, 2 * entries * sizeof(int32_t));
    int32_t* line_block = reinterpret_cast<int32_t*>(b.work);
    Lines lines{line_block, line_block + entries};
    BitSink s;
    if (rc == IMG_OK) rc = encode_rows(*src, coding, lines, b.out, s);
    if (rc == IMG_OK) rc = encode_page_end(coding, b.out, s);
    return b.end(rc, target, compression);  // black_is_one stays that of the runs
}

}  // namespace

int fax_encode_huffman(const PageBitmap* s, PageBitmap* t, int) { return encode_page(s, t, Coding::Huffman, COMP_HUFFMAN); }
int fax_encode_g3_1d(const PageBitmap* s, PageBitmap* t, int) { return encode_page(s, t, Coding::G3OneD, COMP_G3_1D); }
int fax_encode_g4(const PageBitmap* s, PageBitmap* t, int) { return encode_page(s, t, Coding::G4, COMP_G4); }
