// PC fax files (WinFAX, BitFAX, Quicklinks II): their pages hold least significant
// bit first ITU-T T.4 modified Huffman rows of 1,728 pixels, decoded here straight
// into the run-length form with the code tables of the fax decoders; their
// signatures are tested here for identify.
#include <cstring>

#include "base/bit_reader.h"
#include "codecs/fax_tables.h"
#include "codecs/run_form.h"
#include "formats/file_scanning.h"
#include "formats/page_reading.h"

namespace {

enum {
    FAX_WIDTH = 1728,
    MAX_ROWS = 20000,
    FAILURE_ROWS = 100,  // a broken row before this many rows fails the page
    EOL_BITS = 12,
    WINFAX_DATA = 126,
    WINFAX_LOOK = 176
};

// [start, end) of page n's coded data within the file.
int stored_span(const ImageFileInfo* info, int n, size_t* start, size_t* end) {
    ByteReader r = file_reader(info);
    const size_t file = r.size();
    *end = file;
    if (info->format == FMT_WINFAX) {
        *start = WINFAX_DATA;
        if (r.u8_at(WINFAX_DATA) != 0)  // fill bytes of 0xFF before the data
            for (size_t i = WINFAX_DATA + 1; i < file && i <= WINFAX_DATA + WINFAX_LOOK; ++i)
                if (r.u8_at(i) != 0xFF) {
                    *start = i;
                    break;
                }
    } else if (info->format == FMT_BITFAX) {
        *start = r.u32_at(24 + 16 * (size_t)n);
        const uint32_t length = r.u32_at(20 + 16 * (size_t)n);
        if (r.ok() && *start <= file && length < file - *start) *end = *start + length;
    } else {
        *start = r.u32_at(32 + 4 * (size_t)n);
        const uint32_t next = r.u32_at(36 + 4 * (size_t)n);
        if (next > *start && next < file) *end = next;
    }
    return r.ok() && *start < *end ? IMG_OK : ERR_BAD_HEADER;
}

enum RowEnd { ROW_DONE, ROW_EOL, ROW_BROKEN };

// Decodes one row's runs (white first) into `runs`; stops early at an end-of-line
// code, leaving it unread so that the next row begins with it.
RowEnd decode_row(BitReader& in, int32_t* runs, int* count) {
    int32_t x = 0, run = 0;
    bool black = false;
    *count = 0;
    while (x < FAX_WIDTH) {
        if (in.at_end()) return ROW_BROKEN;
        const uint32_t window = in.peek(32);
        const uint16_t e = black ? fax_black_lookup(window) : fax_white_lookup(window);
        const int value = fax_entry_run(e);
        if (value == FAX_EOL || (value == FAX_BAD && (window >> (32 - EOL_BITS)) == 0))
            return ROW_EOL;  // an end-of-line code, possibly after zero fill
        if (value == FAX_BAD || value == FAX_ESCAPE) return ROW_BROKEN;
        in.consume(fax_entry_length(e));
        run += value;
        if (value >= 64) continue;  // make-up code: the terminating code follows
        if (x + run > FAX_WIDTH) return ROW_BROKEN;
        runs[(*count)++] = run;
        x += run;
        run = 0;
        black = !black;
    }
    return ROW_DONE;
}

// Skips end-of-line codes (and the zero fill before them) ahead of a row.
void skip_eols(BitReader& in) {
    while (!in.at_end()) {
        const uint32_t window = in.peek(32);
        if ((window >> (32 - EOL_BITS)) == 1) in.consume(EOL_BITS);
        else if ((window >> (32 - EOL_BITS)) == 0) in.consume(1);  // fill bit
        else return;
    }
}

int decode_page(const uint8_t* coded, size_t length, PageBitmap* page) {
    RunsBuilder b;
    if (int rc = runs_begin(&b, FAX_WIDTH, MAX_ROWS, length * 6 + 80000)) return rc;
    int32_t runs[FAX_WIDTH + 2];
    BitReader in(coded, length);
    int32_t rows = 0;
    while (rows < MAX_ROWS) {
        skip_eols(in);
        int count = 0;
        const RowEnd end = decode_row(in, runs, &count);
        if (end == ROW_BROKEN && rows < FAILURE_ROWS) {
            runs_abort(&b);
            return ERR_DECOMPRESS;
        }
        runs_add_row(&b, runs, count);  // an early end leaves the rest white
        ++rows;
        if (end == ROW_BROKEN) break;
    }
    b.height = rows;  // the rows begun, the last possibly partial
    runs_finish(&b, page);
    return IMG_OK;
}

}  // namespace

int read_pc_fax_page(ImageFileInfo* info, PageBitmap* page, int page_index) {
    size_t start = 0, end = 0;
    if (int rc = stored_span(info, page_index, &start, &end)) return rc;
    // The data is stored least significant bit first: reverse each byte.
    const size_t length = end - start;
    uint8_t* coded = static_cast<uint8_t*>(mem_alloc(length + 8));
    if (!coded) return ERR_MEMORY;
    for (size_t i = 0; i < length; ++i) coded[i] = kBitReverse[info->view[start + i]];
    const int rc = decode_page(coded, length, page);
    mem_free(coded);
    if (rc != IMG_OK) return rc;
    page->x_dpi = 204;
    page->y_dpi = 196;
    return IMG_OK;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_bitfax(const IdentifyHeader& h) { return h.has(0, "BIT ") && h.has(4, " FAX"); }
bool is_winfax(const IdentifyHeader& h) { return h.has(0, "WINF") || h.has(0, "\x0B\x23\x64\xC0", 4); }
bool is_quicklinks(const IdentifyHeader& h) { return h.has(0, "QLII") && h.has(4, "FA"); }
