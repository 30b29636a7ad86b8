// Fuzz target: a clipboard bitmap block (what another program put on the clipboard)
// turned into a page; a page that was accepted is copied back out as a block, which
// must read again as a page of the same size and depth.
// Seeds (hand-made): 1-, 4-, 8-, 24- and 32-bit blocks, a 5-5-5 and a
// 5-6-5 16-bit block, a top-down one, and blocks whose header claims more rows or
// colours than the bytes hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "view/dib_page.h"
#include "imaging.h"
#include "view/view_selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 22)) return 0;
    PageBitmap page{};
    if (page_from_dib(data, size, &page) != 0) return 0;
    const uint32_t bytes = clipboard_dib_bytes(page.width, page.height, page.bits_per_pixel);
    if (bytes > 0 && bytes <= (1u << 26)) {
        std::vector<uint8_t> out(bytes, 0);
        const PageRegion whole{0, 0, page.width, page.height};
        if (write_region_dib(page, whole, 0, out.data(), out.size()) == 0) {
            PageBitmap again{};
            if (page_from_dib(out.data(), out.size(), &again) != 0) std::abort();
            if (again.width != page.width || again.height != page.height ||
                again.bits_per_pixel != page.bits_per_pixel)
                std::abort();
            release_page(&again);
        }
    }
    release_page(&page);
    return 0;
}
