// Fuzz target: draws pages built from the input with scale_page (every depth, angle,
// scale, origin and flag, bilevel pages from raw run lists with row pointers anywhere
// in the run data) and converts them with convert_depth, checking that nothing reads
// or writes outside the page and output buffers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/run_form.h"
#include "imaging.h"

namespace {
struct Input {
    const uint8_t* p;
    size_t n;
    uint32_t byte() {
        if (!n) return 0;
        --n;
        return *p++;
    }
    uint32_t word() { return byte() | (byte() << 8); }
};

constexpr int kDepths[] = {1, 4, 8, 16, 24};
constexpr int32_t kAngles[] = {0, 90, 180, 270, 45};
constexpr int kTargets[] = {1, 2, 4, 8, 12, 16, 24};

// A run-length page whose row pointers land at offsets chosen by the input.
void build_runs(PageBitmap& page, Input& in, std::vector<uint8_t>& buffer) {
    const size_t table = runs_table_bytes(page.height);
    buffer.assign(table + in.n + 1, 0);
    std::vector<uint32_t> starts((size_t)page.height);
    for (auto& s : starts) s = in.byte();
    std::memcpy(buffer.data() + table, in.p, in.n);
    for (int32_t y = 0; y < page.height; ++y) {
        const uint8_t* row = buffer.data() + table + starts[(size_t)y] % (in.n + 1);
        std::memcpy(buffer.data() + (size_t)y * sizeof(void*), &row, sizeof row);
    }
    page.data = buffer.data();
    page.data_length = (int32_t)buffer.size();
    page.compression = COMP_RUNS;
}

void build_pixels(PageBitmap& page, Input& in, std::vector<uint8_t>& buffer) {
    page.pitch = row_bytes_aligned(page.width, page.bits_per_pixel);
    buffer.assign((size_t)page.pitch * page.height, 0);
    std::memcpy(buffer.data(), in.p, in.n < buffer.size() ? in.n : buffer.size());
    page.data = buffer.data();
    page.data_length = (int32_t)buffer.size();
    page.palette = nullptr;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    PageBitmap page{};
    page.bits_per_pixel = (int8_t)kDepths[in.byte() % 5];
    page.width = 1 + (int32_t)(in.byte() % 80);
    page.height = 1 + (int32_t)(in.byte() % 80);
    ViewParams view{};
    view.x_scale = (int32_t)(in.word() % 4096);
    view.y_scale = (int32_t)(in.word() % 4096);
    view.src_x = (int8_t)in.byte();
    view.src_y = (int8_t)in.byte();
    view.out_width = (int32_t)(in.byte() % 100);
    view.out_height = (int32_t)(in.byte() % 100);
    view.angle = kAngles[in.byte() % 5];
    view.flags = (uint8_t)in.byte();
    const int top_down = (int)(in.byte() & 1);
    const int target = kTargets[in.byte() % 7];
    const int method = (int)(in.byte() % 3);
    const int tone = (int)(in.byte() & 1);

    std::vector<uint8_t> pixels;
    if (page.bits_per_pixel == 1)
        build_runs(page, in, pixels);
    else
        build_pixels(page, in, pixels);

    view.out_pitch = (view.out_width + 7) / 8;
    const size_t rows = (size_t)(view.out_height > 0 ? view.out_height : 0);
    const size_t pitch = (size_t)view_row_bytes(view.out_width > 0 ? view.out_width : 0, 24);
    std::vector<uint8_t> out(pitch * rows + 1, 0x5A);
    view.pixels = out.data();
    std::vector<uint8_t> table(TONE_TABLE_BYTES);
    build_tone_table(100, 150, table.data());
    scale_page(&page, &view, top_down, tone ? table.data() : nullptr);

    if (convert_depth(&page, target, method) == 0 && page.ownership == OWN_ALLOCATED) {
        view.angle = 0;
        scale_page(&page, &view, top_down, nullptr);
        release_page(&page);
    }
    return 0;
}
