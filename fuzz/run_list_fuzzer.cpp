// Fuzz target: walks bytes as run-length rows (white, black pairs) with the library's
// run reader, and as one row of the run-length form through the row walk and its
// painting, checking that nothing reads past the data, every pair stays inside the
// row and every walk ends.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/run_form.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t pos = 0;
    long pixels = 0;
    while (pos < size) {
        int used = 0;
        const int white = run_read(data + pos, size - pos, &used);
        if (used == 0) break;
        pos += (size_t)used;
        const int black = run_read(data + pos, size - pos, &used);
        if (used == 0) break;
        pos += (size_t)used;
        pixels += white + black;
        if (white < 0 || white > RUN_MAX || black < 0 || black > RUN_MAX) __builtin_trap();
        if (black == 0) pixels = 0;  // end of a row
    }
    (void)pixels;
    // The first two bytes choose a row width; the rest is the row.
    if (size < 2) return 0;
    const int32_t width = 1 + ((data[0] << 8 | data[1]) & 0x3FFF);
    const RunRow row{data + 2, size - 2};
    int32_t next = 0;
    for_each_run_pair(row, width, [&](int32_t x, int32_t white, int32_t black) {
        if (x != next || white < 0 || black < 0 || x + white + black > width) __builtin_trap();
        next = x + white + black;
    });
    std::vector<uint8_t> painted((size_t)(width + 7) / 8);
    runs_paint_row(row, painted.data(), width);
    return 0;
}
