// PackBits against libtiff in the same run: decoding and encoding a 12-megapixel 8-bit
// page (4000 x 3000, 64-row strips) of flat areas, gradients and noisy patches, as a
// palette picture holds them. Decoding: ours into rows, libtiff's strips from a mapped
// file; encoding: ours from the decoded page, libtiff's strips into a file kept in
// memory. Megapixels per second in the "items" column; ratios at the end.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "../tests/imaging/fax_test_util.h"
#include "codecs/rle_packbits.h"
#include "libtiff_memory.h"
#include "peer_ratio_reporter.h"

using namespace faxtest;

namespace {
constexpr int kWidth = 4000, kHeight = 3000, kStripRows = 64;

std::string temp_path() { return (std::filesystem::temp_directory_path() / "bench_packbits.tif").string(); }

std::vector<uint8_t> picture() {
    std::vector<uint8_t> v((size_t)kWidth * kHeight);
    std::mt19937 rng(5);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool noisy = ((x / 200) + (y / 150)) % 4 == 0;
            v[(size_t)y * kWidth + x] = noisy ? (uint8_t)(x / 8 + rng() % 6) : (uint8_t)((x / 50 + y / 40) * 11);
        }
    return v;
}

void write_file(const std::string& path, const std::vector<uint8_t>& pixels) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)kWidth);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)kHeight);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)kStripRows);
    for (int y = 0; y < kHeight; ++y) TIFFWriteScanline(t, const_cast<uint8_t*>(pixels.data()) + (size_t)y * kWidth, (uint32_t)y, 0);
    TIFFClose(t);
}

struct Sample {
    std::vector<uint8_t> pixels;
    TiffPage stored;
    PageBitmap decoded{};
};

Sample& sample() {
    static Sample s;
    if (s.pixels.empty()) {
        s.pixels = picture();
        write_file(temp_path(), s.pixels);
        read_tiff_page(temp_path(), s.stored);
        PageBitmap src = source_page(s.stored, COMP_PACKBITS);
        s.decoded = src;
        packbits_decode(&src, &s.decoded, 0);
    }
    return s;
}

void BM_PackBitsDecode_Ours(benchmark::State& state) {
    Sample& s = sample();
    const PageBitmap src = source_page(s.stored, COMP_PACKBITS);
    for (auto _ : state) {
        PageBitmap out = src;
        if (packbits_decode(&src, &out, 0)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data);
        release_page(&out);
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight);
}

void BM_PackBitsDecode_Libtiff(benchmark::State& state) {
    sample();
    TIFF* t = TIFFOpen(temp_path().c_str(), "rm");
    const tmsize_t strip = TIFFStripSize(t);
    const tstrip_t strips = TIFFNumberOfStrips(t);
    std::vector<uint8_t> bitmap((size_t)strip * strips);
    for (auto _ : state) {
        for (tstrip_t n = 0; n < strips; ++n)
            if (TIFFReadEncodedStrip(t, n, bitmap.data() + (size_t)n * strip, strip) < 0) state.SkipWithError("libtiff failed");
        benchmark::DoNotOptimize(bitmap.data());
    }
    TIFFClose(t);
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight);
}

void BM_PackBitsEncode_Ours(benchmark::State& state) {
    const PageBitmap& page = sample().decoded;
    for (auto _ : state) {
        PageBitmap out = page;
        if (packbits_encode(&page, &out, 0)) state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.data);
        release_page(&out);
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight);
}

void BM_PackBitsEncode_Libtiff(benchmark::State& state) {
    Sample& s = sample();
    MemoryTiff file;
    for (auto _ : state) {
        TIFF* t = file.open_for_writing();
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)kWidth);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)kHeight);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)kStripRows);
        for (int y = 0, n = 0; y < kHeight; y += kStripRows, ++n) {
            const int rows = std::min(kStripRows, kHeight - y);
            if (TIFFWriteEncodedStrip(t, (uint32_t)n, s.pixels.data() + (size_t)y * kWidth, (tmsize_t)rows * kWidth) < 0)
                state.SkipWithError("libtiff failed");
        }
        TIFFClose(t);
        benchmark::DoNotOptimize(file.size());
    }
    state.SetItemsProcessed(state.iterations() * (int64_t)kWidth * kHeight);
}

BENCHMARK(BM_PackBitsDecode_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackBitsDecode_Libtiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackBitsEncode_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackBitsEncode_Libtiff)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    PeerRatioReporter reporter("Libtiff");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::filesystem::remove(temp_path());
    return 0;
}
