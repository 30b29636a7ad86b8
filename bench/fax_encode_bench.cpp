// Fax encoding against libtiff in the same run: a 1728 x 2200 text-like page and a
// 50-page file, each in T.6 and in T.4 one-dimensional coding. Ours encodes the
// run-length form in which bilevel pages travel; libtiff encodes from a bitmap
// (TIFFWriteEncodedStrip) into a file kept in memory. Megapixels per second in the
// "items" column; the ratios ours / libtiff (CPU time) are printed at the end.
#include <benchmark/benchmark.h>

#include "../tests/imaging/fax_test_util.h"
#include "codecs/fax.h"
#include "libtiff_memory.h"
#include "peer_ratio_reporter.h"

using namespace faxtest;

namespace {
constexpr int kWidth = 1728, kHeight = 2200, kPages = 50;

struct Sample {
    std::vector<PageBitmap> runs;                // our input
    std::vector<std::vector<uint8_t>> bitmaps;   // libtiff's input: set bits black
};

const Sample& sample(int pages) {
    static Sample s[2];
    Sample& out = s[pages > 1];
    if (out.runs.empty()) {
        for (int p = 0; p < pages; ++p) {
            const Bilevel page = text_page(kWidth, kHeight, (unsigned)(p + 1));
            out.runs.push_back(runs_page_of(page));
            std::vector<uint8_t> bits((size_t)kWidth / 8 * kHeight, 0);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    if (page.at(x, y)) bits[(size_t)y * kWidth / 8 + x / 8] |= (uint8_t)(0x80 >> (x & 7));
            out.bitmaps.push_back(std::move(bits));
        }
    }
    return out;
}

void run_ours(benchmark::State& state, int pages, int (*encode)(const PageBitmap*, PageBitmap*, int)) {
    const Sample& s = sample(pages);
    for (auto _ : state)
        for (const PageBitmap& page : s.runs) {
            PageBitmap out = page;
            if (encode(&page, &out, 0)) state.SkipWithError("encode failed");
            benchmark::DoNotOptimize(out.data);
            release_page(&out);
        }
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight * pages);
}

void run_libtiff(benchmark::State& state, int pages, int compression) {
    const Sample& s = sample(pages);
    MemoryTiff file;
    for (auto _ : state) {
        TIFF* t = file.open_for_writing();
        for (const std::vector<uint8_t>& bits : s.bitmaps) {
            TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)kWidth);
            TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)kHeight);
            TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
            TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
            TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)kHeight);
            if (TIFFWriteEncodedStrip(t, 0, const_cast<uint8_t*>(bits.data()), (tmsize_t)bits.size()) < 0)
                state.SkipWithError("libtiff failed");
            TIFFWriteDirectory(t);
        }
        TIFFClose(t);
        benchmark::DoNotOptimize(file.size());
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight * pages);
}

void BM_G4Page_Ours(benchmark::State& st) { run_ours(st, 1, fax_encode_g4); }
void BM_G4Page_Libtiff(benchmark::State& st) { run_libtiff(st, 1, COMPRESSION_CCITTFAX4); }
void BM_G3Page_Ours(benchmark::State& st) { run_ours(st, 1, fax_encode_g3_1d); }
void BM_G3Page_Libtiff(benchmark::State& st) { run_libtiff(st, 1, COMPRESSION_CCITTFAX3); }
void BM_G4File50Pages_Ours(benchmark::State& st) { run_ours(st, kPages, fax_encode_g4); }
void BM_G4File50Pages_Libtiff(benchmark::State& st) { run_libtiff(st, kPages, COMPRESSION_CCITTFAX4); }
void BM_G3File50Pages_Ours(benchmark::State& st) { run_ours(st, kPages, fax_encode_g3_1d); }
void BM_G3File50Pages_Libtiff(benchmark::State& st) { run_libtiff(st, kPages, COMPRESSION_CCITTFAX3); }

BENCHMARK(BM_G4Page_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4Page_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G3Page_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G3Page_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4File50Pages_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G4File50Pages_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G3File50Pages_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_G3File50Pages_Libtiff)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    PeerRatioReporter reporter("Libtiff");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
