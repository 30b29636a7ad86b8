// Fuzz target: identifies arbitrary bytes through a temporary file and reads every
// page (at most 64) ready for use through one kept stored record, as the viewer
// does with a file a user opens, checking what the decoded page promises.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "imaging.h"
#include "sample_file.h"

namespace {

enum { MAX_PAGES = 64 };

const char* path() {
    static const std::string path = sample_path("read_page");
    return path.c_str();
}

// A page ready for use is owned, top-down, and its rows lie inside its data.
void check_decoded(const PageBitmap& p) {
    if (p.ownership != OWN_ALLOCATED || (p.layout & LAYOUT_BOTTOM_UP) || p.strip_offsets) __builtin_trap();
    if (p.compression == COMP_RUNS || p.bits_per_pixel <= 1) return;
    if (p.pitch < row_bytes_packed(p.width, p.bits_per_pixel)) __builtin_trap();
    if ((int64_t)p.pitch * p.height > (int64_t)p.data_length) __builtin_trap();
}

void read_all_pages(ImageFileInfo* info) {
    PageBitmap stored{};
    const int pages = info->page_count < MAX_PAGES ? info->page_count : MAX_PAGES;
    for (int i = 0; i < pages; ++i) {
        PageBitmap decoded{};
        if (read_decoded_page(info, i, 0, &decoded, &stored) != 0) continue;
        check_decoded(decoded);
        release_page(&decoded);
    }
    if (stored.data || stored.palette) release_page(&stored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!write_sample(path(), data, size)) return 0;
    ImageFileInfo info{};
    if (identify_file(path(), &info, 0) == 0) {
        read_all_pages(&info);
        close_file_info(&info);
    }
    std::remove(path());
    return 0;
}
