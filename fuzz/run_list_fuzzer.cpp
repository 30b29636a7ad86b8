// Fuzz target: walks bytes as run-length rows (white, black pairs) with the
// library's run reader, as every bilevel encoder does, checking it never reads
// past the data and always ends.
#include <cstddef>
#include <cstdint>

#include "imaging.h"

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
    return 0;
}
