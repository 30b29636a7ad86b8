// Benchmarks of the drawing primitive and the depth conversion: a 1:1 render of a
// 12-megapixel 24-bit page against memcpy of the same bytes, fit-to-1024x768 with
// and without box averaging, a 1728 x 2200 fax page at 3:1 with and without grey
// anti-aliasing, and 24 -> 8 bit error diffusion. Rates in megapixels per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "imaging.h"

namespace {
constexpr int32_t kPhotoW = 4000, kPhotoH = 3000;  // 12 megapixels
constexpr int32_t kFaxW = 1728, kFaxH = 2200;

// An owned, zero-filled, top-down page of packed rows.
PageBitmap new_page(int32_t w, int32_t h, int bpp) {
    PageBitmap p{};
    p.width = w;
    p.height = h;
    p.bits_per_pixel = (int8_t)bpp;
    p.pitch = row_bytes_aligned(w, bpp);
    p.data_length = p.pitch * h;
    p.data = static_cast<uint8_t*>(mem_alloc((size_t)p.data_length));
    p.ownership = OWN_ALLOCATED;
    p.layout = LAYOUT_TOP_DOWN;
    return p;
}

// A 24-bit page with smooth gradients and some noise.
PageBitmap make_photo(int32_t w, int32_t h) {
    PageBitmap p = new_page(w, h, 24);
    std::mt19937 rng(1);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = p.data + (size_t)y * p.pitch;
        for (int32_t x = 0; x < w; ++x) {
            const unsigned noise = rng() & 15;
            row[3 * x] = (uint8_t)(x * 255 / w + noise);
            row[3 * x + 1] = (uint8_t)(y * 255 / h);
            row[3 * x + 2] = (uint8_t)((x + y) * 127 / (w + h) + noise * 4);
        }
    }
    return p;
}

// A fax-like bilevel page: lines of "text" (short black strokes) with white between.
PageBitmap make_fax() {
    PageBitmap p = new_page(kFaxW, kFaxH, 8);
    std::mt19937 rng(2);
    std::memset(p.data, 255, (size_t)p.data_length);
    for (int32_t y = 0; y < kFaxH; ++y) {
        if ((y / 30) % 2 == 0 || y % 30 > 24) continue;  // text lines 25 rows high
        uint8_t* row = p.data + (size_t)y * p.pitch;
        for (int32_t x = 100; x < kFaxW - 100;) {
            const int32_t black = 1 + (int32_t)(rng() % 4), white = 2 + (int32_t)(rng() % 12);
            std::memset(row + x, 0, (size_t)black);
            x += black + white;
        }
    }
    convert_depth(&p, 1, DEPTH_PLAIN);  // into the run-length form
    return p;
}

PageBitmap& photo() {
    static PageBitmap p = make_photo(kPhotoW, kPhotoH);
    return p;
}

PageBitmap& fax() {
    static PageBitmap p = make_fax();
    return p;
}

void set_rates(benchmark::State& state, double source_pixels, double out_pixels) {
    state.counters["src_MP/s"] =
        benchmark::Counter(source_pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["out_MP/s"] = benchmark::Counter(out_pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Memcpy12MP(benchmark::State& state) {
    const PageBitmap& p = photo();
    std::vector<uint8_t> out((size_t)p.data_length);
    for (auto _ : state) {
        std::memcpy(out.data(), p.data, out.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    set_rates(state, (double)kPhotoW * kPhotoH, (double)kPhotoW * kPhotoH);
}
BENCHMARK(BM_Memcpy12MP)->Unit(benchmark::kMillisecond);

void BM_Render12MPOneToOne(benchmark::State& state) {
    const PageBitmap& p = photo();
    std::vector<uint8_t> out((size_t)p.data_length);
    ViewParams v{0, 0, 256, 256, kPhotoW, kPhotoH, 0, 0, out.data(), 0};
    for (auto _ : state) {
        benchmark::DoNotOptimize(scale_page(&p, &v, 1, nullptr));
        benchmark::ClobberMemory();
    }
    set_rates(state, (double)kPhotoW * kPhotoH, (double)kPhotoW * kPhotoH);
}
BENCHMARK(BM_Render12MPOneToOne)->Unit(benchmark::kMillisecond);

void BM_FitTo1024x768(benchmark::State& state) {
    const PageBitmap& p = photo();
    const int32_t scale = std::max(kPhotoW * 256 / 1024, kPhotoH * 256 / 768);
    std::vector<uint8_t> out((size_t)view_row_bytes(1024, 24) * 768);
    ViewParams v{0, 0, scale, scale, 1024, 768, 0, 0, out.data(), (uint8_t)(state.range(0) ? VIEW_BOX_AVERAGE : 0)};
    for (auto _ : state) {
        benchmark::DoNotOptimize(scale_page(&p, &v, 0, nullptr));
        benchmark::ClobberMemory();
    }
    set_rates(state, (double)kPhotoW * kPhotoH, 1024.0 * 768);
}
BENCHMARK(BM_FitTo1024x768)->ArgName("box")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FaxThreeToOne(benchmark::State& state) {
    const PageBitmap& p = fax();
    const int32_t w = kFaxW / 3, h = kFaxH / 3;
    const bool grey = state.range(0) != 0;
    std::vector<uint8_t> out((size_t)view_row_bytes(w, 4) * h);
    ViewParams v{0, 0, 768, 768, w, h, view_row_bytes(w, 1), 0, out.data(), (uint8_t)(grey ? VIEW_GREY_BILEVEL : 0)};
    for (auto _ : state) {
        benchmark::DoNotOptimize(scale_page(&p, &v, 0, nullptr));
        benchmark::ClobberMemory();
    }
    set_rates(state, (double)kFaxW * kFaxH, (double)w * h);
}
BENCHMARK(BM_FaxThreeToOne)->ArgName("grey")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Diffuse24To8(benchmark::State& state) {
    const PageBitmap& source = photo();
    for (auto _ : state) {
        state.PauseTiming();
        PageBitmap p = source;  // borrowed: the conversion leaves the source buffer alone
        p.ownership = OWN_BORROWED;
        state.ResumeTiming();
        benchmark::DoNotOptimize(convert_depth(&p, 8, DEPTH_DIFFUSE));
        state.PauseTiming();
        release_page(&p);
        state.ResumeTiming();
    }
    set_rates(state, (double)kPhotoW * kPhotoH, (double)kPhotoW * kPhotoH);
}
BENCHMARK(BM_Diffuse24To8)->Unit(benchmark::kMillisecond);

// Console output plus the 1:1 render's throughput as a share of memcpy's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto copy = times_.find("BM_Memcpy12MP"), render = times_.find("BM_Render12MPOneToOne");
        if (copy != times_.end() && render != times_.end() && render->second > 0)
            std::printf("1:1 render throughput / memcpy throughput: %.2f\n", copy->second / render->second);
    }

private:
    std::map<std::string, double> times_;
};
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
