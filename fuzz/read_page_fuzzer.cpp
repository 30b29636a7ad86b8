// Fuzz target: identifies arbitrary bytes through a temporary file, reads every page
// (at most 64, FLI/FLC frames in order into one record) and converts each to the
// decoded form, as the viewer does with a file a user opens.
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

// A decoded page's rows must lie inside its data.
void check_decoded(const PageBitmap& p) {
    if (p.compression == COMP_RUNS || p.bits_per_pixel <= 1) return;
    if (p.pitch < row_bytes_packed(p.width, p.bits_per_pixel)) __builtin_trap();
    if ((int64_t)p.pitch * p.height > (int64_t)p.data_length) __builtin_trap();
}

void read_all_pages(ImageFileInfo* info) {
    PageBitmap page{};
    const int pages = info->page_count < MAX_PAGES ? info->page_count : MAX_PAGES;
    for (int i = 0; i < pages; ++i) {
        if (info->format != FMT_FLI && (page.data || page.palette)) release_page(&page);
        if (read_page(info, &page, i) != 0) continue;
        PageBitmap decoded{};
        decoded.compression = page.bits_per_pixel == 1 ? COMP_RUNS : COMP_NONE;
        if (convert_page(&page, &decoded, 0) == 0) {
            check_decoded(decoded);
            if (decoded.data != page.data || decoded.ownership == 1) release_page(&decoded);
        }
    }
    if (page.data || page.palette) release_page(&page);
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
