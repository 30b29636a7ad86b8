// LZW decoding against libtiff in the same run: a 12-megapixel 24-bit photo-like page
// (4000 x 3000, 64-row strips), with and without the horizontal predictor. Ours
// produces blue-green-red rows, libtiff its red-green-blue strips into one buffer.
// Megapixels per second in the "items" column; ratios ours / libtiff at the end.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <random>

#include "../tests/imaging/fax_test_util.h"
#include "peer_ratio_reporter.h"
#include "codecs/lzw.h"

using namespace faxtest;

namespace {
constexpr int kWidth = 4000, kHeight = 3000, kStripRows = 64;

std::string temp_path(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

// Smooth colour gradients with a little grain, as a photograph compresses.
std::string photo_file(const char* name, int predictor) {
    const std::string path = temp_path(name);
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)kWidth);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)kHeight);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_PREDICTOR, predictor);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)kStripRows);
    std::mt19937 rng(1);
    std::vector<uint8_t> row((size_t)kWidth * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int grain = (int)(rng() % 5);
            row[3 * x] = (uint8_t)(x / 16 + y / 24 + grain);
            row[3 * x + 1] = (uint8_t)((x + y) / 20 + grain);
            row[3 * x + 2] = (uint8_t)(200 - y / 16 + grain);
        }
        TIFFWriteScanline(t, row.data(), (uint32_t)y, 0);
    }
    TIFFClose(t);
    return path;
}

const TiffPage& sample(const char* name, int predictor) {
    static std::map<std::string, std::pair<std::string, TiffPage>> cache;
    auto& entry = cache[name];
    if (entry.first.empty()) {
        entry.first = photo_file(name, predictor);
        read_tiff_page(entry.first, entry.second);
    }
    return entry.second;
}

void run_ours(benchmark::State& state, const char* name, int predictor) {
    TiffPage& page = const_cast<TiffPage&>(sample(name, predictor));
    PageBitmap src = source_page(page, COMP_LZW_TIFF);
    for (auto _ : state) {
        PageBitmap out = src;
        if (lzw_decode_tiff(&src, &out, 0)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data);
        release_page(&out);
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight);
}

void run_libtiff(benchmark::State& state, const char* name, int predictor) {
    sample(name, predictor);
    TIFF* t = TIFFOpen(temp_path(name).c_str(), "rm");
    const tmsize_t strip = TIFFStripSize(t);
    const tstrip_t strips = TIFFNumberOfStrips(t);
    std::vector<uint8_t> bitmap((size_t)strip * strips);
    for (auto _ : state) {
        for (tstrip_t s = 0; s < strips; ++s)
            if (TIFFReadEncodedStrip(t, s, bitmap.data() + (size_t)s * strip, strip) < 0) state.SkipWithError("libtiff failed");
        benchmark::DoNotOptimize(bitmap.data());
    }
    TIFFClose(t);
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight);
}

void BM_Lzw24_Ours(benchmark::State& st) { run_ours(st, "bench_lzw.tif", 1); }
void BM_Lzw24_Libtiff(benchmark::State& st) { run_libtiff(st, "bench_lzw.tif", 1); }
void BM_Lzw24Predictor_Ours(benchmark::State& st) { run_ours(st, "bench_lzw_pred.tif", 2); }
void BM_Lzw24Predictor_Libtiff(benchmark::State& st) { run_libtiff(st, "bench_lzw_pred.tif", 2); }

BENCHMARK(BM_Lzw24_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lzw24_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lzw24Predictor_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lzw24Predictor_Libtiff)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    PeerRatioReporter reporter("Libtiff");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* f : {"bench_lzw.tif", "bench_lzw_pred.tif"}) std::filesystem::remove(temp_path(f));
    return 0;
}
