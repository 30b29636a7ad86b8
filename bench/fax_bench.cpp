// Fax decoding against libtiff in the same run: a 1728 x 2200 text-like page in T.6
// and in T.4 2-D, and a 50-page T.6 file. Ours produces the run-length form, libtiff
// a bitmap (TIFFReadEncodedStrip). Megapixels per second in the "items" column; the
// ratios ours / libtiff (CPU time) are printed at the end.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>

#include "../tests/imaging/fax_test_util.h"
#include "peer_ratio_reporter.h"
#include "codecs/fax.h"

using namespace faxtest;

namespace {
constexpr int kWidth = 1728, kHeight = 2200, kPages = 50;

std::string temp_path(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

// A fax file written once per run: `pages` text-like pages.
std::string fax_file(const char* name, int compression, uint32_t t4, int pages) {
    const std::string path = temp_path(name);
    TIFF* t = TIFFOpen(path.c_str(), "w");
    for (int p = 0; p < pages; ++p) {
        const Bilevel page = text_page(kWidth, kHeight, (unsigned)(p + 1));
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)kWidth);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)kHeight);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
        if (compression == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, t4);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)kHeight);
        std::vector<uint8_t> row(kWidth / 8);
        for (int y = 0; y < kHeight; ++y) {
            std::fill(row.begin(), row.end(), 0);
            for (int x = 0; x < kWidth; ++x)
                if (page.at(x, y)) row[x >> 3] |= (uint8_t)(0x80 >> (x & 7));
            TIFFWriteScanline(t, row.data(), (uint32_t)y, 0);
        }
        TIFFWriteDirectory(t);
    }
    TIFFClose(t);
    return path;
}

struct Sample {
    std::string path;
    std::vector<TiffPage> pages;
};

const Sample& sample(const char* name, int compression, uint32_t t4, int pages) {
    static std::map<std::string, Sample> cache;
    Sample& s = cache[name];
    if (s.path.empty()) {
        s.path = fax_file(name, compression, t4, pages);
        s.pages.resize((size_t)pages);
        for (int p = 0; p < pages; ++p) read_tiff_page(s.path, s.pages[(size_t)p], p);
    }
    return s;
}

void run_ours(benchmark::State& state, const Sample& s, int code, int (*decode)(const PageBitmap*, PageBitmap*, int)) {
    std::vector<PageBitmap> sources;
    for (const TiffPage& p : s.pages) sources.push_back(source_page(const_cast<TiffPage&>(p), code));
    for (auto _ : state)
        for (const PageBitmap& src : sources) {
            PageBitmap out = src;
            if (decode(&src, &out, 0)) state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(out.data);
            release_page(&out);
        }
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight * (int64_t)s.pages.size());
}

void run_libtiff(benchmark::State& state, const Sample& s) {
    TIFF* t = TIFFOpen(s.path.c_str(), "rm");  // memory-mapped, like our view
    std::vector<uint8_t> bitmap((size_t)TIFFStripSize(t));
    for (auto _ : state)
        for (size_t p = 0; p < s.pages.size(); ++p) {
            TIFFSetDirectory(t, (uint16_t)p);
            if (TIFFReadEncodedStrip(t, 0, bitmap.data(), (tmsize_t)bitmap.size()) < 0) state.SkipWithError("libtiff failed");
            benchmark::DoNotOptimize(bitmap.data());
        }
    TIFFClose(t);
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight * (int64_t)s.pages.size());
}

void BM_G4Page_Ours(benchmark::State& st) { run_ours(st, sample("bench_g4.tif", COMPRESSION_CCITTFAX4, 0, 1), COMP_G4, fax_decode_g4); }
void BM_G4Page_Libtiff(benchmark::State& st) { run_libtiff(st, sample("bench_g4.tif", COMPRESSION_CCITTFAX4, 0, 1)); }
void BM_G3TwoDPage_Ours(benchmark::State& st) {
    run_ours(st, sample("bench_g3.tif", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, 1), COMP_G3_2D, fax_decode_g3_2d);
}
void BM_G3TwoDPage_Libtiff(benchmark::State& st) {
    run_libtiff(st, sample("bench_g3.tif", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, 1));
}
void BM_G4File50Pages_Ours(benchmark::State& st) {
    run_ours(st, sample("bench_g4_50.tif", COMPRESSION_CCITTFAX4, 0, kPages), COMP_G4, fax_decode_g4);
}
void BM_G4File50Pages_Libtiff(benchmark::State& st) { run_libtiff(st, sample("bench_g4_50.tif", COMPRESSION_CCITTFAX4, 0, kPages)); }

BENCHMARK(BM_G4Page_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4Page_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G3TwoDPage_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G3TwoDPage_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4File50Pages_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4File50Pages_Libtiff)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    PeerRatioReporter reporter("Libtiff");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* f : {"bench_g4.tif", "bench_g3.tif", "bench_g4_50.tif"}) std::filesystem::remove(temp_path(f));
    return 0;
}
