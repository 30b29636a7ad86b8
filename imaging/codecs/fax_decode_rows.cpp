// Row decoding of ITU-T T.4 and T.6: one-dimensional rows of white and black run
// codes (T.4 section 4.1), two-dimensional rows of pass, horizontal and vertical
// modes against a reference line (T.4 section 4.2, T.6 section 2.2), and the
// uncompressed-mode extension (T.4 annex, T.6 section 2.2.6).
#include "codecs/fax_decode.h"

namespace {
// Longest run accepted: far beyond any page width, and far from int overflow.
constexpr int kRunCap = 1 << 24;

template <bool Black>
inline int decode_run(FaxBits& bits) {
    int total = 0;
    for (;;) {
        bits.fill();
        const uint32_t window = bits.peek();
        const uint16_t e = Black ? fax_black_lookup(window) : fax_white_lookup(window);
        const int run = fax_entry_run(e);
        if (run >= FAX_ESCAPE) return run == FAX_EOL ? RUN_EOL : RUN_BAD;
        bits.skip(fax_entry_length(e));
        total += run;
        if (run < 64) return total;  // a terminating code ends the run
        if (total > kRunCap) return RUN_BAD;
    }
}

inline int decode_run(FaxBits& bits, int colour) {
    return colour ? decode_run<true>(bits) : decode_run<false>(bits);
}

inline int leading_zeros(uint32_t w) { return w ? __builtin_clz(w) : 32; }

// Uncompressed mode, entered at a0 with the colour of a0: literal pixel patterns
// until an exit code, whose tag bit gives the colour of the next run.
bool decode_uncompressed(FaxBits& bits, int32_t width, FaxLine& line, int32_t& a0, int& colour) {
    int32_t x = a0 < 0 ? 0 : a0;
    int current = colour;
    auto paint = [&](int c, int32_t count) {
        if (count <= 0) return;
        if (current != c) {
            line_push(line, x, width);
            current = c;
        }
        x += count;
    };
    for (;;) {
        if (x > width) return false;
        bits.fill();
        const int zeros = leading_zeros(bits.peek());
        if (zeros <= 4) {  // zeros white pixels, then one black
            paint(0, zeros);
            paint(1, 1);
            bits.skip(zeros + 1);
        } else if (zeros == 5) {  // 000001: five white pixels
            paint(0, 5);
            bits.skip(6);
        } else if (zeros <= 10) {  // exit: zeros - 6 white pixels, then the tag bit
            paint(0, zeros - 6);
            bits.skip(zeros + 1);
            const int tag = (int)(bits.peek() >> 31);
            bits.skip(1);
            if (x > width) return false;
            if (current != tag) line_push(line, x, width);
            a0 = x;
            colour = tag;
            return true;
        } else {
            return false;
        }
    }
}
}  // namespace

int fax_decode_run(FaxBits& bits, bool black) { return decode_run(bits, black ? 1 : 0); }

RowResult fax_decode_1d_row(FaxBits& bits, int32_t width, bool exact, FaxLine& line) {
    int32_t x = 0;
    int colour = 0;
    while (x < width) {
        const int run = decode_run(bits, colour);
        if (run < 0) {
            if (run != RUN_EOL) return ROW_BAD;
            if (colour) line_push(line, x, width);  // the rest of the row stays white
            return ROW_EOL;
        }
        x += run;
        if (x > width) {
            if (exact) return ROW_BAD;
            x = width;
        }
        line_push(line, x, width);
        colour ^= 1;
    }
    return ROW_DONE;
}

RowResult fax_decode_2d_row(FaxBits& bits, int32_t width, const FaxLine& ref, FaxLine& line) {
    const int32_t* b = ref.pos;
    int32_t a0 = -1;  // before the first pixel
    int colour = 0;
    int ri = 0;
    while (a0 < width) {
        // b1: the first change right of a0 whose new colour is the opposite of a0's
        // (even entries turn black, odd ones white). A vertical mode may have moved
        // a0 left of the previous b1, so the search starts one entry back.
        if (ri > 0) --ri;
        while (b[ri] <= a0) ++ri;
        if ((ri & 1) != colour) ++ri;
        const int32_t b1 = b[ri];
        bits.fill();
        const uint32_t window = bits.peek();
        const FaxModeEntry m = kFaxModes[window >> 25];
        if (m.mode <= MODE_VL3) {  // vertical modes, the most frequent by far
            const int32_t a1 = b1 + kFaxVerticalOffset[m.mode];
            if (a1 < 0 || a1 > width || a1 < a0) return ROW_BAD;
            bits.skip(m.length);
            line_push(line, a1, width);
            a0 = a1;
            colour ^= 1;
            continue;
        }
        switch (m.mode) {
        case MODE_PASS:
            bits.skip(4);
            a0 = b[ri + 1];
            break;
        case MODE_HORIZONTAL: {
            bits.skip(3);
            const int r1 = decode_run(bits, colour);
            const int r2 = r1 < 0 ? r1 : decode_run(bits, colour ^ 1);
            if (r1 < 0 || r2 < 0) return ROW_BAD;
            const int32_t start = a0 < 0 ? 0 : a0;
            const int32_t a1 = start + r1 < width ? start + r1 : width;
            const int32_t a2 = a1 + r2 < width ? a1 + r2 : width;
            line_push(line, a1, width);
            line_push(line, a2, width);
            a0 = a2;
            break;
        }
        case MODE_EXTENSION:
            if (((window >> 22) & 7) != 7) return ROW_BAD;  // only uncompressed mode is defined
            bits.skip(10);
            if (!decode_uncompressed(bits, width, line, a0, colour)) return ROW_BAD;
            break;
        case MODE_ZEROS:
            return fax_eol_next(bits) ? ROW_EOL : ROW_BAD;
        default:
            break;
        }
    }
    return ROW_DONE;
}

bool fax_find_eol(FaxBits& bits) {
    for (;;) {
        if (bits.exhausted()) return false;
        bits.fill();
        const uint32_t window = bits.peek();
        if (window == 0) {  // fill zeros: keep eleven to count with the next window
            bits.skip(21);
            continue;
        }
        const int zeros = leading_zeros(window);
        bits.skip(zeros + 1);
        if (zeros >= 11) return !bits.overrun();
    }
}

bool fax_eol_next(FaxBits& bits) {
    bits.fill();
    const uint32_t window = bits.peek();
    return window != 0 && leading_zeros(window) >= 11;
}

bool fax_page_end_next(FaxBits& bits) {
    FaxBits probe = bits;
    for (int i = 0; i < 2; ++i) {
        probe.fill();
        uint32_t window = probe.peek();
        if (i > 0 && (window >> 31)) {  // the tag bit after an EOL of a 2-D page
            probe.skip(1);
            window = probe.peek();
        }
        const int zeros = leading_zeros(window);
        if (zeros < 11 || zeros == 32) return false;
        probe.skip(zeros + 1);
        if (probe.overrun()) return false;
    }
    return true;
}
