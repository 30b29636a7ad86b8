// Turning pages by 90 degrees: a 1728 x 2200 bilevel fax page in the run-length form
// and a 12-megapixel 24-bit page, each next to a plain transposition of the same
// bytes in the same run (megapixels per second in the "items" column).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "codecs/run_form.h"
#include "imaging.h"
#include "process/operations.h"

namespace {

// A text-like fax page: short black strokes on white, written in the shortest form.
PageBitmap make_fax_page(int w, int h) {
    std::mt19937 rng(42);
    std::vector<std::vector<uint8_t>> rows((size_t)h);
    size_t total = (size_t)h * sizeof(void*);
    for (int y = 0; y < h; ++y) {
        std::vector<uint8_t>& out = rows[(size_t)y];
        int x = 0;
        const bool text_line = (y / 24) % 2 == 0;
        while (x < w) {
            int white = text_line ? 2 + (int)(rng() % 14) : w;
            int black = text_line ? 1 + (int)(rng() % 4) : 0;
            if (x + white > w) white = w - x;
            if (x + white + black > w) black = w - x - white;
            uint8_t b[2];
            int n = run_write(b, white);
            out.insert(out.end(), b, b + n);
            n = run_write(b, black);
            out.insert(out.end(), b, b + n);
            x += white + black;
            if (black == 0) break;
        }
        out.push_back(0);
        out.push_back(0);
        total += out.size();
    }
    PageBitmap page{};
    page.width = w;
    page.height = h;
    page.bits_per_pixel = 1;
    page.compression = COMP_RUNS;
    page.ownership = OWN_ALLOCATED;
    page.data = static_cast<uint8_t*>(mem_alloc(total));
    page.data_length = (int32_t)total;
    size_t pos = (size_t)h * sizeof(void*);
    for (int y = 0; y < h; ++y) {
        reinterpret_cast<uint8_t**>(page.data)[y] = page.data + pos;
        std::memcpy(page.data + pos, rows[(size_t)y].data(), rows[(size_t)y].size());
        pos += rows[(size_t)y].size();
    }
    return page;
}

void BM_TurnFaxPage(benchmark::State& state) {
    PageBitmap page = make_fax_page(1728, 2200);
    for (auto _ : state) {
        if (image_operation(&page, OP_TURN_90, 0, 0) != IMG_OK) state.SkipWithError("turn failed");
    }
    state.SetItemsProcessed(state.iterations() * 1728 * 2200);
    release_page(&page);
}

// The same page's pixels as a packed bitmap, transposed bit by bit.
void BM_TransposeFaxBits(benchmark::State& state) {
    const int w = 1728, h = 2200;
    std::vector<uint8_t> src((size_t)(w / 8) * h, 0xA5), dst((size_t)((h + 7) / 8) * w);
    for (auto _ : state) {
        std::fill(dst.begin(), dst.end(), 0);
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = src.data() + (size_t)y * (w / 8);
            const int bit = h - 1 - y;
            for (int x = 0; x < w; ++x)
                if (row[x >> 3] & (0x80 >> (x & 7))) dst[(size_t)x * ((h + 7) / 8) + (bit >> 3)] |= (uint8_t)(0x80 >> (bit & 7));
        }
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}

void BM_Turn24BitPage(benchmark::State& state) {
    const int w = 4000, h = 3000;
    PageBitmap page{};
    page.width = w;
    page.height = h;
    page.bits_per_pixel = 24;
    page.pitch = row_bytes_aligned(w, 24);
    page.data_length = page.pitch * h;
    page.data = static_cast<uint8_t*>(mem_alloc((size_t)page.data_length));
    page.ownership = OWN_ALLOCATED;
    std::memset(page.data, 0x5A, (size_t)page.data_length);
    for (auto _ : state) {
        if (image_operation(&page, OP_TURN_90, 0, 0) != IMG_OK) state.SkipWithError("turn failed");
    }
    state.SetItemsProcessed(state.iterations() * w * h);
    release_page(&page);
}

void BM_Transpose24BitBytes(benchmark::State& state) {
    const int w = 4000, h = 3000;
    std::vector<uint8_t> src((size_t)w * h * 3, 0x5A), dst(src.size());
    for (auto _ : state) {
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j)
                std::memcpy(&dst[((size_t)j * h + (h - 1 - i)) * 3], &src[((size_t)i * w + j) * 3], 3);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}

}  // namespace

BENCHMARK(BM_TurnFaxPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TransposeFaxBits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Turn24BitPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Transpose24BitBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
